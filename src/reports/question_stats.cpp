#include "reports/question_stats.h"

#include <algorithm>
#include <array>
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

// The mark of each code letter for one question, worked out once per letter seen.
class MarkTable {
 public:
  explicit MarkTable(int optionCount) : optionCount_(optionCount) { known_.fill(false); }
  double operator()(char code) {
    const auto i = static_cast<unsigned char>(code);
    if (!known_[i]) {
      marks_[i] = WeightOf(std::string(1, code), optionCount_).mark;
      known_[i] = true;
    }
    return marks_[i];
  }

 private:
  int optionCount_;
  std::array<double, 256> marks_{};
  std::array<bool, 256> known_{};
};

double Mean(const std::vector<double>& marks, std::size_t from, std::size_t to) {
  double sum = 0;
  for (std::size_t i = from; i < to; ++i) sum += marks[i];
  return to > from ? sum / static_cast<double>(to - from) : 0;
}

// `marks` in order of score, best first.
void Summarise(QuestionStats& s, const std::vector<double>& marks) {
  const std::size_t total = marks.size();
  s.asked = static_cast<int>(total);
  if (total == 0) return;
  s.facility = Mean(marks, 0, total);
  if (total >= 2) {
    const std::size_t group = std::max<std::size_t>(
        1,
        static_cast<std::size_t>(RoundHalfEven(static_cast<double>(total) * kDiscriminationShare)));
    s.discrimination = Mean(marks, 0, group) - Mean(marks, total - group, total);
  }
  s.tooEasy = s.facility >= kTooEasyFacility;
  s.tooHard = s.facility <= kTooHardFacility;
  s.negativeDiscrimination = s.discrimination < 0;
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

TestStats QuestionStatistics(const std::vector<AttemptCodes>& attempts,
                             const std::vector<int>& optionCounts) {
  TestStats stats;
  const std::size_t n = optionCounts.empty() ? 0 : optionCounts.size() - 1;
  std::vector<const AttemptCodes*> counted;
  for (const auto& a : attempts) {
    if (a.codes.size() == n && n > 0) {
      counted.push_back(&a);
    } else {
      ++stats.skipped;
    }
  }
  stats.attempts = static_cast<int>(counted.size());
  // Ranked by score, best first; equal scores keep their order so the groups are reproducible.
  std::stable_sort(
      counted.begin(), counted.end(),
      [](const AttemptCodes* a, const AttemptCodes* b) { return a->score > b->score; });
  stats.questions.resize(n);
  std::vector<double> marks;
  marks.reserve(counted.size());
  for (std::size_t q = 0; q < n; ++q) {
    QuestionStats& s = stats.questions[q];
    s.question = static_cast<int>(q) + 1;
    MarkTable mark(optionCounts[q + 1]);
    marks.clear();
    for (const AttemptCodes* a : counted) {
      const char code = a->codes[q];
      if (code == kNotAsked) continue;
      ++s.codes[code];
      marks.push_back(mark(code));
    }
    Summarise(s, marks);
  }
  return stats;
}

std::vector<StatsRow> StatsRows(const TestStats& stats) {
  std::vector<StatsRow> rows;
  for (const auto& q : stats.questions) {
    StatsRow row{std::to_string(q.question),
                 std::to_string(q.asked),
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

namespace {

// The page's account of what was counted: the source, then whatever was left out.
std::string SourceNote(const TestStats& stats) {
  std::string note =
      "<p class=\"note\" id=\"source\">Source: " + Escape(Cp1252ToUtf8(stats.source)) +
      ". Sittings counted: " + std::to_string(stats.attempts) +
      "; left out: " + std::to_string(stats.skipped) +
      ". Facility is the mean mark of the sittings that asked the question; "
      "discrimination compares the upper and lower 27 % of them by "
      "score.</p>\r\n";
  if (stats.problems.empty()) return note;
  note += "<ul class=\"problems\">\r\n";
  for (const auto& problem : stats.problems) {
    note += "<li>" + Escape(Cp1252ToUtf8(problem)) + "</li>\r\n";
  }
  return note + "</ul>\r\n";
}

}  // namespace

std::string StatsPage(const TestStats& stats, const std::string& testName) {
  const std::string title =
      "Question statistics: " + stats.testNumber + " " + Cp1252ToUtf8(testName);
  std::string rows;
  for (const auto& r : StatsRows(stats)) {
    rows += "<tr><th scope=\"row\">" + r.question + "</th><td>" + r.asked + "</td><td>" +
            r.facility + "</td><td class=\"bar\"><span style=\"width:" + std::to_string(r.bar) +
            "px\"></span></td><td>" + r.discrimination + "</td><td>" + Escape(r.codes) +
            "</td><td class=\"flags\">" + r.flags + "</td></tr>\r\n";
  }
  const std::string html = Escape(title);
  return "<!DOCTYPE html>\r\n<html lang=\"en\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\r\n<title>" +
         html + "</title>\r\n<link rel=\"stylesheet\" href=\"css/results.css\">\r\n</head>\r\n" +
         "<body>\r\n<h1>" + html + "</h1>\r\n" + SourceNote(stats) +
         "<div class=\"scroll\">\r\n<table id=\"stats\">\r\n<thead>\r\n<tr>"
         "<th scope=\"col\">Question</th><th scope=\"col\">Asked</th><th scope=\"col\">"
         "Facility</th><th scope=\"col\">Chart</th><th scope=\"col\">Discrimination</th>"
         "<th scope=\"col\">Codes and options picked</th><th "
         "scope=\"col\">Flags</th></tr>\r\n</thead>\r\n<tbody>\r\n" +
         rows + "</tbody>\r\n</table>\r\n</div>\r\n</body>\r\n</html>\r\n";
}

std::vector<int> OptionCountsOf(const std::vector<int>& QLineCount) {
  std::vector<int> counts = QLineCount;
  if (counts.empty()) counts.push_back(0);
  return counts;
}

std::vector<std::string> WriteStatsPage(const ResultFolder& folder, const TestStats& stats,
                                        const std::string& testName) {
  // The number names a file: only a five-digit one may, so no other path can be reached.
  const std::string& number = stats.testNumber;
  if (number.size() != 5 ||
      !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    throw FormatError("\"" + number + "\" is not a five-digit test number");
  }
  std::vector<std::string> log = {std::string(kLogRule),
                                  "Question statistics of test " + number + ": " +
                                      std::to_string(stats.attempts) + " sittings, " +
                                      std::to_string(stats.skipped) + " left out",
                                  "Source: " + stats.source};
  log.insert(log.end(), stats.problems.begin(), stats.problems.end());
  for (const auto& q : stats.questions) {
    std::string line = "Q" + std::to_string(q.question) + " asked " + std::to_string(q.asked) +
                       " facility " + Fixed(q.facility, 2) + " discrimination " +
                       Fixed(q.discrimination, 2);
    if (q.tooEasy) line += " too easy";
    if (q.tooHard) line += " too hard";
    if (q.negativeDiscrimination) line += " negative discrimination";
    log.push_back(line);
  }
  if (!std::filesystem::exists(folder.Native("css\\results.css"))) {
    std::filesystem::create_directories(folder.Native("css"));
    WriteFileAtomically(folder.Native("css\\results.css"), ResultsStyleSheet());
  }
  const std::string page = "stats_" + number + ".htm";
  WriteFileAtomically(folder.Native(page), StatsPage(stats, testName));
  log.push_back(folder.Shown(page));
  return log;
}

}  // namespace examora
