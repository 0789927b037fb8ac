#include "results/saving.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "engine/dotest.h"
#include "platform/files.h"
#include "test_support.h"

namespace examora {
namespace {

using examora::testing::TempDir;
namespace fs = std::filesystem;

// The disk, with errors injected per file name and every call recorded.
struct FaultyFiles : ResultsFileSystem {
  DiskResultsFileSystem disk{std::chrono::milliseconds(0)};
  std::map<std::string, std::deque<int>> faults;
  std::vector<std::string> calls;
  int Fault(const fs::path& path, const char* kind) {
    calls.push_back(std::string(kind) + " " + path.filename().string());
    auto& queue = faults[path.filename().string()];
    if (queue.empty()) return 0;
    const int error = queue.front();
    queue.pop_front();
    return error;
  }
  int AppendLine(const fs::path& p, std::string_view line) override {
    const int error = Fault(p, "append");
    return error ? error : disk.AppendLine(p, line);
  }
  int ReplaceFile(const fs::path& p, std::string_view bytes) override {
    const int error = Fault(p, "replace");
    return error ? error : disk.ReplaceFile(p, bytes);
  }
};

struct SavingTest : ::testing::Test {
  TempDir dir;
  ModuleExamora m;
  FaultyFiles files;
  ScriptedPrompter prompter;
  PathMapper paths{"C:\\prog", dir.path(), {}, dir.path()};
  int delays = 0;
  SaveSeams seams{files, prompter, paths, [this] { ++delays; }, {}, 2};
  LocalDateTime when{2010, 3, 7, 14, 5, 0};

  SavingTest() {
    m.StudentFilesFolder = dir.path().string() + "/";
    m.Students.rows = {{"012345678", "pass", "Mary", "Smith"}};
    m.StudentIndex = 1;
    m.StudentId = "Mary Smith";
    m.TestNumber = 10101;
    m.Bank.header.QuestionsToAsk = 3;
    m.Prepared.OrderPosition = {0, 2, 3, 1};  // bank question q was asked at this position
    fs::create_directory(dir / "subject_files");
  }
  std::string Read(const std::string& name) { return ReadFileBytes(dir / name); }
  std::vector<std::string> Messages() {
    std::vector<std::string> texts;
    for (const auto& p : prompter.prompts()) texts.push_back(p.text);
    return texts;
  }
};

TEST_F(SavingTest, RecordKeepsTheLeadingZeroAndLeavesScoreZeroEmpty) {
  EXPECT_EQ(ResultsRecord(RecordFields(m, 0.4f, "XYU", when)),
            "10101,012345678,07/03/2010,14:05,,3,YUX,Mary Smith,");
  EXPECT_EQ(ResultsRecord(RecordFields(m, 72.5f, "XYU", when)),
            "10101,012345678,07/03/2010,14:05,72,3,YUX,Mary Smith,");
  m.Students.rows[0].number = "000000000";
  EXPECT_EQ(RecordStudentNumber(m), "");
}

TEST_F(SavingTest, StudentMasterAndSubjectFilesGetTheSameLineInThatOrder) {
  std::vector<std::string> steps;
  seams.showStep = [&](const std::string& label) { steps.push_back(label); };
  const SaveOutcome outcome = WriteResults(m, RecordFields(m, 100, "YYY", when), seams);
  EXPECT_TRUE(outcome.Complete());
  EXPECT_EQ(steps, (std::vector<std::string>{" Student file", " Master file", " Subject file"}));
  EXPECT_EQ(files.calls, (std::vector<std::string>{"append 012345678.txt", "append masterfile.txt",
                                                   "append 10101.txt"}));
  const std::string line = "10101,012345678,07/03/2010,14:05,100,3,YYY,Mary Smith,\r\n";
  EXPECT_EQ(Read("012345678.txt"), line);
  EXPECT_EQ(Read("masterfile.txt"), line);
  EXPECT_EQ(Read("subject_files/10101.txt"), line);
  EXPECT_EQ(outcome.picSaveLines,
            (std::vector<std::string>{"", "--------------- SESSION ENDED -----------------", " ",
                                      " Press QUIT to end..."}));
  EXPECT_TRUE(prompter.prompts().empty());
}

TEST_F(SavingTest, MissingSubjectFolderIsReportedAndTheOtherFilesKept) {
  fs::remove(dir / "subject_files");
  prompter.SetNextText("whatever.txt");
  SaveOutcome outcome = WriteResults(m, RecordFields(m, 50, "YXZ", when), seams);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"Invalid path. Continue to enter new path. "
                                                  "Subject file",
                                                  "Enter the name of the file"}));
  EXPECT_EQ(outcome.failed, std::vector<std::string>{" Subject file"});
  EXPECT_FALSE(Read("masterfile.txt").empty());
  EXPECT_FALSE(fs::exists(dir / "whatever.txt"));  // the typed name never forms a path
  std::vector<std::string> screen = {" ", " EXAM MODE. Mark was recorded"};
  ShowSaveOutcome(screen, outcome);
  EXPECT_EQ(screen[1], " EXAM MODE. Mark was NOT recorded in every file");
  EXPECT_EQ(outcome.picSaveLines[2], " RESULTS NOT SAVED TO: Subject file");
}

