// Byte-array operations around the cipher: block padding, the block loop, and the hexadecimal
// and Base64 encodings used to carry keys and cipher bytes as text. None of them fails: bad
// input gives a defined (possibly empty) result.
#pragma once

#include <string>
#include <string_view>

#include "crypto/blowfish.h"

namespace examora {

/// Appends n bytes of value n, n = 8 - (length mod 8) (1 to 8).
Bytes PadBytes(ByteSpan input);

/// Drops as many trailing bytes as the last byte says (none when it is above 8); the pad bytes
/// are not checked. Empty when nothing would be left.
Bytes UnpadBytes(ByteSpan input);

/// Every whole 8-byte block enciphered (true) or deciphered on its own; trailing bytes after
/// the last whole block are dropped. The first form uses the shared key state.
Bytes CryptBlocks(ByteSpan input, bool encipher);
Bytes CryptBlocks(const BlowfishKey& key, ByteSpan input, bool encipher);

/// `CryptBlocks`(`PadBytes`(input), true) and `UnpadBytes`(`CryptBlocks`(input, false)) with the
/// shared key state.
Bytes EncryptBytes(ByteSpan input);
Bytes DecryptBytes(ByteSpan input);

/// Pairs of hexadecimal digits to bytes, a "0" put in front of an odd-length text. A pair is
/// read as far as it holds hexadecimal digits ("1G" is 1, "G1" is 0).
Bytes HexToBytes(std::string_view hex);

/// True when the text is a non-empty run of hexadecimal digits.
bool IsHexText(std::string_view text);

/// Standard Base64 (RFC 4648 alphabet, "=" padding, no line breaks).
std::string Base64Encode(ByteSpan input);

/// Base64 decoding that skips every character outside the alphabet; a text shorter than four
/// characters, or an incomplete last group, yields nothing for that part.
Bytes Base64Decode(std::string_view text);

}  // namespace examora
