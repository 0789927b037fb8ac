// Looks for forbidden programs' windows on the desktop: the exam forbids spreadsheets.
#pragma once

#include <string>
#include <vector>

namespace examora {

class ForbiddenWindowProbe {
 public:
  virtual ~ForbiddenWindowProbe() = default;
  /// True when a top-level window of a spreadsheet program is open.
  virtual bool SpreadsheetOpen() = 0;
};

/// Window classes of spreadsheet programs ("XLMAIN" is Excel's).
const std::vector<std::string>& SpreadsheetWindowClasses();

/// True when a window class or name is one of them (letter case ignored).
bool IsSpreadsheetClass(const std::string& windowClass);

/// Asks the X server the program runs on; without one, nothing is found.
class X11WindowProbe : public ForbiddenWindowProbe {
 public:
  bool SpreadsheetOpen() override;
};

}  // namespace examora
