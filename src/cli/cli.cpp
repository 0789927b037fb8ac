#include "cli/cli.h"

#include <filesystem>
#include <iostream>

#include "app/help_text.h"
#include "app/settings.h"
#include "cli/cli_common.h"
#include "common/error.h"

namespace examora {
namespace {

using namespace examora::cli;

using Command = int (*)(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);

struct CommandInfo {
  const char* name;
  const char* usage;  // the arguments after the name
  const char* help;
  Command run;
};

int SettingsCommand(const CommandArgs&, std::istream&, std::ostream&, std::ostream&);

// Every command, in the order the help lists them; the help and the man page are made from it.
constexpr CommandInfo kCommands[] = {
    {"encrypt-text", "[--key HEX]", "encipher each line of standard input", EncryptTextCommand},
    {"decrypt-text", "[--key HEX]", "decipher each line of standard input", DecryptTextCommand},
    {"encrypt", "FILE [-o OUT] [--key HEX]", "encipher every line of FILE (default OUT: FILE.eqb)",
     EncryptCommand},
    {"decrypt", "FILE [--key HEX]", "print every line of an enciphered FILE deciphered",
     DecryptCommand},
    {"eval", "[--x X] [--check] EXPR",
     "evaluate an expression (its value, or \"error N: ...\" and exit status 1)", EvalCommand},
    {"formula", "FORMULA", "work out a formula with matrix and statistics calls", FormulaCommand},
    {"sigfig", "VALUE FIGURES", "round VALUE to FIGURES significant figures", SigfigCommand},
    {"convert", "STUDENTKEY QUESTIONKEY SOLUTION", "re-express a solution in the student's unit",
     ConvertCommand},
    {"units", "", "list the units catalogue, tab-separated", UnitsCommand},
    {"author", "SOURCE.txt [--questions N] [--minutes M] [-o OUT]",
     "convert a plain question bank into an enciphered test", AuthorCommand},
    {"import", "FILE.xml|FILE.gift [-o SOURCE.txt] [--number N --name NAME]",
     "turn a Moodle XML or GIFT question file into a plain question bank for author (default "
     "SOURCE: FILE.txt; more than one bank when it holds over 500 questions), listing every "
     "question left out with the reason",
     ImportCommand},
    {"publish", "FILE.eqb --web DIR",
     "put an enciphered test into the web folder DIR (tests/<number> <name>/<name>-BF.txt) and "
     "its line into info/data/testlist.txt; a number another test has is refused",
     PublishCommand},
    {"show", "FILE", "print a test's header and question blocks", ShowCommand},
    {"check", "FILE [--sittings N] [--seed S]",
     "prepare N sittings (default 200) and report broken questions; exit status 1 when there "
     "are any",
     CheckCommand},
    {"sit", "FILE [--seed S] [--exam] [--answers ANSWERS]",
     "one sitting (study mode unless --exam): without ANSWERS the prepared questions, with it "
     "each answer marked (\"Q<position> <code> <state>\" and any message box below it); records "
     "nothing. ANSWERS holds one line per answer, \"<position>: <answer>\"",
     SitCommand},
    {"sit",
     "FILE --exam --students FILE --student NUMBER --save DIR [--seed S] "
     "[--answers ANSWERS] [--journal-key FILE] [--hold]",
     "an exam sitting of a signed-in student, journalled (an interrupted one resumes) and saved "
     "to the student, master and subject files in DIR; prints \"saved: \" and the record last; "
     "--hold waits instead of ending it",
     SitCommand},
    {"sit", "FILE --exam --keeper [PATH] --student NUMBER [--answers ANSWERS] [--hold]",
     "an exam sitting through the record keeper (PATH, default the installed one): the "
     "password on the first line of standard input, the access code on the second; the keeper "
     "draws, marks, journals and saves; prints \"saved: \" and the record last",
     SitCommand},
    {"lab",
     "setup --folder DIR --students PLAIN [--group G] [--keeper PATH] [--tests WEBDIR] | "
     "setup --exam-session ACCOUNTS | trust FILE [--folder DIR]",
     "as root: make the lab's group, results folder (2770), enciphered class list and journal "
     "key (0640), the keeper's settings and its setgid bit, and trust a web folder's tests; run "
     "again it changes nothing that is right. --exam-session: make the \"Examora exam\" session "
     "the default of these accounts (login names and @group, separated by commas) for LightDM "
     "and GDM. trust: let the keeper accept one more test",
     LabCommand},
    {"invigilate", "[--folder DIR] [--watch]",
     "one line per sitting: student, name, test, state (running, interrupted, ended-unsaved, "
     "saved), answered of asked, time left, last activity; --watch refreshes it",
     InvigilateCommand},
    {"sitting", "extend STUDENT TEST MINUTES [--folder DIR]",
     "give a student's sitting more time (sealed, seen by a running keeper at once)",
     SittingCommand},
    {"students", "encrypt PLAIN --folder DIR [-o OUT] | show FILE",
     "encipher a plain class list (default OUT: std_crypt.eqb), or print an enciphered one: "
     "the count, the folder, and one tab-separated line a student (number, password, first, "
     "last)",
     StudentsCommand},
    {"results",
     "rebuild|split|sort|reports|all|create-missing --folder DIR [--students FILE] "
     "[--testlist FILE] | "
     "export --folder DIR --students FILE [--format moodle|csv] [-o OUT.csv] | "
     "stats TESTNUMBER --folder DIR [--test FILE] [--journal-key FILE] [--testlist FILE] | "
     "recover [--folder DIR]",
     "the result file processor's steps on a results folder, printing the lines its window logs; "
     "export writes the marks per student and test for a gradebook (default format csv, to "
     "standard output without -o)",
     ResultsCommand},
    {"admin", "set-password [--file FILE]",
     "store the administrator password's salted hash (asked twice, or two lines of standard "
     "input)",
     AdminCommand},
    {"settings", "[SETTING OPTION]...",
     "print each deployment setting of the desktop program, its value and where it came from "
     "(each option below sets one for this run); exit status 1 when a configuration file has a "
     "problem",
     SettingsCommand},
    {"help", "[COMMAND | --man PROGRAM]",
     "print this help, a command's help, or the man page of examora or examora-cli", nullptr},
};

// Every entry of a command: one, or one per form it takes ("sit" in study and in exam mode).
std::vector<const CommandInfo*> FindCommand(const std::string& name) {
  std::vector<const CommandInfo*> found;
  for (const auto& c : kCommands) {
    if (name == c.name) found.push_back(&c);
  }
  return found;
}

HelpPage CliHelp() {
  HelpPage page{
      "examora-cli",
      "the Examora test tools on the command line",
      {"examora-cli COMMAND [ARGUMENTS]", "examora-cli help [COMMAND]", "examora-cli --version"},
      "Enciphers and deciphers files, authors, checks and sits tests and works out formulas with "
      "the same core as the desktop program examora.\n\n"
      "Lines are trimmed before they are enciphered, as the program does. Input typed in UTF-8 "
      "is converted to Windows-1252, the encoding of every file the program reads and writes; "
      "deciphered lines come out as Windows-1252 bytes. --key replaces the program's fixed key "
      "for one run. Message boxes the core shows along the way go to standard error as "
      "\"title: text\".",
      {}};
  HelpSection commands{"Commands", "", {}};
  for (const auto& c : kCommands) {
    commands.items.push_back({std::string(c.name) + (*c.usage ? " " : "") + c.usage, c.help});
  }
  page.sections.push_back(commands);
  page.sections.push_back(
      {"Settings options", "The settings command takes these options.", SettingOptionHelp()});
  for (auto& section : SettingSourceSections()) page.sections.push_back(section);
  page.sections.push_back(
      {"Exit status",
       "",
       {{"0", "done"},
        {"1",
         "failed: an unreadable or damaged file (named in the message), an expression with "
         "an error, broken questions found by check, a problem in a configuration file"},
        {"2", "a usage mistake: an unknown command or option, a missing or malformed argument"}}});
  return page;
}

int HelpCommand(const CommandArgs& args, std::ostream& out, std::ostream& err) {
  if (args.size() == 3 && args[1] == "--man") {
    if (args[2] == "examora") {
      out << ManPage(ProgramHelp());
    } else if (args[2] == "examora-cli") {
      out << ManPage(CliHelp());
    } else {
      throw UsageError("help --man takes examora or examora-cli");
    }
    return 0;
  }
  if (args.size() == 1) {
    out << PlainHelp(CliHelp());
    return 0;
  }
  if (args.size() > 2) {
    err << "examora-cli: help takes one command name; \"examora-cli help\" lists them\n";
    return 2;
  }
  const auto forms = FindCommand(args[1]);
  if (forms.empty()) {
    err << "examora-cli: there is no command \"" << args[1]
        << "\"; \"examora-cli help\" lists them\n";
    return 2;
  }
  for (const CommandInfo* form : forms) {
    out << (form == forms.front() ? "" : "\n") << "Usage: examora-cli " << form->name
        << (*form->usage ? " " : "") << form->usage << '\n'
        << form->help << '\n';
  }
  if (args[1] == "settings") {
    out << PlainHelp({"", "", {}, "", {{"Setting options", "", SettingOptionHelp()}}});
  }
  return 0;
}

int SettingsCommand(const CommandArgs& args, std::istream&, std::ostream& out, std::ostream& err) {
  std::vector<std::string> rest(args.begin() + 1, args.end());
  SystemEnvironment env;
  DeploymentSettings settings;
  try {
    settings = LoadDeploymentSettings(rest, env);
  } catch (const FormatError& e) {
    throw UsageError(e.what());
  }
  if (!rest.empty()) throw UsageError("unknown argument " + rest.front() + " for settings");
  out << FormatSettings(settings);
  for (const auto& problem : settings.problems) err << "examora-cli: " << problem << '\n';
  return settings.problems.empty() ? 0 : 1;
}

int UsageMistake(std::ostream& err, const std::string& message) {
  err << "examora-cli: " << message << "\nTry \"examora-cli help\" for the list of commands.\n";
  return 2;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
           std::ostream& err) {
  if (args.empty()) {
    err << PlainHelp(CliHelp());
    return 2;
  }
  if (args[0] == "--help" || args[0] == "-h") return HelpCommand({"help"}, out, err);
  if (args[0] == "--version") {
    out << VersionLine("examora-cli") << '\n';
    return 0;
  }
  const auto forms = FindCommand(args[0]);
  if (forms.empty()) return UsageMistake(err, "unknown command \"" + args[0] + "\"");
  const CommandInfo* command = forms.front();  // every form of a command runs the same way
  if (args.size() == 2 && (args[1] == "--help" || args[1] == "-h") && command->run) {
    return HelpCommand({"help", args[0]}, out, err);
  }
  try {
    return command->run ? command->run(args, in, out, err) : HelpCommand(args, out, err);
  } catch (const UsageError& e) {
    err << "examora-cli: " << e.what() << '\n';
    if (command->run) HelpCommand({"help", args[0]}, err, err);
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
