// The Blowfish block cipher (16 rounds, 8-byte blocks, big-endian word packing).
// `BlowfishKey` is one expanded key schedule; the routines below it (`KeyInit`,
// `EncipherBlock`, ...) work on the one key state the whole process shares, as every caller of
// the classic module expects.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace examora {

using Bytes = std::vector<std::uint8_t>;
using ByteSpan = std::span<const std::uint8_t>;

/// Longest key Blowfish accepts, in bytes; a key of 57 bytes or more is refused.
inline constexpr std::size_t kBlowfishMaxKeyBytes = 56;

/// One expanded key schedule: the P-array and the four S-boxes.
class BlowfishKey {
 public:
  /// The unkeyed schedule (the initial values, digits of pi).
  BlowfishKey();

  /// Expands `key` into this schedule. A key of 57 bytes or more is refused and leaves the
  /// schedule untouched; an empty key is refused after the initial values were loaded.
  bool Init(ByteSpan key);

  void Encipher(std::uint32_t& left, std::uint32_t& right) const;
  void Decipher(std::uint32_t& left, std::uint32_t& right) const;

  /// Enciphers or deciphers `blocks` whole 8-byte blocks from `in` to `out` (they may be the
  /// same buffer), each on its own (electronic code book).
  void CryptBlocks(const std::uint8_t* in, std::uint8_t* out, std::size_t blocks,
                   bool encipher) const;

 private:
  std::uint32_t F(std::uint32_t x) const {
    return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFF]) ^ s_[2][(x >> 8) & 0xFF]) + s_[3][x & 0xFF];
  }
  void LoadInitialValues();

  std::array<std::uint32_t, 18> p_;
  std::array<std::array<std::uint32_t, 256>, 4> s_;
};

/// The key state shared by the whole process.
BlowfishKey& ProcessKeyState();

/// Sets up the shared key state; false when the key is refused (empty, or 57 bytes or more).
bool KeyInit(ByteSpan key);

/// Enciphers / deciphers one block, given as its left and right words, in place.
void EncipherBlock(std::uint32_t& left, std::uint32_t& right);
void DecipherBlock(std::uint32_t& left, std::uint32_t& right);

/// Enciphers / deciphers one 8-byte block in place (big-endian word packing).
void EncryptBlockBytes(std::span<std::uint8_t, 8> block);
void DecryptBlockBytes(std::span<std::uint8_t, 8> block);

}  // namespace examora
