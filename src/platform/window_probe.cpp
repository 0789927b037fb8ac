#include "platform/window_probe.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "common/text.h"

namespace examora {
namespace {

bool WindowIsSpreadsheet(Display* display, Window window) {
  XClassHint hint{};
  if (XGetClassHint(display, window, &hint) == 0) return false;
  const bool found = (hint.res_class && IsSpreadsheetClass(hint.res_class)) ||
                     (hint.res_name && IsSpreadsheetClass(hint.res_name));
  if (hint.res_class) XFree(hint.res_class);
  if (hint.res_name) XFree(hint.res_name);
  return found;
}

// Top-level windows and, for window managers that frame them, the windows inside the frames.
bool SearchTree(Display* display, Window parent, int depth) {
  Window root = 0, up = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, parent, &root, &up, &children, &count) == 0) return false;
  bool found = false;
  for (unsigned int i = 0; i < count && !found; ++i) {
    found = WindowIsSpreadsheet(display, children[i]) ||
            (depth > 0 && SearchTree(display, children[i], depth - 1));
  }
  if (children) XFree(children);
  return found;
}

}  // namespace

const std::vector<std::string>& SpreadsheetWindowClasses() {
  static const std::vector<std::string> classes = {"xlmain", "libreoffice-calc", "gnumeric",
                                                   "calligrasheets", "et"};
  return classes;
}

bool IsSpreadsheetClass(const std::string& windowClass) {
  const auto& classes = SpreadsheetWindowClasses();
  return std::find(classes.begin(), classes.end(), LowerAscii(windowClass)) != classes.end();
}

bool X11WindowProbe::SpreadsheetOpen() {
  const char* name = std::getenv("DISPLAY");
  if (!name || !*name) return false;
  std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(name), XCloseDisplay);
  if (!display) return false;
  return SearchTree(display.get(), DefaultRootWindow(display.get()), 1);
}

}  // namespace examora
