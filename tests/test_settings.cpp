// Deployment settings from options, the environment and the configuration files, and the INI
// reader both programs share.
#include <fstream>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "app/ini_file.h"
#include "app/settings.h"
#include "common/error.h"
#include "test_support.h"

namespace examora {
namespace {

using examora::testing::TempDir;

void WriteConf(const std::filesystem::path& dir, const std::string& text) {
  std::filesystem::create_directories(dir / "examora");
  std::ofstream(dir / "examora" / "examora.conf", std::ios::binary) << text;
}

// A machine whose user and system configuration folders lie in `dir`.
FixedEnvironment Machine(const TempDir& dir) {
  FixedEnvironment env;
  env.variables = {
      {"XDG_CONFIG_HOME", (dir / "user").string()},
      {"XDG_CONFIG_DIRS", "relative:" + (dir / "sys1").string() + ":" + (dir / "sys2").string()}};
  env.executableFolder = dir / "bin";
  return env;
}

TEST(DeploymentSettings, EachSourceWinsOverTheWeakerOnes) {
  TempDir dir;
  const std::string user = (dir / "user/examora/examora.conf").string();
  const std::string sys1 = (dir / "sys1/examora/examora.conf").string();
  WriteConf(dir / "user", "# lab 3\nweb-base = http://user/\n");
  WriteConf(dir / "sys1", "[General]\nweb-base = \"http://sys1/\"\n");
  WriteConf(dir / "sys2", "web-base = http://sys2/\n[drives]\nr = /srv/results\n");
  auto env = Machine(dir);
  env.variables["EXAMORA_WEB_BASE"] = "http://env/";
  struct Row {
    std::vector<std::string> args;
    const char* dropVariable;
    const char* dropFile;
    std::string value, origin;
    SettingSource source;
  };
  const Row rows[] = {
      {{"--web-base=http://opt"}, "", "", "http://opt/", "--web-base", SettingSource::kOption},
      {{}, "", "", "http://env/", "EXAMORA_WEB_BASE", SettingSource::kEnvironment},
      {{}, "EXAMORA_WEB_BASE", "", "http://user/", user + ":2", SettingSource::kUserFile},
      {{}, "EXAMORA_WEB_BASE", "user", "http://sys1/", sys1 + ":2", SettingSource::kSystemFile},
      {{}, "EXAMORA_WEB_BASE", "sys", "", "", SettingSource::kDefault},
  };
  for (const auto& row : rows) {
    env.variables.erase(row.dropVariable);
    if (*row.dropFile) std::filesystem::remove_all(dir / row.dropFile);
    if (std::string(row.dropFile) == "sys") {
      std::filesystem::remove_all(dir / "sys1");
      std::filesystem::remove_all(dir / "sys2");
    }
    auto args = row.args;
    const auto s = LoadDeploymentSettings(args, env);
    const SettingValue* web = s.Find("web-base");
    ASSERT_NE(web, nullptr);
    EXPECT_EQ(web->source, row.source) << row.value;
    EXPECT_EQ(web->origin, row.origin);
    if (!row.value.empty()) {
      EXPECT_EQ(s.webBase, row.value);
    }
    EXPECT_TRUE(s.problems.empty());
  }
  // The default: the installed layout's web folder, since no webroot lies beside bin/.
  auto none = std::vector<std::string>{};
  EXPECT_EQ(LoadDeploymentSettings(none, env).webBase,
            FolderFileUrl(dir / "share" / "examora" / "webroot"));
}

TEST(DeploymentSettings, DrivesFromAFileSectionAndTheSecondSystemFile) {
  TempDir dir;
  WriteConf(dir / "sys2", "[drives]\nr = /srv/results\n");
  auto env = Machine(dir);
  std::vector<std::string> args;
  const auto s = LoadDeploymentSettings(args, env);
  EXPECT_EQ(s.drives.at('R'), "/srv/results");
  EXPECT_EQ(s.files.size(), 3u);  // user, sys1, sys2; the relative entry is ignored
  EXPECT_NE(FormatSettings(s).find("drives/R\t/srv/results\tsystem file " +
                                   (dir / "sys2/examora/examora.conf").string() + ":2\n"),
            std::string::npos);
}

TEST(DeploymentSettings, MalformedLinesAndUnknownKeysAreNamedAndTheRestStillCounts) {
  TempDir dir;
  WriteConf(dir / "user",
            "web-base = http://lab/\nwebbase = x\nno equals sign\n[drives\n = y\n"
            "[drives]\nR = /srv/r\n");
  auto env = Machine(dir);
  std::vector<std::string> args;
  const auto s = LoadDeploymentSettings(args, env);
  const std::string file = (dir / "user/examora/examora.conf").string();
  EXPECT_EQ(s.problems, (std::vector<std::string>{
                            file + ":2: unknown key \"webbase\" (known keys: web-base, "
                                   "program-folder, drives/X, mode, students, journal-key, "
                                   "admin-password-file)",
                            file + ":3: expected \"key = value\" or \"[section]\", got \"no "
                                   "equals sign\"",
                            file + ":4: a section header must end with \"]\": \"[drives\"",
                            file + ":5: a key is missing before \"=\""}));
  EXPECT_EQ(s.webBase, "http://lab/");
  EXPECT_EQ(s.drives.at('R'), "/srv/r");
}

TEST(DeploymentSettings, ARepeatedKeyIsReportedAndItsLastLineCounts) {
  TempDir dir;
  const std::string user = (dir / "user/examora/examora.conf").string();
  const std::string sys1 = (dir / "sys1/examora/examora.conf").string();
  WriteConf(dir / "user", "mode = exam\nMODE = x\nmode = study\n");
  WriteConf(dir / "sys1", "students = /a\nstudents = /b\nweb-base = http://x/\nweb-base =\n");
  auto env = Machine(dir);
  std::vector<std::string> args;
  const auto s = LoadDeploymentSettings(args, env);
  EXPECT_EQ(s.problems,
            (std::vector<std::string>{
                user + ":2: unknown key \"MODE\" (known keys: web-base, program-folder, drives/X, "
                       "mode, students, journal-key, admin-password-file)",
                user + ":3: \"mode\" is set again (first at line 1); this line counts",
                sys1 + ":2: \"students\" is set again (first at line 1); this line counts",
                sys1 + ":4: \"web-base\" is set again (first at line 3); this line counts"}));
  EXPECT_FALSE(s.examMode);
  EXPECT_EQ(s.Find("mode")->origin, user + ":3");
  EXPECT_EQ(s.studentsFile, "/b");
  EXPECT_EQ(s.Find("web-base")->source, SettingSource::kDefault);  // emptied by its last line
  // A key once in each file: the user's line wins without complaint.
  WriteConf(dir / "sys1", "mode = exam\n");
  EXPECT_EQ(LoadDeploymentSettings(args, env).Find("mode")->origin, user + ":3");
}

TEST(DeploymentSettings, ARefusedValueGivesWayToTheNextSourceWithAGoodOne) {
  TempDir dir;
  const std::string user = (dir / "user/examora/examora.conf").string();
  const std::string sys = (dir / "sys1/examora/examora.conf").string();
  const std::string ftp =
      "The web folder must be an http://, https:// or file:// address or a "
      "folder path; got \"ftp://x/\"";
  const std::string mode = "mode is \"exam\" or \"study\", not \"exem\"";
  struct Row {
    const char* variable;  // "NAME=VALUE" or ""
    std::string userFile, sysFile, listed;
    std::vector<std::string> problems;
  };
  const Row rows[] = {
      {"EXAMORA_WEB_BASE=ftp://x/",
       "",
       "web-base = http://sys/\n",
       "web-base\thttp://sys/\tsystem file " + sys + ":1",
       {"EXAMORA_WEB_BASE: " + ftp + "; the value of system file " + sys + ":1 is used"}},
      {"EXAMORA_WEB_BASE=ftp://x/",
       "web-base = ftp://x/\n",
       "",
       "web-base\t" + FolderFileUrl(dir / "share/examora/webroot") + "\tdefault",
       {"EXAMORA_WEB_BASE: " + ftp + "; the default is used",
        user + ":1: " + ftp + "; the default is used"}},
      {"EXAMORA_MODE=exem",
       "mode = Exam\n",
       "",
       "mode\texam\tuser file " + user + ":1",
       {"EXAMORA_MODE: " + mode + "; the value of user file " + user + ":1 is used"}},
      {"",
       "mode = exem\n",
       "mode = EXAM\n",
       "mode\texam\tsystem file " + sys + ":1",
       {user + ":1: " + mode + "; the value of system file " + sys + ":1 is used"}},
      {"",
       "mode = exem\n",
       "",
       "mode\tstudy\tdefault",
       {user + ":1: " + mode + "; the default is used"}},
      {"", "mode = STUDY\n", "mode = exam\n", "mode\tstudy\tuser file " + user + ":1", {}},
  };
  for (const auto& row : rows) {
    std::filesystem::remove_all(dir / "user");
    std::filesystem::remove_all(dir / "sys1");
    if (!row.userFile.empty()) WriteConf(dir / "user", row.userFile);
    if (!row.sysFile.empty()) WriteConf(dir / "sys1", row.sysFile);
    auto env = Machine(dir);
    if (const std::string v = row.variable; !v.empty()) {
      env.variables[v.substr(0, v.find('='))] = v.substr(v.find('=') + 1);
    }
    std::vector<std::string> args;
    const auto s = LoadDeploymentSettings(args, env);
    EXPECT_EQ(s.problems, row.problems) << row.listed;
    const std::string listed = FormatSettings(s);
    EXPECT_NE(listed.find("\n" + row.listed + "\n"), std::string::npos) << listed;
    EXPECT_EQ(s.examMode, row.listed.starts_with("mode\texam"));
  }
  // A mistyped option still stops at once, whatever weaker source has a good value.
  WriteConf(dir / "user", "web-base = http://user/\n");
  auto env = Machine(dir);
  std::vector<std::string> args = {"--web-base", "ftp://x/"};
  EXPECT_THROW(LoadDeploymentSettings(args, env), FormatError);
}

TEST(DeploymentSettings, RelativePathsInAFileAreInItsFolderAndElsewhereAsGiven) {
  TempDir dir;
  WriteConf(dir / "sys1",
            "students = class.eqb\njournal-key = keys/j.key\nadmin-password-file = /abs/pw\n"
            "program-folder = exams\n[drives]\nR = results\n");
  auto env = Machine(dir);
  env.variables["EXAMORA_STUDENTS"] = "env.eqb";
  std::vector<std::string> args = {"--drive", "S=opt"};
  const auto s = LoadDeploymentSettings(args, env);
  const auto folder = dir / "sys1/examora";
  EXPECT_EQ(s.studentsFile, "env.eqb");
  EXPECT_EQ(s.journalKeyFile, folder / "keys/j.key");
  EXPECT_EQ(s.adminPasswordFile, "/abs/pw");
  EXPECT_EQ(s.programFolder, "exams");  // the folder rules' own path, not a native one
  EXPECT_EQ(s.drives.at('R'), folder / "results");
  EXPECT_EQ(s.drives.at('S'), "opt");
}

TEST(DeploymentSettings, AnExamComputersOwnFileAloneCounts) {
  TempDir dir;
  WriteConf(dir / "lab", "mode = Exam\nstudents = /etc/examora/class.eqb\n");
  WriteConf(dir / "user", "admin-password-file = /home/s/mine\n[drives]\nC = /home/s/r\n");
  auto env = Machine(dir);
  env.labConfigFile = dir / "lab/examora/examora.conf";
  env.variables["EXAMORA_MODE"] = "study";
  const std::string user = (dir / "user/examora/examora.conf").string();
  std::vector<std::string> args = {"--students", "/tmp/fake.eqb"};
  const auto s = LoadDeploymentSettings(args, env);
  EXPECT_TRUE(s.examMode);
  EXPECT_EQ(s.studentsFile, "/etc/examora/class.eqb");
  EXPECT_TRUE(s.adminPasswordFile.empty());  // neither the user's nor the home folder's default
  EXPECT_EQ(s.drives.count('C'), 0u);
  const std::string why = ": ignored, as " + env.labConfigFile.string() +
                          " sets this computer up for exams and alone counts";
  EXPECT_EQ(s.problems, (std::vector<std::string>{"--students" + why, "EXAMORA_MODE" + why,
                                                  user + ":1" + why, user + ":3" + why}));
  EXPECT_EQ(s.files, std::vector<std::string>{env.labConfigFile.string()});
  // A lab file for study leaves the usual order: the user's file wins.
  WriteConf(dir / "lab", "mode = study\n");
  args = {};
  EXPECT_EQ(LoadDeploymentSettings(args, env).adminPasswordFile, "/home/s/mine");
}

// The locked exam session is an exam computer even without the computer's exam file: a
// student's option, variable and own file are said and ignored, and no password file in their
// home opens the Menu; outside the session the same values count.
TEST(DeploymentSettings, TheExamSessionTrustsOnlyTheComputersFiles) {
  for (const bool session : {true, false}) {
    TempDir dir;
    WriteConf(dir / "sys1", "web-base = /srv/web\n");
    WriteConf(dir / "user", "students = /home/s/class.eqb\n");
    auto env = Machine(dir);
    if (session) env.variables["EXAMORA_EXAM_SESSION"] = "1";
    env.variables["EXAMORA_JOURNAL_KEY"] = "/home/s/key";
    std::vector<std::string> args = {"--web-base", "/home/s/web"};
    const auto s = LoadDeploymentSettings(args, env);
    EXPECT_EQ(s.webBase, session ? "file:///srv/web/" : "file:///home/s/web/") << session;
    EXPECT_EQ(s.studentsFile == "/home/s/class.eqb", !session);
    EXPECT_EQ(s.journalKeyFile == "/home/s/key", !session);
    EXPECT_EQ(s.adminPasswordFile.empty(), session);
    EXPECT_EQ(s.problems.size(), session ? 3u : 0u);
  }
}

// The exam computer's own file may also be one of the system folders' files (under any
// spelling of that folder): either way each of its bad lines is reported once, and its own
// lines are not reported as ignored.
TEST(DeploymentSettings, AnExamComputersBadLinesAreReportedOnce) {
  TempDir dir;
  const std::string sys1 = (dir / "sys1").string();
  const struct Row {
    const char* labFolder;  // under dir
    std::string configDirs;
  } rows[] = {{"lab", sys1},
              {"sys1", sys1},
              {"sys1", sys1 + "/"},
              {"sys1", dir.path().string() + "//sys1"}};
  for (const auto& row : rows) {
    std::filesystem::remove_all(dir / "lab");
    std::filesystem::remove_all(dir / "sys1");
    WriteConf(dir / row.labFolder, "mode = exam\ncolour = blue\n");
    auto env = Machine(dir);
    env.variables["XDG_CONFIG_DIRS"] = row.configDirs;
    env.labConfigFile = dir / row.labFolder / "examora/examora.conf";
    std::vector<std::string> args;
    const auto s = LoadDeploymentSettings(args, env);
    EXPECT_TRUE(s.examMode);
    std::string all;
    for (const auto& problem : s.problems) all += "\n" + problem;
    ASSERT_EQ(s.problems.size(), 1u) << row.configDirs << all;
    EXPECT_NE(s.problems[0].find(":2: unknown key \"colour\""), std::string::npos);
  }
}

// Of two system folders the first is the stronger: a key the weaker file sets twice (its
// repetition reported) still gives way to the stronger file's line.
TEST(DeploymentSettings, TheStrongerSystemFileWinsOverAKeyTheWeakerSetsTwice) {
  TempDir dir;
  const struct Row {
    const char *sys1, *sys2, *students;
    std::size_t problems;
  } rows[] = {{"students = /strong\n", "students = /weak1\nstudents = /weak2\n", "/strong", 1},
              {"students = /strong\n", "students = /weak1\nstudents =\n", "/strong", 1},
              {"students = /s1\nstudents = /s2\n", "students = /weak\n", "/s2", 1},
              {"", "students = /weak1\nstudents = /weak2\n", "/weak2", 1},
              {"students = /strong\n", "students = /weak\n", "/strong", 0}};
  for (const auto& row : rows) {
    WriteConf(dir / "sys1", row.sys1);
    WriteConf(dir / "sys2", row.sys2);
    auto env = Machine(dir);
    std::vector<std::string> args;
    const auto s = LoadDeploymentSettings(args, env);
    EXPECT_EQ(s.studentsFile, row.students) << row.sys1 << row.sys2;
    EXPECT_EQ(s.problems.size(), row.problems) << row.sys1 << row.sys2;
  }
}

TEST(DeploymentSettings, AFlagOptionStandsForItsValue) {
  const SettingKey keys[] = {{"mode", "--exam", "EXAMORA_MODE", "exam", "", ""}};
  FixedEnvironment env;
  env.variables = {{"XDG_CONFIG_HOME", "/nonexistent"}, {"XDG_CONFIG_DIRS", "/nonexistent"}};
  std::vector<std::string> args = {"--exam", "--exam=x"}, files, problems;
  const auto values = ResolveSettings(keys, args, env, files, problems);
  EXPECT_EQ(values.at(0).value, "exam");
  EXPECT_EQ(args, std::vector<std::string>{"--exam=x"});
}

TEST(DefaultWebFolder, BesideTheProgramElseTheInstalledShareFolder) {
  TempDir dir;
  std::filesystem::create_directories(dir / "build/src/webroot");
  std::filesystem::create_directories(dir / "local/bin/webroot");
  EXPECT_EQ(DefaultWebFolder(dir / "build/src"), dir / "build/src/webroot");
  EXPECT_EQ(DefaultWebFolder(dir / "usr/bin"), dir / "usr/share/examora/webroot");
  EXPECT_EQ(DefaultWebFolder(dir / "opt"), dir / "opt/webroot");
  EXPECT_EQ(DefaultProgramFolder(dir / "local/bin"), dir / "local/bin");  // a build in a bin/
  // Installed, the program's data (and so the students file) lie with the package's data, and
  // the administrator password file can be set for the whole lab.
  WriteConf(dir / "sys1", "admin-password-file = /etc/examora/admin-password\n");
  auto env = Machine(dir);
  env.executableFolder = dir / "usr/bin";
  std::vector<std::string> args;
  const auto s = LoadDeploymentSettings(args, env);
  EXPECT_EQ(s.programFolderNative, dir / "usr/share/examora");
  EXPECT_EQ(s.studentsFile, dir / "usr/share/examora/info/data/std_crypt.eqb");
  EXPECT_EQ(s.adminPasswordFile, "/etc/examora/admin-password");
  std::filesystem::remove_all(dir / "sys1");
  env.variables["XDG_DATA_HOME"] = "/home/t/data";
  EXPECT_EQ(LoadDeploymentSettings(args, env).adminPasswordFile,
            "/home/t/data/examora/admin-password");
}

TEST(IniFile, AMissingFileIsEmptyAndOnlyARegularFileOfAtMost1MiBIsRead) {
  TempDir dir;
  EXPECT_TRUE(ReadIniFile(dir / "none.conf").problems.empty());
  const auto fifo = dir / "fifo.conf";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto big = dir / "big.conf";
  std::ofstream(big, std::ios::binary) << "mode = exam\n#";  // padded with a comment below
  struct Row {
    std::filesystem::path path;
    std::uintmax_t size;  // 0: as it is
    std::string problem;  // "" when read
  };
  const Row rows[] = {
      {dir.path(), 0, "cannot be read: Is a directory"},
      {fifo, 0, "cannot be read: it is not a regular file"},
      {big, kMaxIniBytes, ""},
      {big, kMaxIniBytes + 1,
       "cannot be read: it is larger than 1 MiB, the most this program reads"},
  };
  for (const auto& row : rows) {
    if (row.size) std::filesystem::resize_file(row.path, row.size);
    const auto file = ReadIniFile(row.path);
    if (row.problem.empty()) {
      EXPECT_TRUE(file.problems.empty());
      EXPECT_EQ(file.entries.size(), 1u);
    } else {
      ASSERT_EQ(file.problems.size(), 1u) << row.path;
      EXPECT_EQ(file.problems[0].Text(), row.path.string() + ": " + row.problem);
    }
  }
}

TEST(IniFile, AMalformedLineIsQuotedUpTo80Characters) {
  const std::string eighty(80, 'x');
  const auto quoted = [](const std::string& line) {
    return ParseIni(line + "\n", "f").problems.at(0).message;
  };
  EXPECT_EQ(quoted(eighty), "expected \"key = value\" or \"[section]\", got \"" + eighty + "\"");
  EXPECT_EQ(quoted(eighty + "y"),
            "expected \"key = value\" or \"[section]\", got \"" + eighty + "...\"");
  EXPECT_EQ(quoted("[" + eighty),
            "a section header must end with \"]\": \"[" + eighty.substr(1) + "...\"");
}

// Control characters and NUL in a quoted line are written as escapes, so a message stays one
// readable line; an unknown key is cut like any quoted line.
TEST(IniFile, QuotedTextIsEscapedAndCut) {
  EXPECT_EQ(QuotedInMessage(std::string("a\0b\x1b[2J\x7F\xE9", 9)), "\"a\\x00b\\x1B[2J\\x7F\xE9\"");
  EXPECT_EQ(QuotedInMessage(""), "\"\"");
  TempDir dir;
  WriteConf(dir / "user", std::string(900, 'k') + " = 1\n");
  auto env = Machine(dir);
  std::vector<std::string> args;
  const auto s = LoadDeploymentSettings(args, env);
  ASSERT_EQ(s.problems.size(), 1u);
  EXPECT_NE(s.problems[0].find("unknown key \"" + std::string(80, 'k') + "...\" (known keys"),
            std::string::npos)
      << s.problems[0].size();
}

// A file of nothing but bad lines reports its first ten problems and counts the rest, whatever
// the mix of malformed lines, unknown and repeated keys; ten problems are shown whole.
TEST(IniFile, ManyProblemsAreCountedNotAllListed) {
  const struct {
    std::string line;
    int count;
    std::size_t shown;
  } rows[] = {{"no equals\n", 10, 10},
              {"no equals\n", 11, 11},
              {"x = 1\n", 60000, 11},
              {"mode = exam\n", 30, 11},
              {"no equals\n", 100000, 11}};
  for (const auto& row : rows) {
    TempDir dir;
    std::string text;
    for (int i = 0; i < row.count; ++i) text += row.line;
    WriteConf(dir / "user", text);
    auto env = Machine(dir);
    std::vector<std::string> args;
    const auto s = LoadDeploymentSettings(args, env);
    ASSERT_EQ(s.problems.size(), row.shown) << row.line << row.count;
    const std::string file = (dir / "user/examora/examora.conf").string();
    const int repeated = row.line == "mode = exam\n" ? 1 : 0;  // its first line is fine
    if (row.shown == 11) {
      const int more = row.count - 10 - repeated;
      EXPECT_EQ(s.problems.back(), file + ": " + std::to_string(more) + " more problem" +
                                       (more == 1 ? "" : "s") + " not shown");
    }
    EXPECT_EQ(s.problems[0].rfind(file + ":" + std::to_string(1 + repeated) + ": ", 0), 0u);
  }
}

TEST(IniFile, AConfigurationFileThatIsALinkLoopIsAProblem) {
  TempDir dir;
  std::filesystem::create_directories(dir / "user" / "examora");
  std::filesystem::create_symlink("examora.conf", dir / "user" / "examora" / "examora.conf");
  auto env = Machine(dir);
  std::vector<std::string> args;
  const auto s = LoadDeploymentSettings(args, env);
  ASSERT_EQ(s.problems.size(), 1u);
  EXPECT_EQ(s.problems[0], (dir / "user/examora/examora.conf").string() +
                               ": cannot be read: Too many levels of symbolic links");
}

}  // namespace
}  // namespace examora
