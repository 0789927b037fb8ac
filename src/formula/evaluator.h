// Module_Evaluator: arithmetic expressions as text evaluated to doubles, with a syntax check
// that reports numbered errors, the sign normaliser, and the table of error messages.
//
// Expressions are read by an operator-precedence evaluator (one operand and one operator
// stack). `CompiledExpression` runs that algorithm once and keeps the order in which it
// applies operators, so an expression evaluated at many x values gives exactly the results of
// `EvaluateExpression` without reading the text again.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/debug_log.h"

namespace examora {

/// The evaluator's constants: these 15-digit values, not the full double ones.
inline constexpr double kEvaluatorPi = 3.14159265358979;
inline constexpr double kEvaluatorE = 2.71828182845905;

/// Token kinds.
enum TokenKinds {
  kNumberToken = 1,
  kConstantToken = 2,
  kFunctionToken = 5,
  kOpenToken = 6,
  kCloseToken = 7,
  kOperatorToken = 8,
  kUnknownToken = 16,
};

/// Error codes (messages from `EvaluatorMessage`).
enum EvaluatorCodes {
  kOverflowCode = 18,
};

/// Finds the token that starts at or after `start` (0-based) past blanks; `tokenStart` and
/// `tokenEnd` (inclusive) are 0-based. At the end of the text, tokenStart is the text's length.
void GetToken(std::string_view expr, std::size_t start, std::size_t& tokenStart,
              std::size_t& tokenEnd);

/// The kind of a token; `variableName` is the free variable's name ("x", or empty for none).
int TokenKind(std::string_view token, std::string_view variableName = "x");

/// "," or ".", or a decimal number (digits with at most one separator, "," counting as ".",
/// optional sign and exponent).
bool IsNumberText(std::string_view text);

/// 0 brackets and the rest, 1 "+" "-", 2 "*" "/", 3 "^" "@", 4 functions; by the first character.
int OperatorPriority(std::string_view op);

/// Rewrites doubled signs, a leading minus and "(-" so that every minus is binary, and turns
/// the capital-E exponent notation of numbers (1.5E-06, 1E+20) into powers of ten, kept
/// together in brackets so that what stands around them cannot split them.
std::string NormaliseSigns(std::string_view exprIn);

/// Checks the syntax. errorCode 0 means the expression can be evaluated; errorPos is the
/// 1-based start of the last token examined, counted with one "(" put in front of expr. An
/// expression containing "Atan2" is not checked: both outputs are left as they were.
void CheckExpression(std::string_view expr, bool allowX, int& errorCode, int& errorPos);

/// Evaluates expr with the variable x. errorCode 0 on success, else a code and the result 0.
/// Code 18 (overflow and the like) also shows "Q<question> Overflow " through the context.
double EvaluateExpression(std::string_view expr, double x, int& errorCode,
                          const FormulaContext& context = {});

/// Replaces the first Atan2(A,B) call of expr by its angle in radians (0 up to 2 pi, A the
/// horizontal and B the vertical component); the text around the call stays.
std::string EvaluateAtan2(std::string_view expr, double x, int& errorCode,
                          const FormulaContext& context = {});

/// The message of an error code (empty for unused codes).
std::string EvaluatorMessage(int errorCode);

/// An expression read once and evaluated at any number of x values.
class CompiledExpression {
 public:
  explicit CompiledExpression(std::string_view expr);
  double Evaluate(double x, int& errorCode, const FormulaContext& context = {}) const;

  enum class Op : unsigned char;
  struct Step {
    Op op;
    double value;
  };

 private:
  std::string source_;  // kept for expressions read afresh each time (Atan2)
  bool readEachTime_ = false;
  std::vector<Step> program_;
};

}  // namespace examora
