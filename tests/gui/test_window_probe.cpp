// The spreadsheet probe against a real X server (Xvfb) with windows this test creates.
#include <QProcess>
#include <QTest>
#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/window_probe.h"

// Xlib's macros (Status, Bool) clash with Qt's headers: it comes last.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <unistd.h>

namespace examora {
namespace {

TEST(WindowProbe, SpreadsheetClassesIgnoreCase) {
  EXPECT_TRUE(IsSpreadsheetClass("XLMAIN"));
  EXPECT_TRUE(IsSpreadsheetClass("libreoffice-calc"));
  EXPECT_TRUE(IsSpreadsheetClass("Gnumeric"));
  EXPECT_FALSE(IsSpreadsheetClass("libreoffice-writer"));
  EXPECT_FALSE(IsSpreadsheetClass(""));
}

TEST(WindowProbe, FindsASpreadsheetWindowOnTheDisplay) {
  if (access("/usr/bin/Xvfb", X_OK) != 0) GTEST_SKIP() << "Xvfb is not installed";
  const std::string number = std::to_string(90 + getpid() % 9);
  QProcess server;
  server.start(QStringLiteral("/usr/bin/Xvfb"),
               {QString::fromStdString(":" + number), "-nolisten", "tcp"});
  const char* previous = std::getenv("DISPLAY");
  const std::string saved = previous ? previous : "";
  setenv("DISPLAY", (":" + number).c_str(), 1);
  Display* display = nullptr;
  ASSERT_TRUE(QTest::qWaitFor([&] { return (display = XOpenDisplay(nullptr)) != nullptr; }, 10000));

  X11WindowProbe probe;
  EXPECT_FALSE(probe.SpreadsheetOpen());
  auto makeWindow = [&](const char* name, const char* cls) {
    const Window w =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 100, 100, 0, 0, 0);
    XClassHint hint{const_cast<char*>(name), const_cast<char*>(cls)};
    XSetClassHint(display, w, &hint);
    XMapWindow(display, w);
    XSync(display, False);
    return w;
  };
  const Window writer = makeWindow("libreoffice", "libreoffice-writer");
  EXPECT_FALSE(probe.SpreadsheetOpen());
  const Window excel = makeWindow("excel", "XLMAIN");
  EXPECT_TRUE(probe.SpreadsheetOpen());
  XDestroyWindow(display, excel);
  XSync(display, False);
  EXPECT_FALSE(probe.SpreadsheetOpen());
  XDestroyWindow(display, writer);
  XCloseDisplay(display);
  server.kill();
  server.waitForFinished(3000);
  if (saved.empty()) {
    unsetenv("DISPLAY");
  } else {
    setenv("DISPLAY", saved.c_str(), 1);
  }
}

}  // namespace
}  // namespace examora
