// Opening a test end to end: a 500-question enciphered test (every kind, a third numeric, some
// with matrix and statistics calls) read, deciphered, checked and prepared into a sitting.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "big_bank.h"
#include "common/prompter.h"
#include "crypto/enciphered_text.h"
#include "testfile/scrambler.h"

namespace {

void BM_LoadAndScramble500(benchmark::State& state) {
  const auto path = examora::bench::WriteBigTest();
  examora::SeededRandom random(1);
  for (auto _ : state) {
    const examora::TestBank bank = examora::LoadTestFile(path, "Big");
    examora::ScriptedPrompter prompter;
    examora::DebugLog debug;
    examora::FormulaContext context{&prompter, &debug, 0};
    examora::FormulaTables formulas;
    benchmark::DoNotOptimize(examora::Scrambler(bank, false, "t/", random, formulas, context));
    if (!prompter.prompts().empty()) state.SkipWithError("a formula failed");
  }
  std::filesystem::remove(path);
}
BENCHMARK(BM_LoadAndScramble500)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
