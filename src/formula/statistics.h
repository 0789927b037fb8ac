// Statistics: the calls mean, range, median, stdev, stpdev, normx and normp inside formulas.
// Each reads its first call, computes the value and puts it in place of every copy of the
// call's text.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "common/debug_log.h"

namespace examora {

inline constexpr int kStatMaxValues = 72;

/// The keywords, in the order formulas are worked through.
inline constexpr std::array<std::string_view, 7> kStatKeywords = {
    "mean", "range", "median", "stdev", "stpdev", "normx", "normp"};

/// The arguments of the current call (1..count); other positions keep older values.
struct StatState {
  std::array<double, kStatMaxValues + 1> StatValues{};
};

/// Finds the first call of `keyword` (the formula is lower case), reads its arguments into
/// `StatValues` and returns the call's exact text. False, with `problem` set, when the call is
/// unfinished (no "]", or the keyword ends the formula) or has more than 72 arguments.
bool ReadStatCall(const std::string& formula, std::string_view keyword, std::string& callText,
                  StatState& state, int& count, const FormulaContext& context,
                  std::string& problem);

/// Works out the first call of `keyword` and replaces every copy of it in `formula`. False,
/// with `problem` set, when it cannot be read or computed (too few arguments, a probability
/// outside (0, 1)); `formula` is then unchanged.
bool ApplyStatCall(std::string& formula, std::string_view keyword, StatState& state,
                   const FormulaContext& context, std::string& problem);

/// The value below which a normal variable falls with probability p (Abramowitz and Stegun
/// 26.2.22, accurate to about 0.003 in z).
double InverseNormal(double mean, double sd, double p);

}  // namespace examora
