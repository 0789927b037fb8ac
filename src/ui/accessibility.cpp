#include "ui/accessibility.h"

#include <QAbstractButton>
#include <QKeyEvent>
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
    {"Label4", "Class", "Caption"},
    {"Label1", "Student number caption", "Caption of the student number box"},
    {"Label2", "Sign-in hint", "What to type in the student number box"},
    {"lbl_studentName", "Student name", "The name of the signed-in student"},
    {"Shape1", "Frame", "A frame beside the student's name"},
    {"Label5", "Previous test results caption", "Caption of the list of earlier results"},
};

// The test selection window: choose a test, type the access code, get the test, go.
constexpr AccessibleControl kTest[] = {
    {"List1", "Tests", "The tests you can take; choose one with the arrow keys and Enter"},
    {"txtPassword", "Access code", "Type the test access code, then press Enter"},
    {"cmdRunTest", "Get the test", "Prepare your sitting of the chosen test", 'G'},
    {"cmdGO", "Go", "Start the test", 'O'},
    {"cmdUploader", "Uploader", "Keep the downloaded test for this sitting", 'U'},
    {"cmdQuit", "Quit", "End the program", 'Q'},
    {"Label6", "Select a test", "Caption of the list of tests"},
    {"Frame1", "Information", "The chosen test's details"},
    {"lbl3", "Test name caption", "Caption"},
    {"lbl4", "Test name", "The chosen test's name"},
    {"lbl5", "Questions caption", "Caption"},
    {"lbl13", "Questions", "How many questions you will be asked"},
    {"lbl6", "Questions in the bank", "How many questions the test holds"},
    {"Label2", "Seconds per question caption", "Caption"},
    {"Label3", "Seconds per question", "The time allowed for each question"},
    {"lbl9", "Duration caption", "Caption"},
    {"lbl10", "Duration", "The time allowed for the whole test"},
    {"Label7", "Start time caption", "Caption"},
    {"lblStartTime", "Start time", "When the test starts"},
    {"Label5", "End time caption", "Caption"},
    {"lblEndTime", "End time", "When the test ends"},
    {"Label1", "Description caption", "Caption"},
    {"lblQuestionType", "Description", "What the test is about"},
    {"Label4", "Variables caption", "Caption"},
    {"lblVariableDesc", "Variables and definitions", "The symbols the questions use"},
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
  QWidget* previous = nullptr;
  for (const auto& control : controls) {
    auto* widget = window.findChild<QWidget*>(QLatin1String(control.objectName));
    if (!widget) continue;
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
