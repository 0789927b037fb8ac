// Preparing sittings: symbol markup, shuffles that are uniform, the per-position tables of every
// question kind, and numeric questions past position 55.
#include "testfile/scrambler.h"

#include <map>

#include <gtest/gtest.h>

#include "common/prompter.h"
#include "test_support.h"

namespace examora {
namespace {

using examora::testing::BankOf;

struct Prepared {
  ScriptedPrompter prompter;
  DebugLog debug;
  FormulaContext context{&prompter, &debug, 0};
  FormulaTables formulas;
  Sitting Run(const TestBank& bank, bool studyMode, Random& random) {
    return Scrambler(bank, studyMode, "tests/x/", random, formulas, context);
  }
};

TEST(InsertSymbols, MarkupInTableOrder) {
  const std::pair<const char*, const char*> rows[] = {
      {"m^2 and m^3, x^0 y^1", "m\xB2 and m\xB3, x\xBA y\xB9"},
      {"a*b -/- c +/- d",
       "a\xD7"
       "b \xF7 c \xB1 d"},
      {"20<DEG>C",
       "20\xB0"
       "C"},
      {"<PHI2> <PHI>", "\xF8 \xD8"},
      {"<MU>F <BETA> <BOX>",
       "\xB5"
       "F \xDF \x7F"},
      {"a<LF>b", "a\nb"},
      {"<1/4><1/2><3/4>", "\xBC\xBD\xBE"},
      {"a<->b<3->c",
       "a\x97"
       "b\x97\x97\x97"
       "c"},
      {"<10->", "\x97\x97\x97\x97\x97\x97\x97\x97\x97\x97"},
      {"no markup", "no markup"},
  };
  for (const auto& [in, out] : rows) {
    std::string text = in;
    InsertSymbols(text);
    EXPECT_EQ(text, out) << in;
  }
}

// Chi-square over every ordering of four questions: each of the 24 must come up alike.
TEST(ShuffleOrder, AllOrderingsEquallyLikely) {
  SeededRandom random(2026);
  std::map<std::vector<int>, int> counts;
  const int trials = 24000;
  for (int t = 0; t < trials; ++t) {
    std::vector<int> order = {0, 1, 2, 3, 4};
    ShuffleOrder(order, random);
    ++counts[order];
  }
  ASSERT_EQ(counts.size(), 24u);
  double chi = 0;
  for (const auto& [order, n] : counts) chi += (n - 1000.0) * (n - 1000.0) / 1000.0;
  EXPECT_LT(chi, 60);  // 23 degrees of freedom; 60 lies far beyond the 99.99th percentile
}

TEST(Scrambler, OptionsAreUniformlyPlacedAndTablesAgree) {
  const TestBank bank = BankOf({{"Which?", "", "Right", "W1", "W2", "W3"}});
  SeededRandom random(7);
  std::array<int, 5> correctAt{};
  for (int t = 0; t < 8000; ++t) {
    Prepared p;
    const Sitting s = p.Run(bank, false, random);
    ++correctAt[static_cast<std::size_t>(s.CorrectOption[1])];
    for (int k = 1; k <= 4; ++k) {
      EXPECT_EQ(s.OptionSlot[1][s.OptionOrder[1][k]], k);
      EXPECT_EQ(s.OptionText[1][k],
                bank.Questions[1][static_cast<std::size_t>(s.OptionOrder[1][k]) + 2]);
    }
  }
  for (int k = 1; k <= 4; ++k) EXPECT_NEAR(correctAt[static_cast<std::size_t>(k)], 2000, 200) << k;
}

TEST(Scrambler, KindsFillTheirTables) {
  const TestBank bank = BankOf({
      {"Only one option?", "", "Yes"},
      {"%Words", "pic.png", " Beam, BEAMS ,  u.d.l. ", "shear"},
      {"$Match <PHI2>", "", "a,,c", " x , y ,z "},
      {"@Tick", "", "A,C", "5"},
      {"#F = #(2,2,2) kN * 3", "", "#a*3*1000", " N m "},
  });
  ScriptedRandom random;
  for (int i = 0; i < 10; ++i) random.Push(0.5);
  Prepared p;
  const Sitting s = p.Run(bank, true, random);
  EXPECT_EQ(s.QuestionOrder, (std::vector<int>{0, 1, 2, 3, 4, 5}));  // study mode: bank order
  EXPECT_EQ(s.OptionOrder[1][1], 1);
  EXPECT_EQ(s.CorrectOption[1], 1);
  EXPECT_EQ(s.WordCount[2], 2);
  EXPECT_EQ(s.OneWordAccept[2][1], (std::vector<std::string>{"", "beam", "beams", "u.d.l."}));
  EXPECT_EQ(s.OneWordAccept[2][2], (std::vector<std::string>{"", "shear"}));
  EXPECT_EQ(p.debug.List1, std::vector<std::string>{"wordQty(2)"});
  EXPECT_EQ(s.PictureName[2], "tests/x/pic.png");
  EXPECT_EQ(s.PictureName[1], "");
  EXPECT_EQ(s.QuestionText[3], "$Match \xF8");
  EXPECT_EQ(s.MatchPrompt[3], (std::vector<std::string>{"", "a", "", "c"}));
  EXPECT_EQ(s.MatchAnswer[3], (std::vector<std::string>{"", "X ", " Y ", "Z"}));
  EXPECT_EQ(s.MatchCount[3], 3);
  EXPECT_EQ(s.QuestionText[4], "@Tick");
  EXPECT_EQ(s.QuestionText[5], "#F = 2 kN \xD7 3");
  EXPECT_EQ(s.QuestionUnit[5], "nm");
  EXPECT_FLOAT_EQ(s.Solution[5], 6000);
}

TEST(Scrambler, ExamSittingsShuffleUnlessGroupsAreContinued) {
  std::vector<QuestionBlock> blocks;
  for (int q = 1; q <= 30; ++q) blocks.push_back({"Q" + std::to_string(q), "", "A", "B"});
  SeededRandom random(3);
  Prepared p;
  const Sitting shuffled = p.Run(BankOf(blocks), false, random);
  EXPECT_NE(shuffled.QuestionOrder, Prepared().Run(BankOf(blocks), true, random).QuestionOrder);
  for (int q = 1; q <= 30; ++q) EXPECT_EQ(shuffled.QuestionOrder[shuffled.OrderPosition[q]], q);
  EXPECT_EQ(shuffled.QuestionText[shuffled.OrderPosition[7]], "Q7");
  const Sitting kept = Prepared().Run(BankOf(blocks, true), false, random);
  for (int i = 1; i <= 30; ++i) EXPECT_EQ(kept.QuestionOrder[i], i);
}

TEST(Scrambler, NumericQuestionsBeyondPosition55) {
  std::vector<QuestionBlock> blocks;
  for (int q = 1; q <= 80; ++q) {
    blocks.push_back(
        {"#Q" + std::to_string(q) + " x = #(" + std::to_string(q) + "," + std::to_string(q) + ",3)",
         "", "#a*2", "m"});
  }
  SeededRandom random(5);
  Prepared p;
  const Sitting s = p.Run(BankOf(blocks), true, random);
  EXPECT_FLOAT_EQ(s.Solution[80], 160);
  EXPECT_EQ(s.QuestionUnit[80], "m");
  EXPECT_TRUE(p.prompter.prompts().empty());
}

TEST(Scrambler, ContinuedQuestionsKeepTheirValues) {
  const TestBank bank = BankOf({{"#a = #(1,9,2)", "", "#a", "m"},
                                {"#(cont) a = #(1,9,2), b = #(1,9,2)", "", "#a*10+#b", "m"}},
                               true);
  SeededRandom random(11);
  Prepared p;
  const Sitting s = p.Run(bank, false, random);
  const float a = s.Solution[1];
  EXPECT_EQ(s.QuestionText[2].substr(0, 9), "#(cont) a");
  EXPECT_GE(s.Solution[2], a * 10 + 1);
  EXPECT_LE(s.Solution[2], a * 10 + 9);
}

}  // namespace
}  // namespace examora
