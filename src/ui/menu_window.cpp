#include "ui/menu_window.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/admin_password.h"
#include "common/error.h"
#include "results/keeper_protocol.h"
#include "ui/accessibility.h"
#include "ui/encrypt_window.h"
#include "ui/marks_window.h"
#include "ui/qtext.h"
#include "ui/reports_window.h"
#include "ui/screen_fit.h"
#include "ui/sittings_window.h"

namespace examora {
namespace {

std::optional<std::string> StoredHash(const DeploymentSettings& settings) {
  try {
    return ReadAdminPasswordHash(settings.adminPasswordFile);
  } catch (const Error&) {
    return std::nullopt;  // an unreadable file opens nothing, like a missing one
  }
}

template <typename W>
W* Named(QWidget* parent, const char* name, W* widget) {
  widget->setObjectName(QString::fromLatin1(name));
  parent->layout()->addWidget(widget);
  return widget;
}

}  // namespace

Menu::Menu(AppContext& app, QWidget* parent)
    : QWidget(parent),
      app_(app),
      // Where a keeper keeps the records only its hash counts: a student could write a hash
      // of their own into the file their settings name.
      model_(!app.m.Records || !app.m.Records->Kept()
                 ? MenuModel(app.clock, StoredHash(app.settings))
                 : MenuModel(app.clock,
                             [records = app.m.Records](const std::string& typed) {
                               return records->CheckAdminPassword(typed);
                             })),
      tmrRefresh_(this, QStringLiteral("tmrRefresh"), 1000, app.manualTimers,
                  [this] { tmrRefresh_Timer(); }) {
  setObjectName(QStringLiteral("Menu"));
  setWindowTitle(ToQString(app.m.VersionText + "   |    Menu"));
  new QVBoxLayout(this);
  Named(this, "lblPrompt", new QLabel(QStringLiteral("Administrator password:"), this));
  txtPassword_ = Named(this, "txtPassword", new QLineEdit(this));
  txtPassword_->setEchoMode(QLineEdit::Password);
  txtPassword_->setMaxLength(static_cast<int>(kAdminPasswordLength));
  cmdOK_ = Named(this, "cmdOK", new QPushButton(QStringLiteral("OK"), this));
  lblMessage_ = Named(this, "lblMessage", new QLabel(this));
  lblAccessCode_ = Named(this, "lblAccessCode", new QLabel(this));
  lblValid_ = Named(this, "lblValid", new QLabel(this));
  cmdAuthoring_ =
      Named(this, "cmdAuthoring", new QPushButton(QStringLiteral("Test authoring"), this));
  cmdMarks_ =
      Named(this, "cmdMarks", new QPushButton(QStringLiteral("Result file processor"), this));
  cmdReports_ = Named(this, "cmdReports", new QPushButton(QStringLiteral("Reports"), this));
  cmdSittings_ = Named(this, "cmdSittings", new QPushButton(QStringLiteral("Sittings"), this));
  connect(cmdOK_, &QPushButton::clicked, this, &Menu::cmdOK_Click);
  connect(txtPassword_, &QLineEdit::returnPressed, this, &Menu::cmdOK_Click);
  connect(cmdAuthoring_, &QPushButton::clicked, this, [this] {
    if (!encrypt_) {
      encrypt_ = std::make_unique<Encrypt>(app_);
      encrypt_->SetOnDone([this] { show(); });
      CloseOnEscapeWhenFilling(*encrypt_);
    }
    encrypt_->show();
  });
  connect(cmdMarks_, &QPushButton::clicked, this, [this] {
    if (!marks_) CloseOnEscapeWhenFilling(*(marks_ = std::make_unique<Marks>(app_)));
    marks_->show();
  });
  connect(cmdReports_, &QPushButton::clicked, this, [this] {
    if (!reports_) CloseOnEscapeWhenFilling(*(reports_ = std::make_unique<frm_Reports>(app_)));
    reports_->show();
  });
  connect(cmdSittings_, &QPushButton::clicked, this, [this] {
    if (!sittings_) CloseOnEscapeWhenFilling(*(sittings_ = std::make_unique<frm_Sittings>(app_)));
    sittings_->cmdRefresh_Click();
    sittings_->show();
  });
  ApplyAccessibility(*this, MenuControls());
  CloseOnEscapeWhenFilling(*this);  // back to the sign-in window
  tmrRefresh_.SetEnabled(true);
  Refresh();
}

Menu::~Menu() = default;

void Menu::cmdOK_Click() {
  model_.cmdOK(FromQString(txtPassword_->text()));
  txtPassword_->clear();
  Refresh();
}

void Menu::tmrRefresh_Timer() {
  model_.Tick();
  Refresh();
}

void Menu::Refresh() {
  const bool open = model_.unlocked;
  txtPassword_->setEnabled(model_.passwordEnabled && !open);
  cmdOK_->setEnabled(model_.passwordEnabled && !open);
  lblMessage_->setText(ToQString(model_.lblMessage));
  lblAccessCode_->setText(ToQString(model_.lblAccessCode));
  lblValid_->setText(ToQString(model_.lblValid));
  cmdAuthoring_->setEnabled(open);
  cmdMarks_->setEnabled(open);
  cmdReports_->setEnabled(open);
  cmdSittings_->setEnabled(open);
  // Only a change moves the focus: someone tabbing about is not pulled back every second.
  if (model_.focus != focusShown_) {
    focusShown_ = model_.focus;
    if (auto* target = findChild<QWidget*>(ToQString(focusShown_)); target && !focusShown_.empty())
      target->setFocus();
  }
}

}  // namespace examora
