// A curve expression evaluated at 500 x values, as a graph redraw does: ours read once and
// evaluated many times, ours read afresh at every x, and muparser on the same expression.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "formula/evaluator.h"
#include "formula/grapher.h"
#include "recording_reporter.h"

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

// A graph panel redraw: 20 curves of 501 points each, with their labels.
void BM_RedrawGraph20Curves(benchmark::State& state) {
  examora::Grapher grapher;
  std::string markup;
  for (int g = 1; g <= 20; ++g)
    markup += "graph[" + std::to_string(g) + "*sin(x/" + std::to_string(g) + ")+x^2/50]";
  examora::FormulaTables none;
  grapher.SetUpGraph(markup, none, 1);
  for (auto _ : state) benchmark::DoNotOptimize(grapher.RedrawGraph());
}
BENCHMARK(BM_RedrawGraph20Curves)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  examora::bench::RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  for (const char* ours : {"BM_Curve500_Compiled", "BM_Curve500_TextEachTime"}) {
    if (auto ratio = reporter.Ratio(ours, "BM_Curve500_muparser")) {
      std::printf("%s: %.2fx muparser's evaluations per second\n", ours, *ratio);
    }
  }
  benchmark::Shutdown();
  return 0;
}
