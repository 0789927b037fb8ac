#include "reports/question_stats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "common/error.h"
#include "common/numtext.h"
#include "common/text.h"
#include "platform/files.h"
#include "reports/master_record.h"
#include "reports/reports.h"
#include "results/progress.h"

namespace examora {
namespace {

struct Attempt {
  double score = 0;
  std::vector<double> marks;  // per question, 0-based
};

// Mean mark of question q over the attempts order[from, to).
double MeanMark(const std::vector<Attempt>& attempts, const std::vector<std::size_t>& order,
                std::size_t from, std::size_t to, std::size_t q) {
  double sum = 0;
  for (std::size_t i = from; i < to; ++i) sum += attempts[order[i]].marks[q];
  return to > from ? sum / static_cast<double>(to - from) : 0;
}

// Text of a damaged file must not become markup.
std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    out += c == '<'   ? std::string("&lt;")
           : c == '&' ? "&amp;"
           : c == '>' ? "&gt;"
                      : std::string(1, c);
  }
  return out;
}

std::string Fixed(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

}  // namespace

TestStats QuestionStatistics(const std::vector<std::string>& subjectLines,
                             const std::vector<int>& optionCounts) {
  TestStats stats;
  const std::size_t n = optionCounts.empty() ? 0 : optionCounts.size() - 1;
  stats.questions.resize(n);
  std::vector<Attempt> attempts;
  for (const auto& line : subjectLines) {
    const auto fields = RecordFields(Trim(line));
    if (fields.empty() || Trim(fields[0]).empty()) continue;
    if (stats.testNumber.empty()) stats.testNumber = Trim(fields[0]);
    const std::string codes = fields.size() > 6 ? Trim(fields[6]) : "";
    if (codes.size() != n || n == 0) {
      ++stats.skipped;
      continue;
    }
    Attempt a{LeadingNumber(fields.size() > 4 ? fields[4] : ""), std::vector<double>(n)};
    for (std::size_t q = 0; q < n; ++q) {
      a.marks[q] = WeightOf(std::string(1, codes[q]), optionCounts[q + 1]).mark;
      ++stats.questions[q].codes[codes[q]];
    }
    attempts.push_back(std::move(a));
  }
  stats.attempts = static_cast<int>(attempts.size());
  // Ranked by score, best first; equal scores keep file order so the groups are reproducible.
  std::vector<std::size_t> order(attempts.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return attempts[a].score > attempts[b].score;
  });
  const std::size_t total = attempts.size();
  const std::size_t group = std::max<std::size_t>(
      1, static_cast<std::size_t>(RoundHalfEven(total * kDiscriminationShare)));
  for (std::size_t q = 0; q < n; ++q) {
    QuestionStats& s = stats.questions[q];
    s.question = static_cast<int>(q) + 1;
    s.attempts = stats.attempts;
    if (total == 0) continue;
    s.facility = MeanMark(attempts, order, 0, total, q);
    if (total >= 2) {
      s.discrimination = MeanMark(attempts, order, 0, group, q) -
                         MeanMark(attempts, order, total - group, total, q);
    }
    s.tooEasy = s.facility >= kTooEasyFacility;
    s.tooHard = s.facility <= kTooHardFacility;
    s.negativeDiscrimination = s.discrimination < 0;
  }
  return stats;
}

std::vector<StatsRow> StatsRows(const TestStats& stats) {
  std::vector<StatsRow> rows;
  for (const auto& q : stats.questions) {
    StatsRow row{std::to_string(q.question),
                 std::to_string(q.attempts),
                 Fixed(q.facility, 2),
                 Fixed(q.discrimination, 2),
                 "",
                 "",
                 static_cast<int>(std::lround(std::clamp(q.facility, 0.0, 1.0) * 100))};
    for (const auto& [code, count] : q.codes) {
      row.codes +=
          (row.codes.empty() ? "" : " ") + std::string(1, code) + ":" + std::to_string(count);
    }
    const auto flag = [&](bool set, const char* text) {
      if (set) row.flags += (row.flags.empty() ? "" : ", ") + std::string(text);
    };
    flag(q.tooEasy, "too easy");
    flag(q.tooHard, "too hard");
    flag(q.negativeDiscrimination, "negative discrimination");
    rows.push_back(std::move(row));
  }
  return rows;
}

