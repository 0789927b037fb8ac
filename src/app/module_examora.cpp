#include "app/module_examora.h"

#include <cstdio>

#include "common/text.h"

namespace examora {
namespace {

constexpr std::string_view kStudentFilesPath = ":\\~Glimmerfold Do not delete\\MC\\student_files\\";
constexpr std::string_view kExamRoomAccount = "QLB305";

}  // namespace

void InitSession(ModuleExamora& m, const DeploymentSettings& settings, const Environment& env) {
  m.VersionText = kVersionText;
  m.WebBase = WithTrailingSlash(settings.webBase);
  m.UserName = ComputerName(env);
}

StudentPathValues SetStudentPaths(ModuleExamora& m, const DeploymentSettings& settings,
                                  const Environment& env) {
  m.UserName = WindowsUserName(env);
  m.StudentFilesFolder = StudentFilesFolderFor(m.UserName, settings.programFolder);
  return {settings.programFolder.substr(0, 1), StudentDataPath(settings.programFolder),
          m.StudentFilesFolder, m.UserName};
}

std::string StudentFilesFolderFor(std::string_view userName, std::string_view programFolder) {
  const char drive = UpperAscii(userName.substr(0, kExamRoomAccount.size())) == kExamRoomAccount
                         ? 'R'
                         : (programFolder.empty() ? 'C' : programFolder[0]);
  return std::string(1, drive) + std::string(kStudentFilesPath);
}

std::string StudentDataPath(std::string_view programFolder) {
  std::string folder(programFolder);
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return folder + "\\info\\data\\working\\student_data.txt";
}

std::string MakeSittingFileName(const LocalDateTime& t, std::string_view userName) {
  char stamp[16];
  std::snprintf(stamp, sizeof stamp, "%02d%02d%02d%02d%02d", t.year % 100, t.month, t.day, t.hour,
                t.minute);
  return stamp + std::string(userName) + ".txt";
}

}  // namespace examora
