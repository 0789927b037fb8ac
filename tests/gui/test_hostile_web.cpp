// The shell against a web folder that misbehaves (hostile_server.py on 127.0.0.1): pages that
// never come, drip, are huge, redirect for ever or are not what they should be, lists that
// point out of the folder; and the selection window's own promises: one request at a time,
// retries that work, honest errors and a layout that stays put.
#include <QPushButton>
#include <QTextDocument>

#include "app/web_address.h"
#include "platform/files.h"
#include "shell_support.h"
#include "ui/browser_panel.h"
#include "ui/info_window.h"

namespace examora {
namespace {

namespace fs = std::filesystem;
using gui_testing::Shell;
using gui_testing::WebServer;

constexpr qint64 kTestLimit = qint64{1} << 20;  // short limits keep these tests quick
constexpr int kTestDeadlineMs = 600;

class HostileWebTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new WebServer(true); }
  static void TearDownTestSuite() { delete server_; }
  static WebServer* server_;

  // A shell on `mode`, with the test list loaded and the sitting file of an earlier sitting
  // in place, which no failed fetch may replace.
  std::unique_ptr<Shell> Start(const std::string& mode) {
    auto s = std::make_unique<Shell>(server_->base(mode));
    s->env.temp = temp_.string() + "/";  // its own sitting file, which the test checks
    s->fetcher.setLimits({kTestLimit, kTestDeadlineMs, 5});
    s->login.Form_Load();
    s->RunLoader();
    sitting_ = s->env.temp + s->m.SittingFileName;
    if (s->m.Tests.TestCount > 0) WriteFileAtomically(sitting_, "an earlier sitting\r\n");
    return s;
  }
  void SetUp() override {
    temp_ = fs::temp_directory_path() / ("examora-hostile-" + std::to_string(::getpid()));
    fs::create_directories(temp_);
  }
  void TearDown() override { fs::remove_all(temp_); }
  fs::path temp_;
  std::string sitting_;
};
WebServer* HostileWebTest::server_ = nullptr;

TEST_F(HostileWebTest, TestsThatHangDripAreHugeOrLoopFailWithTheirReasonInBoundedMemory) {
  const std::pair<const char*, const char*> rows[] = {
      {"hang-tests", "could not be fetched: no answer within 0.6 s."},
      {"drip-tests", "could not be fetched: no answer within 0.6 s."},
      {"huge-tests", "could not be fetched: it is larger than 1 MiB, the most a page may be."},
      {"loop-tests", "could not be fetched: it redirects too often."},
      {"bomb-tests",
       "could not be fetched: its compressed content could not be unpacked: it unpacks to far "
       "more than a page may be."},
  };
  for (const auto& [mode, says] : rows) {
    auto s = Start(mode);
    ASSERT_EQ(s->m.Tests.TestCount, 5) << mode;  // the list itself is served well
    s->Choose(1);
    EXPECT_TRUE(s->Label("lblStatus").startsWith("The test 10102 Circuits could not be fetched"))
        << mode << ": " << s->Label("lblStatus").toStdString();
    EXPECT_TRUE(s->Label("lblStatus").contains(says)) << s->Label("lblStatus").toStdString();
    EXPECT_FALSE(s->Find<QPushButton>(s->login.selection(), "cmdRunTest")->isVisible());
    EXPECT_LE(s->fetcher.peakBytes(), kTestLimit + 65536) << mode;
    EXPECT_EQ(ReadFileBytes(sitting_), "an earlier sitting\r\n") << mode;
  }
}

TEST_F(HostileWebTest, AListThatIsHtmlOrHugeIsRefused) {
  const fs::path listFile = server_->file("info/data/testlist.txt");
  const std::string list = ReadFileBytes(listFile);
  WriteFileAtomically(listFile, "<html><body><p>Moved</p></body></html>");
  auto html = Start("ok-all");
  WriteFileAtomically(listFile, list);
  EXPECT_EQ(html->m.Tests.TestCount, 0);
  EXPECT_EQ(html->LoginLines().last(), "Internet ?");
  auto huge = Start("huge-list");
  EXPECT_EQ(huge->m.Tests.TestCount, 0);
  EXPECT_TRUE(huge->LoginLines().contains(
      QString::fromStdString(server_->base("huge-list") +
                             "info/data/testlist.txt could not be fetched: it is larger than "
                             "1 MiB, the most a page may be")));
  EXPECT_EQ(huge->LoginLines().last(), "Internet ?");
  EXPECT_LE(huge->fetcher.peakBytes(), kTestLimit + 65536);
}

