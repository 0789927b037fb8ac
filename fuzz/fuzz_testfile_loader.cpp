// Arbitrary bytes as a test: with an even first byte the rest is the enciphered file's text,
// through deciphering, validation and loading; with an odd one it is the plain lines, through
// validation and the preparation of a sitting. The same bytes are also read as a hostile test
// list and as picture lines: whatever address comes out must lie inside the test's folder.
// Refusals are fine; crashes, hangs, sanitizer reports and escapes are not.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/testlist.h"
#include "app/web_address.h"
#include "common/error.h"
#include "common/prompter.h"
#include "common/random.h"
#include "common/text.h"
#include "testfile/scrambler.h"

namespace {

// Every list line and every picture line either resolves inside its test's folder or is
// refused.
void CheckAddresses(const std::string& text) {
  const std::string base = "http://h/w/";
  examora::TestListTable table;
  examora::GetTestsWeb(text, table);
  for (int i = 1; i <= table.TestCount; ++i) {
    const std::string& folder = table.TestListLine[static_cast<std::size_t>(i)];
    const std::string inside =
        base + "tests/" + examora::EncodeUrlPath(examora::Cp1252ToUtf8(folder)) + "/";
    const std::string test = examora::TestAddress(base, table, i);
    if (test.empty() || !examora::IsInsideFolder(test, inside)) std::abort();
  }
  for (const std::string& line : examora::SplitLines(text)) {
    const auto picture = examora::ResolveInTestFolder(base, "10101 Beams", line);
    if (picture && !examora::IsInsideFolder(*picture, base + "tests/10101%20Beams/")) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 65536) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  if ((data[0] & 4) != 0) {
    CheckAddresses(text);
    return 0;
  }
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
