#include "ui/progress_chart.h"

#include <QPainter>

#include "testfile/test_file.h"

namespace examora {

ProgressChart::ProgressChart(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("picResults"));
  setMinimumHeight(44);
  setAutoFillBackground(true);
}

void ProgressChart::SetQuestions(std::vector<std::string> texts, std::vector<std::string> codes) {
  texts_ = std::move(texts);
  codes_ = std::move(codes);
  update();
}

QRect ProgressChart::CellRect(int i, bool lower) const {
  // The strip is 878 units across; question i stands i units from the left, each 10 wide.
  const double unit = width() / 878.0;
  const int left = static_cast<int>(i * 10 * unit);
  const int w = std::max(2, static_cast<int>(8 * unit));
  const int half = (height() - 14) / 2;
  return lower ? QRect(left, 2 + half, w, half) : QRect(left, 2, w, half);
}

void ProgressChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QColor white(255, 255, 255);
  for (std::size_t i = 1; i < texts_.size() && i < codes_.size(); ++i) {
    const std::string& code = codes_[i];
    const QRect upper = CellRect(static_cast<int>(i));
    const QRect whole = upper.united(CellRect(static_cast<int>(i), true));
    char letter = ' ';
    switch (KindOf(texts_[i])) {
      case QuestionKind::kNumeric: {
        const bool numberRight = code == "Y" || code == "V";
        const bool unitsRight = code == "Y" || code == "U";
        const bool open = code == "Z";
        painter.fillRect(upper, open ? white : numberRight ? Green() : Red());
        painter.fillRect(CellRect(static_cast<int>(i), true), open         ? white
                                                              : unitsRight ? Green()
                                                                           : Red());
        letter = 'N';
        break;
      }
      case QuestionKind::kMultiSelect:
        painter.fillRect(whole, code == "Y" ? Green() : code == "X" ? Red() : Grey());
        letter = 'S';
        break;
      case QuestionKind::kOneWord:
      case QuestionKind::kMatching:
        painter.fillRect(whole, code == "Y" ? Green() : code == "X" ? Red() : white);
        letter = KindOf(texts_[i]) == QuestionKind::kOneWord ? 'W' : 'm';
        break;
      case QuestionKind::kMultipleChoice:
        if (code == "A") {
          painter.fillRect(whole, Green());
        } else if (code == "Z") {
          painter.setPen(Red());
          painter.drawRect(whole.adjusted(0, 0, -1, -1));
        } else {
          painter.fillRect(whole, QBrush(Red(), Qt::BDiagPattern));
        }
        break;
    }
    if (letter != ' ') {
      painter.setPen(Qt::black);
      painter.drawText(QRect(whole.left(), height() - 12, whole.width() + 4, 12), Qt::AlignLeft,
                       QString(QChar(letter)));
    }
  }
}

}  // namespace examora
