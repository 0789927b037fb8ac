// The `Marks` window's rules without the window: what its boxes, picture boxes and log show,
// and what each button does, on the result processor's core. The Qt window copies the boxes
// in before a button and everything out after it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/module_examora.h"
#include "common/prompter.h"
#include "reports/result_processor.h"

namespace examora {

/// The title of every message box the window shows.
inline constexpr std::string_view kMarksTitle = "Student Result File Processor";

class MarksModel {
 public:
  MarksModel(ModuleExamora& m, const DeploymentSettings& settings, const Environment& env,
             Prompter& prompter);

  // The boxes, as the window shows them (Windows-1252).
  std::string caption = "Student Marks Analysis";
  std::string txtChosenPath, txtStudInfoText, Text8, Text3, txtUserName, txtDrive;
  std::vector<std::string> List1, Pic1, Pic2, Pic3, Pic4;

  /// On activation: the caption with the version, then `cmdAutoDrive`.
  void Activate();
  void cmdAutoDrive();
  /// Reads the plain student data file and fills `Students`; false after a message.
  bool cmdReadStudID();
  void cmdEncrypt();
  /// Deciphers the enciphered class list in `Text8` (the one Encrypt writes when empty): a file
  /// only the teacher controls, never a fixed name in a temporary folder others can write.
  void cmdDecrypt();
  /// Asks first, naming how many files hold results; empties nothing when told No.
  void cmdCreateEmptyStudentRecords();
  /// Creates the files of listed students who have none, empty; touches no existing file.
  void cmdCreateMissing();
  /// Reads the students, then rebuilds; false after a message.
  bool cmdRebuildMaster();
  void cmdBuildTestRecords();
  void cmdByDate();
  void cmdchr13();
  void cmdSortSN();
  /// `cmdExport`: the marks per student and test, as the reports show them, in a CSV file for
  /// Moodle's gradebook or for a spreadsheet (asked first, then where to save it).
  void cmdExport();
  /// `cmdMaster1` .. `cmdMaster5`: the native file to show in `WebBrowser1`, or nothing after
  /// a message when it does not exist. The first also sets `MasterFilePath`.
  std::optional<std::filesystem::path> cmdMaster(int which);

  const ResultProcessor& Processor();

 private:
  template <typename Step>
  bool Guarded(Step step);
  ResultProcessor& CurrentProcessor();
  std::vector<std::string> Numbers() const;
  std::vector<TestIdEntry> ReportTests(const ResultProcessor& processor) const;

  ModuleExamora& m_;
  const DeploymentSettings& settings_;
  const Environment& env_;
  Prompter& prompter_;
  std::optional<ResultProcessor> processor_;
};

}  // namespace examora
