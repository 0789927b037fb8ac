#include <QApplication>

#include "app/module_examora.h"
#include "common/error.h"
#include "platform/environment.h"
#include "ui/login_window.h"
#include "ui/page_fetcher.h"
#include "ui/qt_prompter.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  examora::SystemEnvironment env;
  std::vector<std::string> args;
  for (const QString& arg : QApplication::arguments().mid(1)) args.push_back(arg.toStdString());

  examora::QtPrompter prompter;
  examora::DeploymentSettings settings;
  try {
    settings = examora::LoadDeploymentSettings(args, env);
  } catch (const examora::Error& e) {
    prompter.Message("Examora", e.what(), examora::MessageButtons::Ok,
                     examora::MessageIcon::Critical);
    return 2;
  }
  examora::ModuleExamora m;
  examora::SystemClock clock;
  examora::SystemRandom random;
  examora::PageFetcher fetcher;
  examora::AppContext app{m, settings, env, clock, random, prompter, fetcher};
  examora::Login login(app);
  login.Form_Load();
  return QApplication::exec();
}
