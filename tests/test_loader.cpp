// The test list and the web loader's request chain, with a host that records what the loader
// asks for and lets the test deliver pages and fire timers.
#include <algorithm>

#include <gtest/gtest.h>

#include "app/browser_load.h"
#include "app/testlist.h"

namespace examora {
namespace {

TEST(GetTestsWeb, LinesNumbersNamesAndContinuation) {
  TestListTable t;
  const auto shown = GetTestsWeb("10101 Beams\r\n10102 Beams (cont)\r\n10103 Fluids", t);
  EXPECT_EQ(t.TestCount, 3);
  ASSERT_EQ(shown.size(), 2u + 3u + 5u + 1u);
  EXPECT_EQ(shown[0], "45");  // characters received
  EXPECT_EQ(shown[1], "3");   // tests
  EXPECT_EQ(shown[3], "10102 Beams");
  EXPECT_EQ(shown.back(), "                                GET TEST --->");
  EXPECT_EQ(t.TestList[2][1], "10102");
  EXPECT_EQ(t.TestList[2][2], "Beams");
  EXPECT_TRUE(t.TestContinuable[2]);
  EXPECT_FALSE(t.TestContinuable[1]);
  EXPECT_EQ(t.TestListLine[2], "10102 Beams");
  EXPECT_EQ(t.TestNumber, 10103);
  EXPECT_EQ(t.TestNameByNumber.at(10101), "Beams");
}

TEST(GetTestsWeb, ShortLinesAreSkippedAndLineFeedsDoNotEndLines) {
  TestListTable t;
  GetTestsWeb("10101 A\r\n10102 B\r\n10103 C\r\n", t);
  EXPECT_EQ(t.TestCount, 3);  // the empty line after the last break is not counted
  GetTestsWeb("10101 A\r\n\r\n12\r\n10102 B", t);
  EXPECT_EQ(t.TestCount, 2);
  GetTestsWeb("10101 A\n10102 B\n10103 C", t);
  EXPECT_EQ(t.TestCount, 1);  // line feeds alone: one long line
  EXPECT_EQ(t.TestList[1][2], "A10102 B10103 C");
  GetTestsWeb("", t);
  EXPECT_EQ(t.TestCount, 0);
}

// The list holds 500 tests: a longer list gives its first 500 and says how many were left out;
// 500 exactly leaves nothing out.
TEST(GetTestsWeb, AtMost500TestsAndTheRestCounted) {
  for (const int lines : {500, 501, 100001}) {
    std::string text;
    for (int i = 0; i < lines; ++i) text += std::to_string(10000 + i % 90000) + " T\r\n";
    TestListTable t;
    const auto shown = GetTestsWeb(text, t);
    EXPECT_EQ(t.TestCount, 500);
    EXPECT_EQ(t.TestListLine.size(), 501u);
    EXPECT_EQ(t.TestListLine[500], "10499 T");
    const std::string note =
        std::to_string(lines - 500) + " more tests were left out: the list holds 500";
    EXPECT_EQ(std::count(shown.begin(), shown.end(), note), lines > 500 ? 1 : 0) << lines;
    EXPECT_EQ(shown.size(), 2u + 500 + (lines > 500 ? 1 : 0) + 6);
  }
}

TEST(GetTestsWeb, TestAddressesAreEncoded) {
  TestListTable t;
  GetTestsWeb(
      "10101 Beams\r\n10104 Fluids (cont)\r\n10105 D\xE9"
      "bit",
      t);
  EXPECT_EQ(TestAddress("http://h/w/", t, 1), "http://h/w/tests/10101%20Beams/Beams-BF.txt");
  EXPECT_EQ(TestAddress("http://h/w/", t, 2), "http://h/w/tests/10104%20Fluids/Fluids-BF.txt");
  EXPECT_EQ(TestAddress("file:///w/", t, 3),
            "file:///w/tests/10105%20D%C3%A9bit/D%C3%A9bit-BF.txt");
}

TEST(GetTestsWeb, HostileLinesAreSkippedAndNumbersStayInRange) {
  TestListTable t;
  GetTestsWeb(
      "(cont)\r\n  (cont)  \r\n../../etc/passwd\r\n10101 a/b\r\n10102 ..\\x\r\n1e100 Big\r\n"
      "2e+14 X\r\n-5e30 Y\r\n10103 Ok",
      t);
  ASSERT_EQ(t.TestCount, 4);
  EXPECT_EQ(t.TestListLine[1], "1e100 Big");
  EXPECT_EQ(t.TestNumber, 10103);
  EXPECT_EQ(t.TestNameByNumber.size(), 1u);  // only 10103 is a number a test can have
  for (const char* text : {"1e100", "2e+14", "-5e30", "-1", "100000"}) {
    EXPECT_EQ(TestNumberOf(text), -1) << text;
  }
  EXPECT_EQ(TestNumberOf("99999"), 99999);
  EXPECT_EQ(TestNumberOf("00042"), 42);
  EXPECT_EQ(TestAddress("http://h/w/", t, 4), "http://h/w/tests/10103%20Ok/Ok-BF.txt");
}

// An interrupted sitting that opening the test carries on is announced instead of the test's
// continuation setting, which it overrides.
TEST(TestChoice, TheContinueNoticeNamesAnInterruptedSittingFirst) {
  const struct {
    bool continuable, pending;
    const char* text;
    bool red;
  } rows[] = {{false, false, "------ Continue Forbidden ------", true},
              {true, false, "CONTINUE OK", false},
              {false, true, "Your interrupted sitting of this test carries on", false},
              {true, true, "Your interrupted sitting of this test carries on", false}};
  for (const auto& row : rows) {
    const ContinueNotice notice = ContinueModeNotice(row.continuable, row.pending);
    EXPECT_EQ(notice.text, row.text);
    EXPECT_EQ(notice.red, row.red) << row.text;
  }
}

TEST(TestChoice, AFailedTestCanBeChosenAgainAndNothingCountsAfterGetTheTest) {
  TestChoice c{3, 7, false, false};
  EXPECT_TRUE(ClickChoosesTest(c, 2));  // still loading or failed: a retry
  c.loaded = true;
  EXPECT_FALSE(ClickChoosesTest(c, 2));  // loaded: a second click is ignored
  EXPECT_TRUE(ClickChoosesTest(c, 1));
  c.sel = 1;
  EXPECT_TRUE(ClickChoosesTest(c, 0));  // except on the first entry
  EXPECT_TRUE(ArrivalBelongs(c, 7));
  EXPECT_FALSE(ArrivalBelongs(c, 6));
  c.prepared = true;
  EXPECT_FALSE(ClickChoosesTest(c, 2));
  EXPECT_FALSE(ArrivalBelongs(c, 7));
  EXPECT_FALSE(ArrivalBelongs(TestChoice{}, 0));
}

class RecordingHost : public LoaderHost {
 public:
  std::vector<std::pair<std::string, bool>> navigations;
  std::map<LoaderTimer, bool> timers;
  std::vector<std::string> progress;
  int listsArrived = 0, testsArrived = 0, testsFailed = 0, pointerRestored = 0, stops = 0;

