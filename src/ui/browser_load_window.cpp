#include "ui/browser_load_window.h"

#include <QApplication>
#include <QGridLayout>
#include <utility>

#include "ui/accessibility.h"
#include "ui/page_fetcher.h"
#include "ui/qtext.h"

namespace examora {

void ShowHourglass() {
  if (!QApplication::overrideCursor()) QApplication::setOverrideCursor(Qt::WaitCursor);
}

void RestoreNormalPointer() {
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

BrowserLoad::BrowserLoad(AppContext& app, QWidget* parent)
    : QWidget(parent), app_(app), model_(*this, app.m.WebBase) {
  setObjectName(QStringLiteral("BrowserLoad"));
  setWindowTitle(QStringLiteral("Browser Loader"));
  auto* layout = new QGridLayout(this);
  auto add = [&](QWidget* w, const char* name, int row, int column) {
    w->setObjectName(QLatin1String(name));
    layout->addWidget(w, row, column);
    return w;
  };
  Text2_ = static_cast<QLineEdit*>(add(new QLineEdit(this), "Text2", 0, 0));
  Text3_ = static_cast<QLineEdit*>(add(new QLineEdit(this), "Text3", 0, 1));
  txtDL_ = static_cast<QLineEdit*>(add(new QLineEdit(QStringLiteral("0"), this), "txtDL", 0, 2));
  Text1_ = static_cast<QPlainTextEdit*>(
      add(new QPlainTextEdit(QStringLiteral("The page cannot be displayed"), this), "Text1", 1, 0));
  txtTempPath_ = static_cast<QLineEdit*>(add(new QLineEdit(this), "txtTempPath", 2, 0));
  auto* command1 = static_cast<QPushButton*>(
      add(new QPushButton(QStringLiteral("web browser"), this), "Command1", 3, 0));
  auto* command2 = static_cast<QPushButton*>(
      add(new QPushButton(QStringLiteral("into text"), this), "Command2", 3, 1));
  auto* tempPath = static_cast<QPushButton*>(
      add(new QPushButton(QStringLiteral("TempPath"), this), "cmdTempPath", 3, 2));
  add(new QWidget(this), "WebBrowser1", 4, 0);
  connect(command1, &QPushButton::clicked, this, [this] {
    model_.Text2 = FromQString(Text2_->text());
    model_.Command1();
    ShowModel();
  });
  connect(command2, &QPushButton::clicked, this, [this] {
    model_.Command2();
    ShowModel();
  });
  connect(tempPath, &QPushButton::clicked, this, [this] {
    app_.m.TempFolder = model_.GetTempFile();
    ShowModel();
  });
  const std::pair<LoaderTimer, const char*> timers[] = {{LoaderTimer::kTimer1, "Timer1"},
                                                        {LoaderTimer::kTimer2, "Timer2"},
                                                        {LoaderTimer::kTimer3, "Timer3"},
                                                        {LoaderTimer::kTimerXX, "TimerXX"},
                                                        {LoaderTimer::kTimerY, "TimerY"}};
  for (const auto& [timer, name] : timers) {
    timers_[timer] =
        std::make_unique<SwitchTimer>(this, QLatin1String(name), LoaderTimerInterval(timer),
                                      app.manualTimers, [this, timer = timer] { Tick(timer); });
  }
  ApplyAccessibility(*this, BrowserLoadControls());
  ShowModel();
}

BrowserLoad::~BrowserLoad() {
  StopNavigation();
}

bool BrowserLoad::TimerEnabled(LoaderTimer timer) const {
  return timers_.at(timer)->enabled();
}

void BrowserLoad::Tick(LoaderTimer timer) {
  switch (timer) {
    case LoaderTimer::kTimer1:
      model_.Timer1Tick();
      break;
    case LoaderTimer::kTimer2:
      model_.Timer2Tick();
      break;
    case LoaderTimer::kTimer3:
      model_.Timer3Tick();
      break;
    case LoaderTimer::kTimerXX:
      model_.TimerXXTick();
      break;
    case LoaderTimer::kTimerY:
      model_.TimerYTick();
      break;
  }
  app_.m.TempFolder = model_.tempFolder().empty() ? app_.m.TempFolder : model_.tempFolder();
  ShowModel();
}

void BrowserLoad::ShowModel() {
  Text1_->setPlainText(ToQString(model_.Text1));
  Text2_->setText(ToQString(model_.Text2));
  Text3_->setText(ToQString(model_.Text3));
  txtDL_->setText(ToQString(model_.txtDL));
  txtTempPath_->setText(QString::fromStdString(model_.txtTempPath));
}

void BrowserLoad::Navigate(const std::string& address, bool bypassCache) {
  StopNavigation();  // one request at a time: the one before is abandoned, not left to run
  ++pending_;
  const int generation = generation_;
  fetch_ = app_.fetcher.Fetch(QUrl(QString::fromStdString(address)), bypassCache,
                              [this, generation](const FetchedPage& page) {
                                --pending_;
                                if (generation != generation_) return;
                                fetch_ = 0;
                                if (page.ok) {
                                  model_.PageArrived(page.bodyText);
                                } else {
                                  model_.PageFailed(page.failure);
                                }
                                ShowModel();
                              });
}

void BrowserLoad::StopNavigation() {
  ++generation_;
  if (fetch_ != 0) {
    app_.fetcher.Abort(std::exchange(fetch_, 0));
    --pending_;
  }
}

void BrowserLoad::SetTimer(LoaderTimer timer, bool enabled) {
  timers_.at(timer)->SetEnabled(enabled);
}

void BrowserLoad::AddProgress(const std::string& line) {
  if (onProgress) onProgress(line);
}

void BrowserLoad::GetTestsWeb() {
  if (onTestList) onTestList();
}

void BrowserLoad::SaveTheTest() {
  if (onTestFile) onTestFile();
}

void BrowserLoad::TestFailed() {
  if (onTestFailed) onTestFailed();
}

void BrowserLoad::RestorePointer() {
  RestoreNormalPointer();
}

std::string BrowserLoad::TempFolderPath() {
  return app_.env.TempFolder();
}

}  // namespace examora
