#include "results/journal.h"

#include <csignal>
#include <sstream>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "cli/cli.h"
#include "cli/cli_common.h"
#include "common/error.h"
#include "platform/files.h"
#include "results/resume.h"
#include "test_support.h"

namespace examora {
namespace {

using examora::testing::TempDir;

// Numeric, multiple choice, multi-select, one word and matching questions.
constexpr const char* kSource =
    "10170\r\nSit\r\nTitle: Sit\r\nCompulsory: False\r\nPassMark: 50\r\nd\r\nv\r\n"
    "----------\r\n#F = #(5000,5000,4) N\r\n\r\n#a\r\nn\r\n"
    "----------\r\nWhich?\r\n\r\nRight\r\nWrong\r\n"
    "----------\r\n@Tick\r\n\r\nA,C\r\n4\r\n"
    "----------\r\n%Word\r\n\r\nbeam\r\nshear\r\n"
    "----------\r\n$Match\r\n\r\na,b\r\nX,Y\r\n"
    "*** END OF FILE ***\r\n";

struct JournalTest : ::testing::Test {
  TempDir dir;
  DiskResultsFileSystem files;
  JournalKey key = LoadOrCreateJournalKey(dir / "journal.key");
  LocalDateTime start{2026, 12, 8, 10, 0, 0};
  std::filesystem::path path = JournalPath(dir.path(), "012345678", 10170);

