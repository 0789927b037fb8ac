#include "ui/do_test_window.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "common/numtext.h"
#include "platform/window_probe.h"
#include "results/progress.h"
#include "ui/browser_panel.h"
#include "ui/graph_panel.h"
#include "ui/info_window.h"
#include "ui/progress_chart.h"
#include "ui/qtext.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontDatabase>

namespace examora {
DoTest::DoTest(AppContext& app, std::string testFolderName, QWidget* parent)
    : QWidget(parent), app_(app), testFolderName_(std::move(testFolderName)) {
  setObjectName(QStringLiteral("DoTest"));
  model_ = std::make_unique<DoTestModel>(app.m, app.prompter, app.random, app.clock);
  tmrDelay_ = std::make_unique<SwitchTimer>(this, QStringLiteral("tmrDelay"), 250, app.manualTimers,
                                            [this] { tmrDelay_Tick(); });
  second_ = std::make_unique<SwitchTimer>(this, QStringLiteral("second"), 1000, app.manualTimers,
                                          [this] { second_Tick(); });
  tmr_redbox_ = std::make_unique<SwitchTimer>(this, QStringLiteral("tmr_redbox"), 250,
                                              app.manualTimers, [this] { tmr_redbox_Tick(); });
  tmr_backup_ = std::make_unique<SwitchTimer>(this, QStringLiteral("tmr_backup"), 500,
                                              app.manualTimers, [this] { tmr_backup_Tick(); });
  model_->StartBackup = [this] { tmr_backup_->SetEnabled(true); };
  model_->onBuildBars = [this] { ShowProgress(); };
  model_->onEndtheTest = [this] { ShowEndScreen(); };
  probe_ = std::make_unique<X11WindowProbe>();
  model_->spreadsheetOpen = [this] { return probe_->SpreadsheetOpen(); };
  BuildControls();
}

DoTest::~DoTest() = default;

void DoTest::Form_load() {
  ModuleExamora& m = app_.m;
  const TestHeader& h = m.Bank.header;
  model_->SecondsLeft = TestSeconds(h.QuestionsToAsk, h.MinutesPerQuestion);
  lblCountdown_->setText(ToQString(CountdownText(model_->SecondsLeft)));
  cmdNext_->setEnabled(true);
  picSave_->hide();
  second_->SetEnabled(true);
  if (m.StudyMode) {
    setWindowTitle(ToQString(m.VersionText + "   |   STUDY MODE  (Not Recorded)    |      " +
                             SpacedNumber(m.TestNumber) + " " + m.TestName));
    lblStudyMode_->show();
    QPalette teal = picResults_->palette();
    teal.setColor(QPalette::Window, QColor(0x00, 0x80, 0x80));
    picResults_->setPalette(teal);
  } else {
    setWindowTitle(ToQString(m.VersionText + "  |  EXAM MODE (Recorded)  |   " + m.StudentId +
                             "   |   " + SpacedNumber(m.TestNumber) + " " + m.TestName +
                             "   |   Pass Mark = " + SpacedNumberSingle(h.PassMark)));
    lblStudyMode_->hide();
  }
  if (h.Compulsory) {
    lblCompulsory_->setText(QStringLiteral("COMPULSORY: You must do every question to finish."));
    cmdQuit_->setEnabled(false);
  } else {
    lblCompulsory_->setText(QStringLiteral("NON-COMPULSORY: You may leave questions out. "));
  }
  if (m.StudyMode) {
    lblStem_->setStyleSheet(QStringLiteral("color: #008000;"));
    cmdQuit_->setEnabled(true);
  }
  List2_->clear();
  for (const auto& line : model_->UnitListLines()) List2_->addItem(ToQString(line));
  List2_->setCurrentRow(-1);
  List1_->clear();
  for (const auto& line : model_->PrefixListLines()) List1_->addItem(ToQString(line));
  List1_->setCurrentRow(4);
  ListRecent_->clear();
  for (int r = 0; r < 8; ++r)
    ListRecent_->addItem(ToQString(model_->RecentUnitText[static_cast<std::size_t>(r)]));
  tmrDelay_->SetEnabled(true);
  for (QCheckBox* box : Check1_) box->hide();
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen && screen->geometry().width() > 1190) {
    resize(screen->geometry().width(), height());
    Resizer();
  }
}

