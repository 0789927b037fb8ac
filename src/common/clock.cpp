#include "common/clock.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace examora {

double SecondsSinceMidnight(const LocalDateTime& t) {
  return t.hour * 3600.0 + t.minute * 60.0 + t.second;
}

std::string FormatDate(const LocalDateTime& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", t.day, t.month, t.year);
  return text;
}

std::string FormatTime(const LocalDateTime& t) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", t.hour, t.minute);
  return text;
}

LocalDateTime SystemClock::Now() const {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t whole = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&whole, &local);
  const auto fraction = duration<double>(now - system_clock::from_time_t(whole)).count();
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec + fraction};
}

long long SerialSeconds(const LocalDateTime& t) {
  using namespace std::chrono;
  const auto day = sys_days{
      year_month_day{year{t.year}, month{unsigned(t.month)}, std::chrono::day{unsigned(t.day)}}};
  return static_cast<long long>(day.time_since_epoch().count()) * 86400 + t.hour * 3600 +
         t.minute * 60 + static_cast<long long>(t.second);
}

long long SystemClock::UtcSeconds() const {
  return static_cast<long long>(std::time(nullptr));
}

void ManualClock::Advance(double seconds) {
  using namespace std::chrono;
  // Calendar arithmetic through the civil-day count, so months and leap years come out right.
  const auto day = sys_days{year_month_day{year{now_.year}, month{unsigned(now_.month)},
                                           std::chrono::day{unsigned(now_.day)}}};
  const double total = SecondsSinceMidnight(now_) + seconds;
  const double dayShift = std::floor(total / 86400.0);
  const double within = total - dayShift * 86400.0;
  const year_month_day ymd{day + days{static_cast<long>(dayShift)}};
  now_.year = int(ymd.year());
  now_.month = int(unsigned(ymd.month()));
  now_.day = int(unsigned(ymd.day()));
  now_.hour = static_cast<int>(within / 3600);
  now_.minute = static_cast<int>((within - now_.hour * 3600.0) / 60);
  now_.second = within - now_.hour * 3600.0 - now_.minute * 60.0;
}

}  // namespace examora
