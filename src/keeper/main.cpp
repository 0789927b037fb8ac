// examora-keeper: the record keeper. Installed setgid to the lab's group, it alone can read the
// class list and the journal key and write the results folder; the program (any student's
// account) starts one per sitting and speaks to it on its standard input and output.
#include <cstdlib>
#include <cstring>
#include <string>

#include <csignal>

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/clock.h"
#include "common/error.h"
#include "results/keeper_protocol.h"

// The lab tests build a copy that reads a settings file of their own instead of the system's.
#ifdef EXAMORA_KEEPER_CONFIG_PATH
constexpr const char* kConfig = EXAMORA_KEEPER_CONFIG_PATH;
#else
constexpr const char* kConfig = examora::kKeeperConfig;
#endif

namespace {

// Limits and signal settings come from the student: a file size limit would kill the keeper
// mid-line and tear a record in the shared master file. Soft limits are raised to the hard
// ones; a hard limit on file sizes cannot be raised, so the keeper will not run under one.
// SIGXFSZ is ignored all the same: a write past any limit fails and is taken back.
bool ResetInheritedLimits() {
  for (const int resource : {RLIMIT_FSIZE, RLIMIT_NOFILE, RLIMIT_AS, RLIMIT_DATA, RLIMIT_STACK}) {
    struct rlimit limit {};
    if (::getrlimit(resource, &limit) == 0 && limit.rlim_cur != limit.rlim_max) {
      limit.rlim_cur = limit.rlim_max;
      ::setrlimit(resource, &limit);
    }
  }
  for (int signal = 1; signal < NSIG; ++signal) {
    if (signal != SIGKILL && signal != SIGSTOP) std::signal(signal, SIG_DFL);
  }
  std::signal(SIGXFSZ, SIG_IGN);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  struct rlimit size {};
  return ::getrlimit(RLIMIT_FSIZE, &size) == 0 && size.rlim_cur == RLIM_INFINITY;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace examora;
  // With its group's rights it takes nothing from whoever started it: no options, no
  // environment (time zone and locale come from the system), no core dump to read.
  const bool privileged = ::getegid() != ::getgid() || ::geteuid() != ::getuid();
  std::string config = kConfig;
  if (privileged) {
    // Refused rather than ignored, so no one is led to think their settings were read.
    if (argc != 1) return RefuseToServe(1, "examora-keeper takes no arguments");
    if (!ResetInheritedLimits()) {
      return RefuseToServe(1, "examora-keeper will not run with a limit on file sizes");
    }
    ::clearenv();
    ::setenv("PATH", "/usr/bin:/bin", 1);
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
  } else if (argc == 3 && std::strcmp(argv[1], "--config") == 0) {
    config = argv[2];  // a teacher's own computer or the tests: no rights to protect
  } else if (const char* file = std::getenv("EXAMORA_KEEPER_CONFIG"); file && argc == 1) {
    config = file;
  } else if (argc != 1) {
    return RefuseToServe(1, "examora-keeper takes no arguments (or --config FILE when not setgid)");
  }
  ::umask(007);
  try {
    const RecordsSetup setup = ReadKeeperConfig(config);
    SystemClock clock;
    SittingService service(setup, clock);
    return ServeKeeper(service, 0, 1);
  } catch (const std::exception& e) {
    return RefuseToServe(1, e.what());
  }
}
