// The test window's controls: every one named as in the window's design, in panels laid out
// with Qt layouts, and their signals wired to the window's handlers.
#include <QFontDatabase>
#include <QGridLayout>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/accessibility.h"
#include "ui/browser_panel.h"
#include "ui/do_test_window.h"
#include "ui/graph_panel.h"
#include "ui/progress_chart.h"
#include "ui/qtext.h"
#include "ui/screen_fit.h"

namespace examora {
namespace {

template <typename T>
T* Named(T* widget, const QString& name) {
  widget->setObjectName(name);
  return widget;
}

// Enter in a box of a group goes on to the next shown box, and in the last one presses the
// group's MARK button, so the boxes fill in like a form.
template <std::size_t N>
void EnterMovesOn(const std::array<QLineEdit*, N>& boxes, QPushButton* mark) {
  for (std::size_t k = 0; k < N; ++k) {
    QObject::connect(boxes[k], &QLineEdit::returnPressed, mark, [boxes, mark, k] {
      for (std::size_t next = k + 1; next < N; ++next) {
        if (boxes[next]->isVisible()) return boxes[next]->setFocus();
      }
      mark->click();
    });
  }
}

QLabel* Text(QWidget* parent, const char* text) {
  auto* label = new QLabel(QLatin1String(text), parent);
  label->setWordWrap(true);
  return label;
}

}  // namespace

QGroupBox* DoTest::BuildNumericPanel() {
  auto* panel = Named(new QGroupBox(this), QStringLiteral("Frame_numerical"));
  auto* layout = new QGridLayout(panel);
  auto* answer =
      Named(new QGroupBox(QStringLiteral("Number 80%"), panel), QStringLiteral("Frame_Answer"));
  auto* a = new QVBoxLayout(answer);
  txtAnswer_ = Named(new QLineEdit(answer), QStringLiteral("txtAnswer"));
  txtAnswer_->setToolTip(QStringLiteral("Type answer then press Enter"));
  txtAnswer_->installEventFilter(this);
  cmdOK_ = Named(new QPushButton(QStringLiteral("OK"), answer), QStringLiteral("cmdOK"));
  a->addWidget(Text(answer, "Type answer then press ENTER."));
  a->addWidget(txtAnswer_);
  a->addWidget(cmdOK_);
  a->addWidget(
      Text(answer,
           "Must be accurate to within +/-1%, which is about 3 significant figures. Work in 4."));
  layout->addWidget(answer, 0, 0);

  Frame_Units_ =
      Named(new QGroupBox(QStringLiteral("Units 20%"), panel), QStringLiteral("Frame_Units"));
  auto* u = new QGridLayout(Frame_Units_);
  List2_ = Named(new QListWidget(Frame_Units_), QStringLiteral("List2"));
  auto* prefixFrame =
      Named(new QGroupBox(QStringLiteral("Prefix"), Frame_Units_), QStringLiteral("Frame1"));
  auto* p = new QVBoxLayout(prefixFrame);
  List1_ = Named(new QListWidget(prefixFrame), QStringLiteral("List1"));
  p->addWidget(List1_);
  p->addWidget(Text(prefixFrame, "(~units only)"));
  ListRecent_ = Named(new QListWidget(Frame_Units_), QStringLiteral("ListRecent"));
  lblUnits_ = Named(new QLabel(QStringLiteral("units?"), Frame_Units_), QStringLiteral("lblUnits"));
  lblUnitsLong_ = Named(new QLabel(Frame_Units_), QStringLiteral("lblUnitsLong"));
  lblMultiplier_ = Named(new QLabel(Frame_Units_), QStringLiteral("lblMultiplier"));
  u->addWidget(prefixFrame, 0, 0, 3, 1);
  u->addWidget(List2_, 0, 1, 3, 1);
  u->addWidget(Text(Frame_Units_, "Base Units >"), 0, 2);
  u->addWidget(Text(Frame_Units_, "Click on list at right"), 1, 2);
  u->addWidget(ListRecent_, 0, 3, 3, 1);
  u->addWidget(lblUnits_, 3, 0);
  u->addWidget(lblUnitsLong_, 3, 1);
  u->addWidget(lblMultiplier_, 3, 2);
  layout->addWidget(Frame_Units_, 0, 1);
  connect(cmdOK_, &QPushButton::clicked, this, &DoTest::cmdOK_Click);
  // Mouse or arrow keys alike: what is highlighted is what marking uses. A list that merely
  // receives the focus makes its first row current without highlighting it: that chooses nothing.
  connect(List1_, &QListWidget::itemSelectionChanged, this, [this] {
    if (!List1_->selectedItems().isEmpty()) List1_Click(List1_->currentRow());
  });
  connect(List2_, &QListWidget::itemSelectionChanged, this, [this] {
    if (!List2_->selectedItems().isEmpty()) List2_Click(List2_->currentRow());
  });
  // A recent unit is taken when it is clicked or chosen with Enter, not when the list merely
  // receives the focus (which would silently swap the unit while tabbing past it).
  connect(ListRecent_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { ListRecent_Click(ListRecent_->row(item)); });
  OnEnterKey(*ListRecent_, [this](int row) { ListRecent_Click(row); });
  // A highlight cleared by Ctrl+click comes back: the list always shows the unit marked.
  for (QListWidget* list : {List1_, List2_}) {
    connect(list, &QListWidget::itemSelectionChanged, this, [this, list] {
      if (list->selectedItems().isEmpty()) ShowUnitLabels();
    });
  }
  return panel;
}

QGroupBox* DoTest::BuildMultiSelectPanel() {
  auto* panel = Named(new QGroupBox(this), QStringLiteral("Frame_multiselect"));
  auto* layout = new QGridLayout(panel);
  for (std::size_t b = 0; b < Check1_.size(); ++b) {
    Check1_[b] = Named(new QCheckBox(ToQString(CheckBoxCaptions()[b]), panel),
                       QStringLiteral("Check1%1").arg(b));
    layout->addWidget(Check1_[b], static_cast<int>(b / 13), static_cast<int>(b % 13));
  }
  cmd_OK2_ = Named(new QPushButton(QStringLiteral("MARK"), panel), QStringLiteral("cmd_OK2"));
  layout->addWidget(
      Text(panel, "Tick EVERY correct label (above) that matches the picture (right)."), 6, 0, 1,
      10);
  layout->addWidget(cmd_OK2_, 6, 10, 1, 3);
  connect(cmd_OK2_, &QPushButton::clicked, this, &DoTest::cmd_OK2_Click);
  return panel;
}

QGroupBox* DoTest::BuildOneWordPanel() {
  auto* panel =
      Named(new QGroupBox(QStringLiteral("Text Answer"), this), QStringLiteral("Frame_oneword"));
  auto* layout = new QGridLayout(panel);
  for (std::size_t k = 0; k < 6; ++k) {
    lab1_[k] = Named(new QLabel(QStringLiteral("Word %1").arg(k + 1), panel),
                     QStringLiteral("lab1%1").arg(k));
    txtOneWord_[k] = Named(new QLineEdit(panel), QStringLiteral("txtOneWord%1").arg(k));
    txtOneWord_[k]->setToolTip(
        QStringLiteral("Type one word; Enter goes to the next box, then marks"));
    layout->addWidget(lab1_[k], static_cast<int>(k), 0);
    layout->addWidget(txtOneWord_[k], static_cast<int>(k), 1);
  }
  cmd_OK3_ = Named(new QPushButton(QStringLiteral("MARK"), panel), QStringLiteral("cmd_OK3"));
  layout->addWidget(cmd_OK3_, 6, 1);
  const char* notes[] = {
      "Enter your text above, then press MARK button.", "1. Spelling must be correct.",
      "2. Each answer may have several correct words, but you must enter only one each.",
      "3. Not case sensitive. (Uppercase or lowercase does not matter)",
      "4. All spaces are ignored (so you can use spaces if you want)"};
  int row = 7;
  for (const char* note : notes) layout->addWidget(Text(panel, note), row++, 0, 1, 2);
  connect(cmd_OK3_, &QPushButton::clicked, this, &DoTest::cmd_OK3_Click);
  EnterMovesOn(txtOneWord_, cmd_OK3_);
  return panel;
}

QGroupBox* DoTest::BuildMatchPanel() {
  auto* panel =
      Named(new QGroupBox(QStringLiteral("Matching"), this), QStringLiteral("Frame_Match"));
  auto* layout = new QGridLayout(panel);
  for (std::size_t k = 0; k < 12; ++k) {
    lblMatch_[k] = Named(new QLabel(panel), QStringLiteral("lblMatch%1").arg(k));
    txtMatch_[k] = Named(new QLineEdit(panel), QStringLiteral("txtMatch%1").arg(k));
    txtMatch_[k]->setToolTip(
        QStringLiteral("Type the label; Enter goes to the next box, then marks"));
    layout->addWidget(lblMatch_[k], static_cast<int>(k % 6), static_cast<int>(k / 6) * 2);
    layout->addWidget(txtMatch_[k], static_cast<int>(k % 6), static_cast<int>(k / 6) * 2 + 1);
  }
  cmd_OK4_ = Named(new QPushButton(QStringLiteral("MARK"), panel), QStringLiteral("cmd_OK4"));
  layout->addWidget(Text(panel, "Type all matching labels then press MARK button"), 6, 0, 1, 3);
  layout->addWidget(cmd_OK4_, 6, 3);
  connect(cmd_OK4_, &QPushButton::clicked, this, &DoTest::cmd_OK4_Click);
  EnterMovesOn(txtMatch_, cmd_OK4_);
  return panel;
}

void DoTest::BuildControls() {
  auto* grid = new QGridLayout(this);
  auto* left = new QVBoxLayout;
  lblStem_ = Named(new QLabel(this), QStringLiteral("lblStem"));
  lblStem_->setWordWrap(true);
  lblStem_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblStem_->setMinimumHeight(72);  // room for a stem of several lines
  QFont stemFont = lblStem_->font();
  stemFont.setPointSize(stemFont.pointSize() + 2);
  lblStem_->setFont(stemFont);
  left->addWidget(lblStem_);
  lblNotAssessed_ = Named(new QLabel(this), QStringLiteral("lblNotAssessed"));
  lblNotAssessed_->setWordWrap(true);
  lblNotAssessed_->setStyleSheet(QStringLiteral("color: #000080; font-style: italic;"));
  lblNotAssessed_->hide();
  left->addWidget(lblNotAssessed_);
  for (int k = 1; k <= 6; ++k) {
    opt_[static_cast<std::size_t>(k)] =
        Named(new QRadioButton(this), QStringLiteral("opt%1").arg(k));
    opt_[static_cast<std::size_t>(k)]->hide();
    left->addWidget(opt_[static_cast<std::size_t>(k)]);
    connect(opt_[static_cast<std::size_t>(k)], &QRadioButton::clicked, this,
            [this, k] { opt_Click(k); });
  }
  cmdSubmit_ = Named(new QPushButton(QStringLiteral("MARK"), this), QStringLiteral("cmdSubmit"));
  left->addWidget(cmdSubmit_);
  Frame_numerical_ = BuildNumericPanel();
  Frame_multiselect_ = BuildMultiSelectPanel();
  Frame_oneword_ = BuildOneWordPanel();
  Frame_Match_ = BuildMatchPanel();
  // The answer panels scroll when a small screen or a large desktop scale leaves them less
  // height than they need, rather than pushing the window past the screen's bottom edge.
  answerArea_ = new QScrollArea(this);
  answerArea_->setFrameShape(QFrame::NoFrame);
  answerArea_->setWidgetResizable(true);
  answerArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* panels = new QWidget(answerArea_);
  auto* stack = new QVBoxLayout(panels);
  stack->setContentsMargins(0, 0, 0, 0);
  for (QWidget* panel :
       {static_cast<QWidget*>(Frame_numerical_), static_cast<QWidget*>(Frame_multiselect_),
        static_cast<QWidget*>(Frame_oneword_), static_cast<QWidget*>(Frame_Match_)}) {
    panel->hide();
    stack->addWidget(panel);
  }
  stack->addStretch();
  answerArea_->setWidget(panels);
  left->addWidget(answerArea_, 1);
  auto* navigation = new QHBoxLayout;
  cmdBack_ = Named(new QPushButton(QStringLiteral("< Back"), this), QStringLiteral("cmdBack"));
  cmdNext_ = Named(new QPushButton(QStringLiteral("Next >"), this), QStringLiteral("cmdNext"));
  navigation->addWidget(cmdBack_);
  navigation->addWidget(cmdNext_);
  left->addLayout(navigation);
  grid->addLayout(left, 0, 0, 3, 1);

  auto* right = new QVBoxLayout;
  auto* clock = new QHBoxLayout;
  lblCountdown_ =
      Named(new QLabel(QStringLiteral("Time remaining"), this), QStringLiteral("lblCountdown"));
  QFont clockFont(QStringLiteral("Century Gothic"));
  clockFont.setPointSize(16);
  lblCountdown_->setFont(clockFont);
  RedBox_ = Named(new QWidget(this), QStringLiteral("RedBox"));
  RedBox_->setFixedSize(16, 16);
  RedBox_->setStyleSheet(QStringLiteral("border: 2px solid #FF0000;"));
  RedBox_->hide();
  lblMark_ = Named(new QLabel(QStringLiteral("Score%"), this), QStringLiteral("lblMark"));
  lblScore_ = Named(new QLabel(this), QStringLiteral("lblScore"));
  for (QLabel* label : {lblMark_, lblScore_}) {
    label->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
    label->setMargin(3);
  }
  for (QWidget* w : {static_cast<QWidget*>(RedBox_), static_cast<QWidget*>(lblCountdown_),
                     static_cast<QWidget*>(Named(new QLabel(this), QStringLiteral("lblMinutes"))),
                     static_cast<QWidget*>(lblMark_), static_cast<QWidget*>(lblScore_)}) {
    clock->addWidget(w);
  }
  right->addLayout(clock);
  picResults_ = new ProgressChart(this);
  right->addWidget(picResults_);
  picStatistics_ = Named(new QLabel(this), QStringLiteral("picStatistics"));
  picStatistics_->setWordWrap(true);
  right->addWidget(picStatistics_);
  lblNoPic_ = Named(new QLabel(this), QStringLiteral("lblNoPic"));
  right->addWidget(lblNoPic_);
  WebBrowser1_ = Named(new BrowserPanel(app_.fetcher, this), QStringLiteral("WebBrowser1"));
  right->addWidget(WebBrowser1_, 1);
  picGraph_ = new GraphPanel(this);
  picGraph_->onMouseMove = [this](int button, double x, double y) {
    picGraph_MouseMove(button, x, y);
  };
  picGraph_->hide();
  right->addWidget(picGraph_);
  lblGraphXY_ = Named(new QLabel(this), QStringLiteral("lblGraphXY"));
  lblGraphXY_->hide();
  right->addWidget(lblGraphXY_);
  auto* tools = new QHBoxLayout;
  cmdZoomUp_ = Named(new QPushButton(QStringLiteral("+"), this), QStringLiteral("cmdZoomUp"));
  cmdZoomDown_ = Named(new QPushButton(QStringLiteral("-"), this), QStringLiteral("cmdZoomDown"));
  cmdZoomUp_->hide();
  cmdZoomDown_->hide();
  cmdInfo_ = Named(new QPushButton(QStringLiteral("Get Info"), this), QStringLiteral("cmdInfo"));
  cmdConvert_ =
      Named(new QPushButton(QStringLiteral("Convert"), this), QStringLiteral("cmdConvert"));
  for (QWidget* w : {static_cast<QWidget*>(cmdZoomUp_), static_cast<QWidget*>(cmdZoomDown_),
                     static_cast<QWidget*>(cmdInfo_), static_cast<QWidget*>(cmdConvert_)}) {
    tools->addWidget(w);
  }
  right->addLayout(tools);
  lblStudyMode_ =
      Named(new QLabel(QStringLiteral("STUDY MODE"), this), QStringLiteral("lblStudyMode"));
  lblCompulsory_ = Named(new QLabel(this), QStringLiteral("lblCompulsory"));
  right->addWidget(lblStudyMode_);
  right->addWidget(lblCompulsory_);
  auto* ending = new QHBoxLayout;
  cmdSaveUSB_ =
      Named(new QPushButton(QStringLiteral("Save to USB"), this), QStringLiteral("cmdSaveUSB"));
  cmdSaveUSB_->hide();  // shown by the end of the test
  cmdQuit_ = Named(new QPushButton(QStringLiteral("End without doing all questions"), this),
                   QStringLiteral("cmdQuit"));
  cmdQuitAll_ = Named(new QPushButton(QStringLiteral("QUIT"), this), QStringLiteral("cmdQuitAll"));
  cmdQuitAll_->hide();
  txtGotit_ = Named(new QLineEdit(QStringLiteral("Gotit"), this), QStringLiteral("txtGotit"));
  txtGotit_->setReadOnly(true);
  txtGotit_->setFocusPolicy(Qt::NoFocus);
  txtGotit_->setStyleSheet(QStringLiteral("background-color: #E0E0E0; color: #A0A0A0;"));
  // The saving codes grow with the test: a line of their own, the width of the column.
  right->addWidget(txtGotit_);
  ending->addWidget(cmdSaveUSB_);
  ending->addWidget(cmdQuit_);
  ending->addWidget(cmdQuitAll_);
  right->addLayout(ending);
  picSave_ = Named(new QLabel(this), QStringLiteral("picSave"));
  picSave_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  picSave_->setStyleSheet(QStringLiteral("background-color: #FFFFC0; color: #0000C0;"));
  picSave_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  picSave_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  picSave_->hide();
  left->insertWidget(0, picSave_, 1);
  auto* debug = Named(new QGroupBox(QStringLiteral("Debug"), this), QStringLiteral("FrameDebug"));
  auto* d = new QVBoxLayout(debug);
  lbltheSolution_ = Named(new QLabel(debug), QStringLiteral("lbltheSolution"));
  lblTheBaseUnit_ = Named(new QLabel(debug), QStringLiteral("lblTheBaseUnit"));
  for (QWidget* w :
       {static_cast<QWidget*>(Named(new QLabel(debug), QStringLiteral("lblBaseUnits"))),
        static_cast<QWidget*>(Named(new QLabel(debug), QStringLiteral("lblSolution1"))),
        static_cast<QWidget*>(lbltheSolution_), static_cast<QWidget*>(lblTheBaseUnit_),
        static_cast<QWidget*>(
            Named(new QPushButton(QStringLiteral("Cheat"), debug), QStringLiteral("cmdCheat")))}) {
    d->addWidget(w);
  }
  debug->hide();
  grid->addLayout(right, 0, 1, 3, 1);
  grid->setColumnStretch(0, 3);
  grid->setColumnStretch(1, 2);
  connect(cmdSubmit_, &QPushButton::clicked, this, &DoTest::cmdSubmit_Click);
  connect(cmdNext_, &QPushButton::clicked, this, &DoTest::cmdNext_Click);
  connect(cmdBack_, &QPushButton::clicked, this, &DoTest::cmdBack_Click);
  connect(cmdInfo_, &QPushButton::clicked, this, &DoTest::cmdInfo_Click);
  connect(cmdQuit_, &QPushButton::clicked, this, &DoTest::cmdQuit_Click);
  connect(cmdZoomUp_, &QPushButton::clicked, this, &DoTest::cmdZoomUp_Click);
  connect(cmdZoomDown_, &QPushButton::clicked, this, &DoTest::cmdZoomDown_Click);
  connect(cmdQuitAll_, &QPushButton::clicked, this, &DoTest::cmdQuitAll_Click);
  connect(cmdSaveUSB_, &QPushButton::clicked, this, &DoTest::cmdSaveUSB_Click);
  connect(cmdConvert_, &QPushButton::clicked, this, &DoTest::cmdConvert_Click);
  ApplyDoTestAccessibility();
  FitToScreen(*this, QSize(1100, 720));
}

}  // namespace examora
