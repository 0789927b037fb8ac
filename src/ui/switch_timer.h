// A timer that can be switched on and off like the classic timer control. With real ticks it
// runs a QTimer; in manual mode it only records whether it is on, for a test to fire it.
#pragma once

#include <QTimer>
#include <functional>

namespace examora {

class SwitchTimer {
 public:
  SwitchTimer(QObject* owner, const QString& name, int intervalMs, bool manual,
              std::function<void()> tick)
      : timer_(owner), manual_(manual) {
    timer_.setObjectName(name);
    timer_.setInterval(intervalMs);
    QObject::connect(&timer_, &QTimer::timeout, owner, std::move(tick));
  }
  void SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (manual_) return;
    if (enabled && !timer_.isActive()) timer_.start();
    if (!enabled) timer_.stop();
  }
  bool enabled() const { return enabled_; }

 private:
  QTimer timer_;
  bool manual_;
  bool enabled_ = false;
};

}  // namespace examora
