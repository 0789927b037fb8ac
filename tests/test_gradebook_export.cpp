// The gradebook export: CSV fields as RFC 4180 wants them, formulas neutralised, the marks the
// reports show, and files that Python's csv module and LibreOffice read as intended.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "platform/files.h"
#include "reports/gradebook_export.h"
#include "test_support.h"

namespace examora {
namespace {

TEST(GradebookExport, FieldsAreQuotedAndNeutralised) {
  struct Row {
    std::string in, out;
  };
  const std::vector<Row> rows = {
      {"Ann", "Ann"},
      {"", ""},
      {"Lee, Jr", "\"Lee, Jr\""},
      {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"two\r\nlines", "\"two\r\nlines\""},
      {" edge", "\" edge\""},
      {"=1+1", "'=1+1"},
      {"+cmd", "'+cmd"},
      {"-2", "'-2"},
      {"@SUM(A1)", "'@SUM(A1)"},
      {"=HYPERLINK(\"x\",\"y\")", "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\""},
      {"a=b", "a=b"},
  };
  for (const auto& row : rows) EXPECT_EQ(CsvField(row.in), row.out) << row.in;
}

const std::vector<ReportStudent> kStudents = {
    {"000000042", "abcd", "Bo", "=Baker"},
    {"123456789", "wxyz", "Ren\xE9", "Lee, Jr"},
};

MarkTable Table() {
  const std::vector<std::string> master = {
      "10101,123456789,01/02/2026,10:00,60,50,YYX,Rene Lee,",
      "10101,123456789,02/02/2026,10:00,71,50,YYY,Rene Lee,",
      "10102,000000042,01/02/2026,11:00,80,50,YY,Bo Baker,",
  };
  return BuildMarkTable(master, kStudents, {{"10101", "Beams"}, {"10102", "Forces"}});
}

TEST(GradebookExport, MoodleLayoutHasAnIdNumberColumnAndOneColumnPerTest) {
  EXPECT_EQ(GradebookCsv(Table(), GradebookFormat::kMoodle),
            "ID number,First name,Last name,10101 Beams,10102 Forces\r\n"
            "000000042,Bo,'=Baker,,80\r\n"
            "123456789,Ren\xC3\xA9,\"Lee, Jr\",65.5,\r\n");
}

TEST(GradebookExport, PlainCsvStartsWithAByteOrderMark) {
  const std::string csv = GradebookCsv(Table(), GradebookFormat::kCsv);
  EXPECT_EQ(csv.substr(0, 18), "\xEF\xBB\xBFStudent number,");
  EXPECT_EQ(GradebookCsv(MarkTable{}, GradebookFormat::kCsv),
            "\xEF\xBB\xBFStudent number,First name,Last name\r\n");
}

TEST(GradebookExport, ReadsTheFolderThroughTheProcessor) {
  testing::TempDir dir;
  WriteFileAtomically(dir / "masterfile.txt",
                      "\r\n10102,000000042,01/02/2026,11:00,80,50,YY,Bo Baker,\r\n");
  const std::string csv =
      ExportGradebook(NativeResultFolder(dir.path()), kStudents, {}, GradebookFormat::kMoodle);
  EXPECT_EQ(csv,
            "ID number,First name,Last name,10102\r\n000000042,Bo,'=Baker,80\r\n"
            "123456789,Ren\xC3\xA9,\"Lee, Jr\",\r\n");
}

std::string Shell(const std::string& command) {
  std::string output;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return "";
  std::array<char, 4096> buffer{};
  while (std::fgets(buffer.data(), buffer.size(), pipe)) output += buffer.data();
  ::pclose(pipe);
  return output;
}

// Python's csv module (utf-8-sig takes the byte order mark) reads back every cell as written.
TEST(GradebookExport, PythonCsvReadsItAsWritten) {
  testing::TempDir dir;
  WriteFileAtomically(dir / "marks.csv", GradebookCsv(Table(), GradebookFormat::kCsv));
  const std::string script =
      "import csv,sys\n"
      "rows=list(csv.reader(open(sys.argv[1],encoding='utf-8-sig',newline='')))\n"
      "print('|'.join(';'.join(r) for r in rows))\n";
  WriteFileAtomically(dir / "read.py", script);
  EXPECT_EQ(
      Shell("/usr/bin/python3 " + (dir / "read.py").string() + " " + (dir / "marks.csv").string()),
      "Student number;First name;Last name;10101 Beams;10102 Forces|"
      "000000042;Bo;'=Baker;;80|123456789;Ren\xC3\xA9;Lee, Jr;65.5;\n");
}

// LibreOffice converts the CSV to another CSV as a spreadsheet reads it: the same cells, and
// the neutralised name stays text instead of becoming a formula's result.
TEST(GradebookExport, LibreOfficeReadsItAsASpreadsheet) {
  if (Shell("command -v soffice").empty()) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
  testing::TempDir dir;
  WriteFileAtomically(dir / "marks.csv", GradebookCsv(Table(), GradebookFormat::kCsv));
  Shell("cd " + dir.path().string() + " && HOME=" + dir.path().string() +
        " soffice --headless --infilter=CSV:44,34,76 --convert-to csv:Text\\ -\\ txt\\ -\\ "
        "csv\\ \\(StarCalc\\):44,34,76 --outdir out marks.csv >/dev/null 2>&1");
  const std::string back = ReadFileBytes(dir / "out" / "marks.csv");
  EXPECT_NE(back.find("'=Baker"), std::string::npos) << back;
  EXPECT_NE(back.find("\"Lee, Jr\""), std::string::npos) << back;
  EXPECT_NE(back.find("65.5"), std::string::npos) << back;
}

TEST(GradebookExport, CommandLineWritesTheFileOrSaysWhatIsWrong) {
  testing::TempDir dir;
  WriteFileAtomically(dir / "masterfile.txt",
                      "10102,000000042,01/02/2026,11:00,80,50,YY,Bo Baker,\r\n");
  WriteFileAtomically(dir / "students.txt", "000000042,wxyz,Bo,Baker\r\n\r\n");
  WriteFileAtomically(dir / "testlist.txt", "10102 Forces\r\n");
  const std::vector<std::string> base = {"results",    "export",
                                         "--folder",   dir.path().string(),
                                         "--testlist", (dir / "testlist.txt").string()};
  struct Row {
    std::vector<std::string> extra;
    int code;
  };
  for (const auto& row :
       {Row{{"--students", (dir / "students.txt").string(), "--format", "xls"}, 2}, Row{{}, 2},
        Row{{"--students", (dir / "students.txt").string(), "--format", "moodle", "-o",
             (dir / "out.csv").string()},
            0}}) {
    std::vector<std::string> args = base;
    args.insert(args.end(), row.extra.begin(), row.extra.end());
    std::istringstream in;
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(args, in, out, err), row.code) << err.str();
  }
  EXPECT_EQ(ReadFileBytes(dir / "out.csv"),
            "ID number,First name,Last name,10102 Forces\r\n000000042,Bo,Baker,80\r\n");
}

}  // namespace
}  // namespace examora
