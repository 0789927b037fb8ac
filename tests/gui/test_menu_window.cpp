// Menu by its controls: nothing opens before the right password; a wrong one shuts the box for
// a while; the right one shows the access code and opens the result file processor.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "app/admin_password.h"
#include "results/keeper_protocol.h"
#include "ui/marks_window.h"
#include "ui/menu_window.h"
#include "ui/page_fetcher.h"

namespace examora {
namespace {

// A Menu over an administrator password file holding `password`'s hash.
struct MenuLab {
  explicit MenuLab(const char* password, double second = 0.3)
      : clock{{2026, 12, 8, 10, 0, second}} {
    const std::string file = dir.filePath("admin-password").toStdString();
    WriteAdminPasswordFile(file, HashAdminPassword(password));
    settings.adminPasswordFile = file;
  }
  QTemporaryDir dir;
  ModuleExamora m;
  DeploymentSettings settings;
  FixedEnvironment env;
  ManualClock clock;
  SeededRandom random{1};
  ScriptedPrompter prompter;
  PageFetcher fetcher;
  AppContext app{m, settings, env, clock, random, prompter, fetcher, true};
};

TEST(MenuWindow, PasswordGuardsTheToolsAndTheAccessCodeShows) {
  MenuLab lab("abcdefgh");
  lab.settings.programFolder = "D:\\exams";
  lab.settings.programFolderNative = lab.dir.filePath("exams").toStdString();
  ManualClock& clock = lab.clock;
  Menu menu(lab.app);
  menu.show();
  auto* password = menu.findChild<QLineEdit*>("txtPassword");
  auto* marks = menu.findChild<QPushButton*>("cmdMarks");
  ASSERT_NE(password, nullptr);
  EXPECT_FALSE(marks->isEnabled());
  QTest::keyClicks(password, "abcdefgX");
  QTest::keyClick(password, Qt::Key_Return);
  EXPECT_EQ(menu.findChild<QLabel*>("lblMessage")->text(), "Wrong password");
  EXPECT_FALSE(password->isEnabled());
  clock.Advance(kWrongPasswordDelay);
  menu.tmrRefresh_Timer();
  ASSERT_TRUE(password->isEnabled());
  QTest::keyClicks(password, "abcdefgh");
  QTest::mouseClick(menu.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
  EXPECT_EQ(menu.findChild<QLabel*>("lblAccessCode")->text().size(), 5);
  EXPECT_EQ(menu.findChild<QLabel*>("lblValid")->text(), "valid for 5 more minutes");
  std::filesystem::create_directories(EXAMORA_SCREENSHOTS);
  menu.grab().save(QStringLiteral(EXAMORA_SCREENSHOTS "/Menu.png"));
  EXPECT_TRUE(menu.findChild<QPushButton*>("cmdAuthoring")->isEnabled());
  ASSERT_TRUE(marks->isEnabled());
  QTest::mouseClick(marks, Qt::LeftButton);
  ASSERT_NE(menu.marksWindow(), nullptr);
  EXPECT_TRUE(menu.marksWindow()->isVisible());
}

// Records kept by a keeper whose administrator password is "keeper12".
class KeptRecords : public SittingRecords {
 public:
  explicit KeptRecords(bool kept) : kept_(kept) {}
  StudentRow SignIn(const std::string&, const std::string&) override { return {}; }
  OpenedSitting Open(std::string_view, const std::string&) override { return {}; }
  AnswerVerdict Answer(const JournalAnswer&) override { return {}; }
  SaveReport End() override { return {}; }
  int SecondsLeft() override { return 0; }
  bool HasInterruptedSitting(int) override { return false; }
  std::vector<std::string> OwnRecords() override { return {}; }
  bool CheckAdminPassword(const std::string& password) override { return password == "keeper12"; }
  bool Kept() const override { return kept_; }

 private:
  bool kept_;
};

// A student can write a hash of their own into the file their settings name: where a keeper
// keeps the records, only the keeper's password opens the menu.
TEST(MenuWindow, WithAKeeperOnlyItsPasswordCounts) {
  for (const bool kept : {true, false}) {
    MenuLab lab("student1");
    lab.m.Records = std::make_shared<KeptRecords>(kept);
    ManualClock& clock = lab.clock;
    Menu menu(lab.app);
    menu.show();
    auto* password = menu.findChild<QLineEdit*>("txtPassword");
    QTest::keyClicks(password, "student1");
    QTest::keyClick(password, Qt::Key_Return);
    EXPECT_EQ(menu.findChild<QPushButton*>("cmdMarks")->isEnabled(), !kept) << kept;
    if (!kept) continue;
    clock.Advance(kWrongPasswordDelay);
    menu.tmrRefresh_Timer();
    password->clear();
    QTest::keyClicks(password, "keeper12");
    QTest::keyClick(password, Qt::Key_Return);
    EXPECT_TRUE(menu.findChild<QPushButton*>("cmdMarks")->isEnabled());
  }
}

// Keyboard alone: after a wrong password and its pause, the right one typed straight away goes
// into the password box and opens the menu.
TEST(MenuWindow, TheRightPasswordTypedAfterAWrongOneGoesToThePasswordBox) {
  MenuLab lab("abcdefgh", 0);
  ManualClock& clock = lab.clock;
  Menu menu(lab.app);
  menu.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&menu));
  auto* password = menu.findChild<QLineEdit*>("txtPassword");
  auto typeAndEnter = [](const char* text) {
    QWidget* focused = QApplication::focusWidget();
    if (!focused) return false;
    QTest::keyClicks(focused, QLatin1String(text));
    QTest::keyClick(focused, Qt::Key_Return);
    return true;
  };
  ASSERT_EQ(QApplication::focusWidget(), password);
  ASSERT_TRUE(typeAndEnter("abcdefgX"));
  clock.Advance(kWrongPasswordDelay);
  menu.tmrRefresh_Timer();
  ASSERT_TRUE(password->isEnabled());
  EXPECT_EQ(QApplication::focusWidget(), password);
  ASSERT_TRUE(typeAndEnter("abcdefgh"));
  EXPECT_TRUE(menu.model().unlocked);
  EXPECT_TRUE(menu.findChild<QPushButton*>("cmdMarks")->isEnabled());
}

}  // namespace
}  // namespace examora
