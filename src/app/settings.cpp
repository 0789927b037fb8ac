#include "app/settings.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <set>

#include "app/exam_session.h"
#include "app/ini_file.h"
#include "app/publish.h"
#include "app/web_address.h"
#include "common/error.h"
#include "common/text.h"

namespace examora {
namespace {

// One line per setting; a new deployment setting needs nothing else to be read from options,
// the environment and both configuration files, and to appear in the help and man pages.
constexpr SettingKey kSettingKeys[] = {
    {"web-base", "--web-base", "EXAMORA_WEB_BASE", "", "URL",
     "web folder of the test list and the tests (default: the bundled sample web folder)"},
    {"program-folder", "--program-folder", "EXAMORA_PROGRAM_FOLDER", "", "PATH",
     "the program's folder as its folder rules see it, as in D:\\exams (default: from the "
     "folder of the program's data, beside the executable or ../share/examora when installed)"},
    {"drives/X", "--drive", "EXAMORA_DRIVE_X", "", "X=FOLDER",
     "folder standing for drive X, as in R=/srv/results (default: "
     "~/.local/share/examora/drives/X)"},
    {"mode", "--exam", "EXAMORA_MODE", "exam", "MODE",
     "\"exam\": students sign in and every attempt is recorded (default: study mode)"},
    {"students", "--students", "EXAMORA_STUDENTS", "", "FILE",
     "the enciphered class list exam sign-in reads (default: "
     "<program folder>/info/data/std_crypt.eqb)"},
    {"journal-key", "--journal-key", "EXAMORA_JOURNAL_KEY", "", "FILE",
     "the secret that seals exam sitting journals, made on first use (default: "
     "~/.local/share/examora/journal.key)"},
    {"admin-password-file", "--admin-password-file", "EXAMORA_ADMIN_PASSWORD_FILE", "", "FILE",
     "the file holding the hash of the administrator password that opens the teacher's menu "
     "(default: ~/.local/share/examora/admin-password)"},
};

// A value found in one source, by key.
struct Found {
  std::string value;
  std::string origin;
};
using Layer = std::map<std::string, Found>;

bool IsFamily(const SettingKey& k) {
  return k.key.ends_with("/X");
}

std::string MemberKey(const SettingKey& k, char letter) {
  return std::string(k.key.substr(0, k.key.size() - 1)) + letter;
}

std::string MemberVariable(const SettingKey& k, char letter) {
  return std::string(k.variable.substr(0, k.variable.size() - 1)) + letter;
}

char UpperLetter(char c) {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
}

// Takes every "--name VALUE" or "--name=VALUE" (or a bare flag) out of args, in order.
std::vector<std::string> TakeOption(std::vector<std::string>& args, const SettingKey& k) {
  const std::string name(k.option);
  std::vector<std::string> found;
  for (std::size_t i = 0; i < args.size();) {
    const auto at = args.begin() + static_cast<std::ptrdiff_t>(i);
    if (args[i] == name && !k.flagValue.empty()) {
      found.emplace_back(k.flagValue);
      args.erase(at);
    } else if (args[i] == name) {
      if (i + 1 >= args.size()) throw FormatError("Option " + name + " needs a value");
      found.push_back(args[i + 1]);
      args.erase(at, at + 2);
    } else if (k.flagValue.empty() && args[i].starts_with(name + "=")) {
      found.push_back(args[i].substr(name.size() + 1));
      args.erase(at);
    } else {
      ++i;
    }
  }
  return found;
}

Layer FromOptions(std::span<const SettingKey> keys, std::vector<std::string>& args) {
  Layer layer;
  for (const auto& k : keys) {
    for (const auto& item : TakeOption(args, k)) {
      if (!IsFamily(k)) {
        layer[std::string(k.key)] = {item, std::string(k.option)};
      } else if (item.size() >= 3 && std::isalpha(static_cast<unsigned char>(item[0])) &&
                 item[1] == '=') {
        layer[MemberKey(k, UpperLetter(item[0]))] = {item.substr(2), std::string(k.option)};
      } else {
        throw FormatError("Option " + std::string(k.option) + " takes " + std::string(k.valueName) +
                          ", as in R=/srv/results; got \"" + item + "\"");
      }
    }
  }
  return layer;
}

Layer FromEnvironment(std::span<const SettingKey> keys, const Environment& env) {
  Layer layer;
  auto take = [&](const std::string& key, const std::string& variable) {
    if (auto value = env.Variable(variable); value && !value->empty()) {
      layer[key] = {*value, variable};
    }
  };
  for (const auto& k : keys) {
    if (!IsFamily(k)) {
      take(std::string(k.key), std::string(k.variable));
      continue;
    }
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
      take(MemberKey(k, letter), MemberVariable(k, letter));
    }
  }
  return layer;
}

// A key written in a file, by the table's name ("drives/r" is "drives/R"), with its table line.
struct Known {
  std::string key;
  const SettingKey* setting = nullptr;
};

std::optional<Known> KnownKey(std::span<const SettingKey> keys, const std::string& key) {
  for (const auto& k : keys) {
    if (!IsFamily(k) && key == k.key) return Known{key, &k};
    const auto prefix = k.key.substr(0, k.key.size() - 1);
    if (IsFamily(k) && key.size() == prefix.size() + 1 && key.starts_with(prefix) &&
        std::isalpha(static_cast<unsigned char>(key.back()))) {
      return Known{MemberKey(k, UpperLetter(key.back())), &k};
    }
  }
  return std::nullopt;
}

// A file or folder in a configuration file is relative to that file's folder, so a lab's file
// means the same whatever folder the program starts in. (The program folder is a Windows-style
// path the folder rules see, and the web folder an address: both stay as written.)
std::string InFileFolder(const SettingKey& k, const std::string& file, const std::string& value) {
  const bool native = k.valueName == "FILE" || k.valueName.ends_with("FOLDER");
  if (!native || std::filesystem::path(value).is_absolute()) return value;
  return (std::filesystem::path(file).parent_path() / value).string();
}

std::string KnownKeyList(std::span<const SettingKey> keys) {
  std::string list;
  for (const auto& k : keys) list += (list.empty() ? "" : ", ") + std::string(k.key);
  return list;
}

// Adds a file's values to `layer` (a key already there stays: it came from a stronger file).
// Within one file the last line for a key counts, as a reader going down the file expects, and
// the repetition is reported.
void AddFile(std::span<const SettingKey> keys, const IniFile& file, Layer& layer,
             std::vector<std::string>& problems) {
  std::vector<IniProblem> found = file.problems;
  int leftOut = file.problemsLeftOut;
  // The file's own problems are its first ones by line; of those found here, as many again in
  // line order are enough to know the first of all, and the rest are only counted.
  std::size_t foundHere = 0;
  const auto report = [&](int line, std::string message) {
    if (foundHere++ < kMostProblemsKept) {
      found.push_back({file.path, line, std::move(message)});
    } else {
      ++leftOut;
    }
  };
  std::map<std::string, int> firstLine;  // the keys this file names, at their first line
  std::set<std::string> setHere;         // those whose value this file put in the layer
  for (const auto& entry : file.entries) {
    const auto known = KnownKey(keys, entry.key);
    if (!known) {
      report(entry.line, "unknown key " + QuotedInMessage(entry.key) +
                             " (known keys: " + KnownKeyList(keys) + ")");
      continue;
    }
    const std::string& key = known->key;
    if (const auto first = firstLine.find(key); first != firstLine.end()) {
      report(entry.line, "\"" + entry.key + "\" is set again (first at line " +
                             std::to_string(first->second) + "); this line counts");
      if (setHere.erase(key)) layer.erase(key);
    } else {
      firstLine[key] = entry.line;
    }
    if (!entry.value.empty() && !layer.count(key)) {
      layer[key] = {InFileFolder(*known->setting, file.path, entry.value),
                    file.path + ":" + std::to_string(entry.line)};
      setHere.insert(key);
    }
  }
  // In the order of the file, as someone mending it reads it.
  std::stable_sort(found.begin(), found.end(),
                   [](const IniProblem& a, const IniProblem& b) { return a.line < b.line; });
  if (found.size() > kMostProblemsKept) {
    leftOut += static_cast<int>(found.size() - kMostProblemsKept);
    found.resize(kMostProblemsKept);
  }
  for (auto& line : ProblemLines(file.path, found, leftOut)) problems.push_back(std::move(line));
}

std::filesystem::path ConfigHome(const Environment& env) {
  if (auto xdg = env.Variable("XDG_CONFIG_HOME"); xdg && xdg->starts_with('/')) return *xdg;
  if (auto home = env.Variable("HOME"); home && !home->empty()) {
    return std::filesystem::path(*home) / ".config";
  }
  return {};
}

std::vector<std::filesystem::path> ConfigDirs(const Environment& env) {
  std::vector<std::filesystem::path> dirs;
  if (auto xdg = env.Variable("XDG_CONFIG_DIRS")) {
    std::size_t start = 0;
    while (start <= xdg->size()) {
      auto end = xdg->find(':', start);
      if (end == std::string::npos) end = xdg->size();
      // Relative entries are invalid by the base directory rules and are ignored.
      if (end > start && (*xdg)[start] == '/') dirs.emplace_back(xdg->substr(start, end - start));
      start = end + 1;
    }
  }
  if (dirs.empty()) dirs.emplace_back("/etc/xdg");
  return dirs;
}

std::filesystem::path DataHome(const Environment& env) {
  if (auto xdg = env.Variable("XDG_DATA_HOME"); xdg && !xdg->empty()) return *xdg;
  if (auto home = env.Variable("HOME"); home && !home->empty()) {
    return std::filesystem::path(*home) / ".local" / "share";
  }
  return std::filesystem::path(env.TempFolder());
}

std::string SourceText(const SettingValue& v) {
  switch (v.source) {
    case SettingSource::kOption:
      return "option " + v.origin;
    case SettingSource::kEnvironment:
      return "environment " + v.origin;
    case SettingSource::kUserFile:
      return "user file " + v.origin;
    case SettingSource::kSystemFile:
      return "system file " + v.origin;
    case SettingSource::kDefault:
      break;
  }
  return "default";
}

// Whether two names lead to one file: a folder of XDG_CONFIG_DIRS may be written "/etc//xdg/"
// or reached through a link, and the exam computer's own file must still be known as itself.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  return a.lexically_normal() == b.lexically_normal() || std::filesystem::equivalent(a, b, ec);
}

