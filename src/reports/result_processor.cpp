#include "reports/result_processor.h"

#include <algorithm>
#include <map>
#include <utility>

#include "common/error.h"
#include "common/numtext.h"
#include "common/text.h"
#include "platform/files.h"
#include "reports/master_record.h"

namespace examora {
namespace {

// How many lines ResultFileLines finds, without making them.
std::size_t LineCount(std::string_view bytes) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') continue;
    ++count;
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
  }
  const char last = bytes.empty() ? '\n' : bytes.back();
  return count + (last != '\r' && last != '\n' ? 1 : 0);
}

std::vector<std::string> Records(std::string_view bytes) {
  std::vector<std::string> records;
  AppendRecordLines(bytes, records);
  return records;
}

bool IsDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool WriteFileIfChanged(const std::filesystem::path& path, std::string_view bytes) {
  std::error_code ec;
  // Only a regular file of the same size is compared; anything else is written.
  if (std::filesystem::is_regular_file(path, ec) &&
      std::filesystem::file_size(path, ec) == bytes.size() && !ec) {
    try {
      if (ReadFileBytes(path, bytes.size()) == bytes) return false;
    } catch (const FileError&) {
    }
  }
  WriteFileAtomically(path, bytes);
  return true;
}

std::string ResultFolder::Shown(std::string_view relative) const {
  // The file the program really opened: a Windows-style name such as "C:\~..." means nothing
  // to a teacher looking for the file on this computer.
  return Native(relative).string();
}

std::filesystem::path ResultFolder::Native(std::string_view relative) const {
  std::filesystem::path path = native;
  std::size_t start = 0;
  while (start < relative.size()) {
    std::size_t end = relative.find('\\', start);
    if (end == std::string_view::npos) end = relative.size();
    if (end > start) path /= std::string(relative.substr(start, end - start));
    start = end + 1;
  }
  return path;
}

ResultFolder ResultFolderFor(std::string chosenPath, const PathMapper& paths) {
  if (chosenPath.empty() || chosenPath.back() != '\\') chosenPath += '\\';
  std::filesystem::path native = paths.ToNative(chosenPath);
  return {std::move(chosenPath), std::move(native)};
}

ResultFolder NativeResultFolder(const std::filesystem::path& folder) {
  std::string shown = folder.string();
  if (shown.empty() || shown.back() != '/') shown += '/';
  return {shown, folder};
}

std::vector<TestIdEntry> ReadTestIdList(std::string_view text, const std::string& shownPath) {
  std::vector<TestIdEntry> tests;
  const auto lines = ResultFileLines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string line = Trim(lines[i]);
    if (line.empty()) continue;
    // A number that is not five digits would match no record and name a stray subject file.
    if (line.size() < 5 || !IsDigits(line.substr(0, 5))) {
      throw FormatError("Test list \"" + shownPath + "\", line " + std::to_string(i + 1) + ": \"" +
                        line + "\" does not start with a five-digit test number");
    }
    tests.push_back({line.substr(0, 5), line.size() > 6 ? Trim(line.substr(6)) : ""});
  }
  return tests;
}

std::vector<std::string> StudentNumbers(const std::vector<StudentRow>& rows) {
  std::vector<std::string> numbers;
  numbers.reserve(rows.size());
  for (const auto& row : rows) numbers.push_back(row.number);
  return numbers;
}

ResultProcessor::ResultProcessor(ResultFolder folder, std::filesystem::path testListFile)
    : folder_(std::move(folder)), testListFile_(std::move(testListFile)) {}

std::filesystem::path ResultProcessor::StudentFile(const std::string& number) const {
  if (number.empty() || number.size() > 9 || !IsDigits(number)) {
    throw FormatError("Student number \"" + number +
                      "\" is not 1 to 9 digits; no student file was read or written");
  }
  return folder_.Native(number + ".txt");
}

void ResultProcessor::ReadStudentFile(const std::string& number,
                                      std::vector<std::string>& records) const {
  const std::string shown = folder_.Shown(number + ".txt");
  const std::filesystem::path path = StudentFile(number);
  std::error_code ec;
  if (!std::filesystem::exists(std::filesystem::symlink_status(path, ec))) {
    throw FileError("Student file \"" + shown + "\" does not exist; the master file was left as " +
                    "it was. " + std::string(kCreateMissingHint) + ".");
  }
  std::string bytes;
  try {
    bytes = ReadFileBytes(path, kMaxStudentFileBytes);
  } catch (const FileError& e) {
    throw FileError(std::string(e.what()) + "; the master file was left as it was");
  }
  const std::size_t lineCount = LineCount(bytes);
  if (lineCount > kMaxStudentFileLines) {
    throw FormatError("Student file \"" + shown + "\" holds " + std::to_string(lineCount) +
                      " lines, more than the 999 a student file may hold; the master file was " +
                      "left as it was");
  }
  AppendRecordLines(bytes, records);
}

void ResultProcessor::WriteMaster() const {
  WriteFileAtomically(folder_.Native("masterfile.txt"), JoinRecordLines(masterLines_));
}

