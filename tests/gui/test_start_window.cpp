#include <QLabel>

#include <gtest/gtest.h>

#include "app/module_examora.h"
#include "ui/qtext.h"
#include "ui/start_window.h"

namespace examora {
namespace {

TEST(QText, Windows1252CrossesIntoQtAndBack) {
  const std::string bytes =
      "21.5 \xB0"
      "C \x80 \x96";
  const QString shown = ToQString(bytes);
  EXPECT_EQ(shown, QString::fromUtf8("21.5 \u00B0C \u20AC \u2013"));
  EXPECT_EQ(FromQString(shown), bytes);
  EXPECT_EQ(FromQString(QString::fromUtf8("\u03A9")), "?");
}

TEST(StartWindow, ShowsTheSessionValues) {
  ModuleExamora m;
  m.VersionText = std::string(kVersionText);
  m.WebBase = "file:///opt/examora/webroot/";
  m.UserName = "LAB-PC-07";
  StartWindow window(m);
  window.show();
  EXPECT_EQ(window.windowTitle(), "Examora 568: 2010-03-23");
  auto* web = window.findChild<QLabel*>("lblWebBase");
  ASSERT_NE(web, nullptr);
  EXPECT_EQ(web->text(), "file:///opt/examora/webroot/");
  ASSERT_NE(window.findChild<QLabel*>("lblUserName"), nullptr);
  EXPECT_EQ(window.findChild<QLabel*>("lblUserName")->text(), "LAB-PC-07");
}

}  // namespace
}  // namespace examora
