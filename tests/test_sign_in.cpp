#include "app/sign_in.h"

#include <chrono>
#include <tuple>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "results/keeper_protocol.h"
#include "test_support.h"

namespace examora {
namespace {

using examora::testing::TempDir;

struct SignInTest : ::testing::Test {
  TempDir dir;
  ModuleExamora m;
  FixedEnvironment env;
  DeploymentSettings settings;
  ScriptedPrompter prompter;
  std::vector<std::chrono::milliseconds> waits;  // what the sign-in asked to wait, in order
  SignInModel::Wait recordWait = [this](std::chrono::milliseconds t) { waits.push_back(t); };
  SignInModel model{m, settings, env, prompter, recordWait};

  SignInTest() {
    settings.programFolder = "D:\\exams";
    settings.drives['D'] = dir.path();
    settings.studentsFile = dir / "std_crypt.eqb";
    WriteStudentsCrypt(
        settings.studentsFile,
        {"R:\\x\\", {{"012345678", "ab1Z", "Mary", "Smith"}, {"987654321", "zz99", "", "Cher"}}});
    const auto folder = dir / "~Glimmerfold Do not delete" / "MC" / "student_files";
    std::filesystem::create_directories(folder);
    WriteFileAtomically(folder / "012345678.txt",
                        "10101,012345678,07/03/2010,14:05,73,3,YYX,"
                        "Mary Smith,\r\n\r\n");
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& p : prompter.prompts()) texts.push_back(p.text);
    return texts;
  }
};

TEST_F(SignInTest, RightNumberAndPasswordSignTheStudentIn) {
  ASSERT_TRUE(model.LoadStudents());
  prompter.SetNextText("ab1Z");
  ASSERT_TRUE(model.cmdValidate_Click(" 012345678 "));
  EXPECT_EQ(m.StudentIndex, 1);
  EXPECT_EQ(m.StudentId, "Mary Smith");
  EXPECT_EQ(m.StudentName, "012345678");
  EXPECT_EQ(m.StudentFilesFolder, "D:\\~Glimmerfold Do not delete\\MC\\student_files\\");
  EXPECT_EQ(model.view().lbl_studentName, "Mary Smith");
  EXPECT_TRUE(model.view().cmdGoVisible);
  EXPECT_FALSE(model.view().txtNameEnabled);
  EXPECT_EQ(model.view().previousResults,
            std::vector<std::string>{"10101,012345678,07/03/2010,14:05,73,3,YYX,Mary Smith,"});
  EXPECT_EQ(Messages(), std::vector<std::string>{"Enter your 4-character password"});
  EXPECT_EQ(prompter.prompts().front().kind, ScriptedPrompter::Kind::Secret);  // not shown
}

TEST_F(SignInTest, FirstNameMayBeEmpty) {
  model.LoadStudents();
  prompter.SetNextText("zz99");
  ASSERT_TRUE(model.cmdValidate_Click("987654321"));
  EXPECT_EQ(m.StudentId, "Cher");
  EXPECT_EQ(model.view().previousResults, std::vector<std::string>{"(no earlier results)"});
}

TEST_F(SignInTest, WrongNumberOrPasswordGetTheSameMessageAndNothingOpens) {
  model.LoadStudents();
  const std::pair<const char*, const char*> tries[] = {
      {"123123123", "ab1Z"}, {"012345678", "AB1Z"}, {"012345678", "zz99"}};
  for (const auto& [number, password] : tries) {
    prompter.ClearPrompts();
    prompter.SetNextText(password);
    EXPECT_FALSE(model.cmdValidate_Click(number));
    EXPECT_EQ(Messages()[1], kSignInRefused);
  }
  EXPECT_EQ(m.StudentIndex, 0);
  EXPECT_TRUE(m.StudentId.empty());
  EXPECT_FALSE(model.view().cmdGoVisible);
  EXPECT_FALSE(model.OpenSelectionOnListArrival());
}

// MARKS at an exam computer: before sign-in a word of what to do (no records read, nobody's
// shown), after it the student's own records; a study deployment opens the reports instead.
TEST_F(SignInTest, MarksBeforeSignInSaysWhatToDoAndAfterItShowsOwnRecords) {
  settings.examMode = true;
  ASSERT_TRUE(model.LoadStudents());
  EXPECT_TRUE(model.view().cmdMarksEnabled);
  const auto before = model.cmdMarks_Click();
  ASSERT_TRUE(before.has_value());
  EXPECT_TRUE(before->starts_with("Sign in first")) << *before;
  EXPECT_EQ(before->find("Cannot"), std::string::npos);
  prompter.SetNextText("ab1Z");
  ASSERT_TRUE(model.cmdValidate_Click("012345678"));
  EXPECT_EQ(model.cmdMarks_Click(),
            "Your results so far (Mary Smith):\r\n10101,012345678,07/03/2010,14:05,73,3,YYX,"
            "Mary Smith,");
  settings.examMode = false;
  EXPECT_EQ(model.cmdMarks_Click(), std::nullopt);
}

// Only the whole password signs in: none of it, a part of it or more than it is refused, and
// every refusal holds the next try back; a sign-in that succeeds waits for nothing.
TEST_F(SignInTest, OnlyTheWholePasswordSignsInAndARefusalWaits) {
  const struct Row {
    const char* number;
    const char* password;
    bool signsIn;
  } rows[] = {{"012345678", "", false},      {"012345678", "ab1", false},
              {"012345678", "ab1Zx", false}, {"123123123", "ab1Z", false},
              {"987654321", "ab1Z", false},  {"012345678", "ab1Z", true}};
  ManualClock clock;
  for (const auto& row : rows) {
    ModuleExamora fresh;
    waits.clear();
    clock.Advance(3);  // past the pause after the last try, so each password is checked
    fresh.Records = OpenSittingRecords(settings, env, clock, recordWait);
    SignInModel each{fresh, settings, env, prompter, recordWait};
    ASSERT_TRUE(each.LoadStudents());
    prompter.SetNextText(row.password);
    EXPECT_EQ(each.cmdValidate_Click(row.number), row.signsIn) << row.number << row.password;
    EXPECT_EQ(fresh.StudentIndex, row.signsIn ? 1 : 0);
    if (row.signsIn) {
      EXPECT_TRUE(waits.empty());
    } else {
      ASSERT_EQ(waits.size(), 1u) << row.password;
      EXPECT_GE(waits[0], std::chrono::seconds(2));
    }
  }
}

TEST(PasswordMatches, TheSameCharactersAndLengthOnly) {
  const StudentRow row{"012345678", "ab1Z", "Mary", "Smith"};
  const std::pair<const char*, bool> typed[] = {{"ab1Z", true},   {"", false},     {"ab1", false},
                                                {"ab1Zx", false}, {"AB1Z", false}, {"ab1z", false},
                                                {"xb1Z", false}};
  for (const auto& [text, matches] : typed) EXPECT_EQ(PasswordMatches(row, text), matches) << text;
  EXPECT_FALSE(PasswordMatches({"012345678", "", "", ""}, ""));  // no password: no sign-in
}

// A second try on a number within the pause after a wrong one is refused without being checked,
// even with the right password: a student who kills a waiting keeper gains nothing.
TEST_F(SignInTest, ATryWithinThePauseAfterAWrongOneIsRefusedUnchecked) {
  ManualClock clock;
  for (const auto& [password, advance, signsIn] :
       {std::tuple{"zzzz", 0, false}, std::tuple{"ab1Z", 2, false}, std::tuple{"ab1Z", 1, true}}) {
    clock.Advance(advance);
    ModuleExamora fresh;
    fresh.Records = OpenSittingRecords(settings, env, clock, recordWait);
    SignInModel each{fresh, settings, env, prompter, recordWait};
    ASSERT_TRUE(each.LoadStudents());
    prompter.SetNextText(password);
    EXPECT_EQ(each.cmdValidate_Click("012345678"), signsIn) << password << advance;
  }
}

TEST_F(SignInTest, MalformedNumberOrCancelledPasswordAskNothingFurther) {
  model.LoadStudents();
  EXPECT_FALSE(model.cmdValidate_Click("01234567"));  // eight digits: no password asked
  EXPECT_EQ(Messages(), std::vector<std::string>{"Enter 9 digit student number"});
  prompter.ClearPrompts();
  prompter.SetNextText(std::nullopt);
  EXPECT_FALSE(model.cmdValidate_Click("012345678"));
  EXPECT_EQ(Messages(), std::vector<std::string>{"Enter your 4-character password"});
  EXPECT_TRUE(waits.empty());  // no password was refused
}

TEST_F(SignInTest, MissingStudentsFileIsSaidAndValidateStaysOff) {
  settings.studentsFile = dir / "none.eqb";
  EXPECT_FALSE(model.LoadStudents());
  EXPECT_FALSE(model.view().cmdValidateEnabled);
  EXPECT_EQ(Messages()[0].rfind("Exam sign-in is not possible: ", 0), 0u);
  EXPECT_FALSE(model.cmdValidate_Click("012345678"));
}

}  // namespace
}  // namespace examora