  TestBank Bank() {
    WriteFileAtomically(dir / "sit.txt", kSource);
    return cli::ReadAnyTest(dir / "sit.txt");
  }
  SittingIdentity Identity(const TestBank& bank) {
    return {"012345678",
            10170,
            "Sit",
            "sha256:" + std::string(64, 'a'),
            77,
            SerialSeconds(start),
            static_cast<int>(bank.Questions.size()) * 100};
  }
  // A sitting with three journalled answers, as the window would have confirmed them.
  void Sit(ModuleExamora& m, DoTestModel& model, SittingJournal& journal) {
    for (int position = 1; position <= 3; ++position) {
      m.CurrentQuestion = position;
      model.ShowQuestion();
      const std::string& text = m.Prepared.QuestionText[static_cast<std::size_t>(position)];
      if (PanelOf(text) == Panel::kNumeric) {
        model.List2_Click(33);  // any unit: the answer is journalled as entered
        model.txtAnswer = "4.96";
      }
      model.opt_Click(1);
      model.Check1[0] = model.Check1[2] = true;
      model.txtOneWord[0] = "beam";
      model.txtOneWord[1] = "shear";
      model.txtMatch[0] = "y";
      model.SecondsLeft = 300 - 20 * position;
      const JournalAnswer answer = CaptureAnswer(model, m);
      ASSERT_TRUE(ConfirmAnswer(model, m, answer)) << text;
      journal.Append(answer);
    }
  }
};

TEST_F(JournalTest, KeyFileIsPrivateAndStable) {
  struct stat info {};
  ASSERT_EQ(::stat((dir / "journal.key").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(LoadOrCreateJournalKey(dir / "journal.key"), key);
}

TEST_F(JournalTest, ResumedSittingIsTheSameSittingWithTheSameAnswers) {
  ModuleExamora m;
  m.Bank = Bank();
  ScriptedPrompter prompter;
  PrepareSeededSitting(m, 77, prompter);
  SeededRandom random(1);
  ManualClock clock(start);
  DoTestModel model(m, prompter, random, clock);
  SittingJournal journal(files, path, key, Identity(m.Bank));
  Sit(m, model, journal);

  const JournalContent content = ReadJournal(path, key);
  ASSERT_FALSE(content.finished);
  ModuleExamora again;
  again.Bank = m.Bank;
  PrepareSeededSitting(again, content.identity.seed, prompter);
  EXPECT_EQ(again.Prepared.QuestionOrder, m.Prepared.QuestionOrder);
  EXPECT_EQ(again.Prepared.Solution, m.Prepared.Solution);
  DoTestModel resumed(again, prompter, random, clock);
  ReplayJournal(resumed, again, content);
  EXPECT_EQ(resumed.ResultCode, model.ResultCode);
  EXPECT_EQ(resumed.QuestionState, model.QuestionState);
  EXPECT_EQ(resumed.AnsweredCount, 3);
  // The clock is the records' to set (from the deadline), not the last answer's time.
  EXPECT_EQ(resumed.SecondsLeft, 300);
  // Going on appends to the same chain.
  SittingJournal goOn(files, path, key, content);
  goOn.Finish();
  EXPECT_TRUE(ReadJournal(path, key).finished);
}

// What a student typed comes back exactly, whatever it holds; and a head file one entry behind
// (the keeper writes it only at the end) still lets every answer be read, while one that
// counts more entries than there are does not.
TEST_F(JournalTest, AnswersComeBackExactlyAndAHeadBehindStillReads) {
  const std::vector<std::string> typed = {"a\tb", "line\r\nnext", "back\\slash", "\\t", ""};
  {
    SittingJournal journal(files, path, key, Identity(Bank()));
    journal.headEveryEntry = false;
    journal.Append({1, 100, false, typed});
    journal.Append({2, 90, false, {"x"}});
  }
  const JournalContent content = ReadJournal(path, key);  // the head counts 1 of 3 entries
  ASSERT_EQ(content.answers.size(), 2u);
  EXPECT_EQ(content.answers[0].inputs, typed);
  EXPECT_EQ(content.answers[1].inputs, std::vector<std::string>{"x"});
  const std::string head = ReadFileBytes(JournalHeadPath(path));
  std::string ahead = head;
  ahead.replace(ahead.find("H\t1\t"), 4, "H\t4\t");
  WriteFileAtomically(JournalHeadPath(path), ahead);
  EXPECT_THROW(ReadJournal(path, key), FormatError);  // its seal no longer matches, too
}

TEST_F(JournalTest, EditedReorderedOrCutJournalsAreReportedNotUsed) {
  const TestBank bank = Bank();
  SittingJournal journal(files, path, key, Identity(bank));
  for (int p = 1; p <= 3; ++p) journal.Append({p, 300 - p, true, {"A"}});
  const std::string good = ReadFileBytes(path);
  const auto lines = [&] {
    std::vector<std::string> l;
    for (std::size_t s = 0, e; (e = good.find("\r\n", s)) != std::string::npos; s = e + 2)
      l.push_back(good.substr(s, e - s + 2));
    return l;
  }();
  std::string edited = good;
  edited[good.find("\tT\t") + 3] = 'B';
  const std::string reordered = lines[0] + lines[2] + lines[1] + lines[3];
  const std::string cut = lines[0] + lines[1] + lines[2];
  for (const std::string& text : {edited, reordered, cut}) {
    WriteFileAtomically(path, text);
    EXPECT_THROW(ReadJournal(path, key), FormatError);
  }
  JournalKey other = key;
  other[0] ^= 1;
  WriteFileAtomically(path, good);
  EXPECT_THROW(ReadJournal(path, other), FormatError);
  // A last entry cut off by the crash itself is left out, and said.
  WriteFileAtomically(path, good + "A\t4\t2");
  const JournalContent content = ReadJournal(path, key);
  EXPECT_EQ(content.answers.size(), 3u);
  EXPECT_FALSE(content.note.empty());
}

}  // namespace
}  // namespace examora

namespace examora {
namespace {

// Reads a child's output until it says it is holding the sitting open.
bool WaitForHolding(int fd) {
  std::string seen;
  char buffer[256];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
    seen.append(buffer, static_cast<std::size_t>(n));
    if (seen.find("holding\n") != std::string::npos) return true;
  }
  return false;
}

TEST(JournalKill, ASittingKilledMidwayResumesWithItsAnswersAndIsSavedOnce) {
  TempDir dir;
  const auto path = [&](const char* name) { return (dir / name).string(); };
  std::filesystem::create_directories(dir / "res" / "subject_files");
  WriteFileAtomically(dir / "plain.txt", "012345678,ab1Z,Mary,Smith\r\n\r\n");
  WriteFileAtomically(
      dir / "sit.txt",
      "10170\r\nSit\r\nTitle: Sit\r\nCompulsory: False\r\nPassMark: 50\r\nd\r\nv\r\n"
      "----------\r\n#F = #(1000,1000,4) N\r\n\r\n#a\r\nn\r\n"
      "----------\r\n#F = #(2000,2000,4) N\r\n\r\n#a\r\nn\r\n"
      "----------\r\n#F = #(3000,3000,4) N\r\n\r\n#a\r\nn\r\n"
      "*** END OF FILE ***\r\n");
  std::istringstream in;
  std::ostringstream out, err;
  ASSERT_EQ(RunCli({"students", "encrypt", path("plain.txt"), "--folder", path("res"), "-o",
                    path("s.eqb")},
                   in, out, err),
            0);
  // Which value each position asks under seed 5.
  out.str("");
  ASSERT_EQ(RunCli({"sit", path("sit.txt"), "--exam", "--seed", "5"}, in, out, err), 0);
  std::vector<std::string> kilo;
  for (std::size_t at = 0; (at = out.str().find("solution: ", at)) != std::string::npos; ++at) {
    kilo.push_back(out.str().substr(at + 10, 1));
  }
  ASSERT_EQ(kilo.size(), 3u);
  WriteFileAtomically(dir / "a1.txt", "1: " + kilo[0] + " k N\n2: " + kilo[1] + " k N\n");
  WriteFileAtomically(dir / "a2.txt", "3: " + kilo[2] + " k N\n");
  const std::vector<std::string> sitting = {
      "sit",       path("sit.txt"), "--exam",    "--students",    path("s.eqb"), "--student",
      "012345678", "--save",        path("res"), "--journal-key", path("key")};

  int pipeFds[2];
  ASSERT_EQ(::pipe(pipeFds), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(pipeFds[1], 1);
    std::vector<std::string> args = {EXAMORA_CLI};
    args.insert(args.end(), sitting.begin(), sitting.end());
    args.insert(args.end(), {"--seed", "5", "--answers", path("a1.txt"), "--hold"});
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  ASSERT_TRUE(WaitForHolding(pipeFds[0]));
  ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  ::close(pipeFds[0]);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_FALSE(std::filesystem::exists(dir / "res" / "masterfile.txt"));

  // Started again (another seed asked for): the journal's sitting and answers come back.
  std::vector<std::string> again = sitting;
  again.insert(again.end(), {"--seed", "6", "--answers", path("a2.txt")});
  out.str("");
  ASSERT_EQ(RunCli(again, in, out, err), 0) << err.str() << out.str();
  // The time left is the deadline less now: the seconds the killed sitting ran are gone.
  const std::size_t resumed = out.str().find("resumed: 2 answers, time left ");
  ASSERT_NE(resumed, std::string::npos) << out.str();
  EXPECT_TRUE(out.str().substr(resumed + 30, 4) == "3:00" ||
              out.str().substr(resumed + 30, 4) == "2:59" ||
              out.str().substr(resumed + 30, 4) == "2:58")
      << out.str().substr(resumed, 40);
  const std::string record = ReadFileBytes(dir / "res" / "masterfile.txt");
  EXPECT_NE(record.find(",012345678,"), std::string::npos);
  EXPECT_NE(record.find(",100,3,YYY,Mary Smith,\r\n"), std::string::npos) << record;
  // Finished: a third start is a fresh sitting, not a resume; its save fails without the
  // subject folder, and says so.
  std::filesystem::remove_all(dir / "res" / "subject_files");
  out.str("");
  err.str("");
  EXPECT_EQ(RunCli(again, in, out, err), 1);
  EXPECT_EQ(out.str().find("resumed:"), std::string::npos);
  EXPECT_EQ(out.str().find("saved:"), std::string::npos);
  EXPECT_NE(err.str().find("Invalid path. Continue to enter new path. Subject file\n"
                           "examora-cli: the results were not saved in every file (not in: "
                           "Subject file)\n"),
            std::string::npos)
      << err.str();
  EXPECT_NE(out.str().find(" EXAM MODE. Mark was NOT recorded in every file"), std::string::npos);
}

}  // namespace
}  // namespace examora
