#include "formula/grapher.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "common/numtext.h"
#include "formula/evaluator.h"

namespace examora {
namespace {

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t pos = 0; (pos = text.find(from, pos)) != std::string::npos; pos += to.size()) {
    text.replace(pos, from.size(), to);
  }
  return text;
}

// Takes every call of `word` ("point[" ... "]") out of text into calls.
void TakeCalls(std::string& text, const std::string& word, std::vector<std::string>& calls) {
  for (std::size_t pos; (pos = text.find(word)) != std::string::npos;) {
    const std::size_t close = text.find(']', pos);
    const std::size_t end = close == std::string::npos ? text.size() : close + 1;
    calls.push_back(text.substr(pos, end - pos));
    text.erase(pos, end - pos);
  }
}

// The text between the call's "[" and its "]" (or the end of an unfinished call).
std::string Inside(const std::string& call) {
  const std::size_t open = call.find('[');
  std::string inside = call.substr(open + 1);
  if (!inside.empty() && inside.back() == ']') inside.pop_back();
  return inside;
}

double Value(const CompiledExpression& expression, double x) {
  int code = 0;
  const double y = expression.Evaluate(x, code);
  return code == 0 ? y : 0;  // an evaluation error draws at 0, silently
}

}  // namespace

std::uint32_t CurveColour(int g) {
  static constexpr std::array<std::uint32_t, 10> kColours = {0x000000, 0xFF0000, 0xFF00FF, 0x0000FF,
                                                             0x009933, 0x663300, 0xFF9900, 0x9900CC,
                                                             0x00FF00, 0x336666};
  return kColours[static_cast<std::size_t>(((g % 10) + 10) % 10)];
}

const GraphView& Grapher::SetUpGraph(const std::string& markup, const FormulaTables& tables,
                                     int position) {
  // The suffix after the last "]": the scale, and "L" for a view that cannot be zoomed.
  std::string suffix;
  ZoomLocked = false;
  std::size_t cut = markup.size();
  while (cut > 0 && markup[cut - 1] != ']') {
    const char c = markup[cut - 1];
    if (c == 'L') {
      ZoomLocked = true;
    } else {
      suffix.insert(suffix.begin(), c);
    }
    --cut;
  }
  GraphScale = LeadingNumber(suffix);
  if (GraphScale == 0) GraphScale = 10;
  GraphText = markup.substr(0, cut);
  ViewXMin = -GraphScale;
  ViewXMax = GraphScale;
  ViewYMin = -GraphScale * kPanelHeight / kPanelWidth;
  ViewYMax = GraphScale * kPanelHeight / kPanelWidth;
  std::string text = SubstituteVariables(GraphText, tables, position);
  std::erase(text, ' ');
  for (const auto& [from, to] : {std::pair{"--", "+"}, {"++", "+"}, {"+-", "-"}, {"-+", "-"}}) {
    text = ReplaceAll(text, from, to);
  }
  GraphPoints.clear();
  GraphCurves.clear();
  TakeCalls(text, "point[", GraphPoints);
  TakeCalls(text, "graph[", GraphCurves);
  return RedrawGraph();
}

// The curves are read once per markup, not once per redraw.
void Grapher::Compile() {
  if (compiledFor_ == GraphCurves) return;
  compiled_.clear();
  expressions_.clear();
  for (const auto& call : GraphCurves) {
    expressions_.push_back(NormaliseSigns(Inside(call)));
    compiled_.emplace_back(expressions_.back());
  }
  compiledFor_ = GraphCurves;
}

void Grapher::DrawCurve(std::size_t g, PlottedCurve& curve) const {
  const double width = ViewXMax - ViewXMin;
  const CompiledExpression& expression = compiled_[g - 1];
  curve.expression = expressions_[g - 1];
  curve.colour = CurveColour(static_cast<int>(g));
  curve.points.resize(501);
  for (int step = 0; step <= 500; ++step) {
    const double x = ViewXMin + width * step / 500;
    curve.points[static_cast<std::size_t>(step)] = {x, Value(expression, x)};
  }
  curve.labels.resize(4);
  for (int place = 0; place <= 3; ++place) {
    const double x = ViewXMin + width * place / 3;
    GraphLabel& label = curve.labels[static_cast<std::size_t>(place)];
    label.x = x;
    label.y = Value(expression, x);
    label.text = " F" + std::to_string(g);
  }
}

const GraphView& Grapher::RedrawGraph() {
  Compile();
  view_.xMin = ViewXMin;
  view_.xMax = ViewXMax;
  view_.yMin = ViewYMin;
  view_.yMax = ViewYMax;
  view_.plotStep = (ViewXMax - ViewXMin) / 300;
  view_.curves.resize(GraphCurves.size());
  for (std::size_t g = 1; g <= GraphCurves.size(); ++g) DrawCurve(g, view_.curves[g - 1]);
  view_.points.resize(GraphPoints.size());
  for (std::size_t p = 1; p <= GraphPoints.size(); ++p) {
    const std::string inside = Inside(GraphPoints[p - 1]);
    const std::size_t comma = inside.find(',');
    int code = 0;
    const double x = EvaluateExpression(inside.substr(0, comma), 0, code);
    const double y =
        comma == std::string::npos ? 0 : EvaluateExpression(inside.substr(comma + 1), 0, code);
    view_.points[p - 1] = {x, y, {x, y, " p" + std::to_string(p)}};
  }
  return view_;
}

bool Grapher::ZoomOut() {
  const double width = ViewXMax - ViewXMin;
  const double height = ViewYMax - ViewYMin;
  if (width > 20000) return false;
  ViewXMin -= width / 8;
  ViewXMax += width / 8;
  ViewYMin -= height / 8;
  ViewYMax += height / 8;
  return true;
}

bool Grapher::ZoomIn() {
  const double width = ViewXMax - ViewXMin;
  const double height = ViewYMax - ViewYMin;
  if (width < 0.03) return false;
  ViewXMin += width / 10;
  ViewXMax -= width / 10;
  ViewYMin += height / 10;
  ViewYMax -= height / 10;
  return true;
}

bool Grapher::Pan(int button, double x, double y) {
  if (button != 1) return false;
  if (PanState == 0) {
    PanX = x;
    PanY = y;
    PanState = 1;
    return false;
  }
  ViewXMin -= x - PanX;
  ViewXMax -= x - PanX;
  ViewYMin -= y - PanY;
  ViewYMax -= y - PanY;
  PanState = 0;
  return true;
}

std::string Grapher::PointerText(double x, double y) {
  auto figures = [](double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4g", v);
    return FormatGeneral(std::strtod(text, nullptr));
  };
  return "x = " + figures(x) + "   y = " + figures(y);
}

}  // namespace examora
