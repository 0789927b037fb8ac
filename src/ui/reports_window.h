// frm_Reports: the report step and the question statistics of one test, shown as a table with
// a bar per question and as the pages in a browser panel. Rules live in ReportsModel.
#pragma once

#include <QWidget>

#include "reports/reports_model.h"
#include "ui/app_context.h"

class QComboBox;
class QLabel;
class QListWidget;
class QTableWidget;

namespace examora {

class ReportPanel;

class frm_Reports : public QWidget {
 public:
  explicit frm_Reports(AppContext& app, QWidget* parent = nullptr);
  ReportsModel& model() { return model_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void cmdReports_Click();
  void cmdStats_Click();
  void cmdTestFile_Click();
  void ShowPage(const std::string& name);
  void Refresh();

  ReportsModel model_;
  QComboBox* cboTest_;
  QTableWidget* grdStats_;
  QListWidget* List1_;
  QLabel* lblSource_;
  ReportPanel* report_;
};

}  // namespace examora
