// The test clock and the progress figures: the countdown, the marks each result code earns,
// the score, the predicted mark and the one-line statistics report.
#pragma once

#include <cstdint>
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

/// "Whole minutes:seconds" with a blank in front of the minutes (" 1:15", " 0:09"); time past
/// the end reads " 0:00".
std::string CountdownText(int secondsLeft);

/// The seconds a test allows: its single-precision minutes (questions times minutes each)
/// rounded half to even, times 60; bounded to the longest sitting the clock runs.
int TestSeconds(float testMinutes);

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

/// The statistics line cut into the phrases that must not break inside ("Total minutes = 15",
/// " Start =09:00", ...): the window lets a line break only between them.
std::vector<std::string> StatisticsPhrases(const std::string& statisticsLine);

/// Colours, as 0xRRGGBB.
inline constexpr std::uint32_t kGreen = 0x00FF00, kRed = 0xFF0000, kWhite = 0xFFFFFF,
                               kGrey = 0xE0E0E0, kLightYellow = 0xFFFF80;

/// How one question's column of the progress chart is drawn.
enum class CellStyle { kFill, kHatch, kOutline };
struct ChartColumn {
  char letter = ' ';   // N, S, W, m; none for multiple choice
  bool split = false;  // numeric: the upper cell is the number, the lower one the units
  std::uint32_t upper = kWhite, lower = kWhite;
  CellStyle style = CellStyle::kFill;
  // A wrong cell is crossed as well as red, so colour is never the only sign of a result.
  bool upperCrossed = false, lowerCrossed = false;
  std::string spoken;  // the result in words, for screen readers ("right", "not done", ...)
};

/// The chart's columns for questions 1..n by kind (`questionTexts`) and result code.
std::vector<ChartColumn> ChartColumns(const std::vector<std::string>& questionTexts,
                                      const std::vector<std::string>& codes);

/// Where the columns go: as many to a row as stay readable (`minCellWidth` pixels each), the
/// rest on further rows, at most `maxRows` of them (narrower columns before more rows), so every
/// column stays inside the chart and the chart inside the window.
struct ChartGrid {
  int perRow = 1;
  int rows = 1;
  double cellWidth = 0;  // pixels
};
ChartGrid ChartLayout(int questions, int widthPixels, int minCellWidth, int maxCellWidth,
                      int maxRows);

/// The whole chart in words, one "Question i: result" phrase per column.
std::string ChartInWords(const std::vector<ChartColumn>& columns);

}  // namespace examora
