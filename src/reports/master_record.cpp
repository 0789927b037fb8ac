#include "reports/master_record.h"

namespace examora {
namespace {

// Mid$(line, start, length) with 1-based start; clipped at the end of the line.
std::string_view Mid(std::string_view line, std::size_t start, std::size_t length) {
  if (start > line.size()) return {};
  return line.substr(start - 1, length);
}

}  // namespace

long long DateTimeNum(std::string_view line) {
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

std::string JoinRecordLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace examora
