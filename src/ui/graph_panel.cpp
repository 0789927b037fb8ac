#include "ui/graph_panel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
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

void GraphPanel::SetView(GraphView view) {
  view_ = std::move(view);
  update();
}

QPointF GraphPanel::ToPixels(double x, double y) const {
  const double w = view_.xMax - view_.xMin, h = view_.yMax - view_.yMin;
  if (w == 0 || h == 0) return {};
  return {(x - view_.xMin) / w * width(), (view_.yMax - y) / h * height()};
}

QPointF GraphPanel::ToGraph(const QPointF& p) const {
  return {view_.xMin + p.x() / width() * (view_.xMax - view_.xMin),
          view_.yMax - p.y() / height() * (view_.yMax - view_.yMin)};
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
  for (double x = std::ceil(view_.xMin / step) * step; x <= view_.xMax; x += step) {
    if (std::fabs(x) > step / 2)
      painter.drawText(ToPixels(x, 0) + QPointF(2, 10), ToQString(FormatGeneral(x)));
  }
  for (double y = std::ceil(view_.yMin / step) * step; y <= view_.yMax; y += step) {
    if (std::fabs(y) > step / 2)
      painter.drawText(ToPixels(0, y) + QPointF(3, -2), ToQString(FormatGeneral(y)));
  }
}

void GraphPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Rgb(Grapher::kBackColour));
  if (view_.xMax <= view_.xMin) return;
  PaintAxes(painter);
  painter.setRenderHint(QPainter::Antialiasing);
  const double unit = width() / (view_.xMax - view_.xMin) * view_.plotStep;  // PlotStep in pixels
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
    for (const GraphLabel& label : curve.labels) {
      const QPointF at = ToPixels(label.x, label.y);
      painter.fillRect(QRectF(at, QSizeF(8 * unit, 5 * unit)), Rgb(Grapher::kBackColour));
      painter.drawText(at + QPointF(0, 4 * unit), ToQString(label.text));
    }
  }
  for (const PlottedPoint& point : view_.points) {
    const QPointF at = ToPixels(point.x, point.y);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 0));
    painter.drawEllipse(at + QPointF(4 * unit, -3 * unit), 3.5 * unit, 3.5 * unit);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(0, 0, 255));
    painter.drawEllipse(at, unit, unit);
    painter.setPen(QColor(0, 0, 255));
    painter.setBrush(Qt::NoBrush);
    painter.drawText(at + QPointF(unit, -unit), ToQString(point.label.text));
  }
}

void GraphPanel::mouseMoveEvent(QMouseEvent* event) {
  if (!onMouseMove) return;
  const QPointF at = ToGraph(event->position());
  onMouseMove((event->buttons() & Qt::LeftButton) ? 1 : 0, at.x(), at.y());
}

}  // namespace examora
