// Encrypt by its controls: open a bank, check the duration, write the enciphered test and step
// through its questions; Done hands back to the menu.
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "ui/encrypt_window.h"
#include "ui/page_fetcher.h"

namespace examora {
namespace {

TEST(EncryptWindow, OpenComputeWriteCheckAndDone) {
  QTemporaryDir dir;
  const std::filesystem::path source = dir.filePath("beams.txt").toStdString();
  WriteFileAtomically(source, ReadFileBytes(EXAMORA_SAMPLES_DIR "/beams.txt"));
  ModuleExamora m;
  m.WebBase = "http://127.0.0.1:1/";
  DeploymentSettings settings;
  FixedEnvironment env;
  ManualClock clock{{2026, 12, 8, 10, 0, 0}};
  SeededRandom random{1};
  ScriptedPrompter prompter;
  PageFetcher fetcher;
  AppContext app{m, settings, env, clock, random, prompter, fetcher, true};
  Encrypt window(app);
  bool done = false;
  window.SetOnDone([&] { done = true; });
  window.show();
  auto* ok = window.findChild<QPushButton*>("cmdOK");
  EXPECT_FALSE(ok->isVisible());
  prompter.SetNextText(source.string());
  QTest::mouseClick(window.findChild<QPushButton*>("cmdOpen"), Qt::LeftButton);
  ASSERT_TRUE(ok->isVisible());
  const int n = window.findChild<QLabel*>("lbl6")->text().toInt();
  EXPECT_EQ(window.findChild<QListWidget*>("List1")->item(0)->text(),
            QString(40, '-') + " Q1 " + QString(40, '-'));
  auto* questions = window.findChild<QLineEdit*>("txtNumQuest");
  questions->setText(QString::number(n + 1));
  QTest::mouseClick(window.findChild<QPushButton*>("cmdCompute"), Qt::LeftButton);
  EXPECT_EQ(window.findChild<QLabel*>("lbl10")->text(), "Too many questions!");
  questions->setText(QString::number(n));
  QTest::mouseClick(ok, Qt::LeftButton);
  EXPECT_EQ(window.findChild<QLabel*>("lblEncrypting")->text(), "Done");
  EXPECT_TRUE(std::filesystem::exists(dir.filePath("beams.eqb").toStdString()));
  EXPECT_FALSE(questions->isEnabled());
  EXPECT_TRUE(window.findChild<QPlainTextEdit*>("Picture1")->toPlainText().startsWith("1\n(1) "));
  QTest::mouseClick(window.findChild<QPushButton*>("cmdCheckLastQuestion"), Qt::LeftButton);
  EXPECT_TRUE(window.findChild<QPlainTextEdit*>("Picture1")
                  ->toPlainText()
                  .startsWith(QString::number(n) + "\n"));
  std::filesystem::create_directories(EXAMORA_SCREENSHOTS);
  window.grab().save(QStringLiteral(EXAMORA_SCREENSHOTS "/Encrypt.png"));
  QTest::mouseClick(window.findChild<QPushButton*>("cmdDone"), Qt::LeftButton);
  EXPECT_FALSE(window.isVisible());
  EXPECT_TRUE(done);
}

// "Import..." turns a GIFT file into a bank and opens it; it is off once a bank is open.
TEST(EncryptWindow, ImportOpensTheImportedBank) {
  QTemporaryDir dir;
  ModuleExamora m;
  DeploymentSettings settings;
  FixedEnvironment env;
  ManualClock clock{{2026, 12, 8, 10, 0, 0}};
  SeededRandom random{1};
  ScriptedPrompter prompter;
  PageFetcher fetcher;
  AppContext app{m, settings, env, clock, random, prompter, fetcher, true};
  Encrypt window(app);
  window.show();
  auto* import = window.findChild<QPushButton*>("cmdImport");
  ASSERT_NE(import, nullptr);
  prompter.SetNextText(EXAMORA_TEST_DATA_DIR "/import/all_kinds.gift");
  prompter.SetNextText(dir.filePath("bank.txt").toStdString());
  QTest::mouseClick(import, Qt::LeftButton);
  EXPECT_EQ(window.findChild<QLabel*>("lbl6")->text(), "8");
  EXPECT_FALSE(import->isEnabled());
}

}  // namespace
}  // namespace examora
