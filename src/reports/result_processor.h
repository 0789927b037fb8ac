// The result file processor's core (the `Marks` window and `examora-cli results`): rebuilds the
// master file from the student files, splits it into subject files, re-sorts it by date and
// time, creates empty student files and repairs their line ends. Each step returns the lines
// the window logs in `List1`. A step that meets a missing, unreadable or over-long file stops
// before it writes anything, with a message naming the file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/students.h"
#include "platform/paths.h"
#include "reports/master_record.h"

namespace examora {

/// Longest student file the processor takes, in lines.
inline constexpr std::size_t kMaxStudentFileLines = 999;

/// Largest student file read: its most lines, each a longest record with its line end.
inline constexpr std::size_t kMaxStudentFileBytes = kMaxStudentFileLines * (kMaxRecordBytes + 2);

/// Largest master file (and so subject file) read: what the rebuild writes from the most
/// students' largest files, so every step reads whatever the one before it wrote.
inline constexpr std::size_t kMaxMasterBytes = kMaxStudents * kMaxStudentFileBytes;

/// The stop message's hint when a listed student has no result file yet.
inline constexpr std::string_view kCreateMissingHint =
    "\"Create missing student files\" (examora-cli results create-missing) creates the files of "
    "students added since, empty, and touches no other file";

/// The student-files folder as `txtChosenPath` shows it and the native folder it stands for.
struct ResultFolder {
  std::string chosenPath;  // ends with its separator ("\" or "/")
  std::filesystem::path native;

  /// The shown text of a file below the folder, its native path; `relative` uses "\" between
  /// folders.
  std::string Shown(std::string_view relative) const;
  /// The native path of the same file.
  std::filesystem::path Native(std::string_view relative) const;
};

/// A Windows-style folder (a trailing "\" is added when missing), mapped to its native folder.
ResultFolder ResultFolderFor(std::string chosenPath, const PathMapper& paths);

/// A native folder, shown as itself with a trailing "/".
ResultFolder NativeResultFolder(const std::filesystem::path& folder);

/// One line of the test-list file: the five-character test number and the name.
struct TestIdEntry {
  std::string number;
  std::string name;
};

/// The tests of a test-list file's text: lines trimmed, empty ones skipped, the number in the
/// first five characters, the name after one separating character. A line that does not start
/// with five digits throws FormatError naming `shownPath` and the line.
std::vector<TestIdEntry> ReadTestIdList(std::string_view text, const std::string& shownPath);

/// Column 1 of every row: the numbers that name the students' result files.
std::vector<std::string> StudentNumbers(const std::vector<StudentRow>& rows);

class ResultProcessor {
 public:
  /// `testListFile`: the native path of the program folder's "data\testlist.txt".
  ResultProcessor(ResultFolder folder, std::filesystem::path testListFile);

  /// `cmdRebuildMaster`: the students' files, in the order given, become the master file
  /// (trimmed, without empty lines). Throws before touching the master file when a student
  /// number is not 1 to 9 digits, or a student file is missing (naming the step that creates
  /// it), unreadable, or over kMaxStudentFileLines or kMaxStudentFileBytes. Damaged records stay
  /// in the master file (nothing is lost) and are counted in the log.
  std::vector<std::string> RebuildMaster(const std::vector<std::string>& studentNumbers);

  /// `cmdBuildTestRecords`: every test of the test list gets its subject file, rewritten with
  /// the sound master lines of this run that start with its number (none before a rebuild or
  /// sort); damaged ones are listed in the log and left out.
  std::vector<std::string> BuildTestRecords();

  /// `cmdByDate`: the master lines (rebuilt first when there are none) in date/time order,
  /// equal keys keeping their order, written back to the master file.
  std::vector<std::string> ByDate(const std::vector<std::string>& studentNumbers);

  /// How many of the students' files exist and hold at least one non-blank line.
  int FilesHoldingResults(const std::vector<std::string>& studentNumbers) const;

  /// `cmdCreateEmptyStudentRecords`: every student's file exists and is empty. The caller has
  /// asked for confirmation, naming FilesHoldingResults.
  void CreateEmptyStudentRecords(const std::vector<std::string>& studentNumbers);

  /// Creates, empty, the file of every student who has none; an existing file is never
  /// touched. Returns the lines logged: each file created and a count.
  std::vector<std::string> CreateMissingStudentRecords(
      const std::vector<std::string>& studentNumbers);

  /// `cmdchr13`: a line holding one carriage return is appended to every non-empty student
  /// file; returns how many were changed. All files are read before any is written.
  int AddChr13(const std::vector<std::string>& studentNumbers);

  /// Takes the master lines from the master file as it stands (trimmed, empty lines skipped),
  /// for a caller that starts a new run with the split.
  void LoadMaster();

  const std::vector<std::string>& MasterLines() const { return masterLines_; }
  int MasterCount() const { return static_cast<int>(masterLines_.size()); }
  const std::vector<TestIdEntry>& Tests() const { return tests_; }
  const ResultFolder& Folder() const { return folder_; }
  const std::filesystem::path& TestListFile() const { return testListFile_; }
  /// `MasterFilePath`: the master file as shown.
  std::string MasterFilePath() const { return folder_.Shown("masterfile.txt"); }

 private:
  /// Appends the student's records (trimmed, empty lines left out) to `records`.
  void ReadStudentFile(const std::string& number, std::vector<std::string>& records) const;
  /// The native path of a student's file; throws FormatError for a number that is not 1 to 9
  /// digits, so no class-list row can lead a path out of the folder.
  std::filesystem::path StudentFile(const std::string& number) const;
  void WriteMaster() const;

  ResultFolder folder_;
  std::filesystem::path testListFile_;
  std::vector<std::string> masterLines_;  // MasterLines 1..MasterCount, growable
  std::vector<TestIdEntry> tests_;        // TestList 1..TestCount
};

/// WriteFileAtomically, unless the file already holds exactly these bytes (then it is left as
/// it is and false is returned): the steps rewrite many files and seldom change most of them.
bool WriteFileIfChanged(const std::filesystem::path& path, std::string_view bytes);

/// The rule line the processor's log puts before each step.
inline constexpr std::string_view kLogRule = "___________________________________________";

}  // namespace examora
