// Turning a hostile page into the reader's text: a test list of 16 000 nested tables (240 KB)
// and one of 4 MiB of tiny elements must cost time in proportion to their size, far inside the
// 15 s a fetch may take, on the window's thread.
#include <benchmark/benchmark.h>

#include <string>

#include "app/html_text.h"

namespace {

std::string NestedTables(int depth) {
  std::string page;
  for (int i = 0; i < depth; ++i) page += "<table><tr><td>";
  page += "10101 Beams";
  for (int i = 0; i < depth; ++i) page += "</td></tr></table>";
  return page;
}

std::string TinyElements(std::size_t bytes) {
  std::string page = "<html><body>";
  for (int i = 0; page.size() < bytes; ++i) page += "<b>" + std::to_string(i % 10) + "</b>";
  return page + "</body></html>";
}

void Read(benchmark::State& state, const std::string& page) {
  for (auto _ : state) {
    const bool fits = examora::HtmlFitsLayout(page);
    std::string text = fits ? std::string() : examora::PlainTextOfHtml(page);
    benchmark::DoNotOptimize(text);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

void BM_NestedTables16000(benchmark::State& state) {
  static const std::string page = NestedTables(16000);
  Read(state, page);
}
BENCHMARK(BM_NestedTables16000)->Unit(benchmark::kMillisecond);

void BM_TinyElements4MiB(benchmark::State& state) {
  static const std::string page = TinyElements(std::size_t{4} << 20);
  Read(state, page);
}
BENCHMARK(BM_TinyElements4MiB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
