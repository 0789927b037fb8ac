// Text helpers. The core holds text as Windows-1252 bytes in std::string; these convert at the
// edges and provide the few string operations the rest of the program relies on.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace examora {

/// Appends the UTF-8 form of a code point.
void AppendUtf8(std::string& out, char32_t cp);

/// Windows-1252 bytes to UTF-8. The five bytes the code page leaves undefined (81 8D 8F 90 9D)
/// map to the C1 controls of the same value, as Windows does, so every byte round-trips.
std::string Cp1252ToUtf8(std::string_view bytes);

/// UTF-8 to Windows-1252. Characters the code page cannot hold, and malformed UTF-8 sequences,
/// become "?" (the code page's replacement character).
std::string Utf8ToCp1252(std::string_view utf8);

/// UTF-8 to Windows-1252 when every character has a byte there; nothing otherwise (a character
/// the code page lacks, or malformed UTF-8), for callers that must refuse rather than guess.
std::optional<std::string> Utf8ToCp1252Exactly(std::string_view utf8);

/// True when the text is well-formed UTF-8 (plain ASCII included).
bool IsValidUtf8(std::string_view text);

/// Text typed by a person in either encoding, as Windows-1252: valid UTF-8 holding non-ASCII
/// characters is converted, anything else is taken as Windows-1252 already.
std::string SourceTextToCp1252(std::string_view text);

/// Removes leading and trailing blanks (spaces only, like the classic Trim).
std::string Trim(std::string_view text);

/// Upper-cases ASCII letters only; other bytes are kept.
std::string UpperAscii(std::string_view text);

/// Lower-cases ASCII letters only; other bytes are kept.
std::string LowerAscii(std::string_view text);

/// Splits text into lines at LF, dropping one CR before each LF. A final line break does not
/// start another (empty) line.
std::vector<std::string> SplitLines(std::string_view text);

/// The parts of a text between separators (an empty text is one empty part).
std::vector<std::string> SplitAt(std::string_view text, char separator);

}  // namespace examora
