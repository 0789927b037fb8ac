// Keyboard and screen-reader access to every window but the test window (which has its own
// tests): every named control has an accessible name, the tab order follows the work, buttons
// carry mnemonics, Enter chooses a test or opens the administrator menu from its picture, and a
// desktop font half as large again clips nothing.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>

#include <gtest/gtest.h>

#include "accessibility_check.h"
#include "app/module_examora.h"
#include "clipping.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "ui/accessibility.h"
#include "ui/browser_load_window.h"
#include "ui/encrypt_window.h"
#include "ui/info_window.h"
#include "ui/login_window.h"
#include "ui/marks_window.h"
#include "ui/menu_window.h"
#include "ui/page_fetcher.h"
#include "ui/reports_window.h"
#include "ui/selection_window.h"
#include "ui/unit_converter.h"

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
  Menu menu{app};
  Marks marks{app};
  Encrypt encrypt{app};
  frm_Reports reports{app};
  UnitConverter converter;

  // Each window with the table of its controls in tab order.
  std::vector<std::pair<QWidget*, std::span<const AccessibleControl>>> All() {
    return {{&login, LoginControls()},        {&test, TestControls()},
            {&info, InfoControls()},          {&debugger, DebuggerControls()},
            {&loader, BrowserLoadControls()}, {&menu, MenuControls()},
            {&marks, MarksControls()},        {&encrypt, EncryptControls()},
            {&reports, ReportsControls()},    {&converter, UnitConverterControls()}};
  }
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

// Every window: each named control is named for a screen reader, no two buttons on show
// answer the same Alt+letter, and Tab visits every control that takes the focus, in the order
// of the window's table (a control missing from the table would break in somewhere).
TEST(Accessibility, EveryWindowNamesItsControlsAndFollowsItsTableInTabOrder) {
  Windows s;
  for (const auto& [window, table] : s.All()) {
    const std::string name = window->objectName().toStdString();
    EXPECT_EQ(gui_testing::UnnamedControls(*window), "") << name;
    EXPECT_EQ(gui_testing::SharedMnemonics(*window), "") << name;
    QStringList order;
    for (const AccessibleControl& row : table) {
      auto* w = window->findChild<QWidget*>(QLatin1String(row.objectName));
      if (w && (w->focusPolicy() & Qt::TabFocus)) order << w->objectName();
    }
    ASSERT_FALSE(order.isEmpty()) << name;
    QWidget* first = window->nextInFocusChain();  // where the focus goes when the window opens
    while (!(first->focusPolicy() & Qt::TabFocus)) first = first->nextInFocusChain();
    EXPECT_EQ(first->objectName().toStdString(), order.front().toStdString()) << name;
    EXPECT_EQ(TabOrder(*window, window->findChild<QWidget*>(order.front())).join(" ").toStdString(),
              order.join(" ").toStdString())
        << name;
  }
}

TEST(Accessibility, ButtonsHaveMnemonics) {
  Windows s;
  const std::pair<QWidget*, const char*> captions[] = {
      {&s.test, "&Get the Test"}, {&s.test, "G&O"},
      {&s.test, "&QUIT"},         {&s.login, "&GET TEST"},
      {&s.login, "&Study Mode"},  {&s.menu, "Result file &processor"},
      {&s.login, "&Validate"},    {&s.marks, "Repor&t by Surname.htm"}};
  for (const auto& [window, caption] : captions) {
    bool found = false;
    for (auto* button : window->findChildren<QAbstractButton*>()) {
      found = found || button->text() == QLatin1String(caption);
    }
    EXPECT_TRUE(found) << caption;
  }
}

// The picture that leads to the administrator menu is reached by Tab after the student's
// controls; Enter on it opens the menu in an exam session and does nothing in study mode.
TEST(Accessibility, TheAdministratorPictureOpensTheMenuFromTheKeyboard) {
  for (const bool study : {false, true}) {
    Windows s;
    s.m.StudyMode = study;
    s.login.show();
    s.login.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&s.login));
    ASSERT_EQ(QApplication::focusWidget(), s.login.findChild<QWidget*>("txtName"));
    s.login.findChild<QWidget*>("cmdQuit")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QWidget* image = QApplication::focusWidget();
    ASSERT_EQ(image, s.login.findChild<QWidget*>("Image1"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(image)->role(), QAccessible::Button);
    QTest::keyClick(image, Qt::Key_Return);
    bool menuShown = false;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      menuShown = menuShown || (w->objectName() == "Menu" && w->isVisible());
    }
    EXPECT_EQ(menuShown, !study) << "study mode " << study;
    EXPECT_EQ(s.login.isVisible(), study);
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
  for (QWidget* window : {static_cast<QWidget*>(&s.login), static_cast<QWidget*>(&s.test),
                          static_cast<QWidget*>(&s.info), static_cast<QWidget*>(&s.debugger),
                          static_cast<QWidget*>(&s.marks), static_cast<QWidget*>(&s.reports),
                          static_cast<QWidget*>(&s.encrypt), static_cast<QWidget*>(&s.menu)}) {
    window->show();
    QApplication::processEvents();
    const std::string name = window->objectName().toStdString();  // most are plain QWidgets
    EXPECT_TRUE(gui_testing::OnFreeArea(*window)) << name << " " << window->frameGeometry().width()
                                                  << "x" << window->frameGeometry().height();
    EXPECT_EQ(gui_testing::ClippedControls(*window), "") << name;
    window->hide();
  }
}

}  // namespace
}  // namespace examora
