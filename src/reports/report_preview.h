// The quick look at a report beside the processor's buttons: text files as text, HTML reports as
// pages, and a large file cut to a preview (whole lines, whole table rows) with a note, so the
// window never waits on laying out a 2000-student page. The whole page opens in the browser.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace examora {

/// Bytes of a text file shown before it is cut.
inline constexpr std::size_t kTextPreviewBytes = std::size_t{1} << 20;
/// Bytes of a page shown before it is cut: a table of this size still lays out at once.
inline constexpr std::size_t kPagePreviewBytes = std::size_t{48} << 10;

struct ReportPreview {
  bool html = false;  // a page (UTF-8 HTML); else Windows-1252 text shown as it stands
  std::string text;
  bool truncated = false;
  std::string note;  // says what is left out, and where to see it all
};

/// Whether a report file is a page (".htm" or ".html", any case).
bool IsPageName(std::string_view name);

/// The preview of a report's first bytes; `fileSize` is the whole file's size.
ReportPreview PreviewOf(std::string_view name, std::string_view head, long long fileSize);

/// Reads the start of a report in a folder (through the results folder: no link followed, a
/// bounded read) and previews it. Throws FileError when it cannot be read, and says so when it
/// is missing.
ReportPreview LoadReportPreview(const std::filesystem::path& folder, const std::string& name);

/// What the window says when the desktop would not open a page.
inline constexpr const char* kNotOpenedInBrowser =
    "The report could not be opened in the browser here.";

}  // namespace examora
