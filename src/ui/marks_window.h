// Marks: the result file processor window. Every rule lives in MarksModel; the window copies
// the path boxes into it before a button and shows its boxes, log and picture boxes after.
#pragma once

#include <QWidget>
#include <functional>

#include "reports/marks_model.h"
#include "ui/app_context.h"

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace examora {

class ReportPanel;

class Marks : public QWidget {
 public:
  explicit Marks(AppContext& app, QWidget* parent = nullptr);
  MarksModel& model() { return model_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QPushButton* AddButton(const char* name, const char* caption, void (Marks::*slot)());
  QLineEdit* AddBox(const char* name, bool readOnly);
  void Run(const std::function<void(MarksModel&)>& step);
  void Refresh();
  void ShowMaster(int which);

  void cmdAutoDrive_Click();
  void cmdReadStudID_Click();
  void cmdEncrypt_Click();
  void cmdDecrypt_Click();
  void cmdCreateEmptyStudentRecords_Click();
  void cmdCreateMissing_Click();
  void cmdRebuildMaster_Click();
  void cmdBuildTestRecords_Click();
  void cmdByDate_Click();
  void cmdchr13_Click();
  void cmdSortSN_Click();
  void cmdExport_Click();

  AppContext& app_;
  MarksModel model_;
  QLineEdit *txtChosenPath_, *txtStudInfoText_, *Text8_, *Text3_, *txtUserName_, *txtDrive_;
  QListWidget* List1_;
  QPlainTextEdit *Pic1_, *Pic2_, *Pic3_, *Pic4_;
  ReportPanel* report_;
  QWidget* buttons_;
};

}  // namespace examora
