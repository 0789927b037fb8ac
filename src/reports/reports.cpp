#include "reports/reports.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <numeric>
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

// The first eight fields of a record, blanks trimmed, without copying (the reports read
// every record of a big master file); returns how many fields the line has, up to eight.
using FieldViews = std::array<std::string_view, 8>;
std::size_t Fields(std::string_view line, FieldViews& fields) {
  fields = {};
  std::size_t count = 0, start = 0;
  while (count < fields.size() && start < line.size()) {
    std::size_t comma = line.find(',', start);
    if (comma == std::string_view::npos) comma = line.size();
    std::string_view field = line.substr(start, comma - start);
    while (!field.empty() && field.front() == ' ') field.remove_prefix(1);
    while (!field.empty() && field.back() == ' ') field.remove_suffix(1);
    fields[count++] = field;
    start = comma + 1;
  }
  return count;
}

// The columns: listed tests first, then tests found only in sound records, by number. Only a
// five-digit number ever becomes a column, for it names the column's picture file.
std::vector<TestIdEntry> Columns(const std::vector<std::string>& masterLines,
                                 const std::vector<bool>& sound,
                                 const std::vector<TestIdEntry>& tests) {
  std::vector<TestIdEntry> columns;
  std::set<std::string> seen;
  for (const auto& t : tests) {
    if (IsTestNumber(t.number) && seen.insert(t.number).second) columns.push_back(t);
  }
  std::set<std::string> extra;
  for (std::size_t i = 0; i < masterLines.size(); ++i) {
    std::string number = RecordTestNumber(masterLines[i]);
    if (sound[i] && !seen.count(number)) extra.insert(std::move(number));
  }
  for (const auto& number : extra) columns.push_back({number, ""});
  return columns;
}

// The master records with a header line, stably ordered by the rank of each record's row
// (records without a row first).
std::string SortedText(const std::vector<std::string>& lines, const std::string& header,
                       const std::vector<int>& recordRow, const std::vector<std::size_t>& rows) {
  std::vector<int> rank(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) rank[rows[i]] = static_cast<int>(i);
  std::vector<std::pair<int, std::size_t>> order;
  order.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    order.emplace_back(recordRow[i] < 0 ? -1 : rank[static_cast<std::size_t>(recordRow[i])], i);
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::size_t size = header.size() + 2;
  for (const auto& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  text += header + "\r\n";
  for (const auto& [r, i] : order) text.append(lines[i]).append("\r\n");
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

std::vector<std::size_t> RowOrder(const MarkTable& table, bool bySurname) {
  struct Key {
    std::string last, first, student;
  };
  std::vector<Key> keys;
  keys.reserve(table.rows.size());
  for (const auto& r : table.rows) {
    keys.push_back({bySurname ? UpperAscii(r.student.lastName) : "",
                    bySurname ? UpperAscii(r.student.firstName) : "",
                    StudentKey(r.student.number)});
  }
  std::vector<std::size_t> order(table.rows.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    if (keys[a].last != keys[b].last) return keys[a].last < keys[b].last;
    if (keys[a].first != keys[b].first) return keys[a].first < keys[b].first;
    return StudentKeyLess(keys[a].student, keys[b].student);
  });
  return order;
}

MarkTable BuildMarkTable(const std::vector<std::string>& masterLines,
                         const std::vector<ReportStudent>& students,
                         const std::vector<TestIdEntry>& tests) {
  MarkTable table;
  const std::vector<bool> sound = SoundRecords(masterLines);
  table.summary.damaged = static_cast<int>(std::count(sound.begin(), sound.end(), false));
  table.columns = Columns(masterLines, sound, tests);
  std::unordered_map<std::string, std::size_t> column, row;
  for (std::size_t c = 0; c < table.columns.size(); ++c) column[table.columns[c].number] = c;
  const auto addRow = [&](const ReportStudent& s) {
    row.emplace(StudentKey(s.number), table.rows.size());
    table.rows.push_back({s, std::vector<std::vector<double>>(table.columns.size()), false});
  };
  for (const auto& s : students) {
    if (!row.count(StudentKey(s.number))) addRow(s);
  }
  table.recordRow.assign(masterLines.size(), -1);
  for (std::size_t i = 0; i < masterLines.size(); ++i) {
    FieldViews fields;
    if (!sound[i]) continue;  // listed first in the text files, counted nowhere
    Fields(masterLines[i], fields);
    const std::string key = StudentKey(fields[1]);
    auto found = row.find(key);
    if (found == row.end()) {
      addRow(StudentFromRecord(std::string(fields[1]), std::string(fields[7])));
      found = row.find(key);
    }
    table.recordRow[i] = static_cast<int>(found->second);
    MarkRow& r = table.rows[found->second];
    r.marks[column.find(std::string(fields[0]))->second].push_back(LeadingNumber(fields[4]));
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
  set.byStudentNumber = SortedText(masterLines, "MASTERFILE SORTED BY STUDENT NUMBER",
                                   table.recordRow, RowOrder(table, false));
  set.bySurname = SortedText(masterLines, "MASTERFILE SORTED BY SURNAME", table.recordRow,
                             RowOrder(table, true));
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
  AppendRecordLines(ReadFileBytes(folder.Native("masterfile.txt"), kMaxMasterBytes), lines);
  const ReportSet set = BuildReports(lines, students, tests);
  std::filesystem::create_directories(folder.Native("css\\images"));
  // The style sheet and the pictures seldom change: rewritten only when they do.
  WriteFileIfChanged(folder.Native("css\\results.css"), ResultsStyleSheet());
  for (const auto& test : set.columns) {
    const std::string text = test.name.empty() ? test.number : test.name;
    WriteFileIfChanged(folder.Native("css\\images\\" + test.number + ".PNG"),
                       EncodePng(HeadingImage(text)));
  }
  WriteFileAtomically(folder.Native("masterfile2.txt"), set.byStudentNumber);
  WriteFileAtomically(folder.Native("masterfile3.txt"), set.bySurname);
  WriteFileAtomically(folder.Native("masterfile4.htm"), set.studentPage);
  WriteFileAtomically(folder.Native("masterfile5.htm"), set.teacherPage);
  std::vector<std::string> log = {std::string(kLogRule),           "Reports written",
                                  folder.Shown("masterfile2.txt"), folder.Shown("masterfile3.txt"),
                                  folder.Shown("masterfile4.htm"), folder.Shown("masterfile5.htm")};
  const auto damaged =
      DamagedRecordLog(lines, SoundRecords(lines), "master file (without its empty lines)");
  log.insert(log.end(), damaged.begin(), damaged.end());
  log.push_back("Total Test Events: " + std::to_string(set.summary.testEvents));
  log.push_back("Participating Students: " + std::to_string(set.summary.students));
  log.push_back("Available Tests: " + std::to_string(set.summary.tests));
  return log;
}

}  // namespace examora
