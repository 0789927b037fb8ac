// Moodle XML question files as a teacher might bring them: read, converted and the banks
// checked by the authoring parser. Refusals are fine; crashes, hangs, sanitizer reports and a
// written bank the authoring conversion refuses are not.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "bridge/question_import.h"
#include "common/error.h"
#include "common/text.h"
#include "testfile/authoring.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<examora::ImportedQuestion> questions;
  try {
    questions = examora::ReadMoodleXml(bytes);
  } catch (const examora::Error&) {
    return 0;
  }
  const auto report = examora::ConvertQuestions(questions, {"10101", "Fuzz", "fuzz.xml"});
  for (const auto& source : report.sources) {
    // What the import writes, author must take as it stands.
    const auto cleaned = examora::CleanUpSource(examora::SplitLines(source));
    examora::ParseSource(cleaned.lines);
  }
  return 0;
}
