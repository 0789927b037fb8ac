// Configuration files: the input is an INI file's text, parsed as text and then read as the
// configuration files of a made-up system in a fresh folder. The first byte's bits 0-2 say
// which files hold it: the user's, the system's, and the computer's own file (which alone
// counts when it says mode = exam). The settings are then loaded, listed, and the drive paths
// they configure are mapped as the program maps them. Refusals and recorded problems are fine;
// crashes, sanitizer reports and contradictions are not.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ini_file.h"
#include "app/settings.h"
#include "common/error.h"
#include "fuzz_temp_folder.h"
#include "platform/environment.h"

namespace {

// Every entry has a key and lies on a line of the text, in order.
void CheckParsed(const examora::IniFile& file) {
  int last = 0;
  for (const auto& entry : file.entries) {
    if (entry.key.empty() || entry.line < last || entry.line < 1) std::abort();
    last = entry.line;
  }
}

void LoadFrom(const std::filesystem::path& root, std::uint8_t which, const std::string& text) {
  examora::FixedEnvironment env;
  env.variables["HOME"] = root.string();
  env.variables["XDG_CONFIG_HOME"] = (root / "user").string();
  env.variables["XDG_CONFIG_DIRS"] = (root / "system").string();
  env.executableFolder = root / "bin";
  env.labConfigFile = root / "lab.conf";
  if (which & 1) examora_fuzz::WriteFile(root / "user" / "examora" / "examora.conf", text);
  if (which & 2) examora_fuzz::WriteFile(root / "system" / "examora" / "examora.conf", text);
  if (which & 4) examora_fuzz::WriteFile(env.labConfigFile, text);
  std::vector<std::string> args;
  const examora::DeploymentSettings settings = examora::LoadDeploymentSettings(args, env);
  if (settings.webBase.empty() || settings.webBase.back() != '/') std::abort();
  examora::FormatSettings(settings);
  const examora::PathMapper paths = settings.Paths();
  for (const std::string& windowsPath : {std::string("R:\\results\\123456789.txt"),
                                         settings.programFolder + "\\data\\testlist.txt"}) {
    try {
      paths.ToNative(windowsPath);
    } catch (const examora::FileError&) {
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 65536) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  CheckParsed(examora::ParseIni(text, "examora.conf"));
  examora_fuzz::TempFolder temp;
  LoadFrom(temp.Path(), data[0], text);
  return 0;
}
