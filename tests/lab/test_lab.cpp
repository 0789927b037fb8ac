// The record keeper's guarantees with real accounts, as a lab has them: two students sit through
// a setgid keeper, neither can reach the lab's secrets or the other's records, and the keeper
// takes no settings from them. Making accounts and a setgid program needs root, so elsewhere
// these tests are skipped.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <ctime>
#include <filesystem>
#include <random>
#include <thread>

#include "app/students.h"
#include "common/clock.h"
#include "common/text.h"
#include "crypto/enciphered_text.h"
#include "platform/files.h"
#include "testfile/access_code.h"
#include "testfile/authoring.h"

namespace examora {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Every question's answer is 1 kN whatever the keeper draws, so the answer files are fixed.
const char* const kSource =
    "10170\r\nLab\r\nTitle: Lab\r\nCompulsory: False\r\nPassMark: 50\r\nd\r\nv\r\n"
    "----------\r\n#F = #(1000,1000,4) N\r\n\r\n#a\r\nn\r\n"
    "----------\r\n#F = #(1000,1000,4) N\r\n\r\n#a\r\nn\r\n"
    "----------\r\n#F = #(1000,1000,4) N\r\n\r\n#a\r\nn\r\n"
    "*** END OF FILE ***\r\n";

struct Account {
  StudentRow row;  // number, password, first and last name in the class list
  std::string name;
  uid_t uid = 0;
  gid_t gid = 0;
  fs::path home;
};

std::string SystemTool(const char* name) {
  for (const char* dir : {"/usr/sbin", "/sbin", "/usr/bin", "/bin"}) {
    const fs::path path = fs::path(dir) / name;
    if (::access(path.c_str(), X_OK) == 0) return path.string();
  }
  return {};
}

// True when a setgid program kept in `path` runs with its group (no nosuid or noexec mount)
// and no one but root can change the folder or one above it to swap the program for another.
bool KeeperCanLiveIn(fs::path path) {
  struct statvfs mount {};
  if (::statvfs(path.c_str(), &mount) != 0 || (mount.f_flag & (ST_NOSUID | ST_NOEXEC)) != 0) {
    return false;
  }
  for (path = fs::absolute(path);; path = path.parent_path()) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || info.st_uid != 0 || (info.st_mode & 022) != 0) {
      return false;
    }
    if (path == path.parent_path()) return true;
  }
}

// True when every folder above `path` lets other users through.
bool OthersCanReach(fs::path path) {
  for (path = fs::absolute(path).parent_path();; path = path.parent_path()) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || (info.st_mode & S_IXOTH) == 0) return false;
    if (path == path.parent_path()) return true;
  }
}

// In a forked child: becomes the account, with `groups` as its only supplementary groups.
void Become(const Account& who, const std::vector<gid_t>& groups) {
  if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(who.gid) != 0 ||
      ::setuid(who.uid) != 0 || ::chdir(who.home.c_str()) != 0) {
    ::_exit(126);
  }
}

struct Outcome {
  int status = -1;  // the exit status, or 128 + the signal
  std::string output;
};

