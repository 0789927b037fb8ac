// Any text through the check and the evaluator: no crash, hang or sanitizer report, and the
// expression compiled once gives exactly what evaluating the text gives.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/prompter.h"
#include "formula/evaluator.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 2048) return 0;
  const std::string expr(reinterpret_cast<const char*>(data), size);
  examora::ScriptedPrompter prompter;
  const examora::FormulaContext context{&prompter, nullptr, 1};
  int code = 0, pos = 0;
  examora::CheckExpression(examora::NormaliseSigns(expr), true, code, pos);
  for (double x : {0.0, -1.5, 2.0}) {
    int slowCode = -1, fastCode = -1;
    const double slow = examora::EvaluateExpression(expr, x, slowCode, context);
    const double fast = examora::CompiledExpression(expr).Evaluate(x, fastCode, context);
    if (slowCode != fastCode || std::memcmp(&slow, &fast, sizeof slow) != 0) std::abort();
  }
  examora::EvaluatorMessage(code);
  return 0;
}
