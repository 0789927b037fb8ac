// The bench programs' comparison lines: the reporter finds both times whether the runs were
// reported one by one, repeated, or only as aggregates of repetitions.
#include <sstream>

#include <gtest/gtest.h>

#include "recording_reporter.h"

namespace examora::bench {
namespace {

using Run = benchmark::BenchmarkReporter::Run;

Run Timed(const std::string& name, double seconds, const std::string& aggregate = {}) {
  Run run;
  run.run_name.function_name = name;
  run.iterations = 1;
  run.real_accumulated_time = seconds;
  run.cpu_accumulated_time = seconds;
  run.time_unit = benchmark::kSecond;
  if (!aggregate.empty()) {
    run.run_type = Run::RT_Aggregate;
    run.aggregate_name = aggregate;
  }
  return run;
}

struct Case {
  const char* what;
  std::vector<Run> ours, theirs;
  std::optional<double> ratio;
};

TEST(RecordingReporter, ComparesSingleRunsAndTheMeanOfRepetitions) {
  const Case cases[] = {
      {"single runs", {Timed("ours", 1)}, {Timed("theirs", 3)}, 3.0},
      {"aggregates only",
       {Timed("ours", 2, "mean"), Timed("ours", 2, "median"), Timed("ours", 9, "stddev")},
       {Timed("theirs", 4, "mean"), Timed("theirs", 4, "median"), Timed("theirs", 1, "stddev")},
       2.0},
      {"repetitions then aggregates",
       {Timed("ours", 1), Timed("ours", 3), Timed("ours", 2, "mean"), Timed("ours", 7, "cv")},
       {Timed("theirs", 5), Timed("theirs", 7), Timed("theirs", 6, "mean")},
       3.0},
      {"one side missing", {Timed("ours", 1)}, {}, std::nullopt},
  };
  for (const Case& c : cases) {
    RecordingReporter reporter;
    std::ostringstream out, err;
    reporter.SetOutputStream(&out);
    reporter.SetErrorStream(&err);
    reporter.ReportRuns(c.ours);
    if (!c.theirs.empty()) reporter.ReportRuns(c.theirs);
    const auto ratio = reporter.Ratio("ours", "theirs");
    ASSERT_EQ(ratio.has_value(), c.ratio.has_value()) << c.what;
    if (ratio) {
      EXPECT_DOUBLE_EQ(*ratio, *c.ratio) << c.what;
    }
  }
}

}  // namespace
}  // namespace examora::bench
