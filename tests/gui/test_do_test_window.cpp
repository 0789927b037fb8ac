// The test window taken through a whole sample test (Units) by clicking and typing into its
// named controls, in exam mode; then study mode's refusals.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <set>

#include <unistd.h>

#include <gtest/gtest.h>

#include "accessibility_check.h"
#include "clipping.h"
#include "common/numtext.h"
#include "testfile/scrambler.h"
#include "ui/do_test_window.h"
#include "ui/graph_panel.h"
#include "ui/page_fetcher.h"
#include "ui/progress_chart.h"
#include "ui/qt_prompter.h"

namespace examora {
namespace {

constexpr int kNoPrefix = 4, kKilo = 5;
constexpr int kNoUnits = 0, kDeg = 2, kKmPerHour = 19, kSquareMm = 31, kNewton = 34, kRad = 42;
constexpr int kMillimetre = 29, kPascal = 40;

struct Sitting {
  explicit Sitting(bool studyMode, Prompter* dialogs = nullptr)
      : shown(dialogs ? *dialogs : prompter) {
    m.VersionText = "Examora 568: 2010-03-23";
    m.WebBase = "file://" + std::string(EXAMORA_WEBROOT) + "/";
    m.Bank =
        LoadTestFile(std::string(EXAMORA_WEBROOT) + "/tests/10105 Units/Units-BF.txt", "Units");
    m.Bank.header.QuestionsToAsk = m.Bank.header.QuestionsInFile;  // all 15, in bank order
    m.Bank.header.TestMinutes = 15 * m.Bank.header.MinutesPerQuestion;
    FormulaContext context{&prompter, &m.Debugger, 0};
    m.Prepared = Scrambler(m.Bank, true, "", random, m.Formulas, context);
    m.StudyMode = studyMode;
    m.TestNumber = 10105;
    m.TestName = "Units";
    window = std::make_unique<DoTest>(app, "10105 Units");
    window->Form_load();
    window->show();
    window->tmrDelay_Tick();  // the start timer shows question 1
  }
  template <typename T>
  T* Find(const QString& name) {
    T* widget = window->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name.toStdString();
    return widget;
  }
  void Pick(const char* list, int row) {
    auto* widget = Find<QListWidget>(QLatin1String(list));
    widget->scrollToItem(widget->item(row));
    QTest::mouseClick(widget->viewport(), Qt::LeftButton, {},
                      widget->visualItemRect(widget->item(row)).center());
  }
  void Type(const QString& text) {
    auto* box = Find<QLineEdit>(QStringLiteral("txtAnswer"));
    box->clear();
    QTest::keyClicks(box, text);
  }
  void Enter() { QTest::keyClick(Find<QLineEdit>(QStringLiteral("txtAnswer")), Qt::Key_Return); }
  // The solution in 4 significant figures, as a student would work it out.
  QString Solution(int position, double factor = 1) {
    float value =
        static_cast<float>(m.Prepared.Solution[static_cast<std::size_t>(position)] * factor);
    int figures = 4;
    return QString::fromStdString(FormatSF(value, figures));
  }
  QString Stem() { return Find<QLabel>(QStringLiteral("lblStem"))->text(); }
  std::string Code(int position) {
    return window->model().ResultCode[static_cast<std::size_t>(position)];
  }
  std::string LastBox() const {
    return prompter.prompts().empty() ? "" : prompter.prompts().back().title;
  }

