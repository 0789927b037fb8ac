#include "reports/gradebook_export.h"

#include "common/text.h"

namespace examora {
namespace {

std::string Row(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) line += (i ? "," : "") + fields[i];
  return line + "\r\n";
}

std::string Field(const std::string& cp1252) {
  return CsvField(Cp1252ToUtf8(cp1252));
}

std::string ColumnTitle(const TestIdEntry& test) {
  return test.name.empty() ? test.number : test.number + " " + test.name;
}

}  // namespace

std::string CsvField(std::string_view utf8) {
  std::string text(utf8);
  if (!text.empty() && std::string_view("=+-@\t\r").find(text[0]) != std::string_view::npos) {
    text.insert(0, 1, '\'');
  }
  const bool quote = text.find_first_of(",\"\r\n") != std::string::npos ||
                     (!text.empty() && (text.front() == ' ' || text.back() == ' '));
  if (!quote) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

std::string GradebookCsv(const MarkTable& table, GradebookFormat format) {
  std::string csv = format == GradebookFormat::kCsv ? "\xEF\xBB\xBF" : "";
  std::vector<std::string> header = {
      format == GradebookFormat::kMoodle ? "ID number" : "Student number", "First name",
      "Last name"};
  for (const auto& test : table.columns) header.push_back(Field(ColumnTitle(test)));
  csv += Row(header);
  for (std::size_t r : RowOrder(table, false)) {
    const MarkRow& row = table.rows[r];
    std::vector<std::string> fields = {Field(Trim(row.student.number)),
                                       Field(row.student.firstName), Field(row.student.lastName)};
    for (const auto& marks : row.marks) fields.push_back(CsvField(MarkText(marks)));
    csv += Row(fields);
  }
  return csv;
}

std::string ExportGradebook(const ResultFolder& folder, const std::vector<ReportStudent>& students,
                            const std::vector<TestIdEntry>& tests, GradebookFormat format) {
  ResultProcessor processor(folder, {});
  processor.LoadMaster();
  return GradebookCsv(BuildMarkTable(processor.MasterLines(), students, tests), format);
}

}  // namespace examora
