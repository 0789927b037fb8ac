// Grapher: curves y = f(x) and marked points from a question's graph markup
// ("graph[expr]...point[x,y]...", then an optional scale and "L" for a fixed view), worked out
// into what the graph panel draws. The panel only paints this model.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "formula/evaluator.h"
#include "formula/substitution.h"

namespace examora {

/// Colour of curve g (its entry g mod 10), as 0xRRGGBB.
std::uint32_t CurveColour(int g);

struct GraphLabel {
  double x = 0, y = 0;  // graph units, where the text starts
  std::string text;     // " F1", " p2"
};

struct PlottedCurve {
  std::string expression;  // normalised
  std::uint32_t colour = 0;
  std::vector<std::array<double, 2>> points;  // 501 points across the view
  std::vector<GraphLabel> labels;             // four, a third of the width apart
};

struct PlottedPoint {
  double x = 0, y = 0;
  GraphLabel label;
};

/// Everything one redraw shows.
struct GraphView {
  double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  double plotStep = 0;  // a 300th of the width: the unit of label and marker sizes
  std::vector<PlottedCurve> curves;
  std::vector<PlottedPoint> points;
};

class Grapher {
 public:
  static constexpr double kPanelHeight = 420, kPanelWidth = 546.75;
  static constexpr std::uint32_t kBackColour = 0xEAFAFA;  // GraphBackColor, as RGB

  std::string GraphText;
  double GraphScale = 10;
  bool ZoomLocked = false;
  double ViewXMin = -10, ViewXMax = 10, ViewYMin = 0, ViewYMax = 0;
  std::vector<std::string> GraphCurves;  // "graph[...]" calls
  std::vector<std::string> GraphPoints;  // "point[...]" calls
  int PanState = 0;
  double PanX = 0, PanY = 0;

  /// Reads the markup of the question at `position` with its drawn values, sets the view and
  /// draws.
  const GraphView& SetUpGraph(const std::string& markup, const FormulaTables& tables, int position);
  /// Works out every curve and point in the current view. The view is refilled in place on
  /// every redraw (a redraw per mouse move must not allocate), so the reference is good until
  /// the next one.
  const GraphView& RedrawGraph();
  /// Zoom in (a tenth off each side) unless narrower than 0.03; out (an eighth added to each
  /// side) unless wider than 20000. False when the limit held the view still.
  bool ZoomIn();
  bool ZoomOut();
  /// Mouse movement over the panel at (x, y) in graph units with the given buttons (1: left);
  /// true when the view moved.
  bool Pan(int button, double x, double y);
  /// The pointer's place in graph units as the panel shows it ("x = 1.25   y = -0.5"), to four
  /// significant figures.
  static std::string PointerText(double x, double y);

 private:
  void Compile();
  void DrawCurve(std::size_t g, PlottedCurve& curve) const;

  GraphView view_;
  std::vector<std::string> compiledFor_;  // the curves `compiled_` was read from
  std::vector<std::string> expressions_;  // normalised, as the view names them
  std::vector<CompiledExpression> compiled_;
};

}  // namespace examora
