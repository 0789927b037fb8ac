// The program an expression compiles to: the operator-precedence algorithm run once, its
// operand pushes and operator applications recorded in the order it performs them, and the
// runner that replays them for any x.
#include "formula/evaluator_program.h"

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

namespace detail {
namespace {

using Op = CompiledExpression::Op;

constexpr std::size_t kStackLimit = 200;  // operands, and operators with the opening "("

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
        const std::string lower = LowerAscii(token);
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
    if (!LookUpOp(LowerAscii(opText), op)) return Fail();
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

}  // namespace

bool IsFunctionName(std::string_view lower) {
  if (lower == "cint") return true;
  for (std::size_t i = 7; i < kOps.size(); ++i) {
    if (kOps[i].name == lower) return true;
  }
  return false;
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

}  // namespace detail
}  // namespace examora
