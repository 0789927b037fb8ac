// Keyboard and screen-reader access to the sign-in, selection, information and debug windows:
// every named control has an accessible name, the tab order follows the work, buttons carry
// mnemonics, Enter chooses a test, and a desktop font half as large again clips nothing.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "app/module_examora.h"
#include "clipping.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "ui/browser_load_window.h"
#include "ui/encrypt_window.h"
#include "ui/info_window.h"
#include "ui/login_window.h"
#include "ui/marks_window.h"
#include "ui/menu_window.h"
#include "ui/page_fetcher.h"
#include "ui/reports_window.h"
#include "ui/test_window.h"

namespace examora {
namespace {

struct Windows {
  Windows() {
    std::vector<std::string> args = {"--web-base", FolderFileUrl(EXAMORA_WEBROOT)};
    env.variables = {{"XDG_CONFIG_HOME", "/nonexistent"}, {"XDG_CONFIG_DIRS", "/nonexistent"}};
    settings = LoadDeploymentSettings(args, env);
    m.WebBase = settings.webBase;
  }
  FixedEnvironment env;
  DeploymentSettings settings;
  ModuleExamora m;
  ManualClock clock{{2026, 12, 8, 12, 50, 0.4}};
  SeededRandom random{1};
  ScriptedPrompter prompter;
  PageFetcher fetcher;
  AppContext app{m, settings, env, clock, random, prompter, fetcher, true};
  Login login{app};
  BrowserLoad loader{app};
  Test test{app, loader};
  frm_Info info{app};
  Debugger debugger{m.Debugger};

  std::vector<QWidget*> All() { return {&login, &test, &info, &debugger}; }
};

// The focusable controls of a window in tab order, from its first one.
QStringList TabOrder(QWidget& window, QWidget* first) {
  QStringList names;
  QWidget* w = first;
  do {
    if ((w->focusPolicy() & Qt::TabFocus) && window.isAncestorOf(w)) names << w->objectName();
    w = w->nextInFocusChain();
  } while (w != first);
  return names;
}

TEST(Accessibility, EveryNamedControlHasAnAccessibleNameAndDescription) {
  Windows s;
  for (QWidget* window : s.All()) {
    for (QWidget* w : window->findChildren<QWidget*>()) {
      if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"))) continue;
      EXPECT_FALSE(w->accessibleName().isEmpty())
          << window->objectName().toStdString() << "." << w->objectName().toStdString();
      EXPECT_FALSE(w->accessibleDescription().isEmpty()) << w->objectName().toStdString();
    }
  }
}

TEST(Accessibility, TabOrderFollowsTheWorkAndButtonsHaveMnemonics) {
  Windows s;
  EXPECT_EQ(TabOrder(s.test, s.test.findChild<QWidget*>("List1")),
            QStringList({"List1", "lblQuestionTypeArea", "lblVariableDescArea", "txtPassword",
                         "cmdRunTest", "cmdGO", "cmdUploader", "cmdQuit"}));
  EXPECT_EQ(TabOrder(s.login, s.login.findChild<QWidget*>("txtName")),
            QStringList({"txtName", "cmdValidate", "List1", "cmdByTest", "cmdByDate", "cmdMarks",
                         "cmdStudyMode", "cmdGo", "cmdQuit"}));
  const std::pair<QWidget*, const char*> captions[] = {
      {&s.test, "&Get the Test"}, {&s.test, "G&O"},          {&s.test, "&QUIT"},
      {&s.login, "&GET TEST"},    {&s.login, "&Study Mode"}, {&s.login, "&Validate"}};
  for (const auto& [window, caption] : captions) {
    bool found = false;
    for (auto* button : window->findChildren<QAbstractButton*>()) {
      found = found || button->text() == QLatin1String(caption);
    }
    EXPECT_TRUE(found) << caption;
  }
}

TEST(Accessibility, EnterOnTheListChoosesTheTestAndLabelsReadNameAndValue) {
  Windows s;
  GetTestsWeb(ReadFileBytes(std::filesystem::path(EXAMORA_WEBROOT) / "info/data/testlist.txt"),
              s.m.Tests);
  s.test.Form_Activate();
  auto* list = s.test.findChild<QListWidget*>("List1");
  list->setCurrentRow(1);
  QTest::keyClick(list, Qt::Key_Return);
  EXPECT_EQ(s.test.findChild<QLabel*>("lbl4")->text(), "Circuits (Loading)");
  auto spoken = [&](const char* name) {
    return QAccessible::queryAccessibleInterface(s.test.findChild<QWidget*>(name))
        ->text(QAccessible::Name);
  };
  EXPECT_EQ(spoken("lbl4"), "Test name: Circuits (Loading)");
  EXPECT_EQ(spoken("lbl3"), "Test Name");  // a caption is read once
  EXPECT_EQ(spoken("lbl10"), "Test duration");
}

TEST(Accessibility, ALargerDesktopFontClipsNoControl) {
  const QFont normal = QApplication::font();
  QFont large = normal;
  large.setPointSizeF(normal.pointSizeF() * 1.5);
  QApplication::setFont(large);
  {
    Windows s;
    for (QWidget* window : {static_cast<QWidget*>(&s.login), static_cast<QWidget*>(&s.test)}) {
      window->show();
      QApplication::processEvents();
      EXPECT_EQ(gui_testing::ClippedControls(*window), "") << window->metaObject()->className();
    }
  }
  QApplication::setFont(normal);
}

// On the lab screens (a 1024 x 768 screen, and 1400 x 900 at 150 % desktop scale, which is
// 933 x 600 to the windows) each window keeps to the screen's free area and clips nothing.
TEST(ScreenFit, EveryWindowKeepsToTheScreenAndClipsNothing) {
  if (!gui_testing::OnTheScreenAskedFor()) GTEST_SKIP() << "run on a configured screen only";
  Windows s;
  Marks marks(s.app);
  frm_Reports reports(s.app);
  Encrypt encrypt(s.app);
  Menu menu(s.app);
  for (QWidget* window : {static_cast<QWidget*>(&s.login), static_cast<QWidget*>(&s.test),
                          static_cast<QWidget*>(&s.info), static_cast<QWidget*>(&s.debugger),
                          static_cast<QWidget*>(&marks), static_cast<QWidget*>(&reports),
                          static_cast<QWidget*>(&encrypt), static_cast<QWidget*>(&menu)}) {
    window->show();
    QApplication::processEvents();
    const std::string name = window->metaObject()->className();
    EXPECT_TRUE(gui_testing::OnFreeArea(*window)) << name;
    EXPECT_EQ(gui_testing::ClippedControls(*window), "") << name;
    window->hide();
  }
}

}  // namespace
}  // namespace examora
