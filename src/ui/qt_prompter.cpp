#include "ui/qt_prompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QRegularExpression>

#include "ui/qtext.h"

namespace examora {
namespace {

QMessageBox::StandardButtons ButtonsOf(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
      return QMessageBox::Ok;
    case MessageButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

QMessageBox::Icon IconOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::None:
      return QMessageBox::NoIcon;
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Critical:
      return QMessageBox::Critical;
    case MessageIcon::Question:
      return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButton ButtonOf(MessageAnswer answer) {
  switch (answer) {
    case MessageAnswer::Yes:
      return QMessageBox::Yes;
    case MessageAnswer::No:
      return QMessageBox::No;
    case MessageAnswer::Cancel:
      return QMessageBox::Cancel;
    case MessageAnswer::Ok:
      break;
  }
  return QMessageBox::Ok;
}

MessageAnswer AnswerOf(int button) {
  switch (button) {
    case QMessageBox::Yes:
      return MessageAnswer::Yes;
    case QMessageBox::No:
      return MessageAnswer::No;
    case QMessageBox::Cancel:
      return MessageAnswer::Cancel;
    default:
      return MessageAnswer::Ok;
  }
}

// Message texts separate lines with CR LF; Qt wants LF alone.
QString ShownText(const std::string& text) {
  return ToQString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Room a window manager's title bar takes beside the title: the window's icon, its three
// buttons and their margins.
constexpr int kTitleBarDecorations = 140;

// Qt sizes a message box by its text and leaves its title little room, so a short box's title
// was cut ("Quitt\u2026g Test"): the box is made wide enough for its title drawn in bold.
void MakeRoomForTitle(QMessageBox& box) {
  QFont bold = box.font();
  bold.setBold(true);
  const int need = QFontMetrics(bold).horizontalAdvance(box.windowTitle()) + kTitleBarDecorations;
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    grid->addItem(new QSpacerItem(need, 0, QSizePolicy::Fixed, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
}

}  // namespace

QFileDialog::Options QtPrompter::FileDialogOptions() const {
  // A desktop's own file dialog may be another program, with its own ways out.
  return examSession_ ? QFileDialog::DontUseNativeDialog : QFileDialog::Options();
}

QWidget* QtPrompter::Owner() const {
  if (parent_ || !examSession_) return parent_;
  if (QWidget* active = QApplication::activeWindow()) return active;
  // Without keyboard focus there is no active window: the window shown on top is the one.
  QWidget* owner = nullptr;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window->isVisible() && window->windowType() == Qt::Window) owner = window;
  }
  return owner;
}

MessageAnswer QtPrompter::ShowMessage(const std::string& title, const std::string& text,
                                      MessageButtons buttons, MessageIcon icon,
                                      std::optional<MessageAnswer> defaultButton) {
  QMessageBox box(IconOf(icon), ToQString(title), ShownText(text), ButtonsOf(buttons), Owner());
  if (defaultButton) box.setDefaultButton(ButtonOf(*defaultButton));
  MakeRoomForTitle(box);
  const int pressed = box.exec();
  // Closing the box with Escape or the window's close button counts as its safe answer.
  if (buttons == MessageButtons::YesNo && pressed != QMessageBox::Yes) return MessageAnswer::No;
  return AnswerOf(pressed);
}

std::optional<std::string> QtPrompter::AskInput(const std::string& title, const std::string& prompt,
                                                const std::string& initial) {
  bool ok = false;
  const QString text = QInputDialog::getText(Owner(), ToQString(title), ShownText(prompt),
                                             QLineEdit::Normal, ToQString(initial), &ok);
  if (!ok) return std::nullopt;
  return FromQString(text);
}

std::optional<std::string> QtPrompter::AskSecret(const std::string& title,
                                                 const std::string& prompt) {
  bool ok = false;
  const QString text = QInputDialog::getText(Owner(), ToQString(title), ShownText(prompt),
                                             QLineEdit::Password, QString(), &ok);
  if (!ok) return std::nullopt;
  return FromQString(text);
}

std::optional<std::string> QtPrompter::ChooseOpenFile(const std::string& title,
                                                      const std::string& filter) {
  const QString name = QFileDialog::getOpenFileName(
      Owner(), ToQString(title), QString(), ToQString(filter), nullptr, FileDialogOptions());
  if (name.isEmpty()) return std::nullopt;
  return name.toStdString();  // native paths stay in the system's encoding (UTF-8)
}

std::optional<std::string> QtPrompter::ChooseSaveFile(const std::string& title,
                                                      const std::string& filter,
                                                      const std::string& suggested) {
  QFileDialog dialog(Owner(), ToQString(title), QString::fromStdString(suggested),
                     ToQString(filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setOptions(FileDialogOptions());
  // A name typed without the filter's extension gets it before the dialog asks whether to
  // replace a file of that name.
  const QRegularExpressionMatch pattern =
      QRegularExpression(QStringLiteral("\\*\\.(\\w+)")).match(ToQString(filter));
  if (pattern.hasMatch()) dialog.setDefaultSuffix(pattern.captured(1));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

}  // namespace examora
