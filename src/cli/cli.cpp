#include "cli/cli.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>

#include "common/error.h"
#include "common/numtext.h"
#include "common/prompter.h"
#include "common/text.h"
#include "crypto/byte_fns.h"
#include "crypto/enciphered_text.h"
#include "engine/units.h"
#include "formula/evaluator.h"
#include "formula/substitution.h"
#include "platform/files.h"

namespace examora {
namespace {

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
    "  units                          list the units catalogue\n";

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Arguments of one command: positional ones in order, options by name ("" for flags).
struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;

  std::optional<std::string> Option(const std::string& name) const {
    if (auto it = options.find(name); it != options.end()) return it->second;
    return std::nullopt;
  }
  bool Flag(const std::string& name) const { return options.count(name) > 0; }
};

// Options take a value unless they are flags. A word starting with "-" that is no option of
// the command is positional, so expressions such as -2^2 need no quoting; "--" ends options.
Arguments ParseArguments(const std::vector<std::string>& args,
                         const std::vector<std::string>& known, std::size_t positionalCount,
                         const std::vector<std::string>& flags = {}) {
  Arguments parsed;
  bool optionsEnded = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto isIn = [&](const std::vector<std::string>& list) {
      return std::find(list.begin(), list.end(), arg) != list.end();
    };
    if (optionsEnded) {
      parsed.positional.push_back(arg);
    } else if (arg == "--") {
      optionsEnded = true;
    } else if (isIn(flags)) {
      parsed.options[arg] = "";
    } else if (isIn(known)) {
      if (i + 1 >= args.size()) throw UsageError("option " + arg + " needs a value");
      parsed.options[arg] = args[++i];
    } else if (arg.starts_with("--")) {
      throw UsageError("unknown option " + arg + " for " + args[0]);
    } else {
      parsed.positional.push_back(arg);
    }
  }
  if (parsed.positional.size() != positionalCount) {
    throw UsageError(args[0] + " takes " + std::to_string(positionalCount) + " argument" +
                     (positionalCount == 1 ? "" : "s") + ", got " +
                     std::to_string(parsed.positional.size()));
  }
  return parsed;
}

// A number given on the command line: the whole word must be one.
double NumberArgument(const std::string& text, const std::string& what) {
  std::string digits = text;
  if (!digits.empty() && digits[0] == '+') digits.erase(0, 1);
  double value = 0;
  const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (digits.empty() || result.ec != std::errc() || result.ptr != digits.data() + digits.size()) {
    throw UsageError(what + " must be a number, got \"" + text + "\"");
  }
  return value;
}

// Message boxes of the core, for a terminal: each goes to standard error as "title: text".
// With `echo` off they are only recorded, for the command to report.
class ConsolePrompter : public ScriptedPrompter {
 public:
  ConsolePrompter(std::ostream& err, bool echo) : err_(err), echo_(echo) {}

  void Echo(const Prompt& prompt) const {
    err_ << Cp1252ToUtf8(prompt.title) << ": " << Cp1252ToUtf8(prompt.text) << '\n';
  }

 protected:
  MessageAnswer ShowMessage(const std::string& title, const std::string& text,
                            MessageButtons buttons, MessageIcon icon) override {
    const MessageAnswer answer = ScriptedPrompter::ShowMessage(title, text, buttons, icon);
    if (echo_) Echo(prompts().back());
    return answer;
  }

 private:
  std::ostream& err_;
  bool echo_;
};

LineCipher CipherFor(const Arguments& parsed) {
  const auto key = parsed.Option("--key");
  if (!key) return LineCipher();
  if (!IsHexText(*key) || key->size() > 2 * kBlowfishMaxKeyBytes) {
    throw UsageError("--key takes 1 to 112 hexadecimal digits");
  }
  return LineCipher(*key);
}

std::string ReadAll(std::istream& in) {
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int EncryptTextCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                       std::ostream&) {
  const LineCipher cipher = CipherFor(ParseArguments(args, {"--key"}, 0));
  for (const auto& line : SplitLines(SourceTextToCp1252(ReadAll(in)))) {
    out << cipher.Encipher(Trim(line)) << '\n';
  }
  return 0;
}

int DecryptTextCommand(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
                       std::ostream&) {
  const LineCipher cipher = CipherFor(ParseArguments(args, {"--key"}, 0));
  for (const auto& line : SplitLines(ReadAll(in))) out << cipher.Decipher(line) << '\n';
  return 0;
}

int EncryptCommand(const std::vector<std::string>& args, std::istream&, std::ostream& out,
                   std::ostream& err) {
  const Arguments parsed = ParseArguments(args, {"-o", "--key"}, 1);
  const LineCipher cipher = CipherFor(parsed);
  const std::filesystem::path source = parsed.positional[0];
  const std::filesystem::path target = parsed.Option("-o").value_or(
      std::filesystem::path(source).replace_extension(".eqb").string());
  if (std::filesystem::weakly_canonical(target) == std::filesystem::weakly_canonical(source)) {
    err << "examora-cli: the output would replace the plain file \"" << source.string()
        << "\"; name another with -o\n";
    return 1;
  }
  const auto lines = SplitLines(SourceTextToCp1252(ReadFileBytes(source)));
  WriteEncipheredFile(target, lines, cipher);
  out << "Enciphered " << lines.size() << " lines into " << target.string() << '\n';
  return 0;
}

