#include "ui/test_window.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QStyle>

#include "common/error.h"
#include "common/numtext.h"
#include "platform/files.h"
#include "testfile/access_code.h"
#include "ui/accessibility.h"
#include "ui/browser_load_window.h"
#include "ui/qtext.h"

namespace examora {
namespace {

QString Colour(const char* rgb) {
  return QStringLiteral("color: %1;").arg(QLatin1String(rgb));
}

}  // namespace

Test::Test(AppContext& app, BrowserLoad& loader, QWidget* parent)
    : QWidget(parent), app_(app), loader_(loader) {
  setObjectName(QStringLiteral("Test"));
  auto* grid = new QGridLayout(this);
  auto named = [](QWidget* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
  };
  auto label = [&](const char* name, const char* caption, QWidget* parent) {
    return static_cast<QLabel*>(named(new QLabel(QLatin1String(caption), parent), name));
  };
  auto button = [&](const char* name, const char* caption) {
    return static_cast<QPushButton*>(named(new QPushButton(QLatin1String(caption), this), name));
  };
  List1_ = static_cast<QListWidget*>(named(new QListWidget(this), "List1"));
  grid->addWidget(label("Label6", "Select a Test...", this), 0, 0);
  grid->addWidget(List1_, 1, 0, 4, 1);

  Frame1_ = static_cast<QFrame*>(named(new QGroupBox(QStringLiteral("Info"), this), "Frame1"));
  auto* info = new QGridLayout(Frame1_);
  lbl4_ = label("lbl4", "", Frame1_);
  lbl13_ = label("lbl13", "", Frame1_);
  lbl6_ = label("lbl6", "", Frame1_);
  Label3_ = label("Label3", "", Frame1_);
  lbl10_ = label("lbl10", "", Frame1_);
  lblStartTime_ = label("lblStartTime", "", Frame1_);
  lblEndTime_ = label("lblEndTime", "", Frame1_);
  lblQuestionType_ = label("lblQuestionType", "", Frame1_);
  lblVariableDesc_ = label("lblVariableDesc", "", Frame1_);
  lblQuestionType_->setWordWrap(true);
  lblVariableDesc_->setWordWrap(true);
  const std::pair<const char*, const char*> captions[] = {{"lbl3", "Test Name:"},
                                                          {"lbl5", "Questions:"},
                                                          {"Label2", "Seconds per question:"},
                                                          {"lbl9", "Duration:"},
                                                          {"Label7", "Start Time:"},
                                                          {"Label5", "End Time:"},
                                                          {"Label1", "Description:"},
                                                          {"Label4", "Variables and Definitions:"}};
  QLabel* values[] = {lbl4_,         lbl13_,      Label3_,          lbl10_,
                      lblStartTime_, lblEndTime_, lblQuestionType_, lblVariableDesc_};
  for (int row = 0; row < 8; ++row) {
    info->addWidget(label(captions[row].first, captions[row].second, Frame1_), row, 0);
    info->addWidget(values[row], row, 1);
  }
  info->addWidget(lbl6_, 1, 2);
  grid->addWidget(Frame1_, 0, 1, 2, 2);

  Frame2_ = static_cast<QFrame*>(named(new QFrame(this), "Frame2"));
  auto* access = new QGridLayout(Frame2_);
  lblContinueMode_ = label("lblContinueMode", "C O N T I N U E   P E R M I T T E D", Frame2_);
  lblPassword_ = label("lblPassword", "Type Password then ENTER", Frame2_);
  txtPassword_ = static_cast<QLineEdit*>(named(new QLineEdit(Frame2_), "txtPassword"));
  access->addWidget(lblContinueMode_, 0, 0, 1, 2);
  access->addWidget(lblPassword_, 1, 0);
  access->addWidget(txtPassword_, 1, 1);
  grid->addWidget(Frame2_, 2, 1, 1, 2);
  lblContinueMode_->hide();

  cmdRunTest_ = button("cmdRunTest", "Get the Test");
  lblDecrypting_ = label("lblDecrypting", "Decrypt, Shuffle, Solve...", this);
  cmdGO_ = button("cmdGO", "GO");
  cmdUploader_ = button("cmdUploader", "Uploader");
  auto* quit = button("cmdQuit", "QUIT");
  lblStatus_ = label("lblStatus", "Select a test above", this);
  lblStatus_->setWordWrap(true);
  img_connect_ = label("img_connect", "", this);
  img_connect_->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(32, 32));
  auto* image = label("Image1", "", this);
  image->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
  grid->addWidget(cmdRunTest_, 3, 1);
  grid->addWidget(lblDecrypting_, 3, 2);
  grid->addWidget(cmdGO_, 4, 1);
  grid->addWidget(cmdUploader_, 4, 2);
  grid->addWidget(lblStatus_, 5, 0);
  grid->addWidget(img_connect_, 5, 1);
  grid->addWidget(image, 5, 2);
  grid->addWidget(quit, 6, 2);
  cmdRunTest_->hide();
  lblDecrypting_->hide();
  cmdGO_->hide();
  cmdUploader_->hide();
  img_connect_->hide();

