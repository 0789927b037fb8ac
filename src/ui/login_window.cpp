#include "ui/login_window.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontDatabase>
#include <QGridLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>

#include "common/error.h"
#include "results/keeper_protocol.h"
#include "ui/accessibility.h"
#include "ui/browser_load_window.h"
#include "ui/do_test_window.h"
#include "ui/menu_window.h"
#include "ui/qtext.h"
#include "ui/reports_window.h"
#include "ui/screen_fit.h"
#include "ui/selection_window.h"

namespace examora {
namespace {

// A picture label that reports clicks (the way to the administrator menu). It takes the focus
// by Tab and is pressed with Enter or Space, so the menu opens without a mouse too; a frame
// shows when it has the focus.
class ClickableLabel : public QLabel {
 public:
  explicit ClickableLabel(QWidget* parent) : QLabel(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setStyleSheet(
        QStringLiteral("QLabel { border: 2px solid transparent; }"
                       "QLabel:focus { border-color: palette(highlight); }"));
  }
  std::function<void()> onClick;

 protected:
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton && onClick) onClick();
  }
  void keyPressEvent(QKeyEvent* event) override {
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && onClick) {
      onClick();
      return;
    }
    QLabel::keyPressEvent(event);
  }
};

}  // namespace

Login::Login(AppContext& app, QWidget* parent)
    : QWidget(parent), app_(app), signIn_(app.m, app.settings, app.env, app.prompter) {
  setObjectName(QStringLiteral("Login"));
  auto* grid = new QGridLayout(this);
  auto named = [this](QWidget* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
  };
  auto button = [&](const char* name, const char* caption) {
    return static_cast<QPushButton*>(named(new QPushButton(QLatin1String(caption), this), name));
  };
  auto label = [&](const char* name, const char* caption) {
    return static_cast<QLabel*>(named(new QLabel(QLatin1String(caption), this), name));
  };
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

  lblVersion_ = label("lblVersion", "");
  auto* shape = static_cast<QFrame*>(named(new QFrame(this), "Shape1"));
  shape->setFrameShape(QFrame::Box);
  Label2_ = label("Label2", "Enter 9 digit student number");
  lbl_studentName_ = label("lbl_studentName", "No Name");
  txtName_ = static_cast<QLineEdit*>(named(new QLineEdit(this), "txtName"));
  txtName_->setFont(fixed);
  cmdValidate_ = button("cmdValidate", "Validate");
  List1_ = static_cast<QListWidget*>(named(new QListWidget(this), "List1"));
  List1_->setFont(fixed);
  cmdMarks_ = button("cmdMarks", "MARKS");
  cmdStudyMode_ = button("cmdStudyMode", "Study Mode");
  cmdGo_ = button("cmdGo", "GET TEST");
  cmdGo_->hide();
  auto* quit = button("cmdQuit", "QUIT");
  // Made after the student's controls, so that the window opens with the focus on theirs.
  auto* image = new ClickableLabel(this);
  named(image, "Image1");
  image->setPixmap(QApplication::style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(64, 64));
  image->onClick = [this] { Image1_Click(); };

  grid->addWidget(image, 0, 0, 2, 1);
  grid->addWidget(lblVersion_, 0, 1, 1, 3);
  grid->addWidget(label("Label4", "Class..."), 1, 1);
  grid->addWidget(label("Label1", "Student No:"), 2, 0);
  grid->addWidget(txtName_, 2, 1);
  grid->addWidget(cmdValidate_, 2, 2);
  grid->addWidget(Label2_, 3, 1, 1, 2);
  grid->addWidget(lbl_studentName_, 4, 0, 1, 3);
  grid->addWidget(shape, 4, 3);
  grid->addWidget(label("Label5", "Previous test results ..."), 5, 0, 1, 2);
  grid->addWidget(List1_, 6, 0, 1, 4);
  grid->addWidget(button("cmdByTest", "Test Order"), 7, 0);
  grid->addWidget(button("cmdByDate", "Date Order"), 7, 1);
  grid->addWidget(cmdMarks_, 7, 2);
  grid->addWidget(cmdStudyMode_, 8, 0);
  grid->addWidget(cmdGo_, 8, 1);
  grid->addWidget(quit, 8, 2);
  (new QTimer(this))->setObjectName(QStringLiteral("Timer1"));  // as designed; no behaviour

  connect(cmdStudyMode_, &QPushButton::clicked, this, &Login::cmdStudyMode_Click);
  connect(cmdGo_, &QPushButton::clicked, this, &Login::cmdGO_Click);
  connect(cmdValidate_, &QPushButton::clicked, this, &Login::cmdValidate_Click);
  connect(txtName_, &QLineEdit::returnPressed, this, &Login::cmdValidate_Click);
  connect(cmdMarks_, &QPushButton::clicked, this, &Login::cmdMarks_Click);
  connect(quit, &QPushButton::clicked, this, &Login::cmdQuit_Click);
  ApplyAccessibility(*this, LoginControls());
  FitToScreen(*this, QSize(Twips(8500), 520));
}

Login::~Login() = default;