void DoTest::Resizer() {
  // The layouts keep the right-hand column against the window's right edge at every width;
  // the results strip only needs redrawing.
  picResults_->update();
}

void DoTest::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Resizer();
}

void DoTest::second_Tick() {
  if (model_->TestEnded != 0) return;
  const bool ended = model_->second_Tick();
  lblCountdown_->setText(ToQString(CountdownText(model_->SecondsLeft)));
  if (ended) {
    for (int k = 1; k <= 6; ++k) opt_[static_cast<std::size_t>(k)]->setEnabled(false);
  } else if (model_->SecondsLeft < 30) {
    tmr_redbox_->SetEnabled(true);
    lblCountdown_->setStyleSheet(QStringLiteral("color: #FF0000;"));
  }
}

void DoTest::Delay() {
  tmrDelay_->SetEnabled(true);
  if (app_.manualTimers) {
    tmrDelay_Tick();  // a test's timers tick only when told to
    return;
  }
  // The window goes on painting and ticking while it waits, unlike a busy poll.
  QEventLoop wait;
  QTimer poll;
  connect(&poll, &QTimer::timeout, &wait, [&] {
    if (!tmrDelay_->enabled()) wait.quit();
  });
  poll.start(10);
  wait.exec();
}

void DoTest::tmr_backup_Tick() {
  tmr_backup_->SetEnabled(false);
  if (!app_.m.StudyMode && model_->Backup) model_->Backup();
}

void DoTest::tmr_redbox_Tick() {
  RedBox_->setVisible(!RedBox_->isVisible());
}

void DoTest::ShowProgress() {
  const ProgressFigures& f = model_->progress;
  lblScore_->setText(ToQString(FormatGeneralSingle(f.Score)));
  const QString colour =
      f.passing ? QStringLiteral("color: #00FF00;") : QStringLiteral("color: #FFFF80;");
  lblScore_->setStyleSheet(colour);
  lblMark_->setStyleSheet(colour);
  picStatistics_->setText(ToQString(f.statisticsLine));
  const Sitting& s = app_.m.Prepared;
  picResults_->SetQuestions(
      std::vector<std::string>(
          s.QuestionText.begin(),
          s.QuestionText.begin() +
              std::min<std::size_t>(s.QuestionText.size(), model_->ResultCode.size())),
      model_->ResultCode);
}

void DoTest::ShowEndScreen() {
  second_->SetEnabled(false);
  WebBrowser1_->hide();
  for (QWidget* w : std::initializer_list<QWidget*>{cmdNext_, cmdQuit_, cmdSubmit_, cmdBack_,
                                                    txtAnswer_, List1_, List2_}) {
    w->setEnabled(false);
  }
  for (const char* name : {"cmdCheat", "cmdOK", "cmdInfo", "cmdConvert"}) {
    if (auto* w = findChild<QWidget*>(QLatin1String(name))) w->setEnabled(false);
  }
  picGraph_->hide();
  cmdZoomUp_->hide();
  cmdZoomDown_->hide();
  for (int k = 1; k <= 6; ++k) opt_[static_cast<std::size_t>(k)]->setEnabled(false);
  for (QWidget* frame :
       {static_cast<QWidget*>(Frame_numerical_), static_cast<QWidget*>(Frame_multiselect_),
        static_cast<QWidget*>(Frame_oneword_), static_cast<QWidget*>(Frame_Match_)}) {
    frame->hide();
  }
  lblStem_->hide();
  QStringList lines;
  for (const auto& line : model_->endScreen) lines << ToQString(line);
  picSave_->setText(lines.join(QLatin1Char('\n')));
  picSave_->show();
  // QUIT is always offered once the test has ended: closing the window keeps the summary up.
  cmdQuitAll_->show();
  if (app_.m.StudyMode) {
    cmdSaveUSB_->show();
    cmdSaveUSB_->setEnabled(app_.m.ContinueAllowed);
  }
}

void DoTest::cmdZoomUp_Click() {
  if (grapher_.ZoomIn()) picGraph_->SetView(grapher_.RedrawGraph());
}

void DoTest::cmdZoomDown_Click() {
  if (grapher_.ZoomOut()) picGraph_->SetView(grapher_.RedrawGraph());
}