  loadWait_ = std::make_unique<SwitchTimer>(this, QStringLiteral("tmrLoadWait"), kLoadWaitMs,
                                            app.manualTimers, [this] { tmrLoadWait_Tick(); });
  connect(List1_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { List1_Click(List1_->row(item)); });
  connect(txtPassword_, &QLineEdit::returnPressed, this, [this] { txtPassword_KeyPress(13); });
  connect(cmdRunTest_, &QPushButton::pressed, this, &Test::cmdRunTest_MouseDown);
  connect(cmdRunTest_, &QPushButton::clicked, this, &Test::cmdRunTest_Click);
  connect(cmdGO_, &QPushButton::clicked, this, &Test::cmdGO_Click);
  connect(cmdUploader_, &QPushButton::clicked, this, &Test::cmdUploader_Click);
  connect(quit, &QPushButton::clicked, this, &Test::cmdQuit_Click);
  OnEnterKey(*List1_, [this](int row) { List1_Click(row); });
  ApplyAccessibility(*this, TestControls());
  resize(900, 560);
}

Test::~Test() = default;

void Test::Form_Activate() {
  ModuleExamora& m = app_.m;
  m.SittingFileName = MakeSittingFileName(app_.clock.Now(), m.UserName);
  setWindowTitle(ToQString(
      m.StudyMode ? m.TestName + m.VersionText +
                        "   |   STUDY MODE     |     NO MARKS WILL BE RECORDED     |      "
                  : m.TestName + m.VersionText + "   |   EXAM MODE     |     " + m.StudentId +
                        "      |      MARKS WILL BE RECORDED     |     "));
  List1_->clear();
  for (int i = 1; i <= m.Tests.TestCount; ++i) {
    const auto& entry = m.Tests.TestList[static_cast<std::size_t>(i)];
    List1_->addItem(ToQString(entry[1] + "_" + entry[2]));
  }
}

void Test::ClearHeaderLabels() {
  for (QLabel* l : {lbl13_, lbl6_, Label3_, lbl10_, lblQuestionType_, lblVariableDesc_,
                    lblStartTime_, lblEndTime_}) {
    l->clear();
  }
}

void Test::List1_Click(int row) {
  // A second click on the chosen test is ignored, except on the first entry.
  if (row + 1 == sel_ && row != 0) return;
  ModuleExamora& m = app_.m;
  ShowHourglass();
  Frame1_->show();
  Frame2_->hide();
  ClearHeaderLabels();
  img_connect_->show();
  sel_ = row + 1;
  loaded_ = false;
  m.Bank = TestBank{};  // nothing of an earlier choice stays usable
  cmdRunTest_->hide();
  const auto index = static_cast<std::size_t>(sel_);
  m.TestName = m.Tests.TestList[index][2] + " (Loading)";
  lbl4_->setText(ToQString(m.TestName));
  lblStatus_->setText(ToQString("Loading " + m.Tests.TestListLine[index] + "..."));
  lblStatus_->setStyleSheet(QString());
  loader_.model().RequestTest(TestAddress(m.WebBase, m.Tests, sel_));
  loadWait_->SetEnabled(false);
  loadWait_->SetEnabled(true);
  lblContinueMode_->show();
  m.ContinueAllowed = m.Tests.TestContinuable[index];
  lblContinueMode_->setText(m.ContinueAllowed ? QStringLiteral("CONTINUE OK")
                                              : QStringLiteral("------ Continue Forbidden ------"));
  lblContinueMode_->setStyleSheet(Colour(m.ContinueAllowed ? "#000000" : "#FF0000"));
  if (m.StudyMode) {
    txtPassword_->setText(QStringLiteral("StudyMode"));
    txtPassword_->setEnabled(false);
    PasswordOK();
  } else {
    txtPassword_->setFocus();
  }
}

void Test::SaveTheTest() {
  ModuleExamora& m = app_.m;
  loadWait_->SetEnabled(false);
  m.SavedTestPath = m.TempFolder + m.SittingFileName;
  try {
    WriteFileAtomically(app_.settings.Paths().ToNative(m.SavedTestPath),
                        loader_.model().Text1 + "\r\n");
  } catch (const Error& e) {
    lblStatus_->setText(ToQString(e.what()));
    lblStatus_->setStyleSheet(Colour("#FF0000"));
    return;
  }
  lblStatus_->setText(QStringLiteral("Done"));
  OpenTheTest();
}

