#include "results/progress.h"

#include <cmath>

#include "common/numtext.h"

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
  const int seconds = secondsLeft % 60;
  return " " + std::to_string(secondsLeft / 60) + ":" + (seconds <= 9 ? "0" : "") +
         std::to_string(seconds);
}

int TestSeconds(int questionsToAsk, float minutesPerQuestion) {
  return static_cast<int>(RoundHalfEven(static_cast<double>(questionsToAsk) * minutesPerQuestion)) *
         60;
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
  const float elapsed = static_cast<float>(totalSeconds - in.SecondsLeft);
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

}  // namespace examora
