// Deployment settings: where the web folder is and which native folders stand for the drives
// the folder rules name. Each comes from a command-line option, an environment variable, the
// user's configuration file or the system's, in that order, with defaults that work out of
// the box. One table lists them all, so a new setting is one line.
#pragma once

#include <filesystem>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/environment.h"
#include "platform/paths.h"

namespace examora {

/// One deployment setting. A key ending in "/X" is a family with one member per drive letter
/// ("drives/R"): its option takes LETTER=VALUE and the "X" of its variable stands for the letter.
struct SettingKey {
  std::string_view key;        // the name in the configuration files ("web-base")
  std::string_view option;     // "--web-base"
  std::string_view variable;   // "EXAMORA_WEB_BASE"
  std::string_view flagValue;  // not empty: the option takes no value and means this one
  std::string_view valueName;  // what the option's value is ("URL"), for the help text
  std::string_view help;       // one line for the help text
};

/// Every deployment setting the program knows, in the order they are shown.
std::span<const SettingKey> SettingKeys();

/// Where a value came from, strongest first.
enum class SettingSource { kOption, kEnvironment, kUserFile, kSystemFile, kDefault };

struct SettingValue {
  std::string key;  // "web-base", "drives/R"
  std::string value;
  SettingSource source = SettingSource::kDefault;
  std::string origin;  // the option, the variable, or "FILE:LINE"; empty for a default
};

struct DeploymentSettings {
  /// The web folder address; always ends with "/".
  std::string webBase;
  /// The program's folder as the folder rules see it ("D:\exams").
  std::string programFolder;
  /// The native folder `programFolder` stands for: where the program's data lies.
  std::filesystem::path programFolderNative;
  /// Folders configured for drive letters (upper case).
  std::map<char, std::filesystem::path> drives;
  /// Where drives without a configured folder live, one sub-folder per letter.
  std::filesystem::path otherDrivesRoot;
  /// Exam deployment: students sign in and every attempt is recorded (default: study mode).
  bool examMode = false;
  /// The enciphered students file ("std_crypt.eqb") exam sign-in reads.
  std::filesystem::path studentsFile;
  /// The secret that seals sitting journals; made with mode 0600 on first use.
  std::filesystem::path journalKeyFile;
  /// The file holding the administrator password's hash (see admin_password.h).
  std::filesystem::path adminPasswordFile;
  /// Every setting with a value, in table order, with where each came from.
  std::vector<SettingValue> values;
  /// The configuration files consulted, strongest first.
  std::vector<std::string> files;
  /// What was wrong in them ("FILE:LINE: message"); the other values still count.
  std::vector<std::string> problems;

  PathMapper Paths() const;
  /// The value of a setting, or nullptr when it has none.
  const SettingValue* Find(std::string_view key) const;
};

/// Reads the settings of SettingKeys() from `args` (options are taken out of it; others are
/// left for the caller), the environment and the configuration files: the user's
/// ($XDG_CONFIG_HOME or ~/.config)/examora/examora.conf, then each of $XDG_CONFIG_DIRS (default
/// /etc/xdg)/examora/examora.conf. A known option without its value throws FormatError; a
/// problem in a file is only recorded in `problems`. The web folder may be a URL or a bare folder
/// path (its file:// URL), the mode "exam" or "study" in any case. A refused value throws
/// FormatError when given as an option; from elsewhere it is recorded in `problems` and the next
/// weaker source's acceptable value is used (or the default), listed with its own source.
DeploymentSettings LoadDeploymentSettings(std::vector<std::string>& args, const Environment& env);

/// Every value of `keys` the same sources give, grouped by key in table order and strongest
/// first within a key; a key that is not a family ends with its default (an empty value, worked
/// out by the caller). A relative file or folder in a configuration file is made relative to
/// that file's folder.
std::vector<SettingValue> ResolveSettings(std::span<const SettingKey> keys,
                                          std::vector<std::string>& args, const Environment& env,
                                          std::vector<std::string>& files,
                                          std::vector<std::string>& problems);

/// The program's own folder for an executable's folder: that folder when a "webroot" lies beside
/// the executable (the build tree), else, for a program installed in a "bin" folder,
/// ../share/examora, where the package puts its data.
std::filesystem::path DefaultProgramFolder(const std::filesystem::path& executableFolder);

/// The default web folder: "webroot" in the program's own folder.
std::filesystem::path DefaultWebFolder(const std::filesystem::path& executableFolder);

/// One line per value, "key<TAB>value<TAB>source", after "#" lines naming the files consulted.
std::string FormatSettings(const DeploymentSettings& settings);

/// The test-list file the result processor and the reports read: "data/testlist.txt" in the
/// program's folder when there is one there, else the web folder's own list when the web folder
/// is a folder on this computer (an installed program's data holds no list of its own).
std::filesystem::path ProcessorTestListFile(const DeploymentSettings& settings);

/// Adds the "/" a web folder address must end with.
std::string WithTrailingSlash(std::string address);

}  // namespace examora
