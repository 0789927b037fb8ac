// A small web view for pictures and simple pages: navigates to an address and shows the
// picture or the page it finds there.
#pragma once

#include <QTextBrowser>
#include <QUrl>

namespace examora {

class PageFetcher;

class BrowserPanel : public QTextBrowser {
 public:
  BrowserPanel(PageFetcher& fetcher, QWidget* parent = nullptr);

  /// Shows the page or picture at `address` once it has arrived.
  void Navigate(const QUrl& address);
  /// The address last navigated to.
  const QUrl& location() const { return location_; }
  /// Navigations that have arrived (shown or failed) so far.
  int arrivals() const { return arrivals_; }

 private:
  void ShowPicture(const QUrl& address, const QByteArray& bytes);
  void ShowPage(const QUrl& address, const QByteArray& html);

  PageFetcher& fetcher_;
  QUrl location_;
  int arrivals_ = 0;
  int generation_ = 0;  // a later navigation supersedes pages still on their way
};

}  // namespace examora
