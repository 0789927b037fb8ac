// Text helpers of the question import: plain text from a question file's HTML or plain text,
// and the conversion to Windows-1252 that names what it could not convert.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace examora {

/// The code point of one UTF-8 character.
char32_t Utf8CodePoint(std::string_view one);

/// Plain text kept as it is, but with blanks collapsed and empty lines dropped.
std::string PlainTextLines(std::string_view text);

/// UTF-8 to Windows-1252; each character without a place in the code page becomes "?" and is
/// named once in `unconvertible` (as "\"c\" (U+XXXX)", in UTF-8).
std::string ToCp1252Named(std::string_view utf8, std::vector<std::string>& unconvertible);

}  // namespace examora
