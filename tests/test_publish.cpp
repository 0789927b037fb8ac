// Publishing a test into a web folder: its folder, its file and its line in the test list.
#include "app/publish.h"

#include <gtest/gtest.h>

#include "app/testlist.h"
#include "common/error.h"
#include "common/text.h"
#include "platform/files.h"
#include "test_support.h"
#include "testfile/authoring.h"
#include "testfile/testfile.h"

namespace examora {
namespace {

using examora::testing::TempDir;

// A new line goes in number order; the same test keeps its line ("(cont)" too); another
// test's number is refused, also where the loader reads it from a longer number.
TEST(Publish, TheListGetsTheLineInNumberOrderOnce) {
  const struct {
    std::string list, line, result;
    bool replaced;
  } rows[] = {
      {"", "10101 Beams", "10101 Beams\r\n", false},
      {"10101 Beams\r\n10103 Heat", "10102 Fluids", "10101 Beams\r\n10102 Fluids\r\n10103 Heat\r\n",
       false},
      {"10101 Beams\r\n", "10102 Fluids", "10101 Beams\r\n10102 Fluids\r\n", false},
      {"10101 Beams (cont)\r\n\r\nnote\n", "10101 Beams", "10101 Beams (cont)\r\n\r\nnote\r\n",
       true},
  };
  for (const auto& row : rows) {
    bool replaced = true;
    EXPECT_EQ(ListWithLine(row.list, row.line, replaced), row.result) << row.list;
    EXPECT_EQ(replaced, row.replaced) << row.list;
  }
  bool replaced = false;
  EXPECT_THROW(ListWithLine("101012 Other\r\n", "10101 Beams", replaced), FormatError);
  try {
    ListWithLine("10101 Beams\r\n", "10101 Columns", replaced);
    FAIL() << "a used number was taken";
  } catch (const FormatError& e) {
    EXPECT_STREQ(e.what(),
                 "Test number 10101 is already used by \"10101 Beams\" in the test list; give "
                 "this test another number");
  }
}

TEST(Publish, TheWebFolderOnDiskOfAFileAddress) {
  EXPECT_EQ(WebFolderOnDisk("file:///srv/web%20root/"), "/srv/web root/");
  EXPECT_EQ(WebFolderOnDisk("file:///a%2"), "/a%2");  // an escape cut short stays as written
  EXPECT_EQ(WebFolderOnDisk("http://lab/web/"), "");
}

class PublishFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(web_ / "info" / "data");
    Author("beams");
  }
  // The sample bank enciphered as `name`.eqb, with its number and name replaced when given.
  std::filesystem::path Author(const std::string& name, const std::string& number = "",
                               const std::string& testName = "") {
    auto lines = SplitLines(ReadFileBytes(EXAMORA_SAMPLES_DIR "/beams.txt"));
    if (!number.empty()) lines[0] = number;
    if (!testName.empty()) lines[1] = testName;
    TestBank bank = ParseSource(CleanUpSource(lines).lines);
    const auto path = dir_ / (name + ".eqb");
    Encryptit(bank, path);
    return path;
  }
  TempDir dir_;
  std::filesystem::path web_ = dir_ / "web";
};

TEST_F(PublishFolder, PutsTheTestWhereTheListFindsItAndRepublishes) {
  WriteFileAtomically(web_ / "info" / "data" / "testlist.txt", "10105 Units\r\n");
  const Published first = PublishTest(dir_ / "beams.eqb", web_);
  EXPECT_FALSE(first.replaced);
  EXPECT_EQ(first.line, "10101 Beams");
  EXPECT_TRUE(first.warning.empty());
  const std::string list = ReadFileBytes(web_ / "info" / "data" / "testlist.txt");
  EXPECT_EQ(list, "10101 Beams\r\n10105 Units\r\n");
  TestListTable table;
  GetTestsWeb(list, table);
  const std::string address = TestAddress("file:///w/", table, 1);
  EXPECT_EQ(address, "file:///w/tests/10101%20Beams/Beams-BF.txt");
  EXPECT_EQ(first.testFile, web_ / "tests" / "10101 Beams" / "Beams-BF.txt");
  EXPECT_EQ(ReadFileBytes(first.testFile), ReadFileBytes(dir_ / "beams.eqb"));

  EXPECT_TRUE(PublishTest(dir_ / "beams.eqb", web_).replaced);  // the call made twice
  EXPECT_EQ(ReadFileBytes(web_ / "info" / "data" / "testlist.txt"), list);
}

TEST_F(PublishFolder, RefusesWhatCannotBePublishedAndChangesNothing) {
  const std::string list = "10101 Beams\r\n";
  WriteFileAtomically(web_ / "info" / "data" / "testlist.txt", list);
  Author("other", "10101", "Columns");
  Author("long", "101011", "Long");
  Author("slash", "10109", "../up");
  WriteFileAtomically(dir_ / "plain.eqb", "not a test\r\n");
  for (const char* name : {"other", "long", "slash", "plain"}) {
    EXPECT_THROW(PublishTest(dir_ / (std::string(name) + ".eqb"), web_), FormatError) << name;
  }
  EXPECT_EQ(ReadFileBytes(web_ / "info" / "data" / "testlist.txt"), list);
  EXPECT_FALSE(std::filesystem::exists(web_ / "tests"));
}

// A folder of the web folder that is a link to elsewhere is not written through.
TEST_F(PublishFolder, NothingIsWrittenOutsideTheWebFolder) {
  std::filesystem::create_directories(dir_ / "elsewhere");
  std::filesystem::create_symlink(dir_ / "elsewhere", web_ / "tests");
  EXPECT_THROW(PublishTest(dir_ / "beams.eqb", web_), FileError);
  EXPECT_TRUE(std::filesystem::is_empty(dir_ / "elsewhere"));
  EXPECT_FALSE(std::filesystem::exists(web_ / "info" / "data" / "testlist.txt"));
  EXPECT_THROW(PublishTest(dir_ / "beams.eqb", dir_ / "none"), FileError);
}

// A folder that cannot be made (a file in its way, a folder the teacher may not write) is a
// message naming it, and the list is left as it was.
TEST_F(PublishFolder, AFolderThatCannotBeMadeIsAMessage) {
  WriteFileAtomically(web_ / "tests", "a file in the way\r\n");
  try {
    PublishTest(dir_ / "beams.eqb", web_);
    FAIL() << "published into a file";
  } catch (const FileError& e) {
    EXPECT_EQ(
        std::string(e.what()).rfind("Cannot make the folder \"" + (web_ / "tests").string(), 0), 0u)
        << e.what();
  }
  EXPECT_FALSE(std::filesystem::exists(web_ / "info" / "data" / "testlist.txt"));
}

TEST_F(PublishFolder, AListNotStartingWith101IsPublishedWithAWarning) {
  Author("heat", "20201", "Heat");
  EXPECT_NE(PublishTest(dir_ / "heat.eqb", web_).warning.find("numbered 101"), std::string::npos);
  EXPECT_TRUE(PublishTest(dir_ / "beams.eqb", web_).warning.empty());  // now it starts with it
}

}  // namespace
}  // namespace examora
