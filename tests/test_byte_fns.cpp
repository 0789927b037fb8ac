#include "crypto/byte_fns.h"

#include <gtest/gtest.h>

namespace examora {
namespace {

Bytes B(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

TEST(PadBytes, AppendsOneToEightBytesOfTheirCount) {
  EXPECT_EQ(PadBytes({}), Bytes(8, 8));
  EXPECT_EQ(PadBytes(Bytes(8, 1)).size(), 16u);
  EXPECT_EQ(PadBytes(Bytes(8, 1)).back(), 8);
  const Bytes thirteen = PadBytes(Bytes(13, 0xAA));
  ASSERT_EQ(thirteen.size(), 16u);
  EXPECT_EQ(Bytes(thirteen.end() - 3, thirteen.end()), Bytes(3, 3));
  EXPECT_EQ(PadBytes(Bytes(7, 0)).back(), 1);
}

TEST(UnpadBytes, TrustsTheLastByteUpToEight) {
  Bytes block = {1, 2, 3, 4, 5, 6, 7, 9};
  EXPECT_EQ(UnpadBytes(block), block);  // 9 or more: unchanged
  block.back() = 0;
  EXPECT_EQ(UnpadBytes(block), block);  // 0: unchanged
  EXPECT_EQ(UnpadBytes(Bytes(8, 8)), Bytes{});
  EXPECT_EQ(UnpadBytes({}), Bytes{});
  EXPECT_EQ(UnpadBytes(Bytes{1, 2, 3}), Bytes{});  // pad longer than the input
  EXPECT_EQ(UnpadBytes(Bytes{7, 7, 2, 2}), (Bytes{7, 7}));
  EXPECT_EQ(UnpadBytes(Bytes{7, 7, 5, 2}), (Bytes{7, 7}));  // pad bytes are not checked
}

TEST(CryptBlocks, DropsBytesAfterTheLastWholeBlockAndRoundTrips) {
  ASSERT_TRUE(KeyInit(HexToBytes("9c41d7a2e05b83f6")));
  EXPECT_EQ(CryptBlocks(Bytes(12, 5), true).size(), 8u);
  EXPECT_EQ(CryptBlocks(Bytes(7, 5), true).size(), 0u);
  const Bytes plain = B("sixteen bytes!!!");
  const Bytes cipher = CryptBlocks(plain, true);
  EXPECT_NE(cipher, plain);
  // Electronic code book: equal blocks give equal cipher blocks.
  const Bytes twice = CryptBlocks(B("abcdefghabcdefgh"), true);
  EXPECT_EQ(Bytes(twice.begin(), twice.begin() + 8), Bytes(twice.begin() + 8, twice.end()));
  EXPECT_EQ(CryptBlocks(cipher, false), plain);
  EXPECT_EQ(DecryptBytes(EncryptBytes(B("any length"))), B("any length"));
  EXPECT_EQ(DecryptBytes(EncryptBytes({})), Bytes{});
}

TEST(HexToBytes, PairsFromTheLeftWithALeadingZeroForOddLengths) {
  EXPECT_EQ(HexToBytes("ABC"), (Bytes{0x0A, 0xBC}));
  EXPECT_EQ(HexToBytes("9c41d7a2e05b83f6"),
            (Bytes{0x9C, 0x41, 0xD7, 0xA2, 0xE0, 0x5B, 0x83, 0xF6}));
  EXPECT_EQ(HexToBytes(""), Bytes{});
  EXPECT_EQ(HexToBytes("F"), Bytes{0x0F});
  EXPECT_EQ(HexToBytes("1GG1zz"), (Bytes{0x01, 0x00, 0x00}));  // read as far as digits go
  EXPECT_TRUE(IsHexText("09afAF"));
  EXPECT_FALSE(IsHexText("0x12"));
  EXPECT_FALSE(IsHexText(""));
}

TEST(Base64, Rfc4648Vectors) {
  const std::pair<const char*, const char*> rows[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"fooba", "Zm9vYmE="},
      {"foobar", "Zm9vYmFy"},
  };
  for (const auto& [plain, encoded] : rows) {
    EXPECT_EQ(Base64Encode(B(plain)), encoded);
    // Texts shorter than four characters decode to nothing, "" included.
    EXPECT_EQ(Base64Decode(encoded), B(plain));
  }
  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[i] = static_cast<std::uint8_t>(i);
  EXPECT_EQ(Base64Decode(Base64Encode(all)), all);
}

TEST(Base64, DecoderSkipsJunkAndStopsAtIncompleteGroups) {
  EXPECT_EQ(Base64Decode("Zm9v YmFy"), B("foobar"));
  EXPECT_EQ(Base64Decode("Zm9v\r\nYmFy\r\n"), B("foobar"));
  EXPECT_EQ(Base64Decode("Z!m9v#Y$mFy"), B("foobar"));
  EXPECT_EQ(Base64Decode("Zm9vYm"), B("foo"));  // incomplete last group yields nothing
  EXPECT_EQ(Base64Decode("Zm9"), Bytes{});      // shorter than four characters
  EXPECT_EQ(Base64Decode("!!!!!!!!"), Bytes{});
  EXPECT_EQ(Base64Decode("Zg=="), B("f"));     // two "=": one byte
  EXPECT_EQ(Base64Decode("Zm8="), B("fo"));    // one "=": two bytes
  EXPECT_EQ(Base64Decode("====").size(), 1u);  // junk in, bytes in range out, no crash
}

}  // namespace
}  // namespace examora
