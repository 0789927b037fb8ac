// Whether a window shows all of itself: on its screen's free area, and every caption given the
// room its text needs.
#pragma once

#include <QAbstractButton>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QWidget>
#include <string>

namespace examora::gui_testing {

/// The names of the visible labels, buttons and text boxes given less room than their text
/// needs, each followed by a blank; empty when nothing is cut.
inline std::string ClippedControls(const QWidget& window) {
  std::string clipped;
  for (QWidget* w : window.findChildren<QWidget*>()) {
    if (!w->isVisible() || !(qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
                             qobject_cast<QLineEdit*>(w))) {
      continue;
    }
    const QSize need = w->minimumSizeHint();
    const int needHeight = w->hasHeightForWidth() ? w->heightForWidth(w->width()) : need.height();
    // A read-only box shows a value the student cannot scroll to see: all of it must fit.
    const auto* box = qobject_cast<QLineEdit*>(w);
    const bool cut = box && box->isReadOnly() &&
                     box->fontMetrics().horizontalAdvance(box->text()) + 8 > box->width();
    if (cut || w->height() < needHeight || (!w->hasHeightForWidth() && w->width() < need.width())) {
      clipped += w->objectName().toStdString() + " ";
    }
  }
  return clipped;
}

/// Whether the whole window, frame included, lies on the free part of its screen.
inline bool OnFreeArea(const QWidget& window) {
  return window.screen()->availableGeometry().contains(window.frameGeometry());
}

/// The screen tests run on screens CTest configures (EXAMORA_TEST_SCREEN is "WIDTHxHEIGHT@DPR"
/// in device-independent pixels): whether this is one, failing the test if the configuration
/// did not take.
inline bool OnTheScreenAskedFor() {
  const QString asked = qEnvironmentVariable("EXAMORA_TEST_SCREEN");
  if (asked.isEmpty()) return false;
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QString actual = QStringLiteral("%1x%2@%3")
                             .arg(screen->geometry().width())
                             .arg(screen->geometry().height())
                             .arg(screen->devicePixelRatio());
  EXPECT_EQ(actual, asked);
  return actual == asked;
}

}  // namespace examora::gui_testing
