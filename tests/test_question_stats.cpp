#include "reports/question_stats.h"

#include <gtest/gtest.h>

namespace examora {
namespace {

AttemptCodes Rec(int score, const std::string& codes) {
  return {static_cast<double>(score), codes};
}

TEST(QuestionStats, FacilityCodesAndDiscriminationPerQuestionInFileOrder) {
  // Q1 and Q4 multiple choice of four options, Q2 and Q3 numeric.
  const std::vector<AttemptCodes> lines = {Rec(90, "AXYX"), Rec(70, "AXUX"), Rec(50, "BXXY"),
                                           Rec(10, "AXXY"), Rec(99, "AX"),   Rec(0, "")};
  TestStats stats = QuestionStatistics(lines, {0, 4, 1, 1, 4});
  stats.testNumber = "10101";
  stats.source = "the <records>";
  EXPECT_EQ(stats.attempts, 4);
  EXPECT_EQ(stats.skipped, 2);
  ASSERT_EQ(stats.questions.size(), 4u);
  const QuestionStats& q1 = stats.questions[0];
  EXPECT_DOUBLE_EQ(q1.facility, (3 - 1.0 / 3) / 4);  // a wrong pick of four costs a third
  EXPECT_EQ(q1.codes, (std::map<char, int>{{'A', 3}, {'B', 1}}));
  EXPECT_TRUE(stats.questions[1].tooHard);
  EXPECT_DOUBLE_EQ(stats.questions[2].facility, 0.3);
  EXPECT_DOUBLE_EQ(stats.questions[2].discrimination, 1);  // groups of one: 90 against 10
  EXPECT_DOUBLE_EQ(stats.questions[3].discrimination, -1);
  EXPECT_TRUE(stats.questions[3].negativeDiscrimination);
  EXPECT_FALSE(stats.questions[2].negativeDiscrimination);
  const std::string page = StatsPage(stats, "Beams");
  EXPECT_NE(page.find("<tr><th scope=\"row\">3</th><td>4</td><td>0.30</td>"), std::string::npos);
  EXPECT_NE(page.find("negative discrimination</td></tr>"), std::string::npos);
  EXPECT_NE(page.find("Source: the &lt;records&gt;."), std::string::npos);
}

TEST(QuestionStats, FlagsAtTheirBoundariesAndTheUpperAndLowerGroups) {
  const auto run = [](int right, int total) {
    std::vector<AttemptCodes> lines;
    for (int i = 0; i < total; ++i) lines.push_back(Rec(100 - i, i < right ? "Y" : "X"));
    return QuestionStatistics(lines, {0, 1}).questions[0];
  };
  EXPECT_TRUE(run(9, 10).tooEasy);
  EXPECT_FALSE(run(8, 10).tooEasy);
  EXPECT_TRUE(run(1, 10).tooHard);
  EXPECT_FALSE(run(2, 10).tooHard);
  // 100 attempts: groups of 27; the best 27 right and the rest wrong gives 1, one more gives 1.
  EXPECT_DOUBLE_EQ(run(27, 100).discrimination, 1);
  EXPECT_DOUBLE_EQ(run(73, 100).discrimination, 1);
  EXPECT_DOUBLE_EQ(run(74, 100).discrimination, 1 - 1.0 / 27);
  EXPECT_DOUBLE_EQ(run(1, 1).discrimination, 0);
}

}  // namespace
}  // namespace examora
