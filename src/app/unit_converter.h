// The unit converter: the program's own companion for converting a value between any two
// compatible units of the units catalogue, each with an SI prefix where the unit takes one.
// The test window's `cmdConvert` opens it.
#pragma once

#include <string>
#include <vector>

#include "engine/units.h"

namespace examora {

class UnitConverterModel {
 public:
  UnitConverterModel();

  // What the student chose: the value as typed, prefixes (1..9, 5 none) and units (1..55) of
  // the catalogue's tables.
  std::string valueText;
  int fromPrefix = 5, fromUnit = 1, toPrefix = 5, toUnit = 1;

  /// The lines of the unit lists and the prefix lists.
  std::vector<std::string> UnitLines() const;
  std::vector<std::string> PrefixLines() const;
  /// Whether a unit takes a prefix (its prefix list is enabled).
  bool TakesPrefix(int unit) const;
  /// The converted value with its prefix and unit, or why there is none.
  std::string Result() const;

 private:
  UnitCatalogue catalogue_;
};

}  // namespace examora
