// The process-wide state every window shares, and the routines that fill its session and
// folder values. One instance is made at start-up and passed by reference.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "app/settings.h"
#include "app/students.h"
#include "app/testlist.h"
#include "common/clock.h"
#include "common/debug_log.h"
#include "engine/units.h"
#include "formula/substitution.h"
#include "platform/environment.h"
#include "testfile/scrambler.h"

namespace examora {

struct ModuleExamora {
  // Session
  std::string VersionText;         // product, build number and date, shown in captions
  std::string WebBase;             // web folder of the test list and tests; ends with "/"
  std::string UserName;            // the computer's name, then the user's (SetStudentPaths)
  bool StudyMode = false;          // practice session: nothing is recorded
  std::string StudentId;           // display text of the signed-in student
  std::string StudentName;         // typed in the sign-in name box; "Study Mode" in study mode
  int StudentIndex = 0;            // row of the signed-in student in the students table
  StudentsTable Students;          // the class list exam sign-in checks (rows from 1)
  std::string StudentFilesFolder;  // per-student result files; ends with "\"
  std::string MasterFilePath;      // the master file of all attempts, as last shown or rebuilt
  std::string TempFolder;          // where downloaded tests are stored
  std::string SittingFileName;     // file name of the current sitting's downloaded test
  bool ContinueAllowed = false;    // the chosen test may be continued after an interruption
  double AccessCode = 0;           // the current test access code

  // The test list, the chosen test and its prepared sitting
  TestListTable Tests;        // TestListLine, TestContinuable, TestList, TestCount, ...
  std::string TestName;       // name of the chosen test
  int TestNumber = 0;         // its number
  std::string SavedTestPath;  // the downloaded test of this sitting
  std::string TestFilePath;   // where the header and the question blocks are read from
  std::string TestFolder;     // the test's web folder, put before its picture names
  std::string StartTimeText;  // when the test was opened, "hh:nn" (twelve-hour)
  std::string EndTimeText;    // when it is expected to end
  TestBank Bank;              // header values, QLineCount, Questions, HasContinuation
  Sitting Prepared;           // QuestionOrder, OptionOrder, Solution, ... per position
  std::shared_ptr<struct ExamStart> Exam;  // how an exam sitting was opened (none in study mode)
  std::shared_ptr<class SittingRecords> Records;  // who keeps the exam records (none in study)

  // Question engine and formula services
  int CurrentQuestion = 0;  // the question on screen
  UnitCatalogue Units;      // UnitTable, UnitCount, PrefixTable
  FormulaTables Formulas;   // QuestionVars, QuestionVarCount, matrix and statistics tables
  DebugLog Debugger;        // the debug window's lines
};

/// The version line of this build.
inline constexpr std::string_view kVersionText = "Examora 568: 2010-03-23";

/// Sets `VersionText`, `WebBase` (from the settings) and `UserName` (the computer's name).
void InitSession(ModuleExamora& m, const DeploymentSettings& settings, const Environment& env);

/// The four values `SetStudentPaths` hands to the result processor window, in its order.
struct StudentPathValues {
  std::string drive;            // drive letter of the program folder
  std::string studentDataPath;  // local copy of the student data file
  std::string studentFilesFolder;
  std::string userName;
};

/// Sets `UserName` to the user's name and `StudentFilesFolder` by the folder rule; returns the
/// values for the result processor window.
StudentPathValues SetStudentPaths(ModuleExamora& m, const DeploymentSettings& settings,
                                  const Environment& env);

/// The student files folder for a user: exam-room accounts (names starting "QLB305", any case)
/// keep them on the network drive R:, everyone else on the program's own drive.
std::string StudentFilesFolderFor(std::string_view userName, std::string_view programFolder);

/// The local copy of the student data file under the program folder.
std::string StudentDataPath(std::string_view programFolder);

/// Two-digit year, month, day, hour and minute of `t`, then the user name, then ".txt".
std::string MakeSittingFileName(const LocalDateTime& t, std::string_view userName);

}  // namespace examora
