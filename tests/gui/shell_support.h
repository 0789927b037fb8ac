// What the shell's window tests share: a served copy of the sample web folder and a whole
// program (sign-in window, loader, selection window) on fixed seams.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

#include "app/module_examora.h"
#include "common/prompter.h"
#include "platform/files.h"
#include "ui/browser_load_window.h"
#include "ui/login_window.h"
#include "ui/page_fetcher.h"
#include "ui/selection_window.h"

namespace examora::gui_testing {

namespace fs = std::filesystem;

// A copy of the sample web folder served by Python's http.server on a free local port, or by
// hostile_server.py, which misbehaves on the addresses a test asks it to (see that script).
class WebServer {
 public:
  explicit WebServer(bool hostile = false) {
    static int servers = 0;  // each server its own copy: one removes only its own
    root_ = fs::temp_directory_path() /
            ("examora-web-" + std::to_string(::getpid()) + "-" + std::to_string(++servers));
    fs::remove_all(root_);
    fs::copy(EXAMORA_WEBROOT, root_, fs::copy_options::recursive);
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    port_ = probe.serverPort();
    probe.close();
    log_ = root_.string() + ".log";
    if (hostile) {
      server_.start(QStringLiteral("/usr/bin/python3"),
                    {EXAMORA_HOSTILE_SERVER, QString::fromStdString(root_.string()),
                     QString::number(port_), QString::fromStdString(log_), "120"});
    } else {
      server_.start(QStringLiteral("/usr/bin/python3"),
                    {"-m", "http.server", QString::number(port_), "--bind", "127.0.0.1",
                     "--directory", QString::fromStdString(root_.string())});
    }
    (void)QTest::qWaitFor(
        [&] {
          QTcpSocket socket;
          socket.connectToHost(QHostAddress::LocalHost, port_);
          return socket.waitForConnected(100);
        },
        10000);
  }
  ~WebServer() {
    server_.kill();
    server_.waitForFinished(3000);
    fs::remove_all(root_);
    fs::remove(log_);
  }
  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
  /// The web folder address on which the hostile server plays `mode` ("hang-tests", ...).
  std::string base(const std::string& mode) const { return base() + mode + "/"; }
  /// The paths the hostile server was asked for so far, decoded.
  std::string requests() const {
    std::error_code ec;
    return fs::exists(log_, ec) ? ReadFileBytes(log_) : std::string();
  }
  fs::path file(const std::string& relative) const { return root_ / relative; }

 private:
  fs::path root_;
  std::string log_;
  quint16 port_ = 0;
  QProcess server_;
};

struct Shell {
  explicit Shell(const std::string& webBase) {
    env.temp = (fs::temp_directory_path() / "examora-gui-").string();
    env.host = "lab-pc";
    env.login = "student";
    std::vector<std::string> args = {"--web-base", webBase};
    settings = LoadDeploymentSettings(args, env);
  }
  FixedEnvironment env;
  DeploymentSettings settings;
  ModuleExamora m;
  ManualClock clock{{2026, 12, 8, 12, 50, 0.4}};
  SeededRandom random{1};
  ScriptedPrompter prompter;
  PageFetcher fetcher;
  AppContext app{m, settings, env, clock, random, prompter, fetcher, true};
  Login login{app};

  // Fires the loader's timers in turn, waiting for each page, until nothing is left to do.
  void RunLoader() {
    BrowserLoad& loader = login.loader();
    const LoaderTimer order[] = {LoaderTimer::kTimer1, LoaderTimer::kTimer2, LoaderTimer::kTimer3,
                                 LoaderTimer::kTimerXX, LoaderTimer::kTimerY};
    for (int step = 0; step < 50; ++step) {
      ASSERT_TRUE(QTest::qWaitFor([&] { return loader.pending() == 0; }, 20000));
      bool fired = false;
      for (LoaderTimer t : order) {
        if (loader.TimerEnabled(t)) {
          loader.Tick(t);
          fired = true;
          break;
        }
      }
      if (!fired) return;
    }
    FAIL() << "the loader never settled";
  }
  template <typename T>
  T* Find(QWidget& window, const char* name) {
    return window.findChild<T*>(QLatin1String(name));
  }
  QStringList LoginLines() {
    QStringList lines;
    auto* list = Find<QListWidget>(login, "List1");
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
  }
  void Choose(int row) {
    auto* list = Find<QListWidget>(login.selection(), "List1");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
    RunLoader();
  }
  QString Label(const char* name) { return Find<QLabel>(login.selection(), name)->text(); }
};

}  // namespace examora::gui_testing
