#include "ui/selection_window.h"

#include <QApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QScrollArea>
#include <QStyle>

#include "common/error.h"
#include "common/numtext.h"
#include "platform/files.h"
#include "results/keeper_protocol.h"
#include "results/resume.h"
#include "testfile/access_code.h"
#include "ui/accessibility.h"
#include "ui/browser_load_window.h"
#include "ui/qtext.h"
#include "ui/screen_fit.h"

namespace examora {
namespace {

QString Colour(const char* rgb) {
  return QStringLiteral("color: %1;").arg(QLatin1String(rgb));
}

}  // namespace

// The window keeps one fixed layout, as a designed form does: choosing a test, whatever the
// length of its description, moves neither the list nor the buttons under the student's mouse.
constexpr int kWidth = 900, kHeight = 560;
constexpr int kTextAreaHeight = 64;  // description and variables: wrapped, scrolled if longer

Test::Test(AppContext& app, BrowserLoad& loader, QWidget* parent)
    : QWidget(parent), app_(app), loader_(loader) {
  setObjectName(QStringLiteral("Test"));
  auto label = [&](const char* name, const char* caption, QWidget* parent) {
    auto* l = new QLabel(QLatin1String(caption), parent);
    l->setObjectName(QLatin1String(name));
    return l;
  };
  auto button = [&](const char* name, const char* caption) {
    auto* b = new QPushButton(QLatin1String(caption), this);
    b->setObjectName(QLatin1String(name));
    return b;
  };
  Label6_ = label("Label6", "Select a Test...", this);
  List1_ = new QListWidget(this);
  List1_->setObjectName(QStringLiteral("List1"));
  BuildInfoFrame();

  Frame2_ = new QFrame(this);
  Frame2_->setObjectName(QStringLiteral("Frame2"));
  auto* access = new QGridLayout(Frame2_);
  lblContinueMode_ = label("lblContinueMode", "C O N T I N U E   P E R M I T T E D", Frame2_);
  lblPassword_ = label("lblPassword", "Type Password then ENTER", Frame2_);
  txtPassword_ = new QLineEdit(Frame2_);
  txtPassword_->setObjectName(QStringLiteral("txtPassword"));
  access->addWidget(lblContinueMode_, 0, 0, 1, 2);
  access->addWidget(lblPassword_, 1, 0);
  access->addWidget(txtPassword_, 1, 1);
  lblContinueMode_->hide();

  cmdRunTest_ = button("cmdRunTest", "Get the Test");
  lblDecrypting_ = label("lblDecrypting", "Decrypt, Shuffle, Solve...", this);
  cmdGO_ = button("cmdGO", "GO");
  cmdUploader_ = button("cmdUploader", "Uploader");
  cmdQuit_ = button("cmdQuit", "QUIT");
  lblStatus_ = label("lblStatus", "Select a test above", this);
  lblStatus_->setWordWrap(true);
  lblStatus_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  img_connect_ = label("img_connect", "", this);
  img_connect_->setPixmap(style()->standardIcon(QStyle::SP_DriveNetIcon).pixmap(32, 32));
  Image1_ = label("Image1", "", this);
  Image1_->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(48, 48));
  PlaceControls();
  for (QWidget* w : {static_cast<QWidget*>(cmdRunTest_), static_cast<QWidget*>(lblDecrypting_),
                     static_cast<QWidget*>(cmdGO_), static_cast<QWidget*>(cmdUploader_),
                     static_cast<QWidget*>(img_connect_)}) {
    w->hide();
  }

  loadWait_ = std::make_unique<SwitchTimer>(this, QStringLiteral("tmrLoadWait"), kLoadWaitMs,
                                            app.manualTimers, [this] { tmrLoadWait_Tick(); });
  connect(List1_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { List1_Click(List1_->row(item)); });
  connect(txtPassword_, &QLineEdit::returnPressed, this, [this] { txtPassword_KeyPress(13); });
  connect(cmdRunTest_, &QPushButton::pressed, this, &Test::cmdRunTest_MouseDown);
  connect(cmdRunTest_, &QPushButton::clicked, this, &Test::cmdRunTest_Click);
  connect(cmdGO_, &QPushButton::clicked, this, &Test::cmdGO_Click);
  connect(cmdUploader_, &QPushButton::clicked, this, &Test::cmdUploader_Click);
  connect(cmdQuit_, &QPushButton::clicked, this, &Test::cmdQuit_Click);
  loader_.onTestFailed = [this] { TestFailed(); };
  OnEnterKey(*List1_, [this](int row) { List1_Click(row); });
  ApplyAccessibility(*this, TestControls());
}

