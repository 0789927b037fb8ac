// The desktop shell against the sample web folder served over HTTP on 127.0.0.1 by a real
// server: start-up, the test list, choosing a test, the access code, preparing a sitting, and
// the failure paths. Timers are fired by the test; only the network is waited for.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <filesystem>

#include <gtest/gtest.h>

#include "app/module_examora.h"
#include "common/numtext.h"
#include "common/prompter.h"
#include "engine/units.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "results/keeper_protocol.h"
#include "shell_support.h"
#include "testfile/access_code.h"
#include "ui/browser_load_window.h"
#include "ui/browser_panel.h"
#include "ui/do_test_window.h"
#include "ui/info_window.h"
#include "ui/login_window.h"
#include "ui/page_fetcher.h"
#include "ui/screen_fit.h"
#include "ui/selection_window.h"

namespace examora {
namespace {

namespace fs = std::filesystem;
using gui_testing::Shell;
using gui_testing::WebServer;

class ShellTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new WebServer; }
  static void TearDownTestSuite() { delete server_; }
  static WebServer* server_;
};
WebServer* ShellTest::server_ = nullptr;

TEST_F(ShellTest, StartUpFillsTheSelectionWindowWithTheSampleTests) {
  Shell s(server_->base());
  s.login.Form_Load();
  EXPECT_TRUE(s.login.loader().TimerEnabled(LoaderTimer::kTimer1));
  EXPECT_EQ(s.login.windowTitle(), "Examora 568: 2010-03-23   |    Login");
  EXPECT_FALSE(s.Find<QPushButton>(s.login, "cmdStudyMode")->isEnabled());
  EXPECT_EQ(s.Find<QLineEdit>(s.login, "txtName")->text(), "Study Mode");
  s.RunLoader();
  const QStringList lines = s.LoginLines();
  ASSERT_GE(lines.size(), 12);
  EXPECT_EQ(lines.mid(0, 5),
            (QStringList{"S T U D Y   M O D E ", "Testing Internet...", "Internet OK",
                         "Loading Test List...", "Test List Done."}));
  EXPECT_EQ(lines[5], "83");  // characters received
  EXPECT_EQ(lines[6], "5");   // tests
  EXPECT_EQ(lines[7], "10101 Beams");
  EXPECT_EQ(lines[10], "10104 Fluids");
  EXPECT_EQ(lines.last(), "                                GET TEST --->");
  EXPECT_FALSE(s.login.isVisible());
  examora::Test& test = s.login.selection();
  EXPECT_TRUE(test.isVisible());
  EXPECT_TRUE(test.windowTitle().contains("STUDY MODE     |     NO MARKS WILL BE RECORDED"));
  auto* list = s.Find<QListWidget>(test, "List1");
  ASSERT_EQ(list->count(), 5);
  EXPECT_EQ(list->item(0)->text(), "10101_Beams");
  EXPECT_EQ(s.m.SittingFileName, "2612081250lab-pc.txt");
  EXPECT_EQ(s.m.TempFolder, s.env.temp);
}

