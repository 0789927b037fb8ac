// Results saving: the record of an exam attempt appended to the student's file, the master file
// and the test's subject file, and the backup copy rewritten after every answer. Nothing here
// runs in study mode. Every write goes through a `ResultsFileSystem`, so faults can be injected.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/module_examora.h"
#include "common/prompter.h"
#include "results/end_screen.h"
#include "results/results_files.h"

namespace examora {

/// The step labels of `SaveResults`, in the order the files are written.
inline constexpr const char* kStudentFileStep = " Student file";
inline constexpr const char* kMasterFileStep = " Master file";
inline constexpr const char* kSubjectFileStep = " Subject file";

/// The classic run-time error number a failed write (an errno value) stands for: 55 busy, 71
/// not ready, 76 path not found, 70 permission denied, 61 disk full, 75 any other.
int ErrorNumber(int error);

/// The message of a failed step of the save, by its error number and step label.
std::string SaveFailureText(int number, const std::string& label);

/// Field 2 of the record: the signed-in student's number (row `StudentIndex` of `Students`),
/// all nine digits, empty when there is none or it is all zeros.
std::string RecordStudentNumber(const ModuleExamora& m);

/// The fields of the record for the attempt as it stands: `score` and `answerCodes` (asking
/// order) are the test window's, the rest comes from the module and the clock.
ResultsFields RecordFields(const ModuleExamora& m, float score, const std::string& answerCodes,
                           const LocalDateTime& now);

/// Where the four results files of a record live, as the folder rules write them.
struct ResultsPaths {
  std::string studentFile, masterFile, subjectFile, backupFile;
};
ResultsPaths ResultsPathsFor(const std::string& studentFilesFolder, const ResultsFields& fields);

/// What saving needs from its surroundings.
struct SaveSeams {
  ResultsFileSystem& files;
  Prompter& prompter;
  const PathMapper& paths;
  /// One tick of the delay timer before a retry; the window keeps responding meanwhile.
  std::function<void()> Delay;
  /// Shows the step label (" Student file", ...) while that file is written.
  std::function<void(const std::string&)> showStep;
  /// Retries of a busy file before it is reported as failed.
  int maxRetries = 10;
};

/// How a save went. The end screen and `picSave` are told only what really happened.
struct SaveOutcome {
  std::string record;                     // the line written (also `ResultsLine`)
  std::vector<std::string> written;       // the step labels of the files written
  std::vector<std::string> failed;        // the step labels of the files not written
  std::vector<std::string> picSaveLines;  // what to print on `picSave`
  bool showQuitButtons = false;           // QUIT and "Save to USB"
  std::string typedFileName;              // what was typed after a failure (never a path)
  bool Complete() const { return failed.empty() && written.size() == 3; }
};

/// Appends the record to the student, master and subject files in that order, each on its
/// own, with the failure messages, bounded retries and input box of a failed step. Uses
/// `m.StudentFilesFolder` as it stands (the window calls `SetStudentPaths` first).
SaveOutcome WriteResults(const ModuleExamora& m, const ResultsFields& fields, SaveSeams& seams);

/// `SaveResults` as the test window runs it at the end of an exam attempt: `SetStudentPaths`,
/// the record, `WriteResults`. In study mode nothing is written and nothing is returned.
SaveOutcome SaveResults(ModuleExamora& m, float score, const std::string& answerCodes,
                        const LocalDateTime& now, const DeploymentSettings& settings,
                        const Environment& env, SaveSeams& seams);

/// The outcome of a save done elsewhere (by the record keeper): which files hold the record,
/// and what `picSave` shows for it.
SaveOutcome OutcomeOfSave(const std::string& record, const std::vector<std::string>& written,
                          const std::vector<std::string>& failed);

/// Rewrites the end screen's mode line when the save did not reach every file, so it never
/// claims a record that is not there.
void ShowSaveOutcome(std::vector<std::string>& endScreen, const SaveOutcome& outcome);

/// What one `Backup` did.
struct BackupResult {
  bool written = false;
  std::string error;  // empty, or what went wrong (the next backup tries again)
};

/// Rewrites the backup file with the record when it differs from `LastBackupLine` (whole or
/// not at all; with no student number the file is emptied). Study mode writes nothing.
BackupResult Backup(const ModuleExamora& m, const ResultsFields& fields,
                    std::string& LastBackupLine, ResultsFileSystem& files, const PathMapper& paths);

/// `tmr_backup` and `txtGotit`: "SAVING..." in black while the backup is written, half a
/// second later the answer codes in grey and the timer off.
struct BackupTimer {
  static constexpr unsigned kGrey = 0xA0A0A0, kBlack = 0;
  bool enabled = false;
  std::string txtGotit = "Gotit";
  unsigned foreColour = kGrey;

  /// Switched on after every submitted answer.
  void Start() { enabled = true; }
  /// One tick; true when the caller must run `Backup` now.
  bool Tick(const std::string& answerCodes);
};

}  // namespace examora
