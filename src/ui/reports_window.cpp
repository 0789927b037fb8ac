#include "ui/reports_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QUrl>

#include "ui/accessibility.h"
#include "ui/browser_panel.h"
#include "ui/qtext.h"
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
  auto* stats = Button(this, "cmdStats", "Question statistics");
  auto* statsPage = Button(this, "cmdStatsPage", "Statistics page");
  QWidget* const row[] = {reports, byNumber, bySurname, cboTest_, stats, statsPage};
  for (int i = 0; i < 6; ++i) grid->addWidget(row[i], 0, i);
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
      {"Question", "Attempts", "Facility", "Chart", "Discrimination", "Codes", "Flags"});
  grdStats_->verticalHeader()->hide();
  grid->addWidget(grdStats_, 1, 0, 1, 6);
  List1_ = new QListWidget(this);
  List1_->setObjectName(QStringLiteral("List1"));
  grid->addWidget(List1_, 2, 0, 1, 6);
  WebBrowser1_ = new BrowserPanel(app.fetcher, this);
  WebBrowser1_->setObjectName(QStringLiteral("WebBrowser1"));
  grid->addWidget(WebBrowser1_, 0, 6, 3, 1);
  WebBrowser1_->setMinimumWidth(Twips(3000));  // a report page stays readable on a small screen
  grid->setColumnStretch(6, 1);
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

void frm_Reports::ShowPage(const std::string& name) {
  if (const auto path = model_.Page(name)) {
    WebBrowser1_->Navigate(QUrl::fromLocalFile(QString::fromStdString(path->string())));
  }
}

void frm_Reports::Refresh() {
  List1_->clear();
  for (const auto& line : model_.List1) List1_->addItem(ToQString(line));
  grdStats_->setRowCount(static_cast<int>(model_.rows.size()));
  for (int r = 0; r < grdStats_->rowCount(); ++r) {
    const StatsRow& row = model_.rows[static_cast<std::size_t>(r)];
    const std::string* texts[] = {&row.question,       &row.attempts, &row.facility, nullptr,
                                  &row.discrimination, &row.codes,    &row.flags};
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
