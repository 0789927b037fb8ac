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
  host_.Navigate(PageAddress, false);
}

void BrowserLoadModel::Command2() {
  PageText = loadedText_;
  Text1 = loadedText_;
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

void BrowserLoadModel::RequestTest(const std::string& address) {
  Text2 = address;
  txtDL = "3";
  host_.SetTimer(LoaderTimer::kTimer3, true);
}

void BrowserLoadModel::Timer1Tick() {
  host_.AddProgress("Testing Internet...");
  Text2 = webBase_ + "info/No_Image_Required.html";
  Command1();
  Stage = 1;
  txtDL = "1";
  GetTempFile();
  host_.SetTimer(LoaderTimer::kTimer1, false);
}

void BrowserLoadModel::Timer2Tick() {
  host_.AddProgress("Loading Test List...");
  Text2 = webBase_ + "info/data/testlist.txt";
  Command1();
  Stage = 2;
  txtDL = "2";
  host_.SetTimer(LoaderTimer::kTimer2, false);
}

void BrowserLoadModel::Timer3Tick() {
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

}  // namespace examora
