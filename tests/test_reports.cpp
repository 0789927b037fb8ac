#include "reports/reports.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include "platform/files.h"
#include "platform/paths.h"
#include "reports/mark_table.h"
#include "reports/png.h"
#include "reports/reports_model.h"
#include "test_support.h"

namespace examora {
namespace {

std::string Rec(const std::string& test, const std::string& student, const std::string& score,
                const std::string& name, const std::string& day = "01") {
  return test + "," + student + "," + day + "/03/2010,09:00," + score + ",3,YYX," + name + ",";
}

TEST(Reports, MarkTextShowsOneMarkAsItIsAndAnAverageWithOneDecimal) {
  const std::vector<std::pair<std::vector<double>, std::string>> rows = {
      {{}, ""},           {{73}, "73"},       {{0}, "0"},        {{70, 72}, "71.0"},
      {{70, 73}, "71.5"}, {{1, 2, 2}, "1.7"}, {{0.25, 0}, "0.1"}};
  for (const auto& [marks, text] : rows) EXPECT_EQ(MarkText(marks), text);
}

struct Sample {
  std::vector<ReportStudent> students = {{"012345678", "pw", "Zoe", "Adams"},
                                         {"200000000", "pw", "Al", "Brown"},
                                         {"300000000", "pw", "Cy", "Nobody"}};
  std::vector<TestIdEntry> tests = {{"10101", "Beams"}, {"10102", "Circuits"}};
  std::vector<std::string> master = {Rec("10101", "200000000", "60", "Al Brown"),
                                     Rec("10101", "12345678", "", "Zoe Adams"),
                                     Rec("10101", "200000000", "65", "Al Brown", "02"),
                                     Rec("10199", "900000001", "88", "Mary Ann Cole"), "damaged"};
};

TEST(Reports, TextFilesSortByStudentNumberAndBySurnameKeepingFileOrderForTies) {
  const Sample s;
  const ReportSet set = BuildReports(s.master, s.students, s.tests);
  EXPECT_EQ(set.byStudentNumber, "MASTERFILE SORTED BY STUDENT NUMBER\r\ndamaged\r\n" +
                                     s.master[1] + "\r\n" + s.master[0] + "\r\n" + s.master[2] +
                                     "\r\n" + s.master[3] + "\r\n");
  EXPECT_EQ(set.bySurname, "MASTERFILE SORTED BY SURNAME\r\ndamaged\r\n" + s.master[1] + "\r\n" +
                               s.master[0] + "\r\n" + s.master[2] + "\r\n" + s.master[3] + "\r\n");
  EXPECT_EQ(set.summary.testEvents, 4);
  EXPECT_EQ(set.summary.students, 3);
  EXPECT_EQ(set.summary.tests, 3);  // two listed, one found only in the records
}

TEST(Reports, PagesHoldOneRowPerStudentAndOneColumnPerTest) {
  const Sample s;
  const ReportSet set = BuildReports(s.master, s.students, s.tests);
  const std::string& student = set.studentPage;
  EXPECT_EQ(student.rfind("<!DOCTYPE html>\r\n", 0), 0u);
  EXPECT_NE(student.find("<link rel=\"stylesheet\" href=\"css/results.css\">"), std::string::npos);
  EXPECT_NE(student.find("<img src=\"css/images/10101.PNG\" width=\"19\" height=\"251\""),
            std::string::npos);
  EXPECT_NE(student.find("<tr><th scope=\"row\">012345678</th><td>0</td><td></td><td></td></tr>"),
            std::string::npos);
  EXPECT_NE(student.find("<th scope=\"row\">200000000</th><td class=\"repeat\">62.5</td>"),
            std::string::npos);
  EXPECT_LT(student.find("012345678"), student.find("200000000"));
  EXPECT_NE(student.find("<li>Total Test Events: 4</li>\r\n<li>Participating Students: 3</li>\r\n"
                         "<li>Available Tests: 3</li>"),
            std::string::npos);
  const std::string& teacher = set.teacherPage;
  EXPECT_NE(teacher.find("<th scope=\"row\">Cole</th><td class=\"name\">Mary Ann</td><td>"
                         "900000001</td><td></td><td></td><td>88</td>"),
            std::string::npos);
  EXPECT_LT(teacher.find(">Adams<"), teacher.find(">Brown<"));
  EXPECT_LT(teacher.find(">Cole<"), teacher.find(">Nobody<"));
}

TEST(Reports, HeadingPictureIsNineteenByTwoFiftyOneWithTheNameInk) {
  const GreyImage blank = HeadingImage(""), named = HeadingImage("Beams");
  ASSERT_EQ(named.pixels.size(), 19u * 251u);
  EXPECT_EQ(std::count(blank.pixels.begin(), blank.pixels.end(), 0), 0);
  const auto ink = std::count(named.pixels.begin(), named.pixels.end(), 0);
  EXPECT_GT(ink, 40);
  // Text runs upwards from the bottom: nothing in the top half for a short name.
  EXPECT_EQ(std::count(named.pixels.begin(), named.pixels.begin() + 19 * 125, 0), 0);
  const std::string png = EncodePng(named);
  ASSERT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(png.substr(16, 8), std::string("\0\0\0\x13\0\0\0\xfb", 8));  // IHDR width, height
  const auto idat = png.find("IDAT");
  const uLong packed =
      (static_cast<unsigned char>(png[idat - 2]) << 8) | static_cast<unsigned char>(png[idat - 1]);
  std::string raw(20 * 251, '\0');
  uLongf size = raw.size();
  ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(raw.data()), &size,
                       reinterpret_cast<const Bytef*>(png.data() + idat + 4), packed),
            Z_OK);
  EXPECT_EQ(raw.substr(20 * 240 + 1, 19),
            std::string(named.pixels.begin() + 19 * 240, named.pixels.begin() + 19 * 241));
}