Test& Login::selection() {
  if (!selection_) {
    selection_ = std::make_unique<Test>(app_, *loader_);
    selection_->openTestWindow = [this] {
      testWindow_ = std::make_unique<DoTest>(app_, selection_->TestFolderName());
      testWindow_->Form_load();
      testWindow_->show();
    };
  }
  return *selection_;
}

void Login::AddLine(const std::string& line) {
  List1_->addItem(ToQString(line));
}

void Login::Form_Load() {
  sinceLoad_.start();
  // An exam deployment waits for a student to sign in; otherwise every sitting is practice.
  if (app_.settings.examMode) {
    try {
      // The window stays responsive while a refused sign-in waits.
      const auto wait = [](std::chrono::milliseconds time) {
        QEventLoop loop;
        QTimer::singleShot(time, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
      };
      if (!app_.m.Records) {
        app_.m.Records = OpenSittingRecords(app_.settings, app_.env, app_.clock, wait);
      }
    } catch (const Error&) {
      // The sign-in below tries once more and says why it cannot.
    }
    signIn_.LoadStudents();
    ShowSignIn();
  } else {
    cmdStudyMode_->click();
  }
  show();
  ShowHourglass();
  InitSession(app_.m, app_.settings, app_.env);
  lblVersion_->setText(ToQString(app_.m.VersionText));
  setWindowTitle(ToQString(app_.m.VersionText + "   |    Login"));
  FitToScreen(*this, QSize(Twips(8500), height()));
  loader_ = std::make_unique<BrowserLoad>(app_);
  loader_->onProgress = [this](const std::string& line) { AddLine(line); };
  loader_->onTestList = [this] { GetTestsWeb(); };
  loader_->onTestFile = [this] { selection().SaveTheTest(); };
  loader_->SetTimer(LoaderTimer::kTimer1, true);
}

void Login::cmdStudyMode_Click() {
  cmdMarks_->setEnabled(false);
  cmdStudyMode_->setEnabled(false);
  app_.m.StudyMode = true;
  app_.m.StudentName = "Study Mode";
  txtName_->setText(ToQString(app_.m.StudentName));
  txtName_->setEnabled(false);
  txtName_->setStyleSheet(QStringLiteral("background-color: #D0FFD0;"));
  AddLine("S T U D Y   M O D E ");
  QFont font = lbl_studentName_->font();
  font.setPointSizeF(QApplication::font().pointSizeF() * 1.6);  // 16 points at the usual 10
  font.setBold(true);
  lbl_studentName_->setFont(font);
  lbl_studentName_->setStyleSheet(QStringLiteral("color: #0000FF;"));
  lbl_studentName_->setText(ToQString(app_.m.StudentId));
  cmdValidate_->setEnabled(false);
  Label2_->setText(QStringLiteral("Study mode only"));
  FitToScreen(*this, QSize(Twips(9700), height()));
  cmdGo_->show();
}

void Login::cmdValidate_Click() {
  if (!signIn_.cmdValidate_Click(FromQString(txtName_->text()))) return;
  ShowSignIn();
  List1_->clear();
  for (const auto& line : signIn_.view().previousResults) AddLine(line);
}

void Login::ShowSignIn() {
  const SignInView& view = signIn_.view();
  txtName_->setEnabled(view.txtNameEnabled);
  Label2_->setText(ToQString(view.Label2));
  cmdValidate_->setEnabled(view.cmdValidateEnabled);
  cmdStudyMode_->setEnabled(view.cmdStudyModeEnabled);
  cmdStudyMode_->setVisible(view.cmdStudyModeShown);
  cmdMarks_->setEnabled(view.cmdMarksEnabled);
  lbl_studentName_->setText(ToQString(view.lbl_studentName));
  cmdGo_->setVisible(view.cmdGoVisible);
  if (view.cmdGoVisible) cmdGo_->setFocus();  // signed in: GET TEST is the next step
}

void Login::GetTestsWeb() {
  for (const auto& line : examora::GetTestsWeb(loader_->model().Text1, app_.m.Tests)) {
    AddLine(line);
  }
  app_.m.TestNumber = app_.m.Tests.TestNumber;
  qInfo("Test list shown %lld ms after start-up", static_cast<long long>(sinceLoad_.elapsed()));
  cmdGo_->setEnabled(true);
  if (signIn_.OpenSelectionOnListArrival()) cmdGo_->click();
}

void Login::cmdGO_Click() {
  hide();
  selection().show();
  selection().Form_Activate();
}

void Login::Image1_Click() {
  // The administrator menu is for exam sessions only; in study mode the click does nothing.
  if (app_.m.StudyMode) return;
  if (!menu_) {
    menu_ = std::make_unique<Menu>(app_);
    menu_->installEventFilter(this);  // closing the menu comes back here
  }
  hide();
  menu_->show();
}

bool Login::eventFilter(QObject* watched, QEvent* event) {
  if (watched == menu_.get() && event->type() == QEvent::Close) show();
  return QWidget::eventFilter(watched, event);
}

void Login::cmdMarks_Click() {
  if (const auto text = signIn_.cmdMarks_Click()) {
    app_.prompter.Message("MARKS", *text);
    return;
  }
  if (!reports_) reports_ = std::make_unique<frm_Reports>(app_);
  reports_->show();
}

void Login::cmdQuit_Click() {
  QApplication::quit();
}

}  // namespace examora
