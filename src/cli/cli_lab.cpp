// examora-cli lab, invigilate, sitting and results recover: setting a lab up around the record
// keeper (as root), trusting tests, and the teacher's view of the sittings the keeper holds.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <ostream>
#include <thread>

#include <grp.h>
#include <pwd.h>
#include <sodium.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/exam_session.h"
#include "app/students.h"
#include "cli/cli_common.h"
#include "common/error.h"
#include "common/text.h"
#include "platform/files.h"
#include "results/keeper_protocol.h"

extern char** environ;

namespace examora::cli {
namespace {

constexpr const char* kAccountsServiceUsers = "/var/lib/AccountsService/users";

std::string Hex(const unsigned char* bytes, std::size_t size) {
  std::string hex(size * 2 + 1, '\0');
  sodium_bin2hex(hex.data(), hex.size(), bytes, size);
  hex.pop_back();
  return hex;
}

gid_t GroupId(const std::string& name, std::ostream& out) {
  if (const struct group* g = ::getgrnam(name.c_str())) return g->gr_gid;
  std::vector<std::string> args = {"groupadd", "--system", name};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  int status = 1;
  if (::posix_spawnp(&pid, "groupadd", nullptr, nullptr, argv.data(), environ) == 0) {
    ::waitpid(pid, &status, 0);
  }
  const struct group* made = ::getgrnam(name.c_str());
  if (status != 0 || made == nullptr) throw FileError("Cannot create the group \"" + name + "\"");
  out << "created the group " << name << '\n';
  return made->gr_gid;
}

// Gives a file or folder its owner (root), group and mode, saying what it changed.
void Own(const std::filesystem::path& path, gid_t gid, mode_t mode, std::ostream& out) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) throw FileError("Cannot find \"" + path.string() + "\"");
  if (S_ISLNK(info.st_mode)) throw FileError("\"" + path.string() + "\" is a link; refused");
  if (info.st_uid != 0 || info.st_gid != gid) {
    if (::lchown(path.c_str(), 0, gid) != 0) {
      throw FileError("Cannot give \"" + path.string() + "\" its owner and group");
    }
    out << "owner and group set: " << path.string() << '\n';
  }
  if ((info.st_mode & 07777) != mode) {
    if (::chmod(path.c_str(), mode) != 0) {
      throw FileError("Cannot set the mode of \"" + path.string() + "\"");
    }
    char octal[8];
    std::snprintf(octal, sizeof octal, "%04o", static_cast<unsigned>(mode));
    out << "mode " << octal << ": " << path.string() << '\n';
  }
}

void Folder(const std::filesystem::path& path, gid_t gid, std::ostream& out) {
  std::error_code ec;
  if (std::filesystem::create_directories(path, ec)) out << "created " << path.string() << '\n';
  Own(path, gid, 02770, out);
}

// Writes a file only when its content differs, so a second run changes nothing.
void Content(const std::filesystem::path& path, const std::string& bytes, std::ostream& out) {
  std::string old;
  try {
    old = ReadFileBytes(path);
  } catch (const FileError&) {
  }
  if (old == bytes) return;
  WriteFileAtomically(path, bytes);
  out << "wrote " << path.string() << '\n';
}

void Trust(const std::filesystem::path& folder, const std::filesystem::path& test, gid_t gid,
           std::ostream& out) {
  const std::string bytes = ReadFileBytes(test);
  LoadTestText(bytes, test.filename().string());  // a damaged test is refused, not trusted
  std::error_code ec;
  std::filesystem::create_directories(folder / kTrustedFolder, ec);
  const auto copy = folder / kTrustedFolder / (TestFingerprint(bytes) + ".eqb");
  Content(copy, bytes, out);
  if (gid != static_cast<gid_t>(-1)) Own(copy, gid, 0640, out);
  out << "trusted " << test.string() << '\n';
}

std::string Configured(const Arguments& parsed) {
  return parsed.Option("--config").value_or(kKeeperConfig);
}

RecordsSetup SetupFor(const Arguments& parsed) {
  if (auto folder = parsed.Option("--folder")) {
    RecordsSetup setup;
    setup.folder = std::filesystem::absolute(*folder);
    setup.studentsFile = setup.folder / "std_crypt.eqb";
    setup.keyFile = setup.folder / "journal.key";
    return setup;
  }
  return ReadKeeperConfig(Configured(parsed));
}

