#include "app/students.h"

#include <algorithm>
#include <cmath>

#include "common/error.h"
#include "common/numtext.h"
#include "common/text.h"
#include "crypto/enciphered_text.h"
#include "platform/files.h"

namespace examora {
namespace {

// A line shorter than this ends the plain list (the teacher's file ends with an empty line).
constexpr std::size_t kShortLine = 4;

bool IsStudentNumber(std::string_view text) {
  return text.size() == 9 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Says what is wrong with a student line, or "" when it has the layout the table needs.
std::string LineProblem(std::string_view line) {
  // The number names the student's result file: nothing else may ever lead that path.
  if (!IsStudentNumber(line.substr(0, 9))) return "does not start with a 9-digit student number";
  if (line.size() > kMaxStudentLineBytes) {
    return "is longer than " + std::to_string(kMaxStudentLineBytes) + " characters";
  }
  if (line.size() < 14 || line[9] != ',') {
    return "needs a comma and a 4-character password after the student number";
  }
  if (line.size() > 14 && line[14] != ',') return "needs a comma after the 4-character password";
  return {};
}

void CheckCount(std::size_t count, const std::string& name) {
  if (count > kMaxStudents) {
    throw FormatError("\"" + name + "\" holds " + std::to_string(count) + " students; at most " +
                      std::to_string(kMaxStudents) + " are allowed");
  }
}

}  // namespace

StudentRow ParseStudentLine(std::string_view line) {
  StudentRow row;
  row.number = std::string(line.substr(0, 9));
  if (line.size() > 10) row.password = std::string(line.substr(10, 4));
  std::string gathered;
  for (const char c : line.size() > 15 ? line.substr(15) : std::string_view()) {
    if (c == ',') {
      row.firstName = gathered;
      gathered.clear();
    } else {
      gathered += c;
    }
  }
  row.lastName = gathered;
  return row;
}

std::string StudentLine(const StudentRow& row) {
  return row.number + "," + row.password + "," + row.firstName + "," + row.lastName;
}

PlainStudentsFile ParsePlainStudents(std::string_view text, const std::string& name) {
  PlainStudentsFile file;
  const std::vector<std::string> lines = SplitLines(text);
  std::size_t i = 0;
  for (; i < lines.size() && lines[i].size() >= kShortLine; ++i) {
    if (const std::string problem = LineProblem(lines[i]); !problem.empty()) {
      throw FormatError("\"" + name + "\" line " + std::to_string(i + 1) + ": " + problem);
    }
    file.rows.push_back(ParseStudentLine(lines[i]));
  }
  // Counted to the end, so the message tells how many the file really holds.
  CheckCount(file.rows.size(), name);
  file.missingEndLine = i == lines.size();
  file.linesRead.assign(lines.begin(),
                        lines.begin() + static_cast<std::ptrdiff_t>(std::min(i + 1, lines.size())));
  // Rows after the ending line would be dropped without a word; refuse instead.
  for (std::size_t j = i + 1; j < lines.size(); ++j) {
    if (lines[j].size() >= kShortLine) {
      throw FormatError("\"" + name + "\" line " + std::to_string(j + 1) +
                        ": a student line after the short line " + std::to_string(i + 1) +
                        " that ends the list; remove that line or the lines after it");
    }
  }
  return file;
}

namespace {

// A class list typed in UTF-8 is converted as every typed text is, line by line, so a name the
// code page cannot hold is named with its line instead of turning into "?" in every record.
std::string PlainStudentsText(const std::string& raw, const std::string& name) {
  const std::string converted = SourceTextToCp1252(raw);
  if (converted == raw) return raw;  // ASCII, or Windows-1252 already
  std::string text;
  int number = 0;
  for (const auto& line : SplitLines(raw)) {
    ++number;
    const auto exact = Utf8ToCp1252Exactly(line);
    if (!exact) {
      // The names alone are quoted: the password before them stays out of messages.
      const std::string names = line.size() > 15 ? Utf8ToCp1252(line.substr(15)) : std::string();
      throw FormatError("\"" + name + "\" line " + std::to_string(number) + ": the name \"" +
                        names + "\" holds a character Windows-1252 cannot hold (shown as \"?\")");
    }
    text += *exact + "\r\n";
  }
  return text;
}

}  // namespace

PlainStudentsFile ReadPlainStudentsFile(const std::filesystem::path& path) {
  return ParsePlainStudents(PlainStudentsText(ReadFileBytes(path), path.string()), path.string());
}

void WritePlainStudentsFile(const std::filesystem::path& path,
                            const std::vector<StudentRow>& rows) {
  std::string text;
  for (const auto& row : rows) text += StudentLine(row) + "\r\n";
  WriteFileAtomically(path, text + "\r\n");
}

void WriteStudentsCrypt(const std::filesystem::path& path, const StudentsTable& table) {
  CheckCount(table.rows.size(), path.string());
  std::vector<std::string> values = {SpacedNumber(static_cast<double>(table.rows.size())),
                                     table.folder};
  for (std::size_t i = 0; i < table.rows.size(); ++i) {
    // What is written here must read back.
    values.push_back(StudentLine(table.rows[i]));
    if (const std::string problem = LineProblem(values.back()); !problem.empty()) {
      throw FormatError("Student " + std::to_string(i + 1) + " (\"" + values.back() + "\") " +
                        problem + "; \"" + path.string() + "\" was not written");
    }
  }
  WriteEncipheredFile(path, values);
}

StudentsTable ReadStudentsCrypt(const std::filesystem::path& path) {
  const EncipheredFileContent content = ReadEncipheredFile(path);
  const std::string name = path.string();
  if (!content.damaged.empty() || content.lines.size() < 2) {
    throw FormatError("\"" + name + "\" is not a readable students file (damaged" +
                      (content.damaged.empty()
                           ? std::string(", too short)")
                           : " at line " + std::to_string(content.damaged.front()) + ")"));
  }
  // Only digits: "nan" or "1e400" read as a number would be 0 students, not a damaged file.
  const std::string countText = Trim(content.lines[0]);
  const bool digits =
      !countText.empty() && countText.size() <= 9 &&
      std::all_of(countText.begin(), countText.end(), [](char c) { return c >= '0' && c <= '9'; });
  const double count = digits ? std::round(LeadingNumber(countText)) : -1;
  if (count < 0 || count > static_cast<double>(kMaxStudents)) {
    throw FormatError("\"" + name + "\" gives a student count of " + Trim(content.lines[0]) +
                      "; it must be 0 to " + std::to_string(kMaxStudents));
  }
  const auto n = static_cast<std::size_t>(count);
  if (content.lines.size() < n + 2) {
    throw FormatError("\"" + name + "\" says " + std::to_string(n) + " students but holds " +
                      std::to_string(content.lines.size() - 2));
  }
  StudentsTable table{content.lines[1], {}};
  for (std::size_t i = 0; i < n; ++i) {
    const std::string& line = content.lines[i + 2];
    if (const std::string problem = LineProblem(line); !problem.empty()) {
      throw FormatError("\"" + name + "\" line " + std::to_string(i + 3) + ": " + problem);
    }
    table.rows.push_back(ParseStudentLine(line));
  }
  return table;
}

int FindStudent(const StudentsTable& table, std::string_view number) {
  for (std::size_t i = 0; i < table.rows.size(); ++i) {
    if (table.rows[i].number == number) return static_cast<int>(i) + 1;
  }
  return 0;
}

bool PasswordMatches(const StudentRow& row, std::string_view typed) {
  const std::string& expected = row.password;
  // Every character of the right password is compared whatever came before, so the time taken
  // tells nothing about how much of it was typed right; a shorter or longer text differs.
  std::size_t difference = expected.size() ^ typed.size();
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const char given = i < typed.size() ? typed[i] : '\0';
    difference |= static_cast<unsigned char>(expected[i] ^ given);
  }
  return difference == 0 && !expected.empty();
}

std::string FolderWithSeparator(std::string_view folder) {
  std::string trimmed = Trim(folder);
  // A folder written with "/" (a Linux path) ends with "/", one written the Windows way with "\\".
  const char separator =
      trimmed.find('/') != std::string::npos && trimmed.find('\\') == std::string::npos ? '/'
                                                                                        : '\\';
  if (trimmed.empty() || (trimmed.back() != '\\' && trimmed.back() != '/')) trimmed += separator;
  return trimmed;
}

}  // namespace examora
