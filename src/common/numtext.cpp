#include "common/numtext.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace examora {
namespace {

template <typename T>
std::string FormatWithPrecision(T value, int digits) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  if (value == 0) return "0";  // also folds negative zero
  char buffer[64];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
  std::string text(buffer, result.ptr);
  for (char& c : text) {
    if (c == 'e') c = 'E';
  }
  return text;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string FormatGeneral(double value) {
  return FormatWithPrecision(value, 15);
}

std::string FormatGeneralSingle(float value) {
  return FormatWithPrecision(value, 7);
}

std::string SpacedNumber(double value) {
  return value < 0 ? FormatGeneral(value) : " " + FormatGeneral(value);
}

std::string SpacedNumberSingle(float value) {
  return value < 0 ? FormatGeneralSingle(value) : " " + FormatGeneralSingle(value);
}

double LeadingNumber(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() &&
         (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '\r' || text[pos] == '\n')) {
    ++pos;
  }
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  std::string number;  // digits, point and exponent in from_chars's own spelling
  bool anyDigit = false;
  bool point = false;
  for (; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (IsDigit(c)) {
      anyDigit = true;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
    number += c;
  }
  if (!anyDigit) return 0;
  if (pos < text.size() &&
      (text[pos] == 'E' || text[pos] == 'e' || text[pos] == 'D' || text[pos] == 'd')) {
    std::size_t exp = pos + 1;
    std::string exponent = "e";
    if (exp < text.size() && (text[exp] == '+' || text[exp] == '-')) exponent += text[exp++];
    const std::size_t digitsStart = exp;
    while (exp < text.size() && IsDigit(text[exp])) exponent += text[exp++];
    if (exp > digitsStart) number += exponent;
  }
  double value = 0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec != std::errc() || !std::isfinite(value)) return 0;
  return negative ? -value : value;
}

double RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double diff = value - floor;
  if (diff < 0.5) return floor;
  if (diff > 0.5) return floor + 1;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

}  // namespace examora
