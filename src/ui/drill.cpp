#include "ui/drill.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <iostream>
#include <memory>
#include <vector>

#include "common/text.h"
#include "platform/files.h"

namespace examora {
namespace {

constexpr int kPollMs = 200;
constexpr int kPatienceMs = 60000;

QWidget* Shown(const QString& name) {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (!window->isVisible()) continue;
    if (window->objectName() == name) return window;
    for (QWidget* found : window->findChildren<QWidget*>(name)) {
      if (found->isVisible() && found->isEnabled()) return found;
    }
  }
  return nullptr;
}

// What one step does, or nothing while what it acts on is not there yet.
std::function<void()> Action(const std::string& verb, const QString& name, const QString& rest) {
  if (verb == "click" || verb == "type" || verb == "choose") {
    QWidget* widget = Shown(name);
    if (auto* list = qobject_cast<QListWidget*>(widget); list && list->item(rest.toInt())) {
      return [list, row = rest.toInt()] {
        list->setCurrentRow(row);
        emit list->itemClicked(list->item(row));
      };
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return [button] { button->click(); };
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
      return [edit, rest] {
        edit->setText(rest);
        emit edit->returnPressed();
      };
    }
    return {};
  }
  QWidget* modal = QApplication::activeModalWidget();
  if (auto* input = qobject_cast<QInputDialog*>(modal); input && verb == "answer") {
    return [input, text = name + (rest.isEmpty() ? QString() : QStringLiteral(" ") + rest)] {
      input->setTextValue(text);
      input->accept();
    };
  }
  if (auto* box = qobject_cast<QMessageBox*>(modal); box && verb == "press") {
    for (QAbstractButton* button : box->buttons()) {
      if (button->text().remove(QLatin1Char('&')) == name) return [button] { button->click(); };
    }
  }
  return {};
}

}  // namespace

void StartDrill(const std::string& file) {
  std::vector<std::string> steps;
  try {
    for (const auto& line : SplitLines(ReadFileBytes(file, 64 * 1024))) {
      if (!Trim(line).empty()) steps.push_back(Trim(line));
    }
  } catch (const std::exception& e) {
    std::cerr << "drill: " << e.what() << '\n';
    return;
  }
  auto* timer = new QTimer(qApp);
  auto next = std::make_shared<std::size_t>(0);
  auto waited = std::make_shared<int>(0);
  QObject::connect(timer, &QTimer::timeout, qApp, [=] {
    if (*next >= steps.size()) return timer->stop();
    const auto parts = SplitAt(steps[*next], ' ');
    const QString name = parts.size() > 1 ? QString::fromStdString(parts[1]) : QString();
    const std::string& step = steps[*next];
    const auto restAt = parts.size() > 2 ? parts[0].size() + parts[1].size() + 2 : step.size();
    if (auto action = Action(parts[0], name, QString::fromStdString(step.substr(restAt)))) {
      // A step that opens a dialog returns only when the dialog closes, and a timer does not
      // fire again inside its own handler: the step runs apart, so the next can answer it.
      std::cerr << "drill: " << step << '\n';
      ++*next;
      *waited = 0;
      QTimer::singleShot(0, qApp, action);
    } else if ((*waited += kPollMs) == kPatienceMs) {
      std::cerr << "drill: still waiting for \"" << step << "\"\n";
    }
  });
  timer->start(kPollMs);
}

}  // namespace examora
