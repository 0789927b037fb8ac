// frm_Info: the general information page in a browser panel that follows the window's size.
#pragma once

#include <QWidget>

#include "ui/app_context.h"

namespace examora {

class BrowserPanel;

class frm_Info : public QWidget {
 public:
  explicit frm_Info(AppContext& app, QWidget* parent = nullptr);
  BrowserPanel& browser() { return *WebBrowser1_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  BrowserPanel* WebBrowser1_;
};

/// Debugger ("Debug window"): the trace lines of the formula services.
class Debugger : public QWidget {
 public:
  Debugger(DebugLog& log, QWidget* parent = nullptr);
  ~Debugger() override;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  DebugLog& log_;
};

}  // namespace examora
