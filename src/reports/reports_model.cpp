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

bool ReportsModel::cmdTestFile() {
  const auto chosen = prompter_.OpenFile("Test file", "Enciphered tests (*.txt *.eqb)");
  if (!chosen || chosen->empty()) return false;
  testFile = *chosen;
  return true;
}

StatsRequest ReportsModel::Request(const std::string& testNumber) const {
  StatsRequest request{testNumber, std::nullopt, std::nullopt, ""};
  if (!testFile.empty()) request.testBytes = ReadFileBytes(testFile, std::size_t{16} << 20);
  std::filesystem::path key = journalKeyFile;
  std::error_code ec;
  if (key.empty()) key = Folder().native / "journal.key";
  if (journalKeyFile.empty() && !std::filesystem::exists(key, ec)) key = settings_.journalKeyFile;
  try {
    request.key = ReadJournalKey(key);
  } catch (const Error& e) {
    request.keyProblem = std::string(e.what()) + ": the journals cannot be verified";
  }
  return request;
}

void ReportsModel::cmdStats(std::size_t index) {
  if (index >= tests.size()) {
    prompter_.Message("Reports", testListProblem.empty() ? "Choose a test first." : testListProblem,
                      MessageButtons::Ok, MessageIcon::Warning);
    return;
  }
  const TestIdEntry& test = tests[index];
  try {
    const ResultFolder where = Folder();
    const TestStats stats = TestStatistics(ResultsFolder(where.native), Request(test.number));
    const auto lines = WriteStatsPage(where, stats, test.name);
    List1.insert(List1.end(), lines.begin(), lines.end());
    rows = StatsRows(stats);
    statsSource = stats.source;
    statsPage = where.Native("stats_" + test.number + ".htm").string();
  } catch (const Error& e) {
    prompter_.Message("Reports", e.what(), MessageButtons::Ok, MessageIcon::Critical);
  }
}

std::string ReportsModel::SourceText() const {
  return (testFile.empty() ? std::string() : "Test file: " + testFile + ". ") +
         (statsSource.empty() ? std::string() : "Source: " + statsSource + ".");
}

std::optional<std::filesystem::path> ReportsModel::Page(const std::string& name) const {
  const auto path = Folder().Native(name);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
  return path;
}

}  // namespace examora