TEST_F(SavingTest, OtherErrorsEndTheSaveAndNothingIsClaimed) {
  struct Row {
    std::string file;
    int error;
    std::string message;
    std::size_t written;
  } rows[] = {
      {"012345678.txt", EACCES, "The error is...70 Student file", 0},  // read-only folder
      {"masterfile.txt", ENOSPC, "The error is...61 Master file", 1},  // full disk
  };
  for (const auto& r : rows) {
    FaultyFiles faulty;
    faulty.faults[r.file] = {r.error};
    SaveSeams s{faulty, prompter, paths, {}, {}, 2};
    prompter.ClearPrompts();
    prompter.SetNextText(std::nullopt);  // the input box cancelled
    const SaveOutcome outcome = WriteResults(m, RecordFields(m, 50, "YXZ", when), s);
    EXPECT_EQ(Messages()[0], r.message);
    EXPECT_EQ(outcome.written.size(), r.written);
    EXPECT_EQ(outcome.failed.size(), 3 - r.written);
    EXPECT_EQ(faulty.calls.size(), r.written + 1);  // nothing tried after the failure
    EXPECT_TRUE(outcome.showQuitButtons);  // the student can still leave, or keep a USB copy
    std::vector<std::string> screen = {" EXAM MODE. Mark was recorded"};
    ShowSaveOutcome(screen, outcome);
    EXPECT_NE(screen[0], " EXAM MODE. Mark was recorded");
  }
}

TEST_F(SavingTest, LockedFileIsRetriedBoundedlyThenReported) {
  {  // another computer holds the master file's lock throughout
    const int other = ::open((dir / "masterfile.txt").c_str(), O_CREAT | O_RDWR, 0644);
    ASSERT_EQ(::flock(other, LOCK_EX), 0);
    prompter.SetNextText("");
    const SaveOutcome outcome = WriteResults(m, RecordFields(m, 50, "YXZ", when), seams);
    ::close(other);
    EXPECT_EQ(delays, 2);
    EXPECT_EQ(Messages(), (std::vector<std::string>{"File not ready. Trying Again... Master file",
                                                    "File not ready. Trying Again... Master file",
                                                    "The error is...55 Master file",
                                                    "Enter the name of the file"}));
    EXPECT_EQ(outcome.failed, std::vector<std::string>{" Master file"});
    EXPECT_EQ(outcome.written.size(), 2u);  // student and subject file
  }
  // A lock released while waiting: the retry writes the line.
  prompter.ClearPrompts();
  files.faults["masterfile.txt"] = {EWOULDBLOCK};
  EXPECT_TRUE(WriteResults(m, RecordFields(m, 50, "YXZ", when), seams).Complete());
  EXPECT_EQ(Messages(), std::vector<std::string>{"File not ready. Trying Again... Master file"});
}

TEST_F(SavingTest, AppendStartsAFreshLineAfterATornOne) {
  WriteFileAtomically(dir / "masterfile.txt", "10101,0123");
  ASSERT_EQ(files.disk.AppendLine(dir / "masterfile.txt", "whole,"), 0);
  EXPECT_EQ(Read("masterfile.txt"), "10101,0123\r\nwhole,\r\n");
}

