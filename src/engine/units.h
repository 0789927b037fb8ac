// The units catalogue (55 units), the nine SI prefixes, the fixed conversions of a question's
// solution into an accepted alternative unit, and rounding to significant figures.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/debug_log.h"

namespace examora {

struct UnitRow {
  std::string symbol;      // shown in the units list (Windows-1252: "\xB0" "C" is °C)
  std::string longName;    // shown in the long-name label
  std::string prefixFlag;  // "1" when the unit accepts an SI prefix
  std::string key;         // lower-case key compared with the question's unit key
};

struct PrefixRow {
  std::string symbol;
  std::string name;
  std::string multiplier;  // decimal text
};

/// Unit and prefix tables, numbered from 1 (row 0 is left empty).
struct UnitCatalogue {
  std::vector<UnitRow> UnitTable;
  int UnitCount = 0;
  std::vector<PrefixRow> PrefixTable;
};

/// Fills `UnitTable` with the 55 units and sets `UnitCount`.
void LoadUnits(UnitCatalogue& catalogue);
/// Fills `PrefixTable` with the nine prefixes (number 5 is "no prefix").
void LoadPrefixes(UnitCatalogue& catalogue);

/// Re-expresses `solution` in the student's unit when one of the fixed conversions links the
/// two keys: `value` gets the converted solution and `questionKey` the student's key. Both are
/// left alone when no conversion applies.
void ConvertSolutionUnits(std::string_view studentKey, float solution, float& value,
                          std::string& questionKey);

/// Rounds `value` to `figures` significant figures (half to even) and returns its text in the
/// general number format. Figures below 1 become 3, and a value of 0 becomes 1E-13, as the
/// caller then sees. While the debug window is visible, adds its trace line there.
std::string FormatSF(float& value, int& figures, DebugLog* debug = nullptr);

}  // namespace examora
