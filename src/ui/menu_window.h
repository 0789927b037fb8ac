// Menu: the administrator menu. Behind the 8-character password it shows the current access
// code and opens the teacher's tools; rules live in MenuModel.
#pragma once

#include <QWidget>
#include <memory>

#include "app/menu_model.h"
#include "ui/app_context.h"
#include "ui/switch_timer.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace examora {

class Encrypt;
class Marks;
class frm_Reports;
class frm_Sittings;

class Menu : public QWidget {
 public:
  /// The password hash is read from the deployment settings' administrator password file.
  explicit Menu(AppContext& app, QWidget* parent = nullptr);
  ~Menu() override;

  /// The one-second timer's tick.
  void tmrRefresh_Timer();
  MenuModel& model() { return model_; }
  Marks* marksWindow() { return marks_.get(); }
  frm_Reports* reportsWindow() { return reports_.get(); }
  Encrypt* encryptWindow() { return encrypt_.get(); }

 private:
  void cmdOK_Click();
  void Refresh();

  AppContext& app_;
  MenuModel model_;
  QLineEdit* txtPassword_;
  QPushButton *cmdOK_, *cmdAuthoring_, *cmdMarks_, *cmdReports_, *cmdSittings_;
  QLabel *lblMessage_, *lblAccessCode_, *lblValid_;
  std::string focusShown_;  // the model's focus as last given to a control
  SwitchTimer tmrRefresh_;
  std::unique_ptr<Marks> marks_;
  std::unique_ptr<frm_Reports> reports_;
  std::unique_ptr<Encrypt> encrypt_;
  std::unique_ptr<frm_Sittings> sittings_;
};

}  // namespace examora
