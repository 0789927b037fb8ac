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

}  // namespace
}  // namespace examora
