// The report step (`cmdSortSN`): the master file sorted by student number and by surname, and
// two HTML pages of marks per student and test (a student version by number, a teacher
// version by last name), with their style sheet and column-heading pictures.
#pragma once

#include <string>
#include <vector>

#include "app/students.h"
#include "reports/result_processor.h"

namespace examora {

/// A student as the reports name them (the password is not used).
using ReportStudent = StudentRow;

/// The summary list that ends each page.
struct ReportSummary {
  int testEvents = 0;  // records counted in the tables
  int students = 0;    // students with at least one record
  int tests = 0;       // test columns
  int damaged = 0;     // records left out of the tables
};

/// Everything the report step writes, as file contents.
struct ReportSet {
  std::string byStudentNumber;  // masterfile2.txt
  std::string bySurname;        // masterfile3.txt
  std::string studentPage;      // masterfile4.htm
  std::string teacherPage;      // masterfile5.htm
  std::vector<TestIdEntry> columns;
  ReportSummary summary;
};

/// Builds the reports from the master records. Columns: the tests of `tests`, then any other
/// test number the records hold, in number order. Rows: the students of `students`, then any
/// other student number the records hold (named from the record). A repeated test shows the
/// average of its marks with one decimal. Damaged records (RecordProblem) are only listed, first,
/// in the text files; they count nowhere and never name a column or a picture.
ReportSet BuildReports(const std::vector<std::string>& masterLines,
                       const std::vector<ReportStudent>& students,
                       const std::vector<TestIdEntry>& tests);

/// The style sheet "css/results.css": readable on a phone (the table scrolls sideways, the
/// student column stays in view) and in print.
std::string ResultsStyleSheet();

/// `cmdSortSN`: reads the master file, writes "masterfile2.txt", "masterfile3.txt",
/// "masterfile4.htm", "masterfile5.htm", "css/results.css" and one "css/images/" & number &
/// ".PNG" per test column into the folder; returns the lines logged.
std::vector<std::string> SortSN(const ResultFolder& folder,
                                const std::vector<ReportStudent>& students,
                                const std::vector<TestIdEntry>& tests);

}  // namespace examora
