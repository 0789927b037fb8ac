// Preparing a sitting: the order in which questions are asked, symbol markup, shuffled
// options, split item lists, and every formula question worked out with fresh values.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "common/debug_log.h"
#include "common/random.h"
#include "formula/substitution.h"
#include "testfile/testfile.h"

namespace examora {

inline constexpr int kMaxOptions = 6;

/// Everything prepared per sitting position i (1-based; index 0 unused).
struct Sitting {
  std::vector<int> QuestionOrder;  // bank question asked at position i
  std::vector<int> OrderPosition;  // position at which bank question q is asked
  std::vector<int> OptionCount;
  std::vector<std::string> QuestionText;
  std::vector<std::string> PictureName;
  std::vector<std::array<int, kMaxOptions + 1>> OptionOrder;  // option shown at place k
  std::vector<std::array<int, kMaxOptions + 1>> OptionSlot;   // place of option a
  std::vector<int> CorrectOption;
  std::vector<std::array<std::string, kMaxOptions + 1>> OptionText;
  std::vector<std::vector<std::string>> MatchPrompt;  // items 1.. (index 0 unused)
  std::vector<std::vector<std::string>> MatchAnswer;
  std::vector<int> MatchCount;
  std::vector<int> WordCount;
  std::vector<std::vector<std::vector<std::string>>> OneWordAccept;  // [i][k][m], 1-based
  std::vector<std::string> QuestionUnit;
  std::vector<float> Solution;

  int size() const { return static_cast<int>(QuestionOrder.size()) - 1; }
  /// The asking position of each bank question, as the end of the test reads it.
  const std::vector<int>& PresentedPosition() const { return OrderPosition; }
};

/// Replaces the symbol markup ("^2", "*", "<DEG>", "<PHI2>", ...) with its characters.
void InsertSymbols(std::string& text);

/// Mixes entries 1..n of `order` into a uniformly random order (Fisher-Yates), after
/// re-seeding the generator.
void ShuffleOrder(std::vector<int>& order, Random& random);

/// The bank question asked at each position (1-based, index 0 unused): shuffled outside study
/// mode when the test has no continued question groups, the first draws of a sitting.
std::vector<int> QuestionOrderOf(const TestBank& bank, bool studyMode, Random& random);

/// Prepares a sitting of `bank`. Outside study mode, and when the test has no continued
/// question groups, the questions are shuffled. `TestFolder` is put before picture names.
/// `context.currentQuestion` follows the position being prepared (formula messages name it).
Sitting Scrambler(const TestBank& bank, bool studyMode, const std::string& TestFolder,
                  Random& random, FormulaTables& formulas, FormulaContext& context);

}  // namespace examora
