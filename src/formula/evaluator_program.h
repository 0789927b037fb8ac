// Inside the evaluator: the program an expression compiles to, and the runner. Not for use
// outside Module_Evaluator.
#pragma once

#include <string_view>
#include <vector>

#include "formula/evaluator.h"

namespace examora::detail {

using Step = CompiledExpression::Step;

/// True for the evaluator's function names (lower case).
bool IsFunctionName(std::string_view lower);

/// The program of an expression: normalised, read once, pushed constants folded into the
/// operator that takes them.
std::vector<Step> Compile(std::string_view expr);

/// Replays a program at x; errorCode as `EvaluateExpression` reports it.
double Run(const std::vector<Step>& program, double x, int& errorCode,
           const FormulaContext& context);

/// The overflow message ("Q" and the question number, " Overflow ").
void ShowOverflow(const FormulaContext& context);

}  // namespace examora::detail
