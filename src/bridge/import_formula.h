// Numbers and formulas of imported numeric and calculated questions, in the evaluator's
// language.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace examora {

/// Why a formula cannot be carried over.
struct FormulaRefusal {
  std::string reason;
};

/// A number as a formula holds it: plain decimal digits, never exponent notation (a formula is
/// lower-cased before it is evaluated, and "e" then reads as the constant).
std::string FormulaNumber(double value);

/// Reads a whole text (blanks around it allowed) as a finite number.
bool ReadNumber(std::string_view text, double& value);

/// A calculated question's answer formula in the evaluator's language: each {name} becomes
/// "#" and its letter, known functions are renamed (log is ln, pow a power); throws
/// FormulaRefusal naming what has no counterpart.
std::string TranslateFormula(std::string_view formula,
                             const std::map<std::string, char>& variables);

/// The evaluator's complaint about a translated formula with these values put in; empty when
/// it checks out.
std::string FormulaProblem(std::string formula, const std::map<char, double>& values);

}  // namespace examora
