#include "engine/units.h"

#include <gtest/gtest.h>

namespace examora {
namespace {

TEST(Units, CatalogueRowsAndPrefixes) {
  UnitCatalogue c;
  LoadUnits(c);
  LoadPrefixes(c);
  ASSERT_EQ(c.UnitTable.size(), 56u);
  EXPECT_EQ(c.UnitCount, 55);
  EXPECT_EQ(c.UnitTable[0].key, "");
  EXPECT_EQ(c.UnitTable[1].key, "nounits");
  EXPECT_EQ(c.UnitTable[2].symbol,
            "\xB0"
            "C");
  EXPECT_EQ(c.UnitTable[13].symbol, "kg.m\xB2");
  EXPECT_EQ(c.UnitTable[26].symbol, "m\xB2/s");
  EXPECT_EQ(c.UnitTable[28].symbol, "m\xB3/kg");
  EXPECT_EQ(c.UnitTable[48].prefixFlag, "0");  // "%"
  EXPECT_EQ(c.UnitTable[53].key, "r");
  EXPECT_EQ(c.UnitTable[55].longName, "Volt-Amps");
  ASSERT_EQ(c.PrefixTable.size(), 10u);
  EXPECT_EQ(c.PrefixTable[5].multiplier, "1");
  EXPECT_EQ(c.PrefixTable[1].multiplier, "0.000000000001");
  EXPECT_EQ(c.PrefixTable[9].name, "tera");
}

TEST(ConvertSolutionUnits, TheElevenPairsBothWays) {
  struct Row {
    const char* student;
    const char* question;
    float solution;
    float value;  // expected; the solution itself when nothing applies
    const char* key;
  };
  const Row rows[] = {
      {"deg", "rad", 1.0f, static_cast<float>(1.0 * 180 / 3.14159265), "deg"},
      {"rad", "deg", 90.0f, static_cast<float>(90.0 * 3.14159265 / 180), "rad"},
      {"rad", "rad", 2.0f, 2.0f, "rad"},
      {"l", "m3", 2.5f, 2500.0f, "l"},
      {"m3", "l", 2500.0f, 2.5f, "m3"},
      {"mm3", "m3", 2.5f, 2.5e9f, "mm3"},
      {"g", "kg", 1.5f, 1500.0f, "g"},
      {"nmm", "nm", 3.0f, 3000.0f, "nmm"},
      {"n/mm", "n/m", 5000.0f, 5.0f, "n/mm"},
      {"n/m", "n/mm", 5.0f, 5000.0f, "n/m"},
      {"m/s", "km/h", 36.0f, 10.0f, "m/s"},
      {"km/h", "m/s", 10.0f, 36.0f, "km/h"},
      {"mm", "m", 0.25f, 250.0f, "mm"},
      {"mm2", "m2", 1.0f, 1e6f, "mm2"},
      {"kgmm2", "kgm2", 2.0f, 2e6f, "kgmm2"},
      {"%", "nounits", 0.25f, 25.0f, "%"},
      {"nounits", "%", 25.0f, 0.25f, "nounits"},
      {"n", "n", 4.0f, 4.0f, "n"},   // prefixes are the marking's business
      {"kg", "n", 4.0f, 4.0f, "n"},  // not convertible
  };
  for (const auto& row : rows) {
    float value = row.solution;
    std::string key = row.question;
    ConvertSolutionUnits(row.student, row.solution, value, key);
    EXPECT_FLOAT_EQ(value, row.value) << row.student << " for " << row.question;
    EXPECT_EQ(key, row.key) << row.student << " for " << row.question;
  }
}

TEST(FormatSF, RoundsToSignificantFigures) {
  struct Row {
    float value;
    int figures;
    const char* text;
  };
  const Row rows[] = {
      {0, 3, "0"},
      {1234.5f, 3, "1230"},
      {0.0123456f, 4, "0.01235"},
      {2.5f, 1, "2"},
      {3.5f, 1, "4"},
      {-0.0456789f, 3, "-0.0457"},
      {1000, 1, "1000"},
      {4.96f, 2, "5"},
      {123456, 2, "120000"},
      {1.5e-6f, 2, "1.5E-06"},
      {9.999f, 3, "10"},
      {7, 0, "7"},
  };
  for (const auto& row : rows) {
    float value = row.value;
    int figures = row.figures;
    EXPECT_EQ(FormatSF(value, figures), row.text) << row.value;
  }
}

TEST(FormatSF, FiguresBelowOneBecomeThreeAndZeroBecomesTiny) {
  float value = 3.14159f;
  int figures = -2;
  EXPECT_EQ(FormatSF(value, figures), "3.14");
  EXPECT_EQ(figures, 3);
  float zero = 0;
  FormatSF(zero, figures);
  EXPECT_FLOAT_EQ(zero, 1e-13f);
}

TEST(FormatSF, TracesOnlyWhileTheDebugWindowIsVisible) {
  DebugLog log;
  float value = 1234.5f;
  int figures = 3;
  FormatSF(value, figures, &log);
  EXPECT_TRUE(log.List1.empty());
  log.visible = true;
  FormatSF(value, figures, &log);
  ASSERT_EQ(log.List1.size(), 1u);
  EXPECT_EQ(log.List1[0], "NumInput: 1234.5  IntSign=  1  FormatSF= 1230");
}

}  // namespace
}  // namespace examora