TEST(RecordProblem, EightSoundFieldsEachEndingWithACommaOnBothSidesOfEveryLimit) {
  const std::string name = "Ann Lee,";
  const std::vector<std::pair<std::string, bool>> rows = {
      {"10101,111111111,05/02/2026,10:05,90,3,YXA,Ann Lee,", true},
      {"10101,111111111,05/02/2026,10:05,40,3,WTF,A,", true},  // every scoring code counts
      {"10101,1,31/12/2026,23:59,,500," + std::string(500, 'Z') + ",,", true},
      {"10101,111111111,05/02/2026,10:05,-100,2,AB," + name, true},
      {"10101,111111111,05/02/2026,10:05,100,2,AB," + name, true},
      {"10101,111111111,05/02/2026,10:05,-101,2,AB," + name, false},
      {"10101,111111111,05/02/2026,10:05,101,2,AB," + name, false},
      {"10101,111111111,05/02/2026,10:05,1e308,2,AB," + name, false},
      {"10101,111111111,05/02/2026,10:05,inf,2,AB," + name, false},
      {"10101,444444444,05/02/2026,10:0", false},  // cut off by a crash
      {"10102,444444444", false},
      {"10101,111111111,05/02/2026,10:05,90,3,YXA,Ann Lee", false},   // no final comma
      {"10101,111111111,05/02/2026,10:05,90,3,YXA,Ann,Lee,", false},  // nine fields
      {std::string("../../../x") + (",111111111,05/02/2026,10:05,90,3,YXA,A,"), false},
      {std::string("1010") + (",111111111,05/02/2026,10:05,90,3,YXA,A,"), false},
      {std::string("101011") + (",111111111,05/02/2026,10:05,90,3,YXA,A,"), false},
      {"10101,1111111111,05/02/2026,10:05,90,3,YXA,A,", false},
      {"10101,,05/02/2026,10:05,90,3,YXA,A,", false},
      {"10101,111111111,32/02/2026,10:05,90,3,YXA,A,", false},
      {"10101,111111111,05/13/2026,10:05,90,3,YXA,A,", false},
      {"10101,111111111,05/02/2026,24:00,90,3,YXA,A,", false},
      {"10101,111111111,05/02/2026,10:60,90,3,YXA,A,", false},
      {"10101,111111111,05/02/2026,10:05,90,0,YXA,A,", false},
      {"10101,111111111,05/02/2026,10:05,90,501,YXA,A,", false},
      {"10101,111111111,05/02/2026,10:05,90,3,,A,", false},
      {"10101,111111111,05/02/2026,10:05,90,3,YQA,A,", false},
      {"10101,1,31/12/2026,23:59,,500," + std::string(501, 'Z') + ",,", false},
      {"10101,1,01/01/2026,00:00,,1,Y," + std::string(1024 - 31, 'n') + ",", true},
      {"10101,1,01/01/2026,00:00,,1,Y," + std::string(1025 - 31, 'n') + ",", false},
      {std::string(20000, '#'), false}};
  for (const auto& [line, sound] : rows) {
    EXPECT_EQ(RecordProblem(line).empty(), sound) << line.substr(0, 60);
  }
}

TEST(Reports, DamagedRecordsCountNowhereAndNameNoColumn) {
  const std::vector<ReportStudent> students = {{"444444444", "pw", "Di", "Ng"}};
  const std::vector<std::string> master = {"10101,444444444,05/02/2026,10:05,90,3,YYY,Di Ng,",
                                           "10101,444444444,05/02/2026,10:0", "10102,444444444",
                                           "10101,444444444,05/02/2026,10:05,1e308,3,YYY,Di Ng,",
                                           "../../../x,444444444,05/02/2026,10:05,50,3,YYY,Di Ng,"};
  const ReportSet set = BuildReports(master, students, {});
  EXPECT_EQ(set.summary.testEvents, 1);
  EXPECT_EQ(set.summary.damaged, 4);
  ASSERT_EQ(set.columns.size(), 1u);
  EXPECT_EQ(set.columns[0].number, "10101");
  EXPECT_NE(set.studentPage.find("<th scope=\"row\">444444444</th><td>90</td></tr>"),
            std::string::npos);
  EXPECT_EQ(set.studentPage.find("inf"), std::string::npos);
  EXPECT_NE(set.studentPage.find("<li>Damaged records left out (listed in masterfile2.txt): 4"),
            std::string::npos);
  // Listed first in the text files, nothing lost.
  EXPECT_EQ(set.byStudentNumber.find("MASTERFILE SORTED BY STUDENT NUMBER\r\n" + master[1]), 0u);
}

