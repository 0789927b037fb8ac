#include "reports/reports.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <unordered_map>

#include "common/numtext.h"
#include "common/text.h"
#include "platform/files.h"
#include "reports/mark_table.h"
#include "reports/master_record.h"
#include "reports/png.h"

namespace examora {
namespace {

std::string Field(const std::vector<std::string>& fields, std::size_t i) {
  return i < fields.size() ? Trim(fields[i]) : std::string();
}

// The columns: listed tests first, then tests found only in the records, by number.
std::vector<TestIdEntry> Columns(const std::vector<std::string>& masterLines,
                                 const std::vector<TestIdEntry>& tests) {
  std::vector<TestIdEntry> columns;
  std::set<std::string> seen;
  for (const auto& t : tests) {
    if (seen.insert(t.number).second) columns.push_back(t);
  }
  std::set<std::string> extra;
  for (const auto& line : masterLines) {
    const auto fields = RecordFields(line);
    const std::string number = Field(fields, 0);
    if (fields.size() >= 2 && !number.empty() && !seen.count(number)) extra.insert(number);
  }
  for (const auto& number : extra) columns.push_back({number, ""});
  return columns;
}

struct SortKey {
  std::string last, first, student;
};

bool BySurname(const SortKey& a, const SortKey& b) {
  if (a.last != b.last) return a.last < b.last;
  if (a.first != b.first) return a.first < b.first;
  return StudentKeyLess(a.student, b.student);
}

// The master records with a header line, stably sorted by `less` on each record's key.
template <typename Key, typename Less>
std::string SortedText(const std::vector<std::string>& lines, const std::string& header,
                       const std::vector<Key>& keys, Less less) {
  std::vector<std::size_t> order(lines.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return less(keys[a], keys[b]); });
  std::string text = header + "\r\n";
  for (std::size_t i : order) text += lines[i] + "\r\n";
  return text;
}

}  // namespace

std::string StudentKey(std::string_view number) {
  std::string key = Trim(number);
  const std::size_t first = key.find_first_not_of('0');
  return first == std::string::npos ? (key.empty() ? "" : "0") : key.substr(first);
}

bool StudentKeyLess(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

ReportStudent StudentFromRecord(const std::string& number, const std::string& name) {
  const std::string trimmed = Trim(name);
  const std::size_t blank = trimmed.rfind(' ');
  if (blank == std::string::npos) return {number, "", "", trimmed};
  return {number, "", Trim(trimmed.substr(0, blank)), trimmed.substr(blank + 1)};
}

std::string MarkText(const std::vector<double>& marks) {
  if (marks.empty()) return "";
  if (marks.size() == 1) return FormatGeneral(marks[0]);
  double sum = 0;
  for (double m : marks) sum += m;
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", RoundHalfEven(sum / marks.size() * 10) / 10);
  return text;
}

MarkTable BuildMarkTable(const std::vector<std::string>& masterLines,
                         const std::vector<ReportStudent>& students,
                         const std::vector<TestIdEntry>& tests) {
  MarkTable table;
  table.columns = Columns(masterLines, tests);
  std::unordered_map<std::string, std::size_t> column, row;
  for (std::size_t c = 0; c < table.columns.size(); ++c) column[table.columns[c].number] = c;
  const auto addRow = [&](const ReportStudent& s) {
    row.emplace(StudentKey(s.number), table.rows.size());
    table.rows.push_back({s, std::vector<std::vector<double>>(table.columns.size()), false});
  };
  for (const auto& s : students) {
    if (!row.count(StudentKey(s.number))) addRow(s);
  }
  for (const auto& line : masterLines) {
    const auto fields = RecordFields(line);
    if (fields.size() < 2 || Field(fields, 0).empty()) continue;
    const std::string key = StudentKey(Field(fields, 1));
    if (!row.count(key)) addRow(StudentFromRecord(Field(fields, 1), Field(fields, 7)));
    MarkRow& r = table.rows[row[key]];
    r.marks[column[Field(fields, 0)]].push_back(LeadingNumber(Field(fields, 4)));
    r.participated = true;
    ++table.summary.testEvents;
  }
  for (const auto& r : table.rows) table.summary.students += r.participated ? 1 : 0;
  table.summary.tests = static_cast<int>(table.columns.size());
  return table;
}

ReportSet BuildReports(const std::vector<std::string>& masterLines,
                       const std::vector<ReportStudent>& students,
                       const std::vector<TestIdEntry>& tests) {
  ReportSet set;
  const MarkTable table = BuildMarkTable(masterLines, students, tests);
  std::unordered_map<std::string, const ReportStudent*> byKey;
  for (const auto& r : table.rows) byKey.emplace(StudentKey(r.student.number), &r.student);

  std::vector<std::string> numberKeys;
  std::vector<SortKey> nameKeys;
  for (const auto& line : masterLines) {
    const auto fields = RecordFields(line);
    const std::string key = StudentKey(Field(fields, 1));
    numberKeys.push_back(key);
    const auto it = byKey.find(key);
    const ReportStudent s =
        it != byKey.end() ? *it->second : StudentFromRecord(key, Field(fields, 7));
    nameKeys.push_back({UpperAscii(s.lastName), UpperAscii(s.firstName), key});
  }
  set.byStudentNumber =
      SortedText(masterLines, "MASTERFILE SORTED BY STUDENT NUMBER", numberKeys, StudentKeyLess);
  set.bySurname = SortedText(masterLines, "MASTERFILE SORTED BY SURNAME", nameKeys, BySurname);
  set.studentPage = ReportPage(table, false);
  set.teacherPage = ReportPage(table, true);
  set.columns = table.columns;
  set.summary = table.summary;
  return set;
}

std::vector<std::string> SortSN(const ResultFolder& folder,
                                const std::vector<ReportStudent>& students,
                                const std::vector<TestIdEntry>& tests) {
  std::vector<std::string> lines;
  for (const auto& line : ResultFileLines(ReadFileBytes(folder.Native("masterfile.txt")))) {
    if (!Trim(line).empty()) lines.push_back(Trim(line));
  }
  const ReportSet set = BuildReports(lines, students, tests);
  std::filesystem::create_directories(folder.Native("css\\images"));
  WriteFileAtomically(folder.Native("css\\results.css"), ResultsStyleSheet());
  for (const auto& test : set.columns) {
    const std::string text = test.name.empty() ? test.number : test.name;
    WriteFileAtomically(folder.Native("css\\images\\" + test.number + ".PNG"),
                        EncodePng(HeadingImage(text)));
  }
  WriteFileAtomically(folder.Native("masterfile2.txt"), set.byStudentNumber);
  WriteFileAtomically(folder.Native("masterfile3.txt"), set.bySurname);
  WriteFileAtomically(folder.Native("masterfile4.htm"), set.studentPage);
  WriteFileAtomically(folder.Native("masterfile5.htm"), set.teacherPage);
  return {std::string(kLogRule),
          "Reports written",
          folder.Shown("masterfile2.txt"),
          folder.Shown("masterfile3.txt"),
          folder.Shown("masterfile4.htm"),
          folder.Shown("masterfile5.htm"),
          "Total Test Events: " + std::to_string(set.summary.testEvents),
          "Participating Students: " + std::to_string(set.summary.students),
          "Available Tests: " + std::to_string(set.summary.tests)};
}

}  // namespace examora
