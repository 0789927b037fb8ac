#include "crypto/blowfish.h"

#include "crypto/blowfish_tables.h"

namespace examora {
namespace {

std::uint32_t LoadBigEndian(const std::uint8_t* b) {
  return (std::uint32_t{b[0]} << 24) | (std::uint32_t{b[1]} << 16) | (std::uint32_t{b[2]} << 8) |
         std::uint32_t{b[3]};
}

void StoreBigEndian(std::uint32_t w, std::uint8_t* b) {
  b[0] = static_cast<std::uint8_t>(w >> 24);
  b[1] = static_cast<std::uint8_t>(w >> 16);
  b[2] = static_cast<std::uint8_t>(w >> 8);
  b[3] = static_cast<std::uint8_t>(w);
}

}  // namespace

BlowfishKey::BlowfishKey() {
  LoadInitialValues();
}

void BlowfishKey::LoadInitialValues() {
  using namespace blowfish_tables;
  p_ = kInitialP;
  s_ = {kInitialS0, kInitialS1, kInitialS2, kInitialS3};
}

bool BlowfishKey::Init(ByteSpan key) {
  if (key.size() > kBlowfishMaxKeyBytes) return false;
  LoadInitialValues();
  if (key.empty()) return false;
  std::size_t next = 0;
  for (auto& word : p_) {
    std::uint32_t packed = 0;
    for (int i = 0; i < 4; ++i) {
      packed = (packed << 8) | key[next];
      next = (next + 1) % key.size();
    }
    word ^= packed;
  }
  std::uint32_t left = 0;
  std::uint32_t right = 0;
  for (std::size_t i = 0; i < p_.size(); i += 2) {
    Encipher(left, right);
    p_[i] = left;
    p_[i + 1] = right;
  }
  for (auto& box : s_) {
    for (std::size_t i = 0; i < box.size(); i += 2) {
      Encipher(left, right);
      box[i] = left;
      box[i + 1] = right;
    }
  }
  return true;
}

// Two rounds per step with the swaps folded into the variable roles.
void BlowfishKey::Encipher(std::uint32_t& left, std::uint32_t& right) const {
  std::uint32_t l = left;
  std::uint32_t r = right;
  for (int i = 0; i < 16; i += 2) {
    l ^= p_[i];
    r ^= F(l);
    r ^= p_[i + 1];
    l ^= F(r);
  }
  l ^= p_[16];
  r ^= p_[17];
  left = r;
  right = l;
}

void BlowfishKey::Decipher(std::uint32_t& left, std::uint32_t& right) const {
  std::uint32_t l = left;
  std::uint32_t r = right;
  for (int i = 17; i > 1; i -= 2) {
    l ^= p_[i];
    r ^= F(l);
    r ^= p_[i - 1];
    l ^= F(r);
  }
  l ^= p_[1];
  r ^= p_[0];
  left = r;
  right = l;
}

void BlowfishKey::CryptBlocks(const std::uint8_t* in, std::uint8_t* out, std::size_t blocks,
                              bool encipher) const {
  for (std::size_t b = 0; b < blocks; ++b, in += 8, out += 8) {
    std::uint32_t left = LoadBigEndian(in);
    std::uint32_t right = LoadBigEndian(in + 4);
    if (encipher) {
      Encipher(left, right);
    } else {
      Decipher(left, right);
    }
    StoreBigEndian(left, out);
    StoreBigEndian(right, out + 4);
  }
}

BlowfishKey& ProcessKeyState() {
  static BlowfishKey state;
  return state;
}

bool KeyInit(ByteSpan key) {
  return ProcessKeyState().Init(key);
}

void EncipherBlock(std::uint32_t& left, std::uint32_t& right) {
  ProcessKeyState().Encipher(left, right);
}

void DecipherBlock(std::uint32_t& left, std::uint32_t& right) {
  ProcessKeyState().Decipher(left, right);
}

void EncryptBlockBytes(std::span<std::uint8_t, 8> block) {
  ProcessKeyState().CryptBlocks(block.data(), block.data(), 1, true);
}

void DecryptBlockBytes(std::span<std::uint8_t, 8> block) {
  ProcessKeyState().CryptBlocks(block.data(), block.data(), 1, false);
}

}  // namespace examora
