// The test window's recording of an exam sitting: the journal of confirmed answers (or the
// replay of an interrupted sitting), the backup after each answer, the saving at the end, and
// "Save to USB".
#include "common/error.h"
#include "results/journal.h"
#include "results/keeper_protocol.h"
#include "results/results_files.h"
#include "results/resume.h"
#include "results/save_to_usb.h"
#include "ui/do_test_window.h"
#include "ui/qtext.h"

namespace examora {

void DoTest::StartExamRecording() {
  ModuleExamora& m = app_.m;
  if (m.StudyMode || !m.Exam || !m.Records) return;
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
    }
  } catch (const Error& e) {
    held_.Discard();
    app_.prompter.Message("Examora", e.what(), MessageButtons::Ok, MessageIcon::Warning);
  }
  // The deadline is the records': the clock here shows what they allow.
  model_->SecondsLeft = exam.secondsLeft;
  // The records keep their own backup after every answer.
  model_->Backup = [] {};
  model_->SaveResults = [this] {
    SaveReport report;
    try {
      report = app_.m.Records->End();
    } catch (const Error& e) {
      app_.prompter.Message("Examora", e.what(), MessageButtons::Ok, MessageIcon::Warning);
      report.failed = ResultsFileLabels();
    }
    // Each file the record missed is named as the save has always named it.
    for (std::size_t i = 0; i < report.failed.size(); ++i) {
      const int number = i < report.errorNumbers.size() ? report.errorNumbers[i] : 75;
      app_.prompter.Message("Examora", SaveFailureText(number, report.failed[i]));
      app_.prompter.Input("Examora", "Enter the name of the file");  // kept, never a path
    }
    const SaveOutcome outcome = OutcomeOfSave(report.record, report.written, report.failed);
    if (!report.record.empty()) {
      model_->ResultsLine = " " + report.record;
      if (!model_->endScreen.empty()) model_->endScreen.back() = model_->ResultsLine;
    }
    ShowSaveOutcome(model_->endScreen, outcome);
    model_->endScreen.insert(model_->endScreen.end(), outcome.picSaveLines.begin(),
                             outcome.picSaveLines.end());
    return outcome.Complete();
  };
}

bool DoTest::Confirm(const std::function<bool()>& confirm) {
  ReadAnswerControls();
  ModuleExamora& m = app_.m;
  if (m.StudyMode || !m.Records || !m.Exam) return confirm();
  // The records mark and keep the answer first; only then does this side mark it and show its
  // boxes, so a crash while one is open has lost nothing.
  const JournalAnswer answer = CaptureAnswer(*model_, m);
  AnswerVerdict verdict;
  try {
    verdict = m.Records->Answer(answer);
  } catch (const Refused& e) {
    app_.prompter.Message("Examora", e.what(), MessageButtons::Ok, MessageIcon::Warning);
    if (std::string(e.what()).starts_with("The time is up")) model_->EndtheTest();
    return false;
  } catch (const Error& e) {
    app_.prompter.Message("Examora", e.what(), MessageButtons::Ok, MessageIcon::Warning);
    return false;
  }
  model_->SecondsLeft = verdict.secondsLeft;
  return ConfirmAnswer(*model_, m, answer);
}

void DoTest::FollowTheRecordsClock() {
  ModuleExamora& m = app_.m;
  // Every half minute the records say how long is left: a teacher's extension shows here, and
  // this clock never runs ahead of the deadline. A silent keeper leaves the clock as it is.
  if (m.StudyMode || !m.Records || !m.Exam || model_->Ended() || ++ticksSinceAsked_ < 30) return;
  ticksSinceAsked_ = 0;
  try {
    model_->SecondsLeft = m.Records->SecondsLeft();
  } catch (const Error&) {
  }
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
  const UsbSaveResult saved = examora::cmdSaveUSB_Click(fields, FromQString(lblCountdown_->text()),
                                                        app_.prompter, UsbStartFolder(app_.env));
  if (!saved.record.empty()) model_->ResultsLine = saved.record;
  if (!saved.error.empty()) {
    app_.prompter.Message("Save to USB", saved.error, MessageButtons::Ok, MessageIcon::Warning);
  }
}

}  // namespace examora
