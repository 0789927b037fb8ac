#include "crypto/enciphered_text.h"

#include <unistd.h>

#include <random>

#include <gtest/gtest.h>

#include "common/error.h"
#include "crypto/byte_fns.h"
#include "platform/files.h"
#include "test_support.h"

namespace examora {
namespace {

using examora::testing::TempDir;

TEST(EncryptText, TrimsTheCallersTextAndRoundTrips) {
  std::string text = "  Beam deflection  ";
  const std::string cipher = EncryptText(text);
  EXPECT_EQ(text, "Beam deflection");
  EXPECT_EQ(DecryptText(cipher), "Beam deflection");
}

TEST(EncryptText, LengthsFollowTheBlockPadding) {
  struct Row {
    std::string plain;
    std::size_t base64Length;
  };
  const Row rows[] = {{"", 12}, {"1234567", 12}, {"12345678", 24}, {std::string(100, 'x'), 140}};
  for (auto row : rows) {
    const std::string cipher = EncryptText(row.plain);
    EXPECT_EQ(cipher.size(), row.base64Length) << row.plain;
    EXPECT_EQ(DecryptText(cipher), row.plain);
  }
}

TEST(EncryptText, EqualLinesGiveEqualCipherLines) {
  std::string a = "same", b = "same";
  EXPECT_EQ(EncryptText(a), EncryptText(b));
}

TEST(DecryptText, BlanksAndLineBreaksInTheCipherAreIgnored) {
  std::string plain = "Q1 A cantilever of 2 m carries 5 kN";
  const std::string cipher = EncryptText(plain);
  EXPECT_EQ(DecryptText(cipher + "\r"), plain);
  EXPECT_EQ(DecryptText("  " + cipher.substr(0, 10) + " " + cipher.substr(10) + " \r\n"), plain);
}

TEST(EncryptText, SameResultAsRekeyingTheSharedStateEveryLine) {
  // The fixed key's schedule is expanded once; the classic way re-keys for every line.
  std::string plain =
      "Windows-1252: 21.5 \xB0"
      "C, 5 \xB5"
      "F";
  const std::string cached = EncryptText(plain);
  ASSERT_TRUE(KeyInit(HexToBytes(kFixedKeyText)));
  const Bytes bytes(plain.begin(), plain.end());
  EXPECT_EQ(cached, Base64Encode(EncryptBytes(bytes)));
}

TEST(LineCipher, RandomLinesRoundTripUnderAnyKey) {
  std::mt19937 gen(2026);
  std::uniform_int_distribution<int> byte(1, 255), length(0, 200);
  const LineCipher keyed("00112233445566778899AABBCCDDEEFF");
  for (int i = 0; i < 300; ++i) {
    std::string line(static_cast<std::size_t>(length(gen)), ' ');
    for (auto& c : line) c = static_cast<char>(byte(gen));
    for (const LineCipher* cipher : {&FixedKeyCipher(), &keyed}) {
      std::string back;
      EXPECT_TRUE(cipher->DecipherChecked(cipher->Encipher(line), back));
      EXPECT_EQ(back, line);
    }
  }
}

TEST(LineCipher, CheckedDecipheringCatchesWrongKeysAndDamage) {
  const std::string cipher = FixedKeyCipher().Encipher("Test title: Thermodynamics 1");
  const LineCipher other("0011223344556677");
  int wrongKeyPassed = 0;
  std::string plain;
  for (int i = 0; i < 50; ++i) {
    const auto line = FixedKeyCipher().Encipher("line " + std::to_string(i));
    wrongKeyPassed += other.DecipherChecked(line, plain);
  }
  EXPECT_LE(wrongKeyPassed, 2);  // a wrong key passes only by the chance of valid-looking pads
  EXPECT_FALSE(FixedKeyCipher().DecipherChecked(cipher.substr(0, cipher.size() - 4), plain));
  EXPECT_FALSE(FixedKeyCipher().DecipherChecked("not base64 at all!", plain));
  EXPECT_FALSE(FixedKeyCipher().DecipherChecked("", plain));
  EXPECT_FALSE(FixedKeyCipher().DecipherChecked("AB=C" + cipher, plain));
}

TEST(LineCipher, KeysGivingNoBytesOrTooManyAreRefused) {
  EXPECT_THROW(LineCipher(""), FormatError);
  EXPECT_THROW(LineCipher(std::string(114, 'a')), FormatError);  // 57 bytes
  EXPECT_NO_THROW(LineCipher(std::string(112, 'a')));            // 56 bytes
}

TEST(EncipheredFile, WritesCrLfLinesAndReadsThemBack) {
  TempDir dir;
  const auto path = dir / "test-BF.txt";
  const std::vector<std::string> values = {"101", " padded ", "", "Last line \xB0"};
  WriteEncipheredFile(path, values);
  const std::string raw = ReadFileBytes(path);
  EXPECT_EQ(std::count(raw.begin(), raw.end(), '\n'), 4);
  EXPECT_EQ(std::count(raw.begin(), raw.end(), '\r'), 4);
  EXPECT_TRUE(raw.ends_with("\r\n"));
  const auto content = ReadEncipheredFile(path);
  EXPECT_EQ(content.lines, (std::vector<std::string>{"101", "padded", "", "Last line \xB0"}));
  EXPECT_TRUE(content.damaged.empty());
}

TEST(EncipheredFile, DamagedLinesAreNamed) {
  TempDir dir;
  const auto path = dir / "damaged.eqb";
  WriteEncipheredFile(path, {"one", "two", "three"});
  std::string raw = ReadFileBytes(path);
  raw.replace(raw.find("\r\n") + 2, 3, "!!!");  // spoil the second line
  WriteFileAtomically(path, raw + "plain text line\r\n");
  const auto content = ReadEncipheredFile(path);
  ASSERT_EQ(content.lines.size(), 4u);
  EXPECT_EQ(content.lines[0], "one");
  EXPECT_EQ(content.damaged, (std::vector<std::size_t>{2, 4}));
}

TEST(EncipheredFile, MissingFileIsReportedByName) {
  TempDir dir;
  try {
    ReadEncipheredFile(dir / "absent.eqb");
    FAIL() << "no error for a missing file";
  } catch (const FileError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot read \"" + (dir / "absent.eqb").string() + "\": No such file or directory");
  }
  EXPECT_THROW(ReadEncipheredFile(dir.path()), FileError);  // a folder is not a file
}

}  // namespace
}  // namespace examora
