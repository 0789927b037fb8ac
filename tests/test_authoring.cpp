// The authoring conversion, and every sample test from its source to a prepared sitting.
#include "testfile/authoring.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "common/prompter.h"
#include "common/text.h"
#include "platform/files.h"
#include "test_support.h"
#include "testfile/scrambler.h"

namespace examora {
namespace {

using examora::testing::TempDir;

std::vector<std::string> Source(std::vector<std::string> blocks) {
  std::vector<std::string> lines = {
      "10150",        "Statics",  "Title: Statics 2", "Compulsory: TRUE",
      "PassMark: 45", " Forces ", " Vars (2026) "};
  for (auto& line : blocks) lines.push_back(std::move(line));
  lines.push_back("*** END OF FILE ***");
  return lines;
}

TEST(Authoring, LinesAfterTheMarkerAreDroppedFromTheSourceAndNotesKeptInABackup) {
  TempDir dir;
  const std::string bank =
      "1\r\nB\r\nTitle: B\r\nC\r\nPassMark: 1\r\nd\r\nv\r\n"
      "----------\r\nQ\r\n\r\n*** END OF FILE ***\r\n";
  struct Row {
    std::string after, message;
    bool backup;
  };
  const std::vector<Row> rows = {
      {"", "", false},
      {"\r\n  \r\n", "2 extra blank lines removed from txt file.", false},
      {"notes\r\n\r\n",
       "2 extra blank lines removed from txt file.\r\nNot all of them were "
       "blank: the file as it was is kept in \"b.txt.bak\".",
       true}};
  for (const Row& row : rows) {
    WriteFileAtomically(dir / "b.txt", bank + row.after);
    const CleanedSource cleaned = CleanUpSource(SplitLines(bank + row.after));
    EXPECT_EQ(DropLinesAfterEnd(dir / "b.txt", cleaned), row.message);
    EXPECT_EQ(ReadFileBytes(dir / "b.txt"), bank);
    EXPECT_EQ(std::filesystem::exists(dir / "b.txt.bak"), row.backup);
  }
  EXPECT_EQ(ReadFileBytes(dir / "b.txt.bak"), bank + "notes\r\n\r\n");
  WriteFileAtomically(dir / "b.txt", bank + "more\r\n");  // a second time: the first backup stays
  EXPECT_NE(DropLinesAfterEnd(dir / "b.txt", CleanUpSource(SplitLines(bank + "more\r\n")))
                .find("\"b.txt.bak2\""),
            std::string::npos);
  EXPECT_EQ(ReadFileBytes(dir / "b.txt.bak"), bank + "notes\r\n\r\n");
}

TEST(Authoring, CleanUpDropsLinesAfterTheEndMarker) {
  auto lines = Source({"----------", "Q", ""});
  lines.insert(lines.end(), {"", "", ""});
  const CleanedSource cleaned = CleanUpSource(lines);
  EXPECT_EQ(cleaned.lines.size(), lines.size() - 3);
  EXPECT_EQ(cleaned.Notice(), "3 extra blank lines removed from txt file.");
  EXPECT_TRUE(cleaned.extraAllBlank);
  lines.push_back("notes the author keeps");
  EXPECT_FALSE(CleanUpSource(lines).extraAllBlank);
  EXPECT_EQ(CleanUpSource(Source({})).Notice(), "");
  EXPECT_THROW(CleanUpSource({"1", "2"}), FormatError);
  EXPECT_THROW(CleanUpSource(std::vector<std::string>(5001, "x")), FormatError);
}

TEST(Authoring, ParsesHeaderAndBlocks) {
  const TestBank bank = ParseSource(Source(
      {"----------", "Q1", "", "----------", "Q2", "pic.png", "a", "b", "c", "d", "e", "f"}));
  EXPECT_EQ(bank.testNumber, "10150");
  EXPECT_EQ(bank.testName, "Statics");
  EXPECT_EQ(bank.header.TestTitle, "Statics 2");
  EXPECT_TRUE(bank.header.Compulsory);
  EXPECT_FLOAT_EQ(bank.header.PassMark, 45);
  EXPECT_EQ(bank.header.TestDescription, "Forces");
  EXPECT_EQ(bank.header.VariablesText, "Vars (2026)");
  EXPECT_EQ(bank.header.QuestionsInFile, 2);
  EXPECT_EQ(bank.header.LineCountDigits, "06");  // 2 lines -> 0, 8 lines -> 6
  EXPECT_EQ(bank.Questions[2][8], "f");
}

TEST(Authoring, ShortLabelsAndBadBlocks) {
  auto lines = Source({"----------", "Q", ""});
  lines[2] = "Title";
  lines[3] = "Compulsory: no";
  lines[4] = "Pass";
  const TestBank bank = ParseSource(lines);
  EXPECT_EQ(bank.header.TestTitle, "");
  EXPECT_FALSE(bank.header.Compulsory);
  EXPECT_FLOAT_EQ(bank.header.PassMark, 0);
  try {
    ParseSource(Source({"----------", "Q", "", "1", "2", "3", "4", "5", "6", "7"}));
    FAIL() << "9 lines accepted";
  } catch (const FormatError& e) {
    EXPECT_NE(std::string(e.what()).find("Question 1 has more than 8 lines"), std::string::npos);
  }
  EXPECT_THROW(ParseSource(Source({"----------", "Q only"})), FormatError);
}

TEST(Authoring, ComputeMessages) {
  TestBank bank = ParseSource(Source({"----------", "Q", "", "----------", "R", ""}));
  const std::tuple<double, double, const char*, bool> rows[] = {
      {2, 1.5, "3 minutes", true},
      {3, 1, "Too many questions!", false},
      {2, 0, "Not enough time!", false},
      {0, 1, "Not enough questions!", false},
      {1.6, 1.5, "3 minutes", true},  // an integer assignment rounds: 1.6 questions are 2
      {2.5, 1, "2 minutes", true},    // halves go to the even number
      {0.5, 1, "Not enough questions!", false},
  };
  for (const auto& [questions, minutes, message, ok] : rows) {
    const ComputeResult r = Compute(bank, questions, minutes);
    EXPECT_EQ(r.message, message);
    EXPECT_EQ(r.ok, ok);
  }
  EXPECT_EQ(EncryptedName("/t/beams.txt"), "/t/beams.eqb");
}

// The bank is never the output: by name, through "..", through a symbolic or a hard link; a
// different file is fine, also one that does not exist yet.
TEST(Authoring, AnOutputThatIsTheSourceIsRefused) {
  TempDir dir;
  WriteFileAtomically(dir / "bank.txt", "x");
  WriteFileAtomically(dir / "other.txt", "x");
  std::filesystem::create_symlink(dir / "bank.txt", dir / "link.eqb");
  std::filesystem::create_hard_link(dir / "bank.txt", dir / "hard.eqb");
  std::filesystem::create_directory(dir / "sub");
  const struct {
    std::filesystem::path source, output;
    bool refused;
  } rows[] = {
      {dir / "bank.txt", dir / "bank.txt", true},
      {dir / "bank.txt", dir / "sub" / ".." / "bank.txt", true},
      {dir / "bank.txt", dir / "link.eqb", true},
      {dir / "bank.txt", dir / "hard.eqb", true},
      {dir / "bank.eqb", EncryptedName(dir / "bank.eqb"), true},
      {dir / "bank.txt", dir / "other.txt", false},
      {dir / "bank.txt", EncryptedName(dir / "bank.txt"), false},
  };
  for (const auto& row : rows) {
    const std::string why = OutputOverwritesSource(row.source, row.output);
    EXPECT_EQ(!why.empty(), row.refused) << row.output << ": " << why;
  }
}

TEST(Authoring, EncryptitWritesWhatTheLoaderReads) {
  TempDir dir;
  TestBank bank = ParseSource(Source({"----------", "Q", "", "Right", "Wrong"}));
  Compute(bank, 1, 2.5);
  Encryptit(bank, dir / "Statics-BF.txt");
  const TestBank loaded = LoadTestFile(dir / "Statics-BF.txt", "Statics");
  EXPECT_EQ(TestLines(loaded), TestLines(bank));
  EXPECT_FLOAT_EQ(loaded.header.MinutesPerQuestion, 2.5f);
  EXPECT_EQ(loaded.header.QuestionsToAsk, 1);
}

// Every sample test: source -> enciphered file -> loaded -> prepared sittings with no formula
// message and a non-zero answer to every numeric question.
TEST(Authoring, EverySampleTestRoundTripsIntoSittings) {
  TempDir dir;
  int tests = 0, questions = 0;
  for (const auto& entry : std::filesystem::directory_iterator(EXAMORA_SAMPLES_DIR)) {
    const auto lines = SplitLines(SourceTextToCp1252(ReadFileBytes(entry.path())));
    TestBank bank = ParseSource(CleanUpSource(lines).lines);
    ValidateBlocks(bank, entry.path().filename().string());
    Encryptit(bank, dir / "test.eqb");
    const TestBank loaded = LoadTestFile(dir / "test.eqb", bank.testName);
    ASSERT_EQ(TestLines(loaded), TestLines(bank)) << entry.path();
    SeededRandom random(1);
    for (int sitting = 0; sitting < 20; ++sitting) {
      ScriptedPrompter prompter;
      DebugLog debug;
      FormulaContext context{&prompter, &debug, 0};
      FormulaTables formulas;
      const Sitting s = Scrambler(loaded, false, "", random, formulas, context);
      EXPECT_TRUE(prompter.prompts().empty()) << entry.path() << ": " << prompter.prompts()[0].text;
      for (int i = 1; i <= s.size(); ++i) {
        if (KindOf(s.QuestionText[i]) == QuestionKind::kNumeric) {
          EXPECT_NE(s.Solution[i], 0) << entry.path() << " Q" << s.QuestionOrder[i];
        }
      }
    }
    ++tests;
    questions += loaded.header.QuestionsInFile;
  }
  EXPECT_GE(tests, 5);
  EXPECT_GE(questions, 60);
}

}  // namespace
}  // namespace examora