TEST_F(HostileWebTest, ListLinesThatLeaveTestsAreSkippedAndNeverRequested) {
  const std::string list = ReadFileBytes(server_->file("info/data/testlist.txt"));
  std::string hostile = list + "\r\n../../etc/passwd\r\n10101 ..\\..\\x\r\n(cont)\r\n1e100 Big";
  for (int i = 0; i < 100000; ++i) hostile += "\r\n10199 M";  // 900 KB: under the limit
  WriteFileAtomically(server_->file("info/data/testlist.txt"), hostile);
  auto s = Start("ok-all");
  WriteFileAtomically(server_->file("info/data/testlist.txt"), list);
  EXPECT_EQ(s->m.Tests.TestCount, 500);  // the first 500 of 5 + 1 + 100000, the rest counted
  EXPECT_TRUE(s->LoginLines().contains("99506 more tests were left out: the list holds 500"));
  s->Choose(5);  // "1e100 Big": no such test on the server
  EXPECT_TRUE(s->Label("lblStatus").contains("could not be fetched: not found"))
      << s->Label("lblStatus").toStdString();
  const std::string asked = server_->requests();
  EXPECT_EQ(asked.find("passwd"), std::string::npos);
  EXPECT_EQ(asked.find(".."), std::string::npos);
}

TEST_F(HostileWebTest, PicturesAndPageResourcesStayInsideTheWebFolder) {
  auto s = Start("ok-all");
  const fs::path secret = fs::temp_directory_path() / "examora-secret.png";
  QImage(4, 4, QImage::Format_RGB32).save(QString::fromStdString(secret.string()));
  BrowserPanel panel(s->fetcher);
  const std::string base = s->m.WebBase;
  panel.setFolder(QString::fromStdString(base));
  panel.show();
  // A picture line climbing out is refused by the resolver, and by the panel if built by hand.
  EXPECT_FALSE(ResolveInTestFolder(base, "10101 Beams", "../../../../../../" + secret.string()));
  panel.Navigate(QUrl(QString::fromStdString(base + "tests/10101%20Beams/../../../x.png")));
  EXPECT_TRUE(panel.toPlainText().contains("outside the web folder"));
  // An http page that asks for a local file does not get it.
  WriteFileAtomically(server_->file("tests/10101 Beams/page.html"),
                      "<html><body>Beam<img src=\"file://" + secret.string() +
                          "\"><img src=\"../../info/x.png\"></body></html>");
  panel.Navigate(
      QUrl(QString::fromStdString(*ResolveInTestFolder(base, "10101 Beams", "page.html"))));
  ASSERT_TRUE(QTest::qWaitFor([&] { return panel.toPlainText().contains("Beam"); }, 5000));
  panel.resize(400, 300);
  QTest::qWait(100);  // drawing the page asks for its pictures
  EXPECT_GE(panel.refusedResources(), 1);
  const QUrl local = QUrl::fromLocalFile(QString::fromStdString(secret.string()));
  EXPECT_TRUE(
      panel.document()->resource(QTextDocument::ImageResource, local).toByteArray().isEmpty());
  fs::remove(secret);
}

TEST_F(HostileWebTest, ChoicesRetriesAndGetTheTestAreOneRequestAtATime) {
  auto s = Start("ok-all");
  examora::Test& test = s->login.selection();
  const fs::path beams = server_->file("tests/10101 Beams/Beams-BF.txt");
  fs::rename(beams, beams.string() + ".away");
  s->Choose(0);
  EXPECT_EQ(s->Label("lblStatus"),
            "The test 10101 Beams could not be fetched: not found. Choose it again, or another "
            "test.");
  EXPECT_EQ(ReadFileBytes(sitting_), "an earlier sitting\r\n");
  fs::rename(beams.string() + ".away", beams);
  s->Choose(2);
  s->Choose(2);  // the retry of a test that failed, here the third entry, counts
  EXPECT_EQ(s->Label("lbl4"), "Thermodynamics");
  // A is chosen, then B before A's page is acted on: only B's page is shown.
  BrowserLoad& loader = s->login.loader();
  test.List1_Click(0);
  loader.Tick(LoaderTimer::kTimer3);
  ASSERT_TRUE(QTest::qWaitFor([&] { return loader.TimerEnabled(LoaderTimer::kTimerXX); }, 5000));
  loader.Tick(LoaderTimer::kTimerXX);  // Beams' page is in hand...
  test.List1_Click(1);
  test.SaveTheTest();  // ...and handed on late, after Circuits was chosen: dropped
  EXPECT_EQ(s->Label("lbl4"), "Circuits (Loading)");
  s->RunLoader();
  EXPECT_EQ(s->Label("lbl4"), "Circuits");
  const std::string circuits = s->m.Bank.header.TestTitle;
  QTest::mouseClick(s->Find<QPushButton>(test, "cmdRunTest"), Qt::LeftButton);
  ASSERT_EQ(s->Label("lblDecrypting"), "Test is Ready...");
  test.List1_Click(3);  // after "Get the Test" nothing replaces the bank
  test.SaveTheTest();
  s->RunLoader();
  EXPECT_EQ(s->m.Bank.header.TestTitle, circuits);
  EXPECT_EQ(s->Label("lbl4"), "Circuits");
}

