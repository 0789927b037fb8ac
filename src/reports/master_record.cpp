#include "reports/master_record.h"

namespace examora {
namespace {

// Mid$(line, start, length) with 1-based start; clipped at the end of the line.
std::string_view Mid(std::string_view line, std::size_t start, std::size_t length) {
  if (start > line.size()) return {};
  return line.substr(start - 1, length);
}

bool AllDigits(std::string_view text) {
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// The value of 1 to `most` digits, or -1 for anything else.
int SmallNumber(std::string_view text, std::size_t most) {
  if (text.empty() || text.size() > most || !AllDigits(text)) return -1;
  int value = 0;
  for (char c : text) value = value * 10 + (c - '0');
  return value;
}

bool InRange(std::string_view text, int low, int high) {
  const int value = SmallNumber(text, 4);
  return text.size() == (high > 99 ? 4u : 2u) && value >= low && value <= high;
}

bool IsDate(std::string_view d) {
  return d.size() == 10 && d[2] == '/' && d[5] == '/' && InRange(d.substr(0, 2), 1, 31) &&
         InRange(d.substr(3, 2), 1, 12) && InRange(d.substr(6, 4), 1000, 9999);
}

bool IsTime(std::string_view t) {
  return t.size() == 5 && t[2] == ':' && InRange(t.substr(0, 2), 0, 23) &&
         InRange(t.substr(3, 2), 0, 59);
}

// Field 5: empty for 0, else a whole percentage; marks lost for wrong options can take it
// below zero, never below -100.
bool IsScore(std::string_view s) {
  if (s.empty()) return true;
  const bool negative = s.front() == '-';
  const int value = SmallNumber(negative ? s.substr(1) : s, 3);
  return value >= 0 && value <= 100;
}

bool IsCodes(std::string_view codes) {
  if (codes.empty() || codes.size() > 500) return false;
  return codes.find_first_not_of("YUVWXTZABCDEF") == std::string_view::npos;
}

}  // namespace

bool IsTestNumber(std::string_view text) {
  return text.size() == 5 && AllDigits(text);
}

std::string RecordProblem(std::string_view line) {
  if (line.size() > kMaxRecordBytes) {
    return "longer than " + std::to_string(kMaxRecordBytes) + " characters";
  }
  // Views, not copies: the report step checks every record of a big master file.
  std::string_view f[8];
  std::size_t count = 0, start = 0;
  for (std::size_t comma; (comma = line.find(',', start)) != std::string_view::npos;) {
    if (count == 8) return "not eight fields each ending with a comma";
    f[count++] = line.substr(start, comma - start);
    start = comma + 1;
  }
  if (count != 8 || start != line.size()) return "not eight fields each ending with a comma";
  if (!IsTestNumber(f[0])) return "test number not five digits";
  if (SmallNumber(f[1], 9) < 0) return "student number not 1 to 9 digits";
  if (!IsDate(f[2])) return "date not dd/mm/yyyy";
  if (!IsTime(f[3])) return "time not hh:nn";
  if (!IsScore(f[4])) return "score not a whole number from -100 to 100";
  if (const int q = SmallNumber(f[5], 3); q < 1 || q > 500) return "questions not 1 to 500";
  if (!IsCodes(f[6])) return "answer codes not 1 to 500 of Y U V W X T Z A-F";
  return {};
}

std::vector<bool> SoundRecords(const std::vector<std::string>& lines) {
  std::vector<bool> sound(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) sound[i] = RecordProblem(lines[i]).empty();
  return sound;
}

std::vector<std::string> DamagedRecordLog(const std::vector<std::string>& lines,
                                          const std::vector<bool>& sound, const std::string& where,
                                          std::size_t shown) {
  std::vector<std::string> log;
  std::size_t damaged = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (sound[i] || ++damaged > shown) continue;
    const std::string problem = RecordProblem(lines[i]);
    // A damaged line may be anything: only its start is shown.
    const std::string start = lines[i].substr(0, 40) + (lines[i].size() > 40 ? "..." : "");
    log.push_back("Damaged record left out, " + where + " line " + std::to_string(i + 1) + " (" +
                  problem + "): " + start);
  }
  if (damaged > shown) {
    log.push_back("... and " + std::to_string(damaged - shown) + " more damaged records left out");
  }
  return log;
}

namespace {

// Digits of `text` at `places` ((start, length), 1-based) as one number, or -1 when any of
// them is not a digit.
template <std::size_t N>
long long DigitsAt(std::string_view text, const std::size_t (&places)[N][2]) {
  long long value = 0;
  for (const auto& [start, length] : places) {
    for (std::size_t i = start - 1; i < start - 1 + length; ++i) {
      if (i >= text.size() || text[i] < '0' || text[i] > '9') return -1;
      value = value * 10 + (text[i] - '0');
    }
  }
  return value;
}

// yyyymmddhhnn from fields 3 and 4 when they read dd/mm/yyyy and hh:nn, else -1. Results saving
// drops a student number's leading zeros, so in such records the fixed places are shifted.
long long DateTimeFromFields(std::string_view line) {
  std::size_t start = 0;
  for (int field = 0; field < 2; ++field) {
    start = line.find(',', start);
    if (start == std::string_view::npos) return -1;
    ++start;
  }
  const std::string_view rest = line.substr(start);
  if (rest.size() < 16 || rest[2] != '/' || rest[5] != '/' || rest[10] != ',' || rest[13] != ':' ||
      (rest.size() > 16 && rest[16] != ',')) {
    return -1;
  }
  static constexpr std::size_t kParts[5][2] = {{7, 4}, {4, 2}, {1, 2}, {12, 2}, {15, 2}};
  return DigitsAt(rest, kParts);
}

}  // namespace

long long DateTimeNum(std::string_view line) {
  if (const long long fromFields = DateTimeFromFields(line); fromFields >= 0) return fromFields;
  // Year, month, day, hour, minute: (start, length) of each, 1-based.
  static constexpr std::size_t kParts[5][2] = {{23, 4}, {20, 2}, {17, 2}, {28, 2}, {31, 2}};
  long long value = 0;
  for (const auto& [start, length] : kParts) {
    const std::string_view part = Mid(line, start, length);
    for (char c : part) {
      // Only the leading run of digits counts, as when reading a leading number.
      if (c < '0' || c > '9') return value;
      value = value * 10 + (c - '0');
    }
    if (part.size() < length) return value;
  }
  return value;
}

std::string RecordTestNumber(std::string_view line) {
  return std::string(Mid(line, 1, 5));
}

std::string RecordStudentNumber(std::string_view line) {
  return std::string(Mid(line, 7, 9));
}

std::vector<std::string> RecordFields(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t comma; (comma = line.find(',', start)) != std::string_view::npos;) {
    fields.emplace_back(line.substr(start, comma - start));
    start = comma + 1;
  }
  if (start < line.size()) fields.emplace_back(line.substr(start));
  return fields;
}

std::vector<std::string> ResultFileLines(std::string_view bytes) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') continue;
    lines.emplace_back(bytes.substr(start, i - start));
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size()) lines.emplace_back(bytes.substr(start));
  return lines;
}

void AppendRecordLines(std::string_view bytes, std::vector<std::string>& records) {
  std::size_t start = 0;
  while (start < bytes.size()) {
    // A plain scan: find_first_of would search the two line ends once for every byte.
    std::size_t end = start;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    std::string_view line = bytes.substr(start, end - start);
    while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    if (!line.empty()) records.emplace_back(line);
    start = end + 1;
    if (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n') ++start;
  }
}

std::string JoinRecordLines(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const auto& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const auto& line : lines) text.append(line).append("\r\n");
  return text;
}

}  // namespace examora
