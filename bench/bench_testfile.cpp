// Opening a test end to end: a 500-question enciphered test (every kind, a third numeric, some
// with matrix and statistics calls) read, deciphered, checked and prepared into a sitting.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "common/prompter.h"
#include "crypto/enciphered_text.h"
#include "testfile/scrambler.h"

namespace {

std::vector<std::string> Block(int q) {
  switch (q % 6) {
    case 0:
    case 3:
      return {"#A beam of #(2,8,2) m carries #(5,20,2) kN at #(-3,-1,2) m. Find M.", "",
              q % 12 == 0   ? "matrix[(2,1,#a,1,-1,#b),1]*#c"
              : q % 12 == 3 ? "mean[#a,#b,#c,4,5]*1000"
                            : "#a*#b*1000/4+#c",
              "nm"};
    case 1:
      return {"Which support resists rotation?", "pics/s.png", "Fixed", "Pin", "Roller", "Link"};
    case 2:
      return {"@Tick every pinned support.", "pics/s.png", "A,C", "4"};
    case 4:
      return {"%Name the two diagrams.", "", "shear, sheer", "bending, moment"};
    default:
      return {"$Match the units.", "", "Force,Moment,Stress", "N,NM,PA"};
  }
}

std::filesystem::path WriteBigTest() {
  std::vector<std::string> lines = {"10999", "Big", "Big test", "False",     "50",  "500",
                                    "1",     "500", "",         "All kinds", "Vars"};
  std::vector<std::string> blocks;
  for (int q = 1; q <= 500; ++q) {
    const auto block = Block(q);
    lines[8] += static_cast<char>('0' + block.size() - 2);
    blocks.insert(blocks.end(), block.begin(), block.end());
  }
  lines.insert(lines.end(), blocks.begin(), blocks.end());
  const auto path = std::filesystem::temp_directory_path() / "examora-bench-500.eqb";
  examora::WriteEncipheredFile(path, lines);
  return path;
}

void BM_LoadAndScramble500(benchmark::State& state) {
  const auto path = WriteBigTest();
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
