#include "platform/paths.h"

#include <cctype>

#include "common/error.h"
#include "common/text.h"

namespace examora {
namespace {

bool HasDriveLetter(std::string_view path) {
  return path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
}

// Appends the parts of `rest` (separated by "\" or "/") to `base`, skipping empty parts. The
// paths are built from student data, so a part that would climb out of `base` ("..", a drive
// letter) is refused rather than followed.
std::filesystem::path Join(std::filesystem::path base, std::string_view rest,
                           std::string_view whole) {
  std::size_t start = 0;
  while (start <= rest.size()) {
    auto end = rest.find_first_of("\\/", start);
    if (end == std::string_view::npos) end = rest.size();
    const std::string part(rest.substr(start, end - start));
    if (part == ".." || part.find(':') != std::string::npos) {
      throw FileError("The path \"" + std::string(whole) + "\" leads out of its folder");
    }
    if (!part.empty() && part != ".") base /= part;
    start = end + 1;
  }
  return base;
}

}  // namespace

PathMapper::PathMapper(std::string programFolder, std::filesystem::path programFolderNative,
                       std::map<char, std::filesystem::path> drives,
                       std::filesystem::path otherDrivesRoot)
    : programFolder_(std::move(programFolder)),
      programFolderNative_(std::move(programFolderNative)),
      drives_(std::move(drives)),
      otherDrivesRoot_(std::move(otherDrivesRoot)) {}

std::filesystem::path PathMapper::DriveFolder(char letter) const {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  if (auto it = drives_.find(upper); it != drives_.end()) return it->second;
  return otherDrivesRoot_ / std::string(1, upper);
}

std::filesystem::path PathMapper::ToNative(std::string_view windowsPath) const {
  const std::string upperPath = UpperAscii(windowsPath);
  const std::string upperProgram = UpperAscii(programFolder_);
  if (!programFolder_.empty() && upperPath.starts_with(upperProgram) &&
      (windowsPath.size() == programFolder_.size() || windowsPath[programFolder_.size()] == '\\')) {
    return Join(programFolderNative_, windowsPath.substr(programFolder_.size()), windowsPath);
  }
  if (HasDriveLetter(windowsPath)) {
    return Join(DriveFolder(windowsPath[0]), windowsPath.substr(2), windowsPath);
  }
  std::string native(windowsPath);
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

std::string WindowsProgramFolder(const std::filesystem::path& nativeFolder,
                                 const std::map<char, std::filesystem::path>& drives) {
  const auto folder = nativeFolder.lexically_normal();
  for (const auto& [letter, root] : drives) {
    const auto relative = folder.lexically_relative(root.lexically_normal());
    if (!relative.empty() && *relative.begin() != "..") {
      std::string text(1, letter);
      text += ':';
      if (relative != ".") {
        for (const auto& part : relative) text += "\\" + part.string();
      }
      return text;
    }
  }
  std::string text = "C:";
  for (const auto& part : folder.relative_path()) {
    if (!part.empty()) text += "\\" + part.string();
  }
  return text;
}

std::string FolderFileUrl(const std::filesystem::path& folder) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (unsigned char c : std::filesystem::absolute(folder).lexically_normal().string()) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      url += static_cast<char>(c);
    } else {
      url += '%';
      url += kHex[c >> 4];
      url += kHex[c & 15];
    }
  }
  if (url.back() != '/') url += '/';
  return url;
}

}  // namespace examora
