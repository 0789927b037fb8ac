// The test window's core: presentation, answer entry and the marking edge cases.
#include "engine/dotest.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include <gtest/gtest.h>

#include "common/text.h"
#include "platform/files.h"
#include "test_support.h"
#include "testfile/authoring.h"

namespace examora {
namespace {

// A sitting of the given blocks in bank order (study mode keeps it), then switched to the mode
// the test wants.
struct Window {
  Window(const std::vector<QuestionBlock>& blocks, bool studyMode, bool continueAllowed = false) {
    m.Bank = examora::testing::BankOf(blocks);
    TestBank& bank = m.Bank;
    FormulaContext context{&prompter, &m.Debugger, 0};
    m.StudyMode = true;
    m.Prepared = Scrambler(bank, true, "", random, m.Formulas, context);
    m.StudyMode = studyMode;
    m.ContinueAllowed = continueAllowed;
    model = std::make_unique<DoTestModel>(m, prompter, random, clock);
    model->onEndtheTest = [this] { ++ended; };
  }
  QuestionView Show(int position) {
    m.CurrentQuestion = position;
    prompter.ClearPrompts();
    return model->ShowQuestion();
  }
  std::string Numeric(int position, const std::string& number, int prefix, int unit) {
    Show(position);
    if (unit >= 0) model->List2_Click(unit);
    model->List1_Click(prefix);
    model->txtAnswer = number;
    model->cmdOK_Click(unit >= 0);
    return model->ResultCode[static_cast<std::size_t>(position)];
  }
  std::string LastTitle() const {
    return prompter.prompts().empty() ? "" : prompter.prompts().back().title;
  }
  ModuleExamora m;
  ScriptedPrompter prompter;
  SeededRandom random{4};
  ManualClock clock{{2026, 12, 8, 10, 0, 0}};
  std::unique_ptr<DoTestModel> model;
  int ended = 0;
};

constexpr int kNoPrefix = 4, kKilo = 5, kMega = 6;
constexpr int kCelcius = 1, kDeg = 2, kJoule = 5, kLitre = 20, kCubicMetre = 26, kNewton = 34;
constexpr int kPascal = 40, kRad = 42, kPercent = 47, kNoUnits = 0, kNewtonMetre = 35;

TEST(DoTestMarking, NumericEdgeCases) {
  struct Row {
    const char* define;  // the question's single value
    const char* key;
    const char* number;
    int prefix, unit;
    const char* code;
  };
  const Row rows[] = {
      {"#(5000,5000,4)", "n", "4.96", kKilo, kNewton, "Y"},
      {"#(5000,5000,4)", "n", "5.04", kKilo, kNewton, "Y"},
      {"#(5000,5000,4)", "n", "4.95", kKilo, kNewton, "Y"},  // the bound itself is inside
      {"#(5000,5000,4)", "n", "4.94", kKilo, kNewton, "U"},
      {"#(5000,5000,4)", "n", "5000", kNoPrefix, kJoule, "V"},
      {"#(5000,5000,4)", "n", "4", kNoPrefix, kJoule, "X"},
      {"#(-20,-20,2)", "n", "-20.1", kNoPrefix, kNewton, "Y"},
      {"#(-20,-20,2)", "n", "-19.9", kNoPrefix, kNewton, "Y"},
      {"#(-20,-20,2)", "n", "-20.3", kNoPrefix, kNewton, "U"},
      {"#(1,1,2)", "rad", "57.3", kNoPrefix, kDeg, "Y"},  // converted: 1 rad in degrees
      {"#(1,1,2)", "rad", "1", kNoPrefix, kRad, "Y"},
      {"#(2,2,2)", "m3", "2000", kNoPrefix, kLitre, "Y"},
      {"#(2,2,2)", "m3", "2", kNoPrefix, kCubicMetre, "Y"},
      {"#(0.25,0.25,2)", "nounits", "25", kNoPrefix, kPercent, "Y"},
      {"#(0.25,0.25,2)", "nounits", "0.25", kNoPrefix, kNoUnits, "Y"},
      {"#(3,3,2)", "number", "3.01", kNoPrefix, -1, "Y"},
      {"#(3,3,2)", "number", "3.1", kNoPrefix, -1, "U"},
      {"#(3,3,2)", "number", "12a", kNoPrefix, -1, "U"},  // read as 12
  };
  for (const auto& row : rows) {
    Window w({{std::string("#v = ") + row.define, "", "#a", row.key}}, false);
    EXPECT_EQ(w.Numeric(1, row.number, row.prefix, row.unit), row.code)
        << row.define << " " << row.key << " answered " << row.number;
  }
}

TEST(DoTestMarking, ZeroSolutionTakesOnlyZero) {
  for (const auto& [answer, code] : {std::pair{"0", "Y"}, {"0.0001", "U"}}) {
    Window w({{"#v = #(4,4,2)", "", "0*#a", "n"}}, false);
    EXPECT_EQ(w.Numeric(1, answer, kNoPrefix, kNewton), code) << answer;
  }
}

TEST(DoTestMarking, MessagesOfEachCase) {
  Window exam({{"#v = #(5000,5000,4) and #(-2,-2,2)", "", "#a", "n"}}, false);
  exam.Numeric(1, "4.9", kKilo, kNewton);
  ASSERT_EQ(exam.prompter.prompts().size(), 1u);
  EXPECT_EQ(exam.prompter.prompts()[0].title, "RIGHT UNITS, WRONG ANSWER");
  EXPECT_EQ(exam.prompter.prompts()[0].text,
            "Sorry, you are out by more than 1%.\r\nLose 75% of marks\r\n"
            "A correct answer was between 4.95kN and 5.05kN\r\nExact solution =  5kN\r\n\r\n"
            "Debug variables:\r\na=  5000\r\nb= -2\r\nc=  0\r\nd=  0\r\ne=  0\r\nf=  0");
  EXPECT_EQ(exam.model->RecentUnitText[0], "kN");

  Window wrongUnits({{"#v = #(5000,5000,4)", "", "#a", "n"}}, true);
  wrongUnits.Numeric(1, "5000", kNoPrefix, kJoule);
  EXPECT_EQ(wrongUnits.prompter.prompts()[0].title, "WRONG UNITS, RIGHT ANSWER");
  EXPECT_EQ(wrongUnits.prompter.prompts()[0].text,
            "Answer was correct but units were incompatible.\r\n"
            "The correct base unit was n, but you selected J\r\nLose 25% of marks");
  EXPECT_EQ(wrongUnits.model->QuestionState[1], 9);
  EXPECT_EQ(wrongUnits.model->Picked[1], 6);

  Window study({{"#v = #(5000,5000,4)", "", "#a", "n"}}, true);
  study.Numeric(1, "4", kKilo, kNewton);
  const std::string hint = study.prompter.prompts()[0].text;
  EXPECT_TRUE(hint.starts_with(
      "Sorry, you are out by more than 1%.\r\nLose 75% of marks\r\nAnswer was SOMEWHERE between "))
      << hint;
  EXPECT_EQ(study.model->Picked[1], 7);

  Window plain({{"#v = #(3,3,2)", "", "#a", "number"}}, false);
  plain.Numeric(1, "9", kNoPrefix, -1);
  EXPECT_EQ(plain.prompter.prompts()[0].title, "WRONG ANSWER");
  EXPECT_NE(plain.prompter.prompts()[0].text.find("between 2.97 and 3.03\r\n"), std::string::npos);

  Window both({{"#v = #(5000,5000,4)", "", "#a", "n"}}, true);
  both.Numeric(1, "1", kNoPrefix, kJoule);
  EXPECT_EQ(both.prompter.prompts()[0].title, "WRONG UNITS, WRONG ANSWER");
  EXPECT_TRUE(both.prompter.prompts()[0].text.ends_with(" units. "));
}

TEST(DoTestMarking, HintIntervalHoldsTheSolution) {
  for (int seed = 0; seed < 50; ++seed) {
    Window w({{"#v = #(-8,8,3)", "", "#a", "n"}}, true);
    w.random = SeededRandom(seed);
    w.Show(1);
    w.model->List2_Click(kNewton);
    w.model->txtAnswer = "1000000";
    w.model->CheckAnswer();
    const float s = w.model->theSolution;
    if (s == 0) continue;
    EXPECT_LT(std::stof(w.model->hintLowText), s);
    EXPECT_GT(std::stof(w.model->hintHighText), s);
  }
}

TEST(DoTestMarking, OtherKinds) {
  Window w({{"@Tick", "", "A,C", "5"},
            {"@Tick", "", "A,C", "5"},
            {"@Tick", "", "A,C", "5"},
            {"%Words", "", "Beam, u-d-l, udl", "shear"},
            {"%Words", "", "u-d-l", "shear"},
            {"$Match", "", "a,b", "N,Pa"},
            {"Which?", "", "Right", "Wrong"}},
           false);
  const std::pair<std::vector<int>, const char*> ticks[] = {
      {{0, 2}, "Y"}, {{0}, "X"}, {{0, 2, 3}, "Y"}};
  for (int q = 1; q <= 3; ++q) {
    w.Show(q);
    for (int box : ticks[q - 1].first) w.model->Check1[static_cast<std::size_t>(box)] = true;
    w.model->Submitter();
    EXPECT_EQ(w.model->ResultCode[static_cast<std::size_t>(q)], ticks[q - 1].second) << q;
    EXPECT_FALSE(w.model->Check1[0]);  // cleared after marking
  }
  w.Show(4);
  w.model->txtOneWord = {"U.D.L", " SHEAR "};
  EXPECT_TRUE(w.model->cmd_OK3_Click());
  EXPECT_EQ(w.model->ResultCode[4], "Y");
  EXPECT_EQ(w.model->txtOneWord[0], "");
  w.Show(5);
  w.model->txtOneWord = {"u-d-l", "shear"};  // a hyphenated spelling can never match
  w.model->cmd_OK3_Click();
  EXPECT_EQ(w.model->ResultCode[5], "X");
  w.Show(6);
  w.model->txtMatch[0] = " n ";
  w.model->txtMatch[1] = "pa";
  w.model->cmd_OK4_Click();
  EXPECT_EQ(w.model->ResultCode[6], "Y");
  const QuestionView choice = w.Show(7);
  ASSERT_EQ(choice.options.size(), 2u);
  w.model->Submitter();  // nothing picked
  EXPECT_EQ(w.LastTitle(), "Non Critical Error");
  EXPECT_EQ(w.prompter.prompts().back().text,
            "Marking an unselected M/C question  7 with zero value selection: picked%() =  0");
  EXPECT_EQ(w.model->AnsweredCount, 6);  // not counted: the question is still open
  EXPECT_EQ(w.ended, 0);
  w.model->opt_Click(w.m.Prepared.OptionSlot[7][2]);
  w.model->Submitter();
  EXPECT_EQ(w.model->ResultCode[7], "B");
  EXPECT_EQ(w.model->QuestionState[7], 8);
  EXPECT_EQ(w.ended, 1);  // the last answer ends the test
}

TEST(DoTestEntry, StudyModeRefusalsAndWarnings) {
  Window w(
      {{"%W", "", "x"}, {"$M", "", "a", "A"}, {"C?", "", "R", "W"}, {"#v=#(2,2,2)", "", "#a", "n"}},
      true);
  w.Show(1);
  w.model->txtOneWord[0] = "x";
  EXPECT_FALSE(w.model->cmd_OK3_Click());
  EXPECT_EQ(w.prompter.prompts().back().text,
            "Sorry, one-word questions are not assessed in StudyMode.");
  w.Show(2);
  EXPECT_FALSE(w.model->cmd_OK4_Click());
  EXPECT_EQ(w.LastTitle(), "WARNING! STUDYMODE...");
  const QuestionView choice = w.Show(3);
  EXPECT_TRUE(choice.options.empty());  // no options in study mode, and the stem says why
  EXPECT_EQ(choice.notice, kChoiceNotAssessed);
  EXPECT_FALSE(choice.cmdSubmitEnabled);
  w.Show(4);
  EXPECT_FALSE(w.model->cmdOK_Click(true));
  EXPECT_EQ(w.LastTitle(), "WARNING! NO UNITS");
  w.model->List2_Click(kNewton);
  EXPECT_FALSE(w.model->cmdOK_Click(true));
  EXPECT_EQ(w.LastTitle(), "WARNING! NO ANSWER");
  EXPECT_FALSE(w.model->txtAnswer_KeyPress('a'));
  EXPECT_EQ(w.LastTitle(), "ERROR: Invalid character");
  EXPECT_EQ(w.prompter.prompts().back().text, "Valid characters are; 0 1 2 3 4 5 6 7 8 9 + - E e");
  for (char c : std::string("0123456789+-.Ee\b\x1b")) EXPECT_TRUE(w.model->txtAnswer_KeyPress(c));
}

TEST(DoTestEntry, UnitsPrefixesAndRecentUnits) {
  Window w({{"#v=#(2,2,2)", "", "#a", "n"}}, false);
  EXPECT_EQ(w.model->UnitListLines()[kNewton], "~N");
  EXPECT_EQ(w.model->UnitListLines()[kCelcius],
            "\xB0"
            "C");
  EXPECT_EQ(w.model->PrefixListLines()[kNoPrefix], "");
  w.Show(1);
  w.model->List1_Click(kKilo);  // no unit yet: the prefix waits for it
  EXPECT_EQ(w.model->lblUnits, "units?");
  EXPECT_EQ(w.model->prefixPosition, kKilo);
  w.model->List2_Click(kNewton);
  EXPECT_EQ(w.model->lblUnits, "kN");
  w.model->List1_Click(kMega);
  w.model->List1_Click(kKilo);
  EXPECT_EQ(w.model->lblUnits, "kN");
  EXPECT_EQ(w.model->lblUnitsLong, "kiloNewtons");
  EXPECT_EQ(w.model->lblMultiplier, "3");
  w.model->List2_Click(kCelcius);  // takes no prefix
  EXPECT_EQ(w.model->prefixPosition, kNoPrefix);
  EXPECT_EQ(w.model->lbltheSolution, "theSolution =  2");
  EXPECT_EQ(w.model->lblTheBaseUnit, "theBaseUnit = n");
  w.model->ListRecent_Click(0);  // the seeded MPa
  EXPECT_EQ(w.model->unitPosition, kPascal);
  EXPECT_EQ(w.model->prefixPosition, kMega);
  EXPECT_EQ(w.model->lblUnits, "MPa");
  EXPECT_EQ(w.model->lblUnitsLong, "megaPascals");
  EXPECT_EQ(w.model->lblMultiplier, "6");
  w.model->RecentUnits("kN");
  w.model->RecentUnits("N.m");
  w.model->RecentUnits("kN");  // already listed: stays where it is
  EXPECT_EQ(w.model->RecentUnitText[0], "N.m");
  EXPECT_EQ(w.model->RecentUnitText[1], "kN");
  EXPECT_EQ(w.model->RecentUnitText[2], "MPa");
  (void)kNewtonMetre;
}

// A picture is shown whole: shrunk to its panel when larger, never enlarged.
TEST(DoTestPresentation, APictureFitsItsPanel) {
  struct Row {
    std::array<int, 2> picture, room, shown;
  };
  const Row rows[] = {{{560, 320}, {400, 600}, {400, 229}},  // too wide
                      {{560, 320}, {800, 160}, {280, 160}},  // too high
                      {{560, 320}, {560, 320}, {560, 320}},  // just fits
                      {{560, 320}, {559, 320}, {559, 319}},  // a pixel too wide
                      {{100, 50}, {800, 600}, {100, 50}},    // small: as it is
                      {{4000, 1}, {100, 100}, {100, 1}},     // never below a pixel
                      {{560, 320}, {0, 0}, {1, 1}},          // no room yet
                      {{0, 0}, {100, 100}, {0, 0}}};         // no picture
  for (const Row& row : rows) {
    EXPECT_EQ(FitPicture(row.picture, row.room), row.shown) << row.room[0] << "x" << row.room[1];
  }
}

// A fresh numeric question shows no part of the unit chosen on the last one.
TEST(DoTestEntry, AFreshQuestionKeepsNoUnitCaption) {
  Window w({{"#v=#(2,2,2)", "", "#a", "n.m"}, {"#w=#(3,3,2)", "", "#a", "n"}}, false);
  w.Show(1);
  w.model->List2_Click(kNewtonMetre);
  w.model->List1_Click(kKilo);
  ASSERT_EQ(w.model->lblMultiplier, "3");
  ASSERT_FALSE(w.model->lblUnitsLong.empty());
  for (int shown = 0; shown < 2; ++shown) {  // shown again, still nothing chosen
    w.Show(2);
    EXPECT_EQ(w.model->lblUnits, "units?");
    EXPECT_EQ(w.model->lblUnitsLong, "");
    EXPECT_EQ(w.model->lblMultiplier, "");
    EXPECT_EQ(w.model->prefixPosition, kNoPrefix);
  }
}

TEST(DoTestPresentation, StemsPanelsNavigationAndPictures) {
  Window w({{"#N #(1,1,2)", "pics/beam.png", "#a", "number"},
            {"@Tick", "", "A", "5"},
            {"@Tick", "", "A", "123"},
            {"Plain choice?", "pics/x_secret.png", "R", "W"},
            {"$M", "graph[x^2]5L", "a,b", "A,B"}},
           false);
  const QuestionView numeric = w.Show(1);
  EXPECT_EQ(numeric.stem, "Q1: N 1");
  EXPECT_FALSE(numeric.unitsPanel);
  EXPECT_EQ(w.Show(2).boxes, 5);
  EXPECT_EQ(w.Show(3).boxes, 0);  // a three-character count shows no box
  const QuestionView choice = w.Show(4);
  EXPECT_EQ(choice.stem, "Q4: Plain choice?");
  EXPECT_EQ(choice.options.size(), 2u);
  EXPECT_EQ(choice.notice, "");  // options to answer with: nothing to explain
  EXPECT_EQ(w.Show(5).matchPrompts, (std::vector<std::string>{"a", "b"}));
  w.m.WebBase = "http://h/";
  w.m.CurrentQuestion = 1;
  PictureView pic = w.model->ShowPic("10101 Beams");
  EXPECT_EQ(pic.address, "http://h/tests/10101%20Beams/pics/beam.png");
  EXPECT_EQ(pic.lblNoPic, "pics/beam.png");
  w.m.CurrentQuestion = 2;
  pic = w.model->ShowPic("10101 Beams");
  EXPECT_EQ(pic.lblNoPic, "No picture required");
  EXPECT_EQ(pic.address, "http://h/info/No_Image_Required.html");
  w.m.CurrentQuestion = 4;
  EXPECT_EQ(w.model->ShowPic("t").lblNoPic, "pics/x_secret.png");
  w.m.StudyMode = true;
  EXPECT_EQ(w.model->ShowPic("t").lblNoPic, "Exam images disabled in Study Mode");
  w.m.CurrentQuestion = 5;
  EXPECT_TRUE(w.model->ShowPic("t").graph);

  w.model->QuestionState[1] = 9;
  w.model->QuestionState[2] = 8;
  w.m.CurrentQuestion = 5;
  ASSERT_TRUE(w.model->GetNext(1));
  EXPECT_EQ(w.m.CurrentQuestion, 3);  // wrapped past 1 and 2, both marked
  ASSERT_TRUE(w.model->GetNext(-1));
  EXPECT_EQ(w.m.CurrentQuestion, 5);
  for (int q = 1; q <= 5; ++q) w.model->QuestionState[static_cast<std::size_t>(q)] = 9;
  EXPECT_FALSE(w.model->GetNext(1));  // nothing open: no endless search
}

// The clock runs out while a marking box is open: the answer behind the box counts, nothing
// moves on, and nothing at all is marked afterwards.
TEST(DoTestMarking, NothingIsMarkedOnceTheClockHasEndedTheTest) {
  Window w({{"#v=#(2,2,2)", "", "#a", "n"}, {"@T", "", "A", "2"}, {"C?", "", "R", "W"}}, false);
  w.model->SecondsLeft = 2;
  w.prompter.whileShown = [&](const ScriptedPrompter::Prompt&) {
    while (!w.model->Ended()) w.model->second_Tick();
  };
  EXPECT_EQ(w.Numeric(1, "7", kNoPrefix, kNewton), "U");  // its box is open when time is up
  w.prompter.whileShown = nullptr;
  EXPECT_TRUE(w.model->Ended());
  EXPECT_EQ(w.m.CurrentQuestion, 1);  // did not move on
  EXPECT_EQ(w.model->AnsweredCount, 1);
  const std::vector<std::string> screen = w.model->endScreen;
  w.m.CurrentQuestion = 2;
  w.model->Check1[0] = true;
  EXPECT_FALSE(w.model->Submitter());
  w.m.CurrentQuestion = 3;
  w.model->opt_Click(1);
  EXPECT_EQ(w.model->Picked[3], 0);
  EXPECT_FALSE(w.model->Submitter());
  EXPECT_FALSE(w.model->cmdOK_Click(false));
  EXPECT_EQ(w.model->ResultCode, (std::vector<std::string>{"", "U", "Z", "Z"}));
  EXPECT_EQ(w.model->endScreen, screen);
  EXPECT_EQ(screen[6], " UZZ");
  EXPECT_NE(w.model->ResultsLine.find(",UZZ,"), std::string::npos);
  EXPECT_FALSE(w.model->WindowView().answering);
  EXPECT_FALSE(w.model->WindowView().endButton);
}

// What the window shows, as data: banner, notices, END, stem colour, red clock, MARK buttons,
// and QUIT / "Save to USB" at the end.
TEST(DoTestView, WindowRulesAsData) {
  Window study({{"#v=#(2,2,2)", "", "#a", "n"},
                {"@T", "", "A", "2"},
                {"%W", "", "x"},
                {"$M", "", "a", "A"},
                {"C?", "", "R", "W"}},
               true, true);
  study.m.Bank.header.Compulsory = true;
  study.m.VersionText = "V";
  study.m.TestNumber = 10105;
  study.m.TestName = "Units";
  TestWindowView v = study.model->WindowView();
  EXPECT_TRUE(v.questionShown);
  EXPECT_EQ(v.caption, "V   |   STUDY MODE  (Not Recorded)    |       10105 Units");
  EXPECT_TRUE(v.studyNotice && v.stemDarkGreen && v.endButton);  // study: END always
  EXPECT_EQ(v.chartBackground, kTeal);
  EXPECT_EQ(v.compulsoryNotice, "COMPULSORY: You must do every question to finish.");
  const bool submits[] = {false, true, false, false, true};  // which kinds show cmdSubmit
  for (int q = 1; q <= 5; ++q) EXPECT_EQ(study.Show(q).cmdSubmit, submits[q - 1]) << q;
  study.model->SecondsLeft = 31;
  study.model->second_Tick();
  EXPECT_FALSE(study.model->WindowView().countdownRed);  // 30 left
  study.model->second_Tick();
  EXPECT_TRUE(study.model->WindowView().countdownRed);  // 29 left
  study.model->EndtheTest();
  v = study.model->WindowView();
  EXPECT_TRUE(v.quitAll && v.saveUsb && v.saveUsbEnabled);
  EXPECT_FALSE(v.answering || v.questionShown);  // the summary takes the question's place
  EXPECT_TRUE(v.redBoxBlinking);                 // blinks on until the window closes

  Window exam({{"@T", "", "A", "2"}}, false);
  exam.m.Bank.header.Compulsory = true;
  exam.m.StudentId = "Ann Lee";
  exam.m.Bank.header.PassMark = 50;
  v = exam.model->WindowView();
  EXPECT_FALSE(v.endButton || v.studyNotice || v.stemDarkGreen);
  EXPECT_NE(v.caption.find("EXAM MODE (Recorded)  |   Ann Lee   |   "), std::string::npos);
  EXPECT_NE(v.caption.find("Pass Mark =  50"), std::string::npos);
  exam.m.Bank.header.Compulsory = false;
  EXPECT_TRUE(exam.model->WindowView().endButton);
  EXPECT_EQ(exam.model->WindowView().compulsoryNotice,
            "NON-COMPULSORY: You may leave questions out. ");
  EXPECT_FALSE(v.quitAll || v.saveUsb);  // nothing to leave by while the test runs
  // Whether the save reached every file or not, both buttons: after a failed one the end
  // screen sends the student to "Save to USB".
  for (const bool complete : {true, false}) {
    Window ended({{"@T", "", "A", "2"}}, false);
    ended.model->SaveResults = [complete] { return complete; };
    ended.model->EndtheTest();
    v = ended.model->WindowView();
    EXPECT_TRUE(v.quitAll && v.saveUsb && v.saveUsbEnabled) << complete;
  }
  Window forbidden({{"@T", "", "A", "2"}}, true, false);
  forbidden.model->EndtheTest();
  EXPECT_TRUE(forbidden.model->WindowView().saveUsb);
  EXPECT_FALSE(forbidden.model->WindowView().saveUsbEnabled);
  // The score's colours read on their background.
  EXPECT_GE(ContrastRatio(kGreen, kScoreBackground), 4.5);
  EXPECT_GE(ContrastRatio(kLightYellow, kScoreBackground), 4.5);
  EXPECT_LT(ContrastRatio(kLightYellow, kWhite), 4.5);  // as it stood before: unreadable
  EXPECT_DOUBLE_EQ(ContrastRatio(0x000000, 0xFFFFFF), 21);
}

// Closing the window after the end runs EndtheTest again: the screen is shown again, the
// record is not saved twice; a study sitting saves nothing at all.
TEST(DoTestEnd, ASecondEndingSavesNothingAgain) {
  for (const bool study : {false, true}) {
    Window w({{"@T", "", "A", "2"}}, study);
    int saves = 0;
    w.model->SaveResults = [&saves] { return ++saves, true; };
    w.model->EndtheTest();
    EXPECT_EQ(saves, study ? 0 : 1);
    const std::vector<std::string> screen = w.model->endScreen;
    w.model->EndtheTest();
    EXPECT_EQ(saves, study ? 0 : 1);
    EXPECT_EQ(w.ended, 2);
    EXPECT_EQ(w.model->endScreen, screen);
  }
}

// Closing the window: an exam sitting ends only as END ends it (asked, No by default, never in
// a compulsory test); a study sitting ends at once; END itself asks the same.
TEST(DoTestEnd, ClosingAnExamAsksAsEndDoes) {
  const struct Row {
    bool study, compulsory, viaEnd;
    std::optional<MessageAnswer> answer;
    bool ended;
    const char* text;  // the box shown, "" for none
  } rows[] = {{true, false, false, std::nullopt, true, ""},
              {true, true, false, std::nullopt, true, ""},
              {false, false, false, MessageAnswer::No, false, "Quit the test now ?"},
              {false, false, false, MessageAnswer::Yes, true, "Quit the test now ?"},
              {false, true, false, std::nullopt, false,
               "COMPULSORY: You must do every question to finish."},
              {false, false, true, MessageAnswer::No, false, "Quit the test now ?"},
              {true, false, true, MessageAnswer::Yes, true, "Quit the test now ?"},
              {false, true, true, std::nullopt, false, ""}};
  for (const auto& row : rows) {
    Window w({{"@T", "", "A", "2"}, {"@T", "", "A", "2"}}, row.study);
    w.m.Bank.header.Compulsory = row.compulsory;
    if (row.answer) w.prompter.SetNextAnswer(*row.answer);
    row.viaEnd ? w.model->cmdQuit_Click() : w.model->Form_QueryUnload();
    const std::string where = std::string(row.text) + (row.viaEnd ? " END" : " close");
    EXPECT_EQ(w.model->Ended(), row.ended) << where;
    EXPECT_EQ(w.prompter.prompts().empty() ? "" : w.prompter.prompts().back().text, row.text)
        << where;
    if (row.answer) {
      EXPECT_EQ(w.prompter.prompts().back().defaultButton, MessageAnswer::No) << where;
    }
    // Closing an ended sitting asks nothing and shows its summary again.
    if (!row.ended) continue;
    const std::size_t shown = w.prompter.prompts().size();
    w.model->Form_QueryUnload();
    EXPECT_EQ(w.prompter.prompts().size(), shown) << where;
    EXPECT_EQ(w.ended, 2) << where;
  }
}

// The end screen names the account taking the test, whether or not anything set `UserName`
// (a study sitting leaves the computer's name in it; examora-cli nothing).
TEST(DoTestEnd, TheEndScreenShowsTheUserName) {
  const struct Row {
    bool study;
    const char* variable;  // USERNAME
    const char* login;
    const char* moduleUserName;
    const char* shown;
  } rows[] = {{true, "jsmith", "s1", "LAB-PC-07", "jsmith"},
              {false, "", "s1234", "", "s1234"},
              {false, "jsmith", "s1", "jsmith", "jsmith"}};
  for (const auto& row : rows) {
    Window w({{"@T", "", "A", "2"}}, row.study);
    FixedEnvironment env;
    env.variables["USERNAME"] = row.variable;
    env.login = row.login;
    env.host = "LAB-PC-07";
    w.m.UserName = row.moduleUserName;
    w.model = std::make_unique<DoTestModel>(w.m, w.prompter, w.random, w.clock, env);
    w.model->EndtheTest();
    const auto& screen = w.model->endScreen;
    EXPECT_NE(
        std::find(screen.begin(), screen.end(), std::string(" Computer Username = ") + row.shown),
        screen.end())
        << row.shown;
  }
}

TEST(DoTestMarking, ContinuationLimitWarning) {
  Window w({{"@T", "", "A", "2"}, {"@T", "", "A", "2"}}, true, true);
  w.Show(1);
  w.model->Submitter();
  EXPECT_EQ(w.LastTitle(), "WARNING! CONTINUATION LIMIT");
}

}  // namespace
}  // namespace examora

