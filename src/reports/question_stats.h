// Question statistics of one test per bank question: how often each question was asked, how
// well it was done (facility: the mean mark by the score weights), which codes and options were
// given and how well it tells strong from weak sittings (discrimination: mean mark of the upper
// 27 % of the sittings that asked it, by score, minus that of the lower 27 %).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "reports/result_processor.h"

namespace examora {

/// Facility at or above this flags a question nearly everyone gets right.
inline constexpr double kTooEasyFacility = 0.9;
/// Facility at or below this flags a question nearly no one gets right.
inline constexpr double kTooHardFacility = 0.1;
/// Share of attempts in each of the upper and lower groups.
inline constexpr double kDiscriminationShare = 0.27;

/// One finished sitting as the statistics see it: its score and, per bank question in file
/// order, the code given, or kNotAsked for a question the sitting did not ask.
struct AttemptCodes {
  double score = 0;
  std::string codes;
};
inline constexpr char kNotAsked = '-';

struct QuestionStats {
  int question = 0;  // 1-based, the order of the test file
  int asked = 0;     // sittings that asked it
  double facility = 0;
  std::map<char, int> codes;  // how often each code letter was given (a letter A-F: the option)
  double discrimination = 0;  // 0 when fewer than two sittings asked it
  bool tooEasy = false, tooHard = false, negativeDiscrimination = false;
};

struct TestStats {
  std::string testNumber;
  int attempts = 0;  // sittings counted
  int skipped = 0;   // left out (see `problems` and `source`)
  std::vector<QuestionStats> questions;
  std::string source;                 // where the figures come from, as the page states it
  std::vector<std::string> problems;  // what was left out and why
};

/// Statistics per bank question. `optionCounts[q]` (1-based, index 0 unused) is question q's
/// number of options, as the test file gives it; its size fixes the number of questions, and
/// an attempt whose codes do not cover exactly that many is left out. Facility is the mean
/// mark of the sittings that asked the question; discrimination ranks those sittings by score
/// and compares the mean mark of the upper 27 % with that of the lower 27 %.
TestStats QuestionStatistics(const std::vector<AttemptCodes>& attempts,
                             const std::vector<int>& optionCounts);

/// One question's statistics as text, as the window's table and the page show them.
struct StatsRow {
  std::string question, asked, facility, discrimination, codes, flags;
  int bar = 0;  // facility as a bar length, 0 to 100
};

/// The rows of a test's statistics: figures with two decimals, codes as "A:3 B:1", flags
/// joined by commas.
std::vector<StatsRow> StatsRows(const TestStats& stats);

/// Question q's number of options for every question of a test (index 0 unused), as
/// QuestionStatistics takes them.
std::vector<int> OptionCountsOf(const std::vector<int>& QLineCount);

/// The statistics as an HTML5 page (UTF-8) linking "css/results.css", with a bar per question
/// and the source of the figures.
std::string StatsPage(const TestStats& stats, const std::string& testName);

/// Writes "stats_" & test number & ".htm" beside the reports (and the style sheet when
/// missing); returns the lines logged: a summary, the source, one per question, the page.
std::vector<std::string> WriteStatsPage(const ResultFolder& folder, const TestStats& stats,
                                        const std::string& testName);

}  // namespace examora