  ModuleExamora m;
  FixedEnvironment env;
  DeploymentSettings settings;
  ManualClock clock{{2026, 12, 8, 9, 0, 0}};
  SeededRandom random{3};
  ScriptedPrompter prompter;
  Prompter& shown;  // the dialogs the window uses: scripted unless a test brings real ones
  PageFetcher fetcher;
  AppContext app{m, settings, env, clock, random, shown, fetcher, true};
  std::unique_ptr<DoTest> window;
};

TEST(DoTestWindow, SetUpBuildsTheBannerListsAndFirstQuestion) {
  Sitting s(false);
  EXPECT_EQ(s.window->windowTitle(),
            "Examora 568: 2010-03-23  |  EXAM MODE (Recorded)  |      |    10105 Units   |   "
            "Pass Mark =  50");
  EXPECT_EQ(s.Find<QLabel>("lblCountdown")->text(), " 15:00");
  EXPECT_EQ(s.window->SecondsLeft(), 900);
  EXPECT_EQ(s.Find<QLabel>("lblCompulsory")->text(),
            "NON-COMPULSORY: You may leave questions out. ");
  auto* units = s.Find<QListWidget>("List2");
  ASSERT_EQ(units->count(), 55);
  EXPECT_EQ(units->item(kNewton)->text(), "~N");
  EXPECT_EQ(units->item(1)->text(), QString::fromUtf8("\u00B0C"));
  EXPECT_EQ(s.Find<QListWidget>("List1")->currentRow(), kNoPrefix);
  EXPECT_EQ(s.Find<QListWidget>("ListRecent")->item(0)->text(), "MPa");
  EXPECT_TRUE(s.Stem().startsWith("Q1: Shaft diameters"));
  EXPECT_TRUE(s.Find<QWidget>("Frame_numerical")->isVisible());
  EXPECT_FALSE(s.Find<QCheckBox>("Check10")->isVisible());
}

TEST(DoTestWindow, AWholeSampleTestByClickingAndTyping) {
  Sitting s(false);
  // Q1 (mm): the warnings first, then the invalid-character box, then a right answer.
  QTest::mouseClick(s.Find<QPushButton>("cmdOK"), Qt::LeftButton);
  EXPECT_EQ(s.LastBox(), "WARNING! NO UNITS");
  s.Pick("List2", kMillimetre);
  EXPECT_EQ(s.Find<QLabel>("lblUnits")->text(), "mm");
  s.Enter();
  EXPECT_EQ(s.LastBox(), "WARNING! NO ANSWER");
  s.Type("2a");
  EXPECT_EQ(s.LastBox(), "ERROR: Invalid character");
  EXPECT_EQ(s.Find<QLineEdit>("txtAnswer")->text(), "2a");  // the character stays
  s.Type(s.Solution(1));
  s.Enter();
  EXPECT_EQ(s.Code(1), "Y");
  // Q2: multi-select, ticking A, C and E; the window's own MARK button hands in the ticks.
  EXPECT_TRUE(s.Stem().startsWith("Q2: Which of these are SI base units"));
  EXPECT_TRUE(s.Find<QPushButton>("cmdSubmit")->isVisible());
  EXPECT_TRUE(s.Find<QPushButton>("cmd_OK2")->isVisible());
  EXPECT_TRUE(s.Find<QCheckBox>("Check14")->isVisible());
  EXPECT_FALSE(s.Find<QCheckBox>("Check15")->isVisible());
  for (const char* box : {"Check10", "Check12", "Check14"}) s.Find<QCheckBox>(box)->click();
  QTest::mouseClick(s.Find<QPushButton>("cmdSubmit"), Qt::LeftButton);
  EXPECT_EQ(s.Code(2), "Y");
  EXPECT_TRUE(s.Stem().startsWith("Q3: Convert"));

  // Q3 asks for radians; degrees of angle are accepted with the converted number.
  s.Pick("List2", kDeg);
  s.Type(s.Solution(3, 180 / 3.14159265));
  s.Enter();
  EXPECT_EQ(s.Code(3), "Y");
  // Q4 (rad): a wrong number with the right unit loses 75 %.
  s.Pick("List2", kRad);
  s.Type("12");
  s.Enter();
  EXPECT_EQ(s.Code(4), "U");
  EXPECT_EQ(s.LastBox(), "RIGHT UNITS, WRONG ANSWER");
  // Q5 (%) answered as No Units: the fraction.
  s.Pick("List2", kNoUnits);
  s.Type(s.Solution(5, 0.01));
  s.Enter();
  EXPECT_EQ(s.Code(5), "Y");
  // Q6: a plain number, no units panel.
  EXPECT_FALSE(s.Find<QWidget>("Frame_Units")->isVisible());
  s.Type(s.Solution(6));
  s.Enter();
  EXPECT_EQ(s.Code(6), "Y");
  // Q7 (Pa) in kPa: the prefix divides.
  s.Pick("List2", kPascal);
  s.Pick("List1", kKilo);
  EXPECT_EQ(s.Find<QLabel>("lblUnits")->text(), "kPa");
  EXPECT_EQ(s.Find<QLabel>("lblUnitsLong")->text(), "kiloPascals");
  EXPECT_EQ(s.Find<QLabel>("lblMultiplier")->text(), "3");
  s.Type(s.Solution(7, 0.001));
  s.Enter();
  EXPECT_EQ(s.Code(7), "Y");
  EXPECT_EQ(s.Find<QListWidget>("ListRecent")->item(0)->text(), "kPa");
  // Q8 (m/s) answered in km/h.
  s.Pick("List2", kKmPerHour);
  s.Type(s.Solution(8, 3.6));
  s.Enter();
  EXPECT_EQ(s.Code(8), "Y");
  // Q9 (m2) answered in mm2.
  s.Pick("List2", kSquareMm);
  s.Type(s.Solution(9, 1000000));
  s.Enter();
  EXPECT_EQ(s.Code(9), "Y");
  // Q10 (Pa): the right number in newtons earns 80 %.
  s.Pick("List2", kNewton);
  s.Type(s.Solution(10));
  s.Enter();
  EXPECT_EQ(s.Code(10), "V");
  EXPECT_EQ(s.LastBox(), "WRONG UNITS, RIGHT ANSWER");
  // Q11 (Pa) through a recent unit. The list holds the last eight units used, newest first:
  // the seeded MPa has dropped out.
  auto* recent = s.Find<QListWidget>("ListRecent");
  QStringList shown;
  for (int r = 0; r < recent->count(); ++r) shown << recent->item(r)->text();
  EXPECT_EQ(shown, (QStringList{"N", QString::fromUtf8("mm\u00B2"), "km/h", "kPa", "No Units",
                                "rad", QString::fromUtf8("\u00B0deg"), "mm"}));
  s.Pick("ListRecent", 3);
  EXPECT_EQ(s.Find<QLabel>("lblUnits")->text(), "kPa");
  s.Type(s.Solution(11, 0.001));
  s.Enter();
  EXPECT_EQ(s.Code(11), "Y");

  // Back from Q12 wraps past the marked questions to the last one.
  EXPECT_TRUE(s.Stem().startsWith("Q12:"));
  QTest::mouseClick(s.Find<QPushButton>("cmdBack"), Qt::LeftButton);
  EXPECT_TRUE(s.Stem().startsWith("Q15:"));
  QTest::mouseClick(s.Find<QPushButton>("cmdNext"), Qt::LeftButton);
  EXPECT_TRUE(s.Stem().startsWith("Q12:"));

  // Q12 and Q13: multiple choice; click the right one, then a wrong one.
  auto clickOption = [&](int position, int optionInFile) {
    const int place = s.m.Prepared.OptionSlot[static_cast<std::size_t>(position)][optionInFile];
    auto* option = s.Find<QRadioButton>(QStringLiteral("opt%1").arg(place));
    ASSERT_TRUE(option->isVisible());
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(5, option->height() / 2));
    EXPECT_TRUE(option->font().bold());
    QTest::mouseClick(s.Find<QPushButton>("cmdSubmit"), Qt::LeftButton);
  };
  EXPECT_TRUE(s.Find<QRadioButton>("opt1")->text().contains(QString::fromUtf8("\u00D7")) ||
              s.Find<QRadioButton>("opt2")->text().contains(QString::fromUtf8("\u00D7")) ||
              s.Find<QRadioButton>("opt3")->text().contains(QString::fromUtf8("\u00D7")) ||
              s.Find<QRadioButton>("opt4")->text().contains(QString::fromUtf8("\u00D7")));
  clickOption(12, 1);
  EXPECT_EQ(s.Code(12), "A");
  clickOption(13, 3);
  EXPECT_EQ(s.Code(13), "C");
  // Q14: one-word, two words.
  QTest::mouseClick(s.Find<QPushButton>("cmd_OK3"), Qt::LeftButton);
  EXPECT_EQ(s.LastBox(), "WARNING! NO ANSWER");
  QTest::keyClicks(s.Find<QLineEdit>("txtOneWord0"), "Mol");
  QTest::keyClicks(s.Find<QLineEdit>("txtOneWord1"), " candela ");
  QTest::mouseClick(s.Find<QPushButton>("cmd_OK3"), Qt::LeftButton);
  EXPECT_EQ(s.Code(14), "Y");
  // Q15: matching, typed in lower case.
  EXPECT_EQ(s.Find<QLabel>("lblMatch0")->text(), "thousand");
  const char* items[] = {"k", "M", "m", "u"};
  for (int k = 0; k < 4; ++k)
    QTest::keyClicks(s.Find<QLineEdit>(QStringLiteral("txtMatch%1").arg(k)), items[k]);
  QTest::mouseClick(s.Find<QPushButton>("cmd_OK4"), Qt::LeftButton);
  EXPECT_EQ(s.Code(15), "Y");
  EXPECT_EQ(s.window->model().AnsweredCount, 15);
}

TEST(DoTestWindow, StudyModeRefusalsAndHiddenOptions) {
  Sitting s(true);
  EXPECT_TRUE(
      s.window->windowTitle().contains("STUDY MODE  (Not Recorded)    |       10105 Units"));
  EXPECT_TRUE(s.Find<QLabel>("lblStudyMode")->isVisible());
  for (int q = 1; q < 12; ++q) QTest::mouseClick(s.Find<QPushButton>("cmdNext"), Qt::LeftButton);
  EXPECT_TRUE(s.Stem().startsWith("Q12:"));
  for (int k = 1; k <= 6; ++k)
    EXPECT_FALSE(s.Find<QRadioButton>(QStringLiteral("opt%1").arg(k))->isVisible());
  EXPECT_EQ(s.window->focusWidget(), s.Find<QPushButton>("cmdNext"));  // no option to start at
  // The question area says why there is nothing to pick and MARK stays grey.
  EXPECT_TRUE(s.Find<QLabel>("lblNotAssessed")->isVisible());
  EXPECT_EQ(s.Find<QLabel>("lblNotAssessed")->text(), kChoiceNotAssessed);
  EXPECT_FALSE(s.Find<QPushButton>("cmdSubmit")->isEnabled());
  for (int q = 12; q < 14; ++q) QTest::mouseClick(s.Find<QPushButton>("cmdNext"), Qt::LeftButton);
  EXPECT_FALSE(s.Find<QLabel>("lblNotAssessed")->isVisible());  // a word box to answer in
  QTest::keyClicks(s.Find<QLineEdit>("txtOneWord0"), "mole");
  QTest::keyClicks(s.Find<QLineEdit>("txtOneWord1"), "candela");
  QTest::mouseClick(s.Find<QPushButton>("cmd_OK3"), Qt::LeftButton);
  EXPECT_EQ(s.prompter.prompts().back().text,
            "Sorry, one-word questions are not assessed in StudyMode.");
  QTest::mouseClick(s.Find<QPushButton>("cmdNext"), Qt::LeftButton);
  QTest::mouseClick(s.Find<QPushButton>("cmd_OK4"), Qt::LeftButton);
  EXPECT_EQ(s.prompter.prompts().back().text,
            "Sorry, Matching questions are not assessed in StudyMode.");
  EXPECT_EQ(s.window->model().AnsweredCount, 0);
}

TEST(DoTestWindow, ScreenshotsOfEachAnswerPanel) {
  Sitting s(false);
  const std::filesystem::path folder(EXAMORA_SCREENSHOTS);
  std::filesystem::create_directories(folder);
  const std::pair<int, const char*> panels[] = {{1, "DoTest-numeric.png"},
                                                {11, "DoTest-choice.png"},
                                                {13, "DoTest-multiselect.png"},
                                                {14, "DoTest-oneword.png"},
                                                {15, "DoTest-matching.png"}};
  for (const auto& [position, name] : panels) {
    while (s.m.CurrentQuestion != position)
      QTest::mouseClick(s.Find<QPushButton>("cmdNext"), Qt::LeftButton);
    const QImage image = s.window->grab().toImage();
    image.save(QString::fromStdString((folder / name).string()));
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4) {
      for (int x = 0; x < image.width(); x += 4) colours.insert(image.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 10u) << name;
  }
  s.prompter.SetNextAnswer(MessageAnswer::Yes);
  QTest::mouseClick(s.Find<QPushButton>("cmdQuit"), Qt::LeftButton);
  const QImage summary = s.window->grab().toImage();
  summary.save(QString::fromStdString((folder / "DoTest-summary.png").string()));
  EXPECT_TRUE(s.Find<QLabel>("picSave")->isVisible());
  EXPECT_TRUE(s.Find<QPushButton>("cmdQuitAll")->isVisible());  // an exam sitting can be left too
}

}  // namespace
}  // namespace examora

