// The enciphered test file: an 11-line header and the question blocks, read, checked and held
// in memory. A file that is not a whole, valid test is refused with a message naming the test;
// nothing of it is kept half-loaded.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/clock.h"
#include "crypto/enciphered_text.h"

namespace examora {

inline constexpr int kMaxQuestionsInFile = 500;
inline constexpr int kMinBlockLines = 2;
inline constexpr int kMaxBlockLines = 8;
inline constexpr int kHeaderLines = 11;
inline constexpr int kMaxMatchItems = 12;
inline constexpr int kMaxWordSpellings = 20;
inline constexpr int kMultiSelectBoxes = 78;
/// The longest sitting the clock runs (a day); more is a mistake in the test.
inline constexpr int kMaxTestMinutes = 1440;

/// Question kinds, by the first character of the question line.
enum class QuestionKind { kMultipleChoice, kNumeric, kMultiSelect, kOneWord, kMatching };
QuestionKind KindOf(std::string_view questionLine);
const char* KindName(QuestionKind kind);

/// Captions of the 78 multi-select boxes: "A" to "Z", "AA" to "ZZ", "1" to "26".
const std::array<std::string, kMultiSelectBoxes>& MultiSelectCaptions();

/// The header values of a test (lines 3 to 11 of the file).
struct TestHeader {
  std::string TestTitle;
  bool Compulsory = false;
  float PassMark = 0;
  int QuestionsInFile = 0;
  float MinutesPerQuestion = 0;
  int QuestionsToAsk = 0;
  float TestMinutes = 0;
  std::string LineCountDigits;  // line 9
  std::string TestDescription;
  std::string VariablesText;  // trimmed, as stored
};

/// One question block: lines 1 to QLineCount + 2 (index 0 unused).
using QuestionBlock = std::vector<std::string>;

/// A whole test in memory.
struct TestBank {
  std::string testNumber;  // line 1, as written
  std::string testName;    // line 2, as written
  TestHeader header;
  std::vector<int> QLineCount;           // 1..QuestionsInFile (index 0 unused)
  std::vector<QuestionBlock> Questions;  // 1..QuestionsInFile (index 0 unused)
  bool HasContinuation = false;
};

/// Why a test's time cannot be run by the clock (none per question, more than a day, or so
/// little that the countdown rounds it to nothing); empty when it can.
std::string TestTimeProblem(const TestHeader& header);

/// Reads the header values from the 11 deciphered header lines (numbers by their leading
/// numeric value). Does not validate.
TestHeader ReadHeader(const std::vector<std::string>& lines);

/// Builds a test from its deciphered lines, or throws FormatError saying what is wrong
/// (`what` names the test in the message).
TestBank ParseTestLines(const std::vector<std::string>& lines, const std::string& what);

/// Checks every block of a bank against what its kind needs and the limits of its lists (12
/// items to match, 20 spellings a word); throws FormatError naming the question.
void ValidateBlocks(const TestBank& bank, const std::string& what);

/// Deciphers and checks the text of an enciphered test file; throws FormatError naming
/// `testName`.
TestBank LoadTestText(std::string_view fileText, const std::string& testName,
                      const LineCipher& cipher = FixedKeyCipher());

/// Reads, deciphers and checks an enciphered test file; throws FileError or FormatError with a
/// message that names `testName`.
TestBank LoadTestFile(const std::filesystem::path& path, const std::string& testName,
                      const LineCipher& cipher = FixedKeyCipher());

/// The lines of a test, header then blocks, as the file holds them before enciphering.
std::vector<std::string> TestLines(const TestBank& bank);

/// The variables text as the selection window shows it: cut before "mpq" (any case, from the
/// second character up to the fourth-last), every "(" turned into two line feeds and
/// "Last Revised: ".
std::string ShownVariablesText(std::string_view variablesText);

/// Start and expected end of a sitting as "hh:nn" on a twelve-hour clock (13:05 shows 01:05).
/// `startHour` receives the start as hours with fractions, which the end time builds on.
std::string GetStartTime(const LocalDateTime& now, float& startHour);
std::string GetEndTime(float startHour, float minutes);

/// Items of a comma list: every "," closes an item, empty ones included; a final "," is added
/// when missing.
std::vector<std::string> SplitItems(std::string text);

}  // namespace examora
