#include "results/progress.h"

#include <algorithm>
#include <cmath>

#include "common/numtext.h"
#include "common/text.h"
#include "testfile/testfile.h"

namespace examora {

CodeWeight WeightOf(const std::string& code, int optionCount) {
  if (code == "A" || code == "Y" || code == "W") return {1, 0, true, false};
  if (code.size() == 1 && code[0] >= 'B' && code[0] <= 'F') {
    // A lone option cannot be picked wrongly; guard the division all the same.
    if (optionCount <= 1) return {0, 1, false, false};
    const double penalty = 1.0 / (optionCount - 1);
    return {-penalty, 1 + penalty, false, false};
  }
  if (code == "V") return {0.8, 0.2, false, false};
  if (code == "U") return {0.2, 0.8, false, false};
  if (code == "X" || code == "T") return {0, 1, false, false};
  if (code == "Z") return {0, 0, false, true};
  return {};
}

std::string CountdownText(int secondsLeft) {
  secondsLeft = std::max(secondsLeft, 0);
  const int seconds = secondsLeft % 60;
  return " " + std::to_string(secondsLeft / 60) + ":" + (seconds <= 9 ? "0" : "") +
         std::to_string(seconds);
}

int TestSeconds(float testMinutes) {
  if (!(testMinutes > 0)) return 0;  // NaN too
  const double minutes = std::min<double>(RoundHalfEven(testMinutes), kMaxTestMinutes);
  return static_cast<int>(minutes) * 60;
}

ProgressFigures BuildBars(const ProgressInputs& in, int previousMarkedCount) {
  ProgressFigures f;
  const int n = in.QuestionsToAsk;
  for (int i = 1; i <= n; ++i) f.AnswerCodes += in.ResultCode[static_cast<std::size_t>(i)];
  int unanswered = 0;
  for (int i = 1; i <= n; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const CodeWeight w =
        WeightOf(in.ResultCode[k], k < in.OptionCount.size() ? in.OptionCount[k] : 0);
    f.markSum += w.mark;
    f.marksLost += w.lost;
    f.correct += w.correct ? 1 : 0;
    unanswered += w.unanswered ? 1 : 0;
  }
  f.UnansweredCount = unanswered;
  const double totalSeconds = static_cast<double>(in.TestMinutes) * 60;
  if (unanswered > 0)
    f.future = static_cast<int>(RoundHalfEven(static_cast<double>(in.SecondsLeft) / unanswered));
  // The countdown may start above the test's exact minutes (4.6 rounds to 5): no time has
  // passed then, rather than a negative amount.
  const float elapsed = static_cast<float>(std::max(0.0, totalSeconds - in.SecondsLeft));
  if (previousMarkedCount > 0)
    f.average = static_cast<int>(RoundHalfEven(elapsed / previousMarkedCount));
  f.allocated = static_cast<int>(RoundHalfEven(totalSeconds / n));
  f.Score = static_cast<float>(RoundHalfEven(f.markSum * 100 / n * 10) / 10);
  f.passing = f.Score > in.PassMark;
  f.MarkedCount = n - unanswered;
  if (f.MarkedCount > 0) {
    f.predicted = static_cast<int>(RoundHalfEven(100 * f.markSum / f.MarkedCount));
    f.possible = static_cast<int>(RoundHalfEven(100 * (n - f.marksLost) / n));
    f.lostPercentage = static_cast<int>(RoundHalfEven(100 * f.marksLost / n));
  }
  auto num = [](double v) { return SpacedNumber(v); };
  f.statisticsLine =
      "Total minutes =" + SpacedNumberSingle(in.TestMinutes) + "    " +
      " Start =" + in.StartTimeText + "    " + " Finish =" + in.EndTimeText + "    " +
      " Secs/question: Allocated=" + num(f.allocated) + ": Average=" + num(f.average) +
      ": Future=" + num(f.future) + ".   " + num(f.correct) + " correct, " + num(f.lostPercentage) +
      " marks lost     " + num(f.MarkedCount) + "/" + num(n) + " questions marked     " +
      " Predicted Mark = " + num(f.predicted) + "% of a possible " + num(f.possible) + "%   ";
  return f;
}

std::vector<std::string> StatisticsPhrases(const std::string& line) {
  // Phrases are separated by runs of three or more blanks, or end at ".   " and ": ".
  std::vector<std::string> phrases;
  std::string current;
  auto close = [&] {
    if (!Trim(current).empty()) phrases.push_back(Trim(current));
    current.clear();
  };
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (line.compare(i, 3, "   ") == 0) {
      close();
      while (i + 1 < line.size() && line[i + 1] == ' ') ++i;
      continue;
    }
    current += line[i];
    if (line[i] == ':' && i + 1 < line.size() && line[i + 1] == ' ' &&
        current != "Secs/question:") {
      close();
    }
  }
  close();
  return phrases;
}

