// The administrator menu `Menu` without the window: the password check with its delay after
// a wrong try, the access code kept fresh while the menu is open, and which tools it offers.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "common/clock.h"

namespace examora {

/// Seconds the password box stays shut after a wrong password.
inline constexpr double kWrongPasswordDelay = 3;
/// A shown access code is replaced once it is this old, so it stays valid for at least four
/// more of its five minutes.
inline constexpr double kAccessCodeRefresh = 60;

class MenuModel {
 public:
  /// `hash`: the stored password hash; nothing when no password has been set.
  MenuModel(const Clock& clock, std::optional<std::string> hash);
  /// The password is checked by someone who can read the hash (the record keeper).
  MenuModel(const Clock& clock, std::function<bool(const std::string&)> check);

  // What the window shows.
  bool unlocked = false;
  bool passwordEnabled = true;  // false during the delay after a wrong try
  std::string lblMessage;       // "Wrong password" and the like
  std::string lblAccessCode;    // the code, once unlocked
  std::string lblValid;         // "valid for N more minutes"
  /// The control the keyboard belongs to: the password box whenever it takes a password (so
  /// the next try typed after a wrong one goes there), the first tool once unlocked.
  std::string focus;

  /// `cmdOK` with the typed password.
  void cmdOK(const std::string& typed);
  /// The one-second timer: ends the delay, refreshes the access code.
  void Tick();

 private:
  double Now() const;
  void UpdateFocus();
  const Clock& clock_;
  std::optional<std::string> hash_;
  std::function<bool(const std::string&)> check_;
  double shutUntil_ = -1;
  double codeMadeAt_ = -1;
};

}  // namespace examora