namespace examora {
namespace {

// On the lab screens (1024 x 768, and 1400 x 900 at 150 % desktop scale), at every question
// and at the end, the window keeps to the screen's free area and clips no caption.
TEST(ScreenFit, TheTestWindowKeepsToTheScreenAtEveryQuestion) {
  if (!gui_testing::OnTheScreenAskedFor()) GTEST_SKIP() << "run on a configured screen only";
  Sitting s(false);
  for (int position = 1;; ++position) {
    QApplication::processEvents();
    EXPECT_TRUE(gui_testing::OnFreeArea(*s.window)) << position;
    EXPECT_EQ(gui_testing::ClippedControls(*s.window), "") << "question " << position;
    if (position == 15) break;
    QTest::mouseClick(s.Find<QPushButton>("cmdNext"), Qt::LeftButton);
  }
  s.prompter.SetNextAnswer(MessageAnswer::Yes);
  QTest::mouseClick(s.Find<QPushButton>("cmdQuit"), Qt::LeftButton);
  s.window->tmr_backup_Tick();  // "SAVING...", then the saving codes, one a question
  s.window->tmr_backup_Tick();
  QApplication::processEvents();
  EXPECT_TRUE(gui_testing::OnFreeArea(*s.window));
  EXPECT_EQ(gui_testing::ClippedControls(*s.window), "") << "the summary";
}

TEST(DoTestClock, CountdownRedFrameAndTheEndAtZero) {
  Sitting s(true);
  DoTest& w = *s.window;
  EXPECT_TRUE(w.ClockRunning());
  auto* countdown = s.Find<QLabel>("lblCountdown");
  w.model().SecondsLeft = 76;
  w.second_Tick();
  EXPECT_EQ(countdown->text(), " 1:15");
  w.model().SecondsLeft = 31;
  w.second_Tick();
  EXPECT_FALSE(countdown->styleSheet().contains("#FF0000"));  // 30 seconds: not yet
  w.second_Tick();
  EXPECT_EQ(countdown->text(), " 0:29");
  EXPECT_TRUE(countdown->styleSheet().contains("#FF0000"));
  w.model().SecondsLeft = 10;
  w.second_Tick();
  EXPECT_EQ(countdown->text(), " 0:09");
  auto* redBox = s.Find<QWidget>("RedBox");
  const bool before = redBox->isVisible();
  w.tmr_redbox_Tick();
  EXPECT_NE(redBox->isVisible(), before);
  w.model().SecondsLeft = 1;
  w.second_Tick();
  EXPECT_EQ(countdown->text(), " 0:00");
  EXPECT_EQ(w.model().TestEnded, 1);
  EXPECT_FALSE(w.ClockRunning());
  EXPECT_FALSE(s.Find<QRadioButton>("opt1")->isEnabled());
  auto* summary = s.Find<QLabel>("picSave");
  EXPECT_TRUE(summary->isVisible());
  EXPECT_TRUE(summary->text().contains(" STUDY MODE. Mark was not recorded\n"));
  EXPECT_TRUE(summary->text().endsWith(" \n Press QUIT to end..."));
  EXPECT_TRUE(s.Find<QPushButton>("cmdQuitAll")->isVisible());
  EXPECT_TRUE(s.Find<QPushButton>("cmdSaveUSB")->isVisible());
  EXPECT_FALSE(s.Find<QPushButton>("cmdSaveUSB")->isEnabled());  // Units may not be continued
}

TEST(DoTestClock, EndAsksFirstAndEndsOnlyOnce) {
  Sitting s(true);
  DoTest& w = *s.window;
  s.prompter.SetNextAnswer(MessageAnswer::No);
  QTest::mouseClick(s.Find<QPushButton>("cmdQuit"), Qt::LeftButton);
  EXPECT_EQ(s.prompter.prompts().back().title, "Quitting Test");
  EXPECT_EQ(s.prompter.prompts().back().text, "Quit the test now ?");
  EXPECT_EQ(w.model().TestEnded, 0);
  EXPECT_TRUE(w.ClockRunning());
  s.prompter.SetNextAnswer(MessageAnswer::Yes);
  QTest::mouseClick(s.Find<QPushButton>("cmdQuit"), Qt::LeftButton);
  EXPECT_EQ(w.model().TestEnded, 1);
  EXPECT_TRUE(w.model().endScreen.back() == " Press QUIT to end...");
  int saves = 0;
  w.model().SaveResults = [&] { return ++saves > 0; };
  const std::vector<std::string> summary = w.model().endScreen;
  s.clock.Advance(120);
  w.close();  // closing again shows the same summary, saves nothing and stays open
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(saves, 0);
  EXPECT_EQ(w.model().endScreen, summary);
}

TEST(DoTestClock, ChartCellsShowEachResult) {
  Sitting s(false);
  DoTest& w = *s.window;
  // Q1 right; Q2 (multi-select) wrong; Q3 (rad) a wrong number in the right unit.
  s.Pick("List2", kMillimetre);
  s.Type(s.Solution(1));
  s.Enter();
  s.Find<QCheckBox>("Check11")->click();
  QTest::mouseClick(s.Find<QPushButton>("cmd_OK2"), Qt::LeftButton);
  s.Pick("List2", kRad);
  s.Type("1000");
  s.Enter();
  w.model().BuildBars();
  auto* chart = s.window->findChild<QWidget*>("picResults");
  const QImage image = chart->grab().toImage();
  // The colour beside the cell's top edge, clear of the cross a wrong cell carries.
  auto colourAt = [&](int question, bool lower) {
    const QRect cell = static_cast<ProgressChart*>(chart)->CellRect(question, lower);
    return QColor(image.pixel(cell.center().x(), cell.top() + 1));
  };
  auto centre = [&](int question, bool lower) {
    return QColor(
        image.pixel(static_cast<ProgressChart*>(chart)->CellRect(question, lower).center()));
  };
  EXPECT_EQ(colourAt(1, false), QColor(0, 255, 0));
  EXPECT_EQ(colourAt(1, true), QColor(0, 255, 0));
  EXPECT_EQ(colourAt(2, true), QColor(255, 0, 0));       // multi-select wrong
  EXPECT_EQ(colourAt(3, false), QColor(255, 0, 0));      // number wrong
  EXPECT_EQ(colourAt(3, true), QColor(0, 255, 0));       // units right
  EXPECT_EQ(colourAt(4, false), QColor(255, 255, 255));  // not answered
  EXPECT_EQ(centre(3, false), QColor(0, 0, 0));          // the wrong number is crossed too
  EXPECT_EQ(centre(3, true), QColor(0, 255, 0));         // the right unit is not
  EXPECT_TRUE(chart->accessibleDescription().startsWith(
      "Question 1: right; Question 2: wrong; Question 3: number wrong, unit right"));
  EXPECT_EQ(s.Find<QLabel>("lblScore")->text(),
            QString::fromStdString(FormatGeneralSingle(w.model().progress.Score)));
  // Blanks inside a phrase do not break; only the gaps between phrases do.
  const QString statistics = s.Find<QLabel>("picStatistics")->text();
  EXPECT_TRUE(statistics.startsWith(
      QString::fromUtf8("Total\u00A0minutes\u00A0=\u00A015   Start\u00A0=09:00   ")))
      << statistics.toStdString();
  EXPECT_TRUE(statistics.contains(QString::fromUtf8("Predicted\u00A0Mark\u00A0=")));
  EXPECT_TRUE(statistics.contains(QString::fromUtf8("Secs/\u2060question:")));
}

}  // namespace
}  // namespace examora