void Test::BuildInfoFrame() {
  Frame1_ = new QGroupBox(QStringLiteral("Info"), this);
  Frame1_->setObjectName(QStringLiteral("Frame1"));
  auto* info = new QGridLayout(Frame1_);
  auto value = [&](const char* name) {
    auto* l = new QLabel(Frame1_);
    l->setObjectName(QLatin1String(name));
    return l;
  };
  lbl4_ = value("lbl4");
  lbl13_ = value("lbl13");
  lbl6_ = value("lbl6");
  Label3_ = value("Label3");
  lbl10_ = value("lbl10");
  lblStartTime_ = value("lblStartTime");
  lblEndTime_ = value("lblEndTime");
  lblQuestionType_ = value("lblQuestionType");
  lblVariableDesc_ = value("lblVariableDesc");
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
    auto* caption = new QLabel(QLatin1String(captions[row].second), Frame1_);
    caption->setObjectName(QLatin1String(captions[row].first));
    info->addWidget(caption, row, 0, Qt::AlignTop);
    if (row < 6) {
      info->addWidget(values[row], row, 1);
      continue;
    }
    // Long texts wrap inside a fixed area and scroll; the frame never grows.
    values[row]->setWordWrap(true);
    values[row]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* area = new QScrollArea(Frame1_);
    area->setObjectName(values[row]->objectName() + QStringLiteral("Area"));
    area->setWidget(values[row]);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setFixedHeight(kTextAreaHeight);
    info->addWidget(area, row, 1, 1, 3);
  }
  auto* inBank = new QLabel(QStringLiteral("Questions in the bank:"), Frame1_);
  inBank->setObjectName(QStringLiteral("lblInBank"));
  info->addWidget(inBank, 1, 2);
  info->addWidget(lbl6_, 1, 3);
  info->setColumnStretch(1, 1);
  info->setColumnStretch(3, 1);
}

