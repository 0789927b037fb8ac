// A console reporter that also keeps each benchmark's time per iteration, so that a benchmark
// program can print how it compares with a peer library after the table.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>

namespace examora::bench {

class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) seconds_[run.benchmark_name()] = run.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }

  /// How many times faster `ours` ran than `theirs` (their time over ours), when both ran.
  std::optional<double> Ratio(const std::string& ours, const std::string& theirs) const {
    const auto a = seconds_.find(ours), b = seconds_.find(theirs);
    if (a == seconds_.end() || b == seconds_.end()) return std::nullopt;
    return b->second / a->second;
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace examora::bench
