#include "ui/info_window.h"

#include <QListWidget>
#include <QVBoxLayout>

#include "ui/accessibility.h"
#include "ui/browser_panel.h"
#include "ui/qtext.h"
#include "ui/screen_fit.h"

namespace examora {

frm_Info::frm_Info(AppContext& app, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("frm_Info"));
  setWindowTitle(QStringLiteral("Information"));
  WebBrowser1_ = new BrowserPanel(app.fetcher, this);
  WebBrowser1_->setObjectName(QStringLiteral("WebBrowser1"));
  ApplyAccessibility(*this, InfoControls());
  FitToScreen(*this, QSize(Twips(13500), 600));
  // The web folder address is UTF-8 (percent-encoded), as in every window.
  WebBrowser1_->setFolder(QString::fromStdString(app.m.WebBase));
  WebBrowser1_->Navigate(
      QUrl(QString::fromStdString(app.m.WebBase + "info/Materials_general.html")));
}

void frm_Info::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  WebBrowser1_->setGeometry(0, 0, width() - Twips(175),
                            std::max(Twips(100), height() - Twips(550)));
}

Debugger::Debugger(DebugLog& log, QWidget* parent) : QWidget(parent), log_(log) {
  setObjectName(QStringLiteral("Debugger"));
  setWindowTitle(QStringLiteral("Debug window"));
  auto* list = new QListWidget(this);
  list->setObjectName(QStringLiteral("List1"));
  (new QVBoxLayout(this))->addWidget(list);
  for (const auto& line : log_.List1) list->addItem(ToQString(line));
  log_.onAdd = [list](const std::string& line) { list->addItem(ToQString(line)); };
  ApplyAccessibility(*this, DebuggerControls());
  FitToScreen(*this, QSize(640, 400));
}

Debugger::~Debugger() {
  log_.onAdd = nullptr;
  log_.visible = false;
}

void Debugger::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  log_.visible = true;
}

void Debugger::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  log_.visible = false;
}

}  // namespace examora
