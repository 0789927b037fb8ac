#include "ui/marks_window.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/accessibility.h"
#include "ui/qtext.h"
#include "ui/report_panel.h"
#include "ui/screen_fit.h"

namespace examora {

Marks::Marks(AppContext& app, QWidget* parent)
    : QWidget(parent), app_(app), model_(app.m, app.settings, app.env, app.prompter) {
  setObjectName(QStringLiteral("Marks"));
  setWindowTitle(ToQString(model_.caption));
  auto* grid = new QGridLayout(this);
  buttons_ = new QWidget(this);
  auto* column = new QVBoxLayout(buttons_);
  grid->addWidget(buttons_, 0, 0, 3, 1);
  AddButton("cmdAutoDrive", "Auto-Detect Drives", &Marks::cmdAutoDrive_Click);
  AddButton("cmdReadStudID", "Read student info", &Marks::cmdReadStudID_Click);
  AddButton("cmdDecipherStudData", "Decipher it", &Marks::cmdReadStudID_Click);
  AddButton("cmdEncrypt", "Encrypt it", &Marks::cmdEncrypt_Click);
  AddButton("cmdDecrypt", "Decrypt it", &Marks::cmdDecrypt_Click);
  AddButton("cmdCreateEmptyStudentRecords",
            "Annually - Create empty student result files. CAREFUL !",
            &Marks::cmdCreateEmptyStudentRecords_Click);
  AddButton("cmdCreateMissing", "Create missing student result files (existing ones kept)",
            &Marks::cmdCreateMissing_Click);
  AddButton("cmdRebuildMaster", "REBUILD MASTERFILE Direct from student files. (SLOW)",
            &Marks::cmdRebuildMaster_Click);
  AddButton("cmdBuildTestRecords", "REBUILD Separate Test Files from Masterfile",
            &Marks::cmdBuildTestRecords_Click);
  AddButton("cmdByDate", "RE-SORT MASTERFILE By Date/Time", &Marks::cmdByDate_Click);
  AddButton("cmdchr13", "Add chr$(13) to the end of every student result file",
            &Marks::cmdchr13_Click);
  AddButton("cmdSortSN", "Reports", &Marks::cmdSortSN_Click);
  AddButton("cmdExport", "Export marks for a gradebook...", &Marks::cmdExport_Click);
  static const char* const kMaster[] = {"Master Raw", "Master by Stud No", "Master by Surname",
                                        "Report by Stud No.htm", "Report by Surname.htm"};
  for (int i = 1; i <= 5; ++i) {
    auto* button = new QPushButton(kMaster[i - 1], buttons_);
    button->setObjectName(QStringLiteral("cmdMaster%1").arg(i));
    connect(button, &QPushButton::clicked, this, [this, i] { ShowMaster(i); });
    column->addWidget(button);
  }
  column->addStretch();

  auto* boxes = new QFormLayout;
  grid->addLayout(boxes, 0, 1);
  boxes->addRow("Student files", txtChosenPath_ = AddBox("txtChosenPath", false));
  boxes->addRow("Student data", txtStudInfoText_ = AddBox("txtStudInfoText", false));
  boxes->addRow("Encrypted file", Text8_ = AddBox("Text8", true));
  boxes->addRow("Students read", Text3_ = AddBox("Text3", true));
  boxes->addRow("User", txtUserName_ = AddBox("txtUserName", true));
  boxes->addRow("Drive", txtDrive_ = AddBox("txtDrive", true));

  auto* pictures = new QGridLayout;
  grid->addLayout(pictures, 1, 1);
  QPlainTextEdit** pics[] = {&Pic1_, &Pic2_, &Pic3_, &Pic4_};
  for (int i = 0; i < 4; ++i) {
    *pics[i] = new QPlainTextEdit(this);
    (*pics[i])->setObjectName(QStringLiteral("Pic%1").arg(i + 1));
    (*pics[i])->setReadOnly(true);
    (*pics[i])->setLineWrapMode(QPlainTextEdit::NoWrap);
    pictures->addWidget(*pics[i], i / 2, i % 2);
  }
  List1_ = new QListWidget(this);
  List1_->setObjectName(QStringLiteral("List1"));
  grid->addWidget(List1_, 2, 1);
  report_ = new ReportPanel(app.fetcher, app.prompter, app.opener, app.env, this);
  report_->setObjectName(QStringLiteral("pnlReport"));
  grid->addWidget(report_, 0, 2, 3, 1);
  report_->setMinimumWidth(Twips(3000));  // a report page stays readable on a small screen
  grid->setColumnStretch(2, 1);
  ApplyAccessibility(*this, MarksControls());
  FitToScreen(*this, QSize(1280, 800));
}

QPushButton* Marks::AddButton(const char* name, const char* caption, void (Marks::*slot)()) {
  auto* button = new QPushButton(QString::fromLatin1(caption), buttons_);
  button->setObjectName(QString::fromLatin1(name));
  connect(button, &QPushButton::clicked, this, slot);
  buttons_->layout()->addWidget(button);
  return button;
}

QLineEdit* Marks::AddBox(const char* name, bool readOnly) {
  auto* box = new QLineEdit(this);
  box->setObjectName(QString::fromLatin1(name));
  box->setReadOnly(readOnly);
  return box;
}

void Marks::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  model_.Activate();
  Refresh();
}

