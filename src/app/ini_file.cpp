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

// Reads one non-comment line into `section` or `file.entries`; returns a problem or "".
std::string ParseLine(const std::string& line, int number, std::string& section, IniFile& file) {
  if (line.front() == '[') {
    if (line.back() != ']') return "a section header must end with \"]\": " + QuotedInMessage(line);
    section = Stripped(std::string_view(line).substr(1, line.size() - 2));
    if (section == "General") section.clear();  // Qt writes top-level keys there
    return {};
  }
  const auto equals = line.find('=');
  if (equals == std::string::npos) {
    return "expected \"key = value\" or \"[section]\", got " + QuotedInMessage(line);
  }
  const std::string key = Stripped(std::string_view(line).substr(0, equals));
  if (key.empty()) return "a key is missing before \"=\"";
  file.entries.push_back({section.empty() ? key : section + "/" + key,
                          Unquoted(Stripped(std::string_view(line).substr(equals + 1))), number});
  return {};
}

}  // namespace

std::string QuotedInMessage(std::string_view text) {
  constexpr std::size_t kMostQuoted = 80;
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (const char c : text.substr(0, kMostQuoted)) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
    } else {
      out += c;
    }
  }
  return out + (text.size() > kMostQuoted ? "...\"" : "\"");
}

std::vector<std::string> ProblemLines(const std::string& path,
                                      const std::vector<IniProblem>& problems, int leftOut) {
  std::vector<std::string> lines;
  for (const auto& problem : problems) lines.push_back(problem.Text());
  if (leftOut > 0) {
    lines.push_back(path + ": " + std::to_string(leftOut) + " more problem" +
                    (leftOut == 1 ? "" : "s") + " not shown");
  }
  return lines;
}

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
    const std::string problem = ParseLine(line, number, section, file);
    if (problem.empty()) continue;
    if (file.problems.size() < kMostProblemsKept) {
      file.problems.push_back({path, number, problem});
    } else {
      ++file.problemsLeftOut;
    }
  }
  return file;
}

IniFile ReadIniFile(const std::filesystem::path& path) {
  std::error_code ec;
  // A missing file is no problem; one that cannot even be looked at (a link loop) is.
  if (!std::filesystem::exists(path, ec) && !ec) return IniFile{path.string(), {}, {}};
  if (ec)
    return IniFile{path.string(), {}, {{path.string(), 0, "cannot be read: " + ec.message()}}};
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