// The file a value was read from ("FILE:LINE"), or the option or variable it came from.
std::string OriginFile(const std::string& origin) {
  return origin.substr(0, origin.rfind(':'));
}

// The computer's own configuration file when it says "mode = exam".
std::optional<IniFile> LabConfigOfAnExamComputer(const Environment& env) {
  const std::filesystem::path path = env.LabConfigFile();
  if (path.empty()) return std::nullopt;
  IniFile file = ReadIniFile(path);
  for (const auto& entry : file.entries) {
    if (entry.key == "mode" && LowerAscii(entry.value) == "exam") return file;
  }
  return std::nullopt;
}

// Why a value cannot be used, or "" when it can; an accepted web folder address or mode is
// put in its usual form.
std::string Refusal(SettingValue& v) {
  if (v.value.empty()) return {};  // the default, worked out by the loader
  if (v.key == "web-base") {
    try {
      v.value = WebFolderAddress(v.value);
    } catch (const FormatError& e) {
      return e.what();
    }
  } else if (v.key == "mode") {
    const std::string mode = LowerAscii(v.value);
    if (mode != "exam" && mode != "study") {
      return "mode is \"exam\" or \"study\", not \"" + v.value + "\"";
    }
    v.value = mode;
  }
  return {};
}

// Of each key's values (strongest first), the first that can be used: a refused value gives way
// to the next source, not straight to the default, so a mistake in the environment does not hide
// a good system file. Each refusal is reported with what is used instead; a mistyped option
// stops at once.
std::vector<SettingValue> FirstAccepted(const std::vector<SettingValue>& all,
                                        std::vector<std::string>& problems) {
  std::vector<SettingValue> chosen;
  for (std::size_t i = 0; i < all.size();) {
    const std::string& key = all[i].key;
    std::vector<std::string> refused;
    std::optional<SettingValue> use;
    for (; i < all.size() && all[i].key == key; ++i) {
      if (use) continue;
      SettingValue candidate = all[i];
      const std::string why = Refusal(candidate);
      if (why.empty()) {
        use = candidate;
      } else if (candidate.source == SettingSource::kOption) {
        throw FormatError(why);
      } else {
        refused.push_back(candidate.origin + ": " + why);
      }
    }
    if (!use) use = SettingValue{key, {}, SettingSource::kDefault, {}};
    const std::string instead =
        use->source == SettingSource::kDefault ? "the default" : "the value of " + SourceText(*use);
    for (const auto& r : refused) problems.push_back(r + "; " + instead + " is used");
    chosen.push_back(*use);
  }
  return chosen;
}

}  // namespace