TEST_F(ShellTest, ChoosingATestShowsItsHeaderAndGetTheTestPreparesTheSitting) {
  Shell s(server_->base());
  s.login.Form_Load();
  s.RunLoader();
  s.Choose(0);
  EXPECT_EQ(s.Label("lblStatus"), "Done");
  EXPECT_EQ(s.Label("lbl4"), "Beams");
  EXPECT_EQ(s.Label("lbl13"), "12");
  EXPECT_EQ(s.Label("lbl6"), "15");
  EXPECT_EQ(s.Label("Label3"), "90");
  EXPECT_EQ(s.Label("lbl10"), "18 minutes");
  EXPECT_EQ(s.Label("lblStartTime"), "12:50");
  EXPECT_EQ(s.Label("lblEndTime"), "01:08");
  EXPECT_EQ(s.Label("lblVariableDesc"), "Values are drawn afresh for every sitting. ");
  EXPECT_EQ(s.Label("lblContinueMode"), "------ Continue Forbidden ------");
  EXPECT_EQ(s.Label("lblPassword"), "Correct Password");
  examora::Test& test = s.login.selection();
  EXPECT_EQ(s.Find<QLineEdit>(test, "txtPassword")->text(), "StudyMode");
  EXPECT_FALSE(s.Find<QLineEdit>(test, "txtPassword")->isEnabled());
  EXPECT_TRUE(s.Find<QWidget>(test, "Frame2")->isVisible());
  EXPECT_TRUE(fs::exists(s.env.temp + s.m.SittingFileName));

  auto* run = s.Find<QPushButton>(test, "cmdRunTest");
  ASSERT_TRUE(run->isVisible());
  QTest::mouseClick(run, Qt::LeftButton);
  EXPECT_EQ(s.Label("lblDecrypting"), "Test is Ready...");
  EXPECT_FALSE(s.Find<QListWidget>(test, "List1")->isEnabled());
  ASSERT_EQ(s.m.Prepared.size(), 15);
  EXPECT_EQ(s.m.Prepared.QuestionOrder[7], 7);  // study mode keeps the bank order
  EXPECT_NE(s.m.Prepared.Solution[1], 0);
  EXPECT_TRUE(s.prompter.prompts().empty());

  s.Choose(3);  // Fluids may be continued
  fs::remove(s.env.temp + s.m.SittingFileName);
}

TEST_F(ShellTest, ContinuableTestsAndTheExamAccessCode) {
  Shell s(server_->base());
  s.login.Form_Load();
  s.RunLoader();
  s.m.StudyMode = false;  // as in an exam session
  s.Choose(3);
  EXPECT_EQ(s.Label("lblContinueMode"), "CONTINUE OK");
  EXPECT_EQ(s.Label("lblPassword"), "Type Password then ENTER");
  examora::Test& test = s.login.selection();
  auto* password = s.Find<QLineEdit>(test, "txtPassword");
  QTest::keyClicks(password, "12345");
  QTest::keyClick(password, Qt::Key_Return);
  EXPECT_EQ(s.Label("lblPassword"), "Wrong Password");
  EXPECT_FALSE(s.Find<QPushButton>(test, "cmdRunTest")->isVisible());
  password->clear();
  QTest::keyClicks(password, QString::number(MakeAccessCode(s.clock)));
  s.clock.Advance(200);
  QTest::keyClick(password, Qt::Key_Return);
  EXPECT_EQ(s.Label("lblPassword"), "Correct Password");
  EXPECT_TRUE(s.Find<QPushButton>(test, "cmdRunTest")->isVisible());
  fs::remove(s.env.temp + s.m.SittingFileName);
}

TEST_F(ShellTest, NoServerStopsAtInternetQuestion) {
  Shell s("http://127.0.0.1:9/");
  s.login.Form_Load();
  s.RunLoader();
  EXPECT_EQ(s.LoginLines().last(), "Internet ?");
  EXPECT_TRUE(s.login.isVisible());
  EXPECT_TRUE(s.Find<QPushButton>(s.login, "cmdGo")->isVisible());
}

TEST_F(ShellTest, AListThatDoesNotBeginWith101IsRefused) {
  WebServer other;
  WriteFileAtomically(other.file("info/data/testlist.txt"), "20101 Elsewhere\r\n");
  Shell s(other.base());
  s.login.Form_Load();
  s.RunLoader();
  EXPECT_EQ(s.LoginLines().mid(1), (QStringList{"Testing Internet...", "Internet OK",
                                                "Loading Test List...", "Internet ?"}));
}

