#include "engine/units.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "common/numtext.h"

namespace examora {
namespace {

// Degree sign, superscript two and three of the code page.
#define DEG "\xB0"
#define SQ "\xB2"
#define CU "\xB3"

const std::array<UnitRow, 55> kUnits = {{
    {"No Units", "No Units", "0", "nounits"},
    {DEG "C", "Celcius", "0", "c"},
    {DEG "deg", "degrees of angle", "0", "deg"},
    {"g", "grams", "1", "g"},
    {"Hz", "Hertz: cycles/second", "1", "hz"},
    {"J", "Joules", "1", "j"},
    {"J/K", "Joules/Kelvin", "1", "j/k"},
    {"J/kg", "Joules/kilogram", "1", "j/kg"},
    {"J/kgK", "Joules/kilogram.Kelvin", "1", "j/kgk"},
    {"K", "Kelvin", "0", "k"},
    {"1/K", "per Kelvin", "0", "1/k"},
    {"kg", "kilograms", "0", "kg"},
    {"kg.m" SQ, "kg.meters squared", "0", "kgm2"},
    {"kg.mm" SQ, "kg.millimeter squared", "0", "kgmm2"},
    {"kg/m", "kilograms/meter", "0", "kg/m"},
    {"kg/m" SQ, "kilograms/square meter", "0", "kg/m2"},
    {"kg/m" CU, "kilograms/cubic meter", "0", "kg/m3"},
    {"kg/s", "kilograms per second", "0", "kg/s"},
    {"kg.m/s", "kg.meters per second", "0", "kgm/s"},
    {"km/h", "kilometers per hour", "0", "km/h"},
    {"L", "litres", "1", "l"},
    {"m", "meters", "1", "m"},
    {"m/s", "meters/second", "0", "m/s"},
    {"m/s" SQ, "meters/second squared", "0", "m/s2"},
    {"m" SQ, "square meters", "0", "m2"},
    {"m" SQ "/s", "meters squared/second", "0", "m2/s"},
    {"m" CU, "cubic meters", "0", "m3"},
    {"m" CU "/kg", "cubic meters/kilogram", "0", "m3/kg"},
    {"m" CU "/s", "cubic meters/second", "0", "m3/s"},
    {"mm", "millimeters", "0", "mm"},
    {"mm/K", "millimeters/degree Kelvin", "0", "mm/k"},
    {"mm" SQ, "square millimeters", "0", "mm2"},
    {"mm" CU, "cubic millimeters", "0", "mm3"},
    {"mm4", "millimeters to the 4th", "0", "mm4"},
    {"N", "Newtons", "1", "n"},
    {"N.m", "Newton.meters", "1", "nm"},
    {"N.mm", "Newton.millimeters", "0", "nmm"},
    {"N.s", "Newton.seconds", "0", "ns"},
    {"N/m", "Newtons/meter", "0", "n/m"},
    {"N/mm", "Newtons/millimeter", "0", "n/mm"},
    {"Pa", "Pascals", "1", "pa"},
    {"Pa.s", "Pascal.seconds", "0", "pas"},
    {"rad", "radians", "0", "rad"},
    {"rad/s", "radians/second", "0", "rad/s"},
    {"rad/s" SQ, "radians/second squared", "0", "rad/s2"},
    {"s", "seconds", "1", "s"},
    {"W", "Watts", "1", "w"},
    {"%", "Percent", "0", "%"},
    {"A", "Amps (Amperes)", "1", "a"},
    {"C", "Coulombs", "1", "cb"},
    {"F", "Farads", "1", "f"},
    {"H", "Henrys", "1", "h"},
    {"Ohms", "Ohms", "1", "r"},
    {"V", "Volts", "1", "v"},
    {"VA", "Volt-Amps", "1", "va"},
}};

#undef DEG
#undef SQ
#undef CU

const std::array<PrefixRow, 9> kPrefixes = {{
    {"p", "pico", "0.000000000001"},
    {"n", "nano", "0.000000001"},
    {"u", "micro", "0.000001"},
    {"m", "milli", "0.001"},
    {"", "", "1"},
    {"k", "kilo", "1000"},
    {"M", "mega", "1000000"},
    {"G", "giga", "1000000000"},
    {"T", "tera", "1000000000000"},
}};

// (A, B) and the number by which B converts to A: multiplied when `multiply`, else divided;
// A converts to B the other way round. The first pair converts by pi and 180 (see Convert).
struct Conversion {
  std::string_view a;
  std::string_view b;
  double number;
  bool multiply;
};
constexpr std::array<Conversion, 11> kConversions = {{
    {"rad", "deg", 180, false},
    {"l", "m3", 1000, true},
    {"g", "kg", 1000, true},
    {"nmm", "nm", 1000, true},
    {"n/mm", "n/m", 1000, false},
    {"m/s", "km/h", 3.6, false},
    {"mm", "m", 1000, true},
    {"mm2", "m2", 1000000, true},
    {"mm3", "m3", 1000000000, true},
    {"kgmm2", "kgm2", 1000000, true},
    {"nounits", "%", 100, false},
}};

constexpr double kConversionPi = 3.14159265;

double Convert(const Conversion& pair, double solution, bool bToA) {
  if (pair.a == "rad") {
    return bToA ? solution * kConversionPi / 180 : solution * 180 / kConversionPi;
  }
  return bToA == pair.multiply ? solution * pair.number : solution / pair.number;
}

}  // namespace

void LoadUnits(UnitCatalogue& catalogue) {
  catalogue.UnitTable.assign(1, UnitRow{});
  catalogue.UnitTable.insert(catalogue.UnitTable.end(), kUnits.begin(), kUnits.end());
  catalogue.UnitCount = static_cast<int>(kUnits.size());
}

void LoadPrefixes(UnitCatalogue& catalogue) {
  catalogue.PrefixTable.assign(1, PrefixRow{});
  catalogue.PrefixTable.insert(catalogue.PrefixTable.end(), kPrefixes.begin(), kPrefixes.end());
}

void ConvertSolutionUnits(std::string_view studentKey, float solution, float& value,
                          std::string& questionKey) {
  for (const auto& pair : kConversions) {
    if (studentKey == pair.a && questionKey == pair.b) {
      value = static_cast<float>(Convert(pair, solution, true));
      questionKey = std::string(pair.a);
    } else if (studentKey == pair.b && questionKey == pair.a) {
      value = static_cast<float>(Convert(pair, solution, false));
      questionKey = std::string(pair.b);
    }
  }
}

std::string FormatSF(float& value, int& figures, DebugLog* debug) {
  if (figures < 1) figures = 3;
  const double sign = value > 0 ? 1 : value < 0 ? -1 : 0;
  if (value == 0) value = 1e-13f;
  const double magnitude = std::fabs(static_cast<double>(value));
  const double exponent = std::floor(std::log(magnitude) / std::log(10.0));
  // Past 17 figures a double has nothing more to round; the bound keeps the powers finite.
  const int used = std::min(figures, 17);
  const double whole = RoundHalfEven(value * std::pow(10.0, used - 1 - exponent));
  const double rounded = std::fabs(whole * std::pow(10.0, exponent + 1 - used)) * sign;
  std::string text = FormatGeneral(rounded);
  if (debug && debug->visible) {
    debug->Add("NumInput:" + SpacedNumberSingle(value) + "  IntSign= " + SpacedNumber(sign) +
               "  FormatSF= " + text);
  }
  return text;
}

}  // namespace examora
