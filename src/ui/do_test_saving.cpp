// The test window's recording of an exam sitting: the journal of confirmed answers (or the
// replay of an interrupted sitting), the backup after each answer, the saving at the end, and
// "Save to USB".
#include "common/error.h"
#include "results/journal.h"
#include "results/results_files.h"
#include "results/resume.h"
#include "results/save_to_usb.h"
#include "ui/do_test_window.h"
#include "ui/qtext.h"

namespace examora {

void DoTest::StartExamRecording() {
  ModuleExamora& m = app_.m;
  if (m.StudyMode || !m.Exam) return;
  files_ = std::make_unique<DiskResultsFileSystem>();
  const ExamStart& exam = *m.Exam;
  try {
    if (exam.resume) {
      held_.Hold();  // what was said about these answers the first time is not said again
      ReplayJournal(*model_, m, *exam.resume);
      held_.Discard();
      // Back one open question, so that the start timer's Next shows the one the student was
      // on rather than the one after it.
      do {
        m.CurrentQuestion =
            m.CurrentQuestion > 1 ? m.CurrentQuestion - 1 : model_->QuestionsToAsk();
      } while (model_->QuestionState[static_cast<std::size_t>(m.CurrentQuestion)] >= 8 &&
               !model_->Ended());
      journal_ =
          std::make_unique<SittingJournal>(*files_, exam.journalPath, exam.key, *exam.resume);
    } else {
      const SittingIdentity identity{
          RecordStudentNumber(m),  m.TestNumber, m.TestName,
          BankFingerprint(m.Bank), exam.seed,    SerialSeconds(app_.clock.Now()),
          model_->SecondsLeft};
      journal_ = std::make_unique<SittingJournal>(*files_, exam.journalPath, exam.key, identity);
    }
  } catch (const Error& e) {
    held_.Discard();
    // The sitting goes on and is saved at the end; only carrying it on after a crash is lost.
    app_.prompter.Message("Examora", std::string(e.what()) + ". The sitting is not journalled.",
                          MessageButtons::Ok, MessageIcon::Warning);
  }
  model_->Backup = [this] {
    ModuleExamora& mm = app_.m;
    const auto paths = app_.settings.Paths();
    const BackupResult backup = examora::Backup(
        mm,
        RecordFields(mm, model_->progress.Score, model_->progress.AnswerCodes, app_.clock.Now()),
        LastBackupLine, *files_, paths);
    if (!backup.error.empty()) {
      app_.prompter.Message("Examora", backup.error, MessageButtons::Ok, MessageIcon::Warning);
    }
  };
  model_->SaveResults = [this] {
    const auto paths = app_.settings.Paths();
    SaveSeams seams{*files_, app_.prompter, paths, [this] { Delay(); }, {}};
    const SaveOutcome outcome =
        examora::SaveResults(app_.m, model_->progress.Score, model_->progress.AnswerCodes,
                             app_.clock.Now(), app_.settings, app_.env, seams);
    ShowSaveOutcome(model_->endScreen, outcome);
    model_->endScreen.insert(model_->endScreen.end(), outcome.picSaveLines.begin(),
                             outcome.picSaveLines.end());
    // Only a record safely in every file closes the journal: until then the sitting can still
    // be carried on, and its answers are not lost.
    if (journal_ && outcome.Complete()) journal_->Finish();
    return outcome.Complete();
  };
}

bool DoTest::Confirm(const std::function<bool()>& confirm) {
  ReadAnswerControls();
  if (!journal_) return confirm();
  // The marking boxes wait until the answer is in the journal: a crash while one is open
  // must not lose an answer already marked.
  held_.Hold();
  bool marked = true;
  try {
    marked = ConfirmAndJournal(*model_, app_.m, journal_.get());
  } catch (const Error& e) {
    // Marked all the same; the student is told the journal could not keep it.
    held_.Release();
    app_.prompter.Message("Examora", e.what(), MessageButtons::Ok, MessageIcon::Warning);
    return true;
  }
  held_.Release();
  return marked;
}

void DoTest::tmr_backup_Tick() {
  if (gotit_.Tick(model_->progress.AnswerCodes) && !app_.m.StudyMode && model_->Backup) {
    model_->Backup();
  }
  txtGotit_->setText(ToQString(gotit_.txtGotit));
  txtGotit_->setStyleSheet(QStringLiteral("background-color: #E0E0E0; color: %1;")
                               .arg(gotit_.foreColour == BackupTimer::kGrey
                                        ? QStringLiteral("#A0A0A0")
                                        : QStringLiteral("#000000")));
  tmr_backup_->SetEnabled(gotit_.enabled);
}

void DoTest::cmdSaveUSB_Click() {
  ModuleExamora& m = app_.m;
  const ResultsFields fields =
      RecordFields(m, model_->progress.Score, model_->progress.AnswerCodes, app_.clock.Now());
  const UsbSaveResult saved =
      examora::cmdSaveUSB_Click(fields, FromQString(lblCountdown_->text()), app_.prompter);
  if (!saved.record.empty()) model_->ResultsLine = saved.record;
  if (!saved.error.empty()) {
    app_.prompter.Message("Save to USB", saved.error, MessageButtons::Ok, MessageIcon::Warning);
  }
}

}  // namespace examora
