// Requests to the record keeper as a hostile student sends them: the input is the whole stream
// on the keeper's standard input (lines, escapes, counted test bytes), served by the keeper's
// own loop over a fresh results folder with a class list, a key and a trusted test.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/students.h"
#include "common/clock.h"
#include "crypto/enciphered_text.h"
#include "fuzz_temp_folder.h"
#include "results/keeper_protocol.h"

namespace {

// A small trusted test, the same every run.
std::string TestBytes() {
  std::vector<std::string> lines = {"10170", "Sit",        "Sit", "False", "50",     "2", "1",
                                    "2",     "22",         "d",   "v",     "Which?", "",  "Right",
                                    "Wrong", "Which too?", "",    "Yes",   "No"};
  std::string bytes;
  for (std::string line : lines) bytes += examora::EncryptText(line) + "\r\n";
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The pipe holds the whole input, so writing it never waits for the keeper.
  if (size > 60000) return 0;
  examora_fuzz::TempFolder temp;
  const auto folder = temp.Path() / "res";
  examora_fuzz::WriteFile(folder / "subject_files" / ".keep", "");
  examora::WriteStudentsCrypt(folder / "std_crypt.eqb",
                              {folder.string(), {{"012345678", "ab1Z", "Mary", "Smith"}}});
  examora_fuzz::WriteFile(folder / "journal.key", std::string(64, 'c') + "\n");
  static const std::string test = TestBytes();
  examora_fuzz::WriteFile(
      folder / examora::kTrustedFolder / (examora::TestFingerprint(test) + ".eqb"), test);
  examora::RecordsSetup setup;
  setup.folder = folder;
  setup.studentsFile = folder / "std_crypt.eqb";
  setup.keyFile = folder / "journal.key";
  setup.adminPasswordFile = folder / "admin.hash";
  examora::ManualClock clock{{2026, 12, 9, 10, 0, 0}};
  examora::SittingService service(setup, clock);
  service.sleep = [](std::chrono::milliseconds) {};
  int in[2];
  if (::pipe(in) != 0) std::abort();
  ::fcntl(in[1], F_SETPIPE_SZ, 65536);
  if (::write(in[1], data, size) != static_cast<ssize_t>(size)) std::abort();
  ::close(in[1]);
  const int out = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  examora::ServeKeeper(service, in[0], out);
  ::close(in[0]);
  ::close(out);
  return 0;
}