std::vector<std::string> ResultProcessor::RebuildMaster(
    const std::vector<std::string>& studentNumbers) {
  std::vector<std::string> log = {std::string(kLogRule), "Rebuilding..."};
  if (studentNumbers.size() > kMaxStudents) {
    throw FormatError("The class list holds " + std::to_string(studentNumbers.size()) +
                      " students; at most " + std::to_string(kMaxStudents) + " are allowed");
  }
  // Every file is read before the master file is touched, so a bad one loses nothing.
  std::vector<std::string> lines;
  for (const auto& number : studentNumbers) ReadStudentFile(number, lines);
  log.push_back("Masterfile cleared...");
  for (const auto& number : studentNumbers) log.push_back(folder_.Shown(number + ".txt"));
  masterLines_ = std::move(lines);
  WriteMaster();
  log.push_back("Masterfile rebuilt ...");
  log.push_back("No of test records =" + SpacedNumber(MasterCount()));
  const auto damaged =
      std::count_if(masterLines_.begin(), masterLines_.end(),
                    [](const std::string& l) { return !RecordProblem(l).empty(); });
  if (damaged > 0) {
    log.push_back(
        "Damaged records (kept here, counted nowhere; the split and the reports list "
        "them) =" +
        SpacedNumber(static_cast<double>(damaged)));
  }
  return log;
}

std::vector<std::string> ResultProcessor::BuildTestRecords() {
  std::vector<std::string> log = {std::string(kLogRule), "Read test ID list"};
  const std::string shownList = testListFile_.string();
  tests_ = ReadTestIdList(ReadFileBytes(testListFile_), shownList);
  for (const auto& test : tests_) log.push_back(test.number + "_" + test.name);
  log.push_back("Number of tests = " + SpacedNumber(static_cast<double>(tests_.size())));
  log.push_back("Test Result Files Emptied... ");
  for (const auto& test : tests_) log.push_back(test.number + ".txt");
  log.push_back("  ");

  const std::vector<bool> sound = SoundRecords(masterLines_);
  const auto damaged = DamagedRecordLog(masterLines_, sound, "master file");
  log.insert(log.end(), damaged.begin(), damaged.end());
  std::map<std::string, std::string, std::less<>> byTest;
  for (const auto& test : tests_) byTest[test.number];
  for (std::size_t i = 0; i < masterLines_.size(); ++i) {
    if (!sound[i]) continue;
    const std::string_view line = masterLines_[i];
    if (auto it = byTest.find(line.substr(0, 5)); it != byTest.end()) {
      it->second.append(line).append("\r\n");
    }
  }
  std::filesystem::create_directories(folder_.Native("subject_files"));
  for (const auto& test : tests_) {
    log.push_back("Writing test result file " + test.number);
    WriteFileIfChanged(folder_.Native("subject_files\\" + test.number + ".txt"),
                       byTest[test.number]);
  }
  return log;
}

std::vector<std::string> ResultProcessor::ByDate(const std::vector<std::string>& studentNumbers) {
  std::vector<std::string> log;
  if (masterLines_.empty()) log = RebuildMaster(studentNumbers);
  // Keys and places are sorted, not the lines: small pairs move fast.
  std::vector<std::pair<long long, std::size_t>> keyed;
  keyed.reserve(masterLines_.size());
  for (std::size_t i = 0; i < masterLines_.size(); ++i) {
    keyed.emplace_back(DateTimeNum(masterLines_[i]), i);
  }
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> sorted;
  sorted.reserve(masterLines_.size());
  for (const auto& [key, i] : keyed) sorted.push_back(std::move(masterLines_[i]));
  masterLines_ = std::move(sorted);
  log.push_back(std::string(kLogRule));
  log.push_back("Masterfile sorted by date/time order");
  WriteMaster();
  return log;
}

int ResultProcessor::FilesHoldingResults(const std::vector<std::string>& studentNumbers) const {
  int count = 0;
  for (const auto& number : studentNumbers) {
    std::error_code ec;
    const auto path = StudentFile(number);
    if (!std::filesystem::is_regular_file(path, ec)) continue;
    if (!Records(ReadFileBytes(path, kMaxStudentFileBytes)).empty()) ++count;
  }
  return count;
}

void ResultProcessor::CreateEmptyStudentRecords(const std::vector<std::string>& studentNumbers) {
  for (const auto& number : studentNumbers) StudentFile(number);  // all checked before any write
  for (const auto& number : studentNumbers) WriteFileAtomically(StudentFile(number), "");
}

std::vector<std::string> ResultProcessor::CreateMissingStudentRecords(
    const std::vector<std::string>& studentNumbers) {
  for (const auto& number : studentNumbers) StudentFile(number);
  std::vector<std::string> log = {std::string(kLogRule), "Creating missing student files..."};
  int created = 0;
  for (const auto& number : studentNumbers) {
    if (!CreateFileIfMissing(StudentFile(number))) continue;
    log.push_back("Created " + folder_.Shown(number + ".txt"));
    ++created;
  }
  log.push_back("Student files created =" + SpacedNumber(created) + ", already there =" +
                SpacedNumber(static_cast<double>(studentNumbers.size()) - created));
  return log;
}

int ResultProcessor::AddChr13(const std::vector<std::string>& studentNumbers) {
  std::vector<std::pair<std::filesystem::path, std::string>> files;
  for (const auto& number : studentNumbers) {
    auto path = StudentFile(number);
    files.emplace_back(path, ReadFileBytes(path, kMaxStudentFileBytes));
  }
  int changed = 0;
  for (auto& [path, bytes] : files) {
    if (bytes.empty()) continue;
    WriteFileAtomically(path, bytes + "\r\r\n");
    ++changed;
  }
  return changed;
}

void ResultProcessor::LoadMaster() {
  masterLines_ = Records(ReadFileBytes(folder_.Native("masterfile.txt"), kMaxMasterBytes));
}

}  // namespace examora