std::span<const SettingKey> SettingKeys() {
  return kSettingKeys;
}

PathMapper DeploymentSettings::Paths() const {
  return PathMapper(programFolder, programFolderNative, drives, otherDrivesRoot);
}

const SettingValue* DeploymentSettings::Find(std::string_view key) const {
  for (const auto& v : values) {
    if (v.key == key) return &v;
  }
  return nullptr;
}

std::string WithTrailingSlash(std::string address) {
  if (address.empty() || address.back() != '/') address += '/';
  return address;
}

std::vector<SettingValue> ResolveSettings(std::span<const SettingKey> keys,
                                          std::vector<std::string>& args, const Environment& env,
                                          std::vector<std::string>& files,
                                          std::vector<std::string>& problems) {
  const Layer options = FromOptions(keys, args);
  const Layer environment = FromEnvironment(keys, env);
  Layer user, system;
  if (const auto home = ConfigHome(env); !home.empty()) {
    files.push_back((home / "examora" / "examora.conf").string());
    AddFile(keys, ReadIniFile(files.back()), user, problems);
  }
  for (const auto& dir : ConfigDirs(env)) {
    files.push_back((dir / "examora" / "examora.conf").string());
    AddFile(keys, ReadIniFile(files.back()), system, problems);
  }
  std::vector<std::pair<const Layer*, SettingSource>> layers = {
      {&options, SettingSource::kOption},
      {&environment, SettingSource::kEnvironment},
      {&user, SettingSource::kUserFile},
      {&system, SettingSource::kSystemFile}};
  Layer lab;
  if (const auto file = LabConfigOfAnExamComputer(env)) {
    // Whoever sits at an exam computer must not bring another class list, password file or
    // results folder: its own file alone counts, and everything else is said and ignored.
    std::vector<std::string> labProblems;
    AddFile(keys, *file, lab, labProblems);
    // Read already as a system file, its problems are reported already.
    const auto isLab = [&](const std::string& name) { return SameFile(name, file->path); };
    if (std::none_of(files.begin(), files.end(), isLab)) {
      problems.insert(problems.end(), labProblems.begin(), labProblems.end());
    }
    for (const auto& [layer, source] : layers) {
      for (const auto& [key, found] : *layer) {
        if (!isLab(OriginFile(found.origin))) {
          problems.push_back(found.origin + ": ignored, as " + file->path +
                             " sets this computer up for exams and alone counts");
        }
      }
    }
    layers = {{&lab, SettingSource::kSystemFile}};
    files = {file->path};
  } else if (InExamSession(env)) {
    // The locked exam session trusts nothing its student can set: the computer's own files
    // alone count.
    for (const auto& [layer, source] : layers) {
      if (source == SettingSource::kSystemFile) continue;
      for (const auto& [key, found] : *layer) {
        problems.push_back(found.origin +
                           ": ignored in the exam session, where the computer's own settings "
                           "alone count");
      }
    }
    layers = {{&system, SettingSource::kSystemFile}};
  }
  std::vector<SettingValue> values;
  auto every = [&](const std::string& key) {
    for (const auto& [layer, source] : layers) {
      if (auto it = layer->find(key); it != layer->end()) {
        values.push_back({key, it->second.value, source, it->second.origin});
      }
    }
  };
  for (const auto& k : keys) {
    if (!IsFamily(k)) {
      every(std::string(k.key));
      values.push_back({std::string(k.key), {}, SettingSource::kDefault, {}});
      continue;
    }
    for (char letter = 'A'; letter <= 'Z'; ++letter) every(MemberKey(k, letter));
  }
  return values;
}

