// What every window owes a screen reader and a keyboard user, checked the same way in each
// window's tests: a name and description on every named control, and no Alt+letter answered
// by two buttons on show together.
#pragma once

#include <QAbstractButton>
#include <QKeySequence>
#include <QMap>
#include <QStringList>
#include <QWidget>
#include <string>

namespace examora::gui_testing {

/// The named controls of `window` without an accessible name or description, by name.
inline std::string UnnamedControls(const QWidget& window) {
  QStringList unnamed;
  for (QWidget* w : window.findChildren<QWidget*>()) {
    if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"))) continue;
    if (w->accessibleName().isEmpty() || w->accessibleDescription().isEmpty()) {
      unnamed << w->objectName();
    }
  }
  return unnamed.join(", ").toStdString();
}

/// Each mnemonic that two buttons on show together share, as "first/second: Alt+X". Buttons
/// in panels never shown at once may share one: Qt answers only the visible.
inline std::string SharedMnemonics(const QWidget& window) {
  QStringList shared;
  QMap<QString, QString> owner;
  for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
    const QKeySequence key = QKeySequence::mnemonic(button->text());
    if (key.isEmpty() || !button->isVisibleTo(&window)) continue;
    const QString letter = key.toString();
    if (owner.contains(letter)) {
      shared << owner[letter] + "/" + button->objectName() + ": " + letter;
    }
    owner.insert(letter, button->objectName());
  }
  return shared.join(", ").toStdString();
}

}  // namespace examora::gui_testing
