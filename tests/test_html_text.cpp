// The one-pass reading of pages too deep or too busy to lay out.
#include "app/html_text.h"

#include <gtest/gtest.h>

namespace examora {
namespace {

std::string Nested(int depth) {
  std::string html;
  for (int i = 0; i < depth; ++i) html += "<table><tr><td>";
  html += "10101 Beams";
  for (int i = 0; i < depth; ++i) html += "</td></tr></table>";
  return html;
}

// Both sides of each bound: the depth, and the count of tags.
TEST(HtmlText, PagesBeyondTheBoundsAreNotLaidOut) {
  EXPECT_TRUE(HtmlFitsLayout(""));
  EXPECT_TRUE(HtmlFitsLayout(Nested(kMostLaidOutDepth / 3)));  // three levels a table
  EXPECT_FALSE(HtmlFitsLayout(Nested(kMostLaidOutDepth / 3 + 1)));
  EXPECT_FALSE(HtmlFitsLayout(Nested(16000)));
  std::string flat;
  for (std::size_t i = 0; i < kMostLaidOutTags / 2; ++i) flat += "<b>x</b>";
  EXPECT_TRUE(HtmlFitsLayout(flat));
  EXPECT_FALSE(HtmlFitsLayout(flat + "<i>"));
  std::string voids;  // void elements open no level
  for (int i = 0; i < 2 * kMostLaidOutDepth; ++i) voids += "<br><img src=x><p/>";
  EXPECT_TRUE(HtmlFitsLayout(voids));
}

TEST(HtmlText, TheBodyTextAsAReaderSeesIt) {
  const struct {
    std::string html, text;
  } rows[] = {
      {"<html><head><title>T</title><style>p{}</style></head><body><p>Image  not\nneeded.</p>"
       "<script>x<y</script><!-- <p>hidden</p> --></body></html>",
       "Image not needed."},
      {"<p>10101 Beams</p><p>10102 &amp; Circuits&#33;&#x21;</p>",
       "10101 Beams\n10102 & Circuits!!"},
      {"Caf&#233; &lt;b&gt; &bogus; &#xD800; &#9999999;", "Caf\xE9 <b> &bogus; ? ?"},
      {"<table><tr><td>a</td><td>b</td></tr><tr><td>c</td></tr></table>", "a b\nc"},
      {"unclosed <b", "unclosed"},
      {"", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(PlainTextOfHtml(row.html), row.text) << row.html;
  EXPECT_EQ(PlainTextOfHtml(Nested(16000)), "10101 Beams");
}

}  // namespace
}  // namespace examora
