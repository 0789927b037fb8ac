// examora-cli: the core's command-line face for teachers and scripts.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace examora {

/// Runs one command; `args` excludes the program name. Returns the exit code: 0 done,
/// 1 failed (a file or content problem, said on `err`), 2 usage error.
int RunCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
           std::ostream& err);

}  // namespace examora
