#include "ui/browser_panel.h"

#include <QImage>
#include <QTextDocument>

#include "ui/page_fetcher.h"

namespace examora {

BrowserPanel::BrowserPanel(PageFetcher& fetcher, QWidget* parent)
    : QTextBrowser(parent), fetcher_(fetcher) {
  setOpenLinks(false);
}

void BrowserPanel::Navigate(const QUrl& address) {
  location_ = address;
  const int generation = ++generation_;
  fetcher_.Fetch(address, false, [this, address, generation](const FetchedPage& page) {
    if (generation != generation_) return;
    ++arrivals_;
    if (!page.ok) {
      setPlainText(tr("The page cannot be displayed.\n%1").arg(page.error));
    } else if (IsPictureAddress(address)) {
      ShowPicture(address, page.bytes);
    } else {
      ShowPage(address, page.bytes);
    }
  });
}

void BrowserPanel::ShowPicture(const QUrl& address, const QByteArray& bytes) {
  const QImage image = QImage::fromData(bytes);
  if (image.isNull()) {
    setPlainText(tr("The picture %1 cannot be shown.").arg(address.fileName()));
    return;
  }
  document()->addResource(QTextDocument::ImageResource, address, image);
  setHtml(QStringLiteral("<img src=\"%1\">").arg(address.toString()));
}

void BrowserPanel::ShowPage(const QUrl& address, const QByteArray& html) {
  document()->setBaseUrl(address);
  setHtml(QString::fromUtf8(html));
}

}  // namespace examora
