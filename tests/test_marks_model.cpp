#include "reports/marks_model.h"

#include <gtest/gtest.h>

#include "app/students.h"
#include "platform/files.h"
#include "test_support.h"

namespace examora {
namespace {

namespace fs = std::filesystem;

struct MarksFixture {
  testing::TempDir dir;
  ModuleExamora m;
  FixedEnvironment env;
  DeploymentSettings settings;
  ScriptedPrompter prompter;
  MarksModel model{m, settings, env, prompter};
  fs::path results;

  MarksFixture() {
    settings.programFolder = "D:\\exams";
    settings.programFolderNative = dir / "exams";
    settings.drives = {{'D', dir / "D"}};
    settings.otherDrivesRoot = dir / "drives";
    env.variables["USERNAME"] = "teacher";
    env.temp = (dir / "tmp").string() + "/";
    m.VersionText = "Examora 568: 2010-03-23";
    results = dir / "D" / "~Glimmerfold Do not delete" / "MC" / "student_files";
    fs::create_directories(results);
    fs::create_directories(dir / "exams/info/data/working");
    fs::create_directories(dir / "exams/data");
    WriteFileAtomically(dir / "exams/data/testlist.txt", "10101 Beams\r\n");
    Students("111111111,pass,Ann,Lee\r\n222222222,word,Bob,Ray\r\n\r\n");
    WriteFileAtomically(results / "111111111.txt",
                        "10101,111111111,02/03/2010,09:00,50,2,YX,Ann Lee,\r\n");
    WriteFileAtomically(results / "222222222.txt",
                        "10101,222222222,01/03/2010,09:00,90,2,YY,Bob Ray,\r\n");
    model.Activate();
  }
  void Students(const std::string& text) {
    WriteFileAtomically(dir / "exams/info/data/working/student_data.txt", text);
  }
};

TEST(MarksModel, ActivationFillsTheBoxesAndTheButtonsRunTheWholeYear) {
  MarksFixture f;
  EXPECT_EQ(f.model.caption, "   Student Result File Processor Examora 568: 2010-03-23");
  EXPECT_EQ(f.model.txtChosenPath, "D:\\~Glimmerfold Do not delete\\MC\\student_files\\");
  EXPECT_EQ(f.model.txtStudInfoText, "D:\\exams\\info\\data\\working\\student_data.txt");
  EXPECT_EQ(f.model.txtDrive, "D");
  EXPECT_EQ(f.model.txtUserName, "teacher");
  f.model.cmdByDate();  // nothing loaded yet: rebuilds first
  EXPECT_EQ(f.model.Text3, "2");
  EXPECT_EQ(f.model.List1[1], "Rebuilding...");
  EXPECT_EQ(f.model.List1[3],  // the native file, not "D:\~..."
            (f.results / "111111111.txt").string());
  EXPECT_EQ(f.model.List1.back(), "Masterfile sorted by date/time order");
  EXPECT_EQ(ReadFileBytes(f.results / "masterfile.txt").substr(0, 15), "10101,222222222");
  f.model.cmdBuildTestRecords();
  f.model.cmdSortSN();
  EXPECT_EQ(f.model.List1.back(), "Available Tests: 1");
  EXPECT_EQ(f.model.cmdMaster(5), f.results / "masterfile5.htm");
  f.model.cmdEncrypt();  // written under the program folder, then read back from there
  EXPECT_EQ(f.model.Text8, "D:\\exams\\info\\data\\std_crypt.eqb");
  EXPECT_EQ(f.model.Pic3.size(), 4u);
  EXPECT_EQ(f.model.Pic4.back(), "2, 222222222, word, Bob, Ray");
  EXPECT_TRUE(f.prompter.prompts().empty());
}

// Activation says which of the deployment's files is missing, and only those.
TEST(MarksModel, ActivationSaysWhichFileOrFolderIsMissing) {
  MarksFixture f;
  EXPECT_TRUE(f.model.List1.empty());
  fs::remove(f.dir / "exams/info/data/working/student_data.txt");
  fs::remove_all(f.results);
  f.model.cmdAutoDrive();
  ASSERT_EQ(f.model.List1.size(), 2u);
  EXPECT_EQ(f.model.List1[0], "No student data file " +
                                  (f.dir / "exams/info/data/working/student_data.txt").string() +
                                  ": type the plain class list's file in \"Student data\"");
  EXPECT_TRUE(f.model.List1[1].starts_with("No student files folder ")) << f.model.List1[1];
}

TEST(MarksModel, DecryptNeverReadsAFileAnyoneCouldPlantInTheTemporaryFolder) {
  MarksFixture f;
  fs::create_directories(f.dir / "tmp");
  f.m.TempFolder = (f.dir / "tmp").string() + "/";
  WriteStudentsCrypt(f.dir / "tmp/std_crypt.eqb", {"D:\\", {{"999999999", "evil", "E", "V"}}});
  f.model.cmdDecrypt();  // nothing written by Encrypt yet: a message, no planted rows
  ASSERT_EQ(f.prompter.prompts().size(), 1u);
  EXPECT_NE(f.prompter.prompts()[0].text.find("std_crypt.eqb"), std::string::npos);
  EXPECT_TRUE(f.m.Students.rows.empty());
  WriteStudentsCrypt(f.dir / "exams/info/data/std_crypt.eqb",
                     {"D:\\", {{"111111111", "pass", "Ann", "Lee"}}});
  f.model.cmdDecrypt();
  ASSERT_EQ(f.m.Students.rows.size(), 1u);
  EXPECT_EQ(f.m.Students.rows[0].number, "111111111");
}

TEST(MarksModel, CreateMissingTheMasterPathAndTheLinesAsRead) {
  MarksFixture f;
  f.Students("111111111,pass,Ann,Lee\r\n333333333,word,Cy,Ng\r\n\r\n");
  ASSERT_TRUE(f.model.cmdReadStudID());
  EXPECT_EQ(f.model.Pic1,
            (std::vector<std::string>{"111111111,pass,Ann,Lee", "333333333,word,Cy,Ng", ""}));
  EXPECT_FALSE(f.model.cmdRebuildMaster());  // 333333333 has no file yet
  EXPECT_NE(f.prompter.prompts().back().text.find("Create missing student files"),
            std::string::npos);
  const std::string ann = ReadFileBytes(f.results / "111111111.txt");
  f.model.cmdCreateMissing();
  EXPECT_EQ(f.model.List1.back(), "Student files created = 1, already there = 1");
  EXPECT_EQ(ReadFileBytes(f.results / "333333333.txt"), "");
  EXPECT_EQ(ReadFileBytes(f.results / "111111111.txt"), ann);
  EXPECT_TRUE(f.model.cmdRebuildMaster());
  f.m.MasterFilePath.clear();
  EXPECT_EQ(f.model.cmdMaster(1), f.results / "masterfile.txt");
  EXPECT_EQ(f.m.MasterFilePath, (f.results / "masterfile.txt").string());  // the native file
}

TEST(MarksModel, FailuresSayWhyAndLoseNothing) {
  MarksFixture f;
  WriteFileAtomically(f.results / "masterfile.txt", "kept\r\n");
  fs::remove(f.results / "222222222.txt");
  f.model.cmdByDate();
  ASSERT_EQ(f.prompter.prompts().size(), 1u);
  EXPECT_NE(f.prompter.prompts()[0].text.find("222222222.txt"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(f.results / "masterfile.txt"), "kept\r\n");

  f.Students("111111111,pass,Ann,Lee\r\n");  // no short last line: read whole, with a warning
  EXPECT_TRUE(f.model.cmdReadStudID());
  EXPECT_EQ(f.model.Text3, "1");
  EXPECT_EQ(f.prompter.prompts().back().icon, MessageIcon::Warning);

  f.prompter.SetNextAnswer(MessageAnswer::No);
  f.model.cmdCreateEmptyStudentRecords();
  EXPECT_NE(f.prompter.prompts().back().text.find("1 of these files hold results"),
            std::string::npos);
  EXPECT_EQ(f.prompter.prompts().back().defaultButton, MessageAnswer::No);  // Enter erases nothing
  EXPECT_NE(ReadFileBytes(f.results / "111111111.txt"), "");
  f.prompter.SetNextAnswer(MessageAnswer::Yes);
  f.model.cmdCreateEmptyStudentRecords();
  EXPECT_EQ(ReadFileBytes(f.results / "111111111.txt"), "");
}

// Export asks the layout first (Cancel writes nothing), then where to save.
TEST(MarksModel, ExportWritesTheMarksInTheLayoutAsked) {
  MarksFixture f;
  ASSERT_TRUE(f.model.cmdRebuildMaster());
  struct Row {
    MessageAnswer layout;
    std::string start;
  };
  for (const auto& row : {Row{MessageAnswer::Yes, "ID number,First name,Last name,10101 Beams\r\n"},
                          Row{MessageAnswer::No, "\xEF\xBB\xBFStudent number,"}}) {
    const fs::path out = f.dir / "marks.csv";
    f.prompter.SetNextAnswer(row.layout);
    f.prompter.SetNextText(out.string());
    f.model.cmdExport();
    const std::string csv = ReadFileBytes(out);
    EXPECT_EQ(csv.substr(0, row.start.size()), row.start);
    EXPECT_NE(csv.find("111111111,Ann,Lee,50\r\n"), std::string::npos) << csv;
    EXPECT_EQ(f.model.List1.back(), "Marks exported to " + out.string());
  }
  fs::remove(f.dir / "marks.csv");
  const std::size_t prompts = f.prompter.prompts().size();
  f.prompter.SetNextAnswer(MessageAnswer::Cancel);
  f.model.cmdExport();
  EXPECT_EQ(f.prompter.prompts().size(), prompts + 1);  // no save dialog after Cancel
  EXPECT_FALSE(fs::exists(f.dir / "marks.csv"));
}

}  // namespace
}  // namespace examora
