// Matrix and statistics calls, and formula substitution with drawn values.
#include <gtest/gtest.h>

#include "common/prompter.h"
#include "formula/matrix.h"
#include "formula/statistics.h"
#include "formula/substitution.h"

namespace examora {
namespace {

struct Fixture {
  ScriptedPrompter prompter;
  DebugLog debug;
  FormulaContext context{&prompter, &debug, 3};
  FormulaTables tables;
};

TEST(Matrix, SolvesAndReplacesTheCall) {
  Fixture f;
  struct Row {
    const char* formula;
    const char* evaluated;
    float answer;
  };
  const Row rows[] = {
      {"matrix[(2,1,5,1,-1,1),1]*10", "2*10", 20},
      {"matrix[(2,1,5,1,-1,1),2]", "1", 1},
      {"matrix[(0,1,2,1,0,3),1]+matrix[(0,1,2,1,0,3),2]", "3+2", 5},
      {"matrix[(2,6),1]", "3", 3},  // one equation: divided by its pivot too
      {"2*matrix[(1,0,-4,0,1,2),1]", "2*(0-4)", -8},
      {"MATRIX [(1, 1, 3, 1, -1, 1), 2]", "1", 1},
  };
  for (const auto& row : rows) {
    const FormulaResult r = SolveFormula(row.formula, 1, f.tables, f.context);
    EXPECT_TRUE(r.ok) << row.formula;
    EXPECT_EQ(r.formula, row.evaluated) << row.formula;
    EXPECT_FLOAT_EQ(r.answer, row.answer) << row.formula;
  }
  EXPECT_TRUE(f.prompter.prompts().empty());
}

TEST(Matrix, TraceShowsSwapsAndRowOperations) {
  Fixture f;
  std::string result, problem;
  ASSERT_TRUE(MatrixPrep("matrix[(0,1,2,1,0,3),1]", result, f.tables.matrix, f.context, problem));
  EXPECT_EQ(result, "3");
  const auto& lines = f.debug.List1;
  auto has = [&](const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  EXPECT_EQ(lines.front(), "MATRIX PREP matrix[(0,1,2,1,0,3),1]");
  EXPECT_TRUE(has("mx1= 9"));
  EXPECT_TRUE(has("mx2= 19"));
  EXPECT_TRUE(has("ch$= 0,1,2,1,0,3nth= 1"));
  EXPECT_TRUE(has("num elements=6"));
  EXPECT_TRUE(has("num Rows=2"));
  EXPECT_TRUE(has("Swap Row1 with Row2"));
  EXPECT_TRUE(has("                 1                 0                 3"));
  EXPECT_TRUE(has(std::string(37, '-')));
  EXPECT_TRUE(has("Matrix Answer = 3"));
  EXPECT_TRUE(has("Formula String replaced with= 3<<<<<<<<<<<<<<<<<<<<<"));

  f.debug.List1.clear();
  ASSERT_TRUE(MatrixPrep("matrix[(2,1,5,1,-1,1),1]", result, f.tables.matrix, f.context, problem));
  EXPECT_TRUE(has("Row1= Row1 / 2"));
  EXPECT_TRUE(has("Row2= Row2 - 1* Row1"));
}

TEST(Matrix, MalformedCallsEndWithTheQuestionMessage) {
  const std::pair<const char*, const char*> rows[] = {
      {"matrix[(1,2,3,4,5),1]", "do not form N rows"},
      {"2*matrix", "nothing after the word matrix"},
      {"matrix[(1,2),1", "not finished"},
      {"matrix[(2,1,5,1,-1,1),3]", "asks for unknown 3"},
  };
  for (const auto& [formula, says] : rows) {
    Fixture f;
    const FormulaResult r = SolveFormula(formula, 4, f.tables, f.context);
    EXPECT_FALSE(r.ok) << formula;
    EXPECT_EQ(r.answer, 0);
    ASSERT_FALSE(f.prompter.prompts().empty()) << formula;
    const auto& last = f.prompter.prompts().back();
    EXPECT_EQ(last.title, "Question4");
    EXPECT_NE(last.text.find(says), std::string::npos) << last.text;
    EXPECT_NE(last.text.find(" Formula = "), std::string::npos);
  }
  Fixture f;
  SolveFormula("matrix[(1,2,3,4,5),1]", 4, f.tables, f.context);
  EXPECT_EQ(f.prompter.prompts().front().title, "Question 3");
  EXPECT_EQ(f.prompter.prompts().front().text,
            "Matrix Warning: Does not form a matrix with N rows and (N+1) columns");
  std::string big = "matrix[(";
  for (int i = 0; i < 90; ++i) big += "1,";
  Fixture g;
  EXPECT_FALSE(SolveFormula(big + "1),1]", 1, g.tables, g.context).ok);
}

TEST(Statistics, ValuesOfTheEdgeCaseList) {
  const std::pair<const char*, double> rows[] = {
      {"mean[1,2,3,4]", 2.5},
      {"range[3,-1,7]", 8},
      {"median[5,1,3]", 3},
      {"median[4,1,3,2]", 2.5},
      {"stdev[2,4,4,4,5,5,7,9]", 2.1380899352994},
      {"stpdev[2,4,4,4,5,5,7,9]", 2},
      {"normx[10,2,0.975]", 13.9208965474847},
      {"normx[0,1,0.5]", 3.43530553603699e-06},
      {"mean[1,2]+mean[1,2]", 3},
      {"range[20000000000,30000000000]", 1e10},
      {"mean[2*3,sqrt(16)]", 5},
  };
  for (const auto& [formula, expected] : rows) {
    Fixture f;
    const FormulaResult r = SolveFormula(formula, 1, f.tables, f.context);
    EXPECT_TRUE(r.ok) << formula;
    EXPECT_FLOAT_EQ(r.answer, static_cast<float>(expected)) << formula;
  }
  Fixture f;
  std::string formula = "normp[0,1,1]";
  std::string problem;
  ASSERT_TRUE(ApplyStatCall(formula, "normp", f.tables.stats, f.context, problem));
  EXPECT_NEAR(std::stod(formula), 0.84187, 0.0001);
  formula = "normp[0,1,0]";
  ASSERT_TRUE(ApplyStatCall(formula, "normp", f.tables.stats, f.context, problem));
  EXPECT_NEAR(std::stod(formula), 0.49999, 0.0001);
}

TEST(Statistics, NormpInvertsNormx) {
  for (double p : {0.05, 0.3, 0.7, 0.975}) {
    const double x = InverseNormal(3, 2, p);
    Fixture f;
    std::string formula = "normp[3,2," + std::to_string(x) + "]";
    std::string problem;
    ASSERT_TRUE(ApplyStatCall(formula, "normp", f.tables.stats, f.context, problem));
    EXPECT_NEAR(std::stod(formula), p, 0.0001);
  }
}

TEST(Statistics, UnfinishedOrImpossibleCallsEnd) {
  const std::pair<const char*, const char*> rows[] = {
      {"2*mean", "no \"[\""},       {"mean[1,2", "not closed"},
      {"stdev[5]", "at least 2"},   {"normx[0,1,1]", "between 0 and 1"},
      {"normx[0,1]", "at least 3"},
  };
  for (const auto& [formula, says] : rows) {
    Fixture f;
    const FormulaResult r = SolveFormula(formula, 2, f.tables, f.context);
    EXPECT_FALSE(r.ok) << formula;
    ASSERT_EQ(f.prompter.prompts().size(), 1u) << formula;
    EXPECT_NE(f.prompter.prompts()[0].text.find(says), std::string::npos)
        << f.prompter.prompts()[0].text;
  }
}

TEST(Statistics, TinyResultsKeepTheirValue) {
  Fixture f;
  const FormulaResult r = SolveFormula("2/stdev[1,1.0000002]", 1, f.tables, f.context);
  ASSERT_TRUE(r.ok) << r.formula;
  EXPECT_NEAR(r.answer, 2 / 1.4142135623731e-07, 2 / 1.4142135623731e-07 * 1e-4);
}

TEST(PrepareFormulaQuestion, DrawsRoundsAndSubstitutes) {
  Fixture f;
  ScriptedRandom random{0.5, 0.25};
  const auto p = PrepareFormulaQuestion(1, "#Find x when a = #(1,10,2) and b = #(0.5,2,3).",
                                        "#a*#b", false, f.tables, random, f.context);
  // a = 1 + 0.5 * 9 = 5.5 (2 figures), b = 0.5 + 0.25 * 1.5 = 0.875 (3 figures: 0.875)
  EXPECT_EQ(p.questionText, "#Find x when a = 5.5 and b = 0.875.");
  EXPECT_FLOAT_EQ(p.result.answer, 5.5f * 0.875f);
  EXPECT_EQ(random.reseeds(), 2);
  EXPECT_EQ(f.tables.QuestionVarCount[1], 2);
  EXPECT_FLOAT_EQ(f.tables.Value(1, 1), 5.5f);
}

TEST(PrepareFormulaQuestion, FixedRangesFiguresAndNegativeValues) {
  Fixture f;
  ScriptedRandom random{0.3, 0.123456, 0.5};
  EXPECT_FLOAT_EQ(
      PrepareFormulaQuestion(1, "#Only #(5,5,3)", "#a", false, f.tables, random, f.context)
          .result.answer,
      5);
  // figures 0 means 3
  EXPECT_EQ(PrepareFormulaQuestion(2, "#v = #(0,10,0)", "#a", false, f.tables, random, f.context)
                .questionText,
            "#v = 1.23");
  const auto neg =
      PrepareFormulaQuestion(3, "#a = #(-4,-2,2)", "2*#a", false, f.tables, random, f.context);
  EXPECT_EQ(neg.result.formula, "2*(0-3)");
  EXPECT_FLOAT_EQ(neg.result.answer, -6);
  // Variables after o are bracketed too, and upper-case letters name the same variables.
  std::string many = "#";
  std::string formula = "2*#P+#A";
  for (int i = 0; i < 16; ++i) many += "#(-1,-1,1) ";
  ScriptedRandom r16;
  for (int i = 0; i < 16; ++i) r16.Push(0.5);
  EXPECT_FLOAT_EQ(
      PrepareFormulaQuestion(4, many, formula, false, f.tables, r16, f.context).result.answer, -3);
}

TEST(PrepareFormulaQuestion, ContinuationKeepsEarlierValuesAndDrawsNewOnes) {
  Fixture f;
  ScriptedRandom random{0.5, 0.5, 0.0};
  PrepareFormulaQuestion(5, "#a=#(0,10,2) b=#(0,100,2)", "#a+#b", false, f.tables, random,
                         f.context);
  const auto cont = PrepareFormulaQuestion(6, "#(cont) a=#(0,1,2) b=#(0,1,2) c=#(7,9,2)",
                                           "#a+#b+#c", true, f.tables, random, f.context);
  EXPECT_EQ(cont.questionText, "#(cont) a=5 b=50 c=7");
  EXPECT_FLOAT_EQ(cont.result.answer, 62);
  EXPECT_EQ(random.remaining(), 0u);
}

TEST(PrepareFormulaQuestion, SmallValuesReachTheEvaluatorWhole) {
  Fixture f;
  ScriptedRandom random{0.0, 0.0};
  const auto p = PrepareFormulaQuestion(1, "#q = #(0.00001,0.00001,3), r = #(2E+20,2E+20,2)",
                                        "#a*#b", false, f.tables, random, f.context);
  EXPECT_EQ(p.questionText, "#q = 1E-05, r = 2E+20");
  EXPECT_FLOAT_EQ(p.result.answer, 2e15f);
}

TEST(PrepareFormulaQuestion, FailuresShowTheQuestionMessageAndAnswerZero) {
  Fixture f;
  ScriptedRandom random{0.0, 0.0};
  const auto p = PrepareFormulaQuestion(7, "#a=#(1,1,2) b=#(0,0,2)", "#a/#b", false, f.tables,
                                        random, f.context);
  EXPECT_EQ(p.result.answer, 0);
  ASSERT_EQ(f.prompter.prompts().size(), 1u);
  EXPECT_EQ(f.prompter.prompts()[0].title, "Question7");
  EXPECT_EQ(f.prompter.prompts()[0].text, "Division by zero. Formula = 1/0");
  // An unfinished definition stops at the end of the template.
  ScriptedRandom one{0.5};
  EXPECT_EQ(
      PrepareFormulaQuestion(8, "#x = #(1,3", "#a", false, f.tables, one, f.context).questionText,
      "#x = 2");
}

TEST(PlainDecimalText, ExpandsExponents) {
  const std::pair<const char*, const char*> rows[] = {
      {"1E-05", "0.00001"},
      {"1.5E-07", "0.00000015"},
      {"-2.25E+20", "-225000000000000000000"},
      {"1.234568E+07", "12345680"},
      {"42", "42"},
      {"1.5E+01", "15"},
  };
  for (const auto& [in, out] : rows) EXPECT_EQ(PlainDecimalText(in), out);
}

}  // namespace
}  // namespace examora
