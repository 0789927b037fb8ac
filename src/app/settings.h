// Deployment settings: where the web folder is and which native folders stand for the drives
// the folder rules name. They come from command-line options and environment variables, with
// defaults that work out of the box; there is no configuration file.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/environment.h"
#include "platform/paths.h"

namespace examora {

struct DeploymentSettings {
  /// The web folder address; always ends with "/".
  std::string webBase;
  /// The program's folder as the folder rules see it ("D:\exams").
  std::string programFolder;
  /// The native folder of the executable, which `programFolder` stands for.
  std::filesystem::path programFolderNative;
  /// Folders configured for drive letters (upper case).
  std::map<char, std::filesystem::path> drives;
  /// Where drives without a configured folder live, one sub-folder per letter.
  std::filesystem::path otherDrivesRoot;

  PathMapper Paths() const;
};

/// Reads the settings. Options (each also as an environment variable, the option winning):
///   --web-base URL|FOLDER   EXAMORA_WEB_BASE        default: the bundled sample web folder
///     (a bare folder path stands for its file:// URL; another scheme throws FormatError)
///   --drive X=FOLDER        EXAMORA_DRIVE_X         default: <data home>/examora/drives/X
///   --program-folder PATH   EXAMORA_PROGRAM_FOLDER  default: from the executable's folder
/// Options it does not know are left in `args` for the caller; a known option without its value
/// throws FormatError.
DeploymentSettings LoadDeploymentSettings(std::vector<std::string>& args, const Environment& env);

/// Adds the "/" a web folder address must end with.
std::string WithTrailingSlash(std::string address);

}  // namespace examora
