#include "testfile/encrypt_model.h"

#include <algorithm>

#include <gtest/gtest.h>

#include "platform/files.h"
#include "test_support.h"
#include "testfile/testfile.h"

namespace examora {
namespace {

TEST(EncryptModel, OpenCleansShowsComputesWritesAndStepsThroughTheQuestions) {
  testing::TempDir dir;
  const auto source = dir / "beams.txt";
  WriteFileAtomically(source, ReadFileBytes(EXAMORA_SAMPLES_DIR "/beams.txt") + "\r\n\r\n\r\n");
  ScriptedPrompter prompter;
  EncryptModel model("http://web/", prompter);
  prompter.SetNextText(source.string());
  model.cmdOpen_Click();
  ASSERT_TRUE(model.opened);
  EXPECT_EQ(prompter.prompts().back().text, "3 extra blank lines removed from txt file.");
  EXPECT_EQ(ReadFileBytes(source).substr(ReadFileBytes(source).size() - 21),
            "*** END OF FILE ***\r\n");
  const int n = model.bank().header.QuestionsInFile;
  EXPECT_EQ(model.lbl6, std::to_string(n));
  EXPECT_EQ(model.List1[0], std::string(40, '-') + " Q1 " + std::string(40, '-'));

  model.txtNumQuest = std::to_string(n + 1);  // both sides of the bank's size
  model.cmdOK_Click();
  EXPECT_EQ(model.lbl10, "Too many questions!");
  EXPECT_TRUE(model.lbl10Red);
  EXPECT_FALSE(model.written);
  EXPECT_FALSE(std::filesystem::exists(dir / "beams.eqb"));
  model.txtNumQuest = std::to_string(n);
  model.txtEachTime = "1.5";
  model.cmdOK_MouseDown();
  EXPECT_EQ(model.lblEncrypting, "Encrypting Blowfish 128 bit cipher.");
  model.cmdOK_Click();
  ASSERT_TRUE(model.written);
  EXPECT_EQ(model.output(), dir / "beams.eqb");
  EXPECT_EQ(model.lblEncrypting, "Done");
  EXPECT_EQ(LoadTestFile(dir / "beams.eqb", "beams").header.QuestionsToAsk, n);

  EXPECT_EQ(model.current, 1);
  EXPECT_EQ(model.Picture1[0], "1");
  EXPECT_EQ(model.Picture1[1], "(1) " + model.bank().Questions[1][1]);
  model.cmdCheckLastQuestion_Click();
  EXPECT_EQ(model.current, n);  // wraps to the last
  model.cmdCheckQuestion_Click();
  EXPECT_EQ(model.current, 1);
  model.cmdAutoCheck_Click();
  EXPECT_EQ(model.current, n);
  model.cmdAnother_Click();
  EXPECT_FALSE(model.opened);
  EXPECT_TRUE(model.List1.empty());
}

// Each question checked as a student meets it: symbols and drawn values in its text, the worked
// answer and unit, the options in their shown order, the graph's markup, and check's problems.
TEST(EncryptModel, QuestionsAreShownAsAStudentMeetsThem) {
  testing::TempDir dir;
  WriteFileAtomically(
      dir / "s.txt",
      "10198\r\nShown\r\nTitle: t\r\nCompulsory: False\r\nPassMark: 50\r\nd\r\nv\r\n"
      "----------\r\n#F = #(5000,5000,4) N at 20<DEG>\r\n\r\n#a/1000\r\nkn\r\n"
      "----------\r\nWhich?\r\n\r\nSame\r\nSame\r\n"
      "----------\r\n#Slope of graph[#a*x]\r\ngraph[#a*x]5\r\n#a\r\nnumber\r\n"
      "*** END OF FILE ***\r\n");
  ScriptedPrompter prompter;
  EncryptModel model("http://web/", prompter);
  prompter.SetNextText((dir / "s.txt").string());
  model.cmdOpen_Click();
  model.cmdOK_Click();
  ASSERT_TRUE(model.written);
  auto shows = [&](const std::string& line) {
    return std::find(model.Picture1.begin(), model.Picture1.end(), line) != model.Picture1.end();
  };
  EXPECT_TRUE(shows("As a student meets it:"));
  EXPECT_TRUE(shows("Q1: F = 5000 N at 20\xB0"));
  EXPECT_TRUE(shows("Values drawn: a= 5000"));
  EXPECT_TRUE(shows("Answer: 5 (unit key kn)"));
  EXPECT_TRUE(model.graphMarkup.empty());
  model.cmdCheckQuestion_Click();
  EXPECT_TRUE(shows("  (1) Same   <- right") || shows("  (2) Same   <- right"));
  EXPECT_TRUE(shows("Problem: options repeat: \"Same\""));
  model.cmdCheckQuestion_Click();
  EXPECT_EQ(model.graphMarkup, "graph[#a*x]5");
  EXPECT_EQ(model.formulas().QuestionVarCount.at(1), 1);
}

TEST(EncryptModel, ABrokenBlockIsShownButNotWritten) {
  testing::TempDir dir;
  WriteFileAtomically(
      dir / "b.txt",
      "10199\r\nBroken\r\nTitle: t\r\nCompulsory: False\r\nPass mark 50\r\n"
      "d\r\nv\r\n----------\r\n#numeric without its unit\r\n\r\n1\r\n*** END OF FILE ***\r\n");
  ScriptedPrompter prompter;
  EncryptModel model("http://web/", prompter);
  prompter.SetNextText((dir / "b.txt").string());
  model.cmdOpen_Click();
  ASSERT_TRUE(model.opened);
  model.cmdOK_Click();
  EXPECT_FALSE(model.written);
  EXPECT_EQ(prompter.prompts().back().text.rfind("No test written: ", 0), 0u);
}

// Import: the question file becomes a bank saved where the teacher says, the report is shown
// and the bank is opened; cancelling the save writes nothing, and a file of nothing importable
// is reported without asking where to save.
TEST(EncryptModel, ImportSavesReportsAndOpensTheBank) {
  testing::TempDir dir;
  const std::string data = EXAMORA_TEST_DATA_DIR "/import/";
  ScriptedPrompter prompter;
  EncryptModel model("http://web/", prompter);
  prompter.SetNextText(data + "all_kinds.gift");
  prompter.SetNextText(std::nullopt);
  model.cmdImport_Click();
  EXPECT_FALSE(model.opened);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

  prompter.SetNextText(data + "refusals.gift");
  model.cmdImport_Click();
  EXPECT_EQ(prompter.prompts().back().icon, MessageIcon::Warning);
  EXPECT_NE(prompter.prompts().back().text.find("0 questions imported, 5 left out"),
            std::string::npos);

  prompter.SetNextText(data + "all_kinds.gift");
  prompter.SetNextText((dir / "bank.txt").string());
  model.cmdImport_Click();
  ASSERT_TRUE(model.opened);
  EXPECT_EQ(model.lbl6, "8");
  EXPECT_EQ(model.picFilename, (dir / "bank.txt").string());
  EXPECT_EQ(prompter.prompts().back().text.substr(0, 32), "8 questions imported, 0 left out");
}

TEST(EncryptModel, ABankNamedLikeItsTestIsNotOverwritten) {
  testing::TempDir dir;
  const std::string bank = ReadFileBytes(EXAMORA_SAMPLES_DIR "/beams.txt");
  WriteFileAtomically(dir / "beams.eqb", bank);
  ScriptedPrompter prompter;
  EncryptModel model("http://web/", prompter);
  prompter.SetNextText((dir / "beams.eqb").string());
  model.cmdOpen_Click();
  ASSERT_TRUE(model.opened);
  model.cmdOK_Click();
  EXPECT_FALSE(model.written);
  EXPECT_TRUE(model.inputsEnabled);
  EXPECT_NE(prompter.prompts().back().text.find("is the question bank itself"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(dir / "beams.eqb"), bank);
}

// Publishing asks for the web folder (the deployment's own, when on disk) and puts the test
// and its list line there; before the test is written there is nothing to publish.
TEST(EncryptModel, PublishPutsTheWrittenTestIntoTheWebFolder) {
  testing::TempDir dir;
  WriteFileAtomically(dir / "beams.txt", ReadFileBytes(EXAMORA_SAMPLES_DIR "/beams.txt"));
  std::filesystem::create_directories(dir / "web");
  ScriptedPrompter prompter;
  EncryptModel model("file://" + (dir / "web").string() + "/", prompter);
  model.cmdPublish_Click();
  EXPECT_TRUE(prompter.prompts().empty());
  prompter.SetNextText((dir / "beams.txt").string());
  model.cmdOpen_Click();
  model.cmdOK_Click();
  ASSERT_TRUE(model.written);
  prompter.SetNextText((dir / "web").string() + "/");
  model.cmdPublish_Click();
  const auto& prompts = prompter.prompts();
  ASSERT_GE(prompts.size(), 2u);
  EXPECT_EQ(prompts.back().text.rfind("Published ", 0), 0u) << prompts.back().text;
  EXPECT_EQ(ReadFileBytes(dir / "web" / "info" / "data" / "testlist.txt"), "10101 Beams\r\n");
  EXPECT_TRUE(std::filesystem::exists(dir / "web" / "tests" / "10101 Beams" / "Beams-BF.txt"));

  prompter.SetNextText((dir / "none").string());
  model.cmdPublish_Click();
  EXPECT_EQ(prompter.prompts().back().text.rfind("Not published: ", 0), 0u);
}

}  // namespace
}  // namespace examora
