// Pages from the web folder read without a layout: any bytes are a page. The check of the
// bounds and the one-pass reading must end, stay in bounds and never give more text than bytes
// came (every output byte stands for at least one input byte, entities included).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/html_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string html(reinterpret_cast<const char*>(data), size);
  (void)examora::HtmlFitsLayout(html);
  const std::string text = examora::PlainTextOfHtml(html);
  if (text.size() > html.size()) std::abort();
  return 0;
}
