// The marks per student and test that both HTML reports show; shared by the report step and
// its page writer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reports/reports.h"

namespace examora {

struct MarkRow {
  ReportStudent student;
  std::vector<std::vector<double>> marks;  // per column, every attempt's mark in file order
  bool participated = false;
};

struct MarkTable {
  std::vector<TestIdEntry> columns;
  std::vector<MarkRow> rows;   // table students first, then students known only from records
  std::vector<int> recordRow;  // per master record, its row (-1: too damaged to place)
  ReportSummary summary;
};

/// A student number as a key: blanks and leading zeros dropped, so "012345678" from the
/// students table meets "12345678" from a record.
std::string StudentKey(std::string_view number);

/// Orders student keys as numbers (shorter first, then digit by digit).
bool StudentKeyLess(const std::string& a, const std::string& b);

/// Last name and first name of a record's student name field ("First Last").
ReportStudent StudentFromRecord(const std::string& number, const std::string& name);

MarkTable BuildMarkTable(const std::vector<std::string>& masterLines,
                         const std::vector<ReportStudent>& students,
                         const std::vector<TestIdEntry>& tests);

/// The rows in student-number order, or (`bySurname`) by last name, first name and number.
std::vector<std::size_t> RowOrder(const MarkTable& table, bool bySurname);

/// A cell: empty without attempts, the mark of one attempt, the average of several with one
/// decimal.
std::string MarkText(const std::vector<double>& marks);

/// "masterfile4.htm" (`teacher` false: by student number, numbers only) or "masterfile5.htm"
/// (`teacher` true: by last name, with first name and number).
std::string ReportPage(const MarkTable& table, bool teacher);

}  // namespace examora
