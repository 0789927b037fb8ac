#include "reports/report_preview.h"

#include <algorithm>
#include <cctype>

#include "common/error.h"
#include "platform/files.h"
#include "results/results_folder.h"

namespace examora {
namespace {

std::string Kib(long long bytes) {
  return std::to_string((bytes + 1023) / 1024) + " KiB";
}

// A page cut after its last whole table row, the table closed so the rows still show.
std::string CutPage(std::string_view head) {
  const std::size_t row = head.rfind("</tr>");
  if (row == std::string_view::npos) return std::string(head.substr(0, head.rfind('<')));
  return std::string(head.substr(0, row + 5)) + "</table>\r\n";
}

}  // namespace

bool IsPageName(std::string_view name) {
  std::string lower(name);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower.ends_with(".htm") || lower.ends_with(".html");
}

ReportPreview PreviewOf(std::string_view name, std::string_view head, long long fileSize) {
  ReportPreview preview;
  preview.html = IsPageName(name);
  const std::size_t limit = preview.html ? kPagePreviewBytes : kTextPreviewBytes;
  preview.truncated = fileSize > static_cast<long long>(limit) || head.size() > limit;
  head = head.substr(0, std::min(head.size(), limit));
  if (!preview.truncated) {
    preview.text = std::string(head);
  } else if (preview.html) {
    preview.text = CutPage(head);
  } else {
    const std::size_t end = head.rfind('\n');
    preview.text = std::string(head.substr(0, end == std::string_view::npos ? 0 : end + 1));
  }
  if (preview.truncated) {
    preview.note = "A preview: the first " + Kib(static_cast<long long>(preview.text.size())) +
                   " of " + Kib(fileSize) +
                   (preview.html ? "; open it in the browser for the whole report."
                                 : "; the rest is not shown.");
  }
  return preview;
}

ReportPreview LoadReportPreview(const std::filesystem::path& folder, const std::string& name) {
  const ResultsFolder files(folder);
  const long long size = files.Size(name);
  const std::size_t limit = IsPageName(name) ? kPagePreviewBytes : kTextPreviewBytes;
  const auto head = files.ReadFrom(name, 0, limit + 1);
  if (!head) throw FileError("\"" + (folder / name).string() + "\" does not exist");
  return PreviewOf(name, *head, size);
}

}  // namespace examora
