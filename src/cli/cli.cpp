#include "cli/cli.h"

#include <filesystem>
#include <functional>
#include <iostream>
#include <map>

#include "cli/cli_common.h"
#include "common/error.h"

namespace examora {
namespace {

using namespace examora::cli;

constexpr const char* kUsage =
    "Usage: examora-cli COMMAND [ARGUMENTS]\n"
    "Commands:\n"
    "  encrypt-text [--key HEX]       encipher each line of standard input\n"
    "  decrypt-text [--key HEX]       decipher each line of standard input\n"
    "  encrypt FILE [-o OUT] [--key HEX]\n"
    "                                 encipher every line of FILE (default OUT: FILE.eqb)\n"
    "  decrypt FILE [--key HEX]       print every line of an enciphered FILE deciphered\n"
    "  eval [--x X] [--check] EXPR    evaluate an expression\n"
    "  formula FORMULA                work out a formula (calls, check, evaluation)\n"
    "  sigfig VALUE FIGURES           round VALUE to FIGURES significant figures\n"
    "  convert STUDENTKEY QUESTIONKEY SOLUTION\n"
    "                                 re-express a solution in the student's unit\n"
    "  units                          list the units catalogue\n"
    "  author SOURCE.txt [--questions N] [--minutes M] [-o OUT]\n"
    "                                 convert a plain question bank into an enciphered test\n"
    "  show FILE                      print a test's header and question blocks\n"
    "  check FILE [--sittings N] [--seed S]\n"
    "                                 prepare N sittings and report broken questions\n"
    "  sit FILE [--seed S] [--exam] [--answers ANSWERS]\n"
    "                                 prepare one sitting; answer it from ANSWERS (a dry run)\n"
    "  students encrypt PLAIN --folder DIR [-o OUT]\n"
    "                                 encipher a plain class list (default OUT: std_crypt.eqb)\n"
    "  students show FILE             print an enciphered class list, one student a line\n"
    "  results rebuild|split|sort|reports --folder DIR [--students FILE] [--testlist FILE]\n"
    "  results stats TESTNUMBER --folder DIR [--test FILE] [--testlist FILE]\n"
    "                                 the result file processor's steps on a results folder\n"
    "  admin set-password [--file FILE]\n"
    "                                 store the administrator password's hash (asked twice)\n";

using Command = std::function<int(const CommandArgs&, std::istream&, std::ostream&, std::ostream&)>;

const std::map<std::string, Command>& Commands() {
  static const std::map<std::string, Command> commands = {
      {"encrypt-text", EncryptTextCommand},
      {"decrypt-text", DecryptTextCommand},
      {"encrypt", EncryptCommand},
      {"decrypt", DecryptCommand},
      {"eval", EvalCommand},
      {"formula", FormulaCommand},
      {"sigfig", SigfigCommand},
      {"convert", ConvertCommand},
      {"units", UnitsCommand},
      {"author", AuthorCommand},
      {"show", ShowCommand},
      {"check", CheckCommand},
      {"sit", SitCommand},
      {"students", StudentsCommand},
      {"results", ResultsCommand},
      {"admin", AdminCommand},
  };
  return commands;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
           std::ostream& err) {
  if (args.empty()) {
    err << kUsage;
    return 2;
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    out << kUsage;
    return 0;
  }
  const auto it = Commands().find(args[0]);
  if (it == Commands().end()) {
    err << "examora-cli: unknown command \"" << args[0] << "\"\n" << kUsage;
    return 2;
  }
  try {
    return it->second(args, in, out, err);
  } catch (const UsageError& e) {
    err << "examora-cli: " << e.what() << '\n' << kUsage;
    return 2;
  } catch (const Error& e) {
    err << "examora-cli: " << e.what() << '\n';
    return 1;
  } catch (const std::filesystem::filesystem_error& e) {
    err << "examora-cli: " << e.what() << '\n';
    return 1;
  }
}

}  // namespace examora
