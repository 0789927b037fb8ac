#include "ui/page_fetcher.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTextDocument>
#include <QTimer>
#include <memory>

#include "app/html_text.h"
#include "platform/files.h"
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

// What a reader sees of an HTML page: its body as plain text. Laying out a page nested
// thousands deep or of millions of elements takes minutes and hundreds of megabytes on the
// window's thread; such a page is read in one pass instead.
std::string ReaderText(const QByteArray& html) {
  const std::string_view bytes(html.constData(), static_cast<std::size_t>(html.size()));
  if (!HtmlFitsLayout(bytes)) return PlainTextOfHtml(bytes);
  QTextDocument document;
  document.setHtml(QString::fromUtf8(html));
  return FromQString(document.toPlainText().trimmed());
}

std::string DeadlineText(int deadlineMs) {
  return "no answer within " + FromQString(QString::number(deadlineMs / 1000.0)) + " s";
}

// The failure in words a student understands.
std::string FailureText(const QNetworkReply& reply, int deadlineMs) {
  switch (reply.error()) {
    case QNetworkReply::ContentNotFoundError:
    case QNetworkReply::ContentGoneError:
      return "not found";
    case QNetworkReply::ConnectionRefusedError:
      return "the connection was refused";
    case QNetworkReply::HostNotFoundError:
      return "the server was not found";
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError:
      return DeadlineText(deadlineMs);
    case QNetworkReply::TooManyRedirectsError:
      return "it redirects too often";
    case QNetworkReply::InsecureRedirectError:
      return "it redirects elsewhere";
    case QNetworkReply::ContentAccessDenied:
      return "access denied";
    default:
      break;
  }
  const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
  if (status >= 400) return "the server answered " + std::to_string(status);
  const QString qt = reply.errorString();
  // Qt refuses a compressed body that unpacks to far more than it holds ("Decompression
  // failed: " and no reason): say what that means.
  if (qt.startsWith(QLatin1String("Decompression failed"))) {
    const QString why = qt.section(QLatin1Char(':'), 1).trimmed();
    return "its compressed content could not be unpacked: " +
           (why.isEmpty() ? std::string("it unpacks to far more than a page may be")
                          : FromQString(why));
  }
  return FromQString(qt);
}

// What one fetch holds while it runs.
struct Transfer {
  QByteArray bytes;
  std::string failure;  // set when the fetcher itself stopped it
};

}  // namespace

PageFetcher::PageFetcher(QObject* parent) : QObject(parent) {}

PageFetcher::~PageFetcher() {
  while (!replies_.empty()) Abort(replies_.begin()->first);
}

bool IsPictureAddress(const QUrl& url) {
  const QString path = url.path().toLower();
  for (const char* suffix : {".png", ".jpg", ".jpeg", ".gif", ".bmp"}) {
    if (path.endsWith(QLatin1String(suffix))) return true;
  }
  return false;
}

int PageFetcher::Fetch(const QUrl& url, bool bypassCache,
                       std::function<void(const FetchedPage&)> done) {
  QNetworkRequest request(url);
  request.setTransferTimeout(limits_.deadlineMs);
  // Redirects stay on the same scheme, host and port: a web folder cannot send the program
  // elsewhere, least of all to a file:// address.
  request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                       QNetworkRequest::SameOriginRedirectPolicy);
  request.setMaximumRedirectsAllowed(limits_.maxRedirects);
  request.setAttribute(
      QNetworkRequest::CacheLoadControlAttribute,
      bypassCache ? QNetworkRequest::AlwaysNetwork : QNetworkRequest::PreferNetwork);
  QNetworkReply* reply = network_.get(request);
  reply->setReadBufferSize(limits_.maxBytes + 1);  // Qt itself buffers no more than the limit
  const int id = ++next_;
  replies_[id] = reply;
  auto transfer = std::make_shared<Transfer>();
  const qint64 maxBytes = limits_.maxBytes;
  auto stop = [reply, transfer](const std::string& why) {
    if (transfer->failure.empty()) transfer->failure = why;
    reply->abort();
  };
  const std::string tooLarge = "it is larger than " + SizeText(static_cast<std::size_t>(maxBytes)) +
                               ", the most a page may be";
  // Read as the bytes come, so that no more than the limit is ever held.
  connect(reply, &QNetworkReply::readyRead, reply,
          [this, reply, transfer, maxBytes, stop, tooLarge] {
            transfer->bytes += reply->read(maxBytes + 1 - transfer->bytes.size());
            peakBytes_ = std::max(peakBytes_, static_cast<qint64>(transfer->bytes.size()));
            if (transfer->bytes.size() > maxBytes) stop(tooLarge);
          });
  connect(reply, &QNetworkReply::metaDataChanged, reply, [reply, maxBytes, stop, tooLarge] {
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > maxBytes) stop(tooLarge);
  });
  QTimer::singleShot(limits_.deadlineMs, reply,
                     [stop, deadline = limits_.deadlineMs] { stop(DeadlineText(deadline)); });
  connect(reply, &QNetworkReply::finished, this,
          [this, id, reply, url, transfer, maxBytes, deadline = limits_.deadlineMs,
           done = std::move(done)] {
            reply->deleteLater();
            if (replies_.erase(id) == 0) return;  // aborted by its owner
            if (transfer->failure.empty() && transfer->bytes.size() <= maxBytes) {
              transfer->bytes += reply->read(maxBytes + 1 - transfer->bytes.size());
            }
            FetchedPage page;
            page.ok = reply->error() == QNetworkReply::NoError && transfer->failure.empty() &&
                      transfer->bytes.size() <= maxBytes;
            page.error = reply->errorString();
            if (!page.ok) {
              page.failure =
                  !transfer->failure.empty() ? transfer->failure : FailureText(*reply, deadline);
              done(page);
              return;
            }
            page.bytes = std::move(transfer->bytes);
            page.html = LooksLikeHtml(url, *reply, page.bytes);
            page.bodyText = page.html ? ReaderText(page.bytes)
                                      : std::string(page.bytes.constData(),
                                                    static_cast<std::size_t>(page.bytes.size()));
            done(page);
          });
  return id;
}

void PageFetcher::Abort(int fetch) {
  auto it = replies_.find(fetch);
  if (it == replies_.end()) return;
  QNetworkReply* reply = it->second;
  replies_.erase(it);
  reply->disconnect();  // nothing of it runs any more, not even its deadline
  reply->abort();
  reply->deleteLater();
}

}  // namespace examora