TEST(Reports, HostileRecordsNeverBecomePathsNorStopTheStep) {
  testing::TempDir dir;
  const auto folder = dir / "res";
  std::filesystem::create_directories(folder);
  const std::string good = "10101,111111111,05/02/2026,10:05,90,3,YYY,Ann Lee,";
  std::string master = good + "\r\n";
  const std::vector<std::string> hostile = {"../../../x", "../../y", (dir / "abs").string(), "a/b",
                                            "12/45"};
  for (const std::string& number : hostile) {
    master += number + ",111111111,05/02/2026,10:05,50,3,YYY,Ann Lee,\r\n";
  }
  std::string junk;  // 20 KB of junk in one student's file, commas and slashes among it
  for (int i = 0; i < 20 * 1024; ++i) junk += "ab/,\x9c."[i % 6];
  master += junk + "\r\n";
  WriteFileAtomically(folder / "masterfile.txt", master);
  const auto log = SortSN(NativeResultFolder(folder), {}, {{"10101", "Beams"}});
  EXPECT_EQ(log.back(), "Available Tests: 1");
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& l) { return l.starts_with("Damaged record"); }),
            6);
  std::vector<std::string> pictures;
  for (const auto& e : std::filesystem::recursive_directory_iterator(folder / "css/images")) {
    pictures.push_back(e.path().filename().string());
  }
  EXPECT_EQ(pictures, std::vector<std::string>{"10101.PNG"});
  for (const char* stray : {"x.PNG", "y.PNG", "abs.PNG", "res/css/a", "res/css/images/a"}) {
    EXPECT_FALSE(std::filesystem::exists(dir / stray)) << stray;
  }
  EXPECT_TRUE(std::filesystem::exists(folder / "masterfile5.htm"));
}

TEST(Reports, SortSNWritesEveryFileBesideTheMasterFile) {
  testing::TempDir dir;
  const Sample s;
  std::string master;
  for (const auto& line : s.master) master += line + "\r\n\r\n";
  WriteFileAtomically(dir / "masterfile.txt", master);
  const auto log = SortSN(NativeResultFolder(dir.path()), s.students, s.tests);
  EXPECT_EQ(log.back(), "Available Tests: 3");
  for (const char* name : {"masterfile2.txt", "masterfile3.txt", "masterfile4.htm",
                           "masterfile5.htm", "css/results.css", "css/images/10101.PNG",
                           "css/images/10102.PNG", "css/images/10199.PNG"}) {
    EXPECT_TRUE(std::filesystem::is_regular_file(dir / name)) << name;
  }
  EXPECT_EQ(ReadFileBytes(dir / "masterfile2.txt"),
            BuildReports(s.master, s.students, s.tests).byStudentNumber);
}

// An installed program has no list in its own folder: the web folder's list is read, and with
// none at all the window says so, also when a statistics button is pressed.
TEST(ReportsModel, TheTestListComesFromTheProgramOrTheWebFolderAndItsAbsenceIsSaid) {
  testing::TempDir dir;
  ModuleExamora m;
  DeploymentSettings settings;
  settings.programFolder = "D:\\exams";
  settings.programFolderNative = dir / "exams";
  settings.webBase = FolderFileUrl(dir / "web");
  ScriptedPrompter prompter;
  ReportsModel model(m, settings, prompter);
  model.Load();
  EXPECT_TRUE(model.tests.empty());
  EXPECT_EQ(model.testListProblem.rfind("No tests to choose: Cannot read", 0), 0u);
  EXPECT_EQ(model.List1, std::vector<std::string>{model.testListProblem});
  model.cmdStats(0);
  EXPECT_EQ(prompter.prompts().back().text, model.testListProblem);

  std::filesystem::create_directories(dir / "web" / "info" / "data");
  std::filesystem::create_directories(dir / "exams" / "data");
  WriteFileAtomically(dir / "web" / "info" / "data" / "testlist.txt", "10101 Beams\r\n");
  model.Load();
  ASSERT_EQ(model.tests.size(), 1u);
  EXPECT_EQ(model.tests[0].name, "Beams");
  EXPECT_TRUE(model.testListProblem.empty());
  WriteFileAtomically(dir / "exams" / "data" / "testlist.txt", "10102 Fluids\r\n");
  model.Load();
  ASSERT_EQ(model.tests.size(), 1u);
  EXPECT_EQ(model.tests[0].name, "Fluids");
}

}  // namespace
}  // namespace examora
