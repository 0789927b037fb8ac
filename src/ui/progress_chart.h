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

  static constexpr int kMinCellWidth = 9, kMaxCellWidth = 24, kRowHeight = 30, kMaxRows = 10;

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ChartGrid Grid(int width) const;
  std::vector<ChartColumn> columns_;
};

}  // namespace examora
