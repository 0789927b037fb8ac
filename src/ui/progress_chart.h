// picResults: one small column per question in asking order, drawn as the core's chart columns
// say; columns that do not fit one row readably go on further rows.
#pragma once

#include <QColor>
#include <QWidget>
#include <vector>

#include "results/progress.h"

namespace examora {

class ProgressChart : public QWidget {
 public:
  explicit ProgressChart(QWidget* parent = nullptr);

  void SetColumns(std::vector<ChartColumn> columns);
  /// The cell of question i (1-based); `lower` picks the units cell of a numeric question.
  QRect CellRect(int i, bool lower = false) const;

  static constexpr int kMinCellWidth = 9, kMaxCellWidth = 24, kRowHeight = 40;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  ChartGrid Grid() const;
  std::vector<ChartColumn> columns_;
};

}  // namespace examora
