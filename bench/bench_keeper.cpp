// Confirm to durable answer through the record keeper: the program's request crosses the pipe to
// a real keeper process, which marks the answer, journals it (fsync) and replies.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "app/students.h"
#include "common/clock.h"
#include "crypto/enciphered_text.h"
#include "platform/files.h"
#include "results/keeper_protocol.h"
#include "testfile/access_code.h"

namespace examora {
namespace {

constexpr int kQuestions = 500;

// A test of multiple-choice questions, all of them asked: one answer per iteration.
std::string ChoiceTest() {
  std::vector<std::string> lines = {"10998", "Keep", "Keep", "False", "50", "500",
                                    "1",     "500",  "",     "d",     "v"};
  std::vector<std::string> blocks;
  for (int q = 1; q <= kQuestions; ++q) {
    lines[8] += '2';
    blocks.insert(blocks.end(), {"Which " + std::to_string(q) + "?", "", "Right", "Wrong"});
  }
  lines.insert(lines.end(), blocks.begin(), blocks.end());
  std::string bytes;
  for (std::string line : lines) bytes += EncryptText(line) + "\r\n";
  return bytes;
}

void ConfirmThroughTheKeeper(benchmark::State& state) {
  char pattern[] = "/tmp/examora-bench-XXXXXX";
  const std::filesystem::path dir = ::mkdtemp(pattern);
  const auto folder = dir / "res";
  std::filesystem::create_directories(folder / "subject_files");
  std::filesystem::create_directories(folder / kTrustedFolder);
  WriteStudentsCrypt(folder / "std_crypt.eqb",
                     {folder.string(), {{"012345678", "ab1Z", "Mary", "Smith"}}});
  WriteFileAtomically(folder / "journal.key", std::string(64, 'b') + "\n");
  const std::string test = ChoiceTest();
  WriteFileAtomically(folder / kTrustedFolder / (TestFingerprint(test) + ".eqb"), test);
  WriteFileAtomically(dir / "keeper.conf", "folder = " + folder.string() + "\n");
  ::setenv("EXAMORA_KEEPER_CONFIG", (dir / "keeper.conf").c_str(), 1);
  {
    KeeperClient keeper(EXAMORA_KEEPER);
    keeper.SignIn("012345678", "ab1Z");
    SystemClock clock;
    keeper.Open(test, std::to_string(MakeAccessCode(clock)));
    std::vector<std::string> inputs(23);
    inputs[1] = "4", inputs[2] = "-1", inputs[3] = "1", inputs[4] = std::string(78, '0');
    int position = 0;
    for (auto _ : state) {
      const AnswerVerdict verdict = keeper.Answer({++position, 0, false, inputs});
      benchmark::DoNotOptimize(verdict);
    }
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(ConfirmThroughTheKeeper)->Iterations(kQuestions - 1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace examora

BENCHMARK_MAIN();