namespace examora {
namespace {

// A study sitting asks the bank in order: every sample meets numeric and multi-select questions
// (what study mode marks) within its first four, and the kinds it refuses only after them all.
TEST(Samples, StudySittingsMeetMarkedKindsFirst) {
  int samples = 0;
  for (const auto& entry : std::filesystem::directory_iterator(EXAMORA_SAMPLES_DIR)) {
    const TestBank bank = ParseSource(
        CleanUpSource(SplitLines(SourceTextToCp1252(ReadFileBytes(entry.path())))).lines);
    std::string kinds;  // N numeric, S multi-select, R refused in study mode
    for (std::size_t q = 1; q < bank.Questions.size(); ++q) {
      const QuestionKind kind = KindOf(bank.Questions[q][1]);
      kinds += kind == QuestionKind::kNumeric       ? 'N'
               : kind == QuestionKind::kMultiSelect ? 'S'
                                                    : 'R';
    }
    EXPECT_NE(kinds.substr(0, 4).find('N'), std::string::npos) << entry.path() << ": " << kinds;
    EXPECT_NE(kinds.substr(0, 4).find('S'), std::string::npos) << entry.path() << ": " << kinds;
    EXPECT_EQ(kinds.find('R'), kinds.find_last_of("NS") + 1) << entry.path() << ": " << kinds;
    ++samples;
  }
  EXPECT_EQ(samples, 5);
}

// Every sample test, sat in exam mode with the right answer to every question, scores 100.
TEST(DoTestMarking, RightAnswersScoreFullMarksOnEverySampleTest) {
  int tests = 0;
  for (const auto& entry : std::filesystem::directory_iterator(EXAMORA_SAMPLES_DIR)) {
    ModuleExamora m;
    m.Bank = ParseSource(
        CleanUpSource(SplitLines(SourceTextToCp1252(ReadFileBytes(entry.path())))).lines);
    m.StudyMode = false;
    ScriptedPrompter prompter;
    SeededRandom random(11);
    ManualClock clock({2026, 12, 8, 10, 0, 0});
    FormulaContext context{&prompter, &m.Debugger, 0};
    m.Prepared = Scrambler(m.Bank, false, "", random, m.Formulas, context);
    DoTestModel model(m, prompter, random, clock);
    const Sitting& s = m.Prepared;
    for (int i = 1; i <= model.QuestionsToAsk(); ++i) {
      const auto k = static_cast<std::size_t>(i);
      m.CurrentQuestion = i;
      model.ShowQuestion();
      const QuestionBlock& block = m.Bank.Questions[static_cast<std::size_t>(s.QuestionOrder[k])];
      switch (KindOf(s.QuestionText[k])) {
        case QuestionKind::kNumeric: {
          for (int u = 1; u <= m.Units.UnitCount; ++u) {
            if (m.Units.UnitTable[static_cast<std::size_t>(u)].key == s.QuestionUnit[k])
              model.List2_Click(u - 1);
          }
          float value = s.Solution[k];
          int figures = 4;
          model.txtAnswer = FormatSF(value, figures);
          model.cmdOK_Click(s.QuestionUnit[k] != "number");
          break;
        }
        case QuestionKind::kMultipleChoice:
          model.opt_Click(s.CorrectOption[k]);
          model.Submitter();
          break;
        case QuestionKind::kMultiSelect:
          for (const auto& tick : SplitItems(block[3])) {
            const auto& captions = CheckBoxCaptions();
            const auto it = std::find(captions.begin(), captions.end(), tick);
            if (it != captions.end())
              model.Check1[static_cast<std::size_t>(it - captions.begin())] = true;
          }
          model.Submitter();
          break;
        case QuestionKind::kOneWord:
          for (int w = 1; w <= s.WordCount[k]; ++w) {
            model.txtOneWord[static_cast<std::size_t>(w) - 1] =
                s.OneWordAccept[k][static_cast<std::size_t>(w)][1];
          }
          model.cmd_OK3_Click();
          break;
        case QuestionKind::kMatching:
          for (int w = 1; w <= s.MatchCount[k]; ++w) {
            model.txtMatch[static_cast<std::size_t>(w) - 1] =
                s.MatchAnswer[k][static_cast<std::size_t>(w)];
          }
          model.cmd_OK4_Click();
          break;
      }
      EXPECT_EQ(model.QuestionState[k], 9)
          << entry.path().filename() << " Q" << i << " " << s.QuestionText[k];
    }
    EXPECT_EQ(model.TestEnded, 1);
    EXPECT_FLOAT_EQ(model.progress.Score, 100) << entry.path().filename();
    ++tests;
  }
  EXPECT_EQ(tests, 5);
}

}  // namespace
}  // namespace examora
