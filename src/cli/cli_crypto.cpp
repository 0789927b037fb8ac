// Commands that encipher and decipher lines and files.
#include <filesystem>
#include <iostream>
#include <iterator>

#include "cli/cli_common.h"
#include "common/text.h"
#include "crypto/byte_fns.h"
#include "crypto/enciphered_text.h"
#include "platform/files.h"

namespace examora::cli {
namespace {

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

}  // namespace

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

}  // namespace examora::cli
