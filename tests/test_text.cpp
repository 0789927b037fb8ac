#include "common/text.h"

#include <gtest/gtest.h>

namespace examora {
namespace {

TEST(Cp1252, EveryByteRoundTripsThroughUtf8) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string utf8 = Cp1252ToUtf8(all);
  EXPECT_TRUE(IsValidUtf8(utf8));
  EXPECT_EQ(Utf8ToCp1252(utf8), all);
}

TEST(Cp1252, MapsTheCharactersTeachersType) {
  struct Row {
    std::string cp1252;
    std::string utf8;
  };
  const Row rows[] = {
      {"\x80", "\u20AC"},  // euro sign
      {"\xB0"
       "C",
       "\u00B0C"},         // degree sign
      {"\xB5", "\u00B5"},  // micro sign
      {"\x96", "\u2013"},  // en dash
      {"\x9D", "\u009D"},  // undefined in the page: kept as the C1 control
      {"\xE9t\xE9", "\u00E9t\u00E9"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Cp1252ToUtf8(row.cp1252), row.utf8);
    EXPECT_EQ(Utf8ToCp1252(row.utf8), row.cp1252);
  }
}

TEST(Cp1252, UnrepresentableAndMalformedUtf8BecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1252("\u03A9"), "?");          // Greek capital omega: not in the page
  EXPECT_EQ(Utf8ToCp1252("a\U0001F600b"), "a?b");  // outside the BMP
  EXPECT_EQ(Utf8ToCp1252("a\xC3"), "a?");          // truncated sequence
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");       // overlong form
  EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "???");  // surrogate
}

TEST(Cp1252, SourceTextIsConvertedOnlyWhenItIsUtf8) {
  EXPECT_EQ(SourceTextToCp1252("plain ascii"), "plain ascii");
  EXPECT_EQ(SourceTextToCp1252("21.5 \u00B0C"),
            "21.5 \xB0"
            "C");
  EXPECT_EQ(SourceTextToCp1252("21.5 \xB0"
                               "C"),
            "21.5 \xB0"
            "C");  // already Windows-1252
}

TEST(Text, TrimRemovesSpacesOnly) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim(""), "");
  EXPECT_EQ(Trim("\tx\t"), "\tx\t");
}

TEST(Text, UpperAsciiLeavesOtherBytes) {
  EXPECT_EQ(UpperAscii("qlb305-\xE9z"), "QLB305-\xE9Z");
}

TEST(Text, SplitLinesAcceptsBothLineEnds) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(SplitLines(""), Lines{});
  EXPECT_EQ(SplitLines("a"), Lines{"a"});
  EXPECT_EQ(SplitLines("a\r\nb\nc"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(SplitLines("a\r\n\r\n"), (Lines{"a", ""}));
  EXPECT_EQ(SplitLines("\n"), Lines{""});
  EXPECT_EQ(SplitLines("a\rb\n"), Lines{"a\rb"});  // a lone CR is not a line end
}

}  // namespace
}  // namespace examora
