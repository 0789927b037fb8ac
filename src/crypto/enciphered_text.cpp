#include "crypto/enciphered_text.h"

#include "common/error.h"
#include "common/text.h"
#include "crypto/byte_fns.h"
#include "platform/files.h"

namespace examora {
namespace {

ByteSpan AsBytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string AsText(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// Base64 of whole cipher blocks: "=" only at the end. Characters outside the alphabet (blanks,
// line breaks, a byte-order mark) are skipped, as the decoder skips them.
bool IsCleanBase64(std::string_view text) {
  std::size_t count = 0;
  std::size_t pads = 0;
  for (char c : text) {
    const bool alphabet = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          (c >= '0' && c <= '9') || c == '+' || c == '/';
    if (c == '=') {
      ++pads;
    } else if (!alphabet) {
      continue;
    } else if (pads > 0) {
      return false;
    }
    ++count;
  }
  return count > 0 && count % 4 == 0 && pads <= 2;
}

bool HasConsistentPadding(const Bytes& blocks) {
  if (blocks.empty() || blocks.size() % 8 != 0) return false;
  const std::uint8_t n = blocks.back();
  if (n < 1 || n > 8) return false;
  for (std::size_t i = blocks.size() - n; i < blocks.size(); ++i) {
    if (blocks[i] != n) return false;
  }
  return true;
}

}  // namespace

LineCipher::LineCipher(std::string_view keyText) {
  if (!key_.Init(HexToBytes(keyText))) {
    throw FormatError("The key must be 1 to 56 bytes (2 to 112 hexadecimal digits); got \"" +
                      std::string(keyText) + "\"");
  }
}

std::string LineCipher::Encipher(std::string_view plain) const {
  return Base64Encode(CryptBlocks(key_, PadBytes(AsBytes(plain)), true));
}

std::string LineCipher::Decipher(std::string_view cipher) const {
  return AsText(UnpadBytes(CryptBlocks(key_, Base64Decode(cipher), false)));
}

bool LineCipher::DecipherChecked(std::string_view cipher, std::string& plain) const {
  const Bytes encoded = Base64Decode(cipher);
  const Bytes blocks = CryptBlocks(key_, encoded, false);
  plain = AsText(UnpadBytes(blocks));
  return IsCleanBase64(cipher) && encoded.size() == blocks.size() && HasConsistentPadding(blocks);
}

const LineCipher& FixedKeyCipher() {
  static const LineCipher cipher;
  return cipher;
}

std::string EncryptText(std::string& text) {
  text = Trim(text);
  return FixedKeyCipher().Encipher(text);
}

std::string DecryptText(std::string_view cipherText) {
  return FixedKeyCipher().Decipher(cipherText);
}

EncipheredFileContent ReadEncipheredFile(const std::filesystem::path& path,
                                         const LineCipher& cipher) {
  return DecipherFileText(ReadFileBytes(path), cipher);
}

EncipheredFileContent DecipherFileText(std::string_view text, const LineCipher& cipher) {
  EncipheredFileContent content;
  const auto lines = SplitLines(text);
  content.lines.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string plain;
    if (!cipher.DecipherChecked(lines[i], plain)) content.damaged.push_back(i + 1);
    content.lines.push_back(std::move(plain));
  }
  return content;
}

void WriteEncipheredFile(const std::filesystem::path& path, const std::vector<std::string>& values,
                         const LineCipher& cipher) {
  std::string out;
  for (const auto& value : values) {
    out += cipher.Encipher(Trim(value));
    out += "\r\n";
  }
  WriteFileAtomically(path, out);
}

}  // namespace examora
