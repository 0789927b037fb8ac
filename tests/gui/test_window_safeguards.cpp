// What keeps a slip of the hand from costing anything, window by window: Enter on a
// destructive question answers No, closing an exam's test window asks as END does, MARKS
// before sign-in says what to do, and the encryptor's boxes say what they hold.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "app/students.h"
#include "cli/cli.h"
#include "platform/files.h"
#include "results/journal.h"
#include "results/keeper_protocol.h"
#include "results/resume.h"
#include "testfile/scrambler.h"
#include "ui/do_test_window.h"
#include "ui/encrypt_window.h"
#include "ui/login_window.h"
#include "ui/marks_window.h"
#include "ui/page_fetcher.h"
#include "ui/qt_prompter.h"

namespace examora {
namespace {

namespace fs = std::filesystem;

// Presses Enter on the message box about to open, as a hurried teacher would.
void EnterOnTheNextBox() {
  QTimer::singleShot(0, [] {
    if (QWidget* box = QApplication::activeModalWidget()) QTest::keyClick(box, Qt::Key_Return);
  });
}

TEST(WindowSafeguards, EnterOnTheYearlyEmptyingQuestionErasesNothing) {
  QTemporaryDir dir;
  const fs::path root = dir.path().toStdString();
  ModuleExamora m;
  DeploymentSettings settings;
  settings.programFolder = "D:\\exams";
  settings.programFolderNative = root / "exams";
  settings.drives = {{'D', root / "D"}};
  FixedEnvironment env;
  ManualClock clock{{2026, 12, 8, 12, 50, 0}};
  SeededRandom random{1};
  QtPrompter dialogs;
  PageFetcher fetcher;
  AppContext app{m, settings, env, clock, random, dialogs, fetcher, true};
  const fs::path results = root / "D/~Glimmerfold Do not delete/MC/student_files";
  fs::create_directories(results);
  fs::create_directories(root / "exams/info/data/working");
  WriteFileAtomically(root / "exams/info/data/working/student_data.txt",
                      "111111111,pass,Ann,Lee\r\n\r\n");
  const std::string record = "10101,111111111,02/03/2010,09:00,50,2,YX,Ann Lee,\r\n";
  WriteFileAtomically(results / "111111111.txt", record);
  Marks window(app);
  window.show();
  QTest::mouseClick(window.findChild<QPushButton*>("cmdReadStudID"), Qt::LeftButton);
  ASSERT_EQ(m.Students.rows.size(), 1u);
  EnterOnTheNextBox();
  QTest::mouseClick(window.findChild<QPushButton*>("cmdCreateEmptyStudentRecords"), Qt::LeftButton);
  EXPECT_EQ(ReadFileBytes(results / "111111111.txt"), record);
}

// A sitting of the sample Units test in exam mode, its window open on question 1.
struct ExamWindow {
  explicit ExamWindow(bool compulsory) {
    m.WebBase = "file://" + std::string(EXAMORA_WEBROOT) + "/";
    m.Bank =
        LoadTestFile(std::string(EXAMORA_WEBROOT) + "/tests/10105 Units/Units-BF.txt", "Units");
    m.Bank.header.Compulsory = compulsory;
    FormulaContext context{&prompter, &m.Debugger, 0};
    m.Prepared = Scrambler(m.Bank, true, "", random, m.Formulas, context);
    m.StudyMode = false;
    m.TestNumber = 10105;
    m.TestName = "Units";
    window = std::make_unique<DoTest>(app, "10105 Units");
    window->Form_load();
    window->show();
    window->tmrDelay_Tick();
  }
  ModuleExamora m;
  FixedEnvironment env;
  DeploymentSettings settings;
  ManualClock clock{{2026, 12, 8, 9, 0, 0}};
  SeededRandom random{3};
  ScriptedPrompter prompter;
  PageFetcher fetcher;
  AppContext app{m, settings, env, clock, random, prompter, fetcher, true};
  std::unique_ptr<DoTest> window;
};

TEST(WindowSafeguards, ClosingAnExamTestWindowAsksAsEndDoes) {
  ExamWindow s(false);
  s.prompter.SetNextAnswer(MessageAnswer::No);
  s.window->close();
  ASSERT_FALSE(s.prompter.prompts().empty());
  EXPECT_EQ(s.prompter.prompts().back().text, "Quit the test now ?");
  EXPECT_EQ(s.prompter.prompts().back().defaultButton, MessageAnswer::No);
  EXPECT_FALSE(s.window->model().Ended());
  EXPECT_TRUE(s.window->ClockRunning());
  EXPECT_TRUE(s.window->findChild<QWidget*>("txtAnswer")->isEnabled());
  s.prompter.SetNextAnswer(MessageAnswer::Yes);
  s.window->close();
  EXPECT_TRUE(s.window->model().Ended());
  EXPECT_TRUE(s.window->isVisible());  // the summary stays until QUIT
}

TEST(WindowSafeguards, ClosingACompulsoryExamSaysWhyAndGoesOn) {
  ExamWindow s(true);
  s.window->close();
  ASSERT_EQ(s.prompter.prompts().size(), 1u);
  EXPECT_EQ(s.prompter.prompts()[0].text, "COMPULSORY: You must do every question to finish.");
  EXPECT_FALSE(s.window->model().Ended());
  EXPECT_TRUE(s.window->ClockRunning());
}

// The last answer ends an exam by itself, and its record is on disk at that moment: no timer
// has to tick and no time has to pass, even while the box about that answer is still open.
TEST(WindowSafeguards, TheRecordIsOnDiskWhenTheLastAnswerEndsTheExam) {
  QTemporaryDir dir;
  const fs::path root = dir.path().toStdString();
  WriteFileAtomically(root / "two.txt",
                      "10199\nTwo\nTitle: Two\nCompulsory: False\nPassMark: 50\nColours.\n"
                      "None (2026-11-20)\n----------\nWhich is red?\n\nApple\nSky\nGrass\n"
                      "----------\nWhich is blue?\n\nSky\nApple\nGrass\n*** END OF FILE ***\n");
  std::istringstream in;
  std::ostringstream out, err;
  ASSERT_EQ(RunCli({"author", (root / "two.txt").string(), "-o", (root / "two.eqb").string()}, in,
                   out, err),
            0)
      << err.str();
  const fs::path results = root / "results";
  fs::create_directories(results / "subject_files");
  RecordsSetup setup;
  setup.folder = results;
  setup.studentsFile = root / "std_crypt.eqb";
  setup.keyFile = root / "journal.key";
  setup.keeper = false;
  WriteStudentsCrypt(setup.studentsFile, {"", {{"012345678", "ab1Z", "Mary", "Smith"}}});
  LoadOrCreateJournalKey(setup.keyFile);

  ModuleExamora m;
  FixedEnvironment env;
  DeploymentSettings settings;
  ManualClock clock{{2026, 12, 8, 9, 0, 0}};
  SeededRandom random{3};
  ScriptedPrompter prompter;
  PageFetcher fetcher;
  AppContext app{m, settings, env, clock, random, prompter, fetcher, true};
  auto records = std::make_shared<LocalRecords>(setup, clock);
  records->SignIn("012345678", "ab1Z");
  const OpenedSitting opened = records->Open(ReadFileBytes(root / "two.eqb"), "");
  m.Bank = LoadTestFile(root / "two.eqb", "two.eqb");
  m.TestNumber = 10199;
  m.TestName = "Two";
  m.Students.rows = {{"012345678", "", "Mary", "Smith"}};
  m.StudentIndex = 1;
  PrepareSeededSitting(m, opened.seed, prompter);
  m.Exam = std::make_shared<ExamStart>(ExamStart{opened.seed, opened.secondsLeft, std::nullopt});
  m.Records = records;
  DoTest window(app, "10199 Two");
  window.Form_load();
  window.show();
  window.tmrDelay_Tick();
  const fs::path master = results / "masterfile.txt";
  int boxesBeforeTheRecord = 0;
  for (int answer = 1; answer <= 2; ++answer) {
    ASSERT_FALSE(window.model().Ended());
    EXPECT_FALSE(fs::exists(master)) << answer;
    if (answer == 2) {
      prompter.whileShown = [&](const ScriptedPrompter::Prompt&) {
        if (!fs::exists(master)) ++boxesBeforeTheRecord;
      };
    }
    QWidget* option = window.findChild<QWidget*>("opt1");
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(5, option->height() / 2));
    QTest::mouseClick(window.findChild<QPushButton*>("cmdSubmit"), Qt::LeftButton);
  }
  EXPECT_EQ(boxesBeforeTheRecord, 0);
  std::string said;
  for (const auto& box : prompter.prompts()) said += box.title + ": " + box.text + "\n";
  ASSERT_TRUE(window.model().Ended()) << said;
  ASSERT_TRUE(fs::exists(master));
  const std::string record = ReadFileBytes(master);
  EXPECT_TRUE(record.starts_with("10199,012345678,08/12/2026,09:00,")) << record;
  EXPECT_EQ(ReadFileBytes(results / "012345678.txt"), record);
  EXPECT_EQ(ReadFileBytes(results / "subject_files" / "10199.txt"), record);
}

TEST(WindowSafeguards, MarksBeforeSignInSaysWhatToDoAndAfterItShowsOwnRecords) {
  QTemporaryDir dir;
  const fs::path root = dir.path().toStdString();
  const fs::path results = root / "D" / "~Glimmerfold Do not delete" / "MC" / "student_files";
  fs::create_directories(results);
  WriteFileAtomically(root / "plain.txt", "012345678,ab1Z,Mary,Smith\r\n\r\n");
  const std::string record = "10101,012345678,07/03/2010,14:05,73,3,YYX,Mary Smith,";
  WriteFileAtomically(results / "012345678.txt", record + "\r\n");
  std::istringstream in;
  std::ostringstream out, err;
  ASSERT_EQ(RunCli({"students", "encrypt", (root / "plain.txt").string(), "--folder",
                    results.string(), "-o", (root / "std_crypt.eqb").string()},
                   in, out, err),
            0);
  FixedEnvironment env;
  env.temp = (root / "tmp-").string();
  std::vector<std::string> args = {"--exam",
                                   "--students",
                                   (root / "std_crypt.eqb").string(),
                                   "--drive",
                                   "D=" + (root / "D").string(),
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
  auto* marks = login.findChild<QPushButton*>("cmdMarks");
  prompter.ClearPrompts();
  QTest::mouseClick(marks, Qt::LeftButton);
  ASSERT_EQ(prompter.prompts().size(), 1u);
  EXPECT_EQ(prompter.prompts()[0].title, "MARKS");
  EXPECT_TRUE(prompter.prompts()[0].text.starts_with("Sign in first"))
      << prompter.prompts()[0].text;

  QTest::keyClicks(login.findChild<QLineEdit*>("txtName"), "012345678");
  prompter.SetNextText("ab1Z");
  QTest::mouseClick(login.findChild<QPushButton*>("cmdValidate"), Qt::LeftButton);
  prompter.ClearPrompts();
  QTest::mouseClick(marks, Qt::LeftButton);
  ASSERT_EQ(prompter.prompts().size(), 1u);
  EXPECT_EQ(prompter.prompts()[0].text, "Your results so far (Mary Smith):\r\n" + record);
}

TEST(WindowSafeguards, TheEncryptorsBoxesHaveTheirCaptions) {
  ModuleExamora m;
  DeploymentSettings settings;
  FixedEnvironment env;
  ManualClock clock{{2026, 12, 8, 10, 0, 0}};
  SeededRandom random{1};
  ScriptedPrompter prompter;
  PageFetcher fetcher;
  AppContext app{m, settings, env, clock, random, prompter, fetcher, true};
  Encrypt window(app);
  const struct Row {
    const char* box;
    const char* caption;
  } rows[] = {{"txtNumQuest", "Questions per sitting:"}, {"txtEachTime", "Minutes per question:"}};
  for (const auto& row : rows) {
    QWidget* box = window.findChild<QLineEdit*>(QLatin1String(row.box));
    ASSERT_NE(box, nullptr) << row.box;
    const QLabel* caption = nullptr;
    for (const QLabel* label : window.findChildren<QLabel*>()) {
      if (label->buddy() == box) caption = label;
    }
    ASSERT_NE(caption, nullptr) << row.box;
    EXPECT_EQ(caption->text().remove(QLatin1Char('&')), QLatin1String(row.caption));
    EXPECT_EQ(caption->parentWidget(), box->parentWidget()) << row.box;  // shown beside it
  }
}

}  // namespace
}  // namespace examora
