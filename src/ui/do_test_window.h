// DoTest: the window in which a test is taken. Its controls are bound to `DoTestModel`, which
// decides what each question shows and how each answer is marked.
#pragma once

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QWidget>
#include <array>
#include <memory>

#include "engine/dotest.h"
#include "formula/grapher.h"
#include "results/saving.h"
#include "ui/app_context.h"
#include "ui/held_prompter.h"
#include "ui/switch_timer.h"

namespace examora {

class BrowserPanel;
class GraphPanel;
class ProgressChart;
class frm_Info;

class DoTest : public QWidget {
 public:
  /// `testFolderName` is the chosen test's web sub-folder (its list line).
  DoTest(AppContext& app, std::string testFolderName, QWidget* parent = nullptr);
  ~DoTest() override;

  DoTestModel& model() { return *model_; }
  int SecondsLeft() const { return model_->SecondsLeft; }

  void Form_load();
  void Form_Resize();
  void Resizer();
  void ShowQuestion();
  void ShowPic();
  void cmdNext_Click();
  void cmdBack_Click();
  void opt_Click(int index);
  void cmdSubmit_Click();
  void cmd_OK2_Click();
  void cmdOK_Click();
  void cmd_OK3_Click();
  void cmd_OK4_Click();
  /// The prefix, unit and recent-unit lists follow their current row, whatever moved it.
  void List1_Click(int row);
  void List2_Click(int row);
  void ListRecent_Click(int row);
  void cmdConvert_Click();
  void cmdInfo_Click();
  /// The start timer: its tick presses `cmdNext`, showing question 1.
  void tmrDelay_Tick();
  bool DelayTimerEnabled() const { return tmrDelay_->enabled(); }
  /// Waits for the start timer's next tick (a pause before a retry), keeping the window
  /// responsive meanwhile.
  void Delay();
  /// The test clock's tick (one second).
  void second_Tick();
  bool ClockRunning() const { return second_->enabled(); }
  void tmr_redbox_Tick();
  /// After an answer: the backup of the results record (outside study mode).
  void tmr_backup_Tick();
  bool BackupTimerEnabled() const { return tmr_backup_->enabled(); }
  /// END: asks "Quit the test now ?" and ends the test on Yes.
  void cmdQuit_Click();
  void cmdQuitAll_Click();
  /// "Save to USB": the continuation record, enciphered to a file the student chooses.
  void cmdSaveUSB_Click();
  void cmdZoomUp_Click();
  void cmdZoomDown_Click();
  void picGraph_MouseMove(int button, double x, double y);
  Grapher& grapher() { return grapher_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A window the test window opens beside itself, fitted to the session it runs in.
  template <typename Window>
  std::unique_ptr<Window> Companion(std::unique_ptr<Window> window);
  void BuildControls();
  void ApplyDoTestAccessibility();
  QGroupBox* BuildNumericPanel();
  QGroupBox* BuildMultiSelectPanel();
  QGroupBox* BuildOneWordPanel();
  QGroupBox* BuildMatchPanel();
  void ShowUnitLabels();
  /// Copies every answer control into the model: each confirm calls it before marking.
  void ReadAnswerControls();
  void AfterMarking();
  /// Copies the model's window view (banner, notices, clock, score, chart, what acts).
  void ShowWindowState();
  void ShowEndScreen();
  /// Exam sittings: the journal (or the replay of an interrupted sitting), the backup after
  /// each answer and the saving at the end.
  void StartExamRecording();
  void FollowTheRecordsClock();
  /// Every confirm: the answer controls into the model, then the confirm itself, journalled
  /// in exam sittings; true when the question was marked.
  bool Confirm(const std::function<bool()>& confirm);
  int ticksSinceAsked_ = 0;

  AppContext& app_;
  HeldPrompter held_;  // the model's boxes; held back while an exam answer is journalled
  std::string testFolderName_;
  std::unique_ptr<DoTestModel> model_;
  std::unique_ptr<SwitchTimer> tmrDelay_, second_, tmr_redbox_, tmr_backup_;
  std::unique_ptr<frm_Info> info_;
  std::unique_ptr<QWidget> converter_;
  BackupTimer gotit_;
  std::string LastBackupLine;
  QLineEdit* txtGotit_;
  bool quitting_ = false;

  QLabel* lblNotAssessed_;  // says why a question offers nothing to answer
  QLabel *lblStem_, *lblNoPic_, *lblUnits_, *lblUnitsLong_, *lblMultiplier_;
  QLabel *lblCountdown_, *lblStudyMode_, *lblCompulsory_, *lbltheSolution_, *lblTheBaseUnit_;
  QScrollArea* answerArea_ = nullptr;  // holds the answer panels
  QGroupBox *Frame_numerical_, *Frame_Units_, *Frame_multiselect_, *Frame_oneword_, *Frame_Match_;
  ProgressChart* picResults_;
  GraphPanel* picGraph_;
  QWidget* RedBox_;
  Grapher grapher_;
  std::unique_ptr<class ForbiddenWindowProbe> probe_;
  QLabel *picSave_, *picStatistics_, *lblScore_, *lblMark_;
  QPushButton *cmdQuitAll_, *cmdSaveUSB_;
  QLineEdit* txtAnswer_;
  QListWidget *List1_, *List2_, *ListRecent_;
  std::array<QRadioButton*, 7> opt_{};  // 1 to 6
  std::array<QCheckBox*, 78> Check1_{};
  std::array<QLabel*, 6> lab1_{};
  std::array<QLineEdit*, 6> txtOneWord_{};
  std::array<QLabel*, 12> lblMatch_{};
  std::array<QLineEdit*, 12> txtMatch_{};
  QPushButton *cmdSubmit_, *cmdNext_, *cmdBack_, *cmdQuit_, *cmdZoomUp_, *cmdZoomDown_;
  QPushButton *cmdOK_, *cmd_OK2_, *cmd_OK3_, *cmd_OK4_, *cmdInfo_, *cmdConvert_;
  QLabel* lblGraphXY_;
  BrowserPanel* WebBrowser1_;
};

}  // namespace examora
