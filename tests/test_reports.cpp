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
