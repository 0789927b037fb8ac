// The clock, random and prompter seams that every deterministic test relies on.
#include <gtest/gtest.h>

#include "common/clock.h"
#include "common/prompter.h"
#include "common/random.h"

namespace examora {
namespace {

TEST(Clock, DateAndTimePatterns) {
  const LocalDateTime t{2026, 3, 7, 9, 5, 59.75};
  EXPECT_EQ(FormatDate(t), "07/03/2026");
  EXPECT_EQ(FormatTime(t), "09:05");
  EXPECT_DOUBLE_EQ(SecondsSinceMidnight(t), 9 * 3600 + 5 * 60 + 59.75);
}

TEST(Clock, ManualClockAdvancesAcrossDaysMonthsAndLeapYears) {
  struct Row {
    LocalDateTime start;
    double seconds;
    LocalDateTime expected;
  };
  const Row rows[] = {
      {{2026, 12, 8, 10, 0, 0}, 1.5, {2026, 12, 8, 10, 0, 1.5}},
      {{2026, 12, 8, 23, 59, 59}, 2, {2026, 12, 9, 0, 0, 1}},
      {{2026, 12, 31, 23, 0, 0}, 3600, {2027, 1, 1, 0, 0, 0}},
      {{2028, 2, 28, 12, 0, 0}, 86400, {2028, 2, 29, 12, 0, 0}},
      {{2026, 3, 1, 0, 0, 30}, -60, {2026, 2, 28, 23, 59, 30}},
  };
  for (const auto& row : rows) {
    ManualClock clock(row.start);
    clock.Advance(row.seconds);
    const auto now = clock.Now();
    EXPECT_EQ(FormatDate(now), FormatDate(row.expected));
    EXPECT_EQ(FormatTime(now), FormatTime(row.expected));
    EXPECT_NEAR(now.second, row.expected.second, 1e-9);
  }
}

TEST(Random, SeededDrawsRepeatAndStayInRange) {
  SeededRandom a(42);
  SeededRandom b(42);
  for (int i = 0; i < 1000; ++i) {
    const double x = a.Next();
    EXPECT_EQ(x, b.Next());
    EXPECT_GE(x, 0.0);
    EXPECT_LT(x, 1.0);
  }
  a.Reseed();  // deterministic generators ignore it
  b.Reseed();
  EXPECT_EQ(a.Next(), b.Next());
}

TEST(Random, BelowCoversEveryValueAndNeverReachesCount) {
  ScriptedRandom r{0.0, 0.3, 0.999999, 0.5};
  EXPECT_EQ(r.Below(4), 0u);
  EXPECT_EQ(r.Below(4), 1u);
  EXPECT_EQ(r.Below(4), 3u);
  EXPECT_EQ(r.Below(1), 0u);
}

TEST(Random, ScriptRunningOutIsReported) {
  ScriptedRandom r{0.25};
  r.Reseed();
  EXPECT_EQ(r.reseeds(), 1);
  EXPECT_EQ(r.Next(), 0.25);
  EXPECT_THROW(r.Next(), std::logic_error);
}

TEST(Prompter, OkBoxesAnswerThemselvesAndAreRecorded) {
  ScriptedPrompter p;
  EXPECT_EQ(p.Message("Title", "Line 1\r\nLine 2"), MessageAnswer::Ok);
  ASSERT_EQ(p.prompts().size(), 1u);
  EXPECT_EQ(p.prompts()[0].title, "Title");
  EXPECT_EQ(p.prompts()[0].text, "Line 1\r\nLine 2");
}

TEST(Prompter, QuestionsTakeScriptedAnswersInOrder) {
  ScriptedPrompter p;
  p.SetNextAnswer(MessageAnswer::No);
  p.SetNextAnswer(MessageAnswer::Yes);
  p.SetNextText(std::string("typed"));
  p.SetNextText(std::nullopt);
  EXPECT_FALSE(p.AskYesNo("END", "Quit the test now ?"));
  EXPECT_TRUE(p.AskYesNo("END", "Quit the test now ?"));
  EXPECT_EQ(p.Input("Password", "Type it", ""), "typed");
  EXPECT_EQ(p.OpenFile("Open", "Text files (*.txt)"), std::nullopt);
  EXPECT_EQ(p.prompts().size(), 4u);
  EXPECT_EQ(p.prompts()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(p.prompts()[2].kind, ScriptedPrompter::Kind::Input);
}

// Enter must never confirm a yes/no question by accident: No is its default.
TEST(Prompter, YesNoQuestionsDefaultToNo) {
  ScriptedPrompter p;
  p.SetNextAnswer(MessageAnswer::Yes);
  EXPECT_TRUE(p.AskYesNo("Erase", "Erase everything?"));
  EXPECT_EQ(p.prompts().back().defaultButton, MessageAnswer::No);
}

TEST(Prompter, UnscriptedQuestionsAreTestFaults) {
  ScriptedPrompter p;
  EXPECT_THROW(p.AskYesNo("END", "Quit?"), std::logic_error);
  EXPECT_THROW(p.Input("Password", "Type it", ""), std::logic_error);
  EXPECT_THROW(p.SaveFile("Save", "*.txt", "a.txt"), std::logic_error);
}

}  // namespace
}  // namespace examora
