#include "formula/matrix.h"

#include <cmath>

#include "common/numtext.h"
#include "common/prompter.h"
#include "formula/evaluator.h"

namespace examora {
namespace {

void Trace(const FormulaContext& context, const std::string& line) {
  if (context.debug) context.debug->Add(line);
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t pos = 0; (pos = text.find(from, pos)) != std::string::npos; pos += to.size()) {
    text.replace(pos, from.size(), to);
  }
  return text;
}

std::string Num(double value) {
  return FormatGeneral(value);
}

void DivideRow(MatrixState& s, int k, const FormulaContext& context) {
  const int n = s.MatrixRows;
  const double pivot = s.MatrixA[k][k];
  if (pivot == 0 || pivot == 1) return;
  for (int c = 1; c <= n + 1; ++c) s.MatrixA[k][c] /= pivot;
  Trace(context, "Row" + Num(k) + "= Row" + Num(k) + " / " + Num(pivot));
  PrintMatrix(s, context);
}

void SubtractRow(MatrixState& s, int r, int k, const FormulaContext& context) {
  const int n = s.MatrixRows;
  if (s.MatrixA[k][k] == 0) return;
  const double factor = s.MatrixA[r][k] / s.MatrixA[k][k];
  for (int c = 1; c <= n + 1; ++c) s.MatrixA[r][c] -= factor * s.MatrixA[k][c];
  Trace(context, "Row" + Num(r) + "= Row" + Num(r) + " - " + Num(factor) + "* Row" + Num(k));
  PrintMatrix(s, context);
}

// Reads the comma-separated entries into MatrixElements; returns the count, or -1 past 72.
int ReadEntries(std::string_view entries, MatrixState& s, const FormulaContext& context) {
  const std::string list = std::string(entries) + ",";
  std::string current;
  int count = 0;
  for (char c : list) {
    if (c != ',') {
      current += c;
      continue;
    }
    if (++count > kMatrixMaxEntries) return -1;
    if (!current.empty()) {
      Trace(context, "ch$= " + current);
      int code = 0;
      double value = EvaluateExpression(current, 0, code, context);
      if (code != 0) value = 0;
      s.MatrixElements[count] = LeadingNumber(FormatGeneral(value));  // through its text
      Trace(context, "E(num)= " + Num(s.MatrixElements[count]));
    }
    current.clear();
  }
  return count;
}

void Reduce(MatrixState& s, const FormulaContext& context) {
  const int n = s.MatrixRows;
  for (int i = 1; i <= n; ++i) {
    if (s.MatrixA[i][i] != 0) continue;
    for (int j = 1; j <= n; ++j) {
      if (std::fabs(s.MatrixA[j][i]) > 0) {
        std::swap(s.MatrixA[i], s.MatrixA[j]);
        Trace(context, "Swap Row" + Num(i) + " with Row" + Num(j));
        PrintMatrix(s, context);
      }
    }
  }
  for (int k = 1; k <= n - 1; ++k) {
    DivideRow(s, k, context);
    for (int r = k + 1; r <= n; ++r) SubtractRow(s, r, k, context);
  }
  // Down to row 1: a single equation is divided by its pivot here, larger systems already
  // had row 1 divided on the way down.
  for (int k = n; k >= 1; --k) {
    DivideRow(s, k, context);
    for (int r = k - 1; r >= 1; --r) SubtractRow(s, r, k, context);
  }
}

}  // namespace

std::string CallValueText(double value) {
  const std::string text = FormatGeneral(value);
  return value < 0 ? "(" + text + ")" : text;
}

void PrintMatrix(const MatrixState& s, const FormulaContext& context) {
  if (!context.debug) return;
  for (int r = 1; r <= s.MatrixRows; ++r) {
    std::string line;
    for (int c = 1; c <= s.MatrixRows + 1; ++c) {
      const std::string cell =
          std::string(24, ' ') + Num(RoundHalfEven(s.MatrixA[r][c] * 1e6) / 1e6);
      line += cell.substr(cell.size() - 18);
    }
    Trace(context, line);
  }
  Trace(context, std::string(37, '-'));
}

bool MatrixSolve(std::string_view entries, MatrixState& s, const FormulaContext& context,
                 std::string& problem) {
  Trace(context, "MATRIX SOLVE " + std::string(entries));
  const int count = ReadEntries(entries, s, context);
  if (count < 0) {
    problem = "A matrix call has more than 72 entries (at most 8 equations).";
    return false;
  }
  Trace(context, "num elements=" + Num(count));
  const double rows = (std::sqrt(4.0 * count + 1) - 1) / 2;
  const bool whole = rows == std::floor(rows) && rows >= 1;
  if (!whole && context.prompter) {
    context.prompter->Message(
        "Question " + std::to_string(context.currentQuestion),
        "Matrix Warning: Does not form a matrix with N rows and (N+1) columns");
  }
  Trace(context, "num Rows=" + Num(rows));
  if (!whole) {
    problem = "The matrix call's " + std::to_string(count) +
              " entries do not form N rows of N+1 entries.";
    return false;
  }
  s.MatrixRows = static_cast<int>(rows);
  const int n = s.MatrixRows;
  for (int r = 1; r <= n; ++r) {
    for (int c = 1; c <= n + 1; ++c) s.MatrixA[r][c] = s.MatrixElements[c + (n + 1) * (r - 1)];
  }
  PrintMatrix(s, context);
  Reduce(s, context);
  return true;
}

bool MatrixPrep(const std::string& formula, std::string& result, MatrixState& s,
                const FormulaContext& context, std::string& problem) {
  result = formula;
  Trace(context, "MATRIX PREP " + formula);
  const std::size_t p = formula.find("matrix");
  if (p == std::string::npos || p + 6 >= formula.size()) {
    problem = "A matrix call has nothing after the word matrix.";
    return false;
  }
  const std::size_t start = p + 8;  // past the word and its two delimiters
  Trace(context, "mx1= " + Num(static_cast<double>(start + 1)));
  const std::size_t q = start < formula.size() ? formula.find(']', start) : std::string::npos;
  if (q == std::string::npos || q < start + 3) {
    problem = "A matrix call is not finished with its unknown's number and \"]\".";
    return false;
  }
  const std::size_t end = q - 4;  // before two delimiters and the digit
  Trace(context, "mx2= " + Num(static_cast<double>(end + 1)));
  const int unknown = static_cast<int>(LeadingNumber(formula.substr(q - 1, 1)));
  const std::string entries = end + 1 > start ? formula.substr(start, end + 1 - start) : "";
  Trace(context, "ch$= " + entries + "nth= " + Num(unknown));
  if (!MatrixSolve(entries, s, context, problem)) return false;
  if (unknown < 1 || unknown > s.MatrixRows) {
    problem = "A matrix call asks for unknown " + std::to_string(unknown) + " of a system of " +
              std::to_string(s.MatrixRows) + ".";
    return false;
  }
  const double answer = s.MatrixA[unknown][s.MatrixRows + 1];
  Trace(context, "Matrix Answer = " + Num(answer));
  const std::string call = formula.substr(p, q - p + 1);
  Trace(context, "Matrix STRING = " + call);
  result = ReplaceAll(formula, call, CallValueText(answer));
  Trace(context, "Formula String replaced with= " + result + std::string(21, '<'));
  return true;
}

}  // namespace examora