std::string StatsPage(const TestStats& stats, const std::string& testName) {
  const std::string title =
      "Question statistics: " + stats.testNumber + " " + Cp1252ToUtf8(testName);
  std::string rows;
  for (const auto& r : StatsRows(stats)) {
    rows += "<tr><th scope=\"row\">" + r.question + "</th><td>" + r.attempts + "</td><td>" +
            r.facility + "</td><td class=\"bar\"><span style=\"width:" + std::to_string(r.bar) +
            "px\"></span></td><td>" + r.discrimination + "</td><td>" + Escape(r.codes) +
            "</td><td class=\"flags\">" + r.flags + "</td></tr>\r\n";
  }
  const std::string html = Escape(title);
  return "<!DOCTYPE html>\r\n<html lang=\"en\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n<title>" +
         html + "</title>\r\n<link rel=\"stylesheet\" href=\"css/results.css\">\r\n</head>\r\n" +
         "<body>\r\n<h1>" + html +
         "</h1>\r\n<p class=\"note\">Attempts counted: " + std::to_string(stats.attempts) +
         "; left out (fewer questions asked): " + std::to_string(stats.skipped) +
         ". Facility is the mean mark; discrimination compares the upper and lower 27 % of "
         "attempts by score.</p>\r\n<div class=\"scroll\">\r\n<table>\r\n<thead>\r\n<tr>"
         "<th scope=\"col\">Question</th><th scope=\"col\">Attempts</th><th scope=\"col\">"
         "Facility</th><th scope=\"col\">Chart</th><th scope=\"col\">Discrimination</th>"
         "<th scope=\"col\">Codes</th><th "
         "scope=\"col\">Flags</th></tr>\r\n</thead>\r\n<tbody>\r\n" +
         rows + "</tbody>\r\n</table>\r\n</div>\r\n</body>\r\n</html>\r\n";
}

std::vector<int> OptionCountsOf(const std::vector<int>& QLineCount) {
  std::vector<int> counts = QLineCount;
  if (counts.empty()) counts.push_back(0);
  return counts;
}

std::vector<int> OptionCountsFromRecords(const std::vector<std::string>& subjectLines) {
  std::size_t longest = 0;
  for (const auto& line : subjectLines) {
    const auto fields = RecordFields(Trim(line));
    if (fields.size() > 6) longest = std::max(longest, Trim(fields[6]).size());
  }
  return std::vector<int>(longest + 1, 0);
}

std::vector<std::string> WriteQuestionStats(const ResultFolder& folder,
                                            const std::string& testNumber,
                                            const std::vector<int>& optionCounts,
                                            const std::string& testName) {
  // The number names a file: only a five-digit one may, so no other path can be reached.
  if (testNumber.size() != 5 || !std::all_of(testNumber.begin(), testNumber.end(),
                                             [](char c) { return c >= '0' && c <= '9'; })) {
    throw FormatError("\"" + testNumber + "\" is not a five-digit test number");
  }
  const auto lines =
      ResultFileLines(ReadFileBytes(folder.Native("subject_files\\" + testNumber + ".txt")));
  const TestStats stats = QuestionStatistics(
      lines, optionCounts.size() > 1 ? optionCounts : OptionCountsFromRecords(lines));
  std::vector<std::string> log = {std::string(kLogRule),
                                  "Question statistics of test " + testNumber + ": " +
                                      std::to_string(stats.attempts) + " attempts, " +
                                      std::to_string(stats.skipped) + " left out"};
  for (const auto& q : stats.questions) {
    std::string line = "Q" + std::to_string(q.question) + " facility " + Fixed(q.facility, 2) +
                       " discrimination " + Fixed(q.discrimination, 2);
    if (q.tooEasy) line += " too easy";
    if (q.tooHard) line += " too hard";
    if (q.negativeDiscrimination) line += " negative discrimination";
    log.push_back(line);
  }
  if (!std::filesystem::exists(folder.Native("css\\results.css"))) {
    std::filesystem::create_directories(folder.Native("css"));
    WriteFileAtomically(folder.Native("css\\results.css"), ResultsStyleSheet());
  }
  const std::string page = "stats_" + testNumber + ".htm";
  WriteFileAtomically(folder.Native(page), StatsPage(stats, testName));
  log.push_back(folder.Shown(page));
  return log;
}

}  // namespace examora
