// The unit converter window: a value, a prefix and unit to convert from and to, and the result,
// all worked out by `UnitConverterModel`.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

#include "app/unit_converter.h"

namespace examora {

class UnitConverter : public QWidget {
 public:
  explicit UnitConverter(QWidget* parent = nullptr);

 private:
  /// Copies the controls into the model and shows its result.
  void Recalculate();

  UnitConverterModel model_;
  QLineEdit* txtValue_;
  QComboBox* cboFromPrefix_;
  QComboBox* cboFromUnit_;
  QComboBox* cboToPrefix_;
  QComboBox* cboToUnit_;
  QLabel* lblResult_;
};

}  // namespace examora