TEST_F(SavingTest, BackupIsWrittenOnlyWhenTheRecordChanges) {
  std::string last;
  EXPECT_TRUE(Backup(m, RecordFields(m, 0, "YZZ", when), last, files, paths).written);
  EXPECT_FALSE(Backup(m, RecordFields(m, 0, "YZZ", when), last, files, paths).written);
  EXPECT_EQ(files.calls, std::vector<std::string>{"replace 012345678temp.txt"});
  EXPECT_EQ(Read("012345678temp.txt"), last + "\r\n");
  // A failed write is said and tried again by the next backup; the old backup stays whole.
  files.faults["012345678temp.txt"] = {ENOSPC};
  EXPECT_EQ(Backup(m, RecordFields(m, 0, "YXZ", when), last, files, paths).error,
            "backup not written to \"" + (dir / "012345678temp.txt").string() +
                "\": " + std::strerror(ENOSPC));
  EXPECT_EQ(Read("012345678temp.txt"), last + "\r\n");
  EXPECT_TRUE(Backup(m, RecordFields(m, 0, "YXZ", when), last, files, paths).written);
}

TEST_F(SavingTest, EmptyStudentNumberStillCreatesTheEmptyBackup) {
  m.StudentIndex = 0;
  std::string last;
  EXPECT_TRUE(Backup(m, RecordFields(m, 0, "YZZ", when), last, files, paths).written);
  EXPECT_EQ(Read("temp.txt"), "");
}

// Every file under a folder with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    files[entry.path().string()] = entry.is_regular_file() ? ReadFileBytes(entry.path()) : "/";
  }
  return files;
}

// A whole sitting through the test window's core, saving wired as the window wires it.
void SitThrough(ModuleExamora& m, const DeploymentSettings& settings, SaveSeams& seams) {
  FixedEnvironment env;
  ScriptedPrompter prompter;
  SeededRandom random(1);
  ManualClock clock({2010, 3, 7, 14, 5, 0});
  m.Bank = examora::testing::BankOf({{"Which?", "", "Right", "Wrong"}, {"Or?", "", "Yes", "No"}});
  FormulaContext context{&prompter, &m.Debugger, 0};
  m.Prepared = Scrambler(m.Bank, m.StudyMode, "", random, m.Formulas, context);
  DoTestModel model(m, prompter, random, clock);
  std::string last;
  model.StartBackup = [&] {
    Backup(m, RecordFields(m, model.progress.Score, model.progress.AnswerCodes, clock.Now()), last,
           seams.files, seams.paths);
  };
  model.SaveResults = [&] {
    return SaveResults(m, model.progress.Score, model.progress.AnswerCodes, clock.Now(), settings,
                       env, seams)
        .Complete();
  };
  for (int position = 1; position <= 2; ++position) {
    m.CurrentQuestion = position;
    model.ShowQuestion();
    model.opt_Click(1);
    model.Submitter();
  }
  EXPECT_EQ(model.TestEnded, 1);
}

TEST_F(SavingTest, AWholeStudySittingLeavesTheResultsFolderByteForByte) {
  DeploymentSettings settings;
  settings.programFolder = "D:\\exams";
  settings.drives['D'] = dir.path();
  const PathMapper mapped = settings.Paths();
  SaveSeams wired{files, prompter, mapped, {}, {}, 2};
  const fs::path results = dir / "~Glimmerfold Do not delete" / "MC" / "student_files";
  fs::create_directories(results / "subject_files");
  WriteFileAtomically(results / "masterfile.txt",
                      "10101,123456789,01/03/2010,10:00,50,2,YX,A B,\r\n");
  const auto before = Snapshot(dir.path());
  m.StudyMode = true;
  SitThrough(m, settings, wired);
  EXPECT_EQ(Snapshot(dir.path()), before);
  // The same sitting in exam mode writes the backup and the three files of the folder rules.
  m.StudyMode = false;
  SitThrough(m, settings, wired);
  EXPECT_TRUE(fs::exists(results / "012345678temp.txt"));
  EXPECT_TRUE(fs::exists(results / "012345678.txt"));
  EXPECT_EQ(ReadFileBytes(results / "subject_files" / "10101.txt").size(),
            ReadFileBytes(results / "012345678.txt").size());
}

