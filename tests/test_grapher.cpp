#include "formula/grapher.h"

#include <gtest/gtest.h>

namespace examora {
namespace {

FormulaTables Values(std::vector<float> values) {
  FormulaTables t;
  values.insert(values.begin(), 0.0f);
  t.QuestionVars = {{}, values};
  t.QuestionVarCount = {0, static_cast<int>(values.size()) - 1};
  return t;
}

TEST(Grapher, ScaleSuffixAndLockedView) {
  Grapher g;
  const GraphView v = g.SetUpGraph("graph[x^2]5L", Values({}), 1);
  EXPECT_TRUE(g.ZoomLocked);
  EXPECT_DOUBLE_EQ(g.GraphScale, 5);
  EXPECT_DOUBLE_EQ(v.xMin, -5);
  EXPECT_DOUBLE_EQ(v.xMax, 5);
  EXPECT_DOUBLE_EQ(v.yMax, 5 * 420 / 546.75);
  ASSERT_EQ(v.curves.size(), 1u);
  EXPECT_EQ(v.curves[0].points.size(), 501u);
  EXPECT_DOUBLE_EQ(v.curves[0].points[0][1], 25);
  EXPECT_DOUBLE_EQ(v.curves[0].points[250][1], 0);
  EXPECT_DOUBLE_EQ(v.plotStep, 10.0 / 300);
  g.SetUpGraph("graph[x]", Values({}), 1);
  EXPECT_FALSE(g.ZoomLocked);
  EXPECT_DOUBLE_EQ(g.GraphScale, 10);
}

TEST(Grapher, CurveColoursAndLabels) {
  Grapher g;
  const GraphView v = g.SetUpGraph("graph[sin(x)]graph[cos(x)]", Values({}), 1);
  ASSERT_EQ(v.curves.size(), 2u);
  EXPECT_EQ(v.curves[0].colour, 0xFF0000u);  // red
  EXPECT_EQ(v.curves[1].colour, 0xFF00FFu);  // magenta
  ASSERT_EQ(v.curves[0].labels.size(), 4u);
  EXPECT_EQ(v.curves[0].labels[0].text, " F1");
  EXPECT_EQ(v.curves[1].labels[3].text, " F2");
  EXPECT_DOUBLE_EQ(v.curves[0].labels[1].x, -10 + 20.0 / 3);
  EXPECT_EQ(CurveColour(10), CurveColour(0));
  EXPECT_EQ(CurveColour(4), 0x009933u);
}

TEST(Grapher, VariablesPointsAndNegativeValues) {
  Grapher g;
  GraphView v = g.SetUpGraph("point[2,#a]", Values({3}), 1);
  ASSERT_EQ(v.points.size(), 1u);
  EXPECT_DOUBLE_EQ(v.points[0].x, 2);
  EXPECT_DOUBLE_EQ(v.points[0].y, 3);
  EXPECT_EQ(v.points[0].label.text, " p1");
  v = g.SetUpGraph("graph[#a*x]", Values({-2}), 1);
  EXPECT_EQ(v.curves[0].expression, "(0-2)*x");
  EXPECT_DOUBLE_EQ(v.curves[0].points[500][1], -20);
  v = g.SetUpGraph("graph[x - - 1]point[1,1]point[#b,#a]", Values({-1, 4}), 1);
  EXPECT_EQ(v.curves[0].expression, "x+1");
  ASSERT_EQ(v.points.size(), 2u);
  EXPECT_DOUBLE_EQ(v.points[1].x, 4);
  EXPECT_DOUBLE_EQ(v.points[1].y, -1);
}

TEST(Grapher, ZoomLimitsAndPanning) {
  Grapher g;
  g.SetUpGraph("graph[x]", Values({}), 1);
  int zoomsIn = 0;
  while (g.ZoomIn()) ++zoomsIn;
  EXPECT_LT(g.ViewXMax - g.ViewXMin, 0.03);
  EXPECT_GT((g.ViewXMax - g.ViewXMin) / 0.8, 0.03);  // it stopped at the first width below
  EXPECT_GE(zoomsIn, 10);
  int zoomsOut = 0;
  while (g.ZoomOut()) ++zoomsOut;
  EXPECT_GT(g.ViewXMax - g.ViewXMin, 20000);
  g.SetUpGraph("graph[x]", Values({}), 1);
  EXPECT_FALSE(g.Pan(1, 1, 1));  // the first movement records where the mouse is
  EXPECT_TRUE(g.Pan(1, 3, 2));
  EXPECT_DOUBLE_EQ(g.ViewXMin, -12);
  EXPECT_DOUBLE_EQ(g.ViewXMax, 8);
  EXPECT_FALSE(g.Pan(0, 5, 5));  // no button, no pan
}

TEST(Grapher, EvaluationErrorsDrawAtZero) {
  Grapher g;
  const GraphView v = g.SetUpGraph("graph[sqrt(x)]", Values({}), 1);
  EXPECT_DOUBLE_EQ(v.curves[0].points[0][1], 0);  // sqrt(-10) refused
  EXPECT_DOUBLE_EQ(v.curves[0].points[500][1], std::sqrt(10.0));
}

}  // namespace
}  // namespace examora
