// Exam sign-in on the Login window: a students file made by examora-cli, a wrong password
// refused, the right one signing the student in, and GET TEST opening an exam selection. And
// the unit converter, the companion window of the test window.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "app/sign_in.h"
#include "cli/cli.h"
#include "common/text.h"
#include "platform/files.h"
#include "results/keeper_protocol.h"
#include "testfile/access_code.h"
#include "ui/browser_load_window.h"
#include "ui/do_test_window.h"
#include "ui/login_window.h"
#include "ui/page_fetcher.h"
#include "ui/qt_prompter.h"
#include "ui/selection_window.h"
#include "ui/unit_converter.h"

namespace examora {
namespace {

namespace fs = std::filesystem;

TEST(SignInWindow, AStudentSignsInAndGetTestOpensAnExamSelection) {
  const fs::path dir = fs::temp_directory_path() / ("examora-signin-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  const fs::path results = dir / "D" / "~Glimmerfold Do not delete" / "MC" / "student_files";
  fs::create_directories(results);
  WriteFileAtomically(dir / "plain.txt", "012345678,ab1Z,Mary,Smith\r\n\r\n");
  WriteFileAtomically(results / "012345678.txt",
                      "10101,012345678,07/03/2010,14:05,73,3,YYX,"
                      "Mary Smith,\r\n");
  std::istringstream in;
  std::ostringstream out, err;
  ASSERT_EQ(RunCli({"students", "encrypt", (dir / "plain.txt").string(), "--folder",
                    results.string(), "-o", (dir / "std_crypt.eqb").string()},
                   in, out, err),
            0);

  FixedEnvironment env;
  env.temp = (dir / "tmp-").string();
  std::vector<std::string> args = {"--web-base",
                                   FolderFileUrl(EXAMORA_WEBROOT),
                                   "--exam",
                                   "--students",
                                   (dir / "std_crypt.eqb").string(),
                                   "--drive",
                                   "D=" + (dir / "D").string(),
                                   "--program-folder",
                                   "D:\\exams"};
  const DeploymentSettings settings = LoadDeploymentSettings(args, env);
  ModuleExamora m;
  ManualClock clock{{2026, 12, 8, 12, 50, 0}};
  SeededRandom random{1};
  ScriptedPrompter prompter;
  PageFetcher fetcher;
  AppContext app{m, settings, env, clock, random, prompter, fetcher, true};
  Login login{app};
  login.Form_Load();
  auto* cmdGo = login.findChild<QPushButton*>("cmdGo");
  EXPECT_TRUE(login.findChild<QLineEdit*>("txtName")->isEnabled());
  EXPECT_EQ(login.findChild<QLabel*>("Label2")->text(), "Enter 9 digit student number");
  EXPECT_FALSE(m.StudyMode);

  // The test list arrives; nothing opens before a student has signed in.
  BrowserLoad& loader = login.loader();
  for (int step = 0; step < 20; ++step) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return loader.pending() == 0; }, 20000));
    bool fired = false;
    for (LoaderTimer t : {LoaderTimer::kTimer1, LoaderTimer::kTimer2, LoaderTimer::kTimer3,
                          LoaderTimer::kTimerXX, LoaderTimer::kTimerY}) {
      if (!fired && loader.TimerEnabled(t)) loader.Tick(t), fired = true;
    }
    if (!fired) break;
  }
  EXPECT_TRUE(login.isVisible());
  EXPECT_FALSE(cmdGo->isVisible());

  QTest::keyClicks(login.findChild<QLineEdit*>("txtName"), "012345678");
  prompter.SetNextText("xxxx");
  QTest::mouseClick(login.findChild<QPushButton*>("cmdValidate"), Qt::LeftButton);
  ASSERT_EQ(prompter.prompts().size(), 2u);
  EXPECT_EQ(prompter.prompts()[1].text, kSignInRefused);
  EXPECT_EQ(login.findChild<QLabel*>("lbl_studentName")->text(), "No Name");

  clock.Advance(3);  // the refusal's pause, which the window really waited
  prompter.SetNextText("ab1Z");
  QTest::mouseClick(login.findChild<QPushButton*>("cmdValidate"), Qt::LeftButton);
  EXPECT_EQ(login.findChild<QLabel*>("lbl_studentName")->text(), "Mary Smith");
  auto* list = login.findChild<QListWidget*>("List1");
  ASSERT_EQ(list->count(), 1);
  EXPECT_EQ(list->item(0)->text(), "10101,012345678,07/03/2010,14:05,73,3,YYX,Mary Smith,");
  EXPECT_EQ(m.StudentIndex, 1);
  ASSERT_TRUE(cmdGo->isVisible());
  EXPECT_EQ(login.focusWidget(), cmdGo);
  QTest::mouseClick(cmdGo, Qt::LeftButton);
  EXPECT_TRUE(login.selection().isVisible());
  EXPECT_TRUE(login.selection().windowTitle().contains(
      "EXAM MODE     |     Mary Smith      |      MARKS WILL BE RECORDED"));

  // The student takes Circuits: the access code, "Get the Test", GO, then END at once.
  fs::create_directories(results / "subject_files");
  examora::Test& selection = login.selection();
  selection.List1_Click(1);
  const LoaderTimer all[] = {LoaderTimer::kTimer3, LoaderTimer::kTimerXX, LoaderTimer::kTimerY};
  for (int step = 0; step < 20; ++step) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return loader.pending() == 0; }, 20000));
    bool fired = false;
    for (LoaderTimer t : all) {
      if (!fired && loader.TimerEnabled(t)) loader.Tick(t), fired = true;
    }
    if (!fired) break;
  }
  auto* code = selection.findChild<QLineEdit*>("txtPassword");
  QTest::keyClicks(code, QString::number(MakeAccessCode(clock)));
  QTest::keyClick(code, Qt::Key_Return);
  QTest::mouseClick(selection.findChild<QPushButton*>("cmdRunTest"), Qt::LeftButton);
  QTest::mouseClick(selection.findChild<QPushButton*>("cmdGO"), Qt::LeftButton);
  ASSERT_NE(login.testWindow(), nullptr);
  DoTest& test = *login.testWindow();
  test.tmrDelay_Tick();
  EXPECT_TRUE(test.windowTitle().startsWith(
      "Examora 568: 2010-03-23  |  EXAM MODE (Recorded)  |   Mary Smith   |    10102 Circuits"));
  // A teacher's extension reaches the running window within half a minute.
  const int full = test.SecondsLeft();
  ExtendSitting(SittingsSetup(settings, env), clock, "012345678", 10102, 5);
  for (int tick = 0; tick < 30; ++tick) test.second_Tick();
  EXPECT_EQ(test.SecondsLeft(), full + 300 - 1);
  // A wrong answer: by the time its box is open, the answer is already in the journal.
  auto journalLines = [&] {
    for (const auto& entry : fs::directory_iterator(results / "journals")) {
      const std::string name = entry.path().filename().string();
      if (name.ends_with("journal.txt")) return SplitLines(ReadFileBytes(entry.path())).size();
    }
    return std::size_t{0};
  };
  const std::size_t before = journalLines();
  std::size_t whileOpen = 0;
  prompter.whileShown = [&](const ScriptedPrompter::Prompt&) { whileOpen = journalLines(); };
  while (PanelOf(m.Prepared.QuestionText[static_cast<std::size_t>(m.CurrentQuestion)]) !=
         Panel::kNumeric) {
    QTest::mouseClick(test.findChild<QPushButton*>("cmdNext"), Qt::LeftButton);
  }
  test.findChild<QListWidget*>("List2")->setCurrentRow(0);
  QTest::keyClicks(test.findChild<QLineEdit*>("txtAnswer"), "0.000123");
  QTest::keyClick(test.findChild<QLineEdit*>("txtAnswer"), Qt::Key_Return);
  prompter.whileShown = nullptr;
  EXPECT_GT(before, 0u);
  EXPECT_EQ(whileOpen, before + 1);
  prompter.SetNextAnswer(MessageAnswer::Yes);
  QTest::mouseClick(test.findChild<QPushButton*>("cmdQuit"), Qt::LeftButton);
  ASSERT_TRUE(test.model().Ended());

  EXPECT_TRUE(test.model().saved);
  const std::string record = "10102,012345678,08/12/2026,12:50,";
  EXPECT_EQ(test.model().endScreen.back(), " Press QUIT to end...");
  auto lines = [](const fs::path& file) { return SplitLines(ReadFileBytes(file)); };
  const auto own = lines(results / "012345678.txt");
  ASSERT_EQ(own.size(), 2u);
  EXPECT_EQ(own[1].substr(0, record.size()), record);
  EXPECT_NE(own[1].find(",12,"), std::string::npos);  // twelve questions asked
  EXPECT_TRUE(own[1].ends_with(",Mary Smith,"));
  EXPECT_EQ(lines(results / "masterfile.txt"), std::vector<std::string>{own[1]});
  EXPECT_EQ(lines(results / "subject_files" / "10102.txt"), std::vector<std::string>{own[1]});
  EXPECT_TRUE(test.findChild<QPushButton*>("cmdSaveUSB")->isVisible());
  fs::remove_all(dir);
}

}  // namespace
}  // namespace examora

