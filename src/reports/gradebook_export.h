// The marks of every student and test as a CSV file for a gradebook: Moodle's grade import
// (a column it maps to the user, one per grade item) or a plain CSV for spreadsheets.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reports/mark_table.h"

namespace examora {

enum class GradebookFormat {
  kMoodle,  // UTF-8 without a byte order mark, an "ID number" column to map users by
  kCsv,     // UTF-8 with a byte order mark, so spreadsheets read the names right
};

/// One CSV field (RFC 4180): quoted when it holds a comma, quote, line break or edge blank. A
/// text a spreadsheet would run as a formula (starting with "=", "+", "-", "@", tab or CR) gets
/// a leading apostrophe first.
std::string CsvField(std::string_view utf8);

/// The CSV text of a mark table: a header row, then one row per student in student-number
/// order (number, first name, last name, one mark per test as the reports show it: the mark,
/// or the average of repeated attempts with one decimal, empty without one). Lines end CR LF.
std::string GradebookCsv(const MarkTable& table, GradebookFormat format);

/// The gradebook of a results folder: its master file read through the result processor, the
/// students and tests as the reports take them.
std::string ExportGradebook(const ResultFolder& folder, const std::vector<ReportStudent>& students,
                            const std::vector<TestIdEntry>& tests, GradebookFormat format);

}  // namespace examora