namespace examora {
namespace {

// Time runs out while a marking box is open: afterwards every control that could hand in or
// change an answer is inert, and the summary shows what the record holds.
TEST(DoTestClock, TimeOutDuringAMarkingBoxLeavesNothingToAnswer) {
  Sitting s(false);
  DoTest& w = *s.window;
  w.model().SecondsLeft = 3;
  s.prompter.whileShown = [&](const ScriptedPrompter::Prompt&) {
    while (!w.model().Ended()) w.second_Tick();
  };
  s.Pick("List2", kMillimetre);
  s.Type("12");
  s.Enter();  // wrong: its box is open when the time is up
  s.prompter.whileShown = nullptr;
  ASSERT_TRUE(w.model().Ended());
  for (const char* name : {"cmdOK", "cmd_OK2", "cmd_OK3", "cmd_OK4", "cmdSubmit", "txtAnswer",
                           "List1", "List2", "ListRecent", "cmdNext", "cmdBack", "opt1"}) {
    EXPECT_FALSE(s.Find<QWidget>(QLatin1String(name))->isEnabled()) << name;
  }
  for (const char* name : {"Frame_numerical", "Frame_multiselect", "Frame_oneword", "Frame_Match"})
    EXPECT_FALSE(s.Find<QWidget>(QLatin1String(name))->isVisible()) << name;
  // Handlers called all the same mark nothing.
  s.Find<QCheckBox>("Check10")->setChecked(true);
  w.cmd_OK2_Click();
  w.cmdSubmit_Click();
  w.cmdOK_Click();
  EXPECT_EQ(w.model().AnsweredCount, 1);
  EXPECT_FALSE(s.Find<QWidget>("Frame_numerical")->isVisible());
  const QString summary = s.Find<QLabel>("picSave")->text();
  const std::string codes = "U" + std::string(14, 'Z');
  EXPECT_TRUE(summary.contains(QString::fromStdString(" (RANDOMISED ORDER)\n " + codes + "\n")));
  EXPECT_TRUE(summary.endsWith(QString::fromStdString(w.model().ResultsLine)));
  EXPECT_NE(w.model().ResultsLine.find("," + codes + ","), std::string::npos);
}

// "Quit the test now ?" in a real message box: Enter presses No, its default.
TEST(DoTestClock, EnterOnTheQuitBoxKeepsTheTestRunning) {
  QtPrompter dialogs;
  Sitting s(false, &dialogs);
  QTimer::singleShot(0, [] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    QTest::keyClick(box, Qt::Key_Return);
  });
  s.window->cmdQuit_Click();
  EXPECT_FALSE(s.window->model().Ended());
  EXPECT_TRUE(s.window->ClockRunning());
}

// Screen readers: every named control of the test window says what it is and what it is for.
TEST(DoTestWindow, EveryNamedControlHasAnAccessibleName) {
  Sitting s(false);
  EXPECT_EQ(gui_testing::UnnamedControls(*s.window), "");
  EXPECT_EQ(gui_testing::SharedMnemonics(*s.window), "");
  // The 78 boxes, the word and matching boxes and the rest.
  EXPECT_GT(s.window->findChildren<QWidget*>(QRegularExpression("^(?!qt_).")).size(), 150);
  EXPECT_EQ(s.Find<QLineEdit>("txtAnswer")->accessibleName(), "Answer");
  EXPECT_EQ(s.Find<QCheckBox>("Check127")->accessibleName(), "Box BB");
}

// A whole sample test with key events only: Tab to move, arrow keys in the lists and options,
// Space to tick and press, typing into the boxes, Enter to confirm a number.
TEST(DoTestWindow, AWholeSampleTestWithTheKeyboardAlone) {
  Sitting s(false);
  DoTest& w = *s.window;
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  auto focused = [] { return QApplication::focusWidget(); };
  auto key = [&](int k, Qt::KeyboardModifiers mod = Qt::NoModifier) {
    QTest::keyClick(focused(), static_cast<Qt::Key>(k), mod);
  };
  auto type = [&](const QString& text) { QTest::keyClicks(focused(), text); };
  auto focusOn = [&](const char* name) {
    for (int n = 0; n < 300 && focused()->objectName() != QLatin1String(name); ++n)
      key(Qt::Key_Tab);
    return focused()->objectName() == QLatin1String(name);
  };
  const examora::Sitting& p = s.m.Prepared;
  for (int q = 1; q <= 15; ++q) {
    ASSERT_EQ(s.window->model().CurrentQuestion(), q);
    const std::string& text = p.QuestionText[static_cast<std::size_t>(q)];
    // Each question starts the keyboard at its first answer control.
    const char* first[] = {"opt1", "txtAnswer", "Check10", "txtOneWord0", "txtMatch0"};
    EXPECT_EQ(focused()->objectName(), first[static_cast<int>(KindOf(text))]) << "Q" << q;
    switch (KindOf(text)) {
      case QuestionKind::kNumeric: {
        const std::string& unit = p.QuestionUnit[static_cast<std::size_t>(q)];
        if (!IsPlainNumberKey(unit)) {
          int row = 0;
          while (s.m.Units.UnitTable[static_cast<std::size_t>(row) + 1].key != unit) ++row;
          ASSERT_TRUE(focusOn("List2"));
          key(Qt::Key_Home);
          for (int r = 0; r < row; ++r) key(Qt::Key_Down);
        }
        ASSERT_TRUE(focusOn("txtAnswer"));
        type(s.Solution(q));
        key(Qt::Key_Return);
        break;
      }
      case QuestionKind::kMultiSelect:
        for (const char* box : {"Check10", "Check12", "Check14"}) {
          ASSERT_TRUE(focusOn(box));
          key(Qt::Key_Space);
        }
        // MAR&K: its own letter beside cmdSubmit's; a mnemonic clicks once the button's
        // pressed look has shown.
        key(Qt::Key_K, Qt::AltModifier);
        EXPECT_TRUE(QTest::qWaitFor([&] { return s.Code(q) != "Z"; }, 2000));
        break;
      case QuestionKind::kMultipleChoice: {
        const int place = p.OptionSlot[static_cast<std::size_t>(q)][1];
        for (int n = 0; n < 300 && !focused()->objectName().startsWith(QLatin1String("opt")); ++n)
          key(Qt::Key_Tab);
        ASSERT_TRUE(focused()->objectName().startsWith(QLatin1String("opt")));
        // The arrow keys move among the options; Space picks the one reached.
        for (int n = 0; n < 6 && focused()->objectName() != QStringLiteral("opt%1").arg(place); ++n)
          key(focused()->objectName().mid(3).toInt() < place ? Qt::Key_Down : Qt::Key_Up);
        EXPECT_EQ(focused()->objectName(), QStringLiteral("opt%1").arg(place));
        key(Qt::Key_Space);
        ASSERT_TRUE(focusOn("cmdSubmit"));
        key(Qt::Key_Space);
        break;
      }
      case QuestionKind::kOneWord:
        // Enter goes to the next word box, and in the last one marks.
        type("mole");
        key(Qt::Key_Return);
        type("candela");
        key(Qt::Key_Return);
        break;
      case QuestionKind::kMatching:
        for (const char* item : {"k", "M", "m", "u"}) {
          type(item);
          key(Qt::Key_Return);
        }
        break;
    }
    EXPECT_EQ(s.window->model().ResultCode[static_cast<std::size_t>(q)] == "Y" ||
                  s.window->model().ResultCode[static_cast<std::size_t>(q)] == "A",
              true)
        << "Q" << q << " " << s.window->model().ResultCode[static_cast<std::size_t>(q)];
    if (q == 15) break;
  }
  EXPECT_TRUE(s.window->model().Ended());
  EXPECT_EQ(s.window->model().progress.Score, 100);
}

// Units chosen with the arrow keys are the units marked.
TEST(DoTestWindow, ArrowKeysInTheUnitListChooseTheUnit) {
  Sitting s(false);
  s.window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(s.window.get()));
  auto* units = s.Find<QListWidget>("List2");
  units->setFocus(Qt::TabFocusReason);  // tabbing in makes a row current: that chooses nothing
  EXPECT_EQ(units->currentRow(), 0);
  EXPECT_EQ(s.Find<QLabel>("lblUnits")->text(), "units?");
  s.Pick("List2", kMillimetre - 1);
  units->setFocus();
  QTest::keyClick(units, Qt::Key_Down);
  EXPECT_EQ(units->currentRow(), kMillimetre);
  EXPECT_EQ(s.Find<QLabel>("lblUnits")->text(), "mm");
  auto* prefixes = s.Find<QListWidget>("List1");
  QTest::keyClick(prefixes, Qt::Key_Up);  // mm takes no prefix: back to none
  EXPECT_EQ(prefixes->currentRow(), kNoPrefix);
  s.Type(s.Solution(1));
  s.Enter();
  EXPECT_EQ(s.Code(1), "Y");
}

