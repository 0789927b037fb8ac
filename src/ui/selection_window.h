// Test: the test selection window. The student picks a test; the loader fetches it, its header
// is shown, the access code is checked (study mode needs none) and "Get the Test" prepares the
// sitting.
#pragma once

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <memory>

#include "app/testlist.h"
#include "ui/app_context.h"
#include "ui/switch_timer.h"

namespace examora {

class BrowserLoad;

class Test : public QWidget {
 public:
  Test(AppContext& app, BrowserLoad& loader, QWidget* parent = nullptr);
  ~Test() override;

  /// The window became active: new sitting file name, caption, the list of tests.
  void Form_Activate();
  /// A test was chosen (0-based row of `List1`).
  void List1_Click(int row);
  /// The loader has the test's text: store it in the temporary folder and open it. A page of
  /// an earlier choice, or one arriving after "Get the Test", is dropped; a page that is not a
  /// usable test is refused without replacing the stored sitting file.
  void SaveTheTest();
  /// The loader could not fetch the test: say so, naming the test and the reason.
  void TestFailed();
  /// Reads and shows the stored test's header; a damaged test is refused with its message.
  bool OpenTheTest();
  void txtPassword_KeyPress(int key);
  void PasswordOK();
  void cmdRunTest_MouseDown();
  void cmdRunTest_Click();
  void cmdGO_Click();
  /// Prepares an exam sitting (seeded and journalled, or an interrupted one carried on);
  /// false with the reason in the status line when it cannot.
  bool PrepareExam();
  void cmdUploader_Click();
  void cmdQuit_Click();
  /// The wait for a test that does not come: after `kLoadWaitMs` the request is abandoned and
  /// the test can be chosen again.
  void tmrLoadWait_Tick();

  /// The chosen test's web sub-folder (its list line).
  std::string TestFolderName() const;

  static constexpr int kLoadWaitMs = 20000;
  bool TimerEnabled() const { return loadWait_->enabled(); }

  /// Opens the test window for the prepared sitting (set by the test window's owner).
  std::function<void()> openTestWindow;

 private:
  void BuildInfoFrame();
  void PlaceControls();
  void ClearHeaderLabels();
  /// `lblContinueMode` for the test numbered `testNumber`, asking the records (exam mode)
  /// whether an interrupted sitting of it carries on.
  void ShowContinueMode(int testNumber);
  /// The chosen test cannot be used: `message` in red, nothing of it offered.
  void RefuseTest(const std::string& message);
  std::string ChosenLine() const;

  AppContext& app_;
  BrowserLoad& loader_;
  std::unique_ptr<SwitchTimer> loadWait_;
  TestChoice choice_;
  QListWidget* List1_;
  QLabel *lbl4_, *lbl13_, *lbl6_, *Label3_, *lbl10_, *lblStartTime_, *lblEndTime_;
  QLabel *lblQuestionType_, *lblVariableDesc_, *lblContinueMode_, *lblPassword_;
  QLabel *lblDecrypting_, *lblStatus_, *img_connect_, *Label6_, *Image1_;
  QGroupBox* Frame1_;
  QFrame* Frame2_;
  QLineEdit* txtPassword_;
  QPushButton *cmdRunTest_, *cmdGO_, *cmdUploader_, *cmdQuit_;
};

}  // namespace examora