TEST_F(ShellTest, ATestThatNeverArrivesOrIsDamagedLeavesTheListUsable) {
  WebServer other;
  std::string damaged = ReadFileBytes(other.file("tests/10102 Circuits/Circuits-BF.txt"));
  damaged.resize(damaged.size() / 2);
  WriteFileAtomically(other.file("tests/10102 Circuits/Circuits-BF.txt"), damaged);
  Shell s(other.base());
  s.login.Form_Load();
  s.RunLoader();
  examora::Test& test = s.login.selection();

  // Chosen, but the page never comes: the wait runs out.
  s.login.selection().List1_Click(0);
  EXPECT_TRUE(test.TimerEnabled());
  test.tmrLoadWait_Tick();
  EXPECT_TRUE(s.Label("lblStatus").startsWith("The test 10101 Beams could not be loaded."));
  EXPECT_TRUE(s.Find<QListWidget>(test, "List1")->isEnabled());

  s.Choose(1);
  EXPECT_TRUE(s.Label("lblStatus").contains("The test \"10102 Circuits\" cannot be used"))
      << s.Label("lblStatus").toStdString();
  EXPECT_FALSE(s.Find<QPushButton>(test, "cmdRunTest")->isVisible());
  EXPECT_EQ(s.Label("lbl13"), "");
  EXPECT_EQ(s.m.Bank.header.QuestionsInFile, 0);
  s.Choose(0);  // another test still loads
  EXPECT_EQ(s.Label("lbl13"), "12");
  fs::remove(s.env.temp + s.m.SittingFileName);
}

TEST_F(ShellTest, InformationWindowAndDebugWindow) {
  Shell s(server_->base());
  InitSession(s.m, s.settings, s.env);
  frm_Info info(s.app);
  const int room = FreeArea(info).width();
  info.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return info.browser().arrivals() > 0; }, 10000));
  EXPECT_TRUE(info.browser().toPlainText().contains("Before you start"));
  EXPECT_EQ(info.width(), std::min(900, room));  // 13500 twips, if it fits
  info.resize(500, 300);
  EXPECT_EQ(info.browser().width(), 500 - 11);
  EXPECT_EQ(info.browser().height(), 300 - 36);
  info.resize(500, 20);
  EXPECT_EQ(info.browser().height(), 6);

  s.m.Debugger.Add("MATRIX PREP x");
  Debugger debug(s.m.Debugger);
  debug.show();
  EXPECT_TRUE(s.m.Debugger.visible);
  s.m.Debugger.Add("num Rows=2");
  auto* list = debug.findChild<QListWidget*>("List1");
  ASSERT_EQ(list->count(), 2);
  EXPECT_EQ(list->item(1)->text(), "num Rows=2");
  debug.hide();
  EXPECT_FALSE(s.m.Debugger.visible);
}

// Every window rendered offscreen is more than one flat colour; the pictures are kept in the
// build folder.
TEST_F(ShellTest, ScreenshotsOfEveryWindow) {
  Shell s(server_->base());
  s.login.Form_Load();
  const fs::path folder = fs::path(EXAMORA_SCREENSHOTS);
  fs::create_directories(folder);
  auto shoot = [&](QWidget& window, const char* name) {
    window.show();
    QTest::qWait(50);
    const QImage image = window.grab().toImage();
    image.save(QString::fromStdString((folder / name).string()));
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 4) {
      for (int x = 0; x < image.width(); x += 4) colours.insert(image.pixel(x, y));
    }
    EXPECT_GT(colours.size(), 10u) << name;
  };
  shoot(s.login, "Login.png");
  s.RunLoader();
  s.Choose(0);
  shoot(s.login.selection(), "Test.png");
  shoot(s.login.loader(), "BrowserLoad.png");
  frm_Info info(s.app);
  (void)QTest::qWaitFor([&] { return info.browser().arrivals() > 0; }, 10000);
  shoot(info, "frm_Info.png");
  Debugger debug(s.m.Debugger);
  s.m.Debugger.Add("wordQty(2)");
  shoot(debug, "Debugger.png");
  fs::remove(s.env.temp + s.m.SittingFileName);
}

}  // namespace
}  // namespace examora