// A 500-question sitting: every column of the chart inside it, none narrower than readable.
TEST(DoTestClock, FiveHundredColumnsStayInsideTheChart) {
  Sitting s(false);
  std::vector<std::string> texts(501, "@T"), codes(501, "Z");
  auto* chart = static_cast<ProgressChart*>(s.window->findChild<QWidget*>("picResults"));
  std::vector<ChartColumn> columns = ChartColumns(texts, codes);
  chart->SetColumns(columns);
  s.window->resize(1100, 720);
  QApplication::processEvents();
  EXPECT_EQ(chart->height(), chart->heightForWidth(chart->width()));
  for (int q : {1, 87, 88, 250, 500}) {
    const QRect cell = chart->CellRect(q, true);
    EXPECT_TRUE(chart->rect().contains(cell)) << q;
    EXPECT_GE(cell.width(), ProgressChart::kMinCellWidth - 3) << q;
  }
  // The window still fits a common lab screen.
  EXPECT_LE(s.window->minimumSizeHint().height(), 900);
}

TEST(GraphPanelTest, EqualUnitsPointMarkerAndPointerText) {
  GraphPanel panel;
  panel.resize(800, 300);  // far from the view's own proportions
  Grapher g;
  FormulaTables none;
  panel.SetView(g.SetUpGraph("point[2,3]", none, 1));
  const QPointF origin = panel.ToPixels(0, 0);
  EXPECT_NEAR(panel.ToPixels(1, 0).x() - origin.x(), origin.y() - panel.ToPixels(0, 1).y(), 1e-9);
  EXPECT_TRUE(QRectF(panel.rect()).contains(panel.PlotRect()));
  const QImage image = panel.grab().toImage();
  const QPointF at = panel.ToPixels(2, 3);
  const double unit = panel.PlotRect().width() / 20 * g.RedrawGraph().plotStep;
  // The yellow disc behind the label lies right of and below the point.
  EXPECT_EQ(QColor(image.pixel((at + QPointF(4 * unit, 3 * unit)).toPoint())), QColor(255, 255, 0));
  EXPECT_NE(QColor(image.pixel((at + QPointF(4 * unit, -3 * unit)).toPoint())),
            QColor(255, 255, 0));
  EXPECT_EQ(Grapher::PointerText(1.23456, -0.5), "x = 1.235   y = -0.5");
}

