// The exam session's rules: how it is recognised, what it refuses, the spreadsheet processes
// it looks for and the display managers' account files it writes.
#include <gtest/gtest.h>

#include <fstream>

#include <unistd.h>

#include "app/exam_session.h"
#include "test_support.h"

namespace examora {
namespace {

using namespace std::string_literals;

TEST(ExamSession, RecognisedOnlyByTheSessionScriptsValue) {
  const struct {
    std::optional<std::string> value;
    bool inSession;
  } rows[] = {{std::nullopt, false}, {"", false},   {"0", false},
              {"yes", false},        {"1 ", false}, {"1", true}};
  for (const auto& row : rows) {
    FixedEnvironment env;
    if (row.value) env.variables["EXAMORA_EXAM_SESSION"] = *row.value;
    EXPECT_EQ(InExamSession(env), row.inSession) << row.value.value_or("(unset)");
    EXPECT_EQ(SystemOpenerRefusal(env).has_value(), row.inSession);
    DeploymentSettings settings;
    ApplyExamSession(settings, env);
    EXPECT_EQ(settings.examMode, row.inSession);
  }
}

TEST(ExamSession, OutsideItStudyModeSettingsAreKeptAndExamModeNeverCleared) {
  FixedEnvironment env;
  DeploymentSettings settings;
  settings.examMode = true;
  ApplyExamSession(settings, env);
  EXPECT_TRUE(settings.examMode);
}

TEST(ExamSession, SpreadsheetProcesses) {
  const struct {
    std::string comm, cmdline;
    bool spreadsheet;
  } rows[] = {
      {"gnumeric\n", "gnumeric\0"s, true},
      {"Gnumeric", "", true},
      {"EXCEL.EXE\n", "C:\\Office\\EXCEL.EXE\0"s, true},
      {"soffice.bin\n", "/usr/lib/libreoffice/program/soffice.bin\0--calc\0"s, true},
      {"soffice.bin\n", "soffice.bin\0/home/s/marks.XLSX\0"s, true},
      {"oosplash\n", "oosplash\0--writer\0"s, false},
      {"soffice.bin\n", "soffice.bin\0--writer\0report.odt\0"s, false},
      {"soffice.bin\n", "", false},
      {"bash\n", "bash\0--calc\0x.ods\0"s, false},  // only an office program counts its files
      {"", "", false},
      {"etc", "", false},
      {"et\n", "", true},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(IsSpreadsheetProcess(row.comm, row.cmdline), row.spreadsheet) << row.comm;
  }
}

class ProcessTable : public ::testing::Test {
 protected:
  void Process(const std::string& pid, const std::string& comm, const std::string& cmdline) {
    std::filesystem::create_directories(root_.path() / pid);
    std::ofstream(root_.path() / pid / "comm") << comm;
    std::ofstream(root_.path() / pid / "cmdline") << cmdline;
  }
  testing::TempDir root_;
};

TEST_F(ProcessTable, FindsTheUsersSpreadsheetAndIgnoresTheRest) {
  Process("17", "bash\n", "bash\0"s);
  Process("self", "gnumeric\n", "gnumeric\0"s);  // not a process number
  EXPECT_FALSE(UserRunsSpreadsheet(root_.path(), ::getuid()));
  Process("4242", "soffice.bin\n", "soffice.bin\0--calc\0"s);
  EXPECT_TRUE(UserRunsSpreadsheet(root_.path(), ::getuid()));
  // Someone else's processes are theirs.
  EXPECT_FALSE(UserRunsSpreadsheet(root_.path(), ::getuid() + 1));
}

TEST_F(ProcessTable, AMissingTableOrUnreadableEntriesFindNothing) {
  EXPECT_FALSE(UserRunsSpreadsheet(root_.path() / "absent", ::getuid()));
  std::filesystem::create_directories(root_.path() / "99");  // gone while being read
  EXPECT_FALSE(UserRunsSpreadsheet(root_.path(), ::getuid()));
}

TEST(ExamSession, AccountFileGetsBothSessionKeysAndKeepsTheRest) {
  const struct {
    std::string before, after;
  } rows[] = {
      {"", "[User]\nXSession=examora-exam\nSession=examora-exam\n"},
      {"[User]\nLanguage=en_GB.UTF-8\nXSession=gnome\nIcon=/x.png\nSystemAccount=false\n",
       "[User]\nLanguage=en_GB.UTF-8\nXSession=examora-exam\nIcon=/x.png\nSystemAccount=false\n"
       "Session=examora-exam\n"},
      {"[User]\nSession=plasma\nXSession=plasma\n[InputSource0]\nxkb=gb\n",
       "[User]\nSession=examora-exam\nXSession=examora-exam\n[InputSource0]\nxkb=gb\n"},
      {"[InputSource0]\nxkb=gb\n",
       "[InputSource0]\nxkb=gb\n[User]\nXSession=examora-exam\nSession=examora-exam\n"},
      // A key of another section is not the account's session.
      {"[Other]\nSession=x\n[User]\n",
       "[Other]\nSession=x\n[User]\nXSession=examora-exam\nSession=examora-exam\n"},
      {"[User]\nXSession=a\nXSession=b", "[User]\nXSession=examora-exam\nSession=examora-exam\n"},
  };
  for (const auto& row : rows) {
    const std::string once = WithDefaultSession(row.before, "examora-exam");
    EXPECT_EQ(once, row.after) << row.before;
    EXPECT_EQ(WithDefaultSession(once, "examora-exam"), once) << "a second run changes nothing";
  }
}

}  // namespace
}  // namespace examora
