// A small web view for pictures and simple pages: navigates to an address and shows the
// picture or the page it finds there. What it shows comes from the web folder, so it goes
// nowhere else: an address with "." or ".." parts is refused, and a page's pictures and style
// sheets load only from inside the panel's folder, with the page's own scheme (an http page
// never reads a local file).
#pragma once

#include <QTextBrowser>
#include <QUrl>

namespace examora {

class PageFetcher;

class BrowserPanel : public QTextBrowser {
 public:
  BrowserPanel(PageFetcher& fetcher, QWidget* parent = nullptr);
  ~BrowserPanel() override;

  /// Shows the page or picture at `address` once it has arrived.
  void Navigate(const QUrl& address);
  /// Shows a page already read (a preview of a report), as if navigated to `address`: its
  /// pictures and style sheet load from the same folder only.
  void ShowDocument(const QUrl& address, const QByteArray& html);
  /// Confines the panel to `folder` (an address ending with "/", such as the web folder).
  /// Without it, each page is confined to its own folder.
  void setFolder(const QString& folder) { folder_ = folder; }
  /// The address last navigated to.
  const QUrl& location() const { return location_; }
  /// Navigations that have arrived (shown or failed) so far.
  int arrivals() const { return arrivals_; }
  /// Resources a page asked for that were refused (outside the folder, another scheme).
  int refusedResources() const { return refused_; }

 protected:
  QVariant loadResource(int type, const QUrl& name) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ShowPicture(const QUrl& address, const QByteArray& bytes);
  /// Shows the picture on show whole, at the size the panel leaves it.
  void FitPictureToPanel();
  void ShowPage(const QUrl& address, const QByteArray& html);
  QString FolderFor(const QUrl& address) const;

  PageFetcher& fetcher_;
  QUrl location_;
  QString folder_;
  int arrivals_ = 0;
  int refused_ = 0;
  int generation_ = 0;  // a later navigation supersedes pages still on their way
  int fetch_ = 0;
  QUrl picture_;  // the picture on show (empty while a page or message is)
  QSize pictureSize_;
};

}  // namespace examora
