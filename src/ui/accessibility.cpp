#include "ui/accessibility.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

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
    {"Image1", "Administrator menu", "The program's picture; press it to open the teacher's menu"},
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

// The administrator menu: the password, then the teacher's tools it unlocks.
constexpr AccessibleControl kMenu[] = {
    {"txtPassword", "Administrator password", "Type the 8-character password, then press Enter"},
    {"cmdOK", "OK", "Check the password", 'O'},
    {"cmdAuthoring", "Test authoring", "Open the encryptor that turns a bank into a test", 'T'},
    {"cmdMarks", "Result file processor", "Open the processing of the result files", 'P'},
    {"cmdReports", "Reports", "Open the reports and the question statistics", 'R'},
    {"cmdSittings", "Sittings", "Show the exam sittings: running, interrupted, unsaved, saved",
     'S'},
    {"lblPrompt", "Password prompt", "Caption of the password box"},
    {"lblMessage", "Message", "Whether the password was accepted"},
    {"lblAccessCode", "Access code", "Today's access code for the tests"},
    {"lblValid", "Access code validity", "How long the access code stays valid"},
};

// The result file processor: find the files, read and encipher the students, rebuild the
// master file and its reports, look at them; the rare and the drastic steps come last.
constexpr AccessibleControl kMarks[] = {
    {"cmdAutoDrive", "Auto-detect drives", "Find the drive and folders of the result files", 'A'},
    {"txtChosenPath", "Student files folder", "The folder of the student result files"},
    {"txtStudInfoText", "Student data file", "The file of student numbers and names"},
    {"cmdReadStudID", "Read student info", "Read the student data file", 'I'},
    {"cmdDecipherStudData", "Decipher it", "Read the student data file again", 'D'},
    {"cmdEncrypt", "Encrypt it", "Write the enciphered student file", 'E'},
    {"cmdDecrypt", "Decrypt it", "Read the enciphered student file back", 'C'},
    {"Text8", "Encrypted file", "Where the enciphered student file is"},
    {"Text3", "Students read", "How many students the data file holds"},
    {"txtUserName", "User", "Who is signed in to this computer"},
    {"txtDrive", "Drive", "The drive of the result files"},
    {"cmdRebuildMaster", "Rebuild master file", "Rebuild the master file from the student files",
     'B'},
    {"cmdBuildTestRecords", "Rebuild test files", "Split the master file into one file per test",
     'P'},
    {"cmdByDate", "Re-sort master file", "Sort the master file by date and time", 'O'},
    {"cmdSortSN", "Reports", "Write the master file's reports", 'R'},
    {"cmdExport", "Export marks", "Write the marks per student and test for a gradebook", 'X'},
    {"cmdMaster1", "Master raw", "Show the master file as it is", 'M'},
    {"cmdMaster2", "Master by student number", "Show the master file by student number", 'N'},
    {"cmdMaster3", "Master by surname", "Show the master file by surname", 'U'},
    {"cmdMaster4", "Report by student number", "Show the report by student number", 'S'},
    {"cmdMaster5", "Report by surname", "Show the report by surname", 'T'},
    {"pnlReport", "Report", "A quick look at the file or report chosen"},
    {"cmdOpenInBrowser", "Open in browser", "Open the report shown in the desktop's browser", 'W'},
    {"lblPreviewNote", "Preview note", "Whether only the start of the file is shown"},
    {"txtReport", "Text file", "The text file chosen, as it stands"},
    {"WebBrowser1", "Report page", "The file or report chosen"},
    {"List1", "Log", "What the processor did, line by line"},
    {"Pic1", "Students read", "The students in the data file"},
    {"Pic2", "Students deciphered", "The students with their passwords"},
    {"Pic3", "Encrypted file", "The lines of the enciphered student file"},
    {"Pic4", "Students decrypted", "The students read back from the enciphered file"},
    {"cmdCreateMissing", "Create missing result files",
     "Create, empty, the files of students who have none; existing files are not touched", 'G'},
    {"cmdchr13", "Add line ends", "End every student result file with a line end", 'H'},
    {"cmdCreateEmptyStudentRecords", "Create empty result files",
     "Once a year: empty every student's result file, after a question", 'F'},
};

