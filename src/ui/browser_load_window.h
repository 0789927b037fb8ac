// BrowserLoad ("Browser Loader"): the hidden window that fetches the connection test page,
// the test list and the tests, and hands their text on.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>

#include "app/browser_load.h"
#include "ui/app_context.h"
#include "ui/switch_timer.h"

namespace examora {

class BrowserPanel;

class BrowserLoad : public QWidget, public LoaderHost {
 public:
  explicit BrowserLoad(AppContext& app, QWidget* parent = nullptr);
  ~BrowserLoad() override;

  BrowserLoadModel& model() { return model_; }
  bool TimerEnabled(LoaderTimer timer) const;
  /// Fires a timer's tick (what its QTimer does after its interval).
  void Tick(LoaderTimer timer);
  /// Fetches still on their way.
  int pending() const { return pending_; }

  // Where the loader's results go (set by the sign-in and selection windows).
  std::function<void(const std::string&)> onProgress;
  std::function<void()> onTestList;
  std::function<void()> onTestFile;
  std::function<void()> onTestFailed;

  // LoaderHost
  void Navigate(const std::string& address, bool bypassCache) override;
  void SetTimer(LoaderTimer timer, bool enabled) override;
  void AddProgress(const std::string& line) override;
  void GetTestsWeb() override;
  void SaveTheTest() override;
  void TestFailed() override;
  void StopNavigation() override;
  void RestorePointer() override;
  std::string TempFolderPath() override;

 private:
  void ShowModel();

  AppContext& app_;
  BrowserLoadModel model_;
  std::map<LoaderTimer, std::unique_ptr<SwitchTimer>> timers_;
  int pending_ = 0;
  int generation_ = 0;
  int fetch_ = 0;  // the fetcher's number of the navigation under way
  QLineEdit* Text2_;
  QPlainTextEdit* Text1_;
  QLineEdit* Text3_;
  QLineEdit* txtDL_;
  QLineEdit* txtTempPath_;
};

/// Ends the hourglass pointer, if one is showing.
void RestoreNormalPointer();
/// Shows the hourglass pointer (once; nested calls do not stack).
void ShowHourglass();

}  // namespace examora
