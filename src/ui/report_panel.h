// The quick look at a report beside the processor's buttons: a text file in a fixed-pitch text
// view, a page in the browser panel (a large one cut to a preview, with a note), and a button
// that opens the whole page in the desktop's browser. The rules live in report_preview.h.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include <QWidget>

#include "common/prompter.h"
#include "common/url_opener.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;

namespace examora {

class BrowserPanel;
class Environment;
class PageFetcher;

/// Opens addresses with QDesktopServices (xdg-open on Linux).
class DesktopUrlOpener : public UrlOpener {
 public:
  bool Open(const std::string& url) override;
};

class ReportPanel : public QWidget {
 public:
  /// `opener` null: the desktop's.
  /// In the exam session (`env`) no page is handed to another program: the button is hidden.
  ReportPanel(PageFetcher& fetcher, Prompter& prompter, UrlOpener* opener, const Environment& env,
              QWidget* parent = nullptr);

  /// Shows the report `name` of the native folder, or says why it cannot.
  void Show(const std::filesystem::path& folder, const std::string& name);
  /// The page shown, for the browser button (empty for a text file).
  const std::filesystem::path& page() const { return page_; }

 private:
  void cmdOpenInBrowser_Click();

  Prompter& prompter_;
  UrlOpener& opener_;
  DesktopUrlOpener desktop_;
  std::optional<std::string> refusal_;  // why no page may leave the program here
  std::filesystem::path page_;
  QLabel* lblPreviewNote_;
  QPushButton* cmdOpenInBrowser_;
  QStackedWidget* views_;
  QPlainTextEdit* txtReport_;
  BrowserPanel* WebBrowser1_;
};

}  // namespace examora
