// Numbers and formulas of imported numeric questions, written in the evaluator's language.
#include "bridge/import_formula.h"

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <map>

#include "formula/evaluator.h"

namespace examora {
namespace {

bool IsNameChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// The arguments of a call whose "(" is at `open`, split at top-level commas; `close` gets the
// place of the matching ")".
std::vector<std::string_view> CallArguments(std::string_view text, std::size_t open,
                                            std::size_t& close) {
  std::vector<std::string_view> args;
  int depth = 0;
  std::size_t start = open + 1;
  for (std::size_t i = open; i < text.size(); ++i) {
    if (text[i] == '(') {
      ++depth;
    } else if (text[i] == ')' && --depth == 0) {
      if (i > start || !args.empty()) args.push_back(text.substr(start, i - start));
      close = i;
      return args;
    } else if (text[i] == ',' && depth == 1) {
      args.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  throw FormulaRefusal{"a \"(\" in the formula is never closed"};
}

std::string Call(const std::string& name, const std::vector<std::string>& a) {
  static const std::array<const char*, 13> kSame = {"sin",  "cos",  "tan",  "asin", "acos",
                                                    "atan", "sinh", "cosh", "tanh", "sqrt",
                                                    "abs",  "exp",  "ceil"};
  for (const char* same : kSame) {
    if (name == same && a.size() == 1) return name + "(" + a[0] + ")";
  }
  if (name == "log" && a.size() == 1) return "ln(" + a[0] + ")";
  if (name == "log" && a.size() == 2) return "((" + a[0] + ")@(" + a[1] + "))";
  if (name == "log10" && a.size() == 1) return "((" + a[0] + ")@10)";
  if (name == "pow" && a.size() == 2) return "((" + a[0] + ")^(" + a[1] + "))";
  if (name == "pi" && a.empty()) return "pi";
  throw FormulaRefusal{"the function " + name + "() with " + std::to_string(a.size()) +
                       " argument(s) has no counterpart in the evaluator"};
}

// True when the formula so far ends with "^" and one operand: a power of a power. Moodle's "**"
// groups from the right, the evaluator's "^" from the left, so such a chain would change value.
bool EndsWithPower(std::string_view out) {
  std::size_t end = out.size();
  if (end > 0 && out[end - 1] == ')') {
    int depth = 0;
    while (end > 0) {
      const char c = out[--end];
      depth += c == ')' ? 1 : c == '(' ? -1 : 0;
      if (depth == 0) break;
    }
  }
  while (end > 0 && (IsNameChar(out[end - 1]) || out[end - 1] == '#' || out[end - 1] == '.')) --end;
  return end > 0 && out[end - 1] == '^';
}

}  // namespace

std::string FormulaNumber(double value) {
  char text[400];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  return std::string(text, result.ptr);
}

bool ReadNumber(std::string_view text, double& value) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size() &&
         std::isfinite(value);
}

std::string TranslateFormula(std::string_view formula,
                             const std::map<std::string, char>& variables) {
  std::string out;
  for (std::size_t i = 0; i < formula.size();) {
    const char c = formula[i];
    if (c == '{') {
      const std::size_t close = formula.find('}', i);
      const std::string name(formula.substr(
          i + 1, close == std::string_view::npos ? std::string_view::npos : close - i - 1));
      const auto found = variables.find(name);
      if (close == std::string_view::npos || found == variables.end()) {
        throw FormulaRefusal{"the formula uses {" + name +
                             "}, which the question text does not show"};
      }
      out += '#';
      out += found->second;
      i = close + 1;
    } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') {
      std::size_t end = i;
      while (end < formula.size() &&
             (std::isdigit(static_cast<unsigned char>(formula[end])) || formula[end] == '.' ||
              ((formula[end] == 'e' || formula[end] == 'E') && end + 1 < formula.size()))) {
        if (formula[end] == 'e' || formula[end] == 'E') {
          if (formula[end + 1] == '-' || formula[end + 1] == '+') ++end;
        }
        ++end;
      }
      double value = 0;
      if (!ReadNumber(formula.substr(i, end - i), value)) {
        throw FormulaRefusal{"the formula holds \"" + std::string(formula.substr(i, end - i)) +
                             "\", which is not a number"};
      }
      // Exponent notation would be read as the constant e once the formula is lower-cased.
      out += FormulaNumber(value);
      i = end;
    } else if (std::isalpha(static_cast<unsigned char>(c))) {
      std::size_t end = i;
      while (end < formula.size() && IsNameChar(formula[end])) ++end;
      std::string name(formula.substr(i, end - i));
      for (auto& ch : name) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      std::size_t open = end;
      while (open < formula.size() && formula[open] == ' ') ++open;
      if (open >= formula.size() || formula[open] != '(') {
        throw FormulaRefusal{"the formula names \"" + name +
                             "\", which the evaluator does not know"};
      }
      std::size_t close = open;
      std::vector<std::string> args;
      for (auto arg : CallArguments(formula, open, close)) {
        args.push_back(TranslateFormula(arg, variables));
      }
      out += Call(name, args);
      i = close + 1;
    } else if (c == '*' && i + 1 < formula.size() && formula[i + 1] == '*') {
      if (EndsWithPower(out)) {
        throw FormulaRefusal{"a power of a power (a**b**c) would be worked out from the left"};
      }
      out += '^';
      i += 2;
    } else if (c == '+' || c == '-' || c == '*' || c == '/' || c == '(' || c == ')' || c == ' ') {
      if (c != ' ') out += c;
      ++i;
    } else {
      throw FormulaRefusal{std::string("the formula uses \"") + c +
                           "\", which the evaluator has no counterpart for"};
    }
  }
  return out;
}

std::string FormulaProblem(std::string formula, const std::map<char, double>& values) {
  std::string substituted;
  for (std::size_t i = 0; i < formula.size(); ++i) {
    if (formula[i] == '#' && i + 1 < formula.size() && values.count(formula[i + 1])) {
      substituted += "(" + FormulaNumber(values.at(formula[i + 1])) + ")";
      ++i;
    } else {
      substituted += formula[i];
    }
  }
  const std::string normalised = NormaliseSigns(substituted);
  int code = 0, position = 0;
  CheckExpression(normalised, false, code, position);
  return code == 0 ? "" : EvaluatorMessage(code);
}

}  // namespace examora
