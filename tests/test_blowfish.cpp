#include "crypto/blowfish.h"

#include <random>

#include <gtest/gtest.h>

#include "crypto/byte_fns.h"

#ifdef EXAMORA_HAVE_OPENSSL
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/blowfish.h>
#endif

namespace examora {
namespace {

std::uint64_t Block(std::uint32_t left, std::uint32_t right) {
  return (std::uint64_t{left} << 32) | right;
}

// Eric Young's published Blowfish ECB vectors: key, plain, cipher.
struct Vector {
  const char* key;
  std::uint64_t plain;
  std::uint64_t cipher;
};
constexpr Vector kVectors[] = {
    {"0000000000000000", 0x0000000000000000, 0x4EF997456198DD78},
    {"FFFFFFFFFFFFFFFF", 0xFFFFFFFFFFFFFFFF, 0x51866FD5B85ECB8A},
    {"3000000000000000", 0x1000000000000001, 0x7D856F9A613063F2},
    {"1111111111111111", 0x1111111111111111, 0x2466DD878B963C9D},
    {"0123456789ABCDEF", 0x1111111111111111, 0x61F9C3802281B096},
    {"1111111111111111", 0x0123456789ABCDEF, 0x7D0CC630AFDA1EC7},
    {"FEDCBA9876543210", 0x0123456789ABCDEF, 0x0ACEAB0FC6A0A28D},
    {"7CA110454A1A6E57", 0x01A1D6D039776742, 0x59C68245EB05282B},
    {"0131D9619DC1376E", 0x5CD54CA83DEF57DA, 0xB1B8CC0B250F09A0},
    {"07A1133E4A0B2686", 0x0248D43806F67172, 0x1730E5778BEA1DA4},
    // Variable key length: prefixes of F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677.
    {"F0", 0xFEDCBA9876543210, 0xF9AD597C49DB005E},
    {"F0E1", 0xFEDCBA9876543210, 0xE91D21C1D961A6D6},
    {"F0E1D2", 0xFEDCBA9876543210, 0xE9C2B70A1BC65CF3},
    {"F0E1D2C3", 0xFEDCBA9876543210, 0xBE1E639408640F05},
};

TEST(Blowfish, PublishedVectorsThroughTheSharedKeyState) {
  for (const auto& v : kVectors) {
    ASSERT_TRUE(KeyInit(HexToBytes(v.key))) << v.key;
    std::uint32_t left = static_cast<std::uint32_t>(v.plain >> 32);
    std::uint32_t right = static_cast<std::uint32_t>(v.plain);
    EncipherBlock(left, right);
    EXPECT_EQ(Block(left, right), v.cipher) << v.key;
    DecipherBlock(left, right);
    EXPECT_EQ(Block(left, right), v.plain) << v.key;
  }
}

TEST(Blowfish, BlockBytesArePackedBigEndian) {
  ASSERT_TRUE(KeyInit(HexToBytes("0123456789ABCDEF")));
  std::array<std::uint8_t, 8> block{0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11};
  EncryptBlockBytes(block);
  EXPECT_EQ(block, (std::array<std::uint8_t, 8>{0x61, 0xF9, 0xC3, 0x80, 0x22, 0x81, 0xB0, 0x96}));
  DecryptBlockBytes(block);
  EXPECT_EQ(block, (std::array<std::uint8_t, 8>{0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11}));
}

TEST(Blowfish, KeysOf57BytesOrMoreAreRefusedAndLeaveTheStateAlone) {
  ASSERT_TRUE(KeyInit(HexToBytes("0123456789ABCDEF")));
  EXPECT_FALSE(KeyInit(Bytes(57, 0x42)));
  EXPECT_FALSE(KeyInit(Bytes(300, 0x42)));
  std::uint32_t left = 0x11111111, right = 0x11111111;
  EncipherBlock(left, right);
  EXPECT_EQ(Block(left, right), 0x61F9C3802281B096u);  // still the earlier key
  EXPECT_TRUE(KeyInit(Bytes(56, 0x42)));
}

TEST(Blowfish, EmptyKeyIsRefusedWithTheInitialValuesLoaded) {
  ASSERT_TRUE(KeyInit(HexToBytes("0123456789ABCDEF")));
  EXPECT_FALSE(KeyInit({}));
  std::uint32_t left = 0, right = 0;
  EncipherBlock(left, right);
  std::uint32_t unkeyedLeft = 0, unkeyedRight = 0;
  BlowfishKey().Encipher(unkeyedLeft, unkeyedRight);
  EXPECT_EQ(Block(left, right), Block(unkeyedLeft, unkeyedRight));
}

#ifdef EXAMORA_HAVE_OPENSSL
// Every key length Blowfish allows, on random keys and blocks, against OpenSSL's cipher.
TEST(Blowfish, AgreesWithOpenSslForEveryKeyLength) {
  std::mt19937 gen(7);
  std::uniform_int_distribution<int> byte(0, 255);
  for (std::size_t length = 1; length <= kBlowfishMaxKeyBytes; ++length) {
    Bytes key(length);
    for (auto& b : key) b = static_cast<std::uint8_t>(byte(gen));
    BlowfishKey ours;
    ASSERT_TRUE(ours.Init(key));
    BF_KEY theirs;
    BF_set_key(&theirs, static_cast<int>(length), key.data());
    Bytes plain(64);
    for (auto& b : plain) b = static_cast<std::uint8_t>(byte(gen));
    Bytes expected(plain.size());
    for (std::size_t i = 0; i < plain.size(); i += 8) {
      BF_ecb_encrypt(plain.data() + i, expected.data() + i, &theirs, BF_ENCRYPT);
    }
    EXPECT_EQ(CryptBlocks(ours, plain, true), expected) << "key length " << length;
    EXPECT_EQ(CryptBlocks(ours, expected, false), plain) << "key length " << length;
  }
}
#endif

}  // namespace
}  // namespace examora