std::vector<ChartColumn> ChartColumns(const std::vector<std::string>& texts,
                                      const std::vector<std::string>& codes) {
  std::vector<ChartColumn> columns;
  for (std::size_t i = 1; i < texts.size() && i < codes.size(); ++i) {
    const std::string& code = codes[i];
    const bool open = code == "Z";
    ChartColumn c;
    // Right, wrong or not done in words; for a whole cell, red means wrong.
    auto whole = [&c](std::uint32_t colour) {
      c.upper = c.lower = colour;
      c.upperCrossed = colour == kRed;
      c.spoken = colour == kGreen ? "right" : colour == kRed ? "wrong" : "not done";
    };
    switch (KindOf(texts[i])) {
      case QuestionKind::kNumeric: {
        c.letter = 'N';
        c.split = true;
        const bool number = code == "Y" || code == "V", unit = code == "Y" || code == "U";
        c.upper = open ? kWhite : number ? kGreen : kRed;
        c.lower = open ? kWhite : unit ? kGreen : kRed;
        c.upperCrossed = !open && !number;
        c.lowerCrossed = !open && !unit;
        c.spoken = open               ? "not done"
                   : number && unit   ? "right"
                   : !number && !unit ? "wrong"
                   : number           ? "number right, unit wrong"
                                      : "number wrong, unit right";
        break;
      }
      case QuestionKind::kMultiSelect:
        c.letter = 'S';
        whole(code == "Y" ? kGreen : code == "X" ? kRed : kGrey);
        break;
      case QuestionKind::kOneWord:
      case QuestionKind::kMatching:
        c.letter = KindOf(texts[i]) == QuestionKind::kOneWord ? 'W' : 'm';
        whole(code == "Y" ? kGreen : code == "X" ? kRed : kWhite);
        break;
      case QuestionKind::kMultipleChoice:
        // Filled, hatched or only outlined: the pattern already tells the result.
        c.upper = c.lower = code == "A" ? kGreen : kRed;
        c.style = code == "A" ? CellStyle::kFill : open ? CellStyle::kOutline : CellStyle::kHatch;
        c.spoken = code == "A" ? "right" : open ? "not done" : "wrong";
        break;
    }
    columns.push_back(c);
  }
  return columns;
}

std::string ChartInWords(const std::vector<ChartColumn>& columns) {
  std::string words;
  for (std::size_t k = 0; k < columns.size(); ++k) {
    words += (k ? "; " : "") + std::string("Question ") + std::to_string(k + 1) + ": " +
             columns[k].spoken;
  }
  return words;
}

ChartGrid ChartLayout(int questions, int widthPixels, int minCellWidth, int maxCellWidth,
                      int maxRows) {
  ChartGrid grid;
  const int n = std::max(questions, 1);
  const int fit = std::max(widthPixels / std::max(minCellWidth, 1), 1);
  const int rowsAtMost = std::max(maxRows, 1);
  grid.perRow = std::max(std::min(n, fit), (n + rowsAtMost - 1) / rowsAtMost);
  grid.rows = (n + grid.perRow - 1) / grid.perRow;
  grid.cellWidth = std::min<double>(static_cast<double>(widthPixels) / grid.perRow, maxCellWidth);
  return grid;
}

}  // namespace examora
