// frm_Reports without the window: the report step for a folder of result files, and the
// question statistics of one test as table rows with a bar per question.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/module_examora.h"
#include "common/prompter.h"
#include "reports/question_stats.h"
#include "reports/result_processor.h"
#include "reports/stats_source.h"

namespace examora {

class ReportsModel {
 public:
  ReportsModel(ModuleExamora& m, const DeploymentSettings& settings, Prompter& prompter);

  std::string folder;              // the student-files folder, Windows-style
  std::vector<TestIdEntry> tests;  // the test choices, from the test-list file
  std::string testListProblem;     // why `tests` is empty when the list could not be read
  std::vector<std::string> List1;  // what the steps logged
  std::vector<StatsRow> rows;      // the last statistics
  std::string statsSource;         // where they came from
  std::string statsPage;           // native path of the last statistics page
  /// The enciphered test the statistics are of (native path); empty: the copy the sitting
  /// service trusted. `cmdTestFile` chooses it.
  std::string testFile;
  /// The journal key; empty: the folder's own "journal.key", else the deployment's.
  std::filesystem::path journalKeyFile;

  /// Takes the folder from `StudentFilesFolder` and the choices from the test-list file; when
  /// it cannot be read, `testListProblem` and a line of `List1` say why.
  void Load();
  /// Writes the sorted master files and the HTML reports (`cmdSortSN`).
  void cmdReports();
  /// Asks for the test file the statistics are of; false when none was chosen.
  bool cmdTestFile();
  /// Statistics of tests[index] per bank question from the journals (or the records of a test
  /// that asks its whole bank), with the test file or its trusted copy; writes the page.
  void cmdStats(std::size_t index);
  /// The line above the statistics: the test file chosen and where the figures came from.
  std::string SourceText() const;
  /// The native path of a report page ("masterfile4.htm"), or nothing when missing.
  std::optional<std::filesystem::path> Page(const std::string& name) const;

 private:
  ResultFolder Folder() const;
  StatsRequest Request(const std::string& testNumber) const;
  ModuleExamora& m_;
  const DeploymentSettings& settings_;
  Prompter& prompter_;
};

}  // namespace examora
