#include "app/browser_load.h"

#include "common/numtext.h"

namespace examora {

int LoaderTimerInterval(LoaderTimer timer) {
  switch (timer) {
    case LoaderTimer::kTimer1:
      return 1000;
    case LoaderTimer::kTimer2:
      return 250;
    case LoaderTimer::kTimer3:
      return 100;
    case LoaderTimer::kTimerXX:
      return 50;
    case LoaderTimer::kTimerY:
      return 100;
  }
  return 1000;
}

void BrowserLoadModel::Command1() {
  PageAddress = Text2;
  Text3 = "BUSY";
  Reloaded = false;
  failure_.clear();
  host_.Navigate(PageAddress, false);
}

void BrowserLoadModel::Command2() {
  PageText = loadedText_;
  Text1 = loadedText_;
  PageFailure = failure_;
  PageRequest = fetching_;
}

std::string BrowserLoadModel::GetTempFile() {
  txtTempPath = host_.TempFolderPath();
  return txtTempPath;
}

void BrowserLoadModel::PageArrived(const std::string& bodyText) {
  loadedText_ = bodyText;
  if (!Reloaded) {
    // Always read the page a second time, fresh from the server, so no stale copy is used.
    Reloaded = true;
    host_.Navigate(PageAddress, true);
  } else if (Stage > 0) {
    host_.SetTimer(LoaderTimer::kTimerXX, true);
  }
}

void BrowserLoadModel::PageFailed(const std::string& reason) {
  // An error page is not worth a reload: the chain goes on to report it.
  loadedText_.clear();
  failure_ = reason.empty() ? "the page cannot be displayed" : reason;
  Reloaded = true;
  if (Stage > 0) host_.SetTimer(LoaderTimer::kTimerXX, true);
}

int BrowserLoadModel::RequestTest(const std::string& address) {
  // Nothing of an earlier request may still be acted on once another test is wanted.
  host_.StopNavigation();
  host_.SetTimer(LoaderTimer::kTimerXX, false);
  host_.SetTimer(LoaderTimer::kTimerY, false);
  Text2 = address;
  txtDL = "3";
  host_.SetTimer(LoaderTimer::kTimer3, true);
  return ++lastRequest_;
}

void BrowserLoadModel::Timer1Tick() {
  fetching_ = 0;
  host_.AddProgress("Testing Internet...");
  Text2 = webBase_ + "info/No_Image_Required.html";
  Command1();
  Stage = 1;
  txtDL = "1";
  GetTempFile();
  host_.SetTimer(LoaderTimer::kTimer1, false);
}

void BrowserLoadModel::Timer2Tick() {
  fetching_ = 0;
  host_.AddProgress("Loading Test List...");
  Text2 = webBase_ + "info/data/testlist.txt";
  Command1();
  Stage = 2;
  txtDL = "2";
  host_.SetTimer(LoaderTimer::kTimer2, false);
}

void BrowserLoadModel::Timer3Tick() {
  fetching_ = lastRequest_;
  Command1();
  Stage = static_cast<int>(LeadingNumber(txtDL));
  host_.SetTimer(LoaderTimer::kTimer3, false);
}

void BrowserLoadModel::TimerXXTick() {
  Command2();
  host_.SetTimer(LoaderTimer::kTimerXX, false);
  host_.SetTimer(LoaderTimer::kTimerY, true);
}

void BrowserLoadModel::TimerYTick() {
  if (!PageFailure.empty()) {
    ReportFailure();
    host_.SetTimer(LoaderTimer::kTimerY, false);
    return;
  }
  switch (Stage) {
    case 1:
      if (Text1.substr(0, 17) == "Image not needed.") {
        host_.AddProgress("Internet OK");
        host_.SetTimer(LoaderTimer::kTimer2, true);
        Text3 = "READY";
      } else {
        host_.AddProgress("Internet ?");
      }
      break;
    case 2:
      if (Text1.substr(0, 3) == "101") {
        host_.AddProgress("Test List Done.");
        host_.GetTestsWeb();
        host_.RestorePointer();
        Text3 = "READY";
      } else {
        host_.AddProgress("Internet ?");
      }
      break;
    case 3:
      if (Text1.substr(0, 3) != "101") {
        host_.RestorePointer();
        Text3 = "READY";
        host_.SaveTheTest();
      }
      break;
    default:
      break;
  }
  host_.SetTimer(LoaderTimer::kTimerY, false);
}

void BrowserLoadModel::ReportFailure() {
  if (Stage == 3) {
    host_.RestorePointer();
    Text3 = "READY";
    host_.TestFailed();
    return;
  }
  host_.AddProgress(PageAddress + " could not be fetched: " + PageFailure);
  host_.AddProgress("Internet ?");
}

std::string FetchFailedStatus(const std::string& testLine, const std::string& reason) {
  return "The test " + testLine + " could not be fetched: " + reason +
         ". Choose it again, or another test.";
}

}  // namespace examora
