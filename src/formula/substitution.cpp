#include "formula/substitution.h"

#include <algorithm>
#include <cmath>

#include "common/numtext.h"
#include "common/prompter.h"
#include "common/text.h"
#include "engine/units.h"
#include "formula/evaluator.h"

namespace examora {
namespace {

void Report(const FormulaContext& context, int position, const std::string& what,
            const std::string& formula) {
  if (context.prompter) {
    context.prompter->Message("Question" + std::to_string(position),
                              what + " Formula = " + formula);
  }
}

std::string CleanUp(std::string_view formula) {
  std::string out = LowerAscii(Trim(formula));
  std::erase(out, ' ');
  return out;
}

// Works every matrix and statistics call out of the formula; false with `problem` set when
// one cannot be.
bool ResolveCalls(std::string& formula, FormulaTables& tables, const FormulaContext& context,
                  std::string& problem) {
  while (formula.find("matrix") != std::string::npos) {
    std::string result;
    if (!MatrixPrep(formula, result, tables.matrix, context, problem)) return false;
    formula = result;
  }
  for (const auto keyword : kStatKeywords) {
    while (formula.find(keyword) != std::string::npos) {
      if (!ApplyStatCall(formula, keyword, tables.stats, context, problem)) return false;
    }
  }
  return true;
}

// One definition "#(low,high,figures)" starting at the "#" at `hash`: its three texts, and the
// position after its ")" (the template's end when it is unfinished).
struct Definition {
  std::string low, high, figures;
  std::size_t next;
};

Definition ReadDefinition(std::string_view t, std::size_t hash) {
  Definition d;
  const std::size_t start = std::min(hash + 2, t.size());  // past "#" and "("
  const std::size_t c1 = std::min(t.find(',', start), t.size());
  const std::size_t c2 = c1 < t.size() ? std::min(t.find(',', c1 + 1), t.size()) : t.size();
  const std::size_t close = c2 < t.size() ? std::min(t.find(')', c2 + 1), t.size()) : t.size();
  d.low = std::string(t.substr(start, c1 - start));
  if (c1 < t.size()) d.high = std::string(t.substr(c1 + 1, c2 - c1 - 1));
  if (c2 < t.size()) d.figures = std::string(t.substr(c2 + 1, close - c2 - 1));
  d.next = close + 1;
  return d;
}

float DrawValue(const Definition& d, Random& random, const FormulaContext& context) {
  random.Reseed();
  const float r = static_cast<float>(random.Next());
  const float low = static_cast<float>(LeadingNumber(d.low));
  const float high = static_cast<float>(LeadingNumber(d.high));
  float value = low + r * (high - low);
  // Any count past what a single holds rounds alike; the bound keeps the conversion defined.
  const double given = std::clamp(LeadingNumber(d.figures), -1.0, 99.0);
  int figures = static_cast<int>(RoundHalfEven(given));
  return static_cast<float>(LeadingNumber(FormatSF(value, figures, context.debug)));
}

}  // namespace

std::string SubstituteVariables(std::string_view formula, const FormulaTables& tables, int k) {
  std::string out;
  for (std::size_t i = 0; i < formula.size(); ++i) {
    const char next = i + 1 < formula.size() ? formula[i + 1] : '\0';
    const char letter = (next >= 'A' && next <= 'Z') ? static_cast<char>(next - 'A' + 'a') : next;
    if (formula[i] != '#' || letter < 'a' || letter > 'z') {
      out += formula[i];
      continue;
    }
    const float value = tables.Value(k, letter - 'a' + 1);
    const std::string text = PlainDecimalText(FormatGeneralSingle(value));
    out += value < 0 ? "(" + text + ")" : text;
    ++i;
  }
  return out;
}

float FormulaTables::Value(int k, int n) const {
  if (k < 0 || static_cast<std::size_t>(k) >= QuestionVars.size()) return 0;
  const auto& row = QuestionVars[static_cast<std::size_t>(k)];
  return n >= 0 && static_cast<std::size_t>(n) < row.size() ? row[static_cast<std::size_t>(n)] : 0;
}

std::string PlainDecimalText(const std::string& text) {
  const std::size_t e = text.find('E');
  if (e == std::string::npos) return text;
  std::string mantissa = text.substr(0, e);
  const int exponent = static_cast<int>(LeadingNumber(text.substr(e + 1)));
  const bool negative = !mantissa.empty() && mantissa[0] == '-';
  if (negative) mantissa.erase(0, 1);
  std::string digits;
  int point = 0;  // digits before the decimal point
  bool seenPoint = false;
  for (char c : mantissa) {
    if (c == '.') {
      seenPoint = true;
    } else {
      digits += c;
      if (!seenPoint) ++point;
    }
  }
  point += exponent;
  std::string out;
  if (point <= 0) {
    out = "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
  } else if (static_cast<std::size_t>(point) >= digits.size()) {
    out = digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
  } else {
    out = digits.substr(0, static_cast<std::size_t>(point)) + "." +
          digits.substr(static_cast<std::size_t>(point));
  }
  return negative ? "-" + out : out;
}

FormulaResult SolveFormula(std::string_view formula, int position, FormulaTables& tables,
                           const FormulaContext& context) {
  FormulaResult result;
  result.formula = CleanUp(formula);
  std::string problem;
  if (!ResolveCalls(result.formula, tables, context, problem)) {
    Report(context, position, problem, result.formula);
    return result;
  }
  result.formula = NormaliseSigns(result.formula);
  int code = 0, errorPos = 0;
  CheckExpression(result.formula, true, code, errorPos);
  double value = 0;
  if (code == 0) value = EvaluateExpression(result.formula, 0, code, context);
  // A value beyond the single range would not survive being stored as the answer.
  if (code == 0 && std::fabs(value) > 3.4028234663852886e38) code = kOverflowCode;
  if (code != 0) {
    Report(context, position, EvaluatorMessage(code), result.formula);
    return result;
  }
  result.answer = static_cast<float>(value);
  result.ok = true;
  return result;
}

PreparedFormula PrepareFormulaQuestion(int position, std::string_view templ,
                                       std::string_view formula, bool continuation,
                                       FormulaTables& tables, Random& random,
                                       const FormulaContext& context) {
  const auto k = static_cast<std::size_t>(std::max(position, 0));
  if (tables.QuestionVars.size() <= k) tables.QuestionVars.resize(k + 1);
  if (tables.QuestionVarCount.size() <= k) tables.QuestionVarCount.resize(k + 1, 0);
  const int previousCount = k >= 1 ? tables.QuestionVarCount[k - 1] : 0;
  std::vector<float> values(1, 0.0f);  // variable numbers start at 1

  PreparedFormula prepared;
  std::string text;
  std::size_t i = 1;
  while (i < templ.size()) {
    if (templ[i] != '#') {
      text += templ[i++];
      continue;
    }
    const Definition d = ReadDefinition(templ, i);
    const int n = static_cast<int>(values.size());
    const float value = continuation && n <= previousCount ? tables.Value(position - 1, n)
                                                           : DrawValue(d, random, context);
    values.push_back(value);
    text += FormatGeneralSingle(value);
    i = d.next;
  }
  prepared.questionText = "#" + text;
  tables.QuestionVarCount[k] = static_cast<int>(values.size()) - 1;
  tables.QuestionVars[k] = std::move(values);
  prepared.result =
      SolveFormula(SubstituteVariables(formula, tables, position), position, tables, context);
  return prepared;
}

}  // namespace examora
