#include "formula/evaluator.h"

#include <array>
#include <charconv>
#include <cmath>

#include "common/numtext.h"
#include "common/prompter.h"
#include "common/text.h"

namespace examora {

enum class CompiledExpression::Op : unsigned char {
  kPush,
  kPushX,
  kFail,
  // binary; a step's value 1 means "only one operand: a is 0"
  kAdd,
  kSub,
  kMul,
  kDiv,
  kPow,
  kLog,
  // unary
  kNeg,
  kLn,
  kAbs,
  kExp,
  kSqrt,
  kInt,
  kFrac,
  kSin,
  kCos,
  kTan,
  kAsin,
  kAcos,
  kAtan,
  kSinh,
  kCosh,
  kTanh,
  kCeil,
  kSgn,
  kCint,
  // binary with the constant operand b in the step's value (a pushed constant fused in)
  kAddK,
  kSubK,
  kMulK,
  kDivK,
  kPowK,
  kLogK,
};

namespace {

using Op = CompiledExpression::Op;
using Step = CompiledExpression::Step;

constexpr std::size_t kStackLimit = 200;  // operands, and operators with the opening "("

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsNumberChar(char c) {
  return (c >= '0' && c <= '9') || c == '.' || c == ',';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

bool SameClass(char a, char b) {
  return (IsLetter(a) && IsLetter(b)) || (IsNumberChar(a) && IsNumberChar(b)) || a == b;
}

struct OpName {
  std::string_view name;
  Op op;
};
constexpr std::array<OpName, 24> kOps = {{
    {"+", Op::kAdd},     {"-", Op::kSub},     {"*", Op::kMul},     {"/", Op::kDiv},
    {"^", Op::kPow},     {"@", Op::kLog},     {"~", Op::kNeg},     {"ln", Op::kLn},
    {"abs", Op::kAbs},   {"exp", Op::kExp},   {"sqrt", Op::kSqrt}, {"int", Op::kInt},
    {"frac", Op::kFrac}, {"sin", Op::kSin},   {"cos", Op::kCos},   {"tan", Op::kTan},
    {"asin", Op::kAsin}, {"acos", Op::kAcos}, {"atan", Op::kAtan}, {"sinh", Op::kSinh},
    {"cosh", Op::kCosh}, {"tanh", Op::kTanh}, {"ceil", Op::kCeil}, {"sgn", Op::kSgn},
}};

bool IsFunctionName(std::string_view lower) {
  if (lower == "cint") return true;
  for (std::size_t i = 7; i < kOps.size(); ++i) {
    if (kOps[i].name == lower) return true;
  }
  return false;
}

bool LookUpOp(std::string_view lower, Op& op) {
  if (lower == "cint") {
    op = Op::kCint;
    return true;
  }
  for (const auto& entry : kOps) {
    if (entry.name == lower) {
      op = entry.op;
      return true;
    }
  }
  return false;
}

bool IsBinary(Op op) {
  return op >= Op::kAdd && op <= Op::kLog;
}

// Runs the operator-precedence algorithm over the normalised expression and records every
// operand push and operator application in the order the evaluator performs them.
class Compiler {
 public:
  std::vector<Step> Run(std::string_view normalised) {
    const std::string expr = std::string(normalised) + ")";
    ops_ = {"("};
    std::string previous = "(";
    int previousKind = kOpenToken;
    std::size_t pos = 0;
    while (pos < expr.size() && !ops_.empty() && !failed_) {
      std::size_t start = 0, end = 0;
      GetToken(expr, pos, start, end);
      if (start >= expr.size()) break;
      const std::string token = expr.substr(start, end - start + 1);
      pos = end + 1;
      const int kind = TokenKind(token);
      if (kind == kNumberToken) {
        PushNumber(token);
      } else if (token == "(") {
        // A number or constant directly before a bracket multiplies it, as 2x and 2pi do.
        if (previousKind == kNumberToken || previousKind == kConstantToken) PushOperator("*");
        PushOperator("(");
      } else if (kind == kConstantToken) {
        const std::string lower = Lower(token);
        if (lower == "x") {
          PushOperand({Op::kPushX, 0});
        } else {
          PushOperand({Op::kPush, lower == "pi" ? kEvaluatorPi : kEvaluatorE});
        }
        if (previousKind == kNumberToken) PushOperator("*");
      } else {
        ReduceAndPlace(token, previous);
      }
      previous = token;
      previousKind = kind;
    }
    return std::move(program_);
  }

 private:
  void Fail() {
    if (!failed_) program_.push_back({Op::kFail, 0});
    failed_ = true;
  }

  // A number token is digits with "." or "," as its point; "." alone is 0.
  void PushNumber(const std::string& token) {
    std::string text = token;
    for (char& c : text) {
      if (c == ',') c = '.';
    }
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) return Fail();  // beyond the double range
    if (result.ec != std::errc()) value = 0;
    PushOperand({Op::kPush, value});
  }

  void PushOperand(Step step) {
    if (failed_) return;
    if (operands_ >= kStackLimit) return Fail();
    program_.push_back(step);
    ++operands_;
  }

  void PushOperator(const std::string& op) {
    if (failed_) return;
    if (ops_.size() >= kStackLimit) return Fail();
    ops_.push_back(op);
  }

  void Apply(const std::string& opText) {
    Op op;
    if (!LookUpOp(Lower(opText), op)) return Fail();
    if (IsBinary(op)) {
      if (operands_ >= 2) {
        program_.push_back({op, 0});
        --operands_;
      } else if (operands_ == 1) {
        program_.push_back({op, 1});
      } else {
        Fail();
      }
    } else if (operands_ >= 1) {
      program_.push_back({op, 0});
    } else {
      Fail();
    }
  }

  void ReduceAndPlace(const std::string& token, const std::string& previous) {
    const int priority = OperatorPriority(token);
    while (!ops_.empty() && ops_.back() != "(" && ops_.back() != ")" &&
           OperatorPriority(ops_.back()) >= priority && !failed_) {
      Apply(ops_.back());
      ops_.pop_back();
    }
    if (ops_.empty() || failed_) return;
    if (token == ")" && ops_.back() == "(") {
      ops_.pop_back();
    } else {
      PushOperator(token == "-" && previous == "(" ? "~" : token);
    }
  }

  std::vector<Step> program_;
  std::vector<std::string> ops_;
  std::size_t operands_ = 0;
  bool failed_ = false;
};

// A constant pushed just before a binary operator is folded into that step: one dispatch
// instead of two, the same arithmetic on the same operands.
std::vector<Step> FuseConstants(const std::vector<Step>& steps) {
  std::vector<Step> fused;
  fused.reserve(steps.size());
  for (std::size_t i = 0; i < steps.size(); ++i) {
    if (steps[i].op == Op::kPush && i + 1 < steps.size() && IsBinary(steps[i + 1].op) &&
        steps[i + 1].value == 0) {
      const int offset = static_cast<int>(steps[i + 1].op) - static_cast<int>(Op::kAdd);
      fused.push_back({static_cast<Op>(static_cast<int>(Op::kAddK) + offset), steps[i].value});
      ++i;
    } else {
      fused.push_back(steps[i]);
    }
  }
  return fused;
}

std::vector<Step> Compile(std::string_view expr) {
  return FuseConstants(Compiler().Run(NormaliseSigns(expr)));
}

void ShowOverflow(const FormulaContext& context) {
  if (context.prompter) {
    context.prompter->Message("Examora",
                              "Q" + std::to_string(context.currentQuestion) + " Overflow ");
  }
}

// One operator on its operands; returns an error code, 0 when fine.
[[gnu::always_inline]] inline int ApplyOp(Op op, double a, double b, double& r) {
  switch (op) {
    case Op::kAdd:
      r = a + b;
      break;
    case Op::kSub:
      r = a - b;
      break;
    case Op::kMul:
      r = a * b;
      break;
    case Op::kDiv:
      if (b == 0) return 7;
      r = a / b;
      break;
    case Op::kPow:
      if ((a < 0 && b != std::floor(b)) || (a == 0 && b == 0)) return 1;
      // Squares are the common case in curves; a * a is the same correctly rounded value.
      r = b == 2 ? a * a : std::pow(a, b);
      break;
    case Op::kLog:
      if (b == 1) {
        if (a <= 0) return kOverflowCode;
        r = std::log(a);
      } else {
        if (a <= 0 || b <= 0) return 2;
        r = std::log(a) / std::log(b);
      }
      break;
    case Op::kNeg:
      r = -b;
      break;
    case Op::kSin:
      r = std::sin(b);
      break;
    case Op::kCos:
      r = std::cos(b);
      break;
    case Op::kAtan:
      r = std::atan(b);
      break;
    case Op::kExp:
      r = std::exp(b);
      break;
    case Op::kAbs:
      r = std::fabs(b);
      break;
    case Op::kTan:
      if (std::cos(b) == 0) return 3;
      r = std::tan(b);
      break;
    case Op::kAsin:
      if (b < -1 || b > 1) return 5;
      r = b == -1  ? -kEvaluatorPi / 2
          : b == 1 ? kEvaluatorPi / 2
                   : std::atan(b / std::sqrt(1 - b * b));
      break;
    case Op::kAcos:
      if (b < -1 || b > 1) return 6;
      if (b == 0) {
        r = kEvaluatorPi / 2;
      } else {
        r = std::atan(std::sqrt(1 - b * b) / b) + (b < 0 ? kEvaluatorPi : 0);
      }
      break;
    case Op::kSinh:
      r = (std::exp(b) - std::exp(-b)) * 0.5;
      break;
    case Op::kCosh:
      r = (std::exp(b) + std::exp(-b)) * 0.5;
      break;
    case Op::kTanh:
      r = (std::exp(b) - std::exp(-b)) / (std::exp(-b) + std::exp(b));
      break;
    case Op::kLn:
      if (b <= 0) return 2;
      r = std::log(b);
      break;
    case Op::kSqrt:
      if (b < 0) return 4;
      r = std::sqrt(b);
      break;
    case Op::kInt:
      r = std::floor(b);
      break;
    case Op::kFrac:
      r = b - std::floor(b);
      break;
    case Op::kCeil:
      r = b == std::floor(b) ? b : std::floor(b + 1);
      break;
    case Op::kSgn:
      r = b > 0 ? 1 : b < 0 ? -1 : 0;
      break;
    case Op::kCint:
      r = RoundHalfEven(b * 10) / 10;
      break;
    default:
      return kOverflowCode;
  }
  return std::isfinite(r) ? 0 : kOverflowCode;
}

double Run(const std::vector<Step>& program, double x, int& errorCode,
           const FormulaContext& context) {
  std::array<double, kStackLimit + 1> stack;
  double* top = stack.data() - 1;  // the topmost operand
  errorCode = 0;
  for (const Step& step : program) {
    double r = 0;
    switch (step.op) {
      case Op::kPush:
        *++top = step.value;
        continue;
      case Op::kPushX:
        *++top = x;
        continue;
      case Op::kFail:
        errorCode = kOverflowCode;
        break;
      case Op::kAdd:
      case Op::kSub:
      case Op::kMul:
      case Op::kDiv:
      case Op::kPow:
      case Op::kLog:
        // A binary operator with a single operand takes 0 for the missing one.
        if (step.value != 0) {
          errorCode = ApplyOp(step.op, 0, *top, r);
          if (errorCode == 0) *top = r;
        } else {
          errorCode = ApplyOp(step.op, top[-1], *top, r);
          if (errorCode == 0) *--top = r;
        }
        break;
      case Op::kAddK:
      case Op::kSubK:
      case Op::kMulK:
      case Op::kDivK:
      case Op::kPowK:
      case Op::kLogK: {
        const int offset = static_cast<int>(step.op) - static_cast<int>(Op::kAddK);
        errorCode =
            ApplyOp(static_cast<Op>(static_cast<int>(Op::kAdd) + offset), *top, step.value, r);
        if (errorCode == 0) *top = r;
        break;
      }
      default:
        errorCode = ApplyOp(step.op, 0, *top, r);
        if (errorCode == 0) *top = r;
        break;
    }
    if (errorCode == 0) continue;
    if (errorCode == kOverflowCode) ShowOverflow(context);
    return 0;
  }
  return top >= stack.data() ? stack[0] : 0;
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
  const std::string lower = Lower(token);
  if (lower == "e" || lower == "pi" || (!variableName.empty() && lower == Lower(variableName))) {
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
