// Formula questions: drawing the random values of a question's variables, writing them into
// the question text and the formula, and working the formula out.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/debug_log.h"
#include "common/random.h"
#include "formula/matrix.h"
#include "formula/statistics.h"

namespace examora {

/// The values drawn for each question of a sitting, indexed by sitting position; variable n
/// (1 = a, 2 = b, ...) of position k is QuestionVars[k][n].
struct FormulaTables {
  std::vector<std::vector<float>> QuestionVars;
  std::vector<int> QuestionVarCount;
  MatrixState matrix;
  StatState stats;

  /// The value of variable n at position k; 0 for one never drawn.
  float Value(int k, int n) const;
};

/// A formula worked out.
struct FormulaResult {
  std::string formula;  // as it was evaluated
  float answer = 0;     // 0 after a failure
  bool ok = false;
};

/// Steps after substitution: clean-up (trim, lower case, no blanks), matrix and statistics
/// calls, sign normalisation, check and evaluation. On failure shows the message box titled
/// "Question" and the position, saying what failed followed by " Formula = " and the formula.
FormulaResult SolveFormula(std::string_view formula, int position, FormulaTables& tables,
                           const FormulaContext& context);

/// The prepared text and answer of a formula question.
struct PreparedFormula {
  std::string questionText;  // "#" and the template with the drawn values written in
  FormulaResult result;
};

/// Prepares the formula question at sitting position `position` (1-based): draws a value for
/// every definition #(low,high,figures) of `templ`, or takes those of the position before for
/// a continuation question, substitutes them for #a, #b, ... in `formula` and solves it.
PreparedFormula PrepareFormulaQuestion(int position, std::string_view templ,
                                       std::string_view formula, bool continuation,
                                       FormulaTables& tables, Random& random,
                                       const FormulaContext& context);

/// Puts the values of position k's variables in place of "#" and a letter (either case); a
/// negative value goes in brackets so that the operator before it reads it whole.
std::string SubstituteVariables(std::string_view formula, const FormulaTables& tables, int k);

/// A number's text with no exponent part (1E-05 -> 0.00001, 1.5E+20 -> 150000000000000000000),
/// so that it keeps its value through lower-casing.
std::string PlainDecimalText(const std::string& generalText);

}  // namespace examora
