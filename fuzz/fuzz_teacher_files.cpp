// Files the teacher's tools read from folders others can write: a test list that publishing
// adds a line to, and a report the panel previews. Any bytes must give a list that still holds
// the line exactly once, and a preview no longer than what was read.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/publish.h"
#include "common/error.h"
#include "reports/report_preview.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string line = "10150 Fuzzed";
  try {
    bool replaced = false;
    const std::string list = examora::ListWithLine(bytes, line, replaced);
    const std::string entry = "\r\n" + list;
    std::size_t count = 0;
    for (std::size_t at = 0; (at = entry.find("\r\n" + line + "\r\n", at)) != std::string::npos;
         ++at) {
      ++count;
    }
    if (count != 1 && !replaced) std::abort();
  } catch (const examora::Error&) {
    // A list that already gives the number to another test is refused, as it should be.
  }
  for (const char* name : {"masterfile2.txt", "masterfile4.htm"}) {
    const auto preview = examora::PreviewOf(name, bytes, static_cast<long long>(size));
    if (preview.text.size() > size + 16) std::abort();  // a cut page gains only "</table>"
  }
  return 0;
}