// A program run as an account (as root without one), its input given at once and its standard
// output and error read together.
class Program {
 public:
  Program(const Account* who, std::vector<std::string> args, const std::string& input = "",
          std::vector<std::string> env = {}) {
    int in[2], out[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) return;
    if (who != nullptr) {
      env.insert(env.end(), {"HOME=" + who->home.string(), "USER=" + who->name,
                             "LOGNAME=" + who->name, "PATH=/usr/bin:/bin"});
    } else {
      env.push_back("PATH=/usr/sbin:/usr/bin:/sbin:/bin");
    }
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(in[0], 0);
      ::dup2(out[1], 1);
      ::dup2(out[1], 2);
      if (who != nullptr) Become(*who, {});
      std::vector<char*> argv, envp;
      for (auto& a : args) argv.push_back(a.data());
      for (auto& e : env) envp.push_back(e.data());
      argv.push_back(nullptr);
      envp.push_back(nullptr);
      ::execve(argv[0], argv.data(), envp.data());
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    out_ = out[0];
    [[maybe_unused]] const auto n = ::write(in[1], input.data(), input.size());
    ::close(in[1]);
  }
  ~Program() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      Finish();
    }
    if (out_ >= 0) ::close(out_);
  }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  pid_t pid() const { return pid_; }

  /// Reads until the output holds `text` (true), or it ends or 20 s pass (false).
  bool Await(const std::string& text) {
    const auto until = Clock::now() + std::chrono::seconds(20);
    while (output_.find(text) == std::string::npos) {
      if (!ReadSome(until)) return false;
    }
    return true;
  }

  /// Reads to the end of the output (killing the program after 30 s) and waits for it.
  Outcome Finish() {
    const auto until = Clock::now() + std::chrono::seconds(30);
    while (out_ >= 0 && ReadSome(until)) {
    }
    if (Clock::now() >= until) ::kill(pid_, SIGKILL);
    int status = 0;
    if (pid_ > 0 && ::waitpid(pid_, &status, 0) == pid_) {
      pid_ = -1;
      return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), output_};
    }
    return {-1, output_};
  }

 private:
  bool ReadSome(Clock::time_point until) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
    pollfd p{out_, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
    char chunk[4096];
    const ssize_t n = ::read(out_, chunk, sizeof chunk);
    if (n <= 0) return false;
    output_.append(chunk, static_cast<std::size_t>(n));
    return true;
  }

  pid_t pid_ = -1;
  int out_ = -1;
  std::string output_;
};

// The error number of opening `path` as the account (0 when it opened).
int OpenAs(const Account& who, const std::vector<gid_t>& groups, const fs::path& path, int flags) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    Become(who, groups);
    ::_exit(::open(path.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, 0600) >= 0 ? 0 : errno);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Waits for the keepers of killed programs, which come to this process as its orphans.
