#include "app/students.h"

#include <gtest/gtest.h>

#include "cli/cli.h"
#include "common/error.h"
#include "crypto/enciphered_text.h"
#include "platform/files.h"
#include "test_support.h"

#include <sstream>

namespace examora {
namespace {

using examora::testing::TempDir;

TEST(StudentLine, CutsNumberPasswordAndNamesAtCommas) {
  struct Row {
    const char* line;
    StudentRow want;
  } rows[] = {
      {"012345678,ab1Z,Mary,O'Neill", {"012345678", "ab1Z", "Mary", "O'Neill"}},
      {"123456789,pass,Cher", {"123456789", "pass", "", "Cher"}},  // no comma: all last name
      {"123456789,pass,Anna,Maria,Smith", {"123456789", "pass", "Maria", "Smith"}},
      {"123456789,pass", {"123456789", "pass", "", ""}},
  };
  for (const auto& r : rows) {
    const StudentRow got = ParseStudentLine(r.line);
    EXPECT_EQ(got.number, r.want.number) << r.line;
    EXPECT_EQ(got.password, r.want.password) << r.line;
    EXPECT_EQ(got.firstName, r.want.firstName) << r.line;
    EXPECT_EQ(got.lastName, r.want.lastName) << r.line;
  }
  EXPECT_EQ(StudentLine(ParseStudentLine(rows[0].line)), rows[0].line);
}

TEST(PlainStudents, ListEndsAtTheFirstShortLine) {
  const auto file = ParsePlainStudents("012345678,aaaa,A,B\r\n123456789,bbbb,C,D\r\n\r\n", "f");
  ASSERT_EQ(file.rows.size(), 2u);
  EXPECT_EQ(file.rows[1].lastName, "D");
  EXPECT_FALSE(file.missingEndLine);
  // Without the short line every student is still read, and the caller is told.
  const auto open = ParsePlainStudents("012345678,aaaa,A,B\r\n123456789,bbbb,C,D\r\n", "f");
  EXPECT_EQ(open.rows.size(), 2u);
  EXPECT_TRUE(open.missingEndLine);
}

TEST(PlainStudents, BadLinesAreRefusedWithTheirLineNumber) {
  struct Row {
    const char* text;
    const char* message;
  } rows[] = {
      {"12345678,aaaa,A,B\r\n\r\n", "\"f\" line 1: does not start with a 9-digit student number"},
      {"012345678;aaaa,A,B\r\n\r\n",
       "\"f\" line 1: needs a comma and a 4-character password after the student number"},
      {"012345678,aaaaa,B\r\n\r\n", "\"f\" line 1: needs a comma after the 4-character password"},
      {"012345678,aaaa,A,B\r\n\r\n123456789,bbbb,C,D\r\n",
       "\"f\" line 3: a student line after the short line 2 that ends the list; remove that line "
       "or the lines after it"},
  };
  for (const auto& r : rows) {
    try {
      ParsePlainStudents(r.text, "f");
      ADD_FAILURE() << r.text;
    } catch (const FormatError& e) {
      EXPECT_STREQ(e.what(), r.message);
    }
  }
}

TEST(PlainStudents, AtMostTwoThousandStudents) {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "000000000,pass,A,B\r\n";
  EXPECT_EQ(ParsePlainStudents(text + "\r\n", "f").rows.size(), 2000u);
  EXPECT_THROW(ParsePlainStudents(text + "000000000,pass,A,B\r\n\r\n", "f"), FormatError);
}

TEST(PlainStudents, AFileOverTheMostSaysHowManyItHolds) {
  for (const int count : {2001, 4000}) {
    std::string text;
    for (int i = 0; i < count; ++i) text += "000000000,pass,A,B\r\n";
    try {
      ParsePlainStudents(text + "\r\n", "f");
      FAIL() << count << " students taken";
    } catch (const FormatError& e) {
      EXPECT_EQ(std::string(e.what()),
                "\"f\" holds " + std::to_string(count) + " students; at most 2000 are allowed");
    }
  }
}

TEST(StudentsCrypt, EveryRowStartsWithANineDigitNumber) {
  TempDir dir;
  for (const std::string& row :
       std::vector<std::string>{"../secret,abcd,A,B", "12345678,abcd,A,B", "12345678a,abcd,A,B",
                                "123456789,abcd,A," + std::string(240, 'n')}) {
    WriteEncipheredFile(dir / "s.eqb", {" 2", "R:\\", "012345678,aaaa,A,B", row});
    EXPECT_THROW(ReadStudentsCrypt(dir / "s.eqb"), FormatError) << row;
    EXPECT_THROW(WriteStudentsCrypt(dir / "w.eqb", {"R:\\", {ParseStudentLine(row)}}), FormatError)
        << row;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "w.eqb"));
  const std::string longest = "123456789,abcd,A," + std::string(239, 'n');  // 256 characters
  WriteEncipheredFile(dir / "s.eqb", {" 1", "R:\\", longest});
  EXPECT_EQ(ReadStudentsCrypt(dir / "s.eqb").rows.at(0).lastName, std::string(239, 'n'));
}

TEST(StudentsCrypt, RoundTripsAndKeepsTheLayout) {
  TempDir dir;
  const StudentsTable table{
      "R:\\results\\", {{"012345678", "ab1Z", "Mary", "Smith"}, {"987654321", "zz99", "", "Li"}}};
  WriteStudentsCrypt(dir / "s.eqb", table);
  const auto lines = ReadEncipheredFile(dir / "s.eqb").lines;
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "2");  // the leading blank of the count is trimmed by EncryptText
  EXPECT_EQ(lines[3], "987654321,zz99,,Li");
  const StudentsTable back = ReadStudentsCrypt(dir / "s.eqb");
  EXPECT_EQ(back.folder, table.folder);
  ASSERT_EQ(back.rows.size(), 2u);
  EXPECT_EQ(back.rows[0].number, "012345678");
  EXPECT_EQ(back.rows[1].lastName, "Li");
  EXPECT_EQ(FindStudent(back, "987654321"), 2);
  EXPECT_EQ(FindStudent(back, "12345678"), 0);
}

