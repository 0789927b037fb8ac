// The result file processor at the size of a big year: 2000 students with 50 records each
// (100 000 records over 40 tests) rebuilt into the master file, split into subject files,
// re-sorted by date and time and reported (as `examora-cli results all` runs them), at half and
// double the size to show the growth; and question statistics of 10 000 sittings.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files.h"
#include "reports/question_stats.h"
#include "reports/reports.h"
#include "reports/result_processor.h"
#include "reports/stats_source.h"
#include "results/resume.h"

namespace {

namespace fs = std::filesystem;
using namespace examora;

constexpr int kStudents = 2000, kRecords = 50, kTests = 40, kQuestions = 50;

std::string Two(int n) {
  return std::string(n < 10 ? "0" : "") + std::to_string(n);
}

std::string Codes(unsigned seed) {
  static const char kLetters[] = "YYYYXUVABZ";
  std::string codes;
  for (int q = 0; q < kQuestions; ++q) codes += kLetters[(seed >> (q % 24)) % 10];
  return codes;
}

std::string Record(int test, int student, unsigned seed) {
  return std::to_string(10100 + test) + "," + std::to_string(100000000 + student) + "," +
         Two(1 + seed % 28) + "/" + Two(1 + seed % 12) + "/2010," + Two(seed % 24) + ":" +
         Two(seed % 60) + "," + std::to_string(seed % 101) + ",50," + Codes(seed) + ",Ann Lee" +
         std::to_string(student) + ",";
}

// Written plainly, without the program's careful writer: only the steps are measured.
void Put(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

struct YearFolder {
  fs::path path;
  std::vector<StudentRow> students;
  std::vector<TestIdEntry> tests;

  explicit YearFolder(int studentCount = kStudents, int records = kRecords)
      : path(fs::temp_directory_path() /
             ("examora-bench-" + std::to_string(::getpid()) + "-" + std::to_string(studentCount) +
              "x" + std::to_string(records))) {
    fs::create_directories(path);
    std::string list;
    for (int t = 0; t < kTests; ++t) {
      tests.push_back({std::to_string(10100 + t), "Test " + std::to_string(t)});
      list += tests.back().number + " " + tests.back().name + "\r\n";
    }
    Put(path / "testlist.txt", list);
    unsigned seed = 12345;
    for (int s = 0; s < studentCount; ++s) {
      students.push_back({std::to_string(100000000 + s), "pass", "Ann", "Lee" + std::to_string(s)});
      std::string file;
      for (int r = 0; r < records; ++r) {
        seed = seed * 1103515245u + 12345u;
        file += Record(static_cast<int>(seed % kTests), s, seed >> 8) + "\r\n";
      }
      Put(path / (students.back().number + ".txt"), file);
    }
  }
  ~YearFolder() { fs::remove_all(path); }
};

// Students x records per student; the first run writes every output file afresh.
void BM_RebuildSplitSortReport(benchmark::State& state) {
  const YearFolder year(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const auto numbers = StudentNumbers(year.students);
  for (auto _ : state) {
    ResultProcessor processor(NativeResultFolder(year.path), year.path / "testlist.txt");
    processor.RebuildMaster(numbers);
    processor.BuildTestRecords();
    processor.ByDate(numbers);
    benchmark::DoNotOptimize(SortSN(NativeResultFolder(year.path), year.students, year.tests));
  }
  state.counters["records"] = static_cast<double>(state.range(0) * state.range(1));
}
BENCHMARK(BM_RebuildSplitSortReport)
    ->Args({1000, 50})
    ->Args({2000, 25})
    ->Args({2000, 50})
    ->Args({2000, 100})
    ->Unit(benchmark::kMillisecond);

// The steps one by one, to see where the time goes.
void BM_Step(benchmark::State& state) {
  static const YearFolder year;
  const auto numbers = StudentNumbers(year.students);
  ResultProcessor processor(NativeResultFolder(year.path), year.path / "testlist.txt");
  processor.RebuildMaster(numbers);
  for (auto _ : state) {
    switch (state.range(0)) {
      case 0:
        processor.RebuildMaster(numbers);
        break;
      case 1:
        processor.BuildTestRecords();
        break;
      case 2:
        processor.ByDate(numbers);
        break;
      default:
        SortSN(NativeResultFolder(year.path), year.students, year.tests);
    }
  }
}
BENCHMARK(BM_Step)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// 10 000 ended sittings of a test asking 25 of its 50 questions, each asked in the order its
// seed gives: the records placed on the bank, then the statistics.
void BM_QuestionStatistics10000(benchmark::State& state) {
  TestBank bank;
  bank.testNumber = "10101";
  bank.header.QuestionsInFile = kQuestions;
  bank.header.QuestionsToAsk = kQuestions / 2;
  bank.QLineCount.assign(kQuestions + 1, 4);
  std::vector<std::pair<std::string, std::vector<int>>> sittings;
  unsigned seed = 99;
  for (int i = 0; i < 10000; ++i) {
    seed = seed * 1103515245u + 12345u;
    const std::string record = Record(1, i % kStudents, seed >> 8);
    const std::string codes = Codes(seed >> 8).substr(0, kQuestions / 2);
    sittings.push_back({record.substr(0, record.find(",50,")) + ",25," + codes + ",Ann Lee,",
                        SeededQuestionOrder(bank, seed)});
  }
  for (auto _ : state) {
    std::vector<AttemptCodes> attempts;
    attempts.reserve(sittings.size());
    std::string problem;
    for (const auto& [record, order] : sittings) {
      if (auto placed = PlaceRecord(record, bank, order, problem)) {
        attempts.push_back(std::move(*placed));
      }
    }
    benchmark::DoNotOptimize(QuestionStatistics(attempts, OptionCountsOf(bank.QLineCount)));
  }
}
BENCHMARK(BM_QuestionStatistics10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
