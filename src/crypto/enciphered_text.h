// Line-by-line enciphered text: every line is enciphered on its own under one key and stored
// as a line of Base64, so enciphered files stay ordinary CR LF text files.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "crypto/blowfish.h"

namespace examora {

/// The program's fixed key, as hexadecimal text (a 64-bit Blowfish key).
inline constexpr std::string_view kFixedKeyText = "9c41d7a2e05b83f6";

/// Enciphers and deciphers single lines under one key. The key schedule is expanded once, at
/// construction, which gives byte-for-byte the result of re-keying before every line.
class LineCipher {
 public:
  /// Throws FormatError when the key text does not give 1 to 56 key bytes.
  explicit LineCipher(std::string_view keyText = kFixedKeyText);

  /// Base64 of the padded ECB enciphering of the bytes as given (no trimming here).
  std::string Encipher(std::string_view plain) const;
  /// The reverse; garbage in gives garbage out, never an error.
  std::string Decipher(std::string_view cipher) const;
  /// Like `Decipher`, and tells whether the line was intact: clean Base64 of whole blocks
  /// whose padding is consistent. A wrong key or a damaged line almost always fails this.
  bool DecipherChecked(std::string_view cipher, std::string& plain) const;

 private:
  BlowfishKey key_;
};

/// The cipher of the fixed key, built once for the process.
const LineCipher& FixedKeyCipher();

/// Trims leading and trailing spaces off `text` (the caller keeps the trimmed value) and
/// returns its enciphered line under the fixed key.
std::string EncryptText(std::string& text);

/// Deciphers one enciphered line under the fixed key (blanks and line-break characters in it
/// are skipped by the Base64 decoder).
std::string DecryptText(std::string_view cipherText);

/// An enciphered file as read back.
struct EncipheredFileContent {
  std::vector<std::string> lines;    // deciphered, in file order
  std::vector<std::size_t> damaged;  // 1-based numbers of the lines that were not intact
};

/// Deciphers every line of an enciphered file's text.
EncipheredFileContent DecipherFileText(std::string_view text,
                                       const LineCipher& cipher = FixedKeyCipher());

/// Reads and deciphers every line of an enciphered file. Throws FileError when it cannot be
/// read.
EncipheredFileContent ReadEncipheredFile(const std::filesystem::path& path,
                                         const LineCipher& cipher = FixedKeyCipher());

/// Writes one enciphered line per value (each trimmed first), CR LF after each. The file is
/// replaced only once it is completely written; throws FileError on failure.
void WriteEncipheredFile(const std::filesystem::path& path, const std::vector<std::string>& values,
                         const LineCipher& cipher = FixedKeyCipher());

}  // namespace examora
