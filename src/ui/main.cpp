#include <QApplication>
#include <QIcon>
#include <algorithm>
#include <iostream>
#include <set>

#include "app/exam_session.h"
#include "app/help_text.h"
#include "app/module_examora.h"
#include "common/error.h"
#include "platform/environment.h"
#include "ui/drill.h"
#include "ui/login_window.h"
#include "ui/page_fetcher.h"
#include "ui/qt_prompter.h"
#include "ui/screen_fit.h"

namespace {

// Qt's own command-line options, which QApplication takes out of the arguments: those taking a
// value, then flags. Anything else left after the settings is a mistake.
bool IsQtOption(const std::vector<std::string>& args, std::size_t& i) {
  static const std::set<std::string> withValue = {
      "platform",    "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
      "qwindowicon", "qwindowtitle",       "display",       "name",   "style",
      "stylesheet",  "geometry",           "title",         "icon",   "session"};
  static const std::set<std::string> flags = {"reverse", "nograb",      "dograb",
                                              "sync",    "widgetcount", "testability"};
  std::string name = args[i];
  if (!name.starts_with('-')) return false;
  name.erase(0, name.starts_with("--") ? 2 : 1);
  if (const auto equals = name.find('='); equals != std::string::npos) {
    return withValue.count(name.substr(0, equals)) > 0;
  }
  if (withValue.count(name) && i + 1 < args.size()) return ++i, true;
  return flags.count(name) > 0;
}

void RefuseUnknown(const std::vector<std::string>& args) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (!IsQtOption(args, i)) throw examora::FormatError("unknown option " + args[i]);
  }
}

// Without a display Qt aborts with a message of its own; a display is a variable naming one or
// a platform chosen on the command line or in QT_QPA_PLATFORM ("offscreen").
bool HasDisplay(const std::vector<std::string>& args, const examora::Environment& env) {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    if (auto value = env.Variable(name); value && !value->empty()) return true;
  }
  return std::any_of(args.begin(), args.end(), [](const std::string& arg) {
    return arg == "-platform" || arg == "--platform" || arg.starts_with("-platform=") ||
           arg.starts_with("--platform=");
  });
}

// What the program can answer on a terminal, before any window exists: help, version and
// settings need no display, and a mistake in the options is said before any display is
// needed. Returns an exit status, or -1 to go on and open the windows.
int TerminalOnly(std::vector<std::string> args, const examora::Environment& env) {
  for (const auto& arg : args) {
    if (arg == "--help" || arg == "-h") {
      std::cout << examora::PlainHelp(examora::ProgramHelp());
      return 0;
    }
    if (arg == "--version") {
      std::cout << examora::VersionLine("examora") << '\n';
      return 0;
    }
  }
  const auto print = std::find(args.begin(), args.end(), "--print-settings");
  const bool printing = print != args.end();
  if (printing) args.erase(print);
  auto settings = examora::LoadDeploymentSettings(args, env);
  examora::ApplyExamSession(settings, env);
  RefuseUnknown(args);
  if (!printing && !HasDisplay(args, env)) {
    std::cerr << "examora: no display to show the windows on (DISPLAY is not set); run it in a "
                 "desktop session, or see --help\n";
    return 1;
  }
  if (!printing) return -1;
  std::cout << examora::FormatSettings(settings);
  for (const auto& problem : settings.problems) std::cerr << "examora: " << problem << '\n';
  return settings.problems.empty() ? 0 : 1;
}

int UsageMistake(const std::string& message) {
  std::cerr << "examora: " << message << "\nTry \"examora --help\" for the options.\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  examora::SystemEnvironment env;
  try {
    if (int status = TerminalOnly({argv + 1, argv + argc}, env); status >= 0) return status;
  } catch (const examora::Error& e) {
    return UsageMistake(e.what());
  }

  QApplication application(argc, argv);
  // Ties the windows to the installed desktop entry and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.examora.Examora"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.examora.Examora")));
  std::vector<std::string> args;  // what is left once Qt has taken its own options
  for (const QString& arg : QApplication::arguments().mid(1)) args.push_back(arg.toStdString());
  examora::DeploymentSettings settings;
  try {
    settings = examora::LoadDeploymentSettings(args, env);
    examora::ApplyExamSession(settings, env);
  } catch (const examora::Error& e) {
    return UsageMistake(e.what());
  }
  const bool examSession = examora::InExamSession(env);
  examora::SetWindowsFillScreen(examSession);
  examora::QtPrompter prompter(nullptr, examSession);
  if (!settings.problems.empty()) {
    // The program goes on with the other values; the problems are said where an administrator
    // starting it from a terminal sees them, and in a box for whoever sits in front of it.
    std::string text;
    for (const auto& problem : settings.problems) {
      std::cerr << "examora: " << problem << '\n';
      text += problem + "\r\n";
    }
    prompter.Message("Examora", "The configuration has problems; they were skipped:\r\n" + text,
                     examora::MessageButtons::Ok, examora::MessageIcon::Warning);
  }
  examora::ModuleExamora m;
  examora::SystemClock clock;
  examora::SystemRandom random;
  examora::PageFetcher fetcher;
  examora::AppContext app{m, settings, env, clock, random, prompter, fetcher};
  examora::Login login(app);
  // For the session tests only: no keyboard reaches a headless kiosk compositor.
  if (auto drill = env.Variable("EXAMORA_DRILL"); drill && !drill->empty()) {
    examora::StartDrill(*drill);
  }
  login.Form_Load();
  return QApplication::exec();
}
