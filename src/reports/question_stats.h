// Question statistics of one test from its subject file: how many attempts each question had,
// how well it was done (facility: the mean mark by the score weights), which codes were given
// and how well it tells strong from weak attempts (discrimination: mean mark of the upper 27 %
// of attempts by score minus that of the lower 27 %).
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

struct QuestionStats {
  int question = 0;  // 1-based, the order of the test file
  int attempts = 0;
  double facility = 0;
  std::map<char, int> codes;  // how often each code letter was given
  double discrimination = 0;  // 0 when there are fewer than two attempts
  bool tooEasy = false, tooHard = false, negativeDiscrimination = false;
};

struct TestStats {
  std::string testNumber;
  int attempts = 0;  // records counted
  int skipped = 0;   // records whose codes do not cover every question of the test
  std::vector<QuestionStats> questions;
};

/// Statistics from the records of a subject file. `optionCounts[q]` (1-based, index 0 unused)
/// is question q's number of options, as the test file gives it; its size fixes the number of
/// questions. Only records with exactly one code per question are counted: a sitting that asked
/// fewer questions leaves their positions unknown.
TestStats QuestionStatistics(const std::vector<std::string>& subjectLines,
                             const std::vector<int>& optionCounts);

/// One question's statistics as text, as the window's table and the page show them.
struct StatsRow {
  std::string question, attempts, facility, discrimination, codes, flags;
  int bar = 0;  // facility as a bar length, 0 to 100
};

/// The rows of a test's statistics: figures with two decimals, codes as "A:3 B:1", flags
/// joined by commas.
std::vector<StatsRow> StatsRows(const TestStats& stats);

/// Question q's number of options for every question of a test (index 0 unused), as
/// QuestionStatistics takes them.
std::vector<int> OptionCountsOf(const std::vector<int>& QLineCount);

/// The longest code string among the records, one count of 0 per question (index 0 unused):
/// for statistics without the test file, where a wrong pick then costs nothing extra.
std::vector<int> OptionCountsFromRecords(const std::vector<std::string>& subjectLines);

/// Reads "subject_files\" & test number & ".txt" of the folder, writes "stats_" & test
/// number & ".htm" beside the reports (and the style sheet when missing); returns the lines
/// logged, one per question.
std::vector<std::string> WriteQuestionStats(const ResultFolder& folder,
                                            const std::string& testNumber,
                                            const std::vector<int>& optionCounts,
                                            const std::string& testName);

/// The statistics as an HTML5 page (UTF-8) linking "css/results.css", with a bar per question.
std::string StatsPage(const TestStats& stats, const std::string& testName);

}  // namespace examora
