#include "results/saving.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/text.h"

namespace examora {
namespace {

constexpr const char* kTitle = "Examora";
constexpr const char* kFileNamePrompt = "Enter the name of the file";

}  // namespace

int ErrorNumber(int error) {
  switch (error) {
    case EWOULDBLOCK:
    case ETXTBSY:
      return 55;  // file already open (locked by another computer)
    case EIO:
    case ENXIO:
    case ENODEV:
    case ENOMEDIUM:
    case ETIMEDOUT:
    case EHOSTDOWN:
    case ESTALE:
    case EBUSY:
      return 71;  // disk not ready
    case ENOENT:
    case ENOTDIR:
      return 76;  // path not found: appending creates the file, so its folder is missing
    case EACCES:
    case EPERM:
    case EROFS:
      return 70;  // permission denied
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return 61;  // disk full
    default:
      return 75;  // path/file access error
  }
}

std::string SaveFailureText(int number, const std::string& label) {
  if (number == 53) return "File not ready. Try Again? " + label;
  if (number == 76) return "Invalid path. Continue to enter new path." + label;
  return "The error is..." + std::to_string(number) + label;
}

namespace {

enum class After { kNextFile, kStop };

// Reports a failed step as the saving messages say and tells whether later files are tried.
After ReportFailure(int number, bool retriesUsedUp, const std::string& label, SaveSeams& seams,
                    SaveOutcome& outcome) {
  After after = After::kNextFile;
  // A file still busy after every retry is one file; the others may well be free.
  if (number != 53 && number != 76 && !retriesUsedUp) after = After::kStop;
  seams.prompter.Message(kTitle, SaveFailureText(number, label));
  // The typed name is kept but never forms a path: a student must not steer where results go.
  outcome.typedFileName = seams.prompter.Input(kTitle, kFileNamePrompt).value_or("");
  return after;
}

// Appends the record to one file, retrying a busy one; true when it is on disk.
bool AppendStep(const std::string& path, const std::string& label, SaveSeams& seams,
                SaveOutcome& outcome, After& after) {
  if (seams.showStep) seams.showStep(label);
  for (int attempt = 0;; ++attempt) {
    const int error = seams.files.AppendLine(seams.paths.ToNative(path), outcome.record);
    if (error == 0) return true;
    const int number = ErrorNumber(error);
    const bool busy = number == 55 || number == 71;
    if (busy && attempt < seams.maxRetries) {
      seams.prompter.Message(kTitle, "File not ready. Trying Again..." + label);
      if (seams.Delay) seams.Delay();
      continue;
    }
    after = ReportFailure(number, busy, label, seams, outcome);
    return false;
  }
}

std::vector<std::string> PicSaveLines(const SaveOutcome& outcome) {
  std::vector<std::string> lines = {"", "--------------- SESSION ENDED -----------------"};
  if (!outcome.failed.empty()) {
    std::string files;
    for (const auto& label : outcome.failed) files += label;
    lines.push_back(" RESULTS NOT SAVED TO:" + files);
    lines.push_back(" Tell the supervisor before you leave; use Save to USB to keep a copy.");
  }
  lines.insert(lines.end(), {" ", " Press QUIT to end..."});
  return lines;
}

}  // namespace

std::string RecordStudentNumber(const ModuleExamora& m) {
  const auto& rows = m.Students.rows;
  if (m.StudentIndex < 1 || static_cast<std::size_t>(m.StudentIndex) > rows.size()) return {};
  const std::string number = Trim(rows[static_cast<std::size_t>(m.StudentIndex) - 1].number);
  // All nine digits are kept: the student's file is named after them and the result
  // processor reads the number at fixed positions of the record.
  return number.find_first_not_of('0') == std::string::npos ? std::string() : number;
}

ResultsFields RecordFields(const ModuleExamora& m, float score, const std::string& answerCodes,
                           const LocalDateTime& now) {
  return {m.TestNumber,
          RecordStudentNumber(m),
          now,
          score,
          m.Bank.header.QuestionsToAsk,
          Trim(OriginalOrder3(answerCodes, m.Prepared.OrderPosition)),
          m.StudentId};
}

ResultsPaths ResultsPathsFor(const std::string& folder, const ResultsFields& fields) {
  const std::string test = std::to_string(fields.testNumber);
  return {folder + fields.studentNumber + ".txt", folder + "masterfile.txt",
          folder + "subject_files\\" + test + ".txt", folder + fields.studentNumber + "temp.txt"};
}

SaveOutcome WriteResults(const ModuleExamora& m, const ResultsFields& fields, SaveSeams& seams) {
  SaveOutcome outcome;
  outcome.record = Trim(ResultsRecord(fields));
  const ResultsPaths paths = ResultsPathsFor(m.StudentFilesFolder, fields);
  const std::pair<const char*, std::string> steps[] = {{kStudentFileStep, paths.studentFile},
                                                       {kMasterFileStep, paths.masterFile},
                                                       {kSubjectFileStep, paths.subjectFile}};
  After after = After::kNextFile;
  for (const auto& [label, path] : steps) {
    if (after == After::kStop) {
      outcome.failed.push_back(label);
    } else if (AppendStep(path, label, seams, outcome, after)) {
      outcome.written.push_back(label);
    } else {
      outcome.failed.push_back(label);
    }
  }
  outcome.picSaveLines = PicSaveLines(outcome);
  // QUIT and "Save to USB" are offered even after a failure: the USB copy may be all that is
  // left of the attempt, and a student must always be able to leave.
  outcome.showQuitButtons = true;
  return outcome;
}

SaveOutcome SaveResults(ModuleExamora& m, float score, const std::string& answerCodes,
                        const LocalDateTime& now, const DeploymentSettings& settings,
                        const Environment& env, SaveSeams& seams) {
  if (m.StudyMode) return {};
  SetStudentPaths(m, settings, env);
  return WriteResults(m, RecordFields(m, score, answerCodes, now), seams);
}

SaveOutcome OutcomeOfSave(const std::string& record, const std::vector<std::string>& written,
                          const std::vector<std::string>& failed) {
  SaveOutcome outcome;
  outcome.record = record;
  outcome.written = written;
  outcome.failed = failed;
  outcome.picSaveLines = PicSaveLines(outcome);
  outcome.showQuitButtons = true;
  return outcome;
}

void ShowSaveOutcome(std::vector<std::string>& endScreen, const SaveOutcome& outcome) {
  if (outcome.Complete()) return;
  const auto line = std::find(endScreen.begin(), endScreen.end(), " EXAM MODE. Mark was recorded");
  if (line == endScreen.end()) return;
  *line = outcome.written.empty() ? " EXAM MODE. Mark was NOT recorded"
                                  : " EXAM MODE. Mark was NOT recorded in every file";
}

BackupResult Backup(const ModuleExamora& m, const ResultsFields& fields,
                    std::string& LastBackupLine, ResultsFileSystem& files,
                    const PathMapper& paths) {
  if (m.StudyMode) return {};
  const std::string record = Trim(ResultsRecord(fields));
  if (record == LastBackupLine) return {};
  if (m.StudentFilesFolder.empty()) return {false, "no student files folder is set"};
  const std::string path = ResultsPathsFor(m.StudentFilesFolder, fields).backupFile;
  const std::string bytes = fields.studentNumber.empty() ? "" : record + "\r\n";
  const std::filesystem::path native = paths.ToNative(path);
  if (const int error = files.ReplaceFile(native, bytes)) {
    // Named, so whoever runs the room can see which folder is missing or full.
    return {false, "backup not written to \"" + native.string() + "\": " + std::strerror(error)};
  }
  LastBackupLine = record;
  return {true, {}};
}

bool BackupTimer::Tick(const std::string& answerCodes) {
  if (foreColour == kGrey) {
    foreColour = kBlack;
    txtGotit = "SAVING...";
    return true;
  }
  txtGotit = answerCodes;
  foreColour = kGrey;
  enabled = false;
  return false;
}

}  // namespace examora
