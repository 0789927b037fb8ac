#include "ui/unit_converter.h"

#include <QGridLayout>

#include "ui/accessibility.h"
#include "ui/qtext.h"

namespace examora {
namespace {

QComboBox* List(QWidget* parent, const char* name, const std::vector<std::string>& lines,
                int current) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QLatin1String(name));
  for (const auto& line : lines) box->addItem(ToQString(line));
  box->setCurrentIndex(current);
  return box;
}

}  // namespace

UnitConverter::UnitConverter(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("UnitConverter"));
  setWindowTitle(QStringLiteral("Unit converter"));
  txtValue_ = new QLineEdit(this);
  txtValue_->setObjectName(QStringLiteral("txtValue"));
  cboFromPrefix_ = List(this, "cboFromPrefix", model_.PrefixLines(), model_.fromPrefix - 1);
  cboFromUnit_ = List(this, "cboFromUnit", model_.UnitLines(), model_.fromUnit - 1);
  cboToPrefix_ = List(this, "cboToPrefix", model_.PrefixLines(), model_.toPrefix - 1);
  cboToUnit_ = List(this, "cboToUnit", model_.UnitLines(), model_.toUnit - 1);
  lblResult_ = new QLabel(this);
  lblResult_->setObjectName(QStringLiteral("lblResult"));
  auto* grid = new QGridLayout(this);
  grid->addWidget(txtValue_, 0, 0);
  grid->addWidget(cboFromPrefix_, 0, 1);
  grid->addWidget(cboFromUnit_, 0, 2);
  auto* equals = new QLabel(QStringLiteral("="), this);
  equals->setObjectName(QStringLiteral("lblEquals"));
  grid->addWidget(equals, 1, 0);
  grid->addWidget(cboToPrefix_, 1, 1);
  grid->addWidget(cboToUnit_, 1, 2);
  grid->addWidget(lblResult_, 2, 0, 1, 3);
  connect(txtValue_, &QLineEdit::textChanged, this, &UnitConverter::Recalculate);
  for (QComboBox* box : {cboFromPrefix_, cboFromUnit_, cboToPrefix_, cboToUnit_}) {
    connect(box, &QComboBox::currentIndexChanged, this, &UnitConverter::Recalculate);
  }
  ApplyAccessibility(*this, UnitConverterControls());
  Recalculate();
}

void UnitConverter::Recalculate() {
  model_.valueText = FromQString(txtValue_->text().trimmed());
  model_.fromPrefix = cboFromPrefix_->currentIndex() + 1;
  model_.fromUnit = cboFromUnit_->currentIndex() + 1;
  model_.toPrefix = cboToPrefix_->currentIndex() + 1;
  model_.toUnit = cboToUnit_->currentIndex() + 1;
  cboFromPrefix_->setEnabled(model_.TakesPrefix(model_.fromUnit));
  cboToPrefix_->setEnabled(model_.TakesPrefix(model_.toUnit));
  lblResult_->setText(ToQString(model_.Result()));
}

}  // namespace examora