TEST(ResultsFiles, ReplacingNeverWritesThroughAPlantedName) {
  TempDir dir;
  const fs::path target = dir / "backup.txt", victim = dir / "victim.txt";
  WriteFileAtomically(victim, "keep\r\n");
  // The name a replacement by this process would once have used, planted as a link.
  fs::create_symlink(victim, dir / ("backup.txt.new-" + std::to_string(::getpid())));
  DiskResultsFileSystem disk;
  ASSERT_EQ(disk.ReplaceFile(target, "record\r\n"), 0);
  EXPECT_EQ(ReadFileBytes(target), "record\r\n");
  EXPECT_EQ(ReadFileBytes(victim), "keep\r\n");
  std::size_t left = 0;
  for (const auto& entry : fs::directory_iterator(dir.path())) left += entry.path() != target;
  EXPECT_EQ(left, 2u);  // the victim and the planted link: no temporary file stays
}

// Sets the umask for one scope; results saving's modes are read against it.
struct Umask {
  explicit Umask(mode_t mask) : before(::umask(mask)) {}
  ~Umask() { ::umask(before); }
  mode_t before;
};

unsigned ModeOf(const fs::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// A lab's shared folder is group-writable and its umask 002: a file one account creates must
// stay writable by the others, not keep the temporary file's 0600 or a fixed 0644.
TEST(ResultsFiles, NewFilesAreReadAndWriteForAllLessTheUmask) {
  TempDir dir;
  DiskResultsFileSystem disk;
  for (const auto& [mask, mode] : {std::pair<mode_t, unsigned>{002, 0664}, {022, 0644}}) {
    const Umask scoped(mask);
    const std::string tag = std::to_string(mask);
    ASSERT_EQ(disk.AppendLine(dir / ("master" + tag), "line,"), 0);
    ASSERT_EQ(disk.ReplaceFile(dir / ("backup" + tag), "line,\r\n"), 0);
    ASSERT_EQ(disk.ReplaceFile(dir / ("backup" + tag), "again,\r\n"), 0);  // replacing too
    EXPECT_EQ(ModeOf(dir / ("master" + tag)), mode) << tag;
    EXPECT_EQ(ModeOf(dir / ("backup" + tag)), mode) << tag;
  }
}

// A link planted at a results file's name: an append refuses it (ELOOP) and writes nothing
// anywhere, a replacement replaces the link itself; an ordinary file is written as always.
TEST(ResultsFiles, NoRecordIsWrittenThroughASymbolicLink) {
  TempDir dir;
  DiskResultsFileSystem disk;
  const fs::path victim = dir / "victim.txt", absent = dir / "absent.txt";
  WriteFileAtomically(victim, "keep\r\n");
  const struct Row {
    const char* name;
    fs::path linkTo;  // empty: an ordinary file
    int appendError;
  } rows[] = {{"linked.txt", victim, ELOOP}, {"dangling.txt", absent, ELOOP}, {"plain.txt", {}, 0}};
  for (const auto& row : rows) {
    const fs::path target = dir / row.name;
    if (!row.linkTo.empty()) fs::create_symlink(row.linkTo, target);
    EXPECT_EQ(disk.AppendLine(target, "record,"), row.appendError) << row.name;
    EXPECT_EQ(fs::is_symlink(target), !row.linkTo.empty()) << row.name;
    if (row.linkTo.empty()) {
      EXPECT_EQ(ReadFileBytes(target), "record,\r\n");
    }
    ASSERT_EQ(disk.ReplaceFile(target, "backup,\r\n"), 0) << row.name;
    EXPECT_FALSE(fs::is_symlink(target)) << row.name;
    EXPECT_EQ(ReadFileBytes(target), "backup,\r\n") << row.name;
  }
  EXPECT_EQ(ReadFileBytes(victim), "keep\r\n");
  EXPECT_FALSE(fs::exists(absent));
}

TEST_F(SavingTest, APlantedLinkIsReportedAndTheRecordNotWrittenThroughIt) {
  WriteFileAtomically(dir / "victim.txt", "keep\r\n");
  fs::create_symlink(dir / "victim.txt", dir / "masterfile.txt");
  prompter.SetNextText(std::nullopt);
  const SaveOutcome outcome = WriteResults(m, RecordFields(m, 50, "YXZ", when), seams);
  EXPECT_EQ(Messages(), (std::vector<std::string>{"The error is...75 Master file",
                                                  "Enter the name of the file"}));
  EXPECT_EQ(outcome.written, std::vector<std::string>{" Student file"});
  EXPECT_EQ(Read("victim.txt"), "keep\r\n");
}

// The disk, with its writes accepting only `writeBudget` bytes and its flushes failing with
// `syncError` (a network share's EIO).
struct FailingDisk : DiskResultsFileSystem {
  std::size_t writeBudget = SIZE_MAX;
  int syncError = 0;
  ssize_t Write(int fd, const char* data, std::size_t size) override {
    if (writeBudget == 0) return errno = ENOSPC, -1;
    const std::size_t n = std::min(size, writeBudget);
    if (writeBudget != SIZE_MAX) writeBudget -= n;
    return DiskResultsFileSystem::Write(fd, data, n);
  }
  int Sync(int fd) override {
    return syncError ? (errno = syncError, -1) : DiskResultsFileSystem::Sync(fd);
  }
};

TEST(ResultsFiles, AFailedWriteOrFlushIsReportedAndTheLineTakenBack) {
  const struct Row {
    std::size_t writeBudget;
    int syncError, error;
    const char* after;
  } rows[] = {{SIZE_MAX, 0, 0, "old,\r\nnew,\r\n"},
              {SIZE_MAX, EIO, EIO, "old,\r\n"},
              {3, 0, ENOSPC, "old,\r\n"}};
  for (const auto& row : rows) {
    TempDir dir;
    WriteFileAtomically(dir / "master.txt", "old,\r\n");
    WriteFileAtomically(dir / "temp.txt", "old,\r\n");
    FailingDisk disk;
    disk.writeBudget = row.writeBudget;
    disk.syncError = row.syncError;
    EXPECT_EQ(disk.AppendLine(dir / "master.txt", "new,"), row.error) << row.syncError;
    EXPECT_EQ(ReadFileBytes(dir / "master.txt"), row.after);
    EXPECT_EQ(disk.ReplaceFile(dir / "temp.txt", "new,\r\n"), row.error);
    EXPECT_EQ(ReadFileBytes(dir / "temp.txt"), row.error ? "old,\r\n" : "new,\r\n");
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(dir.path())) files += !entry.is_directory();
    EXPECT_EQ(files, 2u);  // no temporary file stays
  }
}

