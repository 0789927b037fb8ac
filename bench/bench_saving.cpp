// Confirm-to-disk: what one confirmed answer costs before it is safe (the backup replaced and
// the journal entry appended, each flushed to disk), and what the end-of-test save costs (three
// locked, flushed appends). The goal for both is well under 50 ms.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <filesystem>

#include "results/journal.h"
#include "results/saving.h"

namespace {

namespace fs = std::filesystem;
using namespace examora;

struct Folder {
  fs::path path = fs::temp_directory_path() / ("examora-bench-" + std::to_string(::getpid()));
  Folder() { fs::create_directories(path / "subject_files"); }
  ~Folder() { fs::remove_all(path); }
};

ModuleExamora Module(const fs::path& folder) {
  ModuleExamora m;
  m.StudentFilesFolder = folder.string() + "/";
  m.Students.rows = {{"012345678", "pass", "Mary", "Smith"}};
  m.StudentIndex = 1;
  m.StudentId = "Mary Smith";
  m.TestNumber = 10101;
  m.Bank.header.QuestionsToAsk = 12;
  m.Prepared.OrderPosition = {0, 3, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12};
  return m;
}

void ConfirmAnswerToDisk(benchmark::State& state) {
  Folder folder;
  const ModuleExamora m = Module(folder.path);
  DiskResultsFileSystem files;
  const PathMapper paths("C:\\", "/", {}, "/");
  const JournalKey key = LoadOrCreateJournalKey(folder.path / "key");
  SittingJournal journal(files, folder.path / "journal.txt", key,
                         SittingIdentity{"012345678", 10101, "Beams", "f", 1, 0, 1080});
  std::string last;
  const std::vector<std::string> inputs(23, "x");
  int answer = 0;
  for (auto _ : state) {
    std::string codes(12, 'Z');
    codes[static_cast<std::size_t>(answer % 12)] = 'Y';
    const LocalDateTime now{2026, 12, 8, 10, answer % 60, 0};
    Backup(m, RecordFields(m, 50, codes, now), last, files, paths);
    journal.Append({answer % 12 + 1, 600, false, inputs});
    ++answer;
  }
}
BENCHMARK(ConfirmAnswerToDisk)->Unit(benchmark::kMillisecond);

void SaveResultsToDisk(benchmark::State& state) {
  Folder folder;
  const ModuleExamora m = Module(folder.path);
  DiskResultsFileSystem files;
  ScriptedPrompter prompter;
  const PathMapper paths("C:\\", "/", {}, "/");
  SaveSeams seams{files, prompter, paths, {}, {}};
  const ResultsFields fields = RecordFields(m, 75, "YYYXYYYUYYYV", {2026, 12, 8, 10, 30, 0});
  for (auto _ : state) {
    if (!WriteResults(m, fields, seams).Complete()) state.SkipWithError("save failed");
  }
}
BENCHMARK(SaveResultsToDisk)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
