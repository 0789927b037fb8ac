#include "reports/marks_model.h"

#include <gtest/gtest.h>

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
  f.model.cmdEncrypt();  // written under the program folder; Decrypt reads the temporary copy
  EXPECT_EQ(f.model.Text8, "D:\\exams\\info\\data\\std_crypt.eqb");
  EXPECT_EQ(f.model.Pic3.size(), 4u);
  ASSERT_EQ(f.prompter.prompts().size(), 1u);  // no copy in the temporary folder yet
  fs::create_directories(f.dir / "tmp");
  fs::copy_file(f.dir / "exams/info/data/std_crypt.eqb", f.dir / "tmp/std_crypt.eqb");
  f.model.cmdDecrypt();
  EXPECT_EQ(f.model.Pic4.back(), "2, 222222222, word, Bob, Ray");
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
  EXPECT_NE(ReadFileBytes(f.results / "111111111.txt"), "");
  f.prompter.SetNextAnswer(MessageAnswer::Yes);
  f.model.cmdCreateEmptyStudentRecords();
  EXPECT_EQ(ReadFileBytes(f.results / "111111111.txt"), "");
}

}  // namespace
}  // namespace examora
