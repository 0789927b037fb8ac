#include "common/numtext.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace examora {
namespace {

TEST(FormatGeneral, ShortestTextUpTo15Digits) {
  struct Row {
    double value;
    const char* text;
  };
  const Row rows[] = {
      {0, "0"},
      {-0.0, "0"},
      {5000, "5000"},
      {-2.5, "-2.5"},
      {0.1, "0.1"},
      {0.1 + 0.2, "0.3"},
      {1.0 / 3, "0.333333333333333"},
      {1234.5, "1234.5"},
      {123456789012345, "123456789012345"},
      {1e15, "1E+15"},
      {1.5e20, "1.5E+20"},
      {0.0001, "0.0001"},
      {0.00001, "1E-05"},
      {1.5e-6, "1.5E-06"},
      {1e-13, "1E-13"},
      {3.43530553603699e-06, "3.43530553603699E-06"},
      {13.9208965474847, "13.9208965474847"},
      {std::atan2(1.0, 0.0), "1.5707963267949"},
  };
  for (const auto& row : rows) EXPECT_EQ(FormatGeneral(row.value), row.text) << row.text;
}

TEST(FormatGeneral, NonFiniteValuesAreReadable) {
  EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::infinity()), "Infinity");
  EXPECT_EQ(FormatGeneral(-std::numeric_limits<double>::infinity()), "-Infinity");
  EXPECT_EQ(FormatGeneral(std::nan("")), "NaN");
}

TEST(FormatGeneralSingle, SevenDigits) {
  struct Row {
    float value;
    const char* text;
  };
  const Row rows[] = {
      {0.1f, "0.1"},     {4.96f, "4.96"},         {12345678.0f, "1.234568E+07"}, {1e-5f, "1E-05"},
      {-3.25f, "-3.25"}, {1234567.0f, "1234567"}, {2.0f / 3, "0.6666667"},
  };
  for (const auto& row : rows) EXPECT_EQ(FormatGeneralSingle(row.value), row.text) << row.text;
}

TEST(SpacedNumber, BlankBeforeNumbersThatAreNotNegative) {
  EXPECT_EQ(SpacedNumber(5000), " 5000");
  EXPECT_EQ(SpacedNumber(0), " 0");
  EXPECT_EQ(SpacedNumber(-2.5), "-2.5");
  EXPECT_EQ(SpacedNumberSingle(4.96f), " 4.96");
  EXPECT_EQ(SpacedNumberSingle(-0.5f), "-0.5");
}

TEST(LeadingNumber, ReadsTheLeadingNumericPart) {
  struct Row {
    const char* text;
    double value;
  };
  const Row rows[] = {
      {"", 0},       {"abc", 0},         {"12", 12},     {"  12", 12},
      {"12abc", 12}, {"-1.5e3x", -1500}, {"+3", 3},      {".5", 0.5},
      {"-", 0},      {".", 0},           {"1.2.3", 1.2}, {"1e", 1},
      {"1e+", 1},    {"2E-3", 0.002},    {"1D2", 100},   {"4.96 kN", 4.96},
      {"1e999", 0},  {"\t\r\n7", 7},     {"1,5", 1},     {"00012", 12},
  };
  for (const auto& row : rows) EXPECT_DOUBLE_EQ(LeadingNumber(row.text), row.value) << row.text;
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  struct Row {
    double value;
    double rounded;
  };
  const Row rows[] = {
      {2.5, 2}, {3.5, 4}, {0.5, 0},   {1.5, 2}, {-2.5, -2},         {-3.5, -4},
      {2.4, 2}, {2.6, 3}, {-2.6, -3}, {0, 0},   {1e15 + 0.5, 1e15}, {18, 18},
  };
  for (const auto& row : rows) EXPECT_EQ(RoundHalfEven(row.value), row.rounded) << row.value;
}

}  // namespace
}  // namespace examora