TEST(GraphPanelTest, CurveColourWhereTheCurvePasses) {
  GraphPanel panel;
  panel.resize(547, 420);
  Grapher g;
  FormulaTables none;
  panel.SetView(g.SetUpGraph("graph[x]graph[0-x]", none, 1));
  const QImage image = panel.grab().toImage();
  auto near = [&](double x, double y, QColor colour) {
    const QPointF p = panel.ToPixels(x, y);
    for (int dy = -2; dy <= 2; ++dy) {
      for (int dx = -2; dx <= 2; ++dx) {
        const QColor c(image.pixel(static_cast<int>(p.x()) + dx, static_cast<int>(p.y()) + dy));
        if (std::abs(c.red() - colour.red()) < 60 && std::abs(c.green() - colour.green()) < 60 &&
            std::abs(c.blue() - colour.blue()) < 60) {
          return true;
        }
      }
    }
    return false;
  };
  EXPECT_TRUE(near(5, 5, QColor(255, 0, 0)));     // F1 = x, red
  EXPECT_TRUE(near(5, -5, QColor(255, 0, 255)));  // F2 = -x, magenta
  EXPECT_FALSE(near(5, 2, QColor(255, 0, 0)));    // nowhere else
  image.save(QString::fromStdString(
      (std::filesystem::path(EXAMORA_SCREENSHOTS) / "picGraph.png").string()));
}

}  // namespace
}  // namespace examora

