// Session state, the folder rules, deployment settings and the mapping of the rules' paths.
#include <gtest/gtest.h>

#include "app/module_examora.h"
#include "app/settings.h"
#include "common/error.h"
#include "platform/paths.h"

namespace examora {
namespace {

FixedEnvironment LabComputer() {
  FixedEnvironment env;
  env.variables = {{"COMPUTERNAME", "LAB-PC-07"}, {"USERNAME", "qlb305s12"}, {"HOME", "/home/s12"}};
  env.login = "s12";
  env.host = "lab-pc-07.local";
  env.executableFolder = "/opt/examora";
  return env;
}

DeploymentSettings Settings(FixedEnvironment& env, std::vector<std::string> args = {}) {
  return LoadDeploymentSettings(args, env);
}

TEST(InitSession, SetsVersionWebFolderAndComputerName) {
  auto env = LabComputer();
  ModuleExamora m;
  InitSession(m, Settings(env, {"--web-base", "http://127.0.0.1:8000/exams"}), env);
  EXPECT_EQ(m.VersionText, "Examora 568: 2010-03-23");
  EXPECT_EQ(m.WebBase, "http://127.0.0.1:8000/exams/");
  EXPECT_EQ(m.UserName, "LAB-PC-07");  // "computername" matched whatever its case
  // Before SetStudentPaths the sitting file carries the computer name.
  EXPECT_EQ(MakeSittingFileName({2026, 12, 8, 9, 5, 0}, m.UserName), "2612080905LAB-PC-07.txt");
}

TEST(InitSession, FallsBackToTheHostAndLoginNames) {
  FixedEnvironment env;
  env.host = "debian";
  env.login = "teacher";
  ModuleExamora m;
  InitSession(m, Settings(env), env);
  EXPECT_EQ(m.UserName, "debian");
  SetStudentPaths(m, Settings(env), env);
  EXPECT_EQ(m.UserName, "teacher");
}

TEST(SetStudentPaths, ExamRoomAccountsUseDriveR) {
  struct Row {
    const char* user;
    const char* folder;
  };
  const Row rows[] = {
      {"qlb305s12", "R:\\~Glimmerfold Do not delete\\MC\\student_files\\"},
      {"QLB305", "R:\\~Glimmerfold Do not delete\\MC\\student_files\\"},
      {"QLB30", "D:\\~Glimmerfold Do not delete\\MC\\student_files\\"},
      {"xqlb305", "D:\\~Glimmerfold Do not delete\\MC\\student_files\\"},
      {"", "D:\\~Glimmerfold Do not delete\\MC\\student_files\\"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(StudentFilesFolderFor(row.user, "D:\\exams"), row.folder) << row.user;
  }
}

TEST(SetStudentPaths, ProgramOnDriveDGivesTheFourValues) {
  auto env = LabComputer();
  env.variables["USERNAME"] = "jsmith";
  ModuleExamora m;
  const auto values = SetStudentPaths(m, Settings(env, {"--program-folder", "D:\\exams"}), env);
  EXPECT_EQ(values.drive, "D");
  EXPECT_EQ(values.studentDataPath, "D:\\exams\\info\\data\\working\\student_data.txt");
  EXPECT_EQ(values.studentFilesFolder, "D:\\~Glimmerfold Do not delete\\MC\\student_files\\");
  EXPECT_EQ(values.userName, "jsmith");
  EXPECT_EQ(m.StudentFilesFolder, values.studentFilesFolder);
  EXPECT_EQ(m.UserName, "jsmith");
}

TEST(SittingFileName, TwoDigitFieldsThenUserName) {
  EXPECT_EQ(MakeSittingFileName({2009, 1, 2, 3, 4, 59.9}, "jsmith"), "0901020304jsmith.txt");
  EXPECT_EQ(MakeSittingFileName({2026, 12, 31, 23, 59, 0}, ""), "2612312359.txt");
}

TEST(DeploymentSettings, OptionsWinOverEnvironmentAndDefaultsWork) {
  auto env = LabComputer();
  env.variables["EXAMORA_WEB_BASE"] = "file:///srv/web";
  env.variables["EXAMORA_DRIVE_R"] = "/srv/results";
  std::vector<std::string> args = {"-style", "fusion", "--drive", "r=/mnt/r", "--drive=D=/mnt/d"};
  const auto s = LoadDeploymentSettings(args, env);
  EXPECT_EQ(args, (std::vector<std::string>{"-style", "fusion"}));  // left for the caller
  EXPECT_EQ(s.webBase, "file:///srv/web/");
  EXPECT_EQ(s.drives.at('R'), "/mnt/r");
  EXPECT_EQ(s.drives.at('D'), "/mnt/d");
  EXPECT_EQ(s.programFolder, "C:\\opt\\examora");
  EXPECT_EQ(s.otherDrivesRoot, "/home/s12/.local/share/examora/drives");

  FixedEnvironment bare;
  bare.executableFolder = "/usr/lib/exam ora";
  const auto d = Settings(bare);
  EXPECT_EQ(d.webBase, "file:///usr/lib/exam%20ora/webroot/");
}

TEST(DeploymentSettings, ProgramInsideADriveFolderLiesOnThatDrive) {
  FixedEnvironment env;
  env.variables["EXAMORA_DRIVE_D"] = "/media/usb";
  env.executableFolder = "/media/usb/exams";
  EXPECT_EQ(Settings(env).programFolder, "D:\\exams");
  env.executableFolder = "/media/usb";
  EXPECT_EQ(Settings(env).programFolder, "D:");
}

TEST(DeploymentSettings, MalformedOptionsAreReported) {
  FixedEnvironment env;
  std::vector<std::string> noValue = {"--web-base"};
  EXPECT_THROW(LoadDeploymentSettings(noValue, env), FormatError);
  std::vector<std::string> badDrive = {"--drive", "/mnt/r"};
  EXPECT_THROW(LoadDeploymentSettings(badDrive, env), FormatError);
}

TEST(PathMapper, DrivesAndTheProgramFolderMapToNativeFolders) {
  const PathMapper map("D:\\exams", "/opt/examora", {{'R', "/srv/results"}}, "/data/drives");
  struct Row {
    const char* windows;
    const char* native;
  };
  const Row rows[] = {
      {"R:\\~Glimmerfold Do not delete\\MC\\student_files\\s1.txt",
       "/srv/results/~Glimmerfold Do not delete/MC/student_files/s1.txt"},
      {"r:\\x", "/srv/results/x"},
      {"D:\\exams\\info\\data\\working\\student_data.txt",
       "/opt/examora/info/data/working/student_data.txt"},
      {"d:\\EXAMS\\info", "/opt/examora/info"},
      {"D:\\examsX\\a", "/data/drives/D/examsX/a"},  // only whole folder names match
      {"E:\\", "/data/drives/E"},
      {"/tmp/2612080905s1.txt", "/tmp/2612080905s1.txt"},
      {"tests\\101\\a.txt", "tests/101/a.txt"},
  };
  for (const auto& row : rows) EXPECT_EQ(map.ToNative(row.windows).string(), row.native);
}

}  // namespace
}  // namespace examora
