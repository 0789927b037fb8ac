// examora-cli admin set-password: stores the administrator password's hash in the deployment
// file, reading the password twice from standard input (a terminal or a pipe).
#include <iostream>

#include "app/admin_password.h"
#include "app/settings.h"
#include "cli/cli_common.h"
#include "common/error.h"
#include "platform/environment.h"

namespace examora::cli {
namespace {

std::string ReadPasswordLine(std::istream& in, std::ostream& err, const char* prompt) {
  err << prompt << std::flush;
  std::string line;
  if (!std::getline(in, line)) throw FormatError("No password was given on standard input");
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

}  // namespace

int AdminCommand(const CommandArgs& args, std::istream& in, std::ostream& out, std::ostream& err) {
  if (args.size() < 2 || args[1] != "set-password") {
    throw UsageError("admin takes \"set-password\"");
  }
  CommandArgs rest(args.begin() + 1, args.end());
  rest[0] = "admin set-password";
  const Arguments parsed = ParseArguments(rest, {"--file"}, 0);
  std::vector<std::string> none;
  const std::filesystem::path file = parsed.Option("--file").value_or(
      LoadDeploymentSettings(none, SystemEnvironment()).adminPasswordFile.string());
  const std::string first = ReadPasswordLine(in, err, "Administrator password (8 characters): ");
  const std::string second = ReadPasswordLine(in, err, "The same again: ");
  if (first != second) throw FormatError("The two passwords differ; nothing was changed");
  WriteAdminPasswordFile(file, HashAdminPassword(first));
  out << "Administrator password set in " << file.string() << '\n';
  return 0;
}

}  // namespace examora::cli