namespace examora {
namespace {

TEST(DoTestClock, DelayWaitsForTheStartTimer) {
  Sitting s(true);
  EXPECT_FALSE(s.window->DelayTimerEnabled());  // the first question is up
  s.window->Delay();
  EXPECT_FALSE(s.window->DelayTimerEnabled());
  EXPECT_TRUE(s.Stem().startsWith("Q2:"));  // its tick pressed Next, as the start timer does
}

}  // namespace
}  // namespace examora

namespace examora {
namespace {

TEST(DoTestClock, EachAnswerSwitchesTheBackupOnOutsideStudyMode) {
  Sitting s(false);
  int backups = 0;
  s.window->model().Backup = [&] { ++backups; };
  EXPECT_FALSE(s.window->BackupTimerEnabled());
  s.Pick("List2", kMillimetre);
  s.Type(s.Solution(1));
  s.Enter();
  EXPECT_TRUE(s.window->BackupTimerEnabled());
  // Half a second on, "SAVING..." in black while the backup is written; half a second after
  // that the answer codes in grey, and the timer rests.
  auto* gotit = s.Find<QLineEdit>("txtGotit");
  s.window->tmr_backup_Tick();
  EXPECT_EQ(gotit->text(), "SAVING...");
  EXPECT_TRUE(gotit->styleSheet().contains("#000000"));
  EXPECT_TRUE(s.window->BackupTimerEnabled());
  EXPECT_EQ(backups, 1);
  s.window->tmr_backup_Tick();
  EXPECT_EQ(gotit->text(), "Y" + QString(14, 'Z'));
  EXPECT_TRUE(gotit->styleSheet().contains("#A0A0A0"));
  EXPECT_FALSE(s.window->BackupTimerEnabled());
  EXPECT_EQ(backups, 1);
}

}  // namespace
}  // namespace examora

