// What screen readers and keyboard users need from a window: an accessible name and
// description on every named control, mnemonics on buttons, and a tab order that follows the
// way a student works through the window. Each window lists its controls in one table.
#pragma once

#include <QWidget>
#include <functional>
#include <span>

namespace examora {

struct AccessibleControl {
  const char* objectName;
  const char* name;         // what a screen reader calls the control
  const char* description;  // what it is for
  char mnemonic = 0;        // a button's Alt+letter, marked in its caption where the letter is
};

/// Gives every listed child of `window` its accessible name and description and its
/// mnemonic, and chains the focusable ones in the table's order as the tab order.
void ApplyAccessibility(QWidget& window, std::span<const AccessibleControl> controls);

}  // namespace examora

namespace examora {

/// The controls of the sign-in window, in tab order.
std::span<const AccessibleControl> LoginControls();
/// The controls of the test selection window, in tab order.
std::span<const AccessibleControl> TestControls();
/// The controls of the administrator menu, in tab order.
std::span<const AccessibleControl> MenuControls();
/// The controls of the result file processor, in tab order.
std::span<const AccessibleControl> MarksControls();
std::span<const AccessibleControl> SittingsControls();
/// The controls of the encryptor, in tab order.
std::span<const AccessibleControl> EncryptControls();
/// The controls of the reports window, in tab order.
std::span<const AccessibleControl> ReportsControls();
/// The controls of the unit converter, in tab order.
std::span<const AccessibleControl> UnitConverterControls();
/// The controls of the web loader, in tab order.
std::span<const AccessibleControl> BrowserLoadControls();
/// The controls of the information window.
std::span<const AccessibleControl> InfoControls();
/// The controls of the debug window.
std::span<const AccessibleControl> DebuggerControls();

}  // namespace examora

class QListWidget;

namespace examora {

/// Enter (or Return) on a list acts as a click on its current row, so a list can be used from
/// the keyboard alone; the mouse still clicks as before.
void OnEnterKey(QListWidget& list, std::function<void(int row)> action);

}  // namespace examora
