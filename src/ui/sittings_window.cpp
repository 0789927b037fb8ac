#include "ui/sittings_window.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/error.h"
#include "results/keeper_protocol.h"
#include "ui/accessibility.h"
#include "ui/qtext.h"
#include "ui/screen_fit.h"

namespace examora {

frm_Sittings::frm_Sittings(AppContext& app, QWidget* parent) : QWidget(parent), app_(app) {
  setObjectName(QStringLiteral("frm_Sittings"));
  setWindowTitle(ToQString(app.m.VersionText + "   |    Sittings"));
  auto* layout = new QVBoxLayout(this);
  grdSittings_ = new QTableWidget(this);
  grdSittings_->setObjectName(QStringLiteral("grdSittings"));
  grdSittings_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grdSittings_->horizontalHeader()->setStretchLastSection(true);
  lblProblem_ = new QLabel(this);
  lblProblem_->setObjectName(QStringLiteral("lblProblem"));
  lblProblem_->setWordWrap(true);
  cmdRefresh_ = new QPushButton(QStringLiteral("&Refresh"), this);
  cmdRefresh_->setObjectName(QStringLiteral("cmdRefresh"));
  layout->addWidget(grdSittings_);
  layout->addWidget(lblProblem_);
  layout->addWidget(cmdRefresh_);
  connect(cmdRefresh_, &QPushButton::clicked, this, &frm_Sittings::cmdRefresh_Click);
  ApplyAccessibility(*this, SittingsControls());
  FitToScreen(*this, QSize(900, 420));
  cmdRefresh_Click();
}

void frm_Sittings::cmdRefresh_Click() {
  std::vector<std::vector<std::string>> table;
  try {
    table = SittingsTable(ListSittings(SittingsSetup(app_.settings, app_.env), app_.clock));
    lblProblem_->clear();
  } catch (const Error& e) {
    lblProblem_->setText(ToQString(e.what()));
  }
  const int rows = table.empty() ? 0 : static_cast<int>(table.size()) - 1;
  grdSittings_->setRowCount(rows);
  grdSittings_->setColumnCount(table.empty() ? 0 : static_cast<int>(table[0].size()));
  if (table.empty()) return;
  QStringList header;
  for (const auto& cell : table[0]) header << ToQString(cell);
  grdSittings_->setHorizontalHeaderLabels(header);
  for (int r = 0; r < rows; ++r) {
    for (std::size_t c = 0; c < table[r + 1].size(); ++c) {
      grdSittings_->setItem(r, static_cast<int>(c),
                            new QTableWidgetItem(ToQString(table[r + 1][c])));
    }
  }
  grdSittings_->resizeColumnsToContents();
}

}  // namespace examora
