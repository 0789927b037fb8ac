#include "app/ini_file.h"

#include "common/error.h"
#include "common/text.h"
#include "platform/files.h"

namespace examora {
namespace {

std::string Stripped(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return std::string(text.substr(first, last - first + 1));
}

std::string Unquoted(std::string value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// A line quoted in a message: a long one is cut, so the message still fits on a screen.
std::string Quoted(const std::string& line) {
  constexpr std::size_t kMostQuoted = 80;
  if (line.size() <= kMostQuoted) return "\"" + line + "\"";
  return "\"" + line.substr(0, kMostQuoted) + "...\"";
}

// Reads one non-comment line into `section` or `file.entries`; returns a problem or "".
std::string ParseLine(const std::string& line, int number, std::string& section, IniFile& file) {
  if (line.front() == '[') {
    if (line.back() != ']') return "a section header must end with \"]\": " + Quoted(line);
    section = Stripped(std::string_view(line).substr(1, line.size() - 2));
    if (section == "General") section.clear();  // Qt writes top-level keys there
    return {};
  }
  const auto equals = line.find('=');
  if (equals == std::string::npos) {
    return "expected \"key = value\" or \"[section]\", got " + Quoted(line);
  }
  const std::string key = Stripped(std::string_view(line).substr(0, equals));
  if (key.empty()) return "a key is missing before \"=\"";
  file.entries.push_back({section.empty() ? key : section + "/" + key,
                          Unquoted(Stripped(std::string_view(line).substr(equals + 1))), number});
  return {};
}

}  // namespace

std::string IniProblem::Text() const {
  return file + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + message;
}

IniFile ParseIni(std::string_view text, const std::string& path) {
  IniFile file;
  file.path = path;
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark
  std::string section;
  int number = 0;
  for (const auto& raw : SplitLines(text)) {
    ++number;
    const std::string line = Stripped(raw);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    if (auto problem = ParseLine(line, number, section, file); !problem.empty()) {
      file.problems.push_back({path, number, problem});
    }
  }
  return file;
}

IniFile ReadIniFile(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return IniFile{path.string(), {}, {}};
  try {
    return ParseIni(ReadFileBytes(path, kMaxIniBytes), path.string());
  } catch (const FileError& e) {
    // The reader's message names the file again; the problem's own prefix already does.
    std::string why = e.what();
    const std::string named = "Cannot read \"" + path.string() + "\": ";
    if (why.starts_with(named)) why.erase(0, named.size());
    return IniFile{path.string(), {}, {{path.string(), 0, "cannot be read: " + why}}};
  }
}

}  // namespace examora
