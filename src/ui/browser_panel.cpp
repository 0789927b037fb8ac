#include "ui/browser_panel.h"

#include <cmath>
#include <filesystem>

#include <QImage>
#include <QTextDocument>

#include "app/web_address.h"
#include "common/error.h"
#include "engine/dotest.h"
#include "platform/files.h"
#include "ui/page_fetcher.h"

namespace examora {
namespace {

std::string Address(const QUrl& url) {
  return url.toString(QUrl::FullyEncoded).toStdString();
}

}  // namespace

BrowserPanel::BrowserPanel(PageFetcher& fetcher, QWidget* parent)
    : QTextBrowser(parent), fetcher_(fetcher) {
  setOpenLinks(false);
}

BrowserPanel::~BrowserPanel() {
  fetcher_.Abort(fetch_);
}

QString BrowserPanel::FolderFor(const QUrl& address) const {
  return folder_.isEmpty() ? QString::fromStdString(FolderOf(Address(address))) : folder_;
}

namespace {

// A local file counts as inside its folder only when its real path is: a symbolic link planted
// in a file:// web folder must not reach a file elsewhere.
bool RealPathInside(const QUrl& address, const QString& folder) {
  if (!address.isLocalFile()) return true;
  std::error_code ec;
  const auto file = std::filesystem::weakly_canonical(address.toLocalFile().toStdString(), ec);
  if (ec) return false;
  auto base = std::filesystem::weakly_canonical(QUrl(folder).toLocalFile().toStdString(), ec);
  if (ec) return false;
  const std::string prefix = base.string().ends_with('/') ? base.string() : base.string() + "/";
  return file.string().starts_with(prefix);
}

}  // namespace

void BrowserPanel::Navigate(const QUrl& address) {
  location_ = address;
  picture_.clear();
  const int generation = ++generation_;
  fetcher_.Abort(fetch_);
  const std::string text = Address(address);
  if (!IsInsideFolder(text, FolderFor(address).toStdString()) ||
      !RealPathInside(address, FolderFor(address))) {
    ++arrivals_;
    setPlainText(tr("%1 lies outside the web folder and is not shown.").arg(address.fileName()));
    return;
  }
  fetch_ = fetcher_.Fetch(address, false, [this, address, generation](const FetchedPage& page) {
    if (generation != generation_) return;
    fetch_ = 0;
    ++arrivals_;
    if (!page.ok) {
      setPlainText(
          tr("The page cannot be displayed: %1.").arg(QString::fromStdString(page.failure)));
    } else if (IsPictureAddress(address)) {
      ShowPicture(address, page.bytes);
    } else {
      ShowPage(address, page.bytes);
    }
  });
}

void BrowserPanel::ShowDocument(const QUrl& address, const QByteArray& html) {
  location_ = address;
  ++generation_;
  fetcher_.Abort(fetch_);
  fetch_ = 0;
  ++arrivals_;
  ShowPage(address, html);
}

void BrowserPanel::ShowPicture(const QUrl& address, const QByteArray& bytes) {
  const QImage image = QImage::fromData(bytes);
  if (image.isNull()) {
    setPlainText(tr("The picture %1 cannot be shown.").arg(address.fileName()));
    return;
  }
  document()->addResource(QTextDocument::ImageResource, address, image);
  picture_ = address;
  pictureSize_ = image.size();
  FitPictureToPanel();
}

void BrowserPanel::FitPictureToPanel() {
  if (picture_.isEmpty()) return;
  // The document's own margin surrounds the picture: it needs room too, or a scroll bar comes.
  const int margin = 2 * static_cast<int>(std::ceil(document()->documentMargin())) + 2;
  const auto [width, height] =
      FitPicture({pictureSize_.width(), pictureSize_.height()},
                 {viewport()->width() - margin, viewport()->height() - margin});
  setHtml(QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%3\">")
              .arg(picture_.toString())
              .arg(width)
              .arg(height));
}

void BrowserPanel::resizeEvent(QResizeEvent* event) {
  QTextBrowser::resizeEvent(event);
  FitPictureToPanel();
}

void BrowserPanel::ShowPage(const QUrl& address, const QByteArray& html) {
  document()->setBaseUrl(address);
  setHtml(QString::fromUtf8(html));
}

QVariant BrowserPanel::loadResource(int type, const QUrl& name) {
  // Called only for what the document does not hold already (the pictures it was given).
  (void)type;
  const QUrl resolved = location_.resolved(name);
  const bool inside = resolved.scheme() == location_.scheme() &&
                      IsInsideFolder(Address(resolved), FolderFor(location_).toStdString()) &&
                      RealPathInside(resolved, FolderFor(location_));
  // An empty answer, never a null one: for a null answer the document would read the local
  // file itself, wherever it lies.
  const QVariant nothing = QByteArray();
  if (!inside || !resolved.isLocalFile()) {
    // Outside the folder, or an http resource the view would have to fetch on its own: the
    // page is shown without it.
    if (!inside) ++refused_;
    return nothing;
  }
  try {
    const std::string bytes = ReadFileBytes(resolved.toLocalFile().toStdString(),
                                            static_cast<std::size_t>(fetcher_.limits().maxBytes));
    return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
  } catch (const Error&) {
    return nothing;
  }
}

}  // namespace examora
