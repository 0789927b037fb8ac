// A console reporter that also keeps each benchmark's time per iteration, so that a benchmark
// program can print how it compares with a peer library after the table. With repetitions the
// mean of the repetitions counts: it is all that is reported when only aggregates are asked for.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <set>
#include <string>

namespace examora::bench {

class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const auto& run : runs) Keep(run);
    ConsoleReporter::ReportRuns(runs);
  }

  /// How many times faster `ours` ran than `theirs` (their time over ours), when both ran.
  std::optional<double> Ratio(const std::string& ours, const std::string& theirs) const {
    const auto a = seconds_.find(ours), b = seconds_.find(theirs);
    if (a == seconds_.end() || b == seconds_.end()) return std::nullopt;
    return b->second / a->second;
  }

 private:
  // Kept by the benchmark's own name, without the aggregate's suffix ("_mean").
  void Keep(const Run& run) {
    const std::string name = run.run_name.str();
    if (run.run_type == Run::RT_Aggregate) {
      if (run.aggregate_name != "mean") return;
      averaged_.insert(name);
    } else if (averaged_.count(name) != 0) {
      return;
    }
    seconds_[name] = run.GetAdjustedRealTime();
  }

  std::map<std::string, double> seconds_;
  std::set<std::string> averaged_;
};

}  // namespace examora::bench