TEST_F(HostileWebTest, TheWindowStaysPutAndOffersNothingThatDidNotCome) {
  auto s = Start("ok-all");
  examora::Test& test = s->login.selection();
  auto* list = s->Find<QListWidget>(test, "List1");
  auto* run = s->Find<QPushButton>(test, "cmdRunTest");
  const QRect listAt = list->geometry(), runAt = run->geometry();
  for (int row = 0; row < list->count(); ++row) {
    s->Choose(row);
    EXPECT_EQ(list->geometry(), listAt) << row;
    EXPECT_EQ(run->geometry(), runAt) << row;
  }
  EXPECT_EQ(s->Find<QLabel>(test, "lblInBank")->text(), "Questions in the bank:");
  EXPECT_EQ(s->login.width(), Twips(8500));

  // "Get the Test" pressed before the test came: nothing is decrypted, nothing claims to be.
  test.List1_Click(0);
  QTest::mouseClick(run, Qt::LeftButton);
  EXPECT_EQ(s->Label("lblStatus"), "Wait until the test has loaded.");
  EXPECT_FALSE(s->Find<QLabel>(test, "lblDecrypting")->isVisible());
  // The wait runs out: the button does not go on offering the test.
  test.tmrLoadWait_Tick();
  EXPECT_FALSE(run->isVisible());
  s->RunLoader();  // the late page is not taken
  EXPECT_EQ(s->Label("lbl13"), "");
}

// A web folder named "wéb", given as a bare folder path: the list, the tests, the pictures and
// the information page all load from its one address.
TEST(NonAsciiWebFolder, EveryWindowReadsTheSameAddress) {
  const fs::path folder = fs::temp_directory_path() / ("w\xC3\xA9"
                                                       "b-" +
                                                       std::to_string(::getpid()));
  fs::remove_all(folder);
  fs::copy(EXAMORA_WEBROOT, folder, fs::copy_options::recursive);
  Shell s(folder.string());
  s.login.Form_Load();
  s.RunLoader();
  ASSERT_EQ(s.m.Tests.TestCount, 5);
  s.Choose(0);
  EXPECT_EQ(s.Label("lbl13"), "12");
  frm_Info info(s.app);
  ASSERT_TRUE(QTest::qWaitFor([&] { return info.browser().arrivals() > 0; }, 5000));
  EXPECT_TRUE(info.browser().toPlainText().contains("Before you start"));
  // A file:// page reads what lies inside the web folder, and nothing outside it.
  auto resource = [&](const fs::path& file) {
    return info.browser()
        .document()
        ->resource(QTextDocument::ImageResource,
                   QUrl::fromLocalFile(QString::fromStdString(file.string())))
        .toByteArray();
  };
  EXPECT_FALSE(resource(folder / "info" / "data" / "testlist.txt").isEmpty());
  EXPECT_TRUE(resource(fs::path(EXAMORA_WEBROOT) / "info" / "data" / "testlist.txt").isEmpty());
  BrowserPanel panel(s.fetcher);
  std::string picture;
  for (const auto& entry : fs::recursive_directory_iterator(folder / "tests" / "10101 Beams")) {
    if (entry.path().extension() == ".png") {
      picture = entry.path().lexically_relative(folder / "tests" / "10101 Beams").string();
    }
  }
  ASSERT_FALSE(picture.empty());
  panel.Navigate(
      QUrl(QString::fromStdString(*ResolveInTestFolder(s.m.WebBase, "10101 Beams", picture))));
  ASSERT_TRUE(QTest::qWaitFor([&] { return panel.arrivals() > 0; }, 5000));
  EXPECT_TRUE(panel.toHtml().contains("<img")) << panel.toPlainText().toStdString();
  fs::remove(s.env.temp + s.m.SittingFileName);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace examora