  void Navigate(const std::string& address, bool bypass) override {
    navigations.emplace_back(address, bypass);
  }
  void SetTimer(LoaderTimer timer, bool enabled) override { timers[timer] = enabled; }
  void AddProgress(const std::string& line) override { progress.push_back(line); }
  void GetTestsWeb() override { ++listsArrived; }
  void SaveTheTest() override { ++testsArrived; }
  void TestFailed() override { ++testsFailed; }
  void StopNavigation() override { ++stops; }
  void RestorePointer() override { ++pointerRestored; }
  std::string TempFolderPath() override { return "/tmp/"; }
  bool On(LoaderTimer t) { return timers[t]; }
};

// One page through the chain: two arrivals, then TimerXX and TimerY.
void Deliver(BrowserLoadModel& loader, RecordingHost& host, const std::string& text) {
  loader.PageArrived("stale copy");
  ASSERT_TRUE(host.navigations.back().second) << "the reload must bypass caches";
  loader.PageArrived(text);
  ASSERT_TRUE(host.On(LoaderTimer::kTimerXX));
  loader.TimerXXTick();
  ASSERT_TRUE(host.On(LoaderTimer::kTimerY));
  ASSERT_FALSE(host.On(LoaderTimer::kTimerXX));
  loader.TimerYTick();
  ASSERT_FALSE(host.On(LoaderTimer::kTimerY));
}

TEST(BrowserLoad, StartUpChainFetchesTheConnectionPageThenTheList) {
  RecordingHost host;
  BrowserLoadModel loader(host, "http://127.0.0.1:8000/");
  loader.Timer1Tick();
  EXPECT_EQ(
      host.navigations.at(0),
      std::make_pair(std::string("http://127.0.0.1:8000/info/No_Image_Required.html"), false));
  EXPECT_EQ(loader.Stage, 1);
  EXPECT_EQ(loader.txtDL, "1");
  EXPECT_EQ(loader.Text3, "BUSY");
  EXPECT_EQ(loader.txtTempPath, "/tmp/");
  Deliver(loader, host, "Image not needed. This question ...");
  EXPECT_TRUE(host.On(LoaderTimer::kTimer2));
  loader.Timer2Tick();
  EXPECT_EQ(host.navigations.back().first, "http://127.0.0.1:8000/info/data/testlist.txt");
  EXPECT_EQ(loader.Stage, 2);
  Deliver(loader, host, "10101 Beams\r\n10102 Circuits");
  EXPECT_EQ(host.listsArrived, 1);
  EXPECT_EQ(loader.Text1, "10101 Beams\r\n10102 Circuits");
  EXPECT_EQ(host.progress, (std::vector<std::string>{"Testing Internet...", "Internet OK",
                                                     "Loading Test List...", "Test List Done."}));
  EXPECT_EQ(loader.Text3, "READY");
}

TEST(BrowserLoad, FailuresStopTheChainWithInternetQuestion) {
  RecordingHost host;
  BrowserLoadModel loader(host, "http://127.0.0.1:9/");
  loader.Timer1Tick();
  Deliver(loader, host, "");  // no server: an empty error page
  EXPECT_EQ(host.progress.back(), "Internet ?");
  EXPECT_FALSE(host.On(LoaderTimer::kTimer2));

  RecordingHost other;
  BrowserLoadModel list(other, "http://h/");
  list.Timer1Tick();
  Deliver(list, other, "Image not needed.");
  list.Timer2Tick();
  Deliver(list, other, "20101 Other school");
  EXPECT_EQ(other.progress.back(), "Internet ?");
  EXPECT_EQ(other.listsArrived, 0);
}

TEST(BrowserLoad, TestFilesAreHandedOnUnlessThePageIsStillTheList) {
  RecordingHost host;
  BrowserLoadModel loader(host, "http://h/");
  loader.RequestTest("http://h/tests/10101%20Beams/Beams-BF.txt");
  EXPECT_TRUE(host.On(LoaderTimer::kTimer3));
  loader.Timer3Tick();
  EXPECT_EQ(loader.Stage, 3);
  EXPECT_EQ(host.navigations.back().first, "http://h/tests/10101%20Beams/Beams-BF.txt");
  Deliver(loader, host, "101 still the list");
  EXPECT_EQ(host.testsArrived, 0);
  loader.RequestTest("http://h/tests/x/x-BF.txt");
  loader.Timer3Tick();
  Deliver(loader, host, "q1w2e3==\r\n");
  EXPECT_EQ(host.testsArrived, 1);
  EXPECT_EQ(host.pointerRestored, 1);
}

TEST(BrowserLoad, EveryPageCarriesItsRequestAndFailuresAreNamed) {
  RecordingHost host;
  BrowserLoadModel loader(host, "http://h/");
  const int first = loader.RequestTest("http://h/tests/a/a-BF.txt");
  loader.Timer3Tick();
  loader.PageArrived("A's page");
  loader.PageArrived("A's page");
  ASSERT_TRUE(host.On(LoaderTimer::kTimerXX));
  // B is chosen before A's page is acted on: A's timers stop, its navigation is abandoned.
  const int second = loader.RequestTest("http://h/tests/b/b-BF.txt");
  EXPECT_NE(first, second);
  EXPECT_FALSE(host.On(LoaderTimer::kTimerXX));
  EXPECT_EQ(host.stops, 2);
  loader.Timer3Tick();
  loader.PageFailed("not found");
  EXPECT_EQ(host.navigations.back().first, "http://h/tests/b/b-BF.txt");  // no reload
  loader.TimerXXTick();
  loader.TimerYTick();
  EXPECT_EQ(host.testsFailed, 1);
  EXPECT_EQ(host.testsArrived, 0);
  EXPECT_EQ(loader.PageRequest, second);
  EXPECT_EQ(loader.PageFailure, "not found");
  EXPECT_EQ(FetchFailedStatus("10101 Beams", loader.PageFailure),
            "The test 10101 Beams could not be fetched: not found. Choose it again, or another "
            "test.");

  RecordingHost start;
  BrowserLoadModel list(start, "http://h/");
  list.Timer1Tick();
  list.PageFailed("the connection was refused");
  list.TimerXXTick();
  list.TimerYTick();
  EXPECT_EQ(start.progress,
            (std::vector<std::string>{
                "Testing Internet...",
                "http://h/info/No_Image_Required.html could not be fetched: the connection was "
                "refused",
                "Internet ?"}));
}

}  // namespace
}  // namespace examora
