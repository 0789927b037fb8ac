// The test file: header values, validation of damaged files, the shown texts and times, and
// the access code.
#include "testfile/testfile.h"

#include <cmath>

#include <gtest/gtest.h>

#include "common/error.h"
#include "testfile/access_code.h"

namespace examora {
namespace {

// A small valid test: a numeric question, a multiple-choice one and a matching one.
std::vector<std::string> ValidLines() {
  return {"10199", "Tiny",      "Tiny test", "False",         "50",     "3",  "1.5", "2",
          "232",   "Two kinds", "Vars",      "#F = #(1,2,2)", "",       "#a", "n",   "Which?",
          "",      "Right",     "Wrong",     "Other",         "$Match", "",   "a,b", "A,B"};
}

std::string Encipher(const std::vector<std::string>& lines, const LineCipher& cipher) {
  std::string text;
  for (const auto& line : lines) text += cipher.Encipher(line) + "\r\n";
  return text;
}

TEST(TestFile, ReadsAValidTest) {
  const TestBank bank = LoadTestText(Encipher(ValidLines(), FixedKeyCipher()) + "\r\n", "Tiny");
  EXPECT_EQ(bank.header.TestTitle, "Tiny test");
  EXPECT_FALSE(bank.header.Compulsory);
  EXPECT_FLOAT_EQ(bank.header.PassMark, 50);
  EXPECT_EQ(bank.header.QuestionsInFile, 3);
  EXPECT_EQ(bank.header.QuestionsToAsk, 2);
  EXPECT_FLOAT_EQ(bank.header.TestMinutes, 3);
  EXPECT_EQ(bank.QLineCount, (std::vector<int>{0, 2, 3, 2}));
  EXPECT_EQ(bank.Questions[2][5], "Other");
  EXPECT_FALSE(bank.HasContinuation);
  EXPECT_EQ(TestLines(bank), ValidLines());
}

TEST(TestFile, AByteOrderMarkAndLinesAfterTheLastBlockAreNotDamage) {
  const std::string good = Encipher(ValidLines(), FixedKeyCipher());
  EXPECT_EQ(LoadTestText("\xEF\xBB\xBF" + good, "Tiny").header.QuestionsInFile, 3);
  EXPECT_EQ(LoadTestText(good + "extra\r\n", "Tiny").Questions[3][4], "A,B");
  EXPECT_EQ(LoadTestText(good + FixedKeyCipher().Encipher("more") + "\r\n\r\n", "Tiny")
                .header.QuestionsInFile,
            3);
  // A line the format reads still has to decipher: the last line of the last block here.
  std::string damaged = good;
  damaged.replace(damaged.rfind("\r\n", damaged.size() - 3) + 2, 4, "!!!!");
  EXPECT_THROW(
      {
        try {
          LoadTestText(damaged, "Tiny");
        } catch (const FormatError& e) {
          EXPECT_NE(std::string(e.what()).find("line 24 does not decipher"), std::string::npos)
              << e.what();
          throw;
        }
      },
      FormatError);
}

TEST(TestFile, OnlyTrueMakesATestCompulsory) {
  auto lines = ValidLines();
  lines[3] = "true";
  EXPECT_FALSE(ParseTestLines(lines, "t").header.Compulsory);
  lines[3] = "True";
  EXPECT_TRUE(ParseTestLines(lines, "t").header.Compulsory);
}

TEST(TestFile, DamagedOrInvalidTestsAreRefusedByName) {
  struct Row {
    std::size_t line;  // 0-based line to change; past the end: drop lines from there
    std::string value;
    const char* says;
  };
  const Row rows[] = {
      {5, "0", "0 questions in the bank"},
      {5, "501", "501 questions in the bank"},
      {5, "many", "0 questions in the bank"},
      {7, "4", "asks 4 questions of a bank of 3"},
      {7, "0", "asks 0 questions"},
      {6, "0", "no time per question"},
      {8, "23", "line counts cover 2 of 3"},
      {8, "272", "question 2 has a line count that is not 0 to 6"},
      {8, "032", "question 1 lacks its third or fourth line"},
      {22, "a,b,c,d,e,f,g,h,i,j,k,l,m", "more than 12 items to match"},
      {20, "", "ends inside question 3"},
  };
  for (const auto& row : rows) {
    auto lines = ValidLines();
    if (row.value.empty()) {
      lines.resize(row.line);
    } else if (row.line >= lines.size()) {
      lines.push_back(row.value);
    } else {
      lines[row.line] = row.value;
    }
    try {
      ParseTestLines(lines, "\"10199 Tiny\"");
      ADD_FAILURE() << "accepted: " << row.says;
    } catch (const FormatError& e) {
      const std::string message = e.what();
      EXPECT_NE(message.find("The test \"10199 Tiny\" cannot be used: "), std::string::npos);
      EXPECT_NE(message.find(row.says), std::string::npos) << message;
    }
  }
}

// Lines of one block that must agree, and times the clock cannot run: refused at loading, with
// the accepted neighbour of every boundary.
TEST(TestFile, BlocksWhoseLinesDisagreeAndAbsurdTimesAreRefused) {
  struct Row {
    std::vector<std::pair<std::size_t, std::string>> changes;
    const char* says;  // empty: accepted
  };
  const std::string multi = "@Tick", word = "%Word";
  const Row rows[] = {
      {{{22, "a,b,c"}}, "has 3 items to match (line 3) but 2 answers (line 4)"},
      {{{23, "A,B,C"}}, "has 2 items to match (line 3) but 3 answers (line 4)"},
      {{{22, "a,b,c"}, {23, "A,B,C"}}, ""},
      {{{20, multi}, {22, "A,C"}, {23, "3"}}, ""},
      {{{20, multi}, {22, "A,D"}, {23, "3"}}, "expects \"A,D\", which the 3 boxes"},
      {{{20, multi}, {22, "C,A"}, {23, "3"}}, "expects \"C,A\""},
      {{{20, multi}, {22, "A"}, {23, "0"}}, "shows \"0\" boxes"},
      {{{20, multi}, {22, "A"}, {23, "79"}}, "shows \"79\" boxes"},
      {{{20, multi}, {22, "A,26"}, {23, "78"}}, ""},
      {{{20, multi}, {22, "A"}, {23, "100"}}, "shows \"100\" boxes"},
      {{{20, word}, {22, "a"}, {23, " , "}}, "gives no spelling for word 2"},
      {{{20, word}, {22, "a"}, {23, ",b"}}, ""},
      {{{6, "1e39"}}, "endless minutes a sitting"},
      {{{6, "3e37"}}, "allows 6E+37 minutes a sitting; a sitting may last at most 1440"},
      {{{6, "720.001"}}, "allows 1440.002 minutes"},
      {{{6, "720"}}, ""},
      {{{6, "0.25"}}, "0.5 minutes a sitting round to no time"},
      {{{6, "0.3"}}, ""},
  };
  for (const auto& row : rows) {
    auto lines = ValidLines();
    for (const auto& [line, value] : row.changes) lines[line] = value;
    try {
      ParseTestLines(lines, "T");
      EXPECT_STREQ(row.says, "") << "accepted";
    } catch (const FormatError& e) {
      EXPECT_NE(std::string(e.what()).find(row.says), std::string::npos)
          << e.what() << " / expected: " << row.says;
      EXPECT_NE(std::string(row.says), "") << e.what();
    }
  }
}

TEST(TestFile, WrongKeysAndTruncatedFilesAreRefused) {
  const std::string good = Encipher(ValidLines(), FixedKeyCipher());
  EXPECT_THROW(LoadTestText(Encipher(ValidLines(), LineCipher("0011223344556677")), "Tiny"),
               FormatError);
  EXPECT_THROW(LoadTestText(good.substr(0, good.size() / 2), "Tiny"), FormatError);
  EXPECT_THROW(LoadTestText("", "Tiny"), FormatError);
  EXPECT_THROW(LoadTestText("not a test at all\r\n", "Tiny"), FormatError);
  EXPECT_THROW(LoadTestFile("/no/such/folder/Tiny-BF.txt", "Tiny"), FileError);
  std::vector<std::string> spellings = ValidLines();
  spellings[8] = "231";
  spellings[20] = "%Word";
  spellings.insert(spellings.begin() + 22, "w,w,w,w,w,w,w,w,w,w,w,w,w,w,w,w,w,w,w,w,w");
  spellings.pop_back();
  spellings.pop_back();
  try {
    ParseTestLines(spellings, "T");
    ADD_FAILURE() << "21 spellings accepted";
  } catch (const FormatError& e) {
    EXPECT_NE(std::string(e.what()).find("more than 20 spellings"), std::string::npos);
  }
}

TEST(TestFile, ShownVariablesText) {
  const std::pair<const char*, const char*> rows[] = {
      {"Loads in kN mpq secret (2026-01-01)", "Loads in kN "},
      {"Loads in kN (2026-01-01)", "Loads in kN \n\nLast Revised: 2026-01-01)"},
      {"Ends with mpq", "Ends with mpq"},
      {"mpq at the start", "mpq at the start"},
      {"x MPQ y", "x "},
      {"", ""},
  };
  for (const auto& [in, out] : rows) EXPECT_EQ(ShownVariablesText(in), out) << in;
}

TEST(TestFile, StartAndEndTimesOnATwelveHourClock) {
  struct Row {
    int hour, minute;
    float minutes;
    const char* start;
    const char* end;
  };
  const Row rows[] = {
      {13, 5, 10, "01:05", "01:15"},   {12, 30, 15, "12:30", "12:45"},
      {0, 10, 60, "00:10", "01:10"},   {12, 50, 20, "12:50", "01:10"},
      {9, 59, 2.5f, "09:59", "10:01"}, {12, 50, 1440, "12:50", "12:50"},
      {11, 0, 1380, "11:00", "10:00"}, {11, 0, 3e37f, "11:00", "--:--"},
  };
  for (const auto& row : rows) {
    float startHour = 0;
    EXPECT_EQ(GetStartTime({2026, 12, 8, row.hour, row.minute, 30}, startHour), row.start);
    EXPECT_EQ(GetEndTime(startHour, row.minutes), row.end) << row.start;
  }
}

TEST(AccessCode, AcceptedForFiveMinutesFromItsMaking) {
  ManualClock clock({2026, 12, 8, 10, 0, 0.3});
  const int code = MakeAccessCode(clock);
  EXPECT_GE(code, 10000);
  EXPECT_LE(code, 99999);
  EXPECT_EQ(code / 10000, 3);  // key digit from the tenths of a second
  const std::string typed = std::to_string(code);
  EXPECT_EQ(ReadAccessCode(typed), "3600");
  const std::pair<LocalDateTime, bool> checks[] = {
      {{2026, 12, 8, 10, 0, 0}, true},
      {{2026, 12, 8, 10, 4, 59}, true},
      {{2026, 12, 8, 10, 5, 10}, false},
      {{2026, 12, 8, 9, 59, 50}, false},
  };
  for (const auto& [now, accepted] : checks) {
    EXPECT_EQ(AccessCodeAccepted(typed, now), accepted) << now.minute << ":" << now.second;
  }
  EXPECT_FALSE(AccessCodeAccepted(" " + typed, {2026, 12, 8, 10, 1, 0}));
  EXPECT_FALSE(AccessCodeAccepted("", {2026, 12, 8, 10, 1, 0}));
}

TEST(AccessCode, RoundTripsAtEveryTimeOfDay) {
  for (int step = 0; step < 8640; step += 37) {
    const double seconds = step * 10.0 + 0.1 * (1 + step % 9);
    ManualClock clock({2026, 12, 8, static_cast<int>(seconds / 3600),
                       static_cast<int>(seconds / 60) % 60, std::fmod(seconds, 60.0)});
    const int code = MakeAccessCode(clock);
    EXPECT_NE(code / 10000, 0);
    EXPECT_EQ(ReadAccessCode(std::to_string(code)), std::to_string(step)) << seconds;
  }
  // A clock standing on a whole tenth still gets a key digit.
  ManualClock still({2026, 12, 8, 8, 0, 0});
  EXPECT_NE(MakeAccessCode(still) / 10000, 0);
}

}  // namespace
}  // namespace examora
