#include "app/exam_session.h"

#include <algorithm>
#include <array>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/text.h"

namespace examora {
namespace {

// Spreadsheet programs by their own process names; LibreOffice runs every application as one
// process name, so its command line tells a spreadsheet apart.
constexpr std::array kSpreadsheetNames = {"gnumeric", "calligrasheets", "et",
                                          "localc",   "excel.exe",      "scalc"};
constexpr std::array kOfficeNames = {"soffice.bin", "soffice", "oosplash", "libreoffice"};
constexpr std::array kSpreadsheetEndings = {".ods", ".xls", ".xlsx", ".xlsm", ".fods", ".csv"};

// The process table is not ours: a process name is capped by the kernel, a command line by us,
// and no more than this many processes are looked at in one pass.
constexpr std::size_t kMaxCmdline = 4096;
constexpr std::size_t kMaxProcesses = 65536;

bool IsOfficeArgument(std::string_view argument) {
  const std::string lower = LowerAscii(argument);
  if (lower == "--calc" || lower == "-calc") return true;
  return std::any_of(kSpreadsheetEndings.begin(), kSpreadsheetEndings.end(),
                     [&](const char* ending) { return lower.ends_with(ending); });
}

// Up to `limit` bytes of a small system file; empty when it cannot be read.
std::string ReadSmall(const std::filesystem::path& path, std::size_t limit) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return {};
  std::string bytes(limit, '\0');
  std::size_t got = 0;
  while (got < limit) {
    const ssize_t n = ::read(fd, bytes.data() + got, limit - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  bytes.resize(got);
  return bytes;
}

bool IsProcessFolder(const std::filesystem::directory_entry& entry) {
  const std::string name = entry.path().filename().string();
  return !name.empty() &&
         std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool InExamSession(const Environment& env) {
  return env.Variable(kExamSessionVariable).value_or("") == "1";
}

void ApplyExamSession(DeploymentSettings& settings, const Environment& env) {
  if (InExamSession(env)) settings.examMode = true;
}

std::optional<std::string> SystemOpenerRefusal(const Environment& env) {
  if (!InExamSession(env)) return std::nullopt;
  return "In the exam session no other program can be opened.";
}

bool IsSpreadsheetProcess(std::string_view comm, std::string_view cmdline) {
  // The kernel ends a process name with a line feed.
  while (!comm.empty() && (comm.back() == '\n' || comm.back() == ' ')) comm.remove_suffix(1);
  const std::string name = LowerAscii(comm);
  if (std::find(kSpreadsheetNames.begin(), kSpreadsheetNames.end(), name) !=
      kSpreadsheetNames.end()) {
    return true;
  }
  if (std::find(kOfficeNames.begin(), kOfficeNames.end(), name) == kOfficeNames.end()) {
    return false;
  }
  for (const auto& argument : SplitAt(cmdline, '\0')) {
    if (IsOfficeArgument(argument)) return true;
  }
  return false;
}

bool UserRunsSpreadsheet(const std::filesystem::path& procRoot, unsigned userId) {
  std::error_code ec;
  std::filesystem::directory_iterator it(procRoot, ec), end;
  for (std::size_t seen = 0; !ec && it != end && seen < kMaxProcesses; it.increment(ec), ++seen) {
    if (!IsProcessFolder(*it)) continue;
    struct stat info {};
    if (::stat(it->path().c_str(), &info) != 0 || info.st_uid != userId) continue;
    if (IsSpreadsheetProcess(ReadSmall(it->path() / "comm", 64),
                             ReadSmall(it->path() / "cmdline", kMaxCmdline))) {
      return true;
    }
  }
  return false;
}

std::string WithDefaultSession(std::string_view text, std::string_view session) {
  // AccountsService reads these files with GLib's key-file reader: plain LF lines.
  std::vector<std::string> lines = SplitAt(text, '\n');
  if (!lines.empty() && lines.back().empty()) lines.pop_back();
  const std::string xsession = "XSession=" + std::string(session);
  const std::string plain = "Session=" + std::string(session);
  bool inUser = false, hadUser = false, setX = false, setPlain = false;
  std::vector<std::string> out;
  auto closeUser = [&] {
    if (inUser && !setX) out.push_back(xsession);
    if (inUser && !setPlain) out.push_back(plain);
    inUser = false;
  };
  for (const auto& line : lines) {
    const std::string trimmed = Trim(line);
    if (trimmed.starts_with('[')) {
      closeUser();
      inUser = trimmed == "[User]";
      hadUser = hadUser || inUser;
      out.push_back(line);
      continue;
    }
    if (inUser && trimmed.starts_with("XSession=")) {
      if (!setX) out.push_back(xsession);
      setX = true;
    } else if (inUser && trimmed.starts_with("Session=")) {
      if (!setPlain) out.push_back(plain);
      setPlain = true;
    } else {
      out.push_back(line);
    }
  }
  closeUser();
  if (!hadUser) {
    out.push_back("[User]");
    out.push_back(xsession);
    out.push_back(plain);
  }
  std::string result;
  for (const auto& line : out) result += line + "\n";
  return result;
}

}  // namespace examora
