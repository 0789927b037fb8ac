#include "results/end_screen.h"

#include "common/numtext.h"
#include "common/text.h"

namespace examora {
namespace {

// The "###" pattern: the whole number's digits, nothing for zero.
std::string Hashes(double value) {
  const double whole = RoundHalfEven(value);
  return whole == 0 ? std::string() : FormatGeneral(whole);
}

}  // namespace

std::string OriginalOrder3(const std::string& codes, const std::vector<int>& PresentedPosition) {
  std::string result;
  for (std::size_t q = 1; q < PresentedPosition.size(); ++q) {
    const int position = PresentedPosition[q];
    if (position >= 1 && static_cast<std::size_t>(position) <= codes.size()) {
      result += codes[static_cast<std::size_t>(position) - 1];
    }
  }
  return result;
}

std::string ResultsRecord(const ResultsFields& f, bool forScreen) {
  const std::vector<std::string> fields = {
      std::to_string(f.testNumber), f.studentNumber, FormatDate(f.when),
      FormatTime(f.when),           Hashes(f.score), Hashes(f.questions),
      f.originalOrderCodes,         f.studentId};
  std::string record = forScreen ? " " : "";
  for (const auto& field : fields) record += (forScreen ? field : Trim(field)) + ",";
  return record;
}

std::vector<std::string> EndScreenLines(const EndScreenFacts& f) {
  return {" ",
          f.studyMode ? " STUDY MODE. Mark was not recorded" : " EXAM MODE. Mark was recorded",
          " ",
          " Test = " + f.testName,
          " ",
          " Your selections... (RANDOMISED ORDER)",
          " " + f.answerCodes,
          " ",
          " Your selections... (ORIGINAL ORDER)",
          " " + f.originalOrderCodes,
          " ",
          " Final Score = " + SpacedNumber(RoundHalfEven(f.score)) + " ",
          " Number of Questions = " + SpacedNumber(f.questions) + " ",
          " Date = " + f.date,
          " Student Name = " + f.studentId + "   " + f.studentName,
          " Computer Username = " + f.userName,
          " Results string...",
          f.resultsLine};
}

}  // namespace examora
