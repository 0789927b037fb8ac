// A question template and formula through the whole preparation: drawing, substitution,
// matrix and statistics calls, check and evaluation. The first line is the template, the rest
// the formula; the first byte also picks continuation and the seed.
#include <cstdint>
#include <string>

#include "common/prompter.h"
#include "common/random.h"
#include "formula/substitution.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 4096) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t split = text.find('\n');
  const std::string templ = "#" + text.substr(0, split);
  const std::string formula = split == std::string::npos ? "" : text.substr(split + 1);
  examora::ScriptedPrompter prompter;
  examora::DebugLog debug;
  debug.visible = (data[0] & 2) != 0;
  const examora::FormulaContext context{&prompter, &debug, 1};
  examora::SeededRandom random(data[0]);
  examora::FormulaTables tables;
  examora::PrepareFormulaQuestion(1, "#(1,2,3) #(-5,5,2)", "#a+#b", false, tables, random, context);
  examora::PrepareFormulaQuestion(2, templ, formula, (data[0] & 1) != 0, tables, random, context);
  return 0;
}
