// The test access code: five digits made from the time of day, accepted for five minutes on any
// computer whose clock agrees. The permutation and the offset below are the deployment's
// secret and live only here, shared by the code maker and the check.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "common/clock.h"

namespace examora {

/// A permutation of the ten digits, and the offset that keeps the hidden time at four digits
/// for every time of day (tenths of an hour's worth of 10-second steps: 0 to 8640).
inline constexpr std::array<int, 10> kAccessPermutation = {3, 7, 0, 9, 5, 1, 8, 2, 6, 4};
inline constexpr int kAccessOffset = 1234;

/// A fresh code for the present time: a key digit 1 to 9 (from the clock's tenths of a
/// second) and four digits hiding the time of day in 10-second steps.
int MakeAccessCode(const Clock& clock);

/// The time value hidden in a typed code, as text: the key digit is the first character of the
/// trimmed text, the four digits are characters 2 to 5 as typed.
std::string ReadAccessCode(std::string_view typed);

/// True when the typed code was made at most 300 seconds before `now` (and not after it).
bool AccessCodeAccepted(std::string_view typed, const LocalDateTime& now);

}  // namespace examora
