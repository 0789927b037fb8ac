// The number texts used everywhere in the program, defined once so that labels, messages,
// files and marking agree to the character.
#pragma once

#include <string>
#include <string_view>

namespace examora {

/// General number format of a double: shortest text with up to 15 significant digits, no
/// trailing zeros, no leading blank, exponent form with a capital E for magnitudes below 1E-04
/// or from 1E+15 on (1E-05, 1.5E+20). Negative zero is "0".
std::string FormatGeneral(double value);

/// The same for a single-precision value, with up to 7 significant digits (1.234568E+07).
std::string FormatGeneralSingle(float value);

/// Spaced number text: the general format with one blank in front of a number that is not
/// negative (" 5000", "-2.5").
std::string SpacedNumber(double value);
std::string SpacedNumberSingle(float value);

/// Leading-number reading of a text, like the classic Val: leading blanks are skipped, then an
/// optional sign, digits with at most one ".", and an optional exponent (E or D, optional sign,
/// digits) are read as far as they go. Text that does not start with a number gives 0, and so
/// does a number too large for a double.
double LeadingNumber(std::string_view text);

/// Rounds to the nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);

}  // namespace examora
