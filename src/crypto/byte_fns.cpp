#include "crypto/byte_fns.h"

#include <array>

namespace examora {
namespace {

constexpr char kBase64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::uint8_t kInvalid = 0xFF;
constexpr std::uint8_t kPadValue = 64;

constexpr std::array<std::uint8_t, 256> MakeDecodeTable() {
  std::array<std::uint8_t, 256> table{};
  for (auto& entry : table) entry = kInvalid;
  for (std::uint8_t i = 0; i < 64; ++i) table[static_cast<unsigned char>(kBase64Alphabet[i])] = i;
  table['='] = kPadValue;
  return table;
}

constexpr auto kDecodeTable = MakeDecodeTable();

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

Bytes PadBytes(ByteSpan input) {
  const auto n = static_cast<std::uint8_t>(8 - input.size() % 8);
  Bytes out(input.begin(), input.end());
  out.insert(out.end(), n, n);
  return out;
}

Bytes UnpadBytes(ByteSpan input) {
  if (input.empty()) return {};
  std::size_t pad = input.back();
  if (pad > 8) pad = 0;
  if (input.size() <= pad) return {};
  return Bytes(input.begin(), input.end() - static_cast<std::ptrdiff_t>(pad));
}

Bytes CryptBlocks(const BlowfishKey& key, ByteSpan input, bool encipher) {
  const std::size_t blocks = input.size() / 8;
  Bytes out(blocks * 8);
  key.CryptBlocks(input.data(), out.data(), blocks, encipher);
  return out;
}

Bytes CryptBlocks(ByteSpan input, bool encipher) {
  return CryptBlocks(ProcessKeyState(), input, encipher);
}

Bytes EncryptBytes(ByteSpan input) {
  return CryptBlocks(PadBytes(input), true);
}

Bytes DecryptBytes(ByteSpan input) {
  return UnpadBytes(CryptBlocks(input, false));
}

Bytes HexToBytes(std::string_view hex) {
  std::string text(hex);
  if (text.size() % 2 == 1) text.insert(text.begin(), '0');
  Bytes out;
  out.reserve(text.size() / 2);
  for (std::size_t i = 0; i < text.size(); i += 2) {
    int value = 0;
    for (std::size_t j = i; j < i + 2; ++j) {
      const int digit = HexDigitValue(text[j]);
      if (digit < 0) break;
      value = value * 16 + digit;
    }
    out.push_back(static_cast<std::uint8_t>(value));
  }
  return out;
}

bool IsHexText(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (HexDigitValue(c) < 0) return false;
  }
  return true;
}

std::string Base64Encode(ByteSpan input) {
  std::string out;
  out.reserve((input.size() + 2) / 3 * 4);
  std::size_t i = 0;
  for (; i + 3 <= input.size(); i += 3) {
    const std::uint32_t group =
        (std::uint32_t{input[i]} << 16) | (std::uint32_t{input[i + 1]} << 8) | input[i + 2];
    out += kBase64Alphabet[group >> 18];
    out += kBase64Alphabet[(group >> 12) & 63];
    out += kBase64Alphabet[(group >> 6) & 63];
    out += kBase64Alphabet[group & 63];
  }
  const std::size_t rest = input.size() - i;
  if (rest > 0) {
    const std::uint32_t group =
        (std::uint32_t{input[i]} << 16) | (rest == 2 ? std::uint32_t{input[i + 1]} << 8 : 0);
    out += kBase64Alphabet[group >> 18];
    out += kBase64Alphabet[(group >> 12) & 63];
    out += rest == 2 ? kBase64Alphabet[(group >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

Bytes Base64Decode(std::string_view text) {
  if (text.size() < 4) return {};
  Bytes out;
  out.reserve(text.size() / 4 * 3);
  std::uint8_t group[4];
  int filled = 0;
  for (char c : text) {
    const std::uint8_t value = kDecodeTable[static_cast<unsigned char>(c)];
    if (value == kInvalid) continue;
    group[filled++] = value;
    if (filled < 4) continue;
    filled = 0;
    // A "=" (64) in the first two places is junk; masking keeps every byte in range.
    out.push_back(static_cast<std::uint8_t>(((group[0] << 2) | (group[1] >> 4)) & 0xFF));
    if (group[2] != kPadValue) {
      out.push_back(static_cast<std::uint8_t>(((group[1] << 4) | (group[2] >> 2)) & 0xFF));
    }
    if (group[3] != kPadValue) {
      out.push_back(static_cast<std::uint8_t>(((group[2] << 6) | group[3]) & 0xFF));
    }
  }
  return out;
}

}  // namespace examora
