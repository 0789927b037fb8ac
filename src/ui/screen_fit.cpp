#include "ui/screen_fit.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace examora {
namespace {

bool fillScreen = false;

// Asks for the full screen whenever a window of its own (not a dialog, not a companion) is
// shown: a state set before the window exists does not reach a Wayland compositor.
class FullScreenOnShow : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* window = qobject_cast<QWidget*>(watched);
    if (event->type() == QEvent::Show && window && window->windowType() == Qt::Window &&
        !window->parentWidget()) {
      QTimer::singleShot(0, window, [window] {
        if (window->isVisible()) window->showFullScreen();
      });
    }
    return false;
  }
};

}  // namespace

void SetWindowsFillScreen(bool fill) {
  static FullScreenOnShow* filter = nullptr;
  fillScreen = fill;
  if (fill && !filter) qApp->installEventFilter(filter = new FullScreenOnShow(qApp));
}

bool WindowsFillScreen() {
  return fillScreen;
}

void CloseOnEscapeWhenFilling(QWidget& window) {
  if (!fillScreen) return;
  auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
  QObject::connect(close, &QShortcut::activated, &window, &QWidget::close);
}

QRect FreeArea(const QWidget& window) {
  const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
  if (!screen) return QRect(0, 0, 1024, 768);
  QRect free = screen->availableGeometry();
  // Until the window manager has framed the window its frame is unknown: keep room for a title
  // bar and borders.
  QSize frame = window.frameGeometry().size() - window.size();
  if (!window.isVisible() || frame.isEmpty()) frame = QSize(8, 40);
  free.setSize(free.size() - frame);
  return free;
}

void FitToScreen(QWidget& window, QSize wanted) {
  const QRect free = FreeArea(window);
  window.resize(wanted.boundedTo(free.size()));
  // In the exam session a window of its own is made full screen as it is shown; the size
  // counts for a companion (a window that is given a parent later), above its window.
  if (fillScreen && !window.parentWidget()) return;
  if (!window.isVisible()) {
    if (!window.isWindow()) return;
    // Placed here, in the middle of the free area: a window manager left to place it may put
    // it partly off the screen (the information window ran off the bottom).
    window.move(free.topLeft() +
                QPoint((free.width() - window.width()) / 2, (free.height() - window.height()) / 2));
    return;
  }
  // pos() is the frame's corner, and the free area already leaves the frame's room.
  const int x = std::clamp(window.x(), free.left(),
                           std::max(free.left(), free.left() + free.width() - window.width()));
  const int y = std::clamp(window.y(), free.top(),
                           std::max(free.top(), free.top() + free.height() - window.height()));
  if (QPoint(x, y) != window.pos()) window.move(x, y);
}

}  // namespace examora
