#include "formula/statistics.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/numtext.h"
#include "formula/evaluator.h"
#include "formula/matrix.h"

namespace examora {
namespace {

std::string Keyword(std::string_view keyword) {
  return std::string(keyword);
}

double Mean(const std::vector<double>& v) {
  double sum = 0;
  for (double a : v) sum += a;
  return sum / static_cast<double>(v.size());
}

double SumOfSquares(const std::vector<double>& v) {
  const double m = Mean(v);
  double sum = 0;
  for (double a : v) sum += (a - m) * (a - m);
  return sum;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double NormP(double mean, double sd, double x) {
  double low = 0.00001, high = 0.99999, mid = 0;
  do {
    mid = (high + low) / 2;
    const double dLow = InverseNormal(mean, sd, low) - x;
    const double dMid = InverseNormal(mean, sd, mid) - x;
    if (dLow == 0) return low;
    if (dMid == 0) return mid;
    if (dMid * dLow < 0) {
      high = mid;
    } else {
      low = mid;
    }
  } while (std::fabs(high - low) >= 0.00001);
  return mid;
}

// The value of a call, or false with `problem` set.
bool Compute(std::string_view keyword, const std::vector<double>& v, double& value,
             std::string& problem) {
  const std::size_t needed = keyword == "stdev"                         ? 2
                             : keyword == "normx" || keyword == "normp" ? 3
                                                                        : 1;
  if (v.size() < needed) {
    problem = "The " + Keyword(keyword) + " call needs at least " + std::to_string(needed) +
              (needed == 1 ? " value." : " values.");
    return false;
  }
  if (keyword == "mean") {
    value = Mean(v);
  } else if (keyword == "range") {
    value = *std::max_element(v.begin(), v.end()) - *std::min_element(v.begin(), v.end());
  } else if (keyword == "median") {
    value = Median(v);
  } else if (keyword == "stdev") {
    value = std::sqrt(SumOfSquares(v) / static_cast<double>(v.size() - 1));
  } else if (keyword == "stpdev") {
    value = std::sqrt(SumOfSquares(v) / static_cast<double>(v.size()));
  } else if (keyword == "normx") {
    if (!(v[2] > 0 && v[2] < 1)) {
      problem = "The normx call needs a probability between 0 and 1.";
      return false;
    }
    value = InverseNormal(v[0], v[1], v[2]);
  } else {
    value = NormP(v[0], v[1], v[2]);
  }
  if (!std::isfinite(value)) {
    problem = "The " + Keyword(keyword) + " call has no finite value.";
    return false;
  }
  return true;
}

}  // namespace

double InverseNormal(double mean, double sd, double p) {
  const double q = 0.5 - std::fabs(p - 0.5);
  const double t = std::sqrt(-2 * std::log(q));
  double z = t - (2.30753 + 0.27061 * t) / (1 + 0.99229 * t + 0.04481 * t * t);
  if (p < 0.5) z = -z;
  return mean + z * sd;
}

bool ReadStatCall(const std::string& formula, std::string_view keyword, std::string& callText,
                  StatState& state, int& count, const FormulaContext& context,
                  std::string& problem) {
  count = 0;
  const std::size_t i = formula.find(keyword);
  // The keyword must have at least its opening character after it.
  if (i == std::string::npos || i + keyword.size() >= formula.size()) {
    problem = "The " + Keyword(keyword) + " call has no \"[\" and no values.";
    return false;
  }
  const std::size_t s = i + keyword.size() + 1;
  const std::size_t q = s <= formula.size() ? formula.find(']', s) : std::string::npos;
  if (q == std::string::npos) {
    problem = "The " + Keyword(keyword) + " call is not closed by \"]\".";
    return false;
  }
  std::string current;
  for (char c : formula.substr(s, q - s) + ",") {
    if (c != ',') {
      current += c;
      continue;
    }
    if (++count > kStatMaxValues) {
      problem = "The " + Keyword(keyword) + " call has more than 72 values.";
      return false;
    }
    if (!current.empty()) {
      int code = 0;
      double value = EvaluateExpression(current, 0, code, context);
      if (code != 0) value = 0;
      state.StatValues[count] = LeadingNumber(FormatGeneral(value));  // through its text
    }
    current.clear();
  }
  callText = formula.substr(i, q - i + 1);
  return true;
}

bool ApplyStatCall(std::string& formula, std::string_view keyword, StatState& state,
                   const FormulaContext& context, std::string& problem) {
  std::string call;
  int count = 0;
  if (!ReadStatCall(formula, keyword, call, state, count, context, problem)) return false;
  const std::vector<double> values(state.StatValues.begin() + 1,
                                   state.StatValues.begin() + 1 + count);
  double value = 0;
  if (!Compute(keyword, values, value, problem)) return false;
  const std::string text = CallValueText(value);
  for (std::size_t pos = 0; (pos = formula.find(call, pos)) != std::string::npos;
       pos += text.size()) {
    formula.replace(pos, call.size(), text);
  }
  return true;
}

}  // namespace examora