TEST(StudentsCrypt, DamagedOrShortFilesAreRefused) {
  TempDir dir;
  WriteEncipheredFile(dir / "short.eqb", {" 3", "F\\", "012345678,aaaa,A,B"});
  EXPECT_THROW(ReadStudentsCrypt(dir / "short.eqb"), FormatError);
  WriteFileAtomically(dir / "bad.eqb", "not base64 at all\r\n");
  EXPECT_THROW(ReadStudentsCrypt(dir / "bad.eqb"), FormatError);
  EXPECT_THROW(ReadStudentsCrypt(dir / "none.eqb"), FileError);
}

TEST(StudentsCrypt, TheFolderEndsWithTheSeparatorItIsWrittenWith) {
  const std::pair<const char*, const char*> cases[] = {
      {"/srv/results", "/srv/results/"}, {"/srv/results/", "/srv/results/"},
      {"R:\\results", "R:\\results\\"},  {" R:\\results\\ ", "R:\\results\\"},
      {"results", "results\\"},          {"", "\\"}};
  for (const auto& [typed, stored] : cases) EXPECT_EQ(FolderWithSeparator(typed), stored) << typed;
}

// A count that is not a plain whole number is damage, not an empty class; 0 itself is a class.
TEST(StudentsCrypt, ACountThatIsNoWholeNumberIsRefused) {
  TempDir dir;
  for (const char* count : {"nan", " nan", "1e400", "inf", "-1", "2001", "", "1.5"}) {
    WriteEncipheredFile(dir / "c.eqb", {count, "F\\"});
    EXPECT_THROW(ReadStudentsCrypt(dir / "c.eqb"), FormatError) << count;
  }
  WriteEncipheredFile(dir / "c.eqb", {" 0", "F\\"});
  EXPECT_TRUE(ReadStudentsCrypt(dir / "c.eqb").rows.empty());
}

// A class list typed in UTF-8 is stored in Windows-1252; a name the code page cannot hold is
// refused with its line, and nothing is written.
TEST(StudentsCli, EncryptConvertsUtf8AndRefusesWhatItCannotConvert) {
  TempDir dir;
  WriteFileAtomically(dir / "plain.txt", "012345678,ab1Z,Chlo\xC3\xA9,C\xC3\xB4t\xC3\xA9\r\n\r\n");
  std::istringstream in;
  std::ostringstream out, err;
  const std::string crypt = (dir / "c.eqb").string();
  ASSERT_EQ(RunCli({"students", "encrypt", (dir / "plain.txt").string(), "--folder", "/srv/r", "-o",
                    crypt},
                   in, out, err),
            0)
      << err.str();
  const StudentsTable table = ReadStudentsCrypt(crypt);
  ASSERT_EQ(table.rows.size(), 1u);
  EXPECT_EQ(table.rows[0].firstName, "Chlo\xE9");
  EXPECT_EQ(table.rows[0].lastName, "C\xF4t\xE9");

  WriteFileAtomically(dir / "plain.txt",
                      "012345678,ab1Z,Chlo\xC3\xA9,A\r\n012345679,ab1Z,\xE5\xBC\xA0,Wei\r\n\r\n");
  const std::string crypt2 = (dir / "d.eqb").string();
  EXPECT_EQ(RunCli({"students", "encrypt", (dir / "plain.txt").string(), "--folder", "/srv/r", "-o",
                    crypt2},
                   in, out, err),
            1);
  EXPECT_NE(err.str().find("line 2: the name \"?,Wei\" holds a character"), std::string::npos)
      << err.str();
  EXPECT_FALSE(std::filesystem::exists(crypt2));
}

TEST(StudentsCli, EncryptThenShowPrintsTheTable) {
  TempDir dir;
  WriteFileAtomically(dir / "plain.txt", "012345678,ab1Z,Mary,Smith\r\n987654321,zz99,Li\r\n\r\n");
  std::istringstream in;
  std::ostringstream out, err;
  const std::string crypt = (dir / "c.eqb").string();
  ASSERT_EQ(RunCli({"students", "encrypt", (dir / "plain.txt").string(), "--folder", "R:\\res",
                    "-o", crypt},
                   in, out, err),
            0)
      << err.str();
  out.str("");
  ASSERT_EQ(RunCli({"students", "show", crypt}, in, out, err), 0) << err.str();
  EXPECT_EQ(out.str(), "2\nR:\\res\\\n012345678\tab1Z\tMary\tSmith\n987654321\tzz99\t\tLi\n");
  EXPECT_EQ(RunCli({"students", "encrypt", crypt}, in, out, err), 2);  // no --folder
}

}  // namespace
}  // namespace examora
