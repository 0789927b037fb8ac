#include "ui/graph_panel.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "common/numtext.h"
#include "ui/qtext.h"

namespace examora {
namespace {

QColor Rgb(std::uint32_t rgb) {
  return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// A grid step of 1, 2 or 5 times a power of ten giving about ten lines across.
double GridStep(double width) {
  const double raw = width / 10;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double factor : {1.0, 2.0, 5.0}) {
    if (raw <= factor * power) return factor * power;
  }
  return 10 * power;
}

}  // namespace

GraphPanel::GraphPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("picGraph"));
  setMinimumSize(static_cast<int>(Grapher::kPanelWidth * 0.6),
                 static_cast<int>(Grapher::kPanelHeight * 0.6));
  setMouseTracking(true);
}

void GraphPanel::SetView(const GraphView& view) {
  view_ = view;  // assigned into the panel's own buffers, which the last redraw sized
  update();
}

QRectF GraphPanel::PlotRect() const {
  const double w = view_.xMax - view_.xMin, h = view_.yMax - view_.yMin;
  if (w <= 0 || h <= 0 || width() <= 0 || height() <= 0) return QRectF(rect());
  const double scale = std::min(width() / w, height() / h);  // pixels per graph unit
  const QSizeF size(w * scale, h * scale);
  return QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

QPointF GraphPanel::ToPixels(double x, double y) const {
  const double w = view_.xMax - view_.xMin, h = view_.yMax - view_.yMin;
  if (w == 0 || h == 0) return {};
  const QRectF plot = PlotRect();
  return {plot.left() + (x - view_.xMin) / w * plot.width(),
          plot.top() + (view_.yMax - y) / h * plot.height()};
}

QPointF GraphPanel::ToGraph(const QPointF& p) const {
  const QRectF plot = PlotRect();
  return {view_.xMin + (p.x() - plot.left()) / plot.width() * (view_.xMax - view_.xMin),
          view_.yMax - (p.y() - plot.top()) / plot.height() * (view_.yMax - view_.yMin)};
}

void GraphPanel::PaintAxes(QPainter& painter) const {
  const double step = GridStep(view_.xMax - view_.xMin);
  painter.setPen(QColor(0xD0, 0xD8, 0xD8));
  for (double x = std::ceil(view_.xMin / step) * step; x <= view_.xMax; x += step) {
    painter.drawLine(ToPixels(x, view_.yMin), ToPixels(x, view_.yMax));
  }
  for (double y = std::ceil(view_.yMin / step) * step; y <= view_.yMax; y += step) {
    painter.drawLine(ToPixels(view_.xMin, y), ToPixels(view_.xMax, y));
  }
  painter.setPen(QColor(0x60, 0x60, 0x60));
  painter.drawLine(ToPixels(view_.xMin, 0), ToPixels(view_.xMax, 0));
  painter.drawLine(ToPixels(0, view_.yMin), ToPixels(0, view_.yMax));
  QFont small = painter.font();
  small.setPointSize(7);
  painter.setFont(small);
  // Numbers stand beside their axis, kept inside the plot when the axis lies off it; one that
  // would not fit whole is left out rather than cut.
  const QRectF plot = PlotRect();
  const QFontMetricsF metrics(small);
  auto label = [&](QPointF at, double value) {
    const QString text = ToQString(FormatGeneral(value));
    QRectF box(at, metrics.size(0, text));
    box.moveTop(std::clamp(box.top(), plot.top(), plot.bottom() - box.height()));
    box.moveLeft(std::clamp(box.left(), plot.left(), plot.right() - box.width()));
    if (plot.contains(box)) painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, text);
  };
  for (double x = std::ceil(view_.xMin / step) * step; x <= view_.xMax; x += step) {
    if (std::fabs(x) > step / 2) label(ToPixels(x, 0) + QPointF(2, 1), x);
  }
  for (double y = std::ceil(view_.yMin / step) * step; y <= view_.yMax; y += step) {
    if (std::fabs(y) > step / 2) label(ToPixels(0, y) + QPointF(3, -metrics.height()), y);
  }
}

void GraphPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  if (view_.xMax <= view_.xMin) return;
  const QRectF plot = PlotRect();
  painter.fillRect(plot, Rgb(Grapher::kBackColour));
  painter.setClipRect(plot);
  PaintAxes(painter);
  painter.setRenderHint(QPainter::Antialiasing);
  const double unit = plot.width() / (view_.xMax - view_.xMin) * view_.plotStep;  // PlotStep
  for (const PlottedCurve& curve : view_.curves) {
    QPainterPath path;
    for (std::size_t i = 0; i < curve.points.size(); ++i) {
      const QPointF p = ToPixels(curve.points[i][0], curve.points[i][1]);
      if (i == 0) {
        path.moveTo(p);
      } else {
        path.lineTo(p);
      }
    }
    painter.setPen(QPen(Rgb(curve.colour), 1.5));
    painter.drawPath(path);
    // Each label's text starts at its place on the curve, on a patch of background to the
    // right of and below it.
    for (const GraphLabel& label : curve.labels) {
      const QRectF patch(ToPixels(label.x, label.y), QSizeF(8 * unit, 5 * unit));
      painter.fillRect(patch, Rgb(Grapher::kBackColour));
      painter.drawText(patch.topLeft() + QPointF(0, painter.fontMetrics().ascent()),
                       ToQString(label.text));
    }
  }
  for (const PlottedPoint& point : view_.points) {
    // A yellow disc behind the label (right of and below the point), the point itself as a
    // blue disc with a black rim, and the label in blue starting at the point.
    const QPointF at = ToPixels(point.x, point.y);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 0));
    painter.drawEllipse(at + QPointF(4 * unit, 3 * unit), 3.5 * unit, 3.5 * unit);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(0, 0, 255));
    painter.drawEllipse(at, unit, unit);
    painter.setPen(QColor(0, 0, 255));
    painter.setBrush(Qt::NoBrush);
    painter.drawText(at + QPointF(0, painter.fontMetrics().ascent()), ToQString(point.label.text));
  }
}

void GraphPanel::mouseMoveEvent(QMouseEvent* event) {
  if (!onMouseMove) return;
  const QPointF at = ToGraph(event->position());
  onMouseMove((event->buttons() & Qt::LeftButton) ? 1 : 0, at.x(), at.y());
}

}  // namespace examora
