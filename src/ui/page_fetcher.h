// Fetches pages (http, https, file) for the web loader and the browser panels. An HTML page
// also yields its body text as a reader sees it; other pages give their bytes as text.
#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QUrl>
#include <functional>
#include <string>

namespace examora {

struct FetchedPage {
  bool ok = false;
  QByteArray bytes;  // the body as received
  bool html = false;
  std::string bodyText;  // Windows-1252: the reader's text of an HTML page, else the bytes
  QString error;         // why the fetch failed
};

class PageFetcher : public QObject {
 public:
  explicit PageFetcher(QObject* parent = nullptr);

  /// Fetches `url`; `bypassCache` forbids any cached copy. `done` runs on the UI thread when
  /// the page has arrived or failed (after at most `kTimeoutMs`).
  void Fetch(const QUrl& url, bool bypassCache, std::function<void(const FetchedPage&)> done);

  static constexpr int kTimeoutMs = 15000;

 private:
  QNetworkAccessManager network_;
};

/// True for addresses of pictures (png, jpg, jpeg, gif, bmp).
bool IsPictureAddress(const QUrl& url);

}  // namespace examora
