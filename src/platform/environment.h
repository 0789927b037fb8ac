// The operating-system facts the program asks for: environment variables, the user's login and
// the computer's name, the temporary folder and the program's own folder.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace examora {

class Environment {
 public:
  virtual ~Environment() = default;
  /// An environment variable; names are matched as given and then in upper case, since the
  /// Windows names the program uses ("computername") are not case-sensitive there.
  virtual std::optional<std::string> Variable(std::string_view name) const = 0;
  /// The login name of the user running the program (empty when unknown).
  virtual std::string LoginName() const = 0;
  /// The computer's host name (empty when unknown).
  virtual std::string HostName() const = 0;
  /// The temporary folder, native, ending with a separator.
  virtual std::string TempFolder() const = 0;
  /// The folder of the running executable.
  virtual std::filesystem::path ExecutableFolder() const = 0;
  /// The computer's own configuration file, which no variable can move (empty: none).
  virtual std::filesystem::path LabConfigFile() const { return {}; }
  /// The record keeper's settings file; a lab that has it keeps its records with the keeper
  /// (empty: none).
  virtual std::filesystem::path KeeperConfigFile() const { return {}; }
};

/// The real system.
class SystemEnvironment : public Environment {
 public:
  std::optional<std::string> Variable(std::string_view name) const override;
  std::string LoginName() const override;
  std::string HostName() const override;
  std::string TempFolder() const override;
  std::filesystem::path ExecutableFolder() const override;
  std::filesystem::path LabConfigFile() const override { return "/etc/xdg/examora/examora.conf"; }
  std::filesystem::path KeeperConfigFile() const override { return "/etc/examora/keeper.conf"; }
};

/// A made-up system for tests and tools: every fact is a plain field.
class FixedEnvironment : public Environment {
 public:
  std::map<std::string, std::string, std::less<>> variables;
  std::string login;
  std::string host;
  std::string temp = "/tmp/";
  std::filesystem::path executableFolder = "/opt/examora";
  std::filesystem::path labConfigFile;

  std::optional<std::string> Variable(std::string_view name) const override;
  std::string LoginName() const override { return login; }
  std::string HostName() const override { return host; }
  std::string TempFolder() const override { return temp; }
  std::filesystem::path ExecutableFolder() const override { return executableFolder; }
  std::filesystem::path LabConfigFile() const override { return labConfigFile; }
};

/// The real system, shared: for callers that are handed no environment of their own.
const Environment& ProcessEnvironment();

/// The computer's name: "computername" when set and not empty, else the host name.
std::string ComputerName(const Environment& env);

/// The user's name: "USERNAME" when set and not empty, else the login name.
std::string WindowsUserName(const Environment& env);

}  // namespace examora
