#include "ui/reports_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>

#include "ui/accessibility.h"
#include "ui/qtext.h"
#include "ui/report_panel.h"
#include "ui/screen_fit.h"

namespace examora {
namespace {

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

}  // namespace

frm_Reports::frm_Reports(AppContext& app, QWidget* parent)
    : QWidget(parent), model_(app.m, app.settings, app.prompter) {
  setObjectName(QStringLiteral("frm_Reports"));
  setWindowTitle(QStringLiteral("Reports"));
  auto* grid = new QGridLayout(this);
  auto* reports = Button(this, "cmdReports", "Reports");
  auto* byNumber = Button(this, "cmdReport4", "Report by Stud No.htm");
  auto* bySurname = Button(this, "cmdReport5", "Report by Surname.htm");
  cboTest_ = new QComboBox(this);
  cboTest_->setObjectName(QStringLiteral("cboTest"));
  auto* testFile = Button(this, "cmdTestFile", "Test file...");
  auto* stats = Button(this, "cmdStats", "Question statistics");
  auto* statsPage = Button(this, "cmdStatsPage", "Statistics page");
  // Two rows of four, so the window keeps to a small lab screen beside the report panel.
  QWidget* const row[] = {reports,  byNumber, bySurname, nullptr,
                          cboTest_, testFile, stats,     statsPage};
  for (int i = 0; i < 8; ++i) {
    if (row[i]) grid->addWidget(row[i], i / 4, i % 4);
  }
  connect(testFile, &QPushButton::clicked, this, &frm_Reports::cmdTestFile_Click);
  connect(reports, &QPushButton::clicked, this, &frm_Reports::cmdReports_Click);
  connect(stats, &QPushButton::clicked, this, &frm_Reports::cmdStats_Click);
  connect(byNumber, &QPushButton::clicked, this, [this] { ShowPage("masterfile4.htm"); });
  connect(bySurname, &QPushButton::clicked, this, [this] { ShowPage("masterfile5.htm"); });
  connect(statsPage, &QPushButton::clicked, this, [this] {
    if (cboTest_->currentIndex() >= 0) {
      ShowPage("stats_" + model_.tests[static_cast<std::size_t>(cboTest_->currentIndex())].number +
               ".htm");
    }
  });
  grdStats_ = new QTableWidget(0, 7, this);
  grdStats_->setObjectName(QStringLiteral("grdStats"));
  grdStats_->setHorizontalHeaderLabels(
      {"Question", "Asked", "Facility", "Chart", "Discrimination", "Codes and options", "Flags"});
  grdStats_->verticalHeader()->hide();
  lblSource_ = new QLabel(this);
  lblSource_->setObjectName(QStringLiteral("lblSource"));
  lblSource_->setWordWrap(true);
  // Room for the source and a test file's path: a wrapped label gets only one line otherwise.
  lblSource_->setMinimumHeight(lblSource_->fontMetrics().lineSpacing() * 3);
  grid->addWidget(lblSource_, 2, 0, 1, 4);
  grid->addWidget(grdStats_, 3, 0, 1, 4);
  List1_ = new QListWidget(this);
  List1_->setObjectName(QStringLiteral("List1"));
  grid->addWidget(List1_, 4, 0, 1, 4);
  report_ = new ReportPanel(app.fetcher, app.prompter, app.opener, app.env, this);
  report_->setObjectName(QStringLiteral("pnlReport"));
  grid->addWidget(report_, 0, 4, 5, 1);
  report_->setMinimumWidth(Twips(3000));  // a report page stays readable on a small screen
  grid->setColumnStretch(4, 1);
  ApplyAccessibility(*this, ReportsControls());
  FitToScreen(*this, QSize(1280, 760));
}

void frm_Reports::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  model_.Load();
  cboTest_->clear();
  for (const auto& test : model_.tests) cboTest_->addItem(ToQString(test.number + " " + test.name));
  Refresh();
}

void frm_Reports::cmdReports_Click() {
  model_.cmdReports();
  Refresh();
}

void frm_Reports::cmdStats_Click() {
  if (cboTest_->currentIndex() < 0) return;
  model_.cmdStats(static_cast<std::size_t>(cboTest_->currentIndex()));
  Refresh();
}

void frm_Reports::cmdTestFile_Click() {
  model_.cmdTestFile();
  Refresh();
}

void frm_Reports::ShowPage(const std::string& name) {
  if (const auto path = model_.Page(name)) {
    report_->Show(path->parent_path(), path->filename().string());
  }
}

void frm_Reports::Refresh() {
  lblSource_->setText(ToQString(model_.SourceText()));
  List1_->clear();
  for (const auto& line : model_.List1) List1_->addItem(ToQString(line));
  grdStats_->setRowCount(static_cast<int>(model_.rows.size()));
  for (int r = 0; r < grdStats_->rowCount(); ++r) {
    const StatsRow& row = model_.rows[static_cast<std::size_t>(r)];
    const std::string* texts[] = {&row.question,       &row.asked, &row.facility, nullptr,
                                  &row.discrimination, &row.codes, &row.flags};
    for (int c = 0; c < 7; ++c) {
      if (texts[c]) grdStats_->setItem(r, c, new QTableWidgetItem(ToQString(*texts[c])));
    }
    auto* bar = new QProgressBar(grdStats_);
    bar->setObjectName(QStringLiteral("barQuestion%1").arg(r + 1));
    bar->setRange(0, 100);
    bar->setValue(row.bar);
    bar->setTextVisible(false);
    bar->setAccessibleName(QStringLiteral("Facility of question %1").arg(r + 1));
    bar->setAccessibleDescription(QStringLiteral("The share of students who got it right"));
    grdStats_->setCellWidget(r, 3, bar);
  }
}

}  // namespace examora
