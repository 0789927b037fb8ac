// Fetches pages (http, https, file) for the web loader and the browser panels. An HTML page
// also yields its body text as a reader sees it; other pages give their bytes as text. Every
// fetch is bounded: a size limit, an overall deadline and redirects only within the same site.
#pragma once

#include <QNetworkAccessManager>
#include <QObject>
#include <QUrl>
#include <functional>
#include <map>
#include <string>

namespace examora {

struct FetchedPage {
  bool ok = false;
  QByteArray bytes;  // the body as received
  bool html = false;
  std::string bodyText;  // Windows-1252: the reader's text of an HTML page, else the bytes
  QString error;         // why the fetch failed (Qt's wording)
  std::string failure;   // why the fetch failed, briefly: "not found", "the connection was refused"
};

/// The bounds of every fetch. The README names the defaults.
struct FetchLimits {
  qint64 maxBytes = qint64{4} << 20;  // 4 MiB: the list, a test, a page or a picture
  int deadlineMs = 15000;             // the whole fetch, however slowly the bytes drip
  int maxRedirects = 5;
};

class PageFetcher : public QObject {
 public:
  explicit PageFetcher(QObject* parent = nullptr);
  /// Fetches still under way end without calling back.
  ~PageFetcher() override;

  /// Fetches `url`; `bypassCache` forbids any cached copy. `done` runs on the UI thread when
  /// the page has arrived or failed (after at most the deadline), unless the fetch is aborted.
  /// Returns a number for `Abort`.
  int Fetch(const QUrl& url, bool bypassCache, std::function<void(const FetchedPage&)> done);
  /// Stops a fetch still under way; its `done` is not called.
  void Abort(int fetch);

  void setLimits(const FetchLimits& limits) { limits_ = limits; }
  const FetchLimits& limits() const { return limits_; }
  /// Fetches under way.
  int running() const { return static_cast<int>(replies_.size()); }
  /// The most bytes any fetch so far has held at once (tests check memory stays bounded).
  qint64 peakBytes() const { return peakBytes_; }

 private:
  QNetworkAccessManager network_;
  FetchLimits limits_;
  std::map<int, QNetworkReply*> replies_;
  int next_ = 0;
  qint64 peakBytes_ = 0;
};

/// True for addresses of pictures (png, jpg, jpeg, gif, bmp).
bool IsPictureAddress(const QUrl& url);

}  // namespace examora
