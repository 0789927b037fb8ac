// The Marks window by its controls: activation fills the boxes, the buttons run the year's
// steps into List1 and the picture boxes, and the report buttons show the files.
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "ui/browser_panel.h"
#include "ui/marks_window.h"
#include "ui/page_fetcher.h"

namespace examora {
namespace {

namespace fs = std::filesystem;

TEST(MarksWindow, ButtonsRunTheStepsAndTheWindowShowsWhatTheModelHolds) {
  QTemporaryDir dir;
  const fs::path root = dir.path().toStdString();
  ModuleExamora m;
  m.VersionText = "Examora 568: 2010-03-23";
  DeploymentSettings settings;
  settings.programFolder = "D:\\exams";
  settings.programFolderNative = root / "exams";
  settings.drives = {{'D', root / "D"}};
  FixedEnvironment env;
  env.variables["USERNAME"] = "teacher";
  ManualClock clock{{2026, 12, 8, 12, 50, 0}};
  SeededRandom random{1};
  ScriptedPrompter prompter;
  PageFetcher fetcher;
  AppContext app{m, settings, env, clock, random, prompter, fetcher, true};
  const fs::path results = root / "D/~Glimmerfold Do not delete/MC/student_files";
  fs::create_directories(results);
  fs::create_directories(root / "exams/info/data/working");
  WriteFileAtomically(root / "exams/info/data/working/student_data.txt",
                      "111111111,pass,Ann,Lee\r\n\r\n");
  WriteFileAtomically(results / "111111111.txt",
                      "10101,111111111,02/03/2010,09:00,50,2,YX,Ann Lee,\r\n");

  Marks window(app);
  window.show();
  EXPECT_EQ(window.windowTitle(), "   Student Result File Processor Examora 568: 2010-03-23");
  auto* path = window.findChild<QLineEdit*>("txtChosenPath");
  ASSERT_NE(path, nullptr);
  EXPECT_EQ(path->text(), "D:\\~Glimmerfold Do not delete\\MC\\student_files\\");
  for (const char* name :
       {"cmdAutoDrive", "cmdReadStudID", "cmdDecipherStudData", "cmdEncrypt", "cmdDecrypt",
        "cmdCreateEmptyStudentRecords", "cmdRebuildMaster", "cmdBuildTestRecords", "cmdByDate",
        "cmdchr13", "cmdSortSN", "cmdMaster1", "cmdMaster5", "cmdCreateMissing"}) {
    EXPECT_NE(window.findChild<QPushButton*>(name), nullptr) << name;
  }
  QTest::mouseClick(window.findChild<QPushButton*>("cmdRebuildMaster"), Qt::LeftButton);
  auto* list = window.findChild<QListWidget*>("List1");
  ASSERT_GE(list->count(), 2);
  EXPECT_EQ(list->item(list->count() - 1)->text(), "No of test records = 1");
  EXPECT_EQ(window.findChild<QLineEdit*>("Text3")->text(), "1");
  EXPECT_EQ(window.findChild<QPlainTextEdit*>("Pic2")->toPlainText(), "1 111111111 pass Ann Lee");
  EXPECT_EQ(window.findChild<QPlainTextEdit*>("Pic1")->toPlainText(), "111111111,pass,Ann,Lee\n");
  QTest::mouseClick(window.findChild<QPushButton*>("cmdCreateMissing"), Qt::LeftButton);
  EXPECT_EQ(list->item(list->count() - 1)->text(), "Student files created = 0, already there = 1");

  QTest::mouseClick(window.findChild<QPushButton*>("cmdSortSN"), Qt::LeftButton);
  EXPECT_EQ(list->item(list->count() - 1)->text(), "Available Tests: 1");
  QTest::mouseClick(window.findChild<QPushButton*>("cmdMaster2"), Qt::LeftButton);
  EXPECT_TRUE(window.findChild<QPlainTextEdit*>("txtReport")
                  ->toPlainText()
                  .startsWith("MASTERFILE SORTED BY STUDENT NUMBER"));
  std::filesystem::create_directories(EXAMORA_SCREENSHOTS);
  window.grab().save(QStringLiteral(EXAMORA_SCREENSHOTS "/Marks.png"));
  EXPECT_TRUE(prompter.prompts().empty());

  // Export: the layout asked, then where to save; the list says where it went.
  const fs::path csv = root / "marks.csv";
  prompter.SetNextAnswer(MessageAnswer::Yes);
  prompter.SetNextText(csv.string());
  QTest::mouseClick(window.findChild<QPushButton*>("cmdExport"), Qt::LeftButton);
  EXPECT_EQ(ReadFileBytes(csv), "ID number,First name,Last name,10101\r\n111111111,Ann,Lee,50\r\n");
  EXPECT_EQ(list->item(list->count() - 1)->text(),
            QString::fromStdString("Marks exported to " + csv.string()));
}

}  // namespace
}  // namespace examora
