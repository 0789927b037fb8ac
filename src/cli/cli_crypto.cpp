// Commands that encipher and decipher lines and files.
#include <filesystem>
#include <iostream>
#include <iterator>

#include "cli/cli_common.h"
#include "common/error.h"
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

// Standard input, bounded like every file read.
std::string ReadAll(std::istream& in) {
  std::string text;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxReadBytes) {
      throw FileError("Cannot read standard input: it is larger than " + SizeText(kMaxReadBytes) +
                      ", the most this program reads");
    }
  }
  return text;
}

// The damaged-line report of decrypt and decrypt-text.
int ReportDamaged(const EncipheredFileContent& content, const std::string& what,
                  std::ostream& err) {
  if (content.damaged.empty()) return 0;
  err << "examora-cli: " << content.damaged.size() << " of " << content.lines.size() << " lines of "
      << what << " did not decipher cleanly (damaged, or another key); first at line "
      << content.damaged.front() << '\n';
  return 1;
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
                       std::ostream& err) {
  const LineCipher cipher = CipherFor(ParseArguments(args, {"--key"}, 0));
  const auto content = DecipherFileText(ReadAll(in), cipher);
  for (const auto& line : content.lines) out << line << '\n';
  return ReportDamaged(content, "standard input", err);
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
  return ReportDamaged(content, "\"" + parsed.positional[0] + "\"", err);
}

}  // namespace examora::cli