void Marks::Run(const std::function<void(MarksModel&)>& step) {
  model_.txtChosenPath = FromQString(txtChosenPath_->text());
  model_.txtStudInfoText = FromQString(txtStudInfoText_->text());
  step(model_);
  Refresh();
}

void Marks::cmdAutoDrive_Click() {
  Run(&MarksModel::cmdAutoDrive);
}

void Marks::cmdEncrypt_Click() {
  Run(&MarksModel::cmdEncrypt);
}

void Marks::cmdDecrypt_Click() {
  Run(&MarksModel::cmdDecrypt);
}

void Marks::cmdCreateEmptyStudentRecords_Click() {
  Run(&MarksModel::cmdCreateEmptyStudentRecords);
}

void Marks::cmdCreateMissing_Click() {
  Run(&MarksModel::cmdCreateMissing);
}

void Marks::cmdBuildTestRecords_Click() {
  Run(&MarksModel::cmdBuildTestRecords);
}

void Marks::cmdByDate_Click() {
  Run(&MarksModel::cmdByDate);
}

void Marks::cmdchr13_Click() {
  Run(&MarksModel::cmdchr13);
}

void Marks::cmdSortSN_Click() {
  Run(&MarksModel::cmdSortSN);
}

void Marks::cmdExport_Click() {
  Run(&MarksModel::cmdExport);
}

void Marks::cmdReadStudID_Click() {
  Run([](MarksModel& m) { m.cmdReadStudID(); });
}

void Marks::cmdRebuildMaster_Click() {
  Run([](MarksModel& m) { m.cmdRebuildMaster(); });
}

void Marks::Refresh() {
  setWindowTitle(ToQString(model_.caption));
  const std::pair<QLineEdit*, const std::string*> boxes[] = {
      {txtChosenPath_, &model_.txtChosenPath},
      {txtStudInfoText_, &model_.txtStudInfoText},
      {Text8_, &model_.Text8},
      {Text3_, &model_.Text3},
      {txtUserName_, &model_.txtUserName},
      {txtDrive_, &model_.txtDrive}};
  for (const auto& [box, text] : boxes) box->setText(ToQString(*text));
  while (List1_->count() < static_cast<int>(model_.List1.size())) {
    List1_->addItem(ToQString(model_.List1[static_cast<std::size_t>(List1_->count())]));
  }
  List1_->scrollToBottom();
  const std::pair<QPlainTextEdit*, const std::vector<std::string>*> pics[] = {
      {Pic1_, &model_.Pic1}, {Pic2_, &model_.Pic2}, {Pic3_, &model_.Pic3}, {Pic4_, &model_.Pic4}};
  for (const auto& [pic, lines] : pics) {
    QStringList text;
    for (const auto& line : *lines) text << ToQString(line);
    pic->setPlainText(text.join('\n'));
  }
}

void Marks::ShowMaster(int which) {
  model_.txtChosenPath = FromQString(txtChosenPath_->text());
  if (const auto path = model_.cmdMaster(which)) {
    report_->Show(path->parent_path(), path->filename().string());
  }
}

}  // namespace examora
