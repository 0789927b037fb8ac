// The hidden web loader: one request at a time (the connection test page, the test list, one
// test file), each driven by timers through the same steps: navigate, first arrival, a reload
// that bypasses caches, second arrival, copy the page text (TimerXX), act on it (TimerY).
#pragma once

#include <string>

namespace examora {

enum class LoaderTimer { kTimer1, kTimer2, kTimer3, kTimerXX, kTimerY };

/// Interval of each timer in milliseconds.
int LoaderTimerInterval(LoaderTimer timer);

/// What the loader works with around it. The window implements it with real timers and page
/// fetches; tests record the calls and drive the ticks themselves.
class LoaderHost {
 public:
  virtual ~LoaderHost() = default;
  /// Starts loading `address`; with `bypassCache` no cached copy may be used. The arrival is
  /// reported through `BrowserLoadModel::PageArrived`, failures too (with the error page text).
  virtual void Navigate(const std::string& address, bool bypassCache) = 0;
  virtual void SetTimer(LoaderTimer timer, bool enabled) = 0;
  /// A progress line for the sign-in window's list.
  virtual void AddProgress(const std::string& line) = 0;
  /// The test list has arrived: the sign-in window reads `Text1`.
  virtual void GetTestsWeb() = 0;
  /// A test file has arrived: the selection window reads `Text1` and `PageRequest`.
  virtual void SaveTheTest() = 0;
  /// A test file could not be fetched: the selection window reads `PageFailure` and
  /// `PageRequest`.
  virtual void TestFailed() = 0;
  /// Abandons the navigation under way (its page, if it still comes, is dropped).
  virtual void StopNavigation() = 0;
  virtual void RestorePointer() = 0;
  /// The temporary folder, ending with a separator.
  virtual std::string TempFolderPath() = 0;
};

class BrowserLoadModel {
 public:
  explicit BrowserLoadModel(LoaderHost& host, std::string webBase)
      : host_(host), webBase_(std::move(webBase)) {}

  // The window's variables and text boxes.
  int Stage = 0;  // 1 connection test, 2 test list, 3 test file
  bool Reloaded = false;
  std::string PageAddress;
  std::string PageText;
  std::string Text1 = "The page cannot be displayed";
  std::string Text2;        // the address to fetch
  std::string Text3;        // "BUSY" or "READY"
  std::string txtDL = "0";  // the request kind
  std::string txtTempPath;

  /// Starts a fetch of `Text2`.
  void Command1();
  /// Copies the loaded page's body text into `PageText` and `Text1`.
  void Command2();
  /// Sets the temporary folder (`txtTempPath`); returns it for the session's `TempFolder`.
  std::string GetTempFile();

  /// The browser finished loading a page whose body reads `bodyText`.
  void PageArrived(const std::string& bodyText);
  /// The page could not be fetched; `reason` says why ("not found", ...). It is not reloaded.
  void PageFailed(const std::string& reason);

  /// A test file is wanted: the selection window's request. Returns the request's number,
  /// which `PageRequest` carries when its page (or its failure) is handed on. A page of an
  /// earlier request still on its way is abandoned.
  int RequestTest(const std::string& address);

  /// The request whose page `Text1` holds (0 for the connection test and the list).
  int PageRequest = 0;
  /// Why the last page could not be fetched; empty when it arrived.
  std::string PageFailure;

  void Timer1Tick();
  void Timer2Tick();
  void Timer3Tick();
  void TimerXXTick();
  void TimerYTick();

  /// The temporary folder found by the last `GetTempFile`.
  const std::string& tempFolder() const { return txtTempPath; }

 private:
  void ReportFailure();

  LoaderHost& host_;
  std::string webBase_;
  std::string loadedText_;  // what the browser shows now
  std::string failure_;     // why the page under way failed
  int lastRequest_ = 0;     // the newest test request
  int fetching_ = 0;        // the request the navigation under way serves
};

/// The status line for a test that could not be fetched, naming it and the reason.
std::string FetchFailedStatus(const std::string& testLine, const std::string& reason);

}  // namespace examora
