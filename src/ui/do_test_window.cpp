#include "ui/do_test_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontDatabase>
#include <QGridLayout>
#include <QKeyEvent>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include <unistd.h>

#include "app/exam_session.h"
#include "common/numtext.h"
#include "platform/window_probe.h"
#include "results/journal.h"
#include "results/progress.h"
#include "results/results_files.h"
#include "ui/browser_panel.h"
#include "ui/graph_panel.h"
#include "ui/info_window.h"
#include "ui/progress_chart.h"
#include "ui/qtext.h"
#include "ui/screen_fit.h"
#include "ui/unit_converter.h"

namespace examora {
DoTest::DoTest(AppContext& app, std::string testFolderName, QWidget* parent)
    : QWidget(parent), app_(app), held_(app.prompter), testFolderName_(std::move(testFolderName)) {
  setObjectName(QStringLiteral("DoTest"));
  model_ = std::make_unique<DoTestModel>(app.m, held_, app.random, app.clock, app.env);
  tmrDelay_ = std::make_unique<SwitchTimer>(this, QStringLiteral("tmrDelay"), 250, app.manualTimers,
                                            [this] { tmrDelay_Tick(); });
  second_ = std::make_unique<SwitchTimer>(this, QStringLiteral("second"), 1000, app.manualTimers,
                                          [this] { second_Tick(); });
  tmr_redbox_ = std::make_unique<SwitchTimer>(this, QStringLiteral("tmr_redbox"), 250,
                                              app.manualTimers, [this] { tmr_redbox_Tick(); });
  tmr_backup_ = std::make_unique<SwitchTimer>(this, QStringLiteral("tmr_backup"), 500,
                                              app.manualTimers, [this] { tmr_backup_Tick(); });
  model_->StartBackup = [this] {
    gotit_.Start();
    tmr_backup_->SetEnabled(true);
  };
  model_->onBuildBars = [this] { ShowWindowState(); };
  model_->onEndtheTest = [this] { ShowEndScreen(); };
  probe_ = std::make_unique<X11WindowProbe>();
  // In the exam session the display holds this program alone; a spreadsheet the student opens
  // in a second session beside it shows up among their processes.
  const bool examSession = InExamSession(app.env);
  model_->spreadsheetOpen = [this, examSession] {
    return probe_->SpreadsheetOpen() || (examSession && UserRunsSpreadsheet("/proc", ::getuid()));
  };
  BuildControls();
}

DoTest::~DoTest() = default;

void DoTest::Form_load() {
  model_->SecondsLeft = TestSeconds(app_.m.Bank.header.TestMinutes);
  cmdNext_->setEnabled(true);
  picSave_->hide();
  second_->SetEnabled(true);
  {
    const QSignalBlocker blockUnits(List2_), blockPrefixes(List1_);
    List2_->clear();
    for (const auto& line : model_->UnitListLines()) List2_->addItem(ToQString(line));
    List2_->setCurrentRow(-1);
    List1_->clear();
    for (const auto& line : model_->PrefixListLines()) List1_->addItem(ToQString(line));
    List1_->setCurrentRow(4);
  }
  ShowUnitLabels();
  ShowWindowState();
  StartExamRecording();
  ShowWindowState();
  tmrDelay_->SetEnabled(true);
  for (QCheckBox* box : Check1_) box->hide();
  // A wide screen gives the test its whole width; a small one never gets more than it has.
  const int freeWidth = FreeArea(*this).width();
  if (freeWidth > 1190) {
    FitToScreen(*this, QSize(freeWidth, height()));
    Resizer();
  }
}

void DoTest::Form_Resize() {
  Resizer();
}

void DoTest::Resizer() {
  // The layouts keep the right-hand column against the window's right edge at every width;
  // the results strip only needs redrawing.
  picResults_->update();
}

void DoTest::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Form_Resize();
}

