// The quick look at a report: text files as text whatever they hold, pages as pages, a large
// file cut at a whole line or table row with a note, a missing one said so.
#include "reports/report_preview.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "platform/files.h"
#include "test_support.h"

namespace examora {
namespace {

TEST(ReportPreview, TextFilesAreTextAndPagesArePagesByTheirNames) {
  const std::string hostile = "10101,1,,,,,,<!-- M\xe9lanie <b>,\r\n10102,2,,,,,,Zo\xeb,\r\n";
  const struct {
    const char* name;
    bool html;
  } cases[] = {{"masterfile.txt", false}, {"masterfile2.txt", false}, {"masterfile4.htm", true},
               {"MASTERFILE5.HTM", true}, {"x.html", true},           {"htm.txt", false}};
  for (const auto& c : cases) {
    const ReportPreview preview =
        PreviewOf(c.name, hostile, static_cast<long long>(hostile.size()));
    EXPECT_EQ(preview.html, c.html) << c.name;
    EXPECT_EQ(preview.text, hostile) << c.name;  // the bytes as they stand, never re-read
    EXPECT_FALSE(preview.truncated) << c.name;
    EXPECT_EQ(preview.note, "") << c.name;
  }
}

TEST(ReportPreview, ALargeFileIsCutAtAWholeLineOrRowWithANote) {
  std::string text;
  while (text.size() <= kTextPreviewBytes) text += "10101,123456789,01/03/2010,09:00,50,\r\n";
  // Exactly at the limit it is whole; one byte more and it is cut after the last whole line.
  const std::string atLimit = text.substr(0, kTextPreviewBytes);
  EXPECT_FALSE(PreviewOf("m.txt", atLimit, static_cast<long long>(atLimit.size())).truncated);
  const ReportPreview cut = PreviewOf("m.txt", text, static_cast<long long>(text.size()) + 5000);
  EXPECT_TRUE(cut.truncated);
  EXPECT_TRUE(cut.text.ends_with("50,\r\n"));
  EXPECT_LE(cut.text.size(), kTextPreviewBytes);
  EXPECT_NE(cut.note.find("A preview: the first"), std::string::npos);

  std::string page = "<table>";
  while (page.size() <= kPagePreviewBytes) page += "<tr><td>Lee</td><td>62.5</td></tr>\r\n";
  const ReportPreview rows = PreviewOf("r.htm", page, static_cast<long long>(page.size()));
  EXPECT_TRUE(rows.truncated);
  EXPECT_TRUE(rows.text.ends_with("</td></tr></table>\r\n"))
      << rows.text.substr(rows.text.size() - 40);
  EXPECT_NE(rows.note.find("open it in the browser"), std::string::npos);
}

TEST(ReportPreview, LoadsThroughTheFolderAndSaysWhenMissing) {
  testing::TempDir dir;
  WriteFileAtomically(dir / "masterfile.txt", "a\r\n");
  EXPECT_EQ(LoadReportPreview(dir.path(), "masterfile.txt").text, "a\r\n");
  EXPECT_THROW(LoadReportPreview(dir.path(), "masterfile2.txt"), FileError);
  EXPECT_THROW(LoadReportPreview(dir.path(), "../masterfile.txt"), FileError);
}

}  // namespace
}  // namespace examora
