#include "cli/cli.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>

#include "common/error.h"
#include "common/text.h"
#include "crypto/byte_fns.h"
#include "crypto/enciphered_text.h"
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
    "  decrypt FILE [--key HEX]       print every line of an enciphered FILE deciphered\n";

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Arguments of one command: positional ones in order, options by name.
struct Arguments {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;

  std::optional<std::string> Option(const std::string& name) const {
    if (auto it = options.find(name); it != options.end()) return it->second;
    return std::nullopt;
  }
};

Arguments ParseArguments(const std::vector<std::string>& args,
                         const std::vector<std::string>& known, std::size_t positionalCount) {
  Arguments parsed;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() > 1 && arg[0] == '-') {
      if (std::find(known.begin(), known.end(), arg) == known.end()) {
        throw UsageError("unknown option " + arg + " for " + args[0]);
      }
      if (i + 1 >= args.size()) throw UsageError("option " + arg + " needs a value");
      parsed.options[arg] = args[++i];
    } else {
      parsed.positional.push_back(arg);
    }
  }
  if (parsed.positional.size() != positionalCount) {
    throw UsageError(args[0] + " takes " + std::to_string(positionalCount) +
                     (positionalCount == 1 ? " file name" : " file names") + ", got " +
                     std::to_string(parsed.positional.size()));
  }
  return parsed;
}

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

using Command = std::function<int(const std::vector<std::string>&, std::istream&, std::ostream&,
                                  std::ostream&)>;

const std::map<std::string, Command>& Commands() {
  static const std::map<std::string, Command> commands = {
      {"encrypt-text", EncryptTextCommand},
      {"decrypt-text", DecryptTextCommand},
      {"encrypt", EncryptCommand},
      {"decrypt", DecryptCommand},
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