// The encryptor: open a bank, set the sitting, write the test, then check its questions.
constexpr AccessibleControl kEncrypt[] = {
    {"cmdOpen", "Open", "Choose the question bank to encrypt", 'O'},
    {"cmdImport", "Import", "Turn a Moodle XML or GIFT question file into a bank and open it", 'I'},
    {"List1", "Question bank", "The questions of the bank opened"},
    {"txtNumQuest", "Questions asked", "How many questions a sitting asks"},
    {"txtEachTime", "Minutes per question", "The time allowed for each question"},
    {"cmdCompute", "Compute", "Work out the test's duration", 'C'},
    {"cmdOK", "OK", "Write the encrypted test", 'K'},
    {"Picture1", "Question check", "The question as a student meets it, and its problems"},
    {"cmdCheckLastQuestion", "Previous question", "Check the previous question"},
    {"cmdCheckQuestion", "Next question", "Check the next question"},
    {"cmdAutoCheck", "Auto check", "Check every question in turn", 'A'},
    {"cmdAnother", "Another", "Start again with another bank", 'N'},
    {"WebBrowser2", "Picture", "The question's picture"},
    {"picGraph", "Graph", "The question's graph"},
    {"cmdPublish", "Publish", "Put the written test into the web folder and its test list", 'P'},
    {"cmdDone", "Done", "Close the encryptor", 'D'},
    {"lblTitle", "Encryptor", "What the encryptor does"},
    {"lblHeading", "Test heading", "The bank's number and name"},
    {"lblTestDesc", "About the test", "What the test is about"},
    {"lblVarDesc", "Symbols", "The symbols the questions use"},
    {"Frame1", "Sitting", "The questions asked and the time allowed"},
    {"picFilename", "Bank file", "The bank opened"},
    {"lbl6", "Questions in the bank", "How many questions the bank holds"},
    {"lblNumQuest", "Questions per sitting", "Caption of the questions box"},
    {"lblEachTime", "Minutes per question", "Caption of the minutes box"},
    {"lbl10", "Test duration", "The time allowed for the whole test; red when wrong"},
    {"lblProblems", "Problems", "What is wrong with the bank"},
    {"Frame2", "Encrypt", "Writing the encrypted test"},
    {"lblEncrypting", "Encrypting", "Whether the test is being written"},
    {"lbl25", "Written to", "Caption of the encrypted file"},
    {"picFileOut", "Encrypted file", "Where the encrypted test was written"},
};

// The reports: write them, open a page, then one test's question statistics.
constexpr AccessibleControl kReports[] = {
    {"cmdReports", "Reports", "Write the reports from the master file", 'R'},
    {"cmdReport4", "Report by student number", "Show the report by student number", 'N'},
    {"cmdReport5", "Report by surname", "Show the report by surname", 'U'},
    {"cboTest", "Test", "The test whose questions to count"},
    {"cmdTestFile", "Test file", "Choose the enciphered test the statistics are of", 'F'},
    {"cmdStats", "Question statistics", "Count the chosen test's answers per bank question", 'Q'},
    {"cmdStatsPage", "Statistics page", "Show the chosen test's statistics page", 'P'},
    {"lblSource", "Source", "Where the statistics come from"},
    {"grdStats", "Statistics", "Per question: times asked, facility, discrimination, flags"},
    {"List1", "Log", "What the reports did, line by line"},
    {"pnlReport", "Report", "A quick look at the file or report chosen"},
    {"cmdOpenInBrowser", "Open in browser", "Open the report shown in the desktop's browser", 'W'},
    {"lblPreviewNote", "Preview note", "Whether only the start of the page is shown"},
    {"txtReport", "Text file", "The text file chosen, as it stands"},
    {"WebBrowser1", "Report page", "The report chosen"},
};

// The unit converter: the value and its unit, then the unit to convert to.
constexpr AccessibleControl kUnitConverter[] = {
    {"txtValue", "Value", "Type the number to convert"},
    {"cboFromPrefix", "From prefix", "The prefix of the value's unit"},
    {"cboFromUnit", "From unit", "The unit of the value"},
    {"cboToPrefix", "To prefix", "The prefix to convert to"},
    {"cboToUnit", "To unit", "The unit to convert to"},
    {"lblEquals", "Equals", "Between the value and the unit to convert to"},
    {"lblResult", "Result", "The value in the unit converted to"},
};

// The web loader: its address and page boxes, and the buttons to try them by hand.
constexpr AccessibleControl kBrowserLoad[] = {
    {"Text2", "Address", "The page to fetch"},
    {"Text3", "Loader state", "What the loader is waiting for"},
    {"txtDL", "Download count", "How many fetches were tried"},
    {"Text1", "Page text", "The text of the page fetched"},
    {"txtTempPath", "Temporary folder", "Where downloads are kept"},
    {"Command1", "Web browser", "Fetch the address", 'W'},
    {"Command2", "Into text", "Copy the page into the text box", 'I'},
    {"cmdTempPath", "Temporary path", "Find the temporary folder", 'T'},
    {"WebBrowser1", "Browser", "The page being fetched"},
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
// label interface would read the name alone once one is set, hiding the value. A label that
// takes the focus is pressed like a button, and says so.
class NamedLabel : public QAccessibleWidget {
 public:
  explicit NamedLabel(QLabel* label)
      : QAccessibleWidget(label, (label->focusPolicy() & Qt::TabFocus) ? QAccessible::Button
                                                                       : QAccessible::StaticText) {}
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

std::span<const AccessibleControl> MenuControls() {
  return kMenu;
}

// The teacher's table of sittings.
constexpr AccessibleControl kSittings[] = {
    {"grdSittings", "Sittings", "One row per sitting: student, test, state, time left"},
    {"cmdRefresh", "Refresh", "Read the sittings again", 'R'},
    {"lblProblem", "Problem", "Why the sittings could not be read, if they could not"},
};

std::span<const AccessibleControl> SittingsControls() {
  return kSittings;
}

std::span<const AccessibleControl> MarksControls() {
  return kMarks;
}

std::span<const AccessibleControl> EncryptControls() {
  return kEncrypt;
}

std::span<const AccessibleControl> ReportsControls() {
  return kReports;
}

std::span<const AccessibleControl> UnitConverterControls() {
  return kUnitConverter;
}

std::span<const AccessibleControl> BrowserLoadControls() {
  return kBrowserLoad;
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
    // Enter presses a focused button as Space does, in these windows as in dialogs.
    if (auto* push = qobject_cast<QPushButton*>(widget)) push->setAutoDefault(true);
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
