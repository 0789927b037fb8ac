#include "results/keeper_protocol.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/ini_file.h"
#include "app/module_examora.h"
#include "common/numtext.h"
#include "common/text.h"

extern char** environ;

namespace examora {
namespace {

constexpr std::size_t kMaxLine = 64 * 1024;
constexpr std::size_t kMaxTest = std::size_t{16} << 20;
constexpr int kMaxBadRequests = 20;

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string Line(const std::vector<std::string>& fields) {
  std::string line;
  for (const auto& field : fields) line += (line.empty() ? "" : "\t") + EscapeField(field);
  return line + "\n";
}

std::string Join(const std::vector<std::string>& items) {
  std::string joined;
  for (const auto& item : items) joined += (joined.empty() ? "" : ",") + Trim(item);
  return joined;
}

// A whole number field of a request, within bounds, or Refused.
long long Number(const std::string& text, long long low, long long high) {
  if (text.empty() || text.size() > 12 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    throw Refused("Malformed request.");
  }
  const long long value = std::stoll(text);
  if (value < low || value > high) throw Refused("Malformed request.");
  return value;
}

std::vector<std::string> Answers(const OpenedSitting& opened) {
  std::vector<std::string> lines;
  for (const auto& a : opened.answers) {
    std::vector<std::string> fields = {"A", std::to_string(a.position)};
    fields.insert(fields.end(), a.inputs.begin(), a.inputs.end());
    lines.push_back(Line(fields));
  }
  for (const auto& note : opened.notes) lines.push_back(Line({"N", note}));
  return lines;
}

// One request; the reply lines. Refused becomes a "NO" line.
std::string Handle(SittingService& service, LineReader& in, const std::vector<std::string>& f,
                   bool& bye) {
  const std::string& verb = f[0];
  if (verb == "SIGNIN" && f.size() == 3) {
    service.SignIn(f[1], f[2]);
    return Line({"OK", service.Student().firstName, service.Student().lastName});
  }
  if (verb == "OPEN" && f.size() == 3) {
    const auto size = static_cast<std::size_t>(Number(f[2], 0, kMaxTest));
    const auto bytes = in.Bytes(size);
    if (!bytes) throw Refused("The test ended early.");
    const OpenedSitting opened = service.Open(*bytes, f[1]);
    std::string reply =
        Line({"OK", opened.resumed ? "resumed" : "new", std::to_string(opened.seed),
              std::to_string(opened.secondsLeft), std::to_string(opened.answers.size()),
              std::to_string(opened.notes.size()), std::to_string(opened.started)});
    for (const auto& line : Answers(opened)) reply += line;
    return reply;
  }
  if (verb == "ANSWER" && f.size() >= 2) {
    const JournalAnswer answer{static_cast<int>(Number(f[1], 1, 100000)), 0, false,
                               std::vector<std::string>(f.begin() + 2, f.end())};
    const AnswerVerdict v = service.Answer(answer);
    return Line({"OK", v.code, std::to_string(v.state), std::to_string(v.secondsLeft),
                 v.ended ? "1" : "0"});
  }
  if (verb == "END" && f.size() == 1) {
    const SaveReport r = service.End();
    std::vector<std::string> numbers;
    for (const int n : r.errorNumbers) numbers.push_back(std::to_string(n));
    return Line(
        {"OK", r.record, r.Complete() ? "1" : "0", Join(r.written), Join(r.failed), Join(numbers)});
  }
  if (verb == "TIME" && f.size() == 1) return Line({"OK", std::to_string(service.SecondsLeft())});
  if (verb == "PENDING" && f.size() == 2) {
    const bool pending = service.HasInterruptedSitting(static_cast<int>(Number(f[1], 0, 99999)));
    return Line({"OK", pending ? "1" : "0"});
  }
  if (verb == "RECORDS" && f.size() == 1) {
    const auto records = service.OwnRecords();
    std::string reply = Line({"OK", std::to_string(records.size())});
    for (const auto& record : records) reply += Line({"R", record});
    return reply;
  }
  if (verb == "ADMIN" && f.size() == 2) {
    if (!service.CheckAdminPassword(f[1])) throw Refused("The password is not right.");
    return Line({"OK"});
  }
  if (verb == "BYE" && f.size() == 1) {
    bye = true;
    return Line({"OK"});
  }
  throw Refused("Unknown request.");
}

}  // namespace

std::string EscapeField(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (const char c : field) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::vector<std::string> SplitFields(std::string_view line) {
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '\t') {
      fields.emplace_back();
    } else if (c == '\\' && i + 1 < line.size()) {
      const char e = line[++i];
      fields.back() += e == 't' ? '\t' : e == 'r' ? '\r' : e == 'n' ? '\n' : e;
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

bool LineReader::Fill() {
  if (start_ > 0) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(fd_, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    buffer_.append(chunk, static_cast<std::size_t>(n));
    return true;
  }
}

std::optional<std::string> LineReader::Line(std::size_t limit, bool* tooLong) {
  bool over = false;
  for (;;) {
    const std::size_t end = buffer_.find('\n', start_);
    if (end != std::string::npos) {
      std::string line = over ? std::string() : buffer_.substr(start_, end - start_);
      start_ = end + 1;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.size() > limit) over = true, line.clear();
      if (tooLong != nullptr) *tooLong = over;
      return line;
    }
    if (buffer_.size() - start_ > limit) {
      over = true;  // dropped as it comes, so a line without end cannot fill the memory
      buffer_.clear();
      start_ = 0;
    }
    if (!Fill()) return std::nullopt;
  }
}

std::optional<std::string> LineReader::Bytes(std::size_t count) {
  while (buffer_.size() - start_ < count) {
    if (!Fill()) return std::nullopt;
  }
  std::string bytes = buffer_.substr(start_, count);
  start_ += count;
  return bytes;
}

int ServeKeeper(SittingService& service, int in, int out) {
  LineReader reader(in);
  if (!WriteAll(out, Line({"OK", "examora-keeper", "1"}))) return 1;
  int bad = 0;
  for (bool bye = false; !bye;) {
    bool tooLong = false;
    const auto line = reader.Line(kMaxLine, &tooLong);
    if (!line) return 0;
    std::string reply;
    bool fatal = false;
    try {
      if (tooLong) throw Refused("The request is too long.");
      reply = Handle(service, reader, SplitFields(*line), bye);
      bad = 0;
    } catch (const Refused& e) {
      reply = Line({"NO", e.what()});
      ++bad;
    } catch (const std::exception& e) {
      // The journal or the folder failed under the sitting: going on could lose an answer.
      reply = Line({"NO", e.what()});
      fatal = true;
    }
    if (!WriteAll(out, reply)) return 1;
    if (fatal || bad >= kMaxBadRequests) return 1;
    service.Idle();
  }
  return 0;
}

int RefuseToServe(int out, const std::string& why) {
  WriteAll(out, Line({"NO", why}));
  return 1;
}

StudentRow LocalRecords::SignIn(const std::string& number, const std::string& password) {
  service_.SignIn(number, password);
  return service_.Student();
}

OpenedSitting LocalRecords::Open(std::string_view testBytes, const std::string& accessCode) {
  return service_.Open(testBytes, accessCode);
}

AnswerVerdict LocalRecords::Answer(const JournalAnswer& answer) {
  const AnswerVerdict verdict = service_.Answer(answer);
  service_.Idle();
  return verdict;
}

KeeperClient::KeeperClient(const std::filesystem::path& keeper,
                           const std::vector<std::string>& arguments) {
  int toKeeper[2], fromKeeper[2];
  if (::pipe2(toKeeper, O_CLOEXEC) != 0) throw Error("Cannot start the record keeper");
  if (::pipe2(fromKeeper, O_CLOEXEC) != 0) {
    ::close(toKeeper[0]);
    ::close(toKeeper[1]);
    throw Error("Cannot start the record keeper");
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, toKeeper[0], 0);
  posix_spawn_file_actions_adddup2(&actions, fromKeeper[1], 1);
  std::vector<std::string> args = {keeper.string()};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const int error = ::posix_spawn(&pid_, keeper.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(toKeeper[0]);
  ::close(fromKeeper[1]);
  to_ = toKeeper[1];
  fromFd_ = fromKeeper[0];
  from_ = std::make_unique<LineReader>(fromFd_);
  if (error != 0) {
    pid_ = -1;
    throw Error("Cannot start the record keeper \"" + keeper.string() +
                "\": " + std::strerror(error));
  }
  // A keeper that ended makes writes fail rather than end this program.
  std::signal(SIGPIPE, SIG_IGN);
  Reply();
}

KeeperClient::~KeeperClient() {
  if (to_ >= 0) {
    WriteAll(to_, "BYE\n");
    ::close(to_);
  }
  if (fromFd_ >= 0) ::close(fromFd_);
  if (pid_ > 0) {
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
}

std::vector<std::string> KeeperClient::Reply() {
  const auto line = from_->Line(kMaxTest);
  if (!line) {
    throw Error(
        "The record keeper stopped answering. Close the program and start it again: the "
        "sitting carries on where it was.");
  }
  auto fields = SplitFields(*line);
  if (fields[0] == "NO") throw Refused(fields.size() > 1 ? fields[1] : "Refused.");
  if (fields[0] != "OK") throw Error("The record keeper gave a reply this program does not know");
  return fields;
}

std::vector<std::string> KeeperClient::Request(const std::string& line, std::string_view bytes) {
  if (!WriteAll(to_, line) || !WriteAll(to_, bytes)) {
    throw Error("The record keeper stopped answering");
  }
  return Reply();
}

StudentRow KeeperClient::SignIn(const std::string& number, const std::string& password) {
  const auto f = Request(Line({"SIGNIN", number, password}));
  if (f.size() != 3) throw Error("The record keeper gave a malformed reply");
  return {Trim(number), "", f[1], f[2]};
}

OpenedSitting KeeperClient::Open(std::string_view testBytes, const std::string& accessCode) {
  const auto f = Request(Line({"OPEN", accessCode, std::to_string(testBytes.size())}), testBytes);
  // An older keeper does not say when the sitting started.
  if (f.size() != 6 && f.size() != 7) throw Error("The record keeper gave a malformed reply");
  OpenedSitting opened;
  opened.resumed = f[1] == "resumed";
  if (f.size() == 7) opened.started = static_cast<long long>(LeadingNumber(f[6]));
  opened.seed = static_cast<std::uint64_t>(std::stoull("0" + f[2].substr(0, 16)));
  opened.secondsLeft = static_cast<int>(LeadingNumber(f[3]));
  const auto answers = static_cast<std::size_t>(LeadingNumber(f[4]));
  const auto notes = static_cast<std::size_t>(LeadingNumber(f[5]));
  for (std::size_t i = 0; i < answers + notes; ++i) {
    const auto line = from_->Line(kMaxLine);
    if (!line) throw Error("The record keeper stopped answering");
    auto fields = SplitFields(*line);
    if (fields[0] == "A" && fields.size() >= 2) {
      opened.answers.push_back({static_cast<int>(LeadingNumber(fields[1])), 0, false,
                                std::vector<std::string>(fields.begin() + 2, fields.end())});
    } else if (fields[0] == "N" && fields.size() == 2) {
      opened.notes.push_back(fields[1]);
    }
  }
  return opened;
}

AnswerVerdict KeeperClient::Answer(const JournalAnswer& answer) {
  std::vector<std::string> fields = {"ANSWER", std::to_string(answer.position)};
  fields.insert(fields.end(), answer.inputs.begin(), answer.inputs.end());
  const auto f = Request(Line(fields));
  if (f.size() != 5) throw Error("The record keeper gave a malformed reply");
  return {f[1], static_cast<int>(LeadingNumber(f[2])), static_cast<int>(LeadingNumber(f[3])),
          f[4] == "1"};
}

SaveReport KeeperClient::End() {
  const auto f = Request("END\n");
  if (f.size() != 6) throw Error("The record keeper gave a malformed reply");
  SaveReport report;
  report.record = f[1];
  for (auto* list : {&report.written, &report.failed}) {
    const std::string& joined = list == &report.written ? f[3] : f[4];
    if (joined.empty()) continue;
    for (const auto& item : SplitItems(joined)) {
      if (!item.empty()) list->push_back(" " + item);
    }
  }
  for (const auto& item : SplitItems(f[5])) {
    if (!item.empty()) report.errorNumbers.push_back(static_cast<int>(LeadingNumber(item)));
  }
  report.errorNumbers.resize(report.failed.size(), 75);
  return report;
}

int KeeperClient::SecondsLeft() {
  const auto f = Request("TIME\n");
  return f.size() == 2 ? static_cast<int>(LeadingNumber(f[1])) : 0;
}

bool KeeperClient::HasInterruptedSitting(int testNumber) {
  const auto f = Request(Line({"PENDING", std::to_string(testNumber)}));
  return f.size() == 2 && f[1] == "1";
}

std::vector<std::string> KeeperClient::OwnRecords() {
  const auto f = Request("RECORDS\n");
  const auto count = f.size() == 2 ? static_cast<std::size_t>(LeadingNumber(f[1])) : 0;
  std::vector<std::string> records;
  for (std::size_t i = 0; i < count; ++i) {
    const auto line = from_->Line(kMaxLine);
    if (!line) throw Error("The record keeper stopped answering");
    const auto fields = SplitFields(*line);
    if (fields.size() == 2 && fields[0] == "R") records.push_back(fields[1]);
  }
  return records;
}

bool KeeperClient::CheckAdminPassword(const std::string& password) {
  try {
    Request(Line({"ADMIN", password}));
    return true;
  } catch (const Refused&) {
    return false;
  }
}

namespace {

// The records of a deployment kept by the program itself, in its student files folder.
RecordsSetup DeploymentRecords(const DeploymentSettings& settings, const Environment& env) {
  ModuleExamora m;
  SetStudentPaths(m, settings, env);
  RecordsSetup setup;
  setup.folder = settings.Paths().ToNative(m.StudentFilesFolder);
  setup.studentsFile = settings.studentsFile;
  setup.keyFile =
      settings.journalKeyFile.empty() ? setup.folder / "journal.key" : settings.journalKeyFile;
  setup.adminPasswordFile = settings.adminPasswordFile;
  setup.keeper = false;
  setup.fileMode = 0666;
  return setup;
}

}  // namespace

RecordsSetup SittingsSetup(const DeploymentSettings& settings, const Environment& env) {
  std::error_code ec;
  const auto config = env.KeeperConfigFile();
  if (!config.empty() && std::filesystem::exists(config, ec)) return ReadKeeperConfig(config);
  return DeploymentRecords(settings, env);
}

std::shared_ptr<SittingRecords> OpenSittingRecords(
    const DeploymentSettings& settings, const Environment& env, const Clock& clock,
    std::function<void(std::chrono::milliseconds)> wait) {
  // A lab set up for the keeper always uses it: nobody at a lab computer names another.
  std::error_code ec;
  const auto config = env.KeeperConfigFile();
  if (!config.empty() && std::filesystem::exists(config, ec)) {
    return std::make_shared<KeeperClient>(kInstalledKeeper);
  }
  const std::string chosen = env.Variable("EXAMORA_KEEPER").value_or("");
  if (!chosen.empty() && chosen != "none") return std::make_shared<KeeperClient>(chosen);
  const RecordsSetup setup = DeploymentRecords(settings, env);
  LoadOrCreateJournalKey(setup.keyFile);
  auto records = std::make_shared<LocalRecords>(setup, clock);
  if (wait) records->service().sleep = std::move(wait);
  return records;
}

RecordsSetup ReadKeeperConfig(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    throw FileError("The record keeper's settings \"" + path.string() +
                    "\" are missing: the lab is not set up (examora-cli lab setup, as root)");
  }
  const IniFile ini = ReadIniFile(path);
  if (!ini.problems.empty()) throw FormatError(ini.problems.front().Text());
  RecordsSetup setup;
  for (const auto& entry : ini.entries) {
    if (entry.key == "folder")
      setup.folder = entry.value;
    else if (entry.key == "students")
      setup.studentsFile = entry.value;
    else if (entry.key == "key")
      setup.keyFile = entry.value;
    else if (entry.key == "admin-password-file")
      setup.adminPasswordFile = entry.value;
    else if (entry.key != "group") {
      throw FormatError(path.string() + ":" + std::to_string(entry.line) + ": unknown key \"" +
                        entry.key.substr(0, 80) + "\"");
    }
  }
  if (setup.folder.empty() || !setup.folder.is_absolute()) {
    throw FormatError(path.string() + " does not name the results folder (folder = /path)");
  }
  if (setup.studentsFile.empty()) setup.studentsFile = setup.folder / "std_crypt.eqb";
  if (setup.keyFile.empty()) setup.keyFile = setup.folder / "journal.key";
  if (setup.adminPasswordFile.empty()) setup.adminPasswordFile = setup.folder / "admin.hash";
  return setup;
}

}  // namespace examora
