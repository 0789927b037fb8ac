#include "formula/evaluator.h"

#include <cmath>

#include <gtest/gtest.h>

#include "common/prompter.h"

namespace examora {
namespace {

struct Value {
  const char* expr;
  double x;
  double expected;
};

TEST(EvaluateExpression, ValuesOfTheEdgeCaseTable) {
  const Value rows[] = {
      {"2+3*4", 0, 14},
      {"(2+3)*4", 0, 20},
      {"2^3^2", 0, 64},
      {"-2^2", 0, -4},
      {"10-4-3", 0, 3},
      {"8/2/2", 0, 2},
      {"2pi", 0, 6.28318530717958},
      {"3x", 2, 6},
      {"sin(pi/2)", 0, 1},
      {"8@2", 0, 3},
      {"cint(2.25)", 0, 2.2},
      {"ceil(-1.5)", 0, -1},
      {"int(-1.5)", 0, -2},
      {"frac(-1.25)", 0, 0.75},
      {"1.5E-03*2", 0, 0.003},
      {"1.5e-03", 0, 1.5 * 2.71828182845905 - 3},
      {"2,5*2", 0, 5},
      {"3^2x", 1, 9},   // 3^(2x)
      {"2x^2", 3, 18},  // 2(x^2)
      {"sin(x)^2", 0.5, std::pow(std::sin(0.5), 2)},
      {"3--2", 0, 5},
      {"(-x)", 4, -4},
      {"asin(1)+acos(-1)", 0, 3.14159265358979 / 2 + 3.14159265358979},
      {"acos(0.5)", 0, std::atan(std::sqrt(0.75) / 0.5)},
      {"sgn(-3)+sgn(0)+sgn(2)", 0, 0},
      {"sinh(1)", 0, (std::exp(1.0) - std::exp(-1.0)) * 0.5},
      {"tanh(0.5)", 0, (std::exp(0.5) - std::exp(-0.5)) / (std::exp(-0.5) + std::exp(0.5))},
      {"5@1", 0, std::log(5.0)},
      {"  2 +  3 ", 0, 5},
      {".5+5.", 0, 5.5},
      // Mended: a number or constant directly before a bracket multiplies it.
      {"2(3+4)", 0, 14},
      {"pi(2)", 0, 2 * 3.14159265358979},
      {"3^2(1+0)", 0, 9},
      // Mended: exponent notation stays one number whatever stands around it.
      {"1E+20/1E+18", 0, 100},
      {"2/1.5E-06", 0, 2 / 1.5e-6},
      {"1E-05^2", 0, 1e-10},
  };
  for (const auto& row : rows) {
    int code = -1;
    EXPECT_NEAR(EvaluateExpression(row.expr, row.x, code), row.expected,
                1e-12 * std::max(1.0, std::fabs(row.expected)))
        << row.expr;
    EXPECT_EQ(code, 0) << row.expr;
  }
}

TEST(EvaluateExpression, RefusedOperationsGiveTheirCodeAndZero) {
  const std::pair<const char*, int> rows[] = {
      {"sqrt(-1)", 4},   {"ln(0)", 2},      {"1/0", 7},    {"0^0", 1}, {"(-8)^(1/3)", 1},
      {"asin(2)", 5},    {"acos(-1.5)", 6}, {"(-2)@3", 2}, {"3@0", 2}, {"0^(0-1)", 18},
      {"exp(1000)", 18}, {"(0-1)@1", 18},   {"2**3", 18},
  };
  for (const auto& [expr, expected] : rows) {
    int code = -1;
    EXPECT_EQ(EvaluateExpression(expr, 0, code), 0) << expr;
    EXPECT_EQ(code, expected) << expr;
  }
}

TEST(EvaluateExpression, OverflowShowsItsMessageAndNeverStops) {
  ScriptedPrompter prompter;
  FormulaContext context{&prompter, nullptr, 7};
  int code = 0;
  EXPECT_EQ(EvaluateExpression(std::string(200, '(') + "1", 0, code, context), 0);
  EXPECT_EQ(code, 18);
  ASSERT_EQ(prompter.prompts().size(), 1u);
  EXPECT_EQ(prompter.prompts()[0].text, "Q7 Overflow ");
  // 199 brackets still fit the operator stack.
  EXPECT_EQ(EvaluateExpression(std::string(199, '(') + "1" + std::string(199, ')'), 0, code), 1);
  EXPECT_EQ(code, 0);
  std::string sum = "1";
  for (int i = 0; i < 250; ++i) sum += "+1";
  EXPECT_EQ(EvaluateExpression(sum, 0, code), 251);  // operands are applied as they come
  std::string deep;
  for (int i = 0; i < 201; ++i) deep += "1+(";
  EvaluateExpression(deep + "1", 0, code);
  EXPECT_EQ(code, 18);
}

TEST(EvaluateExpression, Atan2GivesTheFullCircle) {
  const double pi = 3.14159265358979;
  const Value rows[] = {
      {"Atan2(-1,-1)", 0, 5 * pi / 4},
      {"Atan2(1,-1)", 0, 7 * pi / 4},
      {"Atan2(1,1)", 0, pi / 4},
      {"Atan2(-1,1)", 0, 3 * pi / 4},
      {"Atan2(0,1)*2", 0, 1.5707963267949 * 2},
      {"Atan2(0,-2)", 0, 3 * pi / 2},
      {"Atan2(0,0)", 0, 0},
      // Mended: a call after other text keeps that text; (-1,0) points at 180 degrees.
      {"2*Atan2(0,1)", 0, 2 * 1.5707963267949},
      {"Atan2(-1,0)", 0, pi},
      {"Atan2(x,1)+Atan2(1,0)", 1, pi / 4},
  };
  for (const auto& row : rows) {
    int code = -1;
    EXPECT_NEAR(EvaluateExpression(row.expr, row.x, code), row.expected, 1e-12) << row.expr;
    EXPECT_EQ(code, 0) << row.expr;
  }
  int code = 0;
  EXPECT_EQ(EvaluateExpression("Atan2(1", 0, code), 0);
  EXPECT_EQ(code, 18);
}

TEST(CheckExpression, CodesOfTheEdgeCaseTable) {
  const std::pair<const char*, int> rows[] = {
      {"2+3*4", 0},   {"x2", 12},    {"", 17},      {"   ", 17},    {"(2+3", 11},
      {"2+3)", 11},   {"sin 2", 13}, {"2*-3", 14},  {"()", 14},     {"(2)(3)", 15},
      {"foo(2)", 16}, {"2**3", 16},  {"1.2.3", 16}, {"2(3+4)", 0},  {"sin(x)^2", 0},
      {"-2", 0},      {"+2", 14},    {"pi x", 12},  {"sqrt(x)", 0},
  };
  for (const auto& [expr, expected] : rows) {
    int code = -1, pos = -1;
    CheckExpression(expr, true, code, pos);
    EXPECT_EQ(code, expected) << expr;
  }
  int code = -1, pos = -1;
  CheckExpression("2*x", false, code, pos);
  EXPECT_EQ(code, 16);  // no variable allowed
  EXPECT_EQ(pos, 4);    // "(2*x)": x starts at 4
  code = 99, pos = 99;
  CheckExpression("Atan2(1,2)", true, code, pos);
  EXPECT_EQ(code, 99);  // not examined
  EXPECT_EQ(pos, 99);
}

TEST(NormaliseSigns, Rewrites) {
  const std::pair<const char*, const char*> rows[] = {
      {"-2^2", "0-2^2"},
      {"3--2", "3+2"},
      {"(-x)", "(0-x)"},
      {"2*-3", "2*-3"},
      {"1+-+-2", "1+2"},
      {"(+3)", "(3)"},
      {"1.5E-06", "(1.5/10^06)"},
      {"2E3", "(2*10^3)"},
      {"1E+20", "(1*10^20)"},
      {"1.5e-03", "1.5e-03"},
      {"", ""},
      {"-", "0-"},
  };
  for (const auto& [in, out] : rows) EXPECT_EQ(NormaliseSigns(in), out) << in;
}

TEST(Tokens, Lexing) {
  const std::string expr = "sin(x)+1.5e3**2x";
  std::vector<std::string> tokens;
  std::size_t pos = 0, start = 0, end = 0;
  while (pos < expr.size()) {
    GetToken(expr, pos, start, end);
    tokens.push_back(expr.substr(start, end - start + 1));
    pos = end + 1;
  }
  EXPECT_EQ(tokens,
            (std::vector<std::string>{"sin", "(", "x", ")", "+", "1.5", "e", "3", "**", "2", "x"}));
  EXPECT_EQ(TokenKind("SIN"), kFunctionToken);
  EXPECT_EQ(TokenKind("PI"), kConstantToken);
  EXPECT_EQ(TokenKind("x", ""), kUnknownToken);
  EXPECT_TRUE(IsNumberText(","));
  EXPECT_TRUE(IsNumberText("2,5"));
  EXPECT_FALSE(IsNumberText("1.2.3"));
  EXPECT_EQ(OperatorPriority("cint"), 4);
  EXPECT_EQ(OperatorPriority("~"), 0);
  EXPECT_EQ(EvaluatorMessage(11), "Unexpected end of parenthesis. ");
  EXPECT_EQ(EvaluatorMessage(9), "");
}

TEST(CompiledExpression, SameResultsAsEvaluatingTheText) {
  const char* exprs[] = {"3*sin(x)^2+ln(x+4)/2", "x^3-2x+1", "sqrt(x)",    "1/(x-1)",
                         "Atan2(x,1)",           "2(x+1)",   "cint(x*3.3)"};
  for (const char* expr : exprs) {
    const CompiledExpression compiled(expr);
    for (double x = -3; x <= 3; x += 0.25) {
      int a = -1, b = -1;
      const double slow = EvaluateExpression(expr, x, a);
      const double fast = compiled.Evaluate(x, b);
      EXPECT_EQ(slow, fast) << expr << " at " << x;
      EXPECT_EQ(a, b) << expr << " at " << x;
    }
  }
}

}  // namespace
}  // namespace examora

namespace examora {
namespace {

TEST(EvaluateExpression, DeeplyNestedAtan2EndsWithOverflow) {
  std::string expr = "1";
  for (int i = 0; i < 200; ++i) expr = "Atan2(" + expr + ",1)";
  int code = 0;
  EXPECT_EQ(EvaluateExpression(expr, 0, code), 0);
  EXPECT_EQ(code, 18);
  std::string shallow = "1";
  for (int i = 0; i < 5; ++i) shallow = "Atan2(" + shallow + ",1)";
  EvaluateExpression(shallow, 0, code);
  EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace examora
