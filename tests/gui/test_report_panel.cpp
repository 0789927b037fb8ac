// The report panel of Marks and frm_Reports: the master text files as text (fixed pitch,
// Windows-1252, no markup obeyed), the reports as pages, a large page as a preview with a
// note, and a button that hands the whole page to the desktop's browser.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "ui/browser_panel.h"
#include "ui/marks_window.h"
#include "ui/page_fetcher.h"
#include "ui/reports_window.h"

namespace examora {
namespace {

namespace fs = std::filesystem;

struct Lab {
  QTemporaryDir dir;
  fs::path root = dir.path().toStdString();
  fs::path results = root / "D/~Glimmerfold Do not delete/MC/student_files";
  ModuleExamora m;
  DeploymentSettings settings;
  FixedEnvironment env;
  ManualClock clock{{2026, 12, 8, 12, 50, 0}};
  SeededRandom random{1};
  ScriptedPrompter prompter;
  PageFetcher fetcher;
  RecordingUrlOpener opener;
  AppContext app{m, settings, env, clock, random, prompter, fetcher, true, &opener};

  Lab() {
    settings.programFolder = "D:\\exams";
    settings.programFolderNative = root / "exams";
    settings.drives = {{'D', root / "D"}};
    env.variables["USERNAME"] = "teacher";
    m.StudentFilesFolder = "D:\\~Glimmerfold Do not delete\\MC\\student_files\\";
    fs::create_directories(results);
  }
};

TEST(ReportPanel, MasterTextFilesShowAsTextNotMarkup) {
  Lab lab;
  // A name with markup and Windows-1252 letters; "<!--" would hide every later record in a page.
  const std::string records =
      "10101,111111111,02/03/2010,09:00,50,2,YX,M\xe9lanie <!-- <b>Lee,\r\n"
      "10102,222222222,02/03/2010,09:05,70,2,YY,Zo\xeb Ray,\r\n";
  WriteFileAtomically(lab.results / "masterfile.txt", records);
  WriteFileAtomically(lab.results / "masterfile2.txt",
                      "MASTERFILE SORTED BY STUDENT NUMBER\r\n" + records);
  Marks window(lab.app);
  window.show();
  for (const char* button : {"cmdMaster1", "cmdMaster2"}) {
    QTest::mouseClick(window.findChild<QPushButton*>(button), Qt::LeftButton);
    auto* text = window.findChild<QPlainTextEdit*>("txtReport");
    ASSERT_NE(text, nullptr) << button;
    EXPECT_TRUE(text->isVisible()) << button;
    EXPECT_TRUE(text->toPlainText().endsWith(
        QString::fromUtf8("M\u00e9lanie <!-- <b>Lee,\n10102,222222222,02/03/2010,09:05,70,2,YY,"
                          "Zo\u00eb Ray,\n")))
        << button << " " << text->toPlainText().toStdString();
    EXPECT_TRUE(QFontInfo(text->font()).fixedPitch()) << button;
    EXPECT_FALSE(window.findChild<QPushButton*>("cmdOpenInBrowser")->isEnabled()) << button;
  }
  EXPECT_TRUE(lab.prompter.prompts().empty());
}

TEST(ReportPanel, APageIsAQuickLookAndOpensWholeInTheDesktopBrowser) {
  Lab lab;
  std::string page = "<html><body><table>\r\n";
  for (int row = 0; row < 4000; ++row) {
    page += "<tr><td>Student " + std::to_string(row) + "</td><td>62.5</td></tr>\r\n";
  }
  WriteFileAtomically(lab.results / "masterfile4.htm", page + "</table></body></html>\r\n");
  WriteFileAtomically(lab.results / "masterfile5.htm", "<p>Available Tests: 2</p>");
  frm_Reports window(lab.app);
  window.show();
  auto* open = window.findChild<QPushButton*>("cmdOpenInBrowser");
  auto* note = window.findChild<QLabel*>("lblPreviewNote");
  auto* browser = window.findChild<BrowserPanel*>("WebBrowser1");
  QTest::mouseClick(window.findChild<QPushButton*>("cmdReport5"), Qt::LeftButton);
  EXPECT_TRUE(browser->toPlainText().contains("Available Tests: 2"));
  EXPECT_EQ(note->text(), "");
  QTest::mouseClick(window.findChild<QPushButton*>("cmdReport4"), Qt::LeftButton);
  EXPECT_TRUE(browser->isVisible());
  EXPECT_TRUE(browser->toPlainText().contains("Student 0"));
  EXPECT_FALSE(browser->toPlainText().contains("Student 3999"));  // the preview stops early
  EXPECT_TRUE(note->text().startsWith("A preview: the first")) << note->text().toStdString();
  ASSERT_TRUE(open->isEnabled());
  QTest::mouseClick(open, Qt::LeftButton);
  ASSERT_EQ(lab.opener.opened.size(), 1u);
  EXPECT_EQ(lab.opener.opened[0],
            QUrl::fromLocalFile(QString::fromStdString((lab.results / "masterfile4.htm").string()))
                .toString(QUrl::FullyEncoded)
                .toStdString());
  EXPECT_TRUE(lab.prompter.prompts().empty());
  // A session that refuses the browser gets a message, not a silent nothing.
  lab.opener.refuse = true;
  QTest::mouseClick(open, Qt::LeftButton);
  ASSERT_EQ(lab.prompter.prompts().size(), 1u);
  EXPECT_EQ(lab.prompter.prompts()[0].text, "The report could not be opened in the browser here.");
}

// In the locked exam session no report leaves the program, whatever the window is asked.
TEST(ReportPanel, TheExamSessionOpensNoBrowser) {
  for (const bool session : {true, false}) {
    Lab lab;
    if (session) lab.env.variables["EXAMORA_EXAM_SESSION"] = "1";
    WriteFileAtomically(lab.results / "masterfile5.htm", "<p>Available Tests: 2</p>");
    frm_Reports window(lab.app);
    window.show();
    QTest::mouseClick(window.findChild<QPushButton*>("cmdReport5"), Qt::LeftButton);
    auto* open = window.findChild<QPushButton*>("cmdOpenInBrowser");
    EXPECT_EQ(open->isVisible(), !session);
    QMetaObject::invokeMethod(open, "click");
    EXPECT_EQ(lab.opener.opened.size(), session ? 0u : 1u);
    EXPECT_EQ(lab.prompter.prompts().size(), session ? 1u : 0u);
  }
}

}  // namespace
}  // namespace examora
