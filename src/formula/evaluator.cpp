#include "formula/evaluator.h"

#include <cmath>

#include "common/numtext.h"
#include "common/text.h"
#include "formula/evaluator_program.h"

namespace examora {
namespace {

using detail::Compile;
using detail::IsFunctionName;
using detail::Run;
using detail::ShowOverflow;

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsNumberChar(char c) {
  return (c >= '0' && c <= '9') || c == '.' || c == ',';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool SameClass(char a, char b) {
  return (IsLetter(a) && IsLetter(b)) || (IsNumberChar(a) && IsNumberChar(b)) || a == b;
}

}  // namespace

void GetToken(std::string_view expr, std::size_t start, std::size_t& tokenStart,
              std::size_t& tokenEnd) {
  std::size_t pos = start;
  while (pos < expr.size() && expr[pos] == ' ') ++pos;
  tokenStart = pos;
  tokenEnd = pos;
  if (pos >= expr.size()) return;
  while (tokenEnd + 1 < expr.size()) {
    const char current = expr[tokenEnd];
    const char next = expr[tokenEnd + 1];
    if (current == '(' || current == ')' || next == '(' || next == ')') break;
    if (!SameClass(current, next)) break;
    ++tokenEnd;
  }
}

int TokenKind(std::string_view token, std::string_view variableName) {
  if (IsNumberText(token)) return kNumberToken;
  const std::string lower = LowerAscii(token);
  if (lower == "e" || lower == "pi" ||
      (!variableName.empty() && lower == LowerAscii(variableName))) {
    return kConstantToken;
  }
  if (IsFunctionName(lower)) return kFunctionToken;
  if (token == "(") return kOpenToken;
  if (token == ")") return kCloseToken;
  if (token == "+" || token == "-" || token == "*" || token == "/" || token == "^" ||
      token == "@") {
    return kOperatorToken;
  }
  return kUnknownToken;
}

bool IsNumberText(std::string_view text) {
  if (text == "," || text == ".") return true;
  std::string s = Trim(text);
  for (char& c : s) {
    if (c == ',') c = '.';
  }
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  bool digits = false, point = false;
  for (; i < s.size(); ++i) {
    if (IsDigit(s[i])) {
      digits = true;
    } else if (s[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (!digits) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t exponentStart = i;
    while (i < s.size() && IsDigit(s[i])) ++i;
    if (i == exponentStart) return false;
  }
  return i == s.size();
}

int OperatorPriority(std::string_view op) {
  if (op.empty()) return 0;
  const char c = op[0];
  if (c == '+' || c == '-') return 1;
  if (c == '*' || c == '/') return 2;
  if (c == '^' || c == '@') return 3;
  if (IsLetter(c)) return 4;
  return 0;
}

namespace {

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  std::size_t pos = 0;
  while ((pos = text.find(from, pos)) != std::string::npos) {
    text.replace(pos, from.size(), to);
    pos += to.size();
  }
  return text;
}

// Numbers in capital-E notation become bracketed powers of ten: 1.5E-06 -> (1.5/10^06).
std::string RewriteExponentNumbers(const std::string& s) {
  std::string out;
  std::size_t i = 0;
  while (i < s.size()) {
    if (s[i] == 'E' && i > 0 && IsNumberChar(s[i - 1])) {
      std::size_t j = i + 1;
      char sign = '+';
      if (j < s.size() && (s[j] == '+' || s[j] == '-')) sign = s[j++];
      const std::size_t digitsStart = j;
      while (j < s.size() && IsDigit(s[j])) ++j;
      if (j > digitsStart) {
        std::size_t mantissaStart = out.size();
        while (mantissaStart > 0 && IsNumberChar(out[mantissaStart - 1])) --mantissaStart;
        const std::string mantissa = out.substr(mantissaStart);
        out.resize(mantissaStart);
        out += "(" + mantissa + (sign == '-' ? "/10^" : "*10^") +
               s.substr(digitsStart, j - digitsStart) + ")";
        i = j;
        continue;
      }
    }
    out += s[i++];
  }
  return out;
}

}  // namespace

std::string NormaliseSigns(std::string_view exprIn) {
  std::string s(exprIn);
  for (int pass = 0; pass < 4 && !s.empty(); ++pass) {
    std::string t;
    t.reserve(s.size() + 4);
    for (std::size_t j = 0; j + 1 < s.size(); ++j) {
      const char a = s[j];
      const char b = s[j + 1];
      if ((a == '+' && b == '-') || (a == '-' && b == '+')) {
        t += '-', ++j;
      } else if ((a == '+' && b == '+') || (a == '-' && b == '-')) {
        t += '+', ++j;
      } else if (a == '(' && b == '+') {
        t += '(', ++j;
      } else if (a == '(' && b == '-') {
        t += "(0-", ++j;
      } else {
        t += a;
      }
    }
    t += s.back();
    s = std::move(t);
  }
  if (!s.empty() && s[0] == '-') s.insert(0, "0");
  s = ReplaceAll(std::move(s), "(-", "(0-");
  s = RewriteExponentNumbers(s);
  s = ReplaceAll(std::move(s), "E-", "/10^");
  return ReplaceAll(std::move(s), "E", "*10^");
}

void CheckExpression(std::string_view expr, bool allowX, int& errorCode, int& errorPos) {
  if (expr.find("Atan2") != std::string_view::npos) return;
  errorPos = 2;
  const std::string_view variable = allowX ? "x" : "";
  if (Trim(expr).empty()) {
    errorCode = 17;
    return;
  }
  errorCode = 0;
  const std::string s = "(" + std::string(expr) + ")";
  int previousKind = kOpenToken;
  int depth = 1;
  std::size_t pos = 1;
  while (true) {
    std::size_t start = 0, end = 0;
    if (pos < s.size()) GetToken(s, pos, start, end);
    if (pos >= s.size() || start >= s.size()) {
      if (depth != 0) errorCode = 11;
      return;
    }
    errorPos = static_cast<int>(start) + 1;
    const std::string_view token(s.data() + start, end - start + 1);
    pos = end + 1;
    const int kind = TokenKind(token, variable);
    if (kind == kUnknownToken) {
      errorCode = 16;
      return;
    }
    if (token == "(") ++depth;
    if (token == ")") --depth;
    if (depth < 0) {
      errorCode = 11;
      return;
    }
    switch (previousKind) {
      case kNumberToken:
        if (kind != kConstantToken && kind != kOpenToken && kind != kCloseToken &&
            kind != kOperatorToken) {
          errorCode = 12;
        }
        break;
      case kConstantToken:
        if (kind != kOpenToken && kind != kCloseToken && kind != kOperatorToken) errorCode = 12;
        break;
      case kFunctionToken:
        if (kind != kOpenToken) errorCode = 13;
        break;
      case kOpenToken:
        if (kind == kCloseToken || (kind == kOperatorToken && token != "-")) errorCode = 14;
        break;
      case kCloseToken:
        if (kind != kCloseToken && kind != kOperatorToken) errorCode = 15;
        break;
      case kOperatorToken:
        if (kind == kCloseToken || kind == kOperatorToken) errorCode = 14;
        break;
    }
    if (errorCode != 0) return;
    previousKind = kind;
  }
}

namespace {

// Atan2 calls nest through their arguments; deeper than this is no real formula, and the
// bound keeps a hostile one from exhausting the stack.
constexpr int kMaxAtan2Depth = 32;

double Evaluate(std::string_view expr, double x, int& errorCode, const FormulaContext& context,
                int depth);

std::string ReplaceAtan2(std::string_view expr, double x, int& errorCode,
                         const FormulaContext& context, int depth) {
  errorCode = 0;
  const std::size_t p = expr.find("Atan2");
  if (p == std::string_view::npos) return std::string(expr);
  // The comma and the closing bracket of this call, at its own bracket depth.
  std::size_t comma = std::string_view::npos, close = std::string_view::npos;
  int brackets = 1;
  for (std::size_t i = p + 6; i < expr.size() && close == std::string_view::npos; ++i) {
    if (expr[i] == '(') ++brackets;
    if (expr[i] == ')' && --brackets == 0) close = i;
    if (expr[i] == ',' && brackets == 1 && comma == std::string_view::npos) comma = i;
  }
  if (p + 5 >= expr.size() || expr[p + 5] != '(' || comma == std::string_view::npos ||
      close == std::string_view::npos) {
    errorCode = kOverflowCode;  // an unfinished call cannot be evaluated
    ShowOverflow(context);
    return {};
  }
  const double a = Evaluate(expr.substr(p + 6, comma - p - 6), x, errorCode, context, depth + 1);
  if (errorCode != 0) return {};
  const double b =
      Evaluate(expr.substr(comma + 1, close - comma - 1), x, errorCode, context, depth + 1);
  if (errorCode != 0) return {};
  double degrees = 0;
  if (a == 0) {
    degrees = b > 0 ? 90 : b < 0 ? 270 : 0;
  } else {
    const double t = std::atan(std::fabs(b) / std::fabs(a)) * 180 / kEvaluatorPi;
    if (a < 0 && b > 0) {
      degrees = 180 - t;
    } else if (a < 0 && b < 0) {
      degrees = 180 + t;
    } else if (a < 0) {
      degrees = 180;  // straight along the negative horizontal
    } else if (b < 0) {
      degrees = 360 - t;
    } else {
      degrees = t;
    }
  }
  return std::string(expr.substr(0, p)) + FormatGeneral(degrees * kEvaluatorPi / 180) +
         std::string(expr.substr(close + 1));
}

double Evaluate(std::string_view expr, double x, int& errorCode, const FormulaContext& context,
                int depth) {
  errorCode = 0;
  std::string text(expr);
  while (text.size() > 5 && text.find("Atan2") != std::string::npos) {
    if (depth >= kMaxAtan2Depth) {
      errorCode = kOverflowCode;
      ShowOverflow(context);
      return 0;
    }
    text = ReplaceAtan2(text, x, errorCode, context, depth);
    if (errorCode != 0) return 0;
  }
  return Run(Compile(text), x, errorCode, context);
}

}  // namespace

std::string EvaluateAtan2(std::string_view expr, double x, int& errorCode,
                          const FormulaContext& context) {
  return ReplaceAtan2(expr, x, errorCode, context, 0);
}

double EvaluateExpression(std::string_view expr, double x, int& errorCode,
                          const FormulaContext& context) {
  return Evaluate(expr, x, errorCode, context, 0);
}

std::string EvaluatorMessage(int errorCode) {
  switch (errorCode) {
    case 0:
      return "No error !";
    case 1:
      return "Error evaluating power function.";
    case 2:
      return "Error evaluating logarithm. The argument must be > 0.";
    case 3:
      return "Error evaluating tangent.";
    case 4:
      return "Error evaluating square root. The argument must be >= 0.";
    case 5:
      return "Error evaluating arcsine. The argument must be in [-1, 1].";
    case 6:
      return "Error evaluating arccosine. The argument must be in [-1, 1].";
    case 7:
      return "Division by zero.";
    case 11:
      return "Unexpected end of parenthesis. ";
    case 12:
      return "Operators must be followed by number, constant, function.";
    case 13:
      return "Function must be followed by parenthesis.";
    case 14:
      return "An error occured in evaluation";
    case 15:
      return "Expression expected.";
    case 16:
      return "Unknown function.";
    case 17:
      return "Enter the value for which you want to evaluate the function.";
    case 18:
      return "An error occured in evaluation";
    default:
      return {};
  }
}

CompiledExpression::CompiledExpression(std::string_view expr) : source_(expr) {
  // Atan2 calls are replaced by their value before reading, and that value depends on x.
  readEachTime_ = source_.size() > 5 && source_.find("Atan2") != std::string::npos;
  if (!readEachTime_) program_ = Compile(source_);
}

double CompiledExpression::Evaluate(double x, int& errorCode, const FormulaContext& context) const {
  if (readEachTime_) return EvaluateExpression(source_, x, errorCode, context);
  return Run(program_, x, errorCode, context);
}

}  // namespace examora
