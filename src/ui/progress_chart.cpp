#include "ui/progress_chart.h"

#include <QPainter>

namespace examora {
namespace {

QColor Rgb(std::uint32_t rgb) {
  return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

constexpr int kLetterHeight = 11;

}  // namespace

ProgressChart::ProgressChart(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("picResults"));
  // The height follows the width (more rows when narrow), up to a bounded number of rows.
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
  setAutoFillBackground(true);
}

void ProgressChart::SetColumns(std::vector<ChartColumn> columns) {
  const bool countChanged = columns.size() != columns_.size();
  columns_ = std::move(columns);
  setAccessibleDescription(QString::fromStdString(ChartInWords(columns_)));
  if (countChanged) updateGeometry();
  update();
}

ChartGrid ProgressChart::Grid(int width) const {
  return ChartLayout(static_cast<int>(columns_.size()), width, kMinCellWidth, kMaxCellWidth,
                     kMaxRows);
}

int ProgressChart::heightForWidth(int width) const {
  return Grid(width).rows * kRowHeight;
}

QSize ProgressChart::sizeHint() const {
  return {400, heightForWidth(400)};
}

QRect ProgressChart::CellRect(int i, bool lower) const {
  const ChartGrid grid = Grid(width());
  const int index = i - 1;
  const int row = index / grid.perRow, column = index % grid.perRow;
  const int left = static_cast<int>(column * grid.cellWidth) + 1;
  const int w = std::max(2, static_cast<int>(grid.cellWidth) - 2);
  const int half = (kRowHeight - kLetterHeight - 4) / 2;
  const int top = row * kRowHeight + 2;
  return lower ? QRect(left, top + half, w, half) : QRect(left, top, w, half);
}

namespace {

void Cross(QPainter& painter, const QRect& cell) {
  painter.setPen(QPen(Qt::black, 1));
  painter.drawLine(cell.topLeft(), cell.bottomRight());
  painter.drawLine(cell.topRight(), cell.bottomLeft());
}

}  // namespace

void ProgressChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QFont font = painter.font();
  font.setPixelSize(kLetterHeight - 2);
  painter.setFont(font);
  for (std::size_t k = 0; k < columns_.size(); ++k) {
    const ChartColumn& c = columns_[k];
    const int i = static_cast<int>(k) + 1;
    const QRect upper = CellRect(i);
    const QRect whole = upper.united(CellRect(i, true));
    switch (c.style) {
      case CellStyle::kFill:
        painter.fillRect(c.split ? upper : whole, Rgb(c.upper));
        if (c.split) painter.fillRect(CellRect(i, true), Rgb(c.lower));
        if (c.upperCrossed) Cross(painter, c.split ? upper : whole);
        if (c.split && c.lowerCrossed) Cross(painter, CellRect(i, true));
        break;
      case CellStyle::kHatch:
        painter.fillRect(whole, QBrush(Rgb(c.upper), Qt::BDiagPattern));
        break;
      case CellStyle::kOutline:
        painter.setPen(Rgb(c.upper));
        painter.drawRect(whole.adjusted(0, 0, -1, -1));
        break;
    }
    if (c.letter != ' ') {
      painter.setPen(Qt::black);
      painter.drawText(QRect(whole.left(), whole.bottom() + 1, whole.width() + 2, kLetterHeight),
                       Qt::AlignHCenter | Qt::AlignTop, QString(QChar(c.letter)));
    }
  }
}

}  // namespace examora
