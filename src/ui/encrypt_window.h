// Encrypt: the authoring window ("ENCRYPTOR"). Every rule lives in EncryptModel; the window
// copies the two number boxes in before a button and everything out after it.
#pragma once

#include <QWidget>
#include <functional>

#include "formula/grapher.h"
#include "testfile/encrypt_model.h"
#include "ui/app_context.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace examora {

class BrowserPanel;

class Encrypt : public QWidget {
 public:
  explicit Encrypt(AppContext& app, QWidget* parent = nullptr);
  EncryptModel& model() { return model_; }
  /// Called by `cmdDone` after the window hides (the menu shows itself again).
  void SetOnDone(std::function<void()> done) { onDone_ = std::move(done); }

 private:
  void Run(const std::function<void(EncryptModel&)>& step);
  void Refresh();

  EncryptModel model_;
  std::function<void()> onDone_;
  QPushButton *cmdOpen_, *cmdCompute_, *cmdOK_, *cmdCheckQuestion_, *cmdCheckLastQuestion_,
      *cmdAutoCheck_, *cmdAnother_, *cmdDone_, *cmdPublish_;
  QPushButton* cmdImport_ = nullptr;  // "Import...": a Moodle XML or GIFT file
  QLabel *lblHeading_, *lblTestDesc_, *lblVarDesc_, *lbl6_, *lbl10_, *lblEncrypting_, *picFilename_,
      *picFileOut_, *lbl25_, *lblProblems_;
  QLineEdit *txtNumQuest_, *txtEachTime_;
  QListWidget* List1_;
  QPlainTextEdit* Picture1_;
  BrowserPanel* WebBrowser2_;
  class GraphPanel* picGraph_;  // a graph question's graph, drawn with its values
  Grapher grapher_;
  QGroupBox *Frame1_, *Frame2_;
  QString lastAddress_;
};

}  // namespace examora
