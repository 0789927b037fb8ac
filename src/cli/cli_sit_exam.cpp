#include "cli/cli_sit_exam.h"

#include <chrono>
#include <ostream>
#include <thread>

#include "app/students.h"
#include "common/error.h"
#include "common/numtext.h"
#include "common/text.h"
#include "platform/environment.h"

namespace examora::cli {
namespace {

std::string TimeText(int seconds) {
  const int s = std::max(seconds, 0) % 60;
  return std::to_string(std::max(seconds, 0) / 60) + (s < 10 ? ":0" : ":") + std::to_string(s);
}

DeploymentSettings Settings(const Arguments& parsed) {
  SystemEnvironment env;
  std::vector<std::string> none;
  DeploymentSettings settings = LoadDeploymentSettings(none, env);
  if (auto key = parsed.Option("--journal-key")) settings.journalKeyFile = *key;
  return settings;
}

}  // namespace

ExamSitting::ExamSitting(const Arguments& parsed, ModuleExamora& m, std::ostream& err)
    : m_(m), paths_("C:\\", "/", {}, "/") {
  if (!parsed.Flag("--exam") || !parsed.Option("--students") || !parsed.Option("--student")) {
    throw UsageError("--save needs --exam, --students FILE and --student NUMBER");
  }
  m.Students = ReadStudentsCrypt(*parsed.Option("--students"));
  const std::string number = *parsed.Option("--student");
  m.StudentIndex = FindStudent(m.Students, number);
  if (m.StudentIndex == 0) {
    throw FormatError("Student number " + number + " is not in \"" + *parsed.Option("--students") +
                      "\"");
  }
  const StudentRow& row = m.Students.rows[static_cast<std::size_t>(m.StudentIndex) - 1];
  m.StudentId = Trim(row.firstName + " " + row.lastName);
  m.StudentName = number;
  folder_ = *parsed.Option("--save");
  m.StudentFilesFolder = FolderWithSeparator(folder_.string());
  key_ = LoadOrCreateJournalKey(Settings(parsed).journalKeyFile);
  resume_ = FindResumableJournal(folder_, RecordStudentNumber(m), m.Bank, m.TestNumber,
                                 SystemClock().Now(), key_);
  if (!resume_.message.empty()) err << "examora-cli: " << resume_.message << '\n';
  if (resume_.status == ResumeCheck::Status::kBroken) {
    // Kept for whoever looks into it; the new sitting starts a journal of its own.
    const auto path = JournalPath(folder_, RecordStudentNumber(m), m.TestNumber);
    std::filesystem::rename(path, std::filesystem::path(path) += ".broken");
  }
}

std::optional<std::uint64_t> ExamSitting::ResumeSeed() const {
  if (resume_.status != ResumeCheck::Status::kResumable) return std::nullopt;
  return resume_.content.identity.seed;
}

void ExamSitting::Begin(DoTestModel& model, std::uint64_t seed, const TextAnswerEntry& enterText,
                        std::ostream& out) {
  const auto path = JournalPath(folder_, RecordStudentNumber(m_), m_.TestNumber);
  if (ResumeSeed()) {
    ReplayJournal(model, m_, resume_.content, enterText);
    journal_ = std::make_unique<SittingJournal>(files_, path, key_, resume_.content);
    out << "resumed: " << resume_.content.answers.size() << " answers, time left "
        << TimeText(model.SecondsLeft) << '\n';
  } else {
    const SittingIdentity id{
        RecordStudentNumber(m_),  m_.TestNumber, m_.TestName,
        BankFingerprint(m_.Bank), seed,          SerialSeconds(SystemClock().Now()),
        model.SecondsLeft};
    journal_ = std::make_unique<SittingJournal>(files_, path, key_, id);
  }
  model.SaveResults = [this, &model] {
    SaveSeams seams{files_,
                    prompter_,
                    paths_,
                    [] { std::this_thread::sleep_for(std::chrono::milliseconds(250)); },
                    {}};
    const ResultsFields fields =
        RecordFields(m_, model.progress.Score, model.progress.AnswerCodes, SystemClock().Now());
    outcome_ = WriteResults(m_, fields, seams);
    // The screen shows the record as saved, student number included.
    model.ResultsLine = ResultsRecord(fields, true);
    if (!model.endScreen.empty()) model.endScreen.back() = model.ResultsLine;
    ShowSaveOutcome(model.endScreen, outcome_);
    model.endScreen.insert(model.endScreen.end(), outcome_.picSaveLines.begin(),
                           outcome_.picSaveLines.end());
    saved_ = true;
    // Only a record safely in every file closes the journal; until then it can be carried on.
    if (outcome_.Complete()) journal_->Finish();
    return outcome_.Complete();
  };
}

void ExamSitting::Journal(const DoTestModel& model, int position, const std::string& text) {
  journal_->Append({position, model.SecondsLeft, true, {text}});
  const BackupResult backup = Backup(
      m_, RecordFields(m_, model.progress.Score, model.progress.AnswerCodes, SystemClock().Now()),
      lastBackupLine_, files_, paths_);
  if (!backup.error.empty()) throw FileError(backup.error);
}

int ExamSitting::Report(std::ostream& out, std::ostream& err) const {
  for (const auto& message : prompter_.messages) err << Cp1252ToUtf8(message) << '\n';
  if (!saved_ || !outcome_.Complete()) {
    err << "examora-cli: the results were not saved in every file\n";
    return 1;
  }
  out << "saved: " << Cp1252ToUtf8(outcome_.record) << '\n';
  return 0;
}

}  // namespace examora::cli
