#include "ui/accessibility.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>

namespace examora {
namespace {

// Marks the first `letter` of the caption (either case) as the mnemonic, once.
void AddMnemonic(QAbstractButton& button, char letter) {
  QString caption = button.text();
  if (caption.contains(QLatin1Char('&'))) return;
  const int at = caption.indexOf(QLatin1Char(letter), 0, Qt::CaseInsensitive);
  if (at < 0) return;
  caption.insert(at, QLatin1Char('&'));
  button.setText(caption);
}

// The sign-in window: the name box and its button, the earlier results, then the buttons.
constexpr AccessibleControl kLogin[] = {
    {"txtName", "Student number", "Type your 9-digit student number"},
    {"cmdValidate", "Validate", "Check the student number and password", 'V'},
    {"List1", "Previous test results", "Your earlier results, and the progress of loading"},
    {"cmdByTest", "Test order", "Sort the previous results by test", 'T'},
    {"cmdByDate", "Date order", "Sort the previous results by date", 'D'},
    {"cmdMarks", "Marks", "Open the reports", 'M'},
    {"cmdStudyMode", "Study mode", "Practise: nothing is recorded", 'S'},
    {"cmdGo", "Get test", "Open the list of tests", 'G'},
    {"cmdQuit", "Quit", "End the program", 'Q'},
    {"Image1", "Examora", "The program's picture"},
    {"lblVersion", "Version", "The program's version"},
    {"Label4", "Class", "Caption above the student number"},
    {"Label1", "Student No", "Caption of the student number box"},
    {"Label2", "Sign-in hint", "What to type in the student number box"},
    {"lbl_studentName", "Student name", "The name of the signed-in student"},
    {"Shape1", "Frame", "A frame beside the student's name"},
    {"Label5", "Previous test results", "Caption of the list of earlier results"},
};

// The test selection window: choose a test, type the access code, get the test, go.
constexpr AccessibleControl kTest[] = {
    {"List1", "Tests", "The tests you can take; choose one with the arrow keys and Enter"},
    {"lblQuestionTypeArea", "About the test", "Scrolls the test's description"},
    {"lblVariableDescArea", "Symbols", "Scrolls the symbols the questions use"},
    {"txtPassword", "Access code", "Type the test access code, then press Enter"},
    {"cmdRunTest", "Get the test", "Prepare your sitting of the chosen test", 'G'},
    {"cmdGO", "Go", "Start the test", 'O'},
    {"cmdUploader", "Uploader", "Keep the downloaded test for this sitting", 'U'},
    {"cmdQuit", "Quit", "End the program", 'Q'},
    {"Label6", "Select a Test", "Caption of the list of tests"},
    {"Frame1", "Information", "The chosen test's details"},
    {"lbl3", "Test Name", "Caption of the test's name"},
    {"lbl4", "Test name", "The chosen test's name"},
    {"lbl5", "Questions", "Caption of the number of questions"},
    {"lbl13", "Questions asked", "How many questions you will be asked"},
    {"lbl6", "Questions in the bank", "How many questions the test holds"},
    {"lblInBank", "In the bank", "Caption of the number of questions in the bank"},
    {"Label2", "Seconds per question", "Caption of the time per question"},
    {"Label3", "Seconds per question value", "The time allowed for each question"},
    {"lbl9", "Duration", "Caption of the test's duration"},
    {"lbl10", "Test duration", "The time allowed for the whole test"},
    {"Label7", "Start Time", "Caption of the start time"},
    {"lblStartTime", "Starts at", "When the test starts"},
    {"Label5", "End Time", "Caption of the end time"},
    {"lblEndTime", "Ends at", "When the test ends"},
    {"Label1", "Description", "Caption of the test's description"},
    {"lblQuestionType", "About the test", "What the test is about"},
    {"Label4", "Variables and Definitions", "Caption of the symbols the questions use"},
    {"lblVariableDesc", "Symbols", "The symbols the questions use"},
    {"Frame2", "Access", "The access code and whether the test may be continued"},
    {"lblContinueMode", "Continue mode", "Whether the test may be continued after a break"},
    {"lblPassword", "Access code status", "Whether the access code was accepted"},
    {"lblDecrypting", "Preparation status", "Whether the sitting is ready"},
    {"lblStatus", "Status", "What the window is doing, and any problem"},
    {"img_connect", "Connecting", "Shown while the test is being fetched"},
    {"Image1", "Examora", "The program's picture"},
};

constexpr AccessibleControl kInfo[] = {
    {"WebBrowser1", "Information page", "General information about the tests"},
};

constexpr AccessibleControl kDebugger[] = {
    {"List1", "Trace lines", "What the formula services did, line by line"},
};

// Turns Enter on a list into the list's action on its current row.
class EnterKeyFilter : public QObject {
 public:
  EnterKeyFilter(QListWidget& list, std::function<void(int)> action)
      : QObject(&list), list_(list), action_(std::move(action)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(event)->key();
      if ((key == Qt::Key_Return || key == Qt::Key_Enter) && list_.currentRow() >= 0) {
        action_(list_.currentRow());
        return true;
      }
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  QListWidget& list_;
  std::function<void(int)> action_;
};

// A label's text as it reads, without a mnemonic mark or a closing ":" or "...".
QString Spoken(QString text) {
  text.remove(QLatin1Char('&'));
  text = text.trimmed();
  while (text.endsWith(QLatin1Char(':')) || text.endsWith(QLatin1Char('.'))) text.chop(1);
  return text.trimmed();
}

// A named label reads as its name followed by what it shows ("Test name: Beams"): Qt's own
// label interface would read the name alone once one is set, hiding the value.
class NamedLabel : public QAccessibleWidget {
 public:
  explicit NamedLabel(QLabel* label) : QAccessibleWidget(label, QAccessible::StaticText) {}
  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Name) return QAccessibleWidget::text(t);
    const QString name = widget()->accessibleName();
    const QString shown = Spoken(static_cast<QLabel*>(widget())->text());
    if (name.isEmpty()) return shown;
    if (shown.isEmpty() || shown.compare(Spoken(name), Qt::CaseInsensitive) == 0) return name;
    return name + QStringLiteral(": ") + shown;
  }
};

constexpr char kNamedLabel[] = "examoraNamedLabel";

QAccessibleInterface* NamedLabelFactory(const QString& className, QObject* object) {
  auto* label = qobject_cast<QLabel*>(object);
  if (className != QLatin1String("QLabel") || !label || !label->property(kNamedLabel).toBool()) {
    return nullptr;
  }
  return new NamedLabel(label);
}

}  // namespace