namespace examora {
namespace {

// Ended on a multiple-choice question in study mode: the summary stands alone, with no grey
// MARK or note left over from the question.
TEST(DoTestWindow, TheEndScreenKeepsNothingOfTheQuestion) {
  Sitting s(true);
  while (s.m.CurrentQuestion != 12)
    QTest::mouseClick(s.Find<QPushButton>("cmdNext"), Qt::LeftButton);
  ASSERT_TRUE(s.Find<QPushButton>("cmdSubmit")->isVisible());
  s.prompter.SetNextAnswer(MessageAnswer::Yes);
  QTest::mouseClick(s.Find<QPushButton>("cmdQuit"), Qt::LeftButton);
  ASSERT_TRUE(s.Find<QLabel>("picSave")->isVisible());
  for (const char* name : {"cmdSubmit", "lblNotAssessed", "opt1", "lblStem"})
    EXPECT_FALSE(s.Find<QWidget>(QLatin1String(name))->isVisible()) << name;
}

// The units panel of a fresh question shows nothing of the last one's unit; a prefix picked
// before its unit is kept.
TEST(DoTestWindow, UnitCaptionsStartAfreshAndAPrefixMayComeFirst) {
  Sitting s(false);
  s.Pick("List2", kNewton);
  s.Pick("List1", kKilo);
  ASSERT_EQ(s.Find<QLabel>("lblUnitsLong")->text(), "kiloNewtons");
  QTest::mouseClick(s.Find<QPushButton>("cmdNext"), Qt::LeftButton);
  QTest::mouseClick(s.Find<QPushButton>("cmdNext"), Qt::LeftButton);
  ASSERT_TRUE(s.Stem().startsWith("Q3:"));
  EXPECT_EQ(s.Find<QLabel>("lblUnits")->text(), "units?");
  EXPECT_EQ(s.Find<QLabel>("lblUnitsLong")->text(), "");
  EXPECT_EQ(s.Find<QLabel>("lblMultiplier")->text(), "");
  s.Pick("List1", kKilo);
  EXPECT_EQ(s.Find<QListWidget>("List1")->currentRow(), kKilo);
  EXPECT_EQ(s.Find<QLabel>("lblUnits")->text(), "units?");
  s.Pick("List2", kNewton);
  EXPECT_EQ(s.Find<QLabel>("lblUnits")->text(), "kN");
  EXPECT_EQ(s.Find<QLabel>("lblMultiplier")->text(), "3");
}

// The option the keyboard starts at shows its focus outline, as if it had been tabbed to.
TEST(DoTestWindow, TheFirstOptionShowsItsFocus) {
  Sitting s(false);
  s.window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(s.window.get()));
  while (s.m.CurrentQuestion != 12)
    QTest::mouseClick(s.Find<QPushButton>("cmdNext"), Qt::LeftButton);
  auto* first = s.Find<QRadioButton>("opt1");
  ASSERT_EQ(QApplication::focusWidget(), first);
  QStyleOptionButton option;
  option.initFrom(first);
  EXPECT_TRUE(option.state & QStyle::State_HasFocus);
  EXPECT_TRUE(option.state & QStyle::State_KeyboardFocusChange);  // what draws the outline
}

// The information window is placed by the program inside the free area, not left to a window
// manager, which put it partly below the bottom of a 900-line screen.
TEST(ScreenFit, TheInformationWindowOpensOnTheScreen) {
  Sitting s(false);
  QTest::mouseClick(s.Find<QPushButton>("cmdInfo"), Qt::LeftButton);
  QWidget* info = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == "frm_Info" && w->isVisible()) info = w;
  ASSERT_NE(info, nullptr);
  EXPECT_TRUE(info->testAttribute(Qt::WA_Moved));
  EXPECT_TRUE(gui_testing::OnFreeArea(*info));
  info->close();
}

// A message box leaves its title room beside a title bar's icon and buttons: "Quitting Test"
// was cut to "Quitt...g Test".
TEST(DoTestClock, TheQuitBoxHasRoomForItsTitle) {
  QtPrompter dialogs;
  Sitting s(false, &dialogs);
  int width = 0, need = 0;
  QTimer::singleShot(0, [&] {
    QWidget* box = QApplication::activeModalWidget();
    ASSERT_NE(box, nullptr);
    QFont bold = box->font();
    bold.setBold(true);
    need = QFontMetrics(bold).horizontalAdvance(box->windowTitle()) + 140;
    width = box->width();
    QTest::keyClick(box, Qt::Key_Escape);
  });
  s.window->cmdQuit_Click();
  EXPECT_GE(width, need);
  EXPECT_GT(need, 140);
}

// "Save to USB" starts at the home folder when no removable media folder is there, and a
// name typed without ".txt" gets it.
TEST(DoTestWindow, SaveToUsbStartsAtTheMediaFolderAndAddsTheExtension) {
  Sitting s(false);
  const std::filesystem::path home =
      std::filesystem::temp_directory_path() / ("examora-usb-" + std::to_string(::getpid()));
  std::filesystem::create_directories(home);
  s.env.login = "no-such-user-here";
  s.env.variables["HOME"] = home.string();
  s.prompter.SetNextAnswer(MessageAnswer::Yes);
  QTest::mouseClick(s.Find<QPushButton>("cmdQuit"), Qt::LeftButton);
  for (const char* answer : {"123456789", "ann", "lee"}) s.prompter.SetNextText(answer);
  s.prompter.SetNextText((home / "carry-on").string());
  QTest::mouseClick(s.Find<QPushButton>("cmdSaveUSB"), Qt::LeftButton);
  EXPECT_EQ(s.prompter.prompts().back().kind, ScriptedPrompter::Kind::SaveFile);
  EXPECT_EQ(s.prompter.prompts().back().suggested, home.string());
  EXPECT_TRUE(std::filesystem::exists(home / "carry-on.txt"));
  EXPECT_FALSE(std::filesystem::exists(home / "carry-on"));
  std::filesystem::remove_all(home);
}

}  // namespace
}  // namespace examora
