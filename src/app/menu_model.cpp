#include "app/menu_model.h"

#include <cmath>

#include "app/admin_password.h"
#include "testfile/access_code.h"

namespace examora {

MenuModel::MenuModel(const Clock& clock, std::optional<std::string> hash)
    : clock_(clock), hash_(std::move(hash)) {
  if (!hash_) {
    passwordEnabled = false;
    lblMessage = "No administrator password is set: run examora-cli admin set-password";
  }
  UpdateFocus();
}

MenuModel::MenuModel(const Clock& clock, std::function<bool(const std::string&)> check)
    : clock_(clock), hash_(std::string()), check_(std::move(check)) {
  UpdateFocus();
}

double MenuModel::Now() const {
  return SecondsSinceMidnight(clock_.Now());
}

void MenuModel::UpdateFocus() {
  focus = unlocked ? "cmdAuthoring" : passwordEnabled ? "txtPassword" : "";
}

void MenuModel::cmdOK(const std::string& typed) {
  if (!hash_ || !passwordEnabled || unlocked) return;
  if (typed.size() == kAdminPasswordLength &&
      (check_ ? check_(typed) : CheckAdminPassword(*hash_, typed))) {
    unlocked = true;
    lblMessage.clear();
    Tick();
    return;
  }
  lblMessage = "Wrong password";
  passwordEnabled = false;
  shutUntil_ = Now() + kWrongPasswordDelay;
  UpdateFocus();
}

void MenuModel::Tick() {
  const double now = Now();
  // The delay also ends when the clock has passed midnight since the wrong try.
  if (!passwordEnabled && hash_ && shutUntil_ >= 0 &&
      (now >= shutUntil_ || now < shutUntil_ - kWrongPasswordDelay)) {
    passwordEnabled = true;
    shutUntil_ = -1;
  }
  UpdateFocus();
  if (!unlocked) return;
  double age = now - codeMadeAt_;
  if (codeMadeAt_ < 0 || age < 0 || age >= kAccessCodeRefresh) {
    lblAccessCode = std::to_string(MakeAccessCode(clock_));
    codeMadeAt_ = now;
    age = 0;
  }
  const int minutes = static_cast<int>(std::floor((300 - age) / 60));
  lblValid = "valid for " + std::to_string(minutes) + " more minutes";
}

}  // namespace examora
