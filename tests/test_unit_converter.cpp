#include "app/unit_converter.h"

#include <gtest/gtest.h>

namespace examora {
namespace {

constexpr int kNone = 5, kKilo = 6, kMilli = 4, kMega = 7;
constexpr int kDeg = 3, kGram = 4, kKg = 12, kKmh = 20, kLitre = 21, kMetre = 22, kMs = 23;
constexpr int kMm3 = 33, kNewton = 35, kRad = 43;

TEST(UnitConverter, ConvertsCompatibleUnitsWithPrefixes) {
  struct Row {
    const char* value;
    int fromPrefix, fromUnit, toPrefix, toUnit;
    const char* result;
  } rows[] = {
      {"2.5", kKilo, kNewton, kMega, kNewton, "0.0025 MN"},
      {"36", kNone, kKmh, kNone, kMs, "10 m/s"},
      {"1500", kNone, kGram, kMega, kKg, "1.5 kg"},       // kg takes no prefix
      {"2", kMilli, kLitre, kNone, kMm3, "2000 mm\xB3"},  // chained through cubic metres
      {"180", kNone, kDeg, kNone, kRad, "3.141593 rad"},
      {"1", kKilo, kMetre, kNone, kNewton, "meters do not convert into Newtons."},
      {"abc", kNone, kMetre, kNone, kMetre, "Type a number to convert."},
  };
  for (const auto& r : rows) {
    UnitConverterModel model;
    model.valueText = r.value;
    model.fromPrefix = r.fromPrefix, model.fromUnit = r.fromUnit;
    model.toPrefix = r.toPrefix, model.toUnit = r.toUnit;
    EXPECT_EQ(model.Result(), r.result) << r.value;
  }
}

TEST(UnitConverter, ListsTheCatalogue) {
  UnitConverterModel model;
  EXPECT_EQ(model.UnitLines().size(), 55u);
  EXPECT_EQ(model.PrefixLines()[4], "(none)");
  EXPECT_TRUE(model.TakesPrefix(kNewton));
  EXPECT_FALSE(model.TakesPrefix(kKg));
}

}  // namespace
}  // namespace examora
