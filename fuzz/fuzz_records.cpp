// Results records as the teacher's processor meets them, in a fresh results folder with a class
// list of two and a test list of two. With an odd first byte the input is the first student's
// file and the master file is rebuilt from the students' files; with an even one it is the
// master file as it stands. Then the subject files, the date order, the reports and each
// test's question statistics (with the option counts of the records, or of a four-option test
// when bit 1 is set). Nothing may be written outside the folder. Refusals are fine; crashes,
// hangs and sanitizer reports are not.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/error.h"
#include "fuzz_temp_folder.h"
#include "platform/files.h"
#include "reports/question_stats.h"
#include "reports/reports.h"
#include "reports/result_processor.h"
#include "reports/stats_source.h"

namespace {

const std::vector<examora::StudentRow> kStudents = {
    {"123456789", "abcd", "Ann", "Archer"},
    {"000000042", "wxyz", "Bo", "Baker"},
};

bool Inside(const std::filesystem::path& path, const std::filesystem::path& folder) {
  const auto relative = path.lexically_normal().lexically_relative(folder.lexically_normal());
  return !relative.empty() && *relative.begin() != "..";
}

// The report step names a picture after each test number of a sound record: none may ever
// land outside the folder.
bool PicturesStayInside(const examora::ResultFolder& folder, const examora::ReportSet& set) {
  for (const auto& column : set.columns) {
    if (!Inside(folder.Native("css\\images\\" + column.number + ".PNG"), folder.native)) {
      return false;
    }
  }
  return true;
}

void Process(const examora::ResultFolder& folder, const std::filesystem::path& testList,
             bool fromStudentFiles, bool fourOptions) {
  const auto numbers = examora::StudentNumbers(kStudents);
  examora::ResultProcessor processor(folder, testList);
  if (fromStudentFiles) {
    processor.RebuildMaster(numbers);
  } else {
    processor.LoadMaster();
  }
  processor.BuildTestRecords();
  processor.ByDate(numbers);
  const auto set = examora::BuildReports(processor.MasterLines(), kStudents, processor.Tests());
  // Checked before anything is written from them, so a fault never writes elsewhere.
  if (!PicturesStayInside(folder, set)) std::abort();
  examora::SortSN(folder, kStudents, processor.Tests());
  // The statistics read the records only for a test that asks its whole bank of three.
  examora::TestBank bank;
  bank.header.QuestionsInFile = bank.header.QuestionsToAsk = 3;
  bank.QLineCount = fourOptions ? std::vector<int>{0, 4, 4, 4} : std::vector<int>{0, 1, 1, 1};
  for (const auto& test : processor.Tests()) {
    bank.testNumber = test.number;
    const auto text =
        examora::ReadFileBytes(folder.Native("subject_files\\" + test.number + ".txt"));
    examora::TestStats stats = examora::QuestionStatistics(
        examora::RecordAttempts(text, bank, test.number).attempts, bank.QLineCount);
    stats.testNumber = test.number;
    examora::WriteStatsPage(folder, stats, test.name);
  }
  processor.FilesHoldingResults(numbers);
  processor.CreateMissingStudentRecords(numbers);
  processor.AddChr13(numbers);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 16384) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  examora_fuzz::TempFolder temp;
  const auto folder = examora::NativeResultFolder(temp.Path() / "student_files");
  const auto testList = temp.Path() / "data" / "testlist.txt";
  examora_fuzz::WriteFile(testList, "10101 Beams\r\n10102 Forces\r\n");
  const bool fromStudentFiles = (data[0] & 1) != 0;
  examora_fuzz::WriteFile(folder.Native("123456789.txt"), fromStudentFiles ? text : "");
  examora_fuzz::WriteFile(folder.Native("000000042.txt"), "");
  if (!fromStudentFiles) examora_fuzz::WriteFile(folder.Native("masterfile.txt"), text);
  try {
    Process(folder, testList, fromStudentFiles, (data[0] & 2) != 0);
  } catch (const examora::Error&) {
  }
  return 0;
}