std::span<const AccessibleControl> LoginControls() {
  return kLogin;
}

std::span<const AccessibleControl> TestControls() {
  return kTest;
}

std::span<const AccessibleControl> InfoControls() {
  return kInfo;
}

std::span<const AccessibleControl> DebuggerControls() {
  return kDebugger;
}

void OnEnterKey(QListWidget& list, std::function<void(int row)> action) {
  list.installEventFilter(new EnterKeyFilter(list, std::move(action)));
}

void ApplyAccessibility(QWidget& window, std::span<const AccessibleControl> controls) {
  static const bool installed = (QAccessible::installFactory(NamedLabelFactory), true);
  (void)installed;
  QWidget* previous = nullptr;
  for (const auto& control : controls) {
    auto* widget = window.findChild<QWidget*>(QLatin1String(control.objectName));
    if (!widget) continue;
    // Marked first: naming the widget may already make its accessible interface.
    if (qobject_cast<QLabel*>(widget)) widget->setProperty(kNamedLabel, true);
    widget->setAccessibleName(QString::fromUtf8(control.name));
    widget->setAccessibleDescription(QString::fromUtf8(control.description));
    if (auto* button = qobject_cast<QAbstractButton*>(widget); button && control.mnemonic) {
      AddMnemonic(*button, control.mnemonic);
    }
    if (widget->focusPolicy() & Qt::TabFocus) {
      if (previous) QWidget::setTabOrder(previous, widget);
      previous = widget;
    }
  }
}

}  // namespace examora