void DoTest::second_Tick() {
  FollowTheRecordsClock();
  model_->second_Tick();
  ShowWindowState();
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

void DoTest::tmr_redbox_Tick() {
  RedBox_->setVisible(!RedBox_->isVisible());
}

namespace {

QString CssColour(std::uint32_t rgb) {
  return QStringLiteral("#%1").arg(rgb, 6, 16, QLatin1Char('0'));
}

// The statistics line may break only between its phrases, never inside one.
QString Unbroken(const std::vector<std::string>& phrases) {
  QStringList parts;
  // No break at a blank (no-break space) nor after a "/" (a word joiner follows it).
  for (const auto& phrase : phrases) {
    parts << ToQString(phrase)
                 .replace(' ', QChar(0x00A0))
                 .replace(QLatin1Char('/'), QStringLiteral("/\u2060"));
  }
  return parts.join(QStringLiteral("   "));
}

}  // namespace

void DoTest::ShowWindowState() {
  const TestWindowView v = model_->WindowView();
  setWindowTitle(ToQString(v.caption));
  lblStudyMode_->setVisible(v.studyNotice);
  QPalette chart = picResults_->palette();
  chart.setColor(QPalette::Window, QColor::fromRgb(v.chartBackground));
  picResults_->setPalette(chart);
  picResults_->SetColumns(v.chart);
  lblCompulsory_->setText(ToQString(v.compulsoryNotice));
  cmdQuit_->setEnabled(v.endButton);
  lblStem_->setStyleSheet(v.stemDarkGreen ? QStringLiteral("color: #008000;") : QString());
  lblCountdown_->setText(ToQString(v.countdown));
  lblCountdown_->setStyleSheet(v.countdownRed ? QStringLiteral("color: #FF0000;") : QString());
  if (v.redBoxBlinking && !tmr_redbox_->enabled()) tmr_redbox_->SetEnabled(true);
  lblScore_->setText(ToQString(v.score));
  const QString score = QStringLiteral("color: %1; background-color: %2;")
                            .arg(CssColour(v.scoreColour), CssColour(v.scoreBackground));
  lblScore_->setStyleSheet(score);
  lblMark_->setStyleSheet(score);
  picStatistics_->setText(Unbroken(v.statisticsPhrases));
  // Once the test has ended no control can hand in or change an answer.
  for (QWidget* w : std::initializer_list<QWidget*>{cmdOK_, cmd_OK2_, cmd_OK3_, cmd_OK4_,
                                                    txtAnswer_, List1_, List2_, ListRecent_,
                                                    cmdNext_, cmdBack_, cmdInfo_, cmdConvert_}) {
    w->setEnabled(v.answering);
  }
  if (!v.questionShown) {
    cmdSubmit_->hide();
    lblNotAssessed_->hide();
    for (int k = 1; k <= 6; ++k) opt_[static_cast<std::size_t>(k)]->hide();
  }
  if (!v.answering) {
    cmdSubmit_->setEnabled(false);
    for (int k = 1; k <= 6; ++k) opt_[static_cast<std::size_t>(k)]->setEnabled(false);
    for (QCheckBox* box : Check1_) box->setEnabled(false);
    for (QLineEdit* box : txtOneWord_) box->setEnabled(false);
    for (QLineEdit* box : txtMatch_) box->setEnabled(false);
  }
  cmdQuitAll_->setVisible(v.quitAll);
  cmdSaveUSB_->setVisible(v.saveUsb);
  cmdSaveUSB_->setEnabled(v.saveUsbEnabled);
}

void DoTest::ShowEndScreen() {
  second_->SetEnabled(false);
  WebBrowser1_->hide();
  picGraph_->hide();
  cmdZoomUp_->hide();
  cmdZoomDown_->hide();
  lblGraphXY_->hide();
  for (QWidget* frame :
       {static_cast<QWidget*>(Frame_numerical_), static_cast<QWidget*>(Frame_multiselect_),
        static_cast<QWidget*>(Frame_oneword_), static_cast<QWidget*>(Frame_Match_)}) {
    frame->hide();
  }
  answerArea_->hide();
  if (auto* cheat = findChild<QWidget*>(QStringLiteral("cmdCheat"))) cheat->setEnabled(false);
  lblStem_->hide();
  QStringList lines;
  for (const auto& line : model_->endScreen) lines << ToQString(line);
  picSave_->setText(lines.join(QLatin1Char('\n')));
  picSave_->show();
  ShowWindowState();
}

void DoTest::cmdZoomUp_Click() {
  if (grapher_.ZoomIn()) picGraph_->SetView(grapher_.RedrawGraph());
}

void DoTest::cmdZoomDown_Click() {
  if (grapher_.ZoomOut()) picGraph_->SetView(grapher_.RedrawGraph());
}

void DoTest::picGraph_MouseMove(int button, double x, double y) {
  lblGraphXY_->setText(ToQString(Grapher::PointerText(x, y)));
  if (grapher_.Pan(button, x, y)) picGraph_->SetView(grapher_.RedrawGraph());
}

void DoTest::cmdQuit_Click() {
  model_->cmdQuit_Click();
}

void DoTest::cmdQuitAll_Click() {
  // The companions this window opened close with it.
  for (QWidget* companion :
       {static_cast<QWidget*>(converter_.get()), static_cast<QWidget*>(info_.get())}) {
    if (companion) companion->close();
  }
  quitting_ = true;
  close();
  QApplication::quit();
}

void DoTest::closeEvent(QCloseEvent* event) {
  // Closing ends the test only as the model allows (an exam asks as END does); the window
  // itself stays, with the test or its summary, until QUIT.
  model_->Form_QueryUnload();
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
  // Rows set here follow the model; they must not come back as a student's choice.
  const QSignalBlocker blockPrefixes(List1_), blockUnits(List2_), blockRecent(ListRecent_);
  List1_->setCurrentRow(model_->prefixPosition);
  List2_->setCurrentRow(model_->unitPosition);
  ListRecent_->clear();
  for (int r = 0; r < 8; ++r)
    ListRecent_->addItem(ToQString(model_->RecentUnitText[static_cast<std::size_t>(r)]));
  ListRecent_->setCurrentRow(-1);
}

void DoTest::ShowQuestion() {
  const QuestionView view = model_->ShowQuestion();
  Frame_numerical_->setVisible(view.panel == Panel::kNumeric);
  Frame_multiselect_->setVisible(view.panel == Panel::kMultiSelect);
  Frame_oneword_->setVisible(view.panel == Panel::kOneWord);
  Frame_Match_->setVisible(view.panel == Panel::kMatching);
  lblStem_->setText(ToQString(view.stem));
  lblNotAssessed_->setText(ToQString(view.notice));
  lblNotAssessed_->setVisible(!view.notice.empty());
  cmdSubmit_->setVisible(view.cmdSubmit);
  cmdSubmit_->setEnabled(view.cmdSubmitEnabled);
  for (int k = 1; k <= 6; ++k) opt_[static_cast<std::size_t>(k)]->hide();
  switch (view.panel) {
    case Panel::kNumeric:
      Frame_Units_->setVisible(view.unitsPanel);
      txtAnswer_->clear();
      ShowUnitLabels();
      break;
    case Panel::kMultiSelect:
      for (int b = 0; b < 78; ++b) {
        Check1_[static_cast<std::size_t>(b)]->setVisible(b < view.boxes);
        Check1_[static_cast<std::size_t>(b)]->setEnabled(true);
      }
      break;
    case Panel::kOneWord:
      for (int k = 0; k < 6; ++k) {
        lab1_[static_cast<std::size_t>(k)]->setVisible(k < view.words);
        txtOneWord_[static_cast<std::size_t>(k)]->setVisible(k < view.words);
        txtOneWord_[static_cast<std::size_t>(k)]->clear();
        txtOneWord_[static_cast<std::size_t>(k)]->setEnabled(true);
      }
      break;
    case Panel::kMatching:
      for (int k = 0; k < 12; ++k) {
        const bool shown = k < static_cast<int>(view.matchPrompts.size());
        lblMatch_[static_cast<std::size_t>(k)]->setVisible(shown);
        txtMatch_[static_cast<std::size_t>(k)]->setVisible(shown);
        txtMatch_[static_cast<std::size_t>(k)]->setEnabled(true);
        if (shown) {
          const QString prompt = ToQString(view.matchPrompts[static_cast<std::size_t>(k)]);
          lblMatch_[static_cast<std::size_t>(k)]->setText(prompt);
          lblMatch_[static_cast<std::size_t>(k)]->setAccessibleName(prompt);
          txtMatch_[static_cast<std::size_t>(k)]->setAccessibleName(
              QStringLiteral("Label for %1").arg(prompt));
        }
      }
      break;
    case Panel::kMultipleChoice:
      for (int k = 1; k <= static_cast<int>(view.options.size()); ++k) {
        QRadioButton* option = opt_[static_cast<std::size_t>(k)];
        option->setText(ToQString(view.options[static_cast<std::size_t>(k) - 1]));
        option->setAccessibleName(option->text());  // a screen reader reads the option itself
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
      break;
  }
  if (QWidget* first = findChild<QWidget*>(ToQString(view.focus)); first && !view.focus.empty()) {
    // The keyboard starts here, so the control shows its focus outline as if tabbed to.
    setAttribute(Qt::WA_KeyboardFocusChange);
    first->setFocus(Qt::TabFocusReason);
  }
}

void DoTest::ShowPic() {
  const PictureView view = model_->ShowPic(testFolderName_);
  picGraph_->setVisible(view.graph);
  cmdZoomUp_->setVisible(view.graph);
  cmdZoomDown_->setVisible(view.graph);
  lblGraphXY_->setVisible(view.graph);
  lblGraphXY_->clear();
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
  if (!model_->Ended()) ShowQuestion();
}

void DoTest::ReadAnswerControls() {
  model_->txtAnswer = FromQString(txtAnswer_->text());
  for (std::size_t b = 0; b < Check1_.size(); ++b) model_->Check1[b] = Check1_[b]->isChecked();
  for (std::size_t k = 0; k < txtOneWord_.size(); ++k)
    model_->txtOneWord[k] = FromQString(txtOneWord_[k]->text());
  for (std::size_t k = 0; k < txtMatch_.size(); ++k)
    model_->txtMatch[k] = FromQString(txtMatch_[k]->text());
}

void DoTest::AfterMarking() {
  ShowUnitLabels();
  for (QCheckBox* box : Check1_) box->setChecked(false);
  for (QLineEdit* box : txtOneWord_) box->clear();
  for (QLineEdit* box : txtMatch_) box->clear();
  // The model has moved on (or ended the test); the window only shows where it is now.
  if (!model_->Ended()) {
    ShowPic();
    ShowQuestion();
  }
  ShowWindowState();
}

void DoTest::cmdSubmit_Click() {
  if (Confirm([this] { return model_->Submitter(); })) AfterMarking();
}

void DoTest::cmd_OK2_Click() {
  if (Confirm([this] { return model_->Submitter(); })) AfterMarking();
}

void DoTest::cmdOK_Click() {
  if (Confirm([this] { return model_->cmdOK_Click(Frame_Units_->isVisible()); })) AfterMarking();
}

void DoTest::cmd_OK3_Click() {
  if (Confirm([this] { return model_->cmd_OK3_Click(); })) AfterMarking();
}

void DoTest::cmd_OK4_Click() {
  if (Confirm([this] { return model_->cmd_OK4_Click(); })) AfterMarking();
}

void DoTest::List1_Click(int row) {
  if (row < 0 || model_->Ended()) return;
  model_->List1_Click(row);
  ShowUnitLabels();
}

void DoTest::List2_Click(int row) {
  if (row < 0 || model_->Ended()) return;
  model_->List2_Click(row);
  ShowUnitLabels();
}

void DoTest::ListRecent_Click(int row) {
  if (row < 0 || model_->Ended()) return;
  model_->ListRecent_Click(row);
  ShowUnitLabels();
}

void DoTest::cmdConvert_Click() {
  // The program's own unit converter stands in for the web folder's converter program.
  if (!converter_) converter_ = Companion(std::make_unique<UnitConverter>());
  converter_->show();
  converter_->raise();
}

void DoTest::cmdInfo_Click() {
  if (!info_) info_ = Companion(std::make_unique<frm_Info>(app_));
  info_->show();
}

template <typename Window>
std::unique_ptr<Window> DoTest::Companion(std::unique_ptr<Window> window) {
  if (!InExamSession(app_.env)) return window;
  // With no title bar and no task switching a companion must stay above the test window, as
  // its dialog, and close with Escape; otherwise nothing would lead back to the test.
  window->setParent(this, Qt::Dialog);
  auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), window.get());
  connect(close, &QShortcut::activated, window.get(), &QWidget::close);
  return window;
}

bool DoTest::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtAnswer_ && event->type() == QEvent::KeyPress) {
    const QString text = static_cast<QKeyEvent*>(event)->text();
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      cmdOK_Click();
      return true;
    }
    if (model_->Ended()) return true;
    if (text.size() == 1 && text[0].unicode() >= 32) {
      model_->txtAnswer_KeyPress(static_cast<char>(text[0].toLatin1()));
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace examora
