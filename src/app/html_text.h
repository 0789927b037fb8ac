// The reader's text of an HTML page when the page is too deep or too busy to lay out: a single
// pass over the bytes, so a page of thousands of nested tables or of millions of tiny elements
// costs time and memory in proportion to its size and never more.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace examora {

/// Pages nested deeper than this, or with more tags, are read by PlainTextOfHtml rather than
/// laid out: far beyond any test list or information page, well below what freezes a layout.
inline constexpr int kMostLaidOutDepth = 64;
inline constexpr std::size_t kMostLaidOutTags = 20000;

/// Whether a page (UTF-8 HTML) stays within both bounds; it stops counting at the first one
/// passed.
bool HtmlFitsLayout(std::string_view html);

/// The text of the page's body as Windows-1252: tags dropped, head, script, style and comments
/// left out, blanks collapsed, a line break for each block (paragraph, line break, row, list
/// item, heading, division), the common entities and numeric ones decoded; lines trimmed, empty
/// ones dropped.
std::string PlainTextOfHtml(std::string_view html);

}  // namespace examora