namespace examora {
namespace {

TEST_F(ShellTest, ASittingFromSignInToTheSummary) {
  Shell s(server_->base());
  s.login.Form_Load();
  s.RunLoader();
  s.Choose(0);  // Beams
  examora::Test& test = s.login.selection();
  // From the keyboard: Enter on "Get the Test", then on GO, each taking the focus in turn.
  ASSERT_EQ(test.focusWidget(), s.Find<QPushButton>(test, "cmdRunTest"));
  QTest::keyClick(test.focusWidget(), Qt::Key_Return);
  auto* go = s.Find<QPushButton>(test, "cmdGO");
  ASSERT_TRUE(go->isVisible());
  ASSERT_EQ(test.focusWidget(), go);
  QTest::keyClick(test.focusWidget(), Qt::Key_Return);
  EXPECT_FALSE(test.isVisible());
  DoTest* window = s.login.testWindow();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(window->windowTitle().contains("STUDY MODE  (Not Recorded)    |       10101 Beams"));
  window->tmrDelay_Tick();
  EXPECT_TRUE(s.Find<QLabel>(*window, "lblStem")->text().startsWith("Q1: A cantilever"));
  // Q1: the right moment in kN.m.
  auto* units = s.Find<QListWidget>(*window, "List2");
  units->scrollToItem(units->item(35));
  QTest::mouseClick(units->viewport(), Qt::LeftButton, {},
                    units->visualItemRect(units->item(35)).center());
  auto* prefixes = s.Find<QListWidget>(*window, "List1");
  QTest::mouseClick(prefixes->viewport(), Qt::LeftButton, {},
                    prefixes->visualItemRect(prefixes->item(5)).center());
  float solution = s.m.Prepared.Solution[1] / 1000;
  int figures = 4;
  QTest::keyClicks(s.Find<QLineEdit>(*window, "txtAnswer"),
                   QString::fromStdString(FormatSF(solution, figures)));
  QTest::keyClick(s.Find<QLineEdit>(*window, "txtAnswer"), Qt::Key_Return);
  EXPECT_EQ(window->model().ResultCode[1], "Y");
  for (int tick = 0; tick < 3; ++tick) window->second_Tick();
  EXPECT_EQ(s.Find<QLabel>(*window, "lblCountdown")->text(), " 17:57");
  // END, confirmed: the summary replaces the question.
  s.prompter.SetNextAnswer(MessageAnswer::Yes);
  QTest::mouseClick(s.Find<QPushButton>(*window, "cmdQuit"), Qt::LeftButton);
  auto* summary = s.Find<QLabel>(*window, "picSave");
  ASSERT_TRUE(summary->isVisible());
  EXPECT_TRUE(summary->text().contains(" STUDY MODE. Mark was not recorded\n"));
  EXPECT_TRUE(summary->text().contains(" Test = Beams\n"));
  EXPECT_TRUE(summary->text().contains(" Your selections... (RANDOMISED ORDER)\n YZZZZZZZZZZZ\n"));
  EXPECT_TRUE(summary->text().contains(" Final Score =  8 \n"));  // one right of twelve: 8.3
  EXPECT_TRUE(s.Find<QPushButton>(*window, "cmdQuitAll")->isVisible());
  fs::remove(s.env.temp + s.m.SittingFileName);
}

}  // namespace
}  // namespace examora

namespace examora {
namespace {

// The bundled web folder is read through file:// URLs whose folder names hold blanks.
TEST(PageFetcherTest, FileUrlsWithEncodedNamesAndMissingFiles) {
  PageFetcher fetcher;
  const std::string base = FolderFileUrl(EXAMORA_WEBROOT);
  TestListTable table;
  GetTestsWeb("10101 Beams", table);
  FetchedPage test, page, missing;
  int done = 0;
  fetcher.Fetch(QUrl(QString::fromStdString(TestAddress(base, table, 1))), true,
                [&](const FetchedPage& p) { test = p, ++done; });
  fetcher.Fetch(QUrl(QString::fromStdString(base + "info/No_Image_Required.html")), false,
                [&](const FetchedPage& p) { page = p, ++done; });
  fetcher.Fetch(QUrl(QString::fromStdString(base + "info/absent.html")), false,
                [&](const FetchedPage& p) { missing = p, ++done; });
  ASSERT_TRUE(QTest::qWaitFor([&] { return done == 3; }, 10000));
  EXPECT_TRUE(test.ok) << test.error.toStdString();
  EXPECT_FALSE(test.html);
  EXPECT_EQ(LoadTestText(test.bodyText, "Beams").header.QuestionsInFile, 15);
  EXPECT_TRUE(page.html);
  EXPECT_EQ(page.bodyText.substr(0, 17), "Image not needed.");
  EXPECT_FALSE(missing.ok);
}

}  // namespace
}  // namespace examora

