#include "platform/environment.h"

#include <climits>
#include <cstdlib>
#include <system_error>

#include <pwd.h>
#include <unistd.h>

#include "common/text.h"

namespace examora {
namespace {

std::optional<std::string> Lookup(std::string_view name) {
  if (const char* value = std::getenv(std::string(name).c_str())) return std::string(value);
  return std::nullopt;
}

std::string NonEmptyOr(const std::optional<std::string>& value, std::string fallback) {
  return value && !value->empty() ? *value : fallback;
}

}  // namespace

std::optional<std::string> SystemEnvironment::Variable(std::string_view name) const {
  if (auto value = Lookup(name)) return value;
  return Lookup(UpperAscii(name));
}

std::string SystemEnvironment::LoginName() const {
  if (const passwd* entry = ::getpwuid(::geteuid()); entry && entry->pw_name) {
    return entry->pw_name;
  }
  return NonEmptyOr(Lookup("USER"), NonEmptyOr(Lookup("LOGNAME"), ""));
}

std::string SystemEnvironment::HostName() const {
  char name[HOST_NAME_MAX + 1] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

std::string SystemEnvironment::TempFolder() const {
  std::string folder = NonEmptyOr(Lookup("TMPDIR"), "/tmp");
  if (folder.back() != '/') folder += '/';
  return folder;
}

std::filesystem::path SystemEnvironment::ExecutableFolder() const {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return std::filesystem::current_path(ec);
  return exe.parent_path();
}

std::optional<std::string> FixedEnvironment::Variable(std::string_view name) const {
  if (auto it = variables.find(name); it != variables.end()) return it->second;
  if (auto it = variables.find(UpperAscii(name)); it != variables.end()) return it->second;
  return std::nullopt;
}

const Environment& ProcessEnvironment() {
  static const SystemEnvironment system;
  return system;
}

std::string ComputerName(const Environment& env) {
  return NonEmptyOr(env.Variable("computername"), env.HostName());
}

std::string WindowsUserName(const Environment& env) {
  return NonEmptyOr(env.Variable("USERNAME"), env.LoginName());
}

}  // namespace examora
