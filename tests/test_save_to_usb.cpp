#include "results/save_to_usb.h"

#include <gtest/gtest.h>

#include "crypto/enciphered_text.h"
#include "platform/files.h"
#include "test_support.h"

namespace examora {
namespace {

const ResultsFields kFields{10101, "", {2010, 3, 7, 14, 5, 0}, 0.f, 20, "YXU", ""};

TEST(SaveToUsb, FirstNameIsCapitalisedAndLosesItsBlanks) {
  EXPECT_EQ(ContinuationFirstName("mARY aNN"), "Maryann");
  EXPECT_EQ(ContinuationFirstName("  jo "), "Jo");
  EXPECT_EQ(ContinuationFirstName(""), "");
}

TEST(SaveToUsb, RecordHoldsTenFieldsAndTheCountdownAsShown) {
  EXPECT_EQ(ContinuationRecord(kFields, "012345678", "mary", "o'neill-smith", " 3:07"),
            "10101,012345678,07/03/2010,14:05,,20,YXU,Mary,O'NEILL-SMITH, 3:07,");
}

TEST(SaveToUsb, ShortNumberIsAskedAgainAndTheRecordWrittenEnciphered) {
  examora::testing::TempDir dir;
  ScriptedPrompter prompter;
  for (const char* answer : {"12345678", "abcdefghi", "ann", "lee"}) prompter.SetNextText(answer);
  prompter.SetNextText((dir / "usb.txt").string());
  const UsbSaveResult result = cmdSaveUSB_Click(kFields, " 3:07", prompter);
  ASSERT_EQ(prompter.prompts().size(), 5u);
  EXPECT_EQ(prompter.prompts()[1].title, "STUDENT NUMBER ENTRY");  // asked again
  EXPECT_EQ(result.record, "10101,abcdefghi,07/03/2010,14:05,,20,YXU,Ann,LEE, 3:07,");
  EXPECT_EQ(DecryptText(ReadFileBytes(dir / "usb.txt")), result.record);
}

TEST(SaveToUsb, CancelledDialogsWriteNothing) {
  examora::testing::TempDir dir;
  ScriptedPrompter prompter;
  for (const char* answer : {"123456789", "ann", "lee"}) prompter.SetNextText(answer);
  prompter.SetNextText(std::nullopt);  // the save dialog
  EXPECT_TRUE(cmdSaveUSB_Click(kFields, " 3:07", prompter).path.empty());
  prompter.SetNextText(std::nullopt);  // the number box
  EXPECT_TRUE(cmdSaveUSB_Click(kFields, " 3:07", prompter).record.empty());
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

TEST(SaveToUsb, TheDialogStartsOnRemovableMediaElseAtHome) {
  examora::testing::TempDir root;
  FixedEnvironment env;
  env.variables["HOME"] = "/home/ann";
  env.login = "ann";
  EXPECT_EQ(UsbStartFolder(env, root.path()), "/home/ann");  // no media folder at all
  std::filesystem::create_directories(root / "run/media/ann");
  EXPECT_EQ(UsbStartFolder(env, root.path()), (root / "run/media/ann").string());
  std::filesystem::create_directories(root / "media/ann");
  EXPECT_EQ(UsbStartFolder(env, root.path()), (root / "media/ann").string());
  env.login.clear();  // the login unknown: the variable names the user
  env.variables["USER"] = "ann";
  EXPECT_EQ(UsbStartFolder(env, root.path()), (root / "media/ann").string());
  std::filesystem::create_directories(root / "media/ann/x");
  for (const char* odd : {"..", "ann/x", "bob"}) {
    env.variables["USER"] = odd;
    EXPECT_EQ(UsbStartFolder(env, root.path()), "/home/ann") << odd;
  }
}

TEST(SaveToUsb, TheTextExtensionIsAddedWhenMissing) {
  const std::pair<const char*, const char*> rows[] = {{"/m/usb", "/m/usb.txt"},
                                                      {"/m/usb.txt", "/m/usb.txt"},
                                                      {"/m/USB.TXT", "/m/USB.TXT"},
                                                      {"/m/usb.", "/m/usb.txt"},
                                                      {"/m/usb.dat", "/m/usb.dat.txt"},
                                                      {"/m/a.txt/usb", "/m/a.txt/usb.txt"},
                                                      {"/m/usb.txt.bak", "/m/usb.txt.bak.txt"}};
  for (const auto& [chosen, written] : rows) EXPECT_EQ(WithTextExtension(chosen), written);
}

// The dialog starts where sticks are mounted; a name without ".txt" gets it, and a file that
// name already has is replaced only when the student says so.
TEST(SaveToUsb, ANameWithoutExtensionGetsItAndAsksBeforeReplacing) {
  examora::testing::TempDir dir;
  ScriptedPrompter prompter;
  auto save = [&](const std::string& name) {
    for (const char* answer : {"123456789", "ann", "lee"}) prompter.SetNextText(answer);
    prompter.SetNextText((dir / name).string());
    return cmdSaveUSB_Click(kFields, " 3:07", prompter, "/media/ann");
  };
  EXPECT_EQ(save("usb").path, (dir / "usb.txt").string());
  EXPECT_EQ(prompter.prompts().back().suggested, "/media/ann");
  const std::string first = ReadFileBytes(dir / "usb.txt");
  prompter.SetNextAnswer(MessageAnswer::No);
  EXPECT_EQ(save("usb").path, "");
  EXPECT_EQ(prompter.prompts().back().defaultButton, MessageAnswer::No);
  EXPECT_EQ(prompter.prompts().back().text,
            (dir / "usb.txt").string() + " already exists.\r\nDo you want to replace it?");
  prompter.SetNextAnswer(MessageAnswer::Yes);
  EXPECT_EQ(save("usb").path, (dir / "usb.txt").string());
  prompter.ClearPrompts();
  EXPECT_EQ(save("usb.txt").path, (dir / "usb.txt").string());  // the dialog asked already
  EXPECT_EQ(prompter.prompts().back().kind, ScriptedPrompter::Kind::SaveFile);
  EXPECT_FALSE(std::filesystem::exists(dir / "usb"));
  EXPECT_EQ(DecryptText(first), "10101,123456789,07/03/2010,14:05,,20,YXU,Ann,LEE, 3:07,");
}

}  // namespace
}  // namespace examora
