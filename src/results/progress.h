// The test clock and the progress figures: the countdown, the marks each result code earns,
// the score, the predicted mark and the one-line statistics report.
#pragma once

#include <string>
#include <vector>

namespace examora {

/// What one result code earns (full mark 1).
struct CodeWeight {
  double mark = 0;
  double lost = 0;
  bool correct = false;
  bool unanswered = false;
};

/// The weight of a code; `optionCount` is the question's number of options (for a wrong
/// multiple-choice pick, which costs 1/(k-1) more than a blank).
CodeWeight WeightOf(const std::string& code, int optionCount);

/// "Whole minutes:seconds" with a blank in front of the minutes (" 1:15", " 0:09").
std::string CountdownText(int secondsLeft);

/// The seconds a test allows: its minutes rounded half to even, times 60. Kept in an int, so
/// tests longer than 546 minutes do not wrap.
int TestSeconds(int questionsToAsk, float minutesPerQuestion);

/// What `BuildBars` reads.
struct ProgressInputs {
  std::vector<std::string> ResultCode;  // 1..QuestionsToAsk (index 0 unused)
  std::vector<int> OptionCount;         // per position
  int QuestionsToAsk = 0;
  float TestMinutes = 0;
  float PassMark = 0;
  int SecondsLeft = 0;
  std::string StartTimeText, EndTimeText;
};

/// What `BuildBars` works out.
struct ProgressFigures {
  std::string AnswerCodes;
  int UnansweredCount = 0;
  int MarkedCount = 0;
  int allocated = 0, average = 0, future = 0;  // seconds per question (0: no value yet)
  double markSum = 0, marksLost = 0;
  int correct = 0;
  float Score = 0;       // percent, one decimal
  bool passing = false;  // Score above the pass mark (green), else light yellow
  int predicted = 0, possible = 0, lostPercentage = 0;  // 0 until a question is marked
  std::string statisticsLine;                           // picStatistics
};

/// Works out the figures; `previousMarkedCount` is what the last call left (the average time
/// uses it, as the window's clock does).
ProgressFigures BuildBars(const ProgressInputs& in, int previousMarkedCount);

}  // namespace examora
