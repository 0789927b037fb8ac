// What every examora-cli command shares: its signature, argument parsing, usage errors and a
// prompter that shows the core's message boxes on a terminal.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/prompter.h"
#include "testfile/testfile.h"

namespace examora::cli {

/// A command: arguments (the command's name first), standard input, output and error; returns
/// the exit code.
using CommandArgs = std::vector<std::string>;

/// A mistake in how the command was called (exit code 2).
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

/// Arguments of one command: positional ones in order, options by name ("" for flags).
struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;

  std::optional<std::string> Option(const std::string& name) const;
  bool Flag(const std::string& name) const { return options.count(name) > 0; }
};

/// Options in `known` take a value, those in `flags` do not. A word starting with "-" that is
/// no option of the command is positional, so expressions such as -2^2 need no quoting; "--"
/// ends options. Throws UsageError for unknown "--" options or a wrong positional count.
Arguments ParseArguments(const CommandArgs& args, const std::vector<std::string>& known,
                         std::size_t positionalCount, const std::vector<std::string>& flags = {});

/// A number given on the command line: the whole word must be one.
double NumberArgument(const std::string& text, const std::string& what);

/// Records message boxes; with `echo` each also goes to standard error as "title: text".
class ConsolePrompter : public ScriptedPrompter {
 public:
  ConsolePrompter(std::ostream& err, bool echo) : err_(err), echo_(echo) {}
  void Echo(const Prompt& prompt) const;

 protected:
  MessageAnswer ShowMessage(const std::string& title, const std::string& text,
                            MessageButtons buttons, MessageIcon icon,
                            std::optional<MessageAnswer> defaultButton) override;

 private:
  std::ostream& err_;
  bool echo_;
};

int EncryptTextCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int LabCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int InvigilateCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int SittingCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int RecoverCommand(const CommandArgs&, std::ostream&);
int DecryptTextCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int EncryptCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int DecryptCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int EvalCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int FormulaCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int SigfigCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int ConvertCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int UnitsCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int AuthorCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int ImportCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int PublishCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int ShowCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int CheckCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int SitCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int AdminCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int ResultsCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);
int StudentsCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);

/// A test from an enciphered file or from a plain source (which sits the whole bank, one
/// minute a question); throws FileError or FormatError.
TestBank ReadAnyTest(const std::filesystem::path& path);

/// Whether a file is a plain question bank (it holds the end-of-file marker line).
bool IsPlainSource(const std::filesystem::path& path);

}  // namespace examora::cli