void DoTest::picGraph_MouseMove(int button, double x, double y) {
  if (grapher_.Pan(button, x, y)) picGraph_->SetView(grapher_.RedrawGraph());
}

void DoTest::cmdQuit_Click() {
  if (app_.prompter.Message("Quitting Test", "Quit the test now ?", MessageButtons::YesNo,
                            MessageIcon::Critical) == MessageAnswer::Yes) {
    model_->EndtheTest();
  }
}

void DoTest::cmdQuitAll_Click() {
  quitting_ = true;
  close();
  QApplication::quit();
}

void DoTest::closeEvent(QCloseEvent* event) {
  // Closing ends the test first (again redraws, saving nothing twice), then keeps its summary
  // on screen until QUIT.
  model_->EndtheTest();
  if (quitting_) {
    event->accept();
  } else {
    event->ignore();
  }
}

void DoTest::tmrDelay_Tick() {
  tmrDelay_->SetEnabled(false);
  cmdNext_->click();
}

void DoTest::ShowUnitLabels() {
  lblUnits_->setText(ToQString(model_->lblUnits));
  lblUnitsLong_->setText(ToQString(model_->lblUnitsLong));
  lblMultiplier_->setText(ToQString(model_->lblMultiplier));
  lbltheSolution_->setText(ToQString(model_->lbltheSolution));
  lblTheBaseUnit_->setText(ToQString(model_->lblTheBaseUnit));
  List1_->setCurrentRow(model_->prefixPosition);
  List2_->setCurrentRow(model_->unitPosition);
  ListRecent_->clear();
  for (int r = 0; r < 8; ++r)
    ListRecent_->addItem(ToQString(model_->RecentUnitText[static_cast<std::size_t>(r)]));
}

void DoTest::ShowQuestion() {
  const QuestionView view = model_->ShowQuestion();
  Frame_numerical_->setVisible(view.panel == Panel::kNumeric);
  Frame_multiselect_->setVisible(view.panel == Panel::kMultiSelect);
  Frame_oneword_->setVisible(view.panel == Panel::kOneWord);
  Frame_Match_->setVisible(view.panel == Panel::kMatching);
  lblStem_->setText(ToQString(view.stem));
  cmdSubmit_->setVisible(view.panel == Panel::kMultiSelect || view.panel == Panel::kMultipleChoice);
  for (int k = 1; k <= 6; ++k) opt_[static_cast<std::size_t>(k)]->hide();
  switch (view.panel) {
    case Panel::kNumeric:
      Frame_Units_->setVisible(view.unitsPanel);
      txtAnswer_->clear();
      txtAnswer_->setFocus();
      ShowUnitLabels();
      break;
    case Panel::kMultiSelect:
      for (int b = 0; b < 78; ++b) Check1_[static_cast<std::size_t>(b)]->setVisible(b < view.boxes);
      break;
    case Panel::kOneWord:
      for (int k = 0; k < 6; ++k) {
        lab1_[static_cast<std::size_t>(k)]->setVisible(k < view.words);
        txtOneWord_[static_cast<std::size_t>(k)]->setVisible(k < view.words);
        txtOneWord_[static_cast<std::size_t>(k)]->clear();
      }
      break;
    case Panel::kMatching:
      for (int k = 0; k < 12; ++k) {
        const bool shown = k < static_cast<int>(view.matchPrompts.size());
        lblMatch_[static_cast<std::size_t>(k)]->setVisible(shown);
        txtMatch_[static_cast<std::size_t>(k)]->setVisible(shown);
        if (shown)
          lblMatch_[static_cast<std::size_t>(k)]->setText(
              ToQString(view.matchPrompts[static_cast<std::size_t>(k)]));
      }
      break;
    case Panel::kMultipleChoice:
      for (int k = 1; k <= static_cast<int>(view.options.size()); ++k) {
        QRadioButton* option = opt_[static_cast<std::size_t>(k)];
        option->setText(ToQString(view.options[static_cast<std::size_t>(k) - 1]));
        option->show();
        option->setEnabled(true);
        const bool picked = k == view.picked;
        QFont font = option->font();
        font.setBold(picked);
        option->setFont(font);
        option->setStyleSheet(picked ? QStringLiteral("color: #000000;")
                                     : QStringLiteral("color: #800000;"));
        option->setAutoExclusive(false);
        option->setChecked(picked);
        option->setAutoExclusive(true);
      }
      if (view.picked > 0) {
        cmdNext_->setEnabled(true);
        cmdBack_->setEnabled(true);
        cmdSubmit_->setEnabled(true);
      }
      break;
  }
}

