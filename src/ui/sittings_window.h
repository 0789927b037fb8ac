// frm_Sittings: the teacher's view of the exam sittings of the lab (running, interrupted,
// ended but not saved, saved), as examora-cli invigilate prints them; refreshed on demand.
#pragma once

#include <QWidget>

#include "ui/app_context.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace examora {

class frm_Sittings : public QWidget {
 public:
  explicit frm_Sittings(AppContext& app, QWidget* parent = nullptr);
  /// Reads the sittings again.
  void cmdRefresh_Click();

 private:
  AppContext& app_;
  QTableWidget* grdSittings_;
  QPushButton* cmdRefresh_;
  QLabel* lblProblem_;
};

}  // namespace examora
