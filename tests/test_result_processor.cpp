#include "reports/result_processor.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/error.h"
#include "platform/files.h"
#include "reports/master_record.h"
#include "test_support.h"

namespace examora {
namespace {

using examora::testing::TempDir;

std::string Rec(const std::string& test, const std::string& student, const std::string& date,
                const std::string& time, const std::string& tag = "Ann Lee") {
  return test + "," + student + "," + date + "," + time + ",73,3,YXA," + tag + ",";
}

struct Folder {
  TempDir dir;
  ResultProcessor processor{NativeResultFolder(dir.path()), dir / "testlist.txt"};
  void Put(const std::string& name, const std::string& bytes) {
    std::filesystem::create_directories((dir / name).parent_path());
    WriteFileAtomically(dir / name, bytes);
  }
  std::string Get(const std::string& name) { return ReadFileBytes(dir / name); }
  std::string Shown(const std::string& name) { return dir.path().string() + "/" + name; }
};

TEST(DateTimeNum, ReadsYearMonthDayHourMinuteFromTheirPlaces) {
  EXPECT_EQ(DateTimeNum(Rec("10101", "123456789", "07/03/2010", "14:05")), 201003071405LL);
  EXPECT_EQ(DateTimeNum(Rec("10101", "123456789", "31/12/2009", "23:59")), 200912312359LL);
  EXPECT_EQ(DateTimeNum("10101,123456789,07/03/2010"), 20100307LL);  // no time: shorter number
  EXPECT_EQ(DateTimeNum("short"), 0);
}

TEST(DateTimeNum, ReadsTheFieldsOfAStudentNumberWrittenWithoutLeadingZeros) {
  EXPECT_EQ(DateTimeNum(Rec("10101", "23456789", "07/03/2010", "14:05")), 201003071405LL);
  EXPECT_EQ(DateTimeNum(Rec("10101", "3456789", "31/12/2009", "23:59")), 200912312359LL);
  EXPECT_EQ(DateTimeNum("10101,3456789,07/03/2010,14:05"), 201003071405LL);  // no comma after
  // Fields not of their shape: the fixed places, as before.
  EXPECT_EQ(DateTimeNum("10101,3456789,7/3/2010,14:05,"), 0);
  EXPECT_EQ(DateTimeNum("10101,123456789,07/03/2010x14:05,"), 201003071405LL);
}

TEST(ResultProcessor, SortByDatePlacesRecordsOfShortStudentNumbersByTheirDate) {
  Folder f;
  f.Put("023456789.txt", Rec("10101", "23456789", "05/03/2010", "09:00") + "\r\n" +
                             Rec("10101", "23456789", "01/03/2010", "09:00") + "\r\n");
  f.Put("111111111.txt", Rec("10101", "111111111", "03/03/2010", "09:00") + "\r\n");
  f.processor.RebuildMaster({"023456789", "111111111"});
  f.processor.ByDate({"023456789", "111111111"});
  EXPECT_EQ(f.Get("masterfile.txt"), Rec("10101", "23456789", "01/03/2010", "09:00") + "\r\n" +
                                         Rec("10101", "111111111", "03/03/2010", "09:00") + "\r\n" +
                                         Rec("10101", "23456789", "05/03/2010", "09:00") + "\r\n");
}

TEST(ResultProcessor, RebuildKeepsStudentOrderTrimsAndDropsBlankLines) {
  Folder f;
  f.Put("111111111.txt", "  " + Rec("10101", "111111111", "02/03/2010", "09:00") +
                             "  \r\n\r\n   \r\n\r\r\n" +
                             Rec("10102", "111111111", "01/03/2010", "09:00") + "\n");
  f.Put("222222222.txt", Rec("10101", "222222222", "01/01/2010", "08:00") + "\r\n");
  f.Put("masterfile.txt", "old\r\n");
  const auto log = f.processor.RebuildMaster({"222222222", "111111111"});
  EXPECT_EQ(log, (std::vector<std::string>{std::string(kLogRule), "Rebuilding...",
                                           "Masterfile cleared...", f.Shown("222222222.txt"),
                                           f.Shown("111111111.txt"), "Masterfile rebuilt ...",
                                           "No of test records = 3"}));
  EXPECT_EQ(f.Get("masterfile.txt"), Rec("10101", "222222222", "01/01/2010", "08:00") + "\r\n" +
                                         Rec("10101", "111111111", "02/03/2010", "09:00") + "\r\n" +
                                         Rec("10102", "111111111", "01/03/2010", "09:00") + "\r\n");
}

TEST(ResultProcessor, BadStudentFileStopsTheRebuildAndKeepsTheMasterFile) {
  Folder f;
  f.Put("masterfile.txt", "kept\r\n");
  f.Put("111111111.txt", "");
  EXPECT_THROW(f.processor.RebuildMaster({"111111111", "999999999"}), FileError);
  std::string lines;
  for (int i = 0; i < 999; ++i) lines += Rec("10101", "111111111", "01/01/2010", "08:00") + "\r\n";
  f.Put("111111111.txt", lines);  // 999 lines: the most a student file may hold
  f.Put("222222222.txt", lines + "\r\n");
  EXPECT_EQ(f.processor.RebuildMaster({"111111111"}).back(), "No of test records = 999");
  f.Put("masterfile.txt", "kept\r\n");
  try {
    f.processor.RebuildMaster({"111111111", "222222222"});
    FAIL() << "1000 lines taken";
  } catch (const FormatError& e) {
    EXPECT_EQ(std::string(e.what()), "Student file \"" + f.Shown("222222222.txt") +
                                         "\" holds 1000 lines, more than the 999 a student file "
                                         "may hold; the master file was left as it was");
  }
  EXPECT_EQ(f.Get("masterfile.txt"), "kept\r\n");
}

TEST(ResultProcessor, SplitWritesEachRecordOnlyToItsOwnTestFile) {
  Folder f;
  f.Put("testlist.txt", "  10101 Beams  \r\n\r\n10102 Circuits\r\n");
  f.Put("1.txt", Rec("10101", "1", "01/01/2010", "08:00") + "\r\n" +
                     Rec("10102", "1", "01/01/2010", "08:00") + "\r\n" +
                     Rec("01010", "1", "01/01/2010", "08:00") + "\r\n" +
                     Rec("10101", "1", "02/01/2010", "08:00") + "\r\n");
  f.processor.RebuildMaster({"1"});
  const auto log = f.processor.BuildTestRecords();
  EXPECT_EQ(log,
            (std::vector<std::string>{
                std::string(kLogRule), "Read test ID list", "10101_Beams", "10102_Circuits",
                "Number of tests =  2", "Test Result Files Emptied... ", "10101.txt", "10102.txt",
                "  ", "Writing test result file 10101", "Writing test result file 10102"}));
  EXPECT_EQ(f.Get("subject_files/10101.txt"), Rec("10101", "1", "01/01/2010", "08:00") + "\r\n" +
                                                  Rec("10101", "1", "02/01/2010", "08:00") +
                                                  "\r\n");
  EXPECT_EQ(f.Get("subject_files/10102.txt"), Rec("10102", "1", "01/01/2010", "08:00") + "\r\n");
}

TEST(ResultProcessor, SplitBeforeAnyRebuildLeavesSubjectFilesEmpty) {
  Folder f;
  f.Put("testlist.txt", "10101 Beams\r\n");
  f.Put("masterfile.txt", Rec("10101", "1", "01/01/2010", "08:00") + "\r\n");
  f.Put("subject_files/10101.txt", "earlier\r\n");
  f.processor.BuildTestRecords();
  EXPECT_EQ(f.Get("subject_files/10101.txt"), "");
  f.processor.LoadMaster();  // a new run that starts with the split loads the master file
  f.processor.BuildTestRecords();
  EXPECT_EQ(f.Get("subject_files/10101.txt"), f.Get("masterfile.txt"));
}

TEST(ResultProcessor, SplitRefusesAMissingOrDamagedTestList) {
  Folder f;
  f.Put("subject_files/10101.txt", "earlier\r\n");
  EXPECT_THROW(f.processor.BuildTestRecords(), FileError);
  f.Put("testlist.txt", "10101 Beams\r\nBeams 2\r\n");
  EXPECT_THROW(f.processor.BuildTestRecords(), FormatError);
  EXPECT_EQ(f.Get("subject_files/10101.txt"), "earlier\r\n");
}

TEST(ResultProcessor, ByDateRebuildsFirstAndKeepsEqualKeysInOrderPastNineHundredNinetyNine) {
  Folder f;
  std::string a, b;
  for (int i = 0; i < 700; ++i) {
    a += Rec("10101", "111111111", "05/03/2010", "14:05", "a" + std::to_string(i)) + "\r\n";
    b += Rec("10101", "222222222", i % 2 ? "05/03/2010" : "04/03/2011", "14:05",
             "b" + std::to_string(i)) +
         "\r\n";
  }
  f.Put("111111111.txt", a);
  f.Put("222222222.txt", b);
  const auto log = f.processor.ByDate({"222222222", "111111111"});
  EXPECT_EQ(log[1], "Rebuilding...");
  EXPECT_EQ(log.back(), "Masterfile sorted by date/time order");
  const auto& lines = f.processor.MasterLines();
  ASSERT_EQ(f.processor.MasterCount(), 1400);
  // 2010 records: student 2's odd ones first (they came first), then student 1's, all in order.
  for (int i = 0; i < 350; ++i)
    EXPECT_EQ(RecordFields(lines[i])[7], "b" + std::to_string(2 * i + 1));
  for (int i = 0; i < 700; ++i) EXPECT_EQ(RecordFields(lines[350 + i])[7], "a" + std::to_string(i));
  EXPECT_EQ(RecordFields(lines[1050])[7], "b0");
  EXPECT_EQ(f.Get("masterfile.txt"), JoinRecordLines(lines));
}

TEST(ResultProcessor, EmptyFilesAndTheCarriageReturnRepair) {
  Folder f;
  f.Put("1.txt", Rec("10101", "1", "01/01/2010", "08:00"));  // no line end: the next would join
  f.Put("2.txt", "");
  f.Put("3.txt", "\r\n  \r\n");
  EXPECT_EQ(f.processor.FilesHoldingResults({"1", "2", "3", "4"}), 1);
  EXPECT_THROW(f.processor.AddChr13({"1", "4"}), FileError);
  EXPECT_EQ(f.Get("1.txt"), Rec("10101", "1", "01/01/2010", "08:00"));
  EXPECT_EQ(f.processor.AddChr13({"1", "2"}), 1);
  EXPECT_EQ(f.Get("1.txt"), Rec("10101", "1", "01/01/2010", "08:00") + "\r\r\n");
  EXPECT_EQ(f.Get("2.txt"), "");
  EXPECT_EQ(f.processor.RebuildMaster({"1"}).back(), "No of test records = 1");
  f.processor.CreateEmptyStudentRecords({"1", "4"});
  EXPECT_EQ(f.Get("1.txt"), "");
  EXPECT_EQ(f.Get("4.txt"), "");
  EXPECT_EQ(f.processor.FilesHoldingResults({"1", "4"}), 0);
}

TEST(ResultProcessor, ANumberThatIsNotDigitsNeverLeadsAPathOutOfTheFolder) {
  Folder f;
  const auto outside =
      f.dir.path().parent_path() / (f.dir.path().filename().string() + "-secret.txt");
  WriteFileAtomically(outside, "secret\r\n");
  const std::string hostile = "../" + f.dir.path().filename().string() + "-secret";
  f.Put("111111111.txt", Rec("10101", "111111111", "01/01/2010", "08:00") + "\r\n");
  f.Put("masterfile.txt", "kept\r\n");
  for (const std::vector<std::string>& numbers :
       {std::vector<std::string>{"111111111", hostile}, {"111111111", ""}, {"1234567890"}}) {
    EXPECT_THROW(f.processor.RebuildMaster(numbers), FormatError);
    EXPECT_THROW(f.processor.CreateEmptyStudentRecords(numbers), FormatError);
    EXPECT_THROW(f.processor.CreateMissingStudentRecords(numbers), FormatError);
    EXPECT_THROW(f.processor.AddChr13(numbers), FormatError);
  }
  EXPECT_EQ(ReadFileBytes(outside), "secret\r\n");
  std::filesystem::remove(outside);
  EXPECT_EQ(f.Get("masterfile.txt"), "kept\r\n");
  EXPECT_NE(f.Get("111111111.txt"), "");  // checked before any file was emptied
}

TEST(ResultProcessor, CreateMissingMakesOnlyTheMissingFilesAndTheRebuildSaysSo) {
  Folder f;
  const std::string kept = Rec("10101", "111111111", "01/01/2010", "08:00") + "\r\n";
  f.Put("111111111.txt", kept);
  try {
    f.processor.RebuildMaster({"111111111", "222222222"});
    FAIL() << "rebuilt without a student file";
  } catch (const FileError& e) {
    EXPECT_EQ(std::string(e.what()), "Student file \"" + f.Shown("222222222.txt") +
                                         "\" does not exist; the master file was left as it was. " +
                                         std::string(kCreateMissingHint) + ".");
  }
  const auto log = f.processor.CreateMissingStudentRecords({"111111111", "222222222"});
  EXPECT_EQ(log,
            (std::vector<std::string>{std::string(kLogRule), "Creating missing student files...",
                                      "Created " + f.Shown("222222222.txt"),
                                      "Student files created = 1, already there = 1"}));
  EXPECT_EQ(f.Get("111111111.txt"), kept);
  EXPECT_EQ(f.Get("222222222.txt"), "");
  EXPECT_EQ(f.processor.CreateMissingStudentRecords({"111111111", "222222222"}).back(),
            "Student files created = 0, already there = 2");
  EXPECT_EQ(f.processor.RebuildMaster({"111111111", "222222222"}).back(), "No of test records = 1");
  std::filesystem::create_symlink(f.dir / "elsewhere.txt", f.dir / "333333333.txt");
  f.processor.CreateMissingStudentRecords({"333333333"});  // a dangling link is not followed
  EXPECT_FALSE(std::filesystem::exists(f.dir / "elsewhere.txt"));
}

TEST(ResultProcessor, WhatTheRebuildWritesTheNextStepsRead) {
  Folder f;
  // Over 16 MiB: a year of 2000 students with 100 records each is about 20 MiB.
  std::string master;
  const std::string record = Rec("10101", "111111111", "01/01/2010", "08:00") + "\r\n";
  while (master.size() <= (std::size_t{17} << 20)) master += record;
  f.Put("masterfile.txt", master);
  f.Put("testlist.txt", "10101 Beams\r\n");
  f.processor.LoadMaster();
  EXPECT_EQ(static_cast<std::size_t>(f.processor.MasterCount()), master.size() / record.size());
  EXPECT_EQ(f.processor.BuildTestRecords().back(), "Writing test result file 10101");
  EXPECT_EQ(ReadFileBytes(f.dir / "subject_files/10101.txt", kMaxMasterBytes).size(),
            master.size());
  EXPECT_EQ(kMaxMasterBytes, kMaxStudents * kMaxStudentFileLines * (kMaxRecordBytes + 2));
  // A student file of the most lines of the longest records is read; a byte more is refused.
  const std::string longest = std::string(kMaxRecordBytes, 'x') + "\r\n";
  std::string file;
  for (std::size_t i = 0; i < kMaxStudentFileLines; ++i) file += longest;
  f.Put("1.txt", file);
  EXPECT_EQ(f.processor.RebuildMaster({"1"}).back(),
            "Damaged records (kept here, counted nowhere; the split and the reports list them) "
            "= 999");
  f.Put("1.txt", file + "x");
  EXPECT_THROW(f.processor.RebuildMaster({"1"}), FileError);
}

TEST(WriteFileIfChanged, LeavesAFileWithTheSameBytesAloneAndWritesAnyOther) {
  testing::TempDir dir;
  const auto path = dir / "f.txt";
  EXPECT_TRUE(WriteFileIfChanged(path, "abc"));
  const auto inode = [&] {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_ino;
  };
  const auto first = inode();
  EXPECT_FALSE(WriteFileIfChanged(path, "abc"));  // the call made twice
  EXPECT_EQ(inode(), first);
  EXPECT_TRUE(WriteFileIfChanged(path, "abd"));  // same size, other bytes
  EXPECT_EQ(ReadFileBytes(path), "abd");
  EXPECT_TRUE(WriteFileIfChanged(path, "ab"));
  EXPECT_EQ(ReadFileBytes(path), "ab");
}

// The log names the file the program opened, not the Windows-style name it was chosen by.
TEST(ResultFolder, WindowsStylePathsShowAsTheNativeFileAndMapToTheDriveFolder) {
  const PathMapper paths("D:\\exams", "/opt/exams", {{'R', "/srv/r"}}, "/drives");
  const ResultFolder folder = ResultFolderFor("R:\\results", paths);
  EXPECT_EQ(folder.chosenPath, "R:\\results\\");
  EXPECT_EQ(folder.Shown("subject_files\\10101.txt"), "/srv/r/results/subject_files/10101.txt");
  EXPECT_EQ(folder.Native("subject_files\\10101.txt"),
            std::filesystem::path("/srv/r/results/subject_files/10101.txt"));
}

}  // namespace
}  // namespace examora
