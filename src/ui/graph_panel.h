// picGraph: paints a `GraphView` (axes with grid and numbers, curves, labels and points) and
// reports mouse movement in graph units for panning.
#pragma once

#include <QPointF>
#include <QWidget>
#include <functional>

#include "formula/grapher.h"

namespace examora {

class GraphPanel : public QWidget {
 public:
  explicit GraphPanel(QWidget* parent = nullptr);

  void SetView(const GraphView& view);
  const GraphView& view() const { return view_; }
  /// Where a point in graph units lands on the panel.
  QPointF ToPixels(double x, double y) const;
  QPointF ToGraph(const QPointF& pixel) const;
  /// The part of the panel the view fills: the largest centred rectangle of the view's own
  /// proportions, so one unit is as long across as upward.
  QRectF PlotRect() const;

  /// Mouse movement: buttons (1 for the left) and the position in graph units.
  std::function<void(int, double, double)> onMouseMove;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void PaintAxes(class QPainter& painter) const;
  GraphView view_;
};

}  // namespace examora
