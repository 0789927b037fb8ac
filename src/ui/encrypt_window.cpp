#include "ui/encrypt_window.h"

#include "ui/graph_panel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/accessibility.h"
#include "ui/browser_panel.h"
#include "ui/qtext.h"
#include "ui/screen_fit.h"

namespace examora {
namespace {

template <typename W>
W* Named(W* widget, const char* name) {
  widget->setObjectName(QString::fromLatin1(name));
  return widget;
}

}  // namespace

Encrypt::Encrypt(AppContext& app, QWidget* parent)
    : QWidget(parent), model_(app.m.WebBase, app.prompter) {
  setObjectName(QStringLiteral("Encrypt"));
  setWindowTitle(QStringLiteral("ENCRYPTOR"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(Named(new QLabel(QStringLiteral("ENCRYPTOR\nConverts bank to encrypted file\n"
                                                  "Eg. (File.txt) ---> (File.eqb)"),
                                   this),
                        "lblTitle"),
                  0, 0);
  auto* openRow = new QHBoxLayout;
  openRow->addWidget(cmdOpen_ = Named(new QPushButton("Open", this), "cmdOpen"));
  openRow->addWidget(cmdImport_ = Named(new QPushButton("Import...", this), "cmdImport"));
  grid->addLayout(openRow, 1, 0);
  grid->addWidget(lblHeading_ = Named(new QLabel(this), "lblHeading"), 2, 0);
  grid->addWidget(lblTestDesc_ = Named(new QLabel(this), "lblTestDesc"), 3, 0);
  grid->addWidget(lblVarDesc_ = Named(new QLabel(this), "lblVarDesc"), 4, 0);
  lblTestDesc_->setWordWrap(true);
  lblVarDesc_->setWordWrap(true);
  grid->addWidget(List1_ = Named(new QListWidget(this), "List1"), 5, 0, 4, 1);

  Frame1_ = Named(new QGroupBox(QStringLiteral("Sitting"), this), "Frame1");
  auto* f1 = new QVBoxLayout(Frame1_);
  f1->addWidget(picFilename_ = Named(new QLabel(Frame1_), "picFilename"));
  f1->addWidget(lbl6_ = Named(new QLabel(Frame1_), "lbl6"));
  // Each box has its caption as its buddy: a screen reader names it, Alt+letter reaches it.
  auto* lblNumQuest =
      Named(new QLabel(QStringLiteral("&Questions per sitting:"), Frame1_), "lblNumQuest");
  f1->addWidget(lblNumQuest);
  f1->addWidget(txtNumQuest_ = Named(new QLineEdit(Frame1_), "txtNumQuest"));
  lblNumQuest->setBuddy(txtNumQuest_);
  auto* lblEachTime =
      Named(new QLabel(QStringLiteral("&Minutes per question:"), Frame1_), "lblEachTime");
  f1->addWidget(lblEachTime);
  f1->addWidget(txtEachTime_ = Named(new QLineEdit(Frame1_), "txtEachTime"));
  lblEachTime->setBuddy(txtEachTime_);
  f1->addWidget(cmdCompute_ = Named(new QPushButton("Compute", Frame1_), "cmdCompute"));
  f1->addWidget(lbl10_ = Named(new QLabel(Frame1_), "lbl10"));
  f1->addWidget(lblProblems_ = Named(new QLabel(Frame1_), "lblProblems"));
  lblProblems_->setWordWrap(true);
  grid->addWidget(Frame1_, 1, 1, 3, 1);

  Frame2_ = Named(new QGroupBox(QStringLiteral("Encrypt"), this), "Frame2");
  auto* f2 = new QVBoxLayout(Frame2_);
  f2->addWidget(cmdOK_ = Named(new QPushButton("OK", Frame2_), "cmdOK"));
  f2->addWidget(lblEncrypting_ = Named(new QLabel(Frame2_), "lblEncrypting"));
  f2->addWidget(lbl25_ = Named(new QLabel(QStringLiteral("Written to:"), Frame2_), "lbl25"));
  f2->addWidget(picFileOut_ = Named(new QLabel(Frame2_), "picFileOut"));
  f2->addWidget(cmdPublish_ = Named(new QPushButton("Publish", Frame2_), "cmdPublish"));
  f2->addWidget(cmdDone_ = Named(new QPushButton("Done", Frame2_), "cmdDone"));
  grid->addWidget(Frame2_, 4, 1);

  grid->addWidget(Picture1_ = Named(new QPlainTextEdit(this), "Picture1"), 5, 1);
  Picture1_->setReadOnly(true);
  auto* checks = new QHBoxLayout;
  checks->addWidget(cmdCheckLastQuestion_ =
                        Named(new QPushButton("<", this), "cmdCheckLastQuestion"));
  checks->addWidget(cmdCheckQuestion_ = Named(new QPushButton(">", this), "cmdCheckQuestion"));
  checks->addWidget(cmdAutoCheck_ = Named(new QPushButton("Auto check", this), "cmdAutoCheck"));
  checks->addWidget(cmdAnother_ = Named(new QPushButton("Another", this), "cmdAnother"));
  grid->addLayout(checks, 6, 1);
  WebBrowser2_ = Named(new BrowserPanel(app.fetcher, this), "WebBrowser2");
  grid->addWidget(WebBrowser2_, 7, 1, 2, 1);
  picGraph_ = new GraphPanel(this);  // named picGraph by its own constructor
  picGraph_->hide();
  grid->addWidget(picGraph_, 9, 1);

  connect(cmdOpen_, &QPushButton::clicked, this, [this] { Run(&EncryptModel::cmdOpen_Click); });
  connect(cmdImport_, &QPushButton::clicked, this, [this] { Run(&EncryptModel::cmdImport_Click); });
  connect(cmdCompute_, &QPushButton::clicked, this,
          [this] { Run(&EncryptModel::cmdCompute_Click); });
  connect(cmdOK_, &QPushButton::pressed, this, [this] { Run(&EncryptModel::cmdOK_MouseDown); });
  connect(cmdOK_, &QPushButton::clicked, this, [this] { Run(&EncryptModel::cmdOK_Click); });
  connect(cmdCheckQuestion_, &QPushButton::clicked, this,
          [this] { Run(&EncryptModel::cmdCheckQuestion_Click); });
  connect(cmdCheckLastQuestion_, &QPushButton::clicked, this,
          [this] { Run(&EncryptModel::cmdCheckLastQuestion_Click); });
  connect(cmdAutoCheck_, &QPushButton::clicked, this,
          [this] { Run(&EncryptModel::cmdAutoCheck_Click); });
  connect(cmdAnother_, &QPushButton::clicked, this,
          [this] { Run(&EncryptModel::cmdAnother_Click); });
  connect(cmdPublish_, &QPushButton::clicked, this,
          [this] { Run(&EncryptModel::cmdPublish_Click); });
  connect(cmdDone_, &QPushButton::clicked, this, [this] {
    hide();
    if (onDone_) onDone_();
  });
  ApplyAccessibility(*this, EncryptControls());
  FitToScreen(*this, QSize(1100, 760));
  Refresh();
}

void Encrypt::Run(const std::function<void(EncryptModel&)>& step) {
  model_.txtNumQuest = FromQString(txtNumQuest_->text());
  model_.txtEachTime = FromQString(txtEachTime_->text());
  step(model_);
  Refresh();
}

void Encrypt::Refresh() {
  const EncryptModel& m = model_;
  cmdOpen_->setEnabled(!m.opened);
  cmdImport_->setEnabled(!m.opened);
  Frame1_->setVisible(m.opened);
  Frame2_->setVisible(m.opened);
  for (QWidget* w : {static_cast<QWidget*>(txtNumQuest_), static_cast<QWidget*>(txtEachTime_),
                     static_cast<QWidget*>(cmdCompute_), static_cast<QWidget*>(cmdOK_)}) {
    w->setEnabled(m.opened && m.inputsEnabled);
  }
  for (QWidget* w :
       {static_cast<QWidget*>(lbl25_), static_cast<QWidget*>(cmdDone_),
        static_cast<QWidget*>(picFileOut_), static_cast<QWidget*>(Picture1_),
        static_cast<QWidget*>(WebBrowser2_), static_cast<QWidget*>(cmdCheckQuestion_),
        static_cast<QWidget*>(cmdCheckLastQuestion_), static_cast<QWidget*>(cmdAutoCheck_),
        static_cast<QWidget*>(cmdAnother_), static_cast<QWidget*>(cmdPublish_)}) {
    w->setVisible(m.written);
  }
  lblHeading_->setText(ToQString(m.lblHeading));
  lblTestDesc_->setText(ToQString(m.lblTestDesc));
  lblVarDesc_->setText(ToQString(m.lblVarDesc));
  lbl6_->setText(ToQString(m.lbl6));
  txtNumQuest_->setText(ToQString(m.txtNumQuest));
  txtEachTime_->setText(ToQString(m.txtEachTime));
  lbl10_->setText(ToQString(m.lbl10));
  lbl10_->setStyleSheet(m.lbl10Red ? QStringLiteral("color: #ff0000") : QString());
  lblEncrypting_->setText(ToQString(m.lblEncrypting));
  picFilename_->setText(ToQString(m.picFilename));
  picFileOut_->setText(ToQString(m.picFileOut));
  lblProblems_->setText(ToQString(m.lblProblems));
  List1_->clear();
  for (const auto& line : m.List1) List1_->addItem(ToQString(line));
  QStringList lines;
  for (const auto& line : m.Picture1) lines << ToQString(line);
  Picture1_->setPlainText(lines.join('\n'));
  // A graph question shows its graph, drawn with the values of the sitting shown above.
  const bool graph = m.written && !m.graphMarkup.empty();
  picGraph_->setVisible(graph);
  if (graph) {
    WebBrowser2_->hide();
    picGraph_->SetView(grapher_.SetUpGraph(m.graphMarkup, m.formulas(), 1));
  }
  const QString address = ToQString(m.pictureAddress);
  if (m.written && !address.isEmpty() && address != lastAddress_) {
    lastAddress_ = address;
    WebBrowser2_->Navigate(QUrl(address));
  }
}

}  // namespace examora