// The login names of a comma-separated list of accounts and @groups (a group's members and
// the accounts whose own group it is).
std::vector<std::string> Accounts(const std::string& list) {
  std::vector<std::string> names;
  for (const auto& item : SplitAt(list, ',')) {
    const std::string name = Trim(item);
    if (name.empty()) continue;
    if (!name.starts_with('@')) {
      if (!::getpwnam(name.c_str())) throw UsageError("no account \"" + name + "\"");
      names.push_back(name);
      continue;
    }
    const struct group* g = ::getgrnam(name.c_str() + 1);
    if (!g) throw UsageError("no group \"" + name.substr(1) + "\"");
    const gid_t gid = g->gr_gid;
    for (char** member = g->gr_mem; *member; ++member) names.emplace_back(*member);
    ::setpwent();
    while (const struct passwd* pw = ::getpwent()) {
      if (pw->pw_gid == gid) names.emplace_back(pw->pw_name);
    }
    ::endpwent();
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  if (names.empty()) throw UsageError("--exam-session names no account");
  return names;
}

// LightDM and GDM both take an account's default session from AccountsService's file.
void ExamSessionDefault(const std::string& list, const std::filesystem::path& folder,
                        std::ostream& out) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  for (const auto& name : Accounts(list)) {
    const auto file = folder / name;
    std::string old;
    if (std::filesystem::exists(file, ec)) old = ReadFileBytes(file, 64 * 1024);
    const std::string wanted = WithDefaultSession(old, kExamSessionName);
    if (wanted == old) continue;
    WriteFileAtomically(file, wanted, NewFile::kOwnerOnly);
    out << "exam session by default: " << name << '\n';
  }
  out << "a running accounts-daemon reads them when restarted "
         "(systemctl try-restart accounts-daemon)\n";
}

int LabSetup(const CommandArgs& args, std::ostream& out) {
  const Arguments parsed =
      ParseArguments(args,
                     {"--folder", "--students", "--group", "--keeper", "--tests", "--config",
                      "--exam-session", "--accounts-folder"},
                     0);
  const auto examSession = parsed.Option("--exam-session");
  const bool records = parsed.Option("--folder") || parsed.Option("--students");
  if ((!examSession || records) && (!parsed.Option("--folder") || !parsed.Option("--students"))) {
    throw UsageError("lab setup needs --folder DIR and --students PLAIN, or --exam-session");
  }
  if (::geteuid() != 0) throw FileError("lab setup must be run as root");
  if (examSession) {
    ExamSessionDefault(*examSession,
                       parsed.Option("--accounts-folder").value_or(kAccountsServiceUsers), out);
    if (!records) return 0;
  }
  if (sodium_init() < 0) throw Error("the cryptography library could not start");
  const std::filesystem::path folder = std::filesystem::absolute(*parsed.Option("--folder"));
  const std::string group = parsed.Option("--group").value_or("examora");
  const gid_t gid = GroupId(group, out);
  Folder(folder, gid, out);
  for (const char* sub : {"subject_files", kJournalsFolder, kTrustedFolder}) {
    Folder(folder / sub, gid, out);
  }
  const auto plain = ReadPlainStudentsFile(*parsed.Option("--students"));
  const auto students = folder / "std_crypt.eqb";
  bool same = false;
  try {
    const StudentsTable old = ReadStudentsCrypt(students);
    same = old.folder == folder.string() + "/" && old.rows.size() == plain.rows.size() &&
           std::equal(old.rows.begin(), old.rows.end(), plain.rows.begin(),
                      [](const StudentRow& a, const StudentRow& b) {
                        return StudentLine(a) == StudentLine(b);
                      });
  } catch (const Error&) {
  }
  if (!same) {
    WriteStudentsCrypt(students, {folder.string() + "/", plain.rows});
    out << "wrote " << students.string() << " (" << plain.rows.size() << " students)\n";
  }
  Own(students, gid, 0640, out);
  const auto key = folder / "journal.key";
  std::error_code ec;
  if (!std::filesystem::exists(key, ec)) {
    unsigned char bytes[32];
    randombytes_buf(bytes, sizeof bytes);
    WriteFileAtomically(key, Hex(bytes, sizeof bytes) + "\n", NewFile::kOwnerOnly);
    out << "made the journal key " << key.string() << '\n';
  }
  Own(key, gid, 0640, out);
  // The Menu at a student's account asks the keeper, which reads this hash.
  const auto admin = folder / "admin.hash";
  if (std::filesystem::exists(admin, ec)) {
    Own(admin, gid, 0640, out);
  } else {
    out << "no administrator password yet: examora-cli admin set-password --file " << admin.string()
        << ", then run lab setup again\n";
  }
  const std::filesystem::path config = Configured(parsed);
  std::filesystem::create_directories(config.parent_path(), ec);
  Content(config,
          "# The record keeper's settings; written by examora-cli lab setup.\n"
          "folder = " +
              folder.string() + "\nstudents = " + students.string() + "\nkey = " + key.string() +
              "\ngroup = " + group + "\n",
          out);
  Own(config, 0, 0644, out);
  const std::filesystem::path keeper = parsed.Option("--keeper").value_or(kInstalledKeeper);
  Own(keeper, gid, 02755, out);
  if (auto tests = parsed.Option("--tests")) {
    if (!std::filesystem::is_directory(*tests, ec)) {
      throw FileError("Cannot read the web folder \"" + *tests + "\": it is not a folder");
    }
    for (const auto& entry : std::filesystem::recursive_directory_iterator(*tests, ec)) {
      if (entry.is_regular_file() && entry.path().filename().string().ends_with("-BF.txt")) {
        Trust(folder, entry.path(), gid, out);
      }
    }
  }
  out << "the lab is set up: " << folder.string() << " (group " << group << ")\n";
  return 0;
}

