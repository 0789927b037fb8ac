// Question statistics per bank question from the sitting journals, checked against a table
// worked out by hand for a test that asks 3 of its 5 questions; damaged, foreign and unfinished
// journals are listed or passed over, never fatal; the records serve a whole-bank test only.
#include "reports/stats_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "cli/cli.h"
#include "common/text.h"
#include "crypto/enciphered_text.h"
#include "platform/files.h"
#include "results/resume.h"
#include "results/sitting_service.h"
#include "test_support.h"
#include "testfile/authoring.h"

namespace examora {
namespace {

// Q1 and Q4 multiple choice of four, Q2 of three, Q3 and Q5 numeric.
std::string Source(int ask) {
  std::string text =
      "10180\r\nStats\r\nTitle: Stats\r\nCompulsory: False\r\nPassMark: 50\r\nd\r\nv\r\n";
  const char* const blocks[] = {"One?\r\n\r\nA\r\nB\r\nC\r\nD\r\n", "Two?\r\n\r\nA\r\nB\r\nC\r\n",
                                "#F = #(1000,1000,4) N\r\n\r\n#a\r\nn\r\n",
                                "Four?\r\n\r\nA\r\nB\r\nC\r\nD\r\n",
                                "#G = #(2000,2000,4) N\r\n\r\n#a\r\nn\r\n"};
  for (const char* block : blocks) text += std::string("----------\r\n") + block;
  TestBank bank = ParseSource(CleanUpSource(SplitLines(text + "*** END OF FILE ***\r\n")).lines);
  Compute(bank, ask, 1);
  std::string bytes;
  for (std::string line : TestLines(bank)) bytes += EncryptText(line) + "\r\n";
  return bytes;
}

// A seed whose sitting, as the program prepares it, asks exactly these bank questions.
std::uint64_t SeedAsking(const std::string& bytes, const std::set<int>& asked) {
  ModuleExamora m;
  m.Bank = LoadTestText(bytes, "t");
  for (std::uint64_t seed = 1;; ++seed) {
    ScriptedPrompter prompter;
    PrepareSeededSitting(m, seed, prompter);
    const auto& order = m.Prepared.QuestionOrder;
    if (std::set<int>(order.begin() + 1, order.begin() + 4) == asked) return seed;
  }
}

struct Sitting {
  std::string student;
  std::set<int> asked;
  std::string codes;  // of the asked questions, in file order
  int score;
};

// The hand-worked sittings.
const Sitting kSittings[] = {
    {"100000001", {1, 2, 3}, "AAY", 100}, {"100000002", {1, 3, 4}, "BYA", 67},
    {"100000003", {2, 4, 5}, "BCY", 20},  {"100000004", {1, 4, 5}, "AAX", 100},
    {"100000005", {1, 2, 5}, "CAX", 33},  {"100000006", {3, 4, 5}, "XBY", 33},
};

class StatsSource : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(dir / kJournalsFolder);
    key.fill(0xaa);
  }

  void Journal(const std::string& student, int test, const std::string& fingerprint,
               std::uint64_t seed, const std::optional<std::string>& record) {
    ResultsFolder folder(dir.path());
    const SittingIdentity identity{student, test, "Stats", fingerprint, seed, 1700000000, 180};
    SittingJournal journal(
        folder,
        std::string(kJournalsFolder) + "/" + student + "_" + std::to_string(test) + "journal.txt",
        key, identity);
    if (record) journal.Finish(*record);
  }

  void WriteSittings() {
    for (const Sitting& s : kSittings) {
      Journal(s.student, 10180, fingerprint, SeedAsking(bytes, s.asked),
              "10180," + s.student + ",01/03/2026,10:00," + std::to_string(s.score) + ",3," +
                  s.codes + ",Ann Lee,");
    }
  }

  testing::TempDir dir;
  JournalKey key{};
  std::string bytes = Source(3);
  std::string fingerprint = "sha256:" + TestFingerprint(bytes);
};

