#include "app/admin_password.h"

#include <sodium.h>

#include "common/error.h"
#include "common/text.h"
#include "platform/files.h"

namespace examora {
namespace {

void InitSodium() {
  if (sodium_init() < 0) throw Error("The password library could not be started");
}

}  // namespace

std::string HashAdminPassword(std::string_view password) {
  if (password.size() != kAdminPasswordLength) {
    throw FormatError("The administrator password must have " +
                      std::to_string(kAdminPasswordLength) + " characters, not " +
                      std::to_string(password.size()));
  }
  // Eight blanks pass the length rule and are the first thing anyone tries.
  if (password.find_first_not_of(" \t") == std::string_view::npos) {
    throw FormatError("The administrator password must not be only blanks");
  }
  InitSodium();
  char hash[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                        crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
    throw Error("Not enough memory to hash the administrator password");
  }
  return hash;
}

bool CheckAdminPassword(std::string_view hash, std::string_view password) {
  InitSodium();
  const std::string terminated(hash);
  return crypto_pwhash_str_verify(terminated.c_str(), password.data(), password.size()) == 0;
}

void WriteAdminPasswordFile(const std::filesystem::path& file, const std::string& hash) {
  std::filesystem::create_directories(file.parent_path());
  // A hash can be attacked offline by whoever can read it: only its owner may.
  WriteFileAtomically(file, hash + "\r\n", NewFile::kOwnerOnly);
}

std::optional<std::string> ReadAdminPasswordHash(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return std::nullopt;
  const auto lines = SplitLines(ReadFileBytes(file));
  return lines.empty() ? std::string() : Trim(lines[0]);
}

}  // namespace examora
