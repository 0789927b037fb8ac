#include "app/settings.h"

#include <cctype>

#include "app/web_address.h"
#include "common/error.h"

namespace examora {
namespace {

// Takes "--name VALUE" or "--name=VALUE" out of args; the last one given wins.
std::optional<std::string> TakeOption(std::vector<std::string>& args, const std::string& name,
                                      std::vector<std::string>* all = nullptr) {
  std::optional<std::string> value;
  for (std::size_t i = 0; i < args.size();) {
    std::optional<std::string> found;
    if (args[i] == name) {
      if (i + 1 >= args.size()) throw FormatError("Option " + name + " needs a value");
      found = args[i + 1];
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i), args.begin() + i + 2);
    } else if (args[i].starts_with(name + "=")) {
      found = args[i].substr(name.size() + 1);
      args.erase(args.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
      continue;
    }
    if (all) all->push_back(*found);
    value = found;
  }
  return value;
}

std::filesystem::path DataHome(const Environment& env) {
  if (auto xdg = env.Variable("XDG_DATA_HOME"); xdg && !xdg->empty()) return *xdg;
  if (auto home = env.Variable("HOME"); home && !home->empty()) {
    return std::filesystem::path(*home) / ".local" / "share";
  }
  return std::filesystem::path(env.TempFolder());
}

void ReadDrives(std::vector<std::string>& args, const Environment& env,
                std::map<char, std::filesystem::path>& drives) {
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (auto folder = env.Variable(std::string("EXAMORA_DRIVE_") + letter);
        folder && !folder->empty()) {
      drives[letter] = *folder;
    }
  }
  std::vector<std::string> given;
  TakeOption(args, "--drive", &given);
  for (const auto& item : given) {
    if (item.size() < 3 || !std::isalpha(static_cast<unsigned char>(item[0])) || item[1] != '=') {
      throw FormatError("Option --drive takes LETTER=FOLDER, as in R=/srv/results; got \"" + item +
                        "\"");
    }
    drives[static_cast<char>(std::toupper(static_cast<unsigned char>(item[0])))] = item.substr(2);
  }
}

}  // namespace

PathMapper DeploymentSettings::Paths() const {
  return PathMapper(programFolder, programFolderNative, drives, otherDrivesRoot);
}

std::string WithTrailingSlash(std::string address) {
  if (address.empty() || address.back() != '/') address += '/';
  return address;
}

DeploymentSettings LoadDeploymentSettings(std::vector<std::string>& args, const Environment& env) {
  DeploymentSettings settings;
  settings.programFolderNative = env.ExecutableFolder();
  ReadDrives(args, env, settings.drives);
  settings.otherDrivesRoot = DataHome(env) / "examora" / "drives";

  auto webBase = TakeOption(args, "--web-base");
  if (!webBase) webBase = env.Variable("EXAMORA_WEB_BASE");
  settings.webBase = webBase && !webBase->empty()
                         ? WebFolderAddress(*webBase)
                         : FolderFileUrl(settings.programFolderNative / "webroot");

  auto programFolder = TakeOption(args, "--program-folder");
  if (!programFolder) programFolder = env.Variable("EXAMORA_PROGRAM_FOLDER");
  settings.programFolder =
      programFolder && !programFolder->empty()
          ? *programFolder
          : WindowsProgramFolder(settings.programFolderNative, settings.drives);
  return settings;
}

}  // namespace examora