void DoTest::ShowPic() {
  const PictureView view = model_->ShowPic(testFolderName_);
  picGraph_->setVisible(view.graph);
  cmdZoomUp_->setVisible(view.graph);
  cmdZoomDown_->setVisible(view.graph);
  if (view.graph) {
    picGraph_->SetView(grapher_.SetUpGraph(view.entry, app_.m.Formulas, app_.m.CurrentQuestion));
    cmdZoomUp_->setEnabled(!grapher_.ZoomLocked);
    cmdZoomDown_->setEnabled(!grapher_.ZoomLocked);
    return;
  }
  lblNoPic_->setText(ToQString(view.lblNoPic));
  lblNoPic_->show();
  WebBrowser1_->Navigate(QUrl(ToQString(view.address)));
  lblNoPic_->hide();
}

void DoTest::cmdNext_Click() {
  if (!model_->GetNext(1)) return;
  cmdNext_->setEnabled(true);
  cmdBack_->setEnabled(true);
  cmdNext_->setFocus();
  ShowPic();
  ShowQuestion();
}

void DoTest::cmdBack_Click() {
  if (!model_->GetNext(-1)) return;
  ShowPic();
  ShowQuestion();
  ShowQuestion();
}

void DoTest::opt_Click(int index) {
  model_->opt_Click(index);
  ShowQuestion();
  cmdSubmit_->setEnabled(true);
}

void DoTest::AfterMarking() {
  ShowUnitLabels();
  for (QCheckBox* box : Check1_) box->setChecked(false);
  for (QLineEdit* box : txtOneWord_) box->clear();
  for (QLineEdit* box : txtMatch_) box->clear();
  // The test ends when every question is answered; until then the next open one is shown.
  if (model_->AnsweredCount < model_->QuestionsToAsk()) {
    ShowPic();
    ShowQuestion();
  }
}

void DoTest::cmdSubmit_Click() {
  const int before = model_->AnsweredCount;
  model_->Submitter();
  if (model_->AnsweredCount != before) AfterMarking();
}

void DoTest::cmd_OK2_Click() {
  for (std::size_t b = 0; b < Check1_.size(); ++b) model_->Check1[b] = Check1_[b]->isChecked();
  model_->Submitter();
  AfterMarking();
}

void DoTest::cmdOK_Click() {
  model_->txtAnswer = FromQString(txtAnswer_->text());
  if (model_->cmdOK_Click(Frame_Units_->isVisible())) AfterMarking();
}

void DoTest::cmd_OK3_Click() {
  for (std::size_t k = 0; k < 6; ++k) model_->txtOneWord[k] = FromQString(txtOneWord_[k]->text());
  if (model_->cmd_OK3_Click()) AfterMarking();
}

void DoTest::cmd_OK4_Click() {
  for (std::size_t k = 0; k < 12; ++k) model_->txtMatch[k] = FromQString(txtMatch_[k]->text());
  if (model_->cmd_OK4_Click()) AfterMarking();
}

void DoTest::List1_Click() {
  model_->List1_Click(List1_->currentRow());
  ShowUnitLabels();
}

void DoTest::List2_Click() {
  model_->List2_Click(List2_->currentRow());
  ShowUnitLabels();
}

void DoTest::ListRecent_Click() {
  model_->ListRecent_Click(ListRecent_->currentRow());
  ShowUnitLabels();
}

void DoTest::cmdConvert_Click() {
  WebBrowser1_->Navigate(QUrl(ToQString(app_.m.WebBase + "info/convert.exe")));
}

void DoTest::cmdInfo_Click() {
  if (!info_) info_ = std::make_unique<frm_Info>(app_);
  info_->show();
}

bool DoTest::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtAnswer_ && event->type() == QEvent::KeyPress) {
    const QString text = static_cast<QKeyEvent*>(event)->text();
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      cmdOK_Click();
      return true;
    }
    if (text.size() == 1 && text[0].unicode() >= 32) {
      model_->txtAnswer_KeyPress(static_cast<char>(text[0].toLatin1()));
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace examora
