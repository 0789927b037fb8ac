// picResults: one small column per question in asking order, coloured by its kind and result
// code (numeric questions show the number above and the units below).
#pragma once

#include <QColor>
#include <QWidget>
#include <string>
#include <vector>

namespace examora {

class ProgressChart : public QWidget {
 public:
  explicit ProgressChart(QWidget* parent = nullptr);

  /// The questions' texts (their first character is the kind) and result codes, 1-based.
  void SetQuestions(std::vector<std::string> texts, std::vector<std::string> codes);
  /// The cell of question i (1-based); `lower` picks the units cell of a numeric question.
  QRect CellRect(int i, bool lower = false) const;

  static QColor Green() { return QColor(0, 255, 0); }
  static QColor Red() { return QColor(255, 0, 0); }
  static QColor Grey() { return QColor(0xE0, 0xE0, 0xE0); }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<std::string> texts_;
  std::vector<std::string> codes_;
};

}  // namespace examora