TEST_F(StatsSource, JournalsGiveTheHandWorkedTablePerBankQuestion) {
  WriteSittings();
  Journal("100000007", 10180, fingerprint, 5, std::nullopt);                    // still running
  Journal("100000008", 10199, fingerprint, 5, "10199,1,,,,,,,");                // another test
  Journal("100000009", 10180, "sha256:0", 5, "10180,100000009,,,,3,AAA,x,");    // another version
  Journal("100000010", 10180, fingerprint, 5, "10180,100000010,,,50,2,AA,x,");  // short codes
  WriteFileAtomically(dir / kJournalsFolder / "100000011_10180journal.txt", "S\t2\tforged\r\n");

  const TestStats stats = TestStatistics(ResultsFolder(dir.path()), {"10180", bytes, key, ""});
  // question: asked, facility, discrimination (groups of one), options picked, flags
  struct Row {
    int asked;
    const char* facility;
    const char* discrimination;
    const char* codes;
    const char* flags;
  };
  const Row hand[] = {
      {4, "0.33", "1.33", "A:2 B:1 C:1", ""},  // 1, -1/3, 1, -1/3: 100 (A) against 33 (C)
      {3, "0.50", "1.50", "A:2 B:1", ""},      // 1, -1/2, 1: 100 (A) against 20 (B)
      {3, "0.67", "1.00", "X:1 Y:2", ""},      // 100 and 67 right, 33 wrong
      {4, "0.33", "1.33", "A:2 B:1 C:1", ""},  // 100 (A) against 20 (C)
      {4, "0.50", "-1.00", "X:2 Y:2", "negative discrimination"},  // 100 wrong, 20 right
  };
  const auto rows = StatsRows(stats);
  ASSERT_EQ(rows.size(), 5u);
  for (std::size_t q = 0; q < 5; ++q) {
    EXPECT_EQ(rows[q].asked, std::to_string(hand[q].asked)) << q + 1;
    EXPECT_EQ(rows[q].facility, hand[q].facility) << q + 1;
    EXPECT_EQ(rows[q].discrimination, hand[q].discrimination) << q + 1;
    EXPECT_EQ(rows[q].codes, hand[q].codes) << q + 1;
    EXPECT_EQ(rows[q].flags, hand[q].flags) << q + 1;
  }
  EXPECT_EQ(stats.attempts, 6);
  EXPECT_EQ(stats.skipped, 3);
  ASSERT_EQ(stats.problems.size(), 3u);
  EXPECT_NE(stats.problems[0].find("100000009_10180journal.txt is a sitting of another version"),
            std::string::npos);
  EXPECT_NE(stats.problems[1].find("holds 2 codes where the test asks 3"), std::string::npos);
  EXPECT_NE(stats.problems[2].find("100000011_10180journal.txt\" has entry 1 out of"),
            std::string::npos);
  EXPECT_NE(stats.source.find("6 ended sittings of this version of the test; 1 not ended"),
            std::string::npos)
      << stats.source;
}

TEST_F(StatsSource, TheCliPrintsTheJournalsFiguresAndStatesTheSourceOnThePage) {
  WriteSittings();
  WriteFileAtomically(dir / "journal.key", std::string(64, 'a') + "\n");
  WriteFileAtomically(dir / "test.txt", bytes);
  std::istringstream in;
  std::ostringstream out, err;
  ASSERT_EQ(RunCli({"results", "stats", "10180", "--folder", dir.path().string(), "--test",
                    (dir / "test.txt").string()},
                   in, out, err),
            0)
      << err.str();
  EXPECT_NE(out.str().find("Q1 asked 4 facility 0.33 discrimination 1.33\n"), std::string::npos)
      << out.str();
  const std::string page = ReadFileBytes(dir / "stats_10180.htm");
  EXPECT_NE(page.find("Source: the sitting journals in journals/"), std::string::npos);
}

TEST_F(StatsSource, RecordsServeOnlyATestThatAsksItsWholeBank) {
  const std::string whole = Source(5);
  std::filesystem::create_directories(dir / "subject_files");
  WriteFileAtomically(dir / "subject_files" / "10180.txt",
                      "10180,1,01/03/2026,10:00,80,5,AAYBX,A B,\r\n"
                      "10180,2,01/03/2026,10:00,60,3,AAY,A B,\r\n");
  const TestStats stats = TestStatistics(ResultsFolder(dir.path()), {"10180", whole, key, ""});
  EXPECT_EQ(stats.attempts, 1);
  EXPECT_EQ(stats.questions[3].codes, (std::map<char, int>{{'B', 1}}));
  EXPECT_NE(stats.source.find("the records of subject_files/10180.txt"), std::string::npos);
  ASSERT_EQ(stats.problems.size(), 1u);
  EXPECT_NE(stats.problems[0].find("line 2 holds 3 codes where the test asks 5"),
            std::string::npos);
  // Asking 3 of 5, the same records place nothing, and without a key there is no source at all.
  EXPECT_EQ(TestStatistics(ResultsFolder(dir.path()), {"10180", bytes, key, ""}).attempts, 0);
  EXPECT_THROW(TestStatistics(ResultsFolder(dir.path()), {"10180", bytes, std::nullopt, "no key"}),
               FormatError);
}

}  // namespace
}  // namespace examora
