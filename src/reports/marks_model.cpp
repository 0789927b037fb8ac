#include "reports/marks_model.h"

#include <filesystem>

#include "common/error.h"
#include "common/numtext.h"
#include "platform/files.h"
#include "reports/gradebook_export.h"
#include "reports/master_record.h"
#include "reports/reports.h"

namespace examora {

MarksModel::MarksModel(ModuleExamora& m, const DeploymentSettings& settings, const Environment& env,
                       Prompter& prompter)
    : m_(m), settings_(settings), env_(env), prompter_(prompter) {}

template <typename Step>
bool MarksModel::Guarded(Step step) {
  try {
    step();
    return true;
  } catch (const Error& e) {
    prompter_.Message(std::string(kMarksTitle), e.what(), MessageButtons::Ok,
                      MessageIcon::Critical);
  } catch (const std::filesystem::filesystem_error& e) {
    prompter_.Message(std::string(kMarksTitle), e.what(), MessageButtons::Ok,
                      MessageIcon::Critical);
  }
  return false;
}

// The processor keeps its master lines for the run; a different folder starts afresh.
ResultProcessor& MarksModel::CurrentProcessor() {
  const ResultFolder folder = ResultFolderFor(txtChosenPath, settings_.Paths());
  if (!processor_ || processor_->Folder().chosenPath != folder.chosenPath) {
    processor_.emplace(folder, ProcessorTestListFile(settings_));
  }
  return *processor_;
}

const ResultProcessor& MarksModel::Processor() {
  return CurrentProcessor();
}

std::vector<std::string> MarksModel::Numbers() const {
  return StudentNumbers(m_.Students.rows);
}

void MarksModel::Activate() {
  caption = "   Student Result File Processor " + m_.VersionText;
  cmdAutoDrive();
}

void MarksModel::cmdAutoDrive() {
  const StudentPathValues values = SetStudentPaths(m_, settings_, env_);
  txtDrive = values.drive;
  txtStudInfoText = values.studentDataPath;
  txtChosenPath = values.studentFilesFolder;
  txtUserName = values.userName;
  // An installed program ships no class list or results folder: say which is missing and what
  // to type, rather than fail at the first button.
  std::error_code ec;
  const auto data = settings_.Paths().ToNative(txtStudInfoText);
  if (!std::filesystem::is_regular_file(data, ec)) {
    List1.push_back("No student data file " + data.string() +
                    ": type the plain class list's file in \"Student data\"");
  }
  const auto files = settings_.Paths().ToNative(txtChosenPath);
  if (!std::filesystem::is_directory(files, ec)) {
    List1.push_back("No student files folder " + files.string() +
                    ": type the results folder in \"Student files\"");
  }
}

bool MarksModel::cmdReadStudID() {
  return Guarded([&] {
    Pic1.clear();
    Pic2.clear();
    const auto path = settings_.Paths().ToNative(txtStudInfoText);
    const PlainStudentsFile read = ReadPlainStudentsFile(path);
    Pic1 = read.linesRead;
    Text3 = std::to_string(read.rows.size());
    m_.Students.rows = read.rows;
    for (std::size_t i = 0; i < read.rows.size(); ++i) {
      const StudentRow& r = read.rows[i];
      Pic2.push_back(std::to_string(i + 1) + " " + r.number + " " + r.password + " " + r.firstName +
                     " " + r.lastName);
    }
    if (read.missingEndLine) {
      prompter_.Message(std::string(kMarksTitle),
                        "The student data file " + txtStudInfoText +
                            " does not end with an empty line.\r\nAll its " + Text3 +
                            " lines were read as students.",
                        MessageButtons::Ok, MessageIcon::Warning);
    }
  });
}

// Where Encrypt writes the enciphered class list: the program folder's, which exam sign-in reads.
static std::string CryptPath(const DeploymentSettings& settings) {
  return settings.programFolder + "\\info\\data\\std_crypt.eqb";
}

void MarksModel::cmdEncrypt() {
  const bool written = Guarded([&] {
    Pic3.clear();
    Text8 = CryptPath(settings_);
    const auto path = settings_.Paths().ToNative(Text8);
    std::filesystem::create_directories(path.parent_path());
    m_.StudentFilesFolder = txtChosenPath;
    m_.Students.folder = txtChosenPath;
    WriteStudentsCrypt(path, m_.Students);
    for (const auto& line : ResultFileLines(ReadFileBytes(path))) Pic3.push_back(line);
  });
  if (written) cmdDecrypt();
}

void MarksModel::cmdDecrypt() {
  Guarded([&] {
    Pic4.clear();
    if (Text8.empty()) Text8 = CryptPath(settings_);
    const StudentsTable table = ReadStudentsCrypt(settings_.Paths().ToNative(Text8));
    Pic4.push_back(SpacedNumber(static_cast<double>(table.rows.size())));
    Pic4.push_back(table.folder);
    for (std::size_t i = 0; i < table.rows.size(); ++i) {
      const StudentRow& r = table.rows[i];
      Pic4.push_back(std::to_string(i + 1) + ", " + r.number + ", " + r.password + ", " +
                     r.firstName + ", " + r.lastName);
    }
    m_.Students = table;
    m_.StudentFilesFolder = table.folder;
  });
}

void MarksModel::cmdCreateEmptyStudentRecords() {
  Guarded([&] {
    const auto numbers = Numbers();
    const int holding = CurrentProcessor().FilesHoldingResults(numbers);
    const std::string question = "Create empty result files for " + std::to_string(numbers.size()) +
                                 " students in " + txtChosenPath + "?\r\n" +
                                 std::to_string(holding) +
                                 " of these files hold results, which will be lost.";
    if (!prompter_.AskYesNo(std::string(kMarksTitle), question)) return;
    CurrentProcessor().CreateEmptyStudentRecords(numbers);
  });
}

void MarksModel::cmdCreateMissing() {
  Guarded([&] {
    const auto lines = CurrentProcessor().CreateMissingStudentRecords(Numbers());
    List1.insert(List1.end(), lines.begin(), lines.end());
  });
}

bool MarksModel::cmdRebuildMaster() {
  List1.push_back(std::string(kLogRule));
  List1.push_back("Rebuilding...");
  if (!cmdReadStudID()) return false;
  return Guarded([&] {
    auto lines = CurrentProcessor().RebuildMaster(Numbers());
    List1.insert(List1.end(), lines.begin() + 2, lines.end());  // the first two are logged
    m_.StudentFilesFolder = txtChosenPath;
    m_.MasterFilePath = CurrentProcessor().MasterFilePath();
  });
}

void MarksModel::cmdBuildTestRecords() {
  Guarded([&] {
    const auto lines = CurrentProcessor().BuildTestRecords();
    List1.insert(List1.end(), lines.begin(), lines.end());
  });
}

void MarksModel::cmdByDate() {
  // A failed rebuild must not lead to a sort that writes an empty master file.
  if (CurrentProcessor().MasterCount() == 0 &&
      (!cmdRebuildMaster() || CurrentProcessor().MasterCount() == 0)) {
    return;
  }
  Guarded([&] {
    const auto lines = CurrentProcessor().ByDate(Numbers());
    List1.insert(List1.end(), lines.begin(), lines.end());
  });
}

void MarksModel::cmdchr13() {
  Guarded([&] { CurrentProcessor().AddChr13(Numbers()); });
}

// Test names come from the split's list, else from the test-list file when there is one.
std::vector<TestIdEntry> MarksModel::ReportTests(const ResultProcessor& processor) const {
  std::vector<TestIdEntry> tests = processor.Tests();
  std::error_code ec;
  if (tests.empty() && std::filesystem::is_regular_file(processor.TestListFile(), ec)) {
    tests =
        ReadTestIdList(ReadFileBytes(processor.TestListFile()), processor.TestListFile().string());
  }
  return tests;
}

void MarksModel::cmdExport() {
  Guarded([&] {
    const MessageAnswer layout = prompter_.Message(
        std::string(kMarksTitle),
        "Export the marks in the layout of Moodle's gradebook import?\r\nYes: Moodle (an ID "
        "number column and one column per test)\r\nNo: a plain CSV for spreadsheets",
        MessageButtons::YesNoCancel, MessageIcon::Question);
    if (layout == MessageAnswer::Cancel) return;
    ResultProcessor& processor = CurrentProcessor();
    const auto file = prompter_.SaveFile("Export marks", "CSV files (*.csv)",
                                         (processor.Folder().native / "marks.csv").string());
    if (!file) return;
    const GradebookFormat format =
        layout == MessageAnswer::Yes ? GradebookFormat::kMoodle : GradebookFormat::kCsv;
    WriteFileAtomically(*file, ExportGradebook(processor.Folder(), m_.Students.rows,
                                               ReportTests(processor), format));
    List1.push_back(std::string(kLogRule));
    List1.push_back("Marks exported to " + *file);
  });
}

void MarksModel::cmdSortSN() {
  Guarded([&] {
    ResultProcessor& processor = CurrentProcessor();
    const auto lines = SortSN(processor.Folder(), m_.Students.rows, ReportTests(processor));
    List1.insert(List1.end(), lines.begin(), lines.end());
  });
}

std::optional<std::filesystem::path> MarksModel::cmdMaster(int which) {
  static const char* const kFiles[] = {"masterfile.txt", "masterfile2.txt", "masterfile3.txt",
                                       "masterfile4.htm", "masterfile5.htm"};
  if (which < 1 || which > 5) return std::nullopt;
  const ResultFolder folder = ResultFolderFor(txtChosenPath, settings_.Paths());
  const auto path = folder.Native(kFiles[which - 1]);
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    prompter_.Message(std::string(kMarksTitle),
                      folder.Shown(kFiles[which - 1]) + " does not exist.", MessageButtons::Ok,
                      MessageIcon::Warning);
    return std::nullopt;
  }
  if (which == 1) m_.MasterFilePath = folder.Shown(kFiles[0]);
  return path;
}

}  // namespace examora
