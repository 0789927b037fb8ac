#include "testfile/question_check.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "common/numtext.h"
#include "common/text.h"

namespace examora {
namespace {

bool KnownUnitKey(const UnitCatalogue& units, const std::string& key) {
  if (key.substr(0, 6) == "number") return true;
  return std::any_of(units.UnitTable.begin() + 1, units.UnitTable.end(),
                     [&](const UnitRow& row) { return row.key == key; });
}

// A typed 4-figure answer must fall inside the 1 % band of the solution.
bool BandHoldsFourFigures(float solution) {
  float shown = solution;
  int figures = 4;
  const float typed = static_cast<float>(LeadingNumber(FormatSF(shown, figures)));
  const double d = solution / 100.0;
  float low = static_cast<float>(solution - d), high = static_cast<float>(solution + d);
  if (high < low) std::swap(low, high);
  return low <= typed && typed <= high && low < high;
}

std::vector<std::string> NumericProblems(const Sitting& s, std::size_t i,
                                         const UnitCatalogue& units) {
  std::vector<std::string> problems;
  if (!KnownUnitKey(units, s.QuestionUnit[i])) {
    problems.push_back("unit key \"" + s.QuestionUnit[i] + "\" is not in the units catalogue");
  }
  if (s.Solution[i] == 0) {
    problems.push_back("the answer comes out 0");
  } else if (!std::isfinite(s.Solution[i])) {
    problems.push_back("the answer is not a finite number");
  } else if (!BandHoldsFourFigures(s.Solution[i])) {
    problems.push_back("the answer " + FormatGeneralSingle(s.Solution[i]) +
                       " is too small for its 1% band to hold a 4-figure answer");
  }
  return problems;
}

}  // namespace

std::vector<std::string> PreparedQuestionProblems(const TestBank& bank, const Sitting& s,
                                                  int position, const UnitCatalogue& units) {
  const auto i = static_cast<std::size_t>(position);
  const QuestionBlock& block = bank.Questions[static_cast<std::size_t>(s.QuestionOrder[i])];
  std::vector<std::string> problems;
  switch (KindOf(block[1])) {
    case QuestionKind::kNumeric:
      return NumericProblems(s, i, units);
    case QuestionKind::kMultiSelect: {
      const double boxes = LeadingNumber(block[4]);
      if (boxes < 1 || boxes > kMultiSelectBoxes) {
        problems.push_back("the number of boxes \"" + block[4] + "\" is not 1 to 78");
      }
      break;
    }
    case QuestionKind::kMultipleChoice:
      for (int a = 1; a <= s.OptionCount[i]; ++a) {
        for (int b = a + 1; b <= s.OptionCount[i]; ++b) {
          if (Trim(s.OptionText[i][a]) == Trim(s.OptionText[i][b])) {
            problems.push_back("options repeat: \"" + Trim(s.OptionText[i][a]) + "\"");
          }
        }
      }
      break;
    default:
      break;
  }
  return problems;
}

int PositionNamed(const ScriptedPrompter::Prompt& box) {
  const std::string& source = box.title.starts_with("Question") ? box.title : box.text;
  std::size_t i = 0;
  while (i < source.size() && !std::isdigit(static_cast<unsigned char>(source[i]))) ++i;
  return static_cast<int>(LeadingNumber(source.substr(i)));
}

}  // namespace examora