int LabTrust(const CommandArgs& args, std::ostream& out) {
  const Arguments parsed = ParseArguments(args, {"--folder", "--config"}, 1);
  const RecordsSetup setup = SetupFor(parsed);
  struct stat info {};
  const gid_t gid =
      ::stat(setup.folder.c_str(), &info) == 0 && ::geteuid() == 0 ? info.st_gid : gid_t(-1);
  Trust(setup.folder, parsed.positional[0], gid, out);
  return 0;
}

void PrintSittings(const RecordsSetup& setup, std::ostream& out) {
  SystemClock clock;
  for (const auto& row : SittingsTable(ListSittings(setup, clock))) {
    std::string line;
    for (const auto& cell : row) line += (line.empty() ? "" : "\t") + Cp1252ToUtf8(cell);
    while (!line.empty() && line.back() == '\t') line.pop_back();
    out << line << '\n';
  }
}

}  // namespace

int LabCommand(const CommandArgs& args, std::istream&, std::ostream& out, std::ostream&) {
  if (args.size() < 2) throw UsageError("lab takes setup or trust");
  CommandArgs rest(args.begin() + 1, args.end());
  rest[0] = "lab " + args[1];
  if (args[1] == "setup") return LabSetup(rest, out);
  if (args[1] == "trust") return LabTrust(rest, out);
  throw UsageError("lab takes setup or trust");
}

int InvigilateCommand(const CommandArgs& args, std::istream&, std::ostream& out, std::ostream&) {
  const Arguments parsed = ParseArguments(args, {"--folder", "--config"}, 0, {"--watch"});
  const RecordsSetup setup = SetupFor(parsed);
  if (!parsed.Flag("--watch")) {
    PrintSittings(setup, out);
    return 0;
  }
  for (;;) {
    out << "\x1b[H\x1b[2J";
    PrintSittings(setup, out);
    out.flush();
    std::this_thread::sleep_for(std::chrono::seconds(5));
  }
}

int SittingCommand(const CommandArgs& args, std::istream&, std::ostream& out, std::ostream&) {
  if (args.size() < 2 || args[1] != "extend") throw UsageError("sitting takes extend");
  CommandArgs rest(args.begin() + 1, args.end());
  rest[0] = "sitting extend";
  const Arguments parsed = ParseArguments(rest, {"--folder", "--config"}, 3);
  const double test = NumberArgument(parsed.positional[1], "TEST");
  const double minutes = NumberArgument(parsed.positional[2], "MINUTES");
  SystemClock clock;
  ExtendSitting(SetupFor(parsed), clock, parsed.positional[0], static_cast<int>(test),
                static_cast<int>(minutes));
  out << "extended by " << static_cast<int>(minutes) << " minutes\n";
  return 0;
}

int RecoverCommand(const CommandArgs& args, std::ostream& out) {
  const Arguments parsed = ParseArguments(args, {"--folder", "--config"}, 0);
  SystemClock clock;
  const auto lines = RecoverSittings(SetupFor(parsed), clock);
  for (const auto& line : lines) out << Cp1252ToUtf8(line) << '\n';
  out << lines.size() << " sitting" << (lines.size() == 1 ? "" : "s") << " needed completing\n";
  return 0;
}

}  // namespace examora::cli
