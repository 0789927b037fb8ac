// Login: the start-up window. It enters study mode, starts the web loader, fills the test
// table from the fetched list and opens the test selection window.
#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>
#include <memory>

#include "app/sign_in.h"
#include "ui/app_context.h"

namespace examora {

class BrowserLoad;
class DoTest;
class Test;

class Login : public QWidget {
 public:
  explicit Login(AppContext& app, QWidget* parent = nullptr);
  ~Login() override;

  /// The start-up sequence: study mode, session values, the web loader's first timer.
  void Form_Load();
  void cmdStudyMode_Click();
  /// Exam sign-in: the number in `txtName`, then the password.
  void cmdValidate_Click();
  /// The test list has arrived in the loader's text box.
  void GetTestsWeb();
  void cmdGO_Click();
  void Image1_Click();
  void cmdMarks_Click();
  void cmdQuit_Click();

  BrowserLoad& loader() { return *loader_; }
  bool eventFilter(QObject* watched, QEvent* event) override;
  Test& selection();
  /// The test window of the sitting under way, if one was opened.
  DoTest* testWindow() { return testWindow_.get(); }

 private:
  void AddLine(const std::string& line);
  void ShowSignIn();

  AppContext& app_;
  SignInModel signIn_;
  std::unique_ptr<BrowserLoad> loader_;
  std::unique_ptr<Test> selection_;
  std::unique_ptr<DoTest> testWindow_;
  std::unique_ptr<QWidget> reports_;  // frm_Reports
  std::unique_ptr<QWidget> menu_;     // the administrator menu
  QElapsedTimer sinceLoad_;
  QListWidget* List1_;
  QPushButton* cmdMarks_;
  QPushButton* cmdStudyMode_;
  QPushButton* cmdGo_;
  QLineEdit* txtName_;
  QPushButton* cmdValidate_;
  QLabel* lblVersion_;
  QLabel* Label2_;
  QLabel* lbl_studentName_;
};

}  // namespace examora
