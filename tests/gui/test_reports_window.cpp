// frm_Reports by its controls: the statistics of the chosen test file fill the table, one bar
// per question, with their source, and the reports button logs the report step.
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "common/text.h"
#include "crypto/enciphered_text.h"
#include "platform/files.h"
#include "testfile/authoring.h"
#include "ui/page_fetcher.h"
#include "ui/reports_window.h"

namespace examora {
namespace {

namespace fs = std::filesystem;

TEST(ReportsWindow, StatisticsOfTheChosenTestFillTheTableWithABarEach) {
  QTemporaryDir dir;
  const fs::path root = dir.path().toStdString();
  ModuleExamora m;
  m.StudentFilesFolder = "R:\\results\\";
  DeploymentSettings settings;
  settings.programFolder = "D:\\exams";
  settings.programFolderNative = root / "exams";
  settings.drives = {{'R', root / "R"}};
  FixedEnvironment env;
  ManualClock clock{{2026, 12, 8, 12, 50, 0}};
  SeededRandom random{1};
  ScriptedPrompter prompter;
  PageFetcher fetcher;
  AppContext app{m, settings, env, clock, random, prompter, fetcher, true};
  fs::create_directories(root / "exams/data");
  fs::create_directories(root / "R/results/subject_files");
  WriteFileAtomically(root / "exams/data/testlist.txt", "10101 Beams\r\n10102 Circuits\r\n");
  const std::string records =
      "10102,111111111,01/03/2010,09:00,50,2,YX,Ann Lee,\r\n"
      "10102,222222222,01/03/2010,09:00,100,2,YY,Bob Ray,\r\n";
  WriteFileAtomically(root / "R/results/subject_files/10102.txt", records);
  WriteFileAtomically(root / "R/results/masterfile.txt", records);

  // The test asks its whole bank of two, so its records serve where no journal is kept.
  TestBank bank = ParseSource(
      CleanUpSource(
          SplitLines(
              "10102\r\nCircuits\r\nTitle: C\r\nCompulsory: False\r\nPassMark: 50\r\nd\r\nv\r\n"
              "----------\r\n#F = #(1,1,4) N\r\n\r\n#a\r\nn\r\n----------\r\n#G = #(2,2,4) "
              "N\r\n\r\n#a\r\nn\r\n"
              "*** END OF FILE ***\r\n"))
          .lines);
  Compute(bank, 2, 1);
  std::string bytes;
  for (std::string line : TestLines(bank)) bytes += EncryptText(line) + "\r\n";
  WriteFileAtomically(root / "10102-BF.txt", bytes);

  frm_Reports window(app);
  window.show();
  auto* tests = window.findChild<QComboBox*>("cboTest");
  ASSERT_EQ(tests->count(), 2);
  tests->setCurrentIndex(1);
  prompter.SetNextText((root / "10102-BF.txt").string());
  QTest::mouseClick(window.findChild<QPushButton*>("cmdTestFile"), Qt::LeftButton);
  QTest::mouseClick(window.findChild<QPushButton*>("cmdStats"), Qt::LeftButton);
  EXPECT_TRUE(window.findChild<QLabel*>("lblSource")
                  ->text()
                  .contains("Source: the records of subject_files/10102.txt"));
  auto* table = window.findChild<QTableWidget*>("grdStats");
  ASSERT_EQ(table->rowCount(), 2);
  EXPECT_EQ(table->item(1, 2)->text(), "0.50");
  EXPECT_EQ(table->item(0, 6)->text(), "too easy");
  EXPECT_EQ(window.findChild<QProgressBar*>("barQuestion2")->value(), 50);
  std::filesystem::create_directories(EXAMORA_SCREENSHOTS);
  window.grab().save(QStringLiteral(EXAMORA_SCREENSHOTS "/frm_Reports.png"));
  QTest::mouseClick(window.findChild<QPushButton*>("cmdReports"), Qt::LeftButton);
  auto* list = window.findChild<QListWidget*>("List1");
  EXPECT_EQ(list->item(list->count() - 1)->text(), "Available Tests: 2");
  ASSERT_EQ(prompter.prompts().size(), 1u);  // the test file asked for
  EXPECT_EQ(prompter.prompts()[0].kind, ScriptedPrompter::Kind::OpenFile);
}

}  // namespace
}  // namespace examora