std::filesystem::path DefaultProgramFolder(const std::filesystem::path& executableFolder) {
  std::error_code ec;
  if (std::filesystem::is_directory(executableFolder / "webroot", ec)) return executableFolder;
  if (executableFolder.filename() == "bin") {
    return executableFolder.parent_path() / "share" / "examora";
  }
  return executableFolder;
}

std::filesystem::path DefaultWebFolder(const std::filesystem::path& executableFolder) {
  return DefaultProgramFolder(executableFolder) / "webroot";
}

DeploymentSettings LoadDeploymentSettings(std::vector<std::string>& args, const Environment& env) {
  DeploymentSettings s;
  s.programFolderNative = DefaultProgramFolder(env.ExecutableFolder());
  s.values =
      FirstAccepted(ResolveSettings(SettingKeys(), args, env, s.files, s.problems), s.problems);
  for (const auto& v : s.values) {
    if (v.key.starts_with("drives/")) s.drives[v.key.back()] = v.value;
  }
  s.otherDrivesRoot = DataHome(env) / "examora" / "drives";
  for (auto& v : s.values) {
    if (v.key == "web-base") {
      s.webBase =
          v.value.empty() ? FolderFileUrl(DefaultWebFolder(s.programFolderNative)) : v.value;
      v.value = s.webBase;
    } else if (v.key == "program-folder") {
      s.programFolder =
          v.value.empty() ? WindowsProgramFolder(s.programFolderNative, s.drives) : v.value;
      v.value = s.programFolder;
    } else if (v.key == "mode") {
      s.examMode = v.value == "exam";
      v.value = s.examMode ? "exam" : "study";
    } else if (v.key == "students") {
      s.studentsFile = v.value.empty() ? s.programFolderNative / "info" / "data" / "std_crypt.eqb"
                                       : std::filesystem::path(v.value);
      v.value = s.studentsFile.string();
    } else if (v.key == "journal-key") {
      s.journalKeyFile = v.value.empty() ? DataHome(env) / "examora" / "journal.key"
                                         : std::filesystem::path(v.value);
      v.value = s.journalKeyFile.string();
    } else if (v.key == "admin-password-file") {
      // On a computer locked for exams the home folder's default is the student's to write:
      // only a file the computer names holds the administrator's hash.
      const bool locked = InExamSession(env) || LabConfigOfAnExamComputer(env).has_value();
      s.adminPasswordFile = !v.value.empty() ? std::filesystem::path(v.value)
                            : locked         ? std::filesystem::path()
                                             : DataHome(env) / "examora" / "admin-password";
      v.value = s.adminPasswordFile.string();
    }
  }
  return s;
}

std::filesystem::path ProcessorTestListFile(const DeploymentSettings& settings) {
  const auto own = settings.Paths().ToNative(settings.programFolder + "\\data\\testlist.txt");
  std::error_code ec;
  if (std::filesystem::exists(own, ec)) return own;
  const std::string web = WebFolderOnDisk(settings.webBase);
  if (web.empty()) return own;
  return std::filesystem::path(web) / "info" / "data" / "testlist.txt";
}

std::string FormatSettings(const DeploymentSettings& settings) {
  std::string text = "# configuration files, strongest first:\n";
  for (const auto& file : settings.files) text += "#   " + file + "\n";
  for (const auto& v : settings.values) {
    text += v.key + "\t" + v.value + "\t" + SourceText(v) + "\n";
  }
  return text;
}

}  // namespace examora
