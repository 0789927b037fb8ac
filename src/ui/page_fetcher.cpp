#include "ui/page_fetcher.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTextDocument>

#include "ui/qtext.h"

namespace examora {
namespace {

bool LooksLikeHtml(const QUrl& url, const QNetworkReply& reply, const QByteArray& bytes) {
  const QString type = reply.header(QNetworkRequest::ContentTypeHeader).toString();
  if (type.contains(QLatin1String("html"), Qt::CaseInsensitive)) return true;
  const QString path = url.path().toLower();
  if (path.endsWith(QLatin1String(".html")) || path.endsWith(QLatin1String(".htm"))) return true;
  return bytes.trimmed().startsWith('<');
}

// What a reader sees of an HTML page: its body as plain text.
std::string ReaderText(const QByteArray& html) {
  QTextDocument document;
  document.setHtml(QString::fromUtf8(html));
  return FromQString(document.toPlainText().trimmed());
}

}  // namespace

PageFetcher::PageFetcher(QObject* parent) : QObject(parent) {}

bool IsPictureAddress(const QUrl& url) {
  const QString path = url.path().toLower();
  for (const char* suffix : {".png", ".jpg", ".jpeg", ".gif", ".bmp"}) {
    if (path.endsWith(QLatin1String(suffix))) return true;
  }
  return false;
}

void PageFetcher::Fetch(const QUrl& url, bool bypassCache,
                        std::function<void(const FetchedPage&)> done) {
  QNetworkRequest request(url);
  request.setTransferTimeout(kTimeoutMs);
  request.setAttribute(
      QNetworkRequest::CacheLoadControlAttribute,
      bypassCache ? QNetworkRequest::AlwaysNetwork : QNetworkRequest::PreferNetwork);
  QNetworkReply* reply = network_.get(request);
  connect(reply, &QNetworkReply::finished, this, [reply, url, done = std::move(done)] {
    reply->deleteLater();
    FetchedPage page;
    page.bytes = reply->readAll();
    page.ok = reply->error() == QNetworkReply::NoError;
    page.error = reply->errorString();
    if (page.ok) {
      page.html = LooksLikeHtml(url, *reply, page.bytes);
      page.bodyText = page.html ? ReaderText(page.bytes)
                                : std::string(page.bytes.constData(),
                                              static_cast<std::size_t>(page.bytes.size()));
    }
    done(page);
  });
}

}  // namespace examora
