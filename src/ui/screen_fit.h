// Top-level windows ask for a comfortable size; a small screen or a large desktop scale (which
// shrinks the screen in device-independent pixels) must not push any part of them off it.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace examora {

/// The part of the window's screen it may use: the screen less panels and task bars, less
/// room for the window manager's frame.
QRect FreeArea(const QWidget& window);

/// In the exam session every window without a parent fills the screen (set once at start-up).
void SetWindowsFillScreen(bool fill);
bool WindowsFillScreen();

/// In the exam session there is no title bar to close a window by: Escape closes this one.
/// Only for windows whose closing loses nothing (not the test window, whose closing ends the
/// test).
void CloseOnEscapeWhenFilling(QWidget& window);

/// Resizes the window to `wanted`, bounded by its free area; a window not yet shown is placed
/// in the middle of that area, one shown partly off it is brought back onto it.
void FitToScreen(QWidget& window, QSize wanted);

}  // namespace examora
