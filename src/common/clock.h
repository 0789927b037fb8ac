// Local date and time, and the clock seam: the real clock reads the system's local time; tests
// set and advance a manual one.
#pragma once

#include <string>

namespace examora {

/// A local date and time of day; seconds carry fractions.
struct LocalDateTime {
  int year = 2000;
  int month = 1;  // 1..12
  int day = 1;    // 1..31
  int hour = 0;   // 0..23
  int minute = 0;
  double second = 0;  // 0 <= second < 60
};

/// Seconds since midnight, with fractions (the classic Timer value).
double SecondsSinceMidnight(const LocalDateTime& t);

/// "dd/mm/yyyy".
std::string FormatDate(const LocalDateTime& t);

/// "hh:nn": two-digit hour (0..23) and minute.
std::string FormatTime(const LocalDateTime& t);

/// Seconds since 1 January 1970 of a date and time, by the calendar alone (no time zone).
long long SerialSeconds(const LocalDateTime& t);

/// The source of the present local time, and of the time that zones and clock changes never
/// move (deadlines are kept in it).
class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalDateTime Now() const = 0;
  /// Seconds since 1970 in UTC. A manual clock counts its own local time as UTC.
  virtual long long UtcSeconds() const { return SerialSeconds(Now()); }
};

/// The system's local time.
class SystemClock : public Clock {
 public:
  LocalDateTime Now() const override;
  long long UtcSeconds() const override;
};

/// A clock that stands still until a test sets or advances it.
class ManualClock : public Clock {
 public:
  explicit ManualClock(LocalDateTime start = {}) : now_(start) {}
  LocalDateTime Now() const override { return now_; }
  void Set(const LocalDateTime& t) { now_ = t; }
  /// Moves the clock on by the given seconds (any amount, across midnight and month ends).
  void Advance(double seconds);

 private:
  LocalDateTime now_;
};

}  // namespace examora
