#include "app/unit_converter.h"

#include <map>
#include <queue>

#include "common/numtext.h"
#include "formula/evaluator.h"

namespace examora {
namespace {

// The value in `from` re-expressed in `to` through the catalogue's fixed conversions, chained
// where no single one links them (litres to cubic millimetres goes through cubic metres).
bool Reexpress(const UnitCatalogue& catalogue, float value, const std::string& from,
               const std::string& to, float& result) {
  std::map<std::string, float> reached = {{from, value}};
  std::queue<std::string> open;
  open.push(from);
  while (!open.empty()) {
    const std::string key = open.front();
    open.pop();
    if (key == to) {
      result = reached[key];
      return true;
    }
    for (int u = 1; u <= catalogue.UnitCount; ++u) {
      const std::string& next = catalogue.UnitTable[static_cast<std::size_t>(u)].key;
      if (reached.count(next)) continue;
      float converted = 0;
      std::string questionKey = key;
      ConvertSolutionUnits(next, reached[key], converted, questionKey);
      if (questionKey == next) {
        reached[next] = converted;
        open.push(next);
      }
    }
  }
  return false;
}

}  // namespace

UnitConverterModel::UnitConverterModel() {
  LoadUnits(catalogue_);
  LoadPrefixes(catalogue_);
}

std::vector<std::string> UnitConverterModel::UnitLines() const {
  std::vector<std::string> lines;
  for (int u = 1; u <= catalogue_.UnitCount; ++u) {
    const UnitRow& row = catalogue_.UnitTable[static_cast<std::size_t>(u)];
    lines.push_back(row.symbol + "  " + row.longName);
  }
  return lines;
}

std::vector<std::string> UnitConverterModel::PrefixLines() const {
  std::vector<std::string> lines;
  for (std::size_t p = 1; p < catalogue_.PrefixTable.size(); ++p) {
    const PrefixRow& row = catalogue_.PrefixTable[p];
    lines.push_back(row.symbol.empty() ? "(none)" : row.symbol + "  " + row.name);
  }
  return lines;
}

bool UnitConverterModel::TakesPrefix(int unit) const {
  return unit >= 1 && unit <= catalogue_.UnitCount &&
         catalogue_.UnitTable[static_cast<std::size_t>(unit)].prefixFlag == "1";
}

std::string UnitConverterModel::Result() const {
  if (!IsNumberText(valueText) || valueText.empty()) return "Type a number to convert.";
  const int count = catalogue_.UnitCount;
  if (fromUnit < 1 || fromUnit > count || toUnit < 1 || toUnit > count) return "Choose two units.";
  const auto multiplier = [&](int prefix, int unit) {
    if (!TakesPrefix(unit) || prefix < 1 || prefix > 9) return 1.0;
    return LeadingNumber(catalogue_.PrefixTable[static_cast<std::size_t>(prefix)].multiplier);
  };
  const UnitRow& from = catalogue_.UnitTable[static_cast<std::size_t>(fromUnit)];
  const UnitRow& to = catalogue_.UnitTable[static_cast<std::size_t>(toUnit)];
  const auto base = static_cast<float>(LeadingNumber(valueText) * multiplier(fromPrefix, fromUnit));
  float converted = 0;
  if (!Reexpress(catalogue_, base, from.key, to.key, converted)) {
    return from.longName + " do not convert into " + to.longName + ".";
  }
  const std::string prefix =
      TakesPrefix(toUnit) ? catalogue_.PrefixTable[static_cast<std::size_t>(toPrefix)].symbol : "";
  return FormatGeneralSingle(static_cast<float>(converted / multiplier(toPrefix, toUnit))) + " " +
         prefix + to.symbol;
}

}  // namespace examora
