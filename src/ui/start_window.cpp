#include "ui/start_window.h"

#include <QFormLayout>
#include <QLabel>

#include "app/module_examora.h"
#include "ui/qtext.h"

namespace examora {
namespace {

QLabel* NamedLabel(const QString& name, const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

}  // namespace

StartWindow::StartWindow(const ModuleExamora& m, QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("StartWindow"));
  setWindowTitle(ToQString(m.VersionText));
  auto* layout = new QFormLayout(this);
  layout->addRow(tr("Version:"),
                 NamedLabel(QStringLiteral("lblVersion"), ToQString(m.VersionText), this));
  layout->addRow(tr("Web folder:"),
                 NamedLabel(QStringLiteral("lblWebBase"), ToQString(m.WebBase), this));
  layout->addRow(tr("Computer:"),
                 NamedLabel(QStringLiteral("lblUserName"), ToQString(m.UserName), this));
  resize(520, 140);
}

}  // namespace examora
