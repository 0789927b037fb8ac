// A curve expression evaluated at 500 x values, as a graph redraw does: ours read once and
// evaluated many times, ours read afresh at every x, and muparser on the same expression.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#include "formula/evaluator.h"

#ifdef EXAMORA_HAVE_MUPARSER
#include <muParser.h>
#endif

namespace {

constexpr const char* kCurve = "3*sin(x)^2+ln(x+4)/2";
constexpr int kPoints = 500;

double XAt(int i) {
  return -3.0 + 6.0 * i / kPoints;
}

void BM_Curve500_Compiled(benchmark::State& state) {
  const examora::CompiledExpression curve(kCurve);
  for (auto _ : state) {
    double sum = 0;
    int code = 0;
    for (int i = 0; i < kPoints; ++i) sum += curve.Evaluate(XAt(i), code);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_Curve500_Compiled);

void BM_Curve500_TextEachTime(benchmark::State& state) {
  for (auto _ : state) {
    double sum = 0;
    int code = 0;
    for (int i = 0; i < kPoints; ++i) sum += examora::EvaluateExpression(kCurve, XAt(i), code);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_Curve500_TextEachTime);

#ifdef EXAMORA_HAVE_MUPARSER
void BM_Curve500_muparser(benchmark::State& state) {
  mu::Parser parser;
  double x = 0;
  parser.DefineVar("x", &x);
  parser.SetExpr(kCurve);
  for (auto _ : state) {
    double sum = 0;
    for (int i = 0; i < kPoints; ++i) {
      x = XAt(i);
      sum += parser.Eval();
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_Curve500_muparser);
#endif

class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) seconds_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatio(const char* ours, const char* theirs) const {
    const auto a = seconds_.find(ours), b = seconds_.find(theirs);
    if (a == seconds_.end() || b == seconds_.end()) return;
    std::printf("%s: %.2fx muparser's evaluations per second (%.1f ns per evaluation)\n", ours,
                b->second / a->second, a->second / kPoints);
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio("BM_Curve500_Compiled", "BM_Curve500_muparser");
  reporter.PrintRatio("BM_Curve500_TextEachTime", "BM_Curve500_muparser");
  benchmark::Shutdown();
  return 0;
}
