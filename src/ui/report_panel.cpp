#include "ui/report_panel.h"

#include <QDesktopServices>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QUrl>
#include <QVBoxLayout>

#include "app/exam_session.h"
#include "common/error.h"
#include "reports/report_preview.h"
#include "ui/browser_panel.h"
#include "ui/qtext.h"

namespace examora {

bool DesktopUrlOpener::Open(const std::string& url) {
  return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

ReportPanel::ReportPanel(PageFetcher& fetcher, Prompter& prompter, UrlOpener* opener,
                         const Environment& env, QWidget* parent)
    : QWidget(parent),
      prompter_(prompter),
      opener_(opener ? *opener : desktop_),
      refusal_(SystemOpenerRefusal(env)) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  auto* row = new QHBoxLayout;
  column->addLayout(row);
  lblPreviewNote_ = new QLabel(this);
  lblPreviewNote_->setObjectName(QStringLiteral("lblPreviewNote"));
  lblPreviewNote_->setWordWrap(true);
  cmdOpenInBrowser_ = new QPushButton(QStringLiteral("Open in browser"), this);
  cmdOpenInBrowser_->setObjectName(QStringLiteral("cmdOpenInBrowser"));
  cmdOpenInBrowser_->setEnabled(false);
  row->addWidget(lblPreviewNote_, 1);
  row->addWidget(cmdOpenInBrowser_);
  cmdOpenInBrowser_->setVisible(!refusal_);
  views_ = new QStackedWidget(this);
  column->addWidget(views_, 1);
  txtReport_ = new QPlainTextEdit(this);
  txtReport_->setObjectName(QStringLiteral("txtReport"));
  txtReport_->setReadOnly(true);
  txtReport_->setLineWrapMode(QPlainTextEdit::NoWrap);
  // Records line up in columns only in a fixed-pitch font.
  txtReport_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  WebBrowser1_ = new BrowserPanel(fetcher, this);
  WebBrowser1_->setObjectName(QStringLiteral("WebBrowser1"));
  views_->addWidget(WebBrowser1_);
  views_->addWidget(txtReport_);
  connect(cmdOpenInBrowser_, &QPushButton::clicked, this, &ReportPanel::cmdOpenInBrowser_Click);
}

void ReportPanel::Show(const std::filesystem::path& folder, const std::string& name) {
  page_.clear();
  cmdOpenInBrowser_->setEnabled(false);
  ReportPreview preview;
  try {
    preview = LoadReportPreview(folder, name);
  } catch (const Error& e) {
    lblPreviewNote_->setText(ToQString(e.what()));
    txtReport_->clear();
    views_->setCurrentWidget(txtReport_);
    return;
  }
  lblPreviewNote_->setText(ToQString(preview.note));
  if (!preview.html) {
    txtReport_->setPlainText(ToQString(preview.text));
    views_->setCurrentWidget(txtReport_);
    return;
  }
  page_ = folder / name;
  cmdOpenInBrowser_->setEnabled(true);
  WebBrowser1_->ShowDocument(QUrl::fromLocalFile(QString::fromStdString(page_.string())),
                             QByteArray::fromStdString(preview.text));
  views_->setCurrentWidget(WebBrowser1_);
}

void ReportPanel::cmdOpenInBrowser_Click() {
  if (page_.empty()) return;
  if (refusal_) {
    prompter_.Message("Reports", *refusal_, MessageButtons::Ok, MessageIcon::Warning);
    return;
  }
  const QUrl url = QUrl::fromLocalFile(QString::fromStdString(page_.string()));
  if (!opener_.Open(url.toString(QUrl::FullyEncoded).toStdString())) {
    prompter_.Message("Reports", kNotOpenedInBrowser, MessageButtons::Ok, MessageIcon::Warning);
  }
}

}  // namespace examora
