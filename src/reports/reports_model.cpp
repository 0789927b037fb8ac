#include "reports/reports_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/error.h"
#include "platform/files.h"
#include "reports/master_record.h"
#include "reports/reports.h"

namespace examora {
ReportsModel::ReportsModel(ModuleExamora& m, const DeploymentSettings& settings, Prompter& prompter)
    : m_(m), settings_(settings), prompter_(prompter) {}

ResultFolder ReportsModel::Folder() const {
  return ResultFolderFor(folder, settings_.Paths());
}

void ReportsModel::Load() {
  folder = m_.StudentFilesFolder;
  tests.clear();
  testListProblem.clear();
  const auto list = ProcessorTestListFile(settings_);
  try {
    tests = ReadTestIdList(ReadFileBytes(list), list.string());
  } catch (const Error& e) {
    // Said where the choices would be, and again when a button needs them: an empty list of
    // tests with no word of why looked like a broken window.
    testListProblem = std::string("No tests to choose: ") + e.what();
    List1.push_back(testListProblem);
  }
}

void ReportsModel::cmdReports() {
  try {
    const auto lines = SortSN(Folder(), m_.Students.rows, tests);
    List1.insert(List1.end(), lines.begin(), lines.end());
  } catch (const Error& e) {
    prompter_.Message("Reports", e.what(), MessageButtons::Ok, MessageIcon::Critical);
  }
}

void ReportsModel::cmdStats(std::size_t index, const std::vector<int>& optionCounts) {
  if (index >= tests.size()) {
    prompter_.Message("Reports", testListProblem.empty() ? "Choose a test first." : testListProblem,
                      MessageButtons::Ok, MessageIcon::Warning);
    return;
  }
  const TestIdEntry& test = tests[index];
  try {
    const ResultFolder where = Folder();
    const auto lines = WriteQuestionStats(where, test.number, optionCounts, test.name);
    List1.insert(List1.end(), lines.begin(), lines.end());
    const auto records =
        ResultFileLines(ReadFileBytes(where.Native("subject_files\\" + test.number + ".txt")));
    rows = StatsRows(QuestionStatistics(
        records, optionCounts.size() > 1 ? optionCounts : OptionCountsFromRecords(records)));
    statsPage = where.Native("stats_" + test.number + ".htm").string();
  } catch (const Error& e) {
    prompter_.Message("Reports", e.what(), MessageButtons::Ok, MessageIcon::Critical);
  }
}

std::optional<std::filesystem::path> ReportsModel::Page(const std::string& name) const {
  const auto path = Folder().Native(name);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  return path;
}

}  // namespace examora
