// The administrator password that guards the teacher's menu. Only a salted, deliberately slow
// hash of it is kept (libsodium's password hashing), in a small deployment file; the clear
// password is never written anywhere.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace examora {

/// The administrator password has exactly this many characters.
inline constexpr std::size_t kAdminPasswordLength = 8;

/// A fresh salted hash of the password, as text. Throws FormatError when the password is not
/// kAdminPasswordLength characters long or only blanks.
std::string HashAdminPassword(std::string_view password);

/// True when the password matches the hash; false for a malformed hash.
bool CheckAdminPassword(std::string_view hash, std::string_view password);

/// Writes the hash as the file's one line; a new file is readable by its owner alone (0600).
void WriteAdminPasswordFile(const std::filesystem::path& file, const std::string& hash);

/// The stored hash, or nothing when the file does not exist (no password set yet).
std::optional<std::string> ReadAdminPasswordHash(const std::filesystem::path& file);

}  // namespace examora