void ReapOrphans() {
  for (int i = 0; i < 200 && ::waitpid(-1, nullptr, WNOHANG) >= 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

std::vector<std::string> Lines(const fs::path& file) {
  std::vector<std::string> lines;
  std::error_code ec;
  if (!fs::exists(file, ec)) return lines;
  for (const auto& line : SplitLines(ReadFileBytes(file))) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

std::string SavedRecord(const std::string& output) {
  const std::size_t at = output.find("saved: ");
  if (at == std::string::npos) return {};
  return output.substr(at + 7, output.find('\n', at) - at - 7);
}

class Lab : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) {
      GTEST_SKIP() << "the lab tests run as root only (they make accounts and a setgid keeper)";
    }
    for (const char* tool : {"useradd", "groupadd", "userdel", "groupdel"}) {
      if (SystemTool(tool).empty()) GTEST_SKIP() << tool << " is missing; the lab tests need it";
    }
    const struct group* users = ::getgrnam("users");
    if (users == nullptr) GTEST_SKIP() << "no group \"users\" for the students' accounts";
    const gid_t usersGid = users->gr_gid;  // the next look-up overwrites *users
    ::umask(022);
    fs::create_directories(conf_.parent_path());
    if (!OthersCanReach(conf_) || !OthersCanReach(EXAMORA_CLI)) {
      GTEST_SKIP() << "the build tree must be open to other users (o+x) for the lab tests";
    }
    // The keeper reads the system's time zone; the access code made here must agree with it.
    ::unsetenv("TZ");
    ::tzset();
    // The keeper of a killed program is handed to this process, which then knows it has gone.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0);
    for (const char* base : {"/var/lib", "/srv", "/opt", "/run"}) {
      if (!KeeperCanLiveIn(base)) continue;
      std::string pattern = std::string(base) + "/examora-lab-XXXXXX";
      if (::mkdtemp(pattern.data()) != nullptr) root_ = pattern;
      break;
    }
    if (root_.empty()) GTEST_SKIP() << "no folder for a setgid keeper that only root can change";
    ::chmod(root_.c_str(), 0755);
    results_ = root_ / "results";
    keeper_ = root_ / "bin" / "examora-keeper";
    test_ = root_ / "web" / "lab" / "Lab-BF.txt";
    std::random_device random;
    char name[16];
    std::snprintf(name, sizeof name, "exlab%06x", random() & 0xffffff);
    ASSERT_EQ(Program(nullptr, {SystemTool("groupadd"), name}).Finish().status, 0);
    group_ = name;
    gid_ = ::getgrnam(name)->gr_gid;
    const std::vector<StudentRow> rows = {{"012345678", "ab1Z", "Mary", "Smith"},
                                          {"123456789", "cd2Y", "Tom", "Jones"}};
    students_.resize(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      students_[i].row = rows[i];
      ASSERT_NO_FATAL_FAILURE(MakeAccount(students_[i], group_ + char('a' + i), usersGid));
    }
    ASSERT_NO_FATAL_FAILURE(MakeLab());
  }

  void MakeAccount(Account& a, const std::string& name, gid_t users) {
    a.home = root_ / "home" / name;
    ASSERT_EQ(Program(nullptr, {SystemTool("useradd"), "-M", "-N", "-g", "users", "-d",
                                a.home.string(), "-s", "/bin/sh", name})
                  .Finish()
                  .status,
              0);
    made_.push_back(name);
    const struct passwd* pw = ::getpwnam(name.c_str());
    ASSERT_NE(pw, nullptr);
    a.name = name;
    a.uid = pw->pw_uid;
    a.gid = users;
    fs::create_directories(a.home);
    ASSERT_EQ(::chown(a.home.c_str(), a.uid, a.gid), 0);
    ::chmod(a.home.c_str(), 0700);
  }

  // The class list, the test, the answers and the keeper's copy, then the lab set up as root.
  void MakeLab() {
    std::vector<StudentRow> rows;
    for (const auto& s : students_) rows.push_back(s.row);
    WritePlainStudentsFile(root_ / "class.txt", rows);
    ::chmod((root_ / "class.txt").c_str(), 0600);
    TestBank bank = ParseSource(CleanUpSource(SplitLines(kSource)).lines);
    Compute(bank, 3, 1);
    std::string bytes;
    for (std::string line : TestLines(bank)) bytes += EncryptText(line) + "\r\n";
    fs::create_directories(root_ / "web" / "lab");
    WriteFileAtomically(test_, bytes);
    fs::create_directories(root_ / "answers");
    WriteFileAtomically(root_ / "answers" / "first.txt", "1: 1 k N\r\n");
    WriteFileAtomically(root_ / "answers" / "all.txt", "1: 1 k N\r\n2: 1 k N\r\n3: 1 k N\r\n");
    fs::create_directories(keeper_.parent_path());
    fs::copy_file(EXAMORA_LAB_KEEPER, keeper_);
    const Outcome setup =
        Program(nullptr,
                {EXAMORA_CLI, "lab", "setup", "--folder", results_.string(), "--students",
                 (root_ / "class.txt").string(), "--group", group_, "--keeper", keeper_.string(),
                 "--config", conf_.string(), "--tests", (root_ / "web").string()})
            .Finish();
    ASSERT_EQ(setup.status, 0) << setup.output;
    struct stat info {};
    ASSERT_EQ(::stat(keeper_.c_str(), &info), 0);
    ASSERT_EQ(info.st_mode & 07777, 02755u);
    ASSERT_EQ(info.st_gid, gid_);
  }

  void TearDown() override {
    ReapOrphans();
    for (const auto& name : made_) Program(nullptr, {SystemTool("userdel"), name}).Finish();
    if (!group_.empty()) Program(nullptr, {SystemTool("groupdel"), group_}).Finish();
    std::error_code ec;
    if (!root_.empty()) fs::remove_all(root_, ec);
    fs::remove(conf_, ec);
  }

  std::vector<std::string> SitArgs(const Account& who, const std::string& answers) {
    return {EXAMORA_CLI,    "sit",
            test_.string(), "--exam",
            "--keeper",     keeper_.string(),
            "--student",    who.row.number,
            "--answers",    (root_ / "answers" / answers).string()};
  }

  // The password, then the access code of this moment, as a student types them.
  std::string SignIn(const std::string& password) {
    return password + "\n" + std::to_string(MakeAccessCode(SystemClock())) + "\n";
  }

  Outcome Sit(const Account& who, const std::string& answers) {
    return Program(&who, SitArgs(who, answers), SignIn(who.row.password)).Finish();
  }

  fs::path StudentFile(const Account& who) const { return results_ / (who.row.number + ".txt"); }

  const fs::path conf_ = EXAMORA_LAB_CONFIG;
  fs::path root_, results_, keeper_, test_;
  std::string group_;
  gid_t gid_ = 0;
  std::vector<Account> students_;
  std::vector<std::string> made_;  // accounts to remove
};

