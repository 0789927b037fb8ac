// The test window's actions on a 500-question test: showing a question, and marking an answer.
#include <benchmark/benchmark.h>

#include "big_bank.h"
#include "common/prompter.h"
#include "engine/dotest.h"

namespace {

struct Prepared {
  Prepared() {
    const auto path = examora::bench::WriteBigTest();
    m.Bank = examora::LoadTestFile(path, "Big");
    std::filesystem::remove(path);
    examora::FormulaContext context{&prompter, &m.Debugger, 0};
    m.Prepared = examora::Scrambler(m.Bank, false, "t/", random, m.Formulas, context);
  }
  examora::ModuleExamora m;
  examora::ScriptedPrompter prompter;
  examora::SeededRandom random{1};
  examora::ManualClock clock{{2026, 12, 8, 10, 0, 0}};
};

void BM_ShowQuestion500(benchmark::State& state) {
  Prepared p;
  examora::DoTestModel model(p.m, p.prompter, p.random, p.clock);
  int position = 0;
  for (auto _ : state) {
    p.m.CurrentQuestion = position % 500 + 1;
    benchmark::DoNotOptimize(model.ShowQuestion());
    ++position;
  }
}
BENCHMARK(BM_ShowQuestion500);

// Marks every question of the test once (a wrong numeric answer shows its full message).
void BM_Submitter500(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    Prepared p;
    examora::DoTestModel model(p.m, p.prompter, p.random, p.clock);
    state.ResumeTiming();
    for (int i = 1; i <= 500; ++i) {
      p.m.CurrentQuestion = i;
      model.ShowQuestion();
      model.List2_Click(35);  // N.m
      model.txtAnswer = "12.5";
      model.Check1[0] = true;
      model.txtOneWord = {"shear", "bending"};
      model.txtMatch[0] = "N";
      model.opt_Click(1);
      model.Submitter();
    }
    benchmark::DoNotOptimize(model.AnsweredCount);
  }
  state.SetItemsProcessed(state.iterations() * 500);
}
BENCHMARK(BM_Submitter500)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