TEST(BackupTimer, ShowsSavingThenTheGreyCodes) {
  BackupTimer timer;
  timer.Start();
  EXPECT_TRUE(timer.Tick("YXZ"));
  EXPECT_EQ(timer.txtGotit, "SAVING...");
  EXPECT_EQ(timer.foreColour, BackupTimer::kBlack);
  EXPECT_FALSE(timer.Tick("YXZ"));
  EXPECT_EQ(timer.txtGotit, "YXZ");
  EXPECT_EQ(timer.foreColour, BackupTimer::kGrey);
  EXPECT_FALSE(timer.enabled);
}

// Twenty lab computers appending to one master and one subject file at once.
TEST(ResultsFilesConcurrency, TwentyProcessesAppendWholeLinesAndLoseNone) {
  TempDir dir;
  constexpr int kProcesses = 20, kRecords = 500;
  const auto started = std::chrono::steady_clock::now();
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      DiskResultsFileSystem disk(std::chrono::seconds(30));
      int failures = 0;
      for (int r = 0; r < kRecords; ++r) {
        const std::string line =
            "10101," + std::to_string(p) + "," + std::to_string(r) + std::string(40 + p, 'x') + ",";
        failures += disk.AppendLine(dir / "masterfile.txt", line) != 0;
        failures += disk.AppendLine(dir / "10101.txt", line) != 0;
      }
      ::_exit(failures == 0 ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (const pid_t pid : children) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  ::testing::Test::RecordProperty("seconds", std::to_string(seconds));
  for (const char* name : {"masterfile.txt", "10101.txt"}) {
    std::map<std::pair<int, int>, int> seen;
    const std::string text = ReadFileBytes(dir / name);
    std::size_t start = 0, lines = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
      int p = -1, r = -1;
      const std::string line = text.substr(start, end - start);
      ASSERT_EQ(std::sscanf(line.c_str(), "10101,%d,%d", &p, &r), 2) << line;
      ASSERT_EQ(line, "10101," + std::to_string(p) + "," + std::to_string(r) +
                          std::string(40 + p, 'x') + ",");
      ++seen[{p, r}];
      ++lines;
    }
    EXPECT_EQ(start, text.size());  // nothing after the last line break
    EXPECT_EQ(lines, 10000u);
    EXPECT_EQ(seen.size(), 10000u);
  }
  std::printf("20 x 500 appends to two files: %.2f s\n", seconds);
}

}  // namespace
}  // namespace examora
