#include "cli/cli.h"

#include <sstream>

#include <gtest/gtest.h>

#include "crypto/enciphered_text.h"
#include "platform/files.h"
#include "test_support.h"

namespace examora {
namespace {

using examora::testing::TempDir;

struct CliRun {
  int code;
  std::string out;
  std::string err;
};

CliRun Cli(std::vector<std::string> args, const std::string& input = {}) {
  std::istringstream in(input);
  std::ostringstream out, err;
  const int code = RunCli(args, in, out, err);
  return {code, out.str(), err.str()};
}

TEST(CliText, EncryptTextWritesOneLinePerInputLineExactlyAsEncryptText) {
  const CliRun run = Cli({"encrypt-text"}, "  first  \r\nsecond\n\nlast");
  ASSERT_EQ(run.code, 0) << run.err;
  std::string first = "first", second = "second", empty, last = "last";
  EXPECT_EQ(run.out, EncryptText(first) + "\n" + EncryptText(second) + "\n" + EncryptText(empty) +
                         "\n" + EncryptText(last) + "\n");
}

TEST(CliText, DecryptTextReversesItAndKeepsWindows1252Bytes) {
  const CliRun enc = Cli({"encrypt-text"}, "21.5 \u00B0C\nplain\n");  // typed in UTF-8
  const CliRun dec = Cli({"decrypt-text"}, enc.out);
  EXPECT_EQ(dec.code, 0);
  EXPECT_EQ(dec.out,
            "21.5 \xB0"
            "C\nplain\n");
}

TEST(CliText, KeyOptionReplacesTheFixedKey) {
  const CliRun enc = Cli({"encrypt-text", "--key", "00112233445566778899aabbccddeeff"}, "secret\n");
  EXPECT_NE(enc.out, Cli({"encrypt-text"}, "secret\n").out);
  EXPECT_EQ(Cli({"decrypt-text", "--key", "00112233445566778899aabbccddeeff"}, enc.out).out,
            "secret\n");
}

TEST(CliUsage, MistakesExitWithTwoAndSayWhy) {
  struct Row {
    std::vector<std::string> args;
    const char* says;
  };
  const Row rows[] = {
      {{}, "Usage:"},
      {{"frobnicate"}, "unknown command"},
      {{"encrypt-text", "--key"}, "needs a value"},
      {{"encrypt-text", "--key", "xyz"}, "hexadecimal"},
      {{"encrypt-text", "--key", std::string(114, 'a')}, "hexadecimal"},
      {{"encrypt-text", "--wrong", "1"}, "unknown option"},
      {{"encrypt"}, "takes 1 file name"},
      {{"decrypt", "a", "b"}, "takes 1 file name"},
  };
  for (const auto& row : rows) {
    const CliRun run = Cli(row.args);
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find(row.says), std::string::npos) << run.err;
  }
  EXPECT_EQ(Cli({"--help"}).code, 0);
}

TEST(CliFiles, EncryptThenDecryptAFile) {
  TempDir dir;
  WriteFileAtomically(dir / "beams.txt", "101\r\nBeams 1\r\n  A 2 m cantilever  \r\n");
  const CliRun enc = Cli({"encrypt", (dir / "beams.txt").string()});
  ASSERT_EQ(enc.code, 0) << enc.err;
  EXPECT_EQ(enc.out, "Enciphered 3 lines into " + (dir / "beams.eqb").string() + "\n");
  const auto content = ReadEncipheredFile(dir / "beams.eqb");
  EXPECT_EQ(content.lines, (std::vector<std::string>{"101", "Beams 1", "A 2 m cantilever"}));

  const CliRun dec = Cli({"decrypt", (dir / "beams.eqb").string()});
  EXPECT_EQ(dec.code, 0);
  EXPECT_EQ(dec.out, "101\nBeams 1\nA 2 m cantilever\n");

  const CliRun named =
      Cli({"encrypt", (dir / "beams.txt").string(), "-o", (dir / "x-BF.txt").string()});
  EXPECT_EQ(named.code, 0);
  EXPECT_EQ(ReadEncipheredFile(dir / "x-BF.txt").lines.size(), 3u);
}

TEST(CliFiles, FileProblemsExitWithOneAndNameTheFile) {
  TempDir dir;
  const CliRun missing = Cli({"decrypt", (dir / "absent.eqb").string()});
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("absent.eqb"), std::string::npos);
  EXPECT_EQ(Cli({"encrypt", (dir / "absent.txt").string()}).code, 1);

  // The default output of a file already named .eqb would be the file itself.
  WriteFileAtomically(dir / "plain.eqb", "text\r\n");
  const CliRun self = Cli({"encrypt", (dir / "plain.eqb").string()});
  EXPECT_EQ(self.code, 1);
  EXPECT_EQ(ReadFileBytes(dir / "plain.eqb"), "text\r\n");

  // A plain file handed to decrypt is said to be damaged (or another key's), not shown as good.
  const CliRun notEnciphered = Cli({"decrypt", (dir / "plain.eqb").string()});
  EXPECT_EQ(notEnciphered.code, 1);
  EXPECT_NE(notEnciphered.err.find("first at line 1"), std::string::npos);
}

}  // namespace
}  // namespace examora