namespace examora {
namespace {

// Records holding an interrupted sitting of every test, which started at `started`.
class InterruptedRecords : public SittingRecords {
 public:
  long long started = 0;
  std::vector<int> asked;  // the test numbers asked about

  StudentRow SignIn(const std::string&, const std::string&) override { return {}; }
  OpenedSitting Open(std::string_view, const std::string&) override {
    OpenedSitting opened;
    opened.resumed = true;
    opened.seed = 5;
    opened.secondsLeft = 600;
    opened.started = started;
    return opened;
  }
  AnswerVerdict Answer(const JournalAnswer&) override { throw Refused("not in this test"); }
  SaveReport End() override { return {}; }
  int SecondsLeft() override { return 600; }
  bool HasInterruptedSitting(int testNumber) override {
    asked.push_back(testNumber);
    return true;
  }
  std::vector<std::string> OwnRecords() override { return {}; }
  bool CheckAdminPassword(const std::string&) override { return false; }
};

// Beams may not be continued, but its interrupted exam sitting carries on: the selection window
// says so rather than "Continue Forbidden", and the sitting keeps the times it started with.
TEST(SelectionWindow, AnInterruptedSittingIsAnnouncedAndKeepsItsTimes) {
  gui_testing::Shell s(FolderFileUrl(EXAMORA_WEBROOT));
  s.login.Form_Load();
  s.RunLoader();
  s.m.StudyMode = false;
  auto records = std::make_shared<InterruptedRecords>();
  records->started = s.clock.UtcSeconds() - 25 * 60;  // at 12:25; the clock says 12:50
  s.m.Records = records;
  s.Choose(0);
  EXPECT_EQ(s.Label("lblContinueMode"), "Your interrupted sitting of this test carries on");
  EXPECT_EQ(records->asked.back(), 10101);
  examora::Test& test = s.login.selection();
  auto* code = s.Find<QLineEdit>(test, "txtPassword");
  QTest::keyClicks(code, QString::number(MakeAccessCode(s.clock)));
  QTest::keyClick(code, Qt::Key_Return);
  QTest::mouseClick(s.Find<QPushButton>(test, "cmdRunTest"), Qt::LeftButton);
  QTest::mouseClick(s.Find<QPushButton>(test, "cmdGO"), Qt::LeftButton);
  EXPECT_EQ(s.Label("lblStartTime"), "12:25");
  EXPECT_EQ(s.Label("lblEndTime"), "12:43");  // eighteen minutes on
  DoTest* window = s.login.testWindow();
  ASSERT_NE(window, nullptr);
  window->tmrDelay_Tick();
  const QString statistics = s.Find<QLabel>(*window, "picStatistics")->text();
  EXPECT_TRUE(statistics.contains(QString::fromUtf8("Start\u00A0=12:25")))
      << statistics.toStdString();
  EXPECT_TRUE(statistics.contains(QString::fromUtf8("Finish\u00A0=12:43")));
  fs::remove(s.env.temp + s.m.SittingFileName);
}

}  // namespace
}  // namespace examora

namespace examora {
namespace {

// The pipe picture (560 x 320) is shown whole in a narrower panel: shrunk, no scroll bar, so
// its label F is in sight; with room enough it keeps its own size.
TEST(BrowserPanelTest, APictureLargerThanThePanelIsShownWhole) {
  PageFetcher fetcher;
  BrowserPanel panel(fetcher);
  panel.resize(320, 240);
  panel.show();
  panel.Navigate(QUrl(QString::fromStdString(FolderFileUrl(EXAMORA_WEBROOT) +
                                             "tests/10104%20Fluids/pics/pipe.png")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return panel.arrivals() > 0; }, 5000));
  QApplication::processEvents();
  EXPECT_TRUE(panel.toHtml().contains("<img")) << panel.toPlainText().toStdString();
  EXPECT_EQ(panel.horizontalScrollBar()->maximum(), 0);
  EXPECT_EQ(panel.verticalScrollBar()->maximum(), 0);
  panel.resize(900, 700);
  QApplication::processEvents();
  EXPECT_TRUE(panel.toHtml().contains("width=\"560\"")) << panel.toHtml().toStdString();
}

}  // namespace
}  // namespace examora
