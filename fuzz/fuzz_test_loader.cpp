// Arbitrary bytes as a test: with an even first byte the rest is the enciphered file's text,
// through deciphering, validation and loading; with an odd one it is the plain lines, through
// validation and the preparation of a sitting. Refusals are fine; crashes, hangs and sanitizer
// reports are not.
#include <cstdint>
#include <string>

#include "common/error.h"
#include "common/prompter.h"
#include "common/random.h"
#include "common/text.h"
#include "testfile/scrambler.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 65536) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  try {
    examora::TestBank bank = (data[0] & 1) == 0
                                 ? examora::LoadTestText(text, "fuzz")
                                 : examora::ParseTestLines(examora::SplitLines(text), "fuzz");
    examora::ScriptedPrompter prompter;
    examora::DebugLog debug;
    examora::FormulaContext context{&prompter, &debug, 0};
    examora::FormulaTables formulas;
    examora::SeededRandom random(data[0]);
    examora::Scrambler(bank, (data[0] & 2) != 0, "t/", random, formulas, context);
  } catch (const examora::Error&) {
  }
  return 0;
}
