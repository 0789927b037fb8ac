// A sitting journal whose content is hostile but whose seals hold: random bytes never get past
// the first seal, so the input's lines are taken as the entries' payloads (tab-separated
// fields, as the writer joins them) and sealed here with a fixed key exactly as the writer
// seals them, with a matching head file. The reader then meets the parsing behind the seals.
// The first byte varies the file around the entries: no head file (bit 0), a last entry cut
// off (bit 1), a head counting one more, as many, one or two fewer (bits 2-3). "@fp" in a line
// stands for the fingerprint of the test the resume check is given, so that resumable sittings
// are reached too; an ended sitting's record is then placed on a bank as the question
// statistics place it. Refusals are fine; crashes, sanitizer reports and contradictions are not.
#include <sodium.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/error.h"
#include "fuzz_temp_folder.h"
#include "reports/stats_source.h"
#include "results/journal.h"
#include "results/resume.h"

namespace {

constexpr const char* kStudent = "123456789";
constexpr int kTest = 10101;

// The writer's seal: the keyed BLAKE2b hash of the text, in lower-case hexadecimal.
std::string Seal(const examora::JournalKey& key, const std::string& text) {
  unsigned char out[32];
  crypto_generichash(out, sizeof out, reinterpret_cast<const unsigned char*>(text.data()),
                     text.size(), key.data(), key.size());
  char hex[sizeof out * 2 + 1];
  sodium_bin2hex(hex, sizeof hex, out, sizeof out);
  return hex;
}

std::string WithFingerprint(std::string line, const std::string& fingerprint) {
  for (std::size_t at; (at = line.find("@fp")) != std::string::npos;) {
    line.replace(at, 3, fingerprint);
  }
  return line;
}

// The head file as the writer leaves it after `count` entries.
std::string HeadText(const examora::JournalKey& key, std::size_t count,
                     const std::vector<std::string>& seals) {
  const std::string last =
      count == 0 || seals.empty() ? "" : seals[std::min(count, seals.size()) - 1];
  const std::string payload = "H\t" + std::to_string(count) + "\t" + last;
  return payload + "\t" + Seal(key, "head\n" + payload) + "\r\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 8192) return 0;
  if (sodium_init() < 0) std::abort();
  examora::JournalKey key;
  key.fill(0x5a);
  static const std::string fingerprint = "sha256:" + std::string(64, 'f');

  std::string journal, previous;
  std::vector<std::string> seals;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  for (const auto& line : examora_fuzz::LfLines(text)) {
    const std::string payload = WithFingerprint(line, fingerprint);
    previous = Seal(key, previous + "\n" + payload);
    journal += payload + "\t" + previous + "\r\n";
    seals.push_back(previous);
  }
  const bool cutOff = (data[0] & 2) != 0;
  if (cutOff) journal += "A\t9\t0\tI\tcut";

  examora_fuzz::TempFolder temp;
  const auto path = examora::JournalPath(temp.Path(), kStudent, kTest);
  examora_fuzz::WriteFile(path, journal);
  if ((data[0] & 1) == 0) {
    const int fewer = ((data[0] >> 2) & 3) - 1;
    const auto count = static_cast<std::size_t>(
        std::max<long long>(0, static_cast<long long>(seals.size()) - fewer));
    examora_fuzz::WriteFile(std::filesystem::path(path) += ".head", HeadText(key, count, seals));
  }

  try {
    const examora::JournalContent content = examora::ReadJournal(path, key);
    // What verified must be every sealed entry, and the cut-off one noted.
    if (content.entries != static_cast<int>(seals.size()) || content.note.empty() == cutOff) {
      std::abort();
    }
    // The statistics place an ended sitting's record on a bank of five asking three: what is
    // placed must hold exactly the asked questions' codes.
    if (content.finished) {
      examora::TestBank bank;
      bank.testNumber = "10101";
      bank.header.QuestionsInFile = 5;
      bank.header.QuestionsToAsk = 3;
      bank.QLineCount = {0, 4, 1, 1, 4, 1};
      std::string problem;
      const auto placed = examora::PlaceRecord(
          content.record, bank, examora::SeededQuestionOrder(bank, content.identity.seed), problem);
      if (placed &&
          (placed->codes.size() != 5 ||
           std::count(placed->codes.begin(), placed->codes.end(), examora::kNotAsked) != 2)) {
        std::abort();
      }
      if (!placed && problem.empty()) std::abort();
    }
  } catch (const examora::Error&) {
  }
  return 0;
}