TEST_F(Lab, EachRecordIsSavedOnceInEveryFileAndNoStudentReachesTheRecordsOrTheSecrets) {
  std::vector<std::string> records;
  for (const auto& s : students_) {
    const Outcome sat = Sit(s, "all.txt");
    ASSERT_EQ(sat.status, 0) << sat.output;
    records.push_back(SavedRecord(sat.output));
    EXPECT_NE(records.back().find("," + s.row.number + ","), std::string::npos) << sat.output;
    EXPECT_TRUE(
        records.back().ends_with(",100,3,YYY," + s.row.firstName + " " + s.row.lastName + ","))
        << records.back();
  }
  EXPECT_EQ(Lines(results_ / "masterfile.txt"), records);
  EXPECT_EQ(Lines(results_ / "subject_files" / "10170.txt"), records);
  for (std::size_t i = 0; i < students_.size(); ++i) {
    EXPECT_EQ(Lines(StudentFile(students_[i])), std::vector<std::string>{records[i]});
  }

  // Every file of the folder is out of reach, the master file for writing too.
  std::vector<std::pair<fs::path, int>> secrets = {
      {results_ / "masterfile.txt", O_WRONLY | O_APPEND}};
  for (const auto& entry : fs::recursive_directory_iterator(results_)) {
    if (entry.is_regular_file()) secrets.push_back({entry.path(), O_RDONLY});
  }
  for (const char* name :
       {"std_crypt.eqb", "journal.key", "journals/012345678_10170journal.txt",
        "journals/123456789_10170journal.txt", "012345678.txt", "123456789.txt"}) {
    ASSERT_NE(std::find(secrets.begin(), secrets.end(), std::pair(results_ / name, O_RDONLY)),
              secrets.end())
        << name;
  }
  for (std::size_t i = 0; i < students_.size(); ++i) {
    auto tries = secrets;
    tries.push_back({results_ / ("planted-" + students_[i].name), O_WRONLY | O_CREAT});
    for (const auto& [path, flags] : tries) {
      SCOPED_TRACE(students_[i].name + " opening " + path.string());
      EXPECT_EQ(OpenAs(students_[i], {}, path, flags), EACCES);
      // The same account in the lab's group gets through: the file is there to be refused.
      EXPECT_EQ(OpenAs(students_[i], {gid_}, path, flags), 0);
    }
  }
}

TEST_F(Lab, AWrongPasswordIsAnsweredNoSoonerThanTwoSecondsLater) {
  const Account& mary = students_[0];
  const auto start = Clock::now();
  const Outcome refused = Program(&mary, SitArgs(mary, "all.txt"), SignIn("ab1z")).Finish();
  const std::chrono::duration<double> took = Clock::now() - start;
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.output.find("The student number or the password is not right"),
            std::string::npos)
      << refused.output;
  EXPECT_GT(took.count(), 1.9);
  EXPECT_TRUE(Lines(results_ / "masterfile.txt").empty());
}