void Test::PlaceControls() {
  // Fixed places, so nothing moves while tests are chosen, scaled once by the desktop's font
  // size so that larger text is not cut off.
  const double scale = std::max(1.0, fontMetrics().height() / 16.0);
  auto place = [scale](QWidget* w, int x, int y, int width, int height) {
    w->setGeometry(static_cast<int>(x * scale), static_cast<int>(y * scale),
                   static_cast<int>(width * scale), static_cast<int>(height * scale));
  };
  place(Label6_, 10, 8, 300, 20);
  place(List1_, 10, 30, 300, 380);
  place(Frame1_, 320, 8, 570, 340);
  place(Frame2_, 320, 352, 570, 66);
  place(cmdRunTest_, 320, 424, 150, 30);
  place(lblDecrypting_, 480, 424, 250, 30);
  place(cmdGO_, 320, 460, 150, 30);
  place(cmdUploader_, 480, 460, 150, 30);
  place(lblStatus_, 10, 416, 300, 96);
  place(img_connect_, 740, 424, 40, 40);
  place(Image1_, 790, 424, 50, 50);
  place(cmdQuit_, 790, 516, 90, 30);
  const QSize size(static_cast<int>(kWidth * scale), static_cast<int>(kHeight * scale));
  if (WindowsFillScreen()) {
    // A fixed size would keep the window from filling the screen (the compositor takes a
    // window that cannot grow for a dialog).
    setMinimumSize(size);
    FitToScreen(*this, size);
  } else {
    setFixedSize(size);
  }
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

std::string Test::ChosenLine() const {
  return app_.m.Tests.TestListLine[static_cast<std::size_t>(choice_.sel)];
}

void Test::List1_Click(int row) {
  if (!ClickChoosesTest(choice_, row) || row >= app_.m.Tests.TestCount) return;
  ModuleExamora& m = app_.m;
  ShowHourglass();
  Frame1_->show();
  Frame2_->hide();
  ClearHeaderLabels();
  img_connect_->show();
  choice_.sel = row + 1;
  choice_.loaded = false;
  m.Bank = TestBank{};  // nothing of an earlier choice stays usable
  cmdRunTest_->hide();
  lblDecrypting_->hide();
  const auto index = static_cast<std::size_t>(choice_.sel);
  m.TestName = m.Tests.TestList[index][2] + " (Loading)";
  lbl4_->setText(ToQString(m.TestName));
  lblStatus_->setText(ToQString("Loading " + ChosenLine() + "..."));
  lblStatus_->setStyleSheet(QString());
  choice_.request = loader_.model().RequestTest(TestAddress(m.WebBase, m.Tests, choice_.sel));
  loadWait_->SetEnabled(false);
  loadWait_->SetEnabled(true);
  lblContinueMode_->show();
  m.ContinueAllowed = m.Tests.TestContinuable[index];
  ShowContinueMode(TestNumberOf(m.Tests.TestList[index][1]));
  if (m.StudyMode) {
    txtPassword_->setText(QStringLiteral("StudyMode"));
    txtPassword_->setEnabled(false);
    PasswordOK();
  } else {
    txtPassword_->setFocus();
  }
}

void Test::ShowContinueMode(int testNumber) {
  ModuleExamora& m = app_.m;
  bool pending = false;
  if (!m.StudyMode && m.Records && testNumber >= 0) {
    try {
      pending = m.Records->HasInterruptedSitting(testNumber);
    } catch (const Error&) {
      // Unknown: the setting speaks, and opening the test tells what happens.
    }
  }
  const ContinueNotice notice = ContinueModeNotice(m.ContinueAllowed, pending);
  lblContinueMode_->setText(ToQString(notice.text));
  lblContinueMode_->setStyleSheet(Colour(notice.red ? "#FF0000" : "#000000"));
}

void Test::RefuseTest(const std::string& message) {
  loadWait_->SetEnabled(false);
  app_.m.Bank = TestBank{};
  app_.m.TestName = app_.m.Tests.TestList[static_cast<std::size_t>(choice_.sel)][2];
  lblStatus_->setText(ToQString(message));
  lblStatus_->setStyleSheet(Colour("#FF0000"));
  lbl4_->setText(ToQString(app_.m.TestName));
  img_connect_->hide();
  cmdRunTest_->hide();
  lblDecrypting_->hide();
  RestoreNormalPointer();
}

void Test::SaveTheTest() {
  const BrowserLoadModel& page = loader_.model();
  if (!ArrivalBelongs(choice_, page.PageRequest)) return;  // an earlier choice's page
  ModuleExamora& m = app_.m;
  loadWait_->SetEnabled(false);
  try {
    // Checked before it is stored: a page that is no test never replaces the sitting file.
    (void)LoadTestText(page.Text1, ChosenLine());
    m.SavedTestPath = m.TempFolder + m.SittingFileName;
    WriteFileAtomically(app_.settings.Paths().ToNative(m.SavedTestPath), page.Text1 + "\r\n");
  } catch (const Error& e) {
    RefuseTest(e.what());
    return;
  }
  lblStatus_->setText(QStringLiteral("Done"));
  OpenTheTest();
}

void Test::TestFailed() {
  const BrowserLoadModel& page = loader_.model();
  if (!ArrivalBelongs(choice_, page.PageRequest)) return;
  RefuseTest(FetchFailedStatus(ChosenLine(), page.PageFailure));
}

bool Test::OpenTheTest() {
  ModuleExamora& m = app_.m;
  const auto index = static_cast<std::size_t>(choice_.sel);
  m.TestFilePath = m.SavedTestPath;
  try {
    m.Bank = LoadTestFile(app_.settings.Paths().ToNative(m.TestFilePath), ChosenLine());
  } catch (const Error& e) {
    // Nothing of a test that cannot be used is shown; the list stays usable.
    RefuseTest(e.what());
    return false;
  }
  if (choice_.sel < 1000) m.TestNumber = TestNumberOf(m.Tests.TestList[index][1]);
  const TestHeader& h = m.Bank.header;
  m.TestName = m.Tests.TestList[index][2];
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
  // The test's own number is the one its sittings are kept under.
  if (!m.StudyMode) ShowContinueMode(static_cast<int>(LeadingNumber(m.Bank.testNumber)));
  choice_.loaded = true;
  RestoreNormalPointer();
  return true;
}

void Test::tmrLoadWait_Tick() {
  loadWait_->SetEnabled(false);
  if (choice_.loaded || choice_.sel == 0) return;
  // The request is abandoned: a page that still comes later is not taken.
  loader_.StopNavigation();
  choice_.request = 0;
  RefuseTest("The test " + ChosenLine() +
             " could not be loaded. Choose it again, or another test.");
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
  cmdRunTest_->setFocus();  // "Get the Test" is the next step
}

void Test::cmdRunTest_MouseDown() {
  lblDecrypting_->show();
  ShowHourglass();
}

void Test::cmdRunTest_Click() {
  if (!choice_.loaded || choice_.prepared) {
    // The code was accepted before the test arrived: wait for it.
    lblStatus_->setText(QStringLiteral("Wait until the test has loaded."));
    lblDecrypting_->hide();
    RestoreNormalPointer();
    return;
  }
  choice_.prepared = true;  // from here on no page and no click replaces the bank
  loadWait_->SetEnabled(false);
  ModuleExamora& m = app_.m;
  cmdRunTest_->setEnabled(false);
  txtPassword_->setEnabled(false);
  FormulaContext context{&app_.prompter, &m.Debugger, 0};
  m.TestFolder = m.WebBase + "tests/" + ChosenLine() + "/";
  // An exam sitting is opened with its records at GO, when the clock starts: time spent before
  // it costs the student nothing.
  if (m.StudyMode) {
    m.Prepared = Scrambler(m.Bank, m.StudyMode, m.TestFolder, app_.random, m.Formulas, context);
    m.CurrentQuestion = context.currentQuestion;
  }
  if (openTestWindow) {
    cmdGO_->show();
    cmdGO_->setFocus();  // Enter or Space now starts the test
  }
  RestoreNormalPointer();
  lblDecrypting_->setText(QStringLiteral("Test is Ready..."));
  List1_->setEnabled(false);
}

bool Test::PrepareExam() {
  // The records draw the sitting (or give back an interrupted one, which always carries on):
  // this side prepares the same sitting from the seed they chose.
  ModuleExamora& m = app_.m;
  try {
    SetStudentPaths(m, app_.settings, app_.env);
    if (!m.Records) throw Error("No student has signed in");
    const std::string bytes = ReadFileBytes(app_.settings.Paths().ToNative(m.SavedTestPath));
    const OpenedSitting opened = m.Records->Open(bytes, FromQString(txtPassword_->text()));
    auto exam = std::make_shared<ExamStart>();
    exam->seed = opened.seed;
    exam->secondsLeft = opened.secondsLeft;
    if (opened.resumed) {
      exam->resume.emplace();
      exam->resume->answers = opened.answers;
      // A sitting carried on keeps the times it started with.
      if (opened.started > 0) ShowSittingTimes(m, app_.clock, opened.started);
      lblStartTime_->setText(ToQString(m.StartTimeText));
      lblEndTime_->setText(ToQString(m.EndTimeText));
    }
    PrepareSeededSitting(m, opened.seed, app_.prompter);
    for (const auto& note : opened.notes) app_.prompter.Message("Examora", note);
    if (opened.resumed) {
      app_.prompter.Message("Examora", "Your interrupted sitting of this test carries on (" +
                                           std::to_string(opened.answers.size()) +
                                           " answers kept).");
    }
    m.Exam = std::move(exam);
    m.CurrentQuestion = m.Bank.header.QuestionsInFile;
    return true;
  } catch (const Error& e) {
    lblStatus_->setText(ToQString(e.what()));
    lblStatus_->setStyleSheet(QStringLiteral("color: #FF0000;"));
    lblDecrypting_->hide();
    RestoreNormalPointer();
    return false;
  }
}

void Test::cmdGO_Click() {
  if (!app_.m.StudyMode && !PrepareExam()) return;
  cmdUploader_Click();
  hide();
  if (openTestWindow) openTestWindow();
}

std::string Test::TestFolderName() const {
  return choice_.sel > 0 ? ChosenLine() : std::string();
}

void Test::cmdUploader_Click() {
  app_.m.SavedTestPath = app_.m.TempFolder + app_.m.SittingFileName;
}

void Test::cmdQuit_Click() {
  close();
  QApplication::quit();
}

}  // namespace examora
