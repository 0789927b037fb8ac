// The clock's texts, the marks of each code, the score and statistics line, and the end of a
// test: original order, the results record and the end-of-test screen.
#include <gtest/gtest.h>

#include "results/end_screen.h"
#include "results/progress.h"

namespace examora {
namespace {

ProgressInputs Inputs(std::vector<std::string> codes, int options = 4) {
  ProgressInputs in;
  in.QuestionsToAsk = static_cast<int>(codes.size());
  in.ResultCode.push_back("");
  in.OptionCount.push_back(0);
  for (auto& code : codes) {
    in.ResultCode.push_back(code);
    in.OptionCount.push_back(options);
  }
  in.TestMinutes = static_cast<float>(in.QuestionsToAsk);
  in.SecondsLeft = in.QuestionsToAsk * 60;
  in.PassMark = 50;
  in.StartTimeText = "09:00";
  in.EndTimeText = "09:20";
  return in;
}

TEST(Clock, CountdownTextsAndTestLength) {
  EXPECT_EQ(CountdownText(75), " 1:15");
  EXPECT_EQ(CountdownText(9), " 0:09");
  EXPECT_EQ(CountdownText(1200), " 20:00");
  EXPECT_EQ(CountdownText(0), " 0:00");
  EXPECT_EQ(CountdownText(-1), " 0:00");      // never " 0:0-1"
  EXPECT_EQ(TestSeconds(15 * 0.3f), 4 * 60);  // 4.5 in single precision: halves to even
  EXPECT_EQ(TestSeconds(0), 0);
  EXPECT_EQ(TestSeconds(3e37f), 1440 * 60);  // bounded, never an overflowing conversion
  EXPECT_EQ(TestSeconds(12 * 1.5f), 18 * 60);
  EXPECT_EQ(TestSeconds(5 * 0.5f), 2 * 60);    // 2.5 minutes round half to even
  EXPECT_EQ(TestSeconds(15 * 1.5f), 22 * 60);  // 22.5 -> 22
  EXPECT_EQ(TestSeconds(500 * 2.0f), 60000);   // past 546 minutes, no wrapping
}

TEST(Progress, WeightsOfEachCode) {
  struct Row {
    const char* code;
    int options;
    double mark, lost;
  };
  const Row rows[] = {
      {"A", 4, 1, 0},      {"Y", 0, 1, 0},     {"W", 0, 1, 0},     {"B", 4, -1.0 / 3, 4.0 / 3},
      {"F", 6, -0.2, 1.2}, {"V", 0, 0.8, 0.2}, {"U", 0, 0.2, 0.8}, {"X", 0, 0, 1},
      {"T", 0, 0, 1},      {"Z", 0, 0, 0},     {"Q", 0, 0, 0},     {"B", 1, 0, 1}};
  for (const auto& row : rows) {
    const CodeWeight w = WeightOf(row.code, row.options);
    EXPECT_NEAR(w.mark, row.mark, 1e-12) << row.code;
    EXPECT_NEAR(w.lost, row.lost, 1e-12) << row.code;
  }
  EXPECT_TRUE(WeightOf("A", 4).correct);
  EXPECT_TRUE(WeightOf("Z", 4).unanswered);
}

TEST(Progress, ScorePredictedPossibleAndLost) {
  std::vector<std::string> codes(19, "A");
  codes.push_back("V");
  const ProgressFigures f = BuildBars(Inputs(codes), 0);
  EXPECT_FLOAT_EQ(f.Score, 99.0f);
  EXPECT_EQ(f.possible, 99);
  EXPECT_EQ(f.lostPercentage, 1);
  EXPECT_EQ(f.predicted, 99);
  EXPECT_EQ(f.correct, 19);
  EXPECT_TRUE(f.passing);
  EXPECT_EQ(f.AnswerCodes, "AAAAAAAAAAAAAAAAAAAV");

  const ProgressFigures wrong = BuildBars(Inputs({"B", "Z", "Z"}), 0);
  EXPECT_LT(wrong.Score, 0);  // a wrong option costs marks
  EXPECT_FLOAT_EQ(wrong.Score, -11.1f);
  EXPECT_FALSE(wrong.passing);
  EXPECT_EQ(wrong.MarkedCount, 1);
  EXPECT_EQ(wrong.UnansweredCount, 2);
}

TEST(Progress, StatisticsLine) {
  ProgressInputs in = Inputs({"Z", "Z", "Z", "Z"});
  in.TestMinutes = 22.5f;
  in.SecondsLeft = TestSeconds(15 * 1.5f);
  const ProgressFigures none = BuildBars(in, 0);
  EXPECT_EQ(none.statisticsLine,
            "Total minutes = 22.5     Start =09:00     Finish =09:20     Secs/question: "
            "Allocated= 338: Average= 0: Future= 330.    0 correct,  0 marks lost      0/ 4 "
            "questions marked      Predicted Mark =  0% of a possible  0%   ");
  in.ResultCode[1] = "A";
  in.ResultCode[2] = "U";
  const ProgressFigures two = BuildBars(in, 2);
  EXPECT_EQ(two.average, 15);  // 30 seconds gone (22.5 minutes allowed, 22 on the clock) over 2
  EXPECT_EQ(two.predicted, 60);
  EXPECT_EQ(two.possible, 80);
  EXPECT_EQ(two.lostPercentage, 20);
  // 4.6 minutes put 5 on the clock: no time has passed yet, never a negative average.
  in.TestMinutes = 4.6f;
  in.SecondsLeft = TestSeconds(4.6f);
  EXPECT_EQ(BuildBars(in, 2).average, 0);
  in.SecondsLeft = 275;  // 1 second in
  EXPECT_EQ(BuildBars(in, 2).average, 0);
  in.SecondsLeft = 272;
  EXPECT_EQ(BuildBars(in, 2).average, 2);
}

TEST(Progress, StatisticsBreakOnlyBetweenPhrases) {
  ProgressInputs in = Inputs({"A", "Z"});
  in.TestMinutes = 2;
  in.SecondsLeft = 100;
  in.StartTimeText = "09:00";
  in.EndTimeText = "09:02";
  EXPECT_EQ(
      StatisticsPhrases(BuildBars(in, 1).statisticsLine),
      (std::vector<std::string>{"Total minutes = 2", "Start =09:00", "Finish =09:02",
                                "Secs/question: Allocated= 60:", "Average= 20:", "Future= 100.",
                                "1 correct,  0 marks lost", "1/ 2 questions marked",
                                "Predicted Mark =  100% of a possible  100%"}));
}

TEST(Progress, ChartColumnsStayInsideAndReadable) {
  struct Row {
    int questions, width, perRow, rows;
  };
  const Row rows[] = {{15, 440, 15, 1},   {48, 440, 48, 1},   {49, 440, 48, 2}, {480, 440, 48, 10},
                      {481, 440, 49, 10}, {500, 440, 50, 10}, {1, 440, 1, 1},   {5, 5, 1, 5}};
  for (const auto& row : rows) {
    const ChartGrid grid = ChartLayout(row.questions, row.width, 9, 24, 10);
    EXPECT_EQ(grid.perRow, row.perRow) << row.questions;
    EXPECT_EQ(grid.rows, row.rows) << row.questions;
    EXPECT_LE(grid.perRow * grid.cellWidth, row.width + 1e-9);
    EXPECT_GE(grid.rows * grid.perRow, row.questions);
  }
  const auto columns = ChartColumns({"", "#N", "@S", "%W", "$M", "C", "C", "C"},
                                    {"", "V", "Z", "X", "Y", "A", "B", "Z"});
  ASSERT_EQ(columns.size(), 7u);
  EXPECT_TRUE(columns[0].split);
  EXPECT_EQ(columns[0].upper, kGreen);  // number right
  EXPECT_EQ(columns[0].lower, kRed);    // units wrong
  EXPECT_EQ(columns[1].upper, kGrey);   // multi-select not answered
  EXPECT_EQ(std::string({columns[1].letter, columns[2].letter, columns[3].letter}), "SWm");
  EXPECT_EQ(columns[2].upper, kRed);
  EXPECT_EQ(columns[3].upper, kGreen);
  EXPECT_EQ(columns[4].style, CellStyle::kFill);
  EXPECT_EQ(columns[5].style, CellStyle::kHatch);
  EXPECT_EQ(columns[6].style, CellStyle::kOutline);
  EXPECT_EQ(columns[4].letter, ' ');
  // Wrong parts are crossed as well as red, and every result is said in words.
  EXPECT_FALSE(columns[0].upperCrossed);
  EXPECT_TRUE(columns[0].lowerCrossed);
  EXPECT_FALSE(columns[1].upperCrossed);
  EXPECT_TRUE(columns[2].upperCrossed);
  EXPECT_FALSE(columns[3].upperCrossed);
  EXPECT_EQ(ChartInWords(columns),
            "Question 1: number right, unit wrong; Question 2: not done; Question 3: wrong; "
            "Question 4: right; Question 5: right; Question 6: wrong; Question 7: not done");
  const auto numeric = ChartColumns({"", "#", "#", "#", "#"}, {"", "Y", "U", "X", "Z"});
  EXPECT_EQ(ChartInWords(numeric),
            "Question 1: right; Question 2: number wrong, unit right; Question 3: wrong; "
            "Question 4: not done");
  EXPECT_TRUE(numeric[1].upperCrossed && !numeric[1].lowerCrossed);
  EXPECT_TRUE(numeric[2].upperCrossed && numeric[2].lowerCrossed);
  EXPECT_FALSE(numeric[3].upperCrossed || numeric[3].lowerCrossed);
}

TEST(EndOfTest, OriginalOrderKeepsTheBankPlaces) {
  std::vector<int> orderPosition(31, 0);  // 30 questions in the bank
  for (int q = 1; q <= 30; ++q) orderPosition[static_cast<std::size_t>(q)] = 31 - q;  // reversed
  const std::string codes = "ABCDEFGHIJKLMNOPQRST";                                   // 20 asked
  const std::string original = OriginalOrder3(codes, orderPosition);
  EXPECT_EQ(original.size(), 20u);
  EXPECT_EQ(original, "TSRQPONMLKJIHGFEDCBA");
}

TEST(EndOfTest, ResultsRecordAndScreen) {
  ResultsFields f{12,         "0412345", {2010, 3, 7, 14, 5, 0}, 73.4f, 20, "YYYYYYYYYYYYYYYXXXXU",
                  "Ann Smith"};
  EXPECT_EQ(ResultsRecord(f), "12,0412345,07/03/2010,14:05,73,20,YYYYYYYYYYYYYYYXXXXU,Ann Smith,");
  EXPECT_EQ(ResultsRecord(f, true)[0], ' ');
  f.score = 0.4f;
  f.studentNumber = "";
  EXPECT_EQ(ResultsRecord(f), "12,,07/03/2010,14:05,,20,YYYYYYYYYYYYYYYXXXXU,Ann Smith,");
  EndScreenFacts facts{true,         "Beams", "AXY",        "YAX",    72.5f,       3,
                       "08/12/2026", "",      "Study Mode", "lab-pc", " 10101,..."};
  const auto lines = EndScreenLines(facts);
  ASSERT_EQ(lines.size(), 18u);
  EXPECT_EQ(lines[1], " STUDY MODE. Mark was not recorded");
  EXPECT_EQ(lines[6], " AXY");
  EXPECT_EQ(lines[9], " YAX");
  EXPECT_EQ(lines[11], " Final Score =  72 ");  // half to even
  EXPECT_EQ(lines[12], " Number of Questions =  3 ");
  EXPECT_EQ(lines[14], " Student Name =    Study Mode");
  EXPECT_EQ(lines[16], " Results string...");
}

}  // namespace
}  // namespace examora
