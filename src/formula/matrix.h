// Matrix: one unknown of a linear system asked for in a formula, solved by Gauss-Jordan
// elimination on the augmented matrix, with every step traced to the debug window.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "common/debug_log.h"

namespace examora {

inline constexpr int kMatrixMaxRows = 8;
inline constexpr int kMatrixMaxEntries = 72;

/// The solver's tables; they keep their contents from one call to the next (an empty entry
/// leaves the value an earlier call put in its place).
struct MatrixState {
  std::array<double, kMatrixMaxEntries + 1> MatrixElements{};                        // 1..72
  std::array<std::array<double, kMatrixMaxRows + 2>, kMatrixMaxRows + 1> MatrixA{};  // 1..8, 1..9
  int MatrixRows = 0;
};

/// Replaces the first matrix call of `formula` (and every identical copy) by the value of the
/// unknown it asks for, into `result`. False, with `problem` saying why, when there is no
/// finished call or it cannot be solved; `result` is then `formula` unchanged.
bool MatrixPrep(const std::string& formula, std::string& result, MatrixState& state,
                const FormulaContext& context, std::string& problem);

/// Reads the entries ("a11,a12,...", each an expression), fills and reduces `MatrixA`. False,
/// with `problem` set, when they are too many or do not form N rows of N + 1.
bool MatrixSolve(std::string_view entries, MatrixState& state, const FormulaContext& context,
                 std::string& problem);

/// Writes the augmented matrix to the debug trace, one line a row, then a line of dashes.
void PrintMatrix(const MatrixState& state, const FormulaContext& context);

/// A value as it replaces a call in a formula: the general number format, in brackets when
/// negative so that an operator before it still reads it whole.
std::string CallValueText(double value);

}  // namespace examora