int DecryptCommand(const std::vector<std::string>& args, std::istream&, std::ostream& out,
                   std::ostream& err) {
  const Arguments parsed = ParseArguments(args, {"--key"}, 1);
  const LineCipher cipher = CipherFor(parsed);
  const auto content = ReadEncipheredFile(parsed.positional[0], cipher);
  for (const auto& line : content.lines) out << line << '\n';
  if (content.damaged.empty()) return 0;
  err << "examora-cli: " << content.damaged.size() << " of " << content.lines.size()
      << " lines of \"" << parsed.positional[0]
      << "\" did not decipher cleanly (damaged, or another key); first at line "
      << content.damaged.front() << '\n';
  return 1;
}

int EvalCommand(const std::vector<std::string>& args, std::istream&, std::ostream& out,
                std::ostream& err) {
  const Arguments parsed = ParseArguments(args, {"--x"}, 1, {"--check"});
  const double x = parsed.Option("--x") ? NumberArgument(*parsed.Option("--x"), "--x") : 0;
  std::string expr = SourceTextToCp1252(parsed.positional[0]);
  int code = 0;
  if (parsed.Flag("--check")) {
    int errorPos = 0;
    CheckExpression(NormaliseSigns(expr), true, code, errorPos);
  }
  ConsolePrompter prompter(err, true);
  double value = 0;
  if (code == 0) value = EvaluateExpression(expr, x, code, {&prompter, nullptr, 0});
  if (code != 0) {
    out << "error " << code << ": " << EvaluatorMessage(code) << '\n';
    return 1;
  }
  out << FormatGeneral(value) << '\n';
  return 0;
}

int FormulaCommand(const std::vector<std::string>& args, std::istream&, std::ostream& out,
                   std::ostream& err) {
  const Arguments parsed = ParseArguments(args, {}, 1);
  ConsolePrompter prompter(err, false);
  FormulaTables tables;
  DebugLog debug;
  const FormulaResult result =
      SolveFormula(SourceTextToCp1252(parsed.positional[0]), 0, tables, {&prompter, &debug, 0});
  // The last box of a failure is its report; boxes before it (an overflow inside a call, a
  // matrix warning) are side notes.
  const auto& boxes = prompter.prompts();
  const std::size_t notes = result.ok ? boxes.size() : boxes.size() - 1;
  for (std::size_t i = 0; i < notes; ++i) prompter.Echo(boxes[i]);
  if (!result.ok) {
    out << Cp1252ToUtf8(boxes.back().text) << '\n';
    return 1;
  }
  out << FormatGeneralSingle(result.answer) << '\n';
  return 0;
}

int SigfigCommand(const std::vector<std::string>& args, std::istream&, std::ostream& out,
                  std::ostream&) {
  const Arguments parsed = ParseArguments(args, {}, 2);
  float value = static_cast<float>(NumberArgument(parsed.positional[0], "VALUE"));
  const double figuresValue = NumberArgument(parsed.positional[1], "FIGURES");
  if (figuresValue != std::floor(figuresValue) || std::fabs(figuresValue) > 32767) {
    throw UsageError("FIGURES must be a whole number");
  }
  int figures = static_cast<int>(figuresValue);
  out << FormatSF(value, figures) << '\n';
  return 0;
}

int ConvertCommand(const std::vector<std::string>& args, std::istream&, std::ostream& out,
                   std::ostream&) {
  const Arguments parsed = ParseArguments(args, {}, 3);
  const float solution = static_cast<float>(NumberArgument(parsed.positional[2], "SOLUTION"));
  float value = solution;
  std::string key = SourceTextToCp1252(parsed.positional[1]);
  ConvertSolutionUnits(SourceTextToCp1252(parsed.positional[0]), solution, value, key);
  out << FormatGeneralSingle(value) << ' ' << Cp1252ToUtf8(key) << '\n';
  return 0;
}

int UnitsCommand(const std::vector<std::string>& args, std::istream&, std::ostream& out,
                 std::ostream&) {
  ParseArguments(args, {}, 0);
  UnitCatalogue catalogue;
  LoadUnits(catalogue);
  for (int i = 1; i <= catalogue.UnitCount; ++i) {
    const UnitRow& u = catalogue.UnitTable[static_cast<std::size_t>(i)];
    out << i << '\t' << Cp1252ToUtf8(u.symbol) << '\t' << Cp1252ToUtf8(u.longName) << '\t'
        << u.prefixFlag << '\t' << Cp1252ToUtf8(u.key) << '\n';
  }
  return 0;
}

using Command = std::function<int(const std::vector<std::string>&, std::istream&, std::ostream&,
                                  std::ostream&)>;

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
