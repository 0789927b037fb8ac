#include "testfile/access_code.h"

#include <cmath>

#include "common/numtext.h"
#include "common/text.h"

namespace examora {
namespace {

int DigitValue(char c) {
  return c >= '0' && c <= '9' ? c - '0' : 0;
}

int InversePermutation(int digit) {
  for (int k = 0; k < 10; ++k) {
    if (kAccessPermutation[static_cast<std::size_t>(k)] == digit) return k;
  }
  return 0;
}

// The time of day in 10-second steps, rounded half to even.
int TimeSteps(const LocalDateTime& t) {
  return static_cast<int>(RoundHalfEven(SecondsSinceMidnight(t) / 10));
}

}  // namespace

int MakeAccessCode(const Clock& clock) {
  const std::string hidden = std::to_string(TimeSteps(clock.Now()) + kAccessOffset);
  // The key digit is the last digit of the clock's tenths of a second, read until it is not 0.
  // A clock that stands still on a 0 (only a test clock can) gets a digit from the seconds.
  int key = 0;
  for (int tries = 0; tries < 1000 && key == 0; ++tries) {
    key = static_cast<int>(std::fmod(RoundHalfEven(SecondsSinceMidnight(clock.Now()) * 10), 10));
  }
  if (key == 0) key = 1 + static_cast<int>(SecondsSinceMidnight(clock.Now())) % 9;
  int code = key;
  for (std::size_t i = 0; i < 4; ++i) {
    code = code * 10 +
           kAccessPermutation[static_cast<std::size_t>((DigitValue(hidden[i]) + key) % 10)];
  }
  return code;
}

std::string ReadAccessCode(std::string_view typed) {
  const std::string trimmed = Trim(typed);
  const int key = trimmed.empty() ? 0 : DigitValue(trimmed[0]);
  int hidden = 0;
  for (std::size_t i = 1; i <= 4; ++i) {
    const int y = i < typed.size() ? DigitValue(typed[i]) : 0;
    int x = InversePermutation(y) - key;
    if (x < 0) x += 10;
    hidden = hidden * 10 + x;
  }
  return std::to_string(hidden - kAccessOffset);
}

bool AccessCodeAccepted(std::string_view typed, const LocalDateTime& now) {
  const double made = LeadingNumber(ReadAccessCode(typed));
  const int steps = TimeSteps(now);
  return steps >= made && steps <= made + 30;
}

}  // namespace examora
