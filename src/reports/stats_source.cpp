#include "reports/stats_source.h"

#include <algorithm>
#include <map>

#include "common/error.h"
#include "common/numtext.h"
#include "common/text.h"
#include "reports/master_record.h"
#include "results/resume.h"
#include "results/sitting_service.h"

namespace examora {
namespace {

// A journal is small (the sitting service reads it with the same bound); a subject file holds
// at most 2000 students' 999 records of a few hundred bytes.
constexpr std::size_t kMaxJournalBytes = std::size_t{4} << 20;
constexpr std::size_t kMaxTestBytes = std::size_t{16} << 20;
constexpr std::size_t kMaxSubjectBytes = std::size_t{512} << 20;
// Problems listed one by one before the rest are only counted.
constexpr std::size_t kMaxListed = 50;

int AskedCount(const TestBank& bank) {
  return std::clamp(bank.header.QuestionsToAsk, 0, bank.header.QuestionsInFile);
}

bool AsksWholeBank(const TestBank& bank) {
  return bank.header.QuestionsInFile > 0 && AskedCount(bank) == bank.header.QuestionsInFile;
}

bool IsCode(char c) {
  return std::string_view("YUVXZ").find(c) != std::string_view::npos || (c >= 'A' && c <= 'F');
}

void Note(StatsInput& input, const std::string& problem) {
  ++input.leftOut;
  if (input.problems.size() < kMaxListed) {
    input.problems.push_back(problem);
  } else if (input.problems.size() == kMaxListed) {
    input.problems.push_back("(further problems are only counted)");
  }
}

// "<student>_<test>journal.txt" or a kept "<student>_<test>journal-<start>-<random>.txt".
bool IsJournalOf(const std::string& name, int testNumber) {
  const std::size_t underscore = name.find('_');
  if (underscore == std::string::npos || !name.ends_with(".txt")) return false;
  const std::string tail = std::to_string(testNumber) + "journal";
  return name.compare(underscore + 1, tail.size(), tail) == 0 &&
         (name.size() == underscore + 1 + tail.size() + 4 ||
          name[underscore + 1 + tail.size()] == '-');
}

bool FiveDigits(const std::string& number) {
  return number.size() == 5 &&
         std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::optional<AttemptCodes> PlaceRecord(const std::string& record, const TestBank& bank,
                                        const std::vector<int>& order, std::string& problem) {
  const auto fields = RecordFields(Trim(record));
  const int n = bank.header.QuestionsInFile, asked = AskedCount(bank);
  if (fields.size() != 8 || order.size() != static_cast<std::size_t>(n) + 1) {
    problem = "is not a whole record";
    return std::nullopt;
  }
  const std::string codes = Trim(fields[6]);
  if (codes.size() != static_cast<std::size_t>(asked)) {
    problem = "holds " + std::to_string(codes.size()) + " codes where the test asks " +
              std::to_string(asked);
    return std::nullopt;
  }
  if (!std::all_of(codes.begin(), codes.end(), IsCode)) {
    problem = "holds a code that no marking gives";
    return std::nullopt;
  }
  const double score = Trim(fields[4]).empty() ? 0 : LeadingNumber(fields[4]);
  if (!(score >= 0 && score <= 100)) {
    problem = "holds a score outside 0 to 100";
    return std::nullopt;
  }
  std::vector<int> position(order.size(), 0);
  for (std::size_t i = 1; i < order.size(); ++i) {
    if (order[i] >= 1 && order[i] <= n) position[static_cast<std::size_t>(order[i])] = int(i);
  }
  AttemptCodes placed{score, std::string(static_cast<std::size_t>(n), kNotAsked)};
  std::size_t next = 0;
  for (int q = 1; q <= n; ++q) {
    const int at = position[static_cast<std::size_t>(q)];
    if (at >= 1 && at <= asked) placed.codes[static_cast<std::size_t>(q) - 1] = codes[next++];
  }
  return placed;
}

StatsInput JournalAttempts(const ResultsFolder& folder, const JournalKey& key, const TestBank& bank,
                           const std::string& fingerprint) {
  const int testNumber = static_cast<int>(LeadingNumber(bank.testNumber));
  StatsInput input;
  auto names = folder.List(kJournalsFolder);
  std::sort(names.begin(), names.end());
  int ended = 0, running = 0;
  for (const auto& name : names) {
    if (!IsJournalOf(name, testNumber)) continue;
    const std::string shown = std::string(kJournalsFolder) + "/" + name;
    JournalContent content;
    try {
      const auto text = folder.Read(shown, kMaxJournalBytes);
      if (!text) continue;
      content = ParseJournal(*text, folder.Read(shown + ".head", 4096), key, shown);
    } catch (const Error& e) {
      Note(input, e.what());
      continue;
    }
    if (content.identity.testNumber != testNumber) continue;
    if (!content.finished) {
      ++running;
      continue;
    }
    if (content.identity.bankFingerprint != fingerprint) {
      Note(input, shown + " is a sitting of another version of the test");
      continue;
    }
    std::string problem = "ended without its record";
    const auto placed =
        content.record.empty()
            ? std::nullopt
            : PlaceRecord(content.record, bank, SeededQuestionOrder(bank, content.identity.seed),
                          problem);
    if (!placed) {
      Note(input, shown + ": the record " + problem);
      continue;
    }
    input.attempts.push_back(*placed);
    ++ended;
  }
  input.source = "the sitting journals in " + std::string(kJournalsFolder) + "/ (" +
                 std::to_string(ended) + " ended sittings of this version of the test";
  if (running > 0) input.source += "; " + std::to_string(running) + " not ended, not counted";
  input.source += ")";
  return input;
}

StatsInput RecordAttempts(const std::string& subjectText, const TestBank& bank,
                          const std::string& shown) {
  StatsInput input;
  std::vector<int> order(static_cast<std::size_t>(std::max(bank.header.QuestionsInFile, 0)) + 1);
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  const std::string number = std::to_string(static_cast<int>(LeadingNumber(bank.testNumber)));
  int line = 0;
  for (const auto& record : ResultFileLines(subjectText)) {
    ++line;
    if (Trim(record).empty()) continue;
    std::string problem = "is of another test";
    const auto fields = RecordFields(Trim(record));
    const auto placed = !fields.empty() && Trim(fields[0]) == number
                            ? PlaceRecord(record, bank, order, problem)
                            : std::nullopt;
    if (!placed) {
      Note(input, shown + " line " + std::to_string(line) + " " + problem);
      continue;
    }
    input.attempts.push_back(*placed);
  }
  input.source = "the records of " + shown + " (the test asks its whole bank, so each code " +
                 "stands at its question's place)";
  return input;
}

namespace {

struct ChosenTest {
  TestBank bank;
  std::string fingerprint;
};

ChosenTest TestOf(const std::string& bytes, const std::string& what) {
  ChosenTest chosen{LoadTestText(bytes, what), ""};
  try {
    chosen.fingerprint = "sha256:" + TestFingerprint(bytes);
  } catch (const Error& e) {
    throw FormatError(e.what());
  }
  return chosen;
}

// The copies of the test the sitting service trusted (or kept to complete sittings with).
std::vector<ChosenTest> TrustedCopies(const ResultsFolder& folder, int testNumber) {
  std::vector<ChosenTest> copies;
  auto names = folder.List(kTrustedFolder);
  std::sort(names.begin(), names.end());
  for (const auto& name : names) {
    try {
      const auto bytes = folder.Read(std::string(kTrustedFolder) + "/" + name, kMaxTestBytes);
      if (!bytes) continue;
      ChosenTest copy = TestOf(*bytes, name);
      if (static_cast<int>(LeadingNumber(copy.bank.testNumber)) == testNumber) {
        copies.push_back(std::move(copy));
      }
    } catch (const Error&) {
      // Not a test of this number that can be read: not a candidate.
    }
  }
  return copies;
}

TestStats Finish(const StatsInput& input, const TestBank& bank, const std::string& number) {
  TestStats stats = QuestionStatistics(input.attempts, OptionCountsOf(bank.QLineCount));
  stats.testNumber = number;
  stats.source = input.source;
  stats.problems = input.problems;
  stats.skipped += input.leftOut;
  return stats;
}

}  // namespace

TestStats TestStatistics(const ResultsFolder& folder, const StatsRequest& request) {
  if (!FiveDigits(request.testNumber)) {
    throw FormatError("\"" + request.testNumber + "\" is not a five-digit test number");
  }
  const int number = static_cast<int>(LeadingNumber(request.testNumber));
  std::vector<ChosenTest> tests;
  if (request.testBytes) {
    tests.push_back(TestOf(*request.testBytes, "the test"));
    if (static_cast<int>(LeadingNumber(tests[0].bank.testNumber)) != number) {
      throw FormatError("The test file is test " + Trim(tests[0].bank.testNumber) + ", not " +
                        request.testNumber);
    }
  } else {
    tests = TrustedCopies(folder, number);
    if (tests.empty()) {
      throw FormatError("Test " + request.testNumber + " has no copy in " + kTrustedFolder +
                        "/: choose its test file");
    }
  }
  // Of several trusted versions, the one most sittings were of.
  StatsInput best;
  std::size_t chosen = 0;
  for (std::size_t i = 0; request.key && i < tests.size(); ++i) {
    StatsInput input = JournalAttempts(folder, *request.key, tests[i].bank, tests[i].fingerprint);
    if (i == 0 || input.attempts.size() > best.attempts.size()) {
      best = std::move(input);
      chosen = i;
    }
  }
  const TestBank& bank = tests[chosen].bank;
  if (!best.attempts.empty()) return Finish(best, bank, request.testNumber);
  if (!request.key) best.problems.push_back(request.keyProblem);
  if (!AsksWholeBank(bank)) {
    if (!request.key) throw FormatError(request.keyProblem);
    best.source += "; the records cannot place the codes of a test that asks " +
                   std::to_string(AskedCount(bank)) + " of its " +
                   std::to_string(bank.header.QuestionsInFile) + " questions";
    return Finish(best, bank, request.testNumber);
  }
  const std::string shown = "subject_files/" + request.testNumber + ".txt";
  StatsInput records =
      RecordAttempts(folder.Read(shown, kMaxSubjectBytes).value_or(""), bank, shown);
  if (request.key) records.source += ", as no journal of it could be used";
  records.problems.insert(records.problems.begin(), best.problems.begin(), best.problems.end());
  records.leftOut += best.leftOut;
  return Finish(records, bank, request.testNumber);
}

}  // namespace examora