bool Test::OpenTheTest() {
  ModuleExamora& m = app_.m;
  const auto index = static_cast<std::size_t>(sel_);
  const std::string name = m.Tests.TestList[index][2];
  m.TestFilePath = m.TempFolder + m.SittingFileName;
  try {
    m.Bank =
        LoadTestFile(app_.settings.Paths().ToNative(m.TestFilePath), m.Tests.TestListLine[index]);
  } catch (const Error& e) {
    // Nothing of a test that cannot be used is shown; the list stays usable.
    lblStatus_->setText(ToQString(e.what()));
    lblStatus_->setStyleSheet(Colour("#FF0000"));
    lbl4_->setText(ToQString(name));
    img_connect_->hide();
    cmdRunTest_->hide();
    RestoreNormalPointer();
    return false;
  }
  if (sel_ < 1000) m.TestNumber = static_cast<int>(LeadingNumber(m.Tests.TestList[index][1]));
  const TestHeader& h = m.Bank.header;
  m.TestName = name;
  lbl4_->setText(ToQString(m.TestName));
  lbl13_->setText(QString::number(h.QuestionsToAsk));
  lbl6_->setText(QString::number(h.QuestionsInFile));
  Label3_->setText(ToQString(FormatGeneralSingle(h.MinutesPerQuestion * 60)));
  lbl10_->setText(ToQString(FormatGeneral(RoundHalfEven(h.TestMinutes * 10.0) / 10) + " minutes"));
  lblQuestionType_->setText(ToQString(h.TestDescription));
  lblVariableDesc_->setText(ToQString(ShownVariablesText(h.VariablesText)));
  Frame2_->show();
  img_connect_->hide();
  float startHour = 0;
  m.StartTimeText = GetStartTime(app_.clock.Now(), startHour);
  m.EndTimeText = GetEndTime(startHour, h.TestMinutes);
  lblStartTime_->setText(ToQString(m.StartTimeText));
  lblEndTime_->setText(ToQString(m.EndTimeText));
  loaded_ = true;
  return true;
}

void Test::tmrLoadWait_Tick() {
  loadWait_->SetEnabled(false);
  if (loaded_ || sel_ == 0) return;
  lblStatus_->setText(ToQString("The test " +
                                app_.m.Tests.TestListLine[static_cast<std::size_t>(sel_)] +
                                " could not be loaded. Choose it again, or another test."));
  lblStatus_->setStyleSheet(Colour("#FF0000"));
  img_connect_->hide();
  RestoreNormalPointer();
}

void Test::txtPassword_KeyPress(int key) {
  if (key != 13) return;
  if (AccessCodeAccepted(FromQString(txtPassword_->text()), app_.clock.Now())) {
    PasswordOK();
  } else {
    lblPassword_->setStyleSheet(Colour("#FF0000"));
    lblPassword_->setText(QStringLiteral("Wrong Password"));
  }
}

void Test::PasswordOK() {
  lblPassword_->setStyleSheet(Colour("#0000FF"));
  lblPassword_->setText(QStringLiteral("Correct Password"));
  txtPassword_->setStyleSheet(QStringLiteral("background-color: #C0FFC0;"));
  cmdRunTest_->show();
}

void Test::cmdRunTest_MouseDown() {
  lblDecrypting_->show();
  ShowHourglass();
}

void Test::cmdRunTest_Click() {
  if (!loaded_) {
    // The code was accepted before the test arrived: wait for it.
    lblStatus_->setText(QStringLiteral("Wait until the test has loaded."));
    RestoreNormalPointer();
    return;
  }
  ModuleExamora& m = app_.m;
  cmdRunTest_->setEnabled(false);
  txtPassword_->setEnabled(false);
  FormulaContext context{&app_.prompter, &m.Debugger, 0};
  m.TestFolder = m.WebBase + "tests/" + m.Tests.TestListLine[static_cast<std::size_t>(sel_)] + "/";
  m.Prepared = Scrambler(m.Bank, m.StudyMode, m.TestFolder, app_.random, m.Formulas, context);
  m.CurrentQuestion = context.currentQuestion;
  if (openTestWindow) cmdGO_->show();
  RestoreNormalPointer();
  lblDecrypting_->setText(QStringLiteral("Test is Ready..."));
  List1_->setEnabled(false);
}

void Test::cmdGO_Click() {
  cmdUploader_Click();
  hide();
  if (openTestWindow) openTestWindow();
}

std::string Test::TestFolderName() const {
  return sel_ > 0 ? app_.m.Tests.TestListLine[static_cast<std::size_t>(sel_)] : std::string();
}

void Test::cmdUploader_Click() {
  app_.m.SavedTestPath = app_.m.TempFolder + app_.m.SittingFileName;
}

void Test::cmdQuit_Click() {
  close();
  QApplication::quit();
}

}  // namespace examora
