#include <QApplication>

#include "app/module_examora.h"
#include "common/error.h"
#include "platform/environment.h"
#include "ui/qt_prompter.h"
#include "ui/start_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  examora::SystemEnvironment env;
  std::vector<std::string> args;
  for (const QString& arg : QApplication::arguments().mid(1)) args.push_back(arg.toStdString());

  examora::DeploymentSettings settings;
  try {
    settings = examora::LoadDeploymentSettings(args, env);
  } catch (const examora::Error& e) {
    examora::QtPrompter().Message("Examora", e.what(), examora::MessageButtons::Ok,
                                  examora::MessageIcon::Critical);
    return 2;
  }
  examora::ModuleExamora m;
  examora::InitSession(m, settings, env);
  examora::StartWindow window(m);
  window.show();
  return QApplication::exec();
}
