// Addresses inside the web folder. Everything the web folder hands over (list lines, picture
// entries, page links) is content from elsewhere: it is resolved against the test's own folder
// and refused when it would lead out of it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace examora {

/// The web folder address from a deployment setting: an http, https or file URL is kept (bytes
/// outside printable ASCII percent-encoded, so every window decodes it alike); a bare folder
/// path becomes its file:// URL. Always ends with "/". Throws FormatError for anything else
/// (another scheme, an empty text), saying what is expected.
std::string WebFolderAddress(std::string_view setting);

/// Percent-encodes the bytes of an address that are not printable ASCII (UTF-8 stays UTF-8
/// once decoded); existing escapes are kept.
std::string AsciiAddress(std::string_view address);

/// True when `name` can stand as one folder of the web folder's "tests/": not empty, no "/" or
/// "\", no ":", no control character, not "." or "..", with or without percent-encoding.
bool IsSafeFolderName(std::string_view name);

/// The address of `entry` (a picture line, a page link or a test's file name; Windows-1252,
/// "\" taken as "/") inside webBase & "tests/" & testFolder & "/", percent-encoded. Returns
/// nothing when the folder name is unsafe or the entry would leave the folder: a "." or ".."
/// part (also percent-encoded), an absolute path, a drive letter, a scheme or host ("http:",
/// "//host"), a control character.
std::optional<std::string> ResolveInTestFolder(std::string_view webBase,
                                               std::string_view testFolder, std::string_view entry);

/// True when the absolute address `address` lies inside `folder` (an absolute address ending
/// with "/"): same scheme, host and port, and a path that, percent-decoded, starts with the
/// folder's path and has no "." or ".." part and no "\". Query and fragment are ignored.
bool IsInsideFolder(std::string_view address, std::string_view folder);

/// The folder of an absolute address: everything up to and including its last "/" (query and
/// fragment dropped).
std::string FolderOf(std::string_view address);

}  // namespace examora