namespace examora {
namespace {

// A password typed into the real box is hidden; an ordinary input box shows what is typed.
TEST(SignInWindow, ThePasswordBoxHidesWhatIsTyped) {
  QtPrompter dialogs;
  for (const bool secret : {true, false}) {
    QLineEdit::EchoMode shown = QLineEdit::NoEcho;
    QTimer::singleShot(0, [&] {
      auto* box = QApplication::activeModalWidget();
      ASSERT_NE(box, nullptr);
      auto* edit = box->findChild<QLineEdit*>();
      shown = edit->echoMode();
      QTest::keyClicks(edit, "ab1Z");
      QTest::keyClick(edit, Qt::Key_Return);
    });
    const auto typed = secret ? dialogs.Secret("Sign in", "Enter your 4-character password")
                              : dialogs.Input("Sign in", "Student Number: ");
    EXPECT_EQ(typed, std::optional<std::string>("ab1Z"));
    EXPECT_EQ(shown, secret ? QLineEdit::Password : QLineEdit::Normal);
  }
}

TEST(UnitConverterWindow, ShowsTheConversionOfWhatIsTyped) {
  UnitConverter window;
  QTest::keyClicks(window.findChild<QLineEdit*>("txtValue"), "36");
  window.findChild<QComboBox*>("cboFromUnit")->setCurrentIndex(19);  // km/h
  window.findChild<QComboBox*>("cboToUnit")->setCurrentIndex(22);    // m/s
  EXPECT_EQ(window.findChild<QLabel*>("lblResult")->text(), "10 m/s");
  EXPECT_FALSE(window.findChild<QComboBox*>("cboToPrefix")->isEnabled());
}

}  // namespace
}  // namespace examora