TEST_F(Lab, ASecondLiveSittingIsRefusedAndAKilledOneResumesWithLessTimeAndIsSavedOnce) {
  const Account& mary = students_[0];
  std::vector<std::string> hold = SitArgs(mary, "first.txt");
  hold.push_back("--hold");
  Program first(&mary, hold, SignIn(mary.row.password));
  ASSERT_TRUE(first.Await("holding\n"));
  const Outcome second = Sit(mary, "all.txt");
  EXPECT_EQ(second.status, 1);
  EXPECT_NE(second.output.find("already open for you elsewhere"), std::string::npos)
      << second.output;
  ::kill(first.pid(), SIGKILL);
  EXPECT_EQ(first.Finish().status, 128 + SIGKILL);
  ReapOrphans();  // its keeper, at the end of its input
  EXPECT_TRUE(Lines(results_ / "masterfile.txt").empty());

  std::this_thread::sleep_for(std::chrono::seconds(2));
  const Outcome again = Sit(mary, "all.txt");
  ASSERT_EQ(again.status, 0) << again.output;
  const std::size_t at = again.output.find("resumed: 1 answers, time left ");
  ASSERT_NE(at, std::string::npos) << again.output;
  int minutes = 0, seconds = 0;
  ASSERT_EQ(std::sscanf(again.output.c_str() + at + 30, "%d:%d", &minutes, &seconds), 2);
  EXPECT_LE(minutes * 60 + seconds, 178);  // of 3:00, with 2 s and more gone
  EXPECT_GT(minutes * 60 + seconds, 120);
  const std::string record = SavedRecord(again.output);
  EXPECT_TRUE(record.ends_with(",100,3,YYY,Mary Smith,")) << again.output;
  for (const auto& file :
       {results_ / "masterfile.txt", results_ / "subject_files" / "10170.txt", StudentFile(mary)}) {
    EXPECT_EQ(Lines(file), std::vector<std::string>{record}) << file;
  }
}

TEST_F(Lab, TheSetgidKeeperTakesNoSettingsFileFromTheStudent) {
  const Account& mary = students_[0];
  const Outcome made = Program(&mary, {"/bin/sh", "-c",
                                       "mkdir evil && printf 'folder = %s/evil\\n' \"$HOME\" > "
                                       "evil.conf"})
                           .Finish();
  ASSERT_EQ(made.status, 0) << made.output;
  const std::string evil = (mary.home / "evil.conf").string();
  const std::string talk = "SIGNIN\t" + mary.row.number + "\t" + mary.row.password + "\nBYE\n";
  const struct {
    const char* what;
    bool setgid, option;
    std::string reply;  // the whole of it from the setgid keeper, how it begins otherwise
  } cases[] = {
      {"setgid, --config", true, true, "NO\texamora-keeper takes no arguments\n"},
      {"setgid, EXAMORA_KEEPER_CONFIG", true, false,
       "OK\texamora-keeper\t1\nOK\tMary\tSmith\nOK\n"},
      // Without the setgid bit the same program reads the student's file, and fails on it.
      {"plain, --config", false, true, "NO\t"},
      {"plain, EXAMORA_KEEPER_CONFIG", false, false, "NO\t"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> args = {c.setgid ? keeper_.string() : EXAMORA_LAB_KEEPER};
    std::vector<std::string> env;
    if (c.option) {
      args.insert(args.end(), {"--config", evil});
    } else {
      env.push_back("EXAMORA_KEEPER_CONFIG=" + evil);
    }
    const Outcome o = Program(&mary, args, talk, env).Finish();
    EXPECT_EQ(o.status, c.setgid && !c.option ? 0 : 1) << o.output;
    if (c.setgid) {
      EXPECT_EQ(o.output, c.reply);
    } else {
      EXPECT_TRUE(o.output.starts_with(c.reply)) << o.output;
      EXPECT_NE(o.output.find((mary.home / "evil").string()), std::string::npos) << o.output;
    }
  }
}

}  // namespace
}  // namespace examora
