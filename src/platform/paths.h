// Windows-style paths, as the program's folder rules build them ("R:\...\student_files\"),
// mapped to native folders: a drive letter X stands for the folder configured for it, and the
// program's own folder stands for the folder of the executable.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace examora {

class PathMapper {
 public:
  /// `programFolder`: the program's folder as the rules see it ("D:\exams"), standing for
  /// `programFolderNative`. `drives`: folders for drive letters (upper case); a drive without
  /// one lives in `otherDrivesRoot`/<letter>.
  PathMapper(std::string programFolder, std::filesystem::path programFolderNative,
             std::map<char, std::filesystem::path> drives, std::filesystem::path otherDrivesRoot);

  /// The native path for a Windows-style path; a path without a drive letter only has its
  /// backslashes turned into separators. A drive or program-folder path with a ".." part or a
  /// second drive letter is refused with FileError: it would leave its folder.
  std::filesystem::path ToNative(std::string_view windowsPath) const;

  /// The folder standing for a drive letter.
  std::filesystem::path DriveFolder(char letter) const;

 private:
  std::string programFolder_;
  std::filesystem::path programFolderNative_;
  std::map<char, std::filesystem::path> drives_;
  std::filesystem::path otherDrivesRoot_;
};

/// The program's folder in the rules' form for a native executable folder: inside a configured
/// drive folder it lies on that drive ("D:\exams"); anywhere else on drive C, with the native
/// path as its folder path ("C:\opt\examora").
std::string WindowsProgramFolder(const std::filesystem::path& nativeFolder,
                                 const std::map<char, std::filesystem::path>& drives);

/// "file://" URL of a native folder, percent-encoded, ending with "/".
std::string FolderFileUrl(const std::filesystem::path& folder);

}  // namespace examora
