// The report pages in a real browser: headless Chromium renders each one to a picture (which
// must show ink, on a desktop and on a phone-sized window) and dumps the DOM it built, which
// must hold the table cells and headings where the reports put them.
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "reports/question_stats.h"
#include "reports/reports.h"

namespace examora {
namespace {

QString Chromium() {
  return QStandardPaths::findExecutable("chromium");
}

// Runs headless Chromium on a page; returns its standard output.
QByteArray RunChromium(const QTemporaryDir& dir, const QStringList& extra, const QString& page) {
  QProcess process;
  process.start(Chromium(), QStringList{"--headless", "--no-sandbox", "--disable-gpu",
                                        "--user-data-dir=" + dir.filePath("profile")} +
                                extra +
                                QStringList{QUrl::fromLocalFile(dir.filePath(page)).toString()});
  EXPECT_TRUE(process.waitForFinished(90000)) << page.toStdString();
  return process.readAllStandardOutput();
}

int InkedPixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += qGray(image.pixel(x, y)) < 200 ? 1 : 0;
  }
  return count;
}

int WhitePixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) count += image.pixel(x, y) == qRgb(255, 255, 255);
  }
  return count;
}

std::string Rec(const std::string& test, const std::string& student, const std::string& score) {
  return test + "," + student + ",01/03/2010,09:00," + score + ",3,YYX,Ann Lee,";
}

TEST(ReportBrowser, PagesRenderWithTheirCellsOnADesktopAndOnAPhone) {
  if (Chromium().isEmpty()) GTEST_SKIP() << "chromium is not installed (scripts/deps.sh)";
  QTemporaryDir dir;
  const std::filesystem::path folder = dir.path().toStdString();
  WriteFileAtomically(folder / "masterfile.txt", Rec("10101", "111111111", "60") + "\r\n" +
                                                     Rec("10101", "111111111", "65") + "\r\n" +
                                                     Rec("10102", "222222222", "90") + "\r\n");
  SortSN(NativeResultFolder(folder),
         {{"111111111", "pw", "Ann", "Lee"}, {"222222222", "pw", "Bo", "Ek"}},
         {{"10101", "Beams"}, {"10102", "Circuits"}});
  for (const QString page : {"masterfile4.htm", "masterfile5.htm"}) {
    for (const QString size : {"1280,900", "390,844"}) {
      if (page.endsWith("5.htm") && size.startsWith("390")) continue;  // one phone render is enough
      const QString shot = dir.filePath(page + size + ".png");
      RunChromium(dir, {"--screenshot=" + shot, "--window-size=" + size}, page);
      const QImage image(shot);
      ASSERT_FALSE(image.isNull()) << page.toStdString();
      EXPECT_GT(InkedPixels(image), 1500) << page.toStdString() << " " << size.toStdString();
    }
    const QByteArray dom = RunChromium(dir, {"--dump-dom"}, page);
    EXPECT_TRUE(dom.contains("<td class=\"repeat\">62.5</td><td></td>")) << dom.toStdString();
    EXPECT_TRUE(dom.contains("<td></td><td>90</td>"));
    EXPECT_TRUE(dom.contains("src=\"css/images/10102.PNG\" width=\"19\" height=\"251\""));
    EXPECT_TRUE(dom.contains("<li>Available Tests: 2</li>"));
  }
  // The headings are the drawn pictures, white on the grey heading row: against the same page
  // with its pictures missing, the render gains two white 19 x 251 strips (less their ink).
  std::string page = ReadFileBytes(folder / "masterfile4.htm");
  for (std::size_t at; (at = page.find("css/images/")) != std::string::npos;) {
    page.replace(at, 11, "css/missing/");
  }
  WriteFileAtomically(folder / "broken.htm", page);
  const QString broken = dir.filePath("broken.png");
  RunChromium(dir, {"--screenshot=" + broken, "--window-size=1280,900"}, "broken.htm");
  EXPECT_GT(WhitePixels(QImage(dir.filePath("masterfile4.htm1280,900.png"))),
            WhitePixels(QImage(broken)) + 2 * 19 * 200);
}

// A statistics page: Chromium parses it into the table of bank questions, with the source above
// it and the bars drawn.
TEST(ReportBrowser, AStatisticsPageShowsItsTableAndSource) {
  if (Chromium().isEmpty()) GTEST_SKIP() << "chromium is not installed (scripts/deps.sh)";
  QTemporaryDir dir;
  TestStats stats = QuestionStatistics({{90, "AY-"}, {40, "B-X"}, {70, "-YY"}}, {0, 4, 1, 1});
  stats.testNumber = "10180";
  stats.source = "the sitting journals in journals/ (3 ended sittings)";
  stats.problems = {"journals/x.txt <b>damaged</b>"};
  WriteStatsPage(NativeResultFolder(dir.path().toStdString()), stats, "Stats \xe9");
  const QString shot = dir.filePath("stats.png");
  RunChromium(dir, {"--screenshot=" + shot, "--window-size=1280,900"}, "stats_10180.htm");
  EXPECT_GT(InkedPixels(QImage(shot)), 1500);
  const QByteArray dom = RunChromium(dir, {"--dump-dom"}, "stats_10180.htm");
  EXPECT_TRUE(dom.contains("<table id=\"stats\">")) << dom.toStdString();
  EXPECT_TRUE(dom.contains("<tr><th scope=\"row\">1</th><td>2</td><td>0.33</td>"));
  EXPECT_TRUE(dom.contains("<td>A:1 B:1</td>"));
  EXPECT_TRUE(dom.contains("<h1>Question statistics: 10180 Stats \xc3\xa9</h1>"));
  EXPECT_TRUE(dom.contains("Source: the sitting journals in journals/ (3 ended sittings)."));
  EXPECT_TRUE(dom.contains("<li>journals/x.txt &lt;b&gt;damaged&lt;/b&gt;</li>"));
}

}  // namespace
}  // namespace examora
