// The test window's core: which panel a question shows and what it holds, the answer entry
// (number rules, prefix and unit lists, recent units), and the marking of every kind. The Qt
// window binds its controls to this; `examora-cli sit` drives it without a window.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/module_examora.h"
#include "common/clock.h"
#include "common/prompter.h"
#include "common/random.h"
#include "platform/environment.h"
#include "results/progress.h"
#include "testfile/testfile.h"

namespace examora {

enum class Panel { kNumeric, kMultiSelect, kOneWord, kMatching, kMultipleChoice };

/// The panel of a question, by the first character of its text.
Panel PanelOf(std::string_view text);

/// A unit key starting "number" (any case) marks a question answered with a plain number.
bool IsPlainNumberKey(const std::string& key);

/// Captions of the 78 multi-select boxes (the `Check1` array), as the test file names them.
inline const std::array<std::string, kMultiSelectBoxes>& CheckBoxCaptions() {
  return MultiSelectCaptions();
}

/// What the window shows for the question on screen.
struct QuestionView {
  Panel panel = Panel::kMultipleChoice;
  std::string stem;                       // "Q3: ..." for lblStem
  bool unitsPanel = false;                // numeric: Frame_Units shown
  int boxes = 0;                          // multi-select boxes shown (0 to 77 from the first)
  int words = 0;                          // one-word boxes shown
  std::vector<std::string> matchPrompts;  // matching labels shown
  std::vector<std::string> options;       // multiple-choice captions shown (exam mode)
  int picked = 0;                         // the option drawn bold and set
  bool cmdSubmit = false;                 // the window's own MARK button (choice, multi-select)
  bool cmdSubmitEnabled = false;          // a choice needs an option picked first
  std::string focus;   // the control a keyboard user starts at: the first answer control, if any
  std::string notice;  // why the question offers nothing to answer (empty when it does)
};

/// What the question area says of a multiple-choice question in study mode, which shows no
/// options there.
inline constexpr const char* kChoiceNotAssessed =
    "Multiple-choice questions are not assessed in Study Mode, so their options are shown "
    "only in exam sittings. Work out your answer, then press Next.";

/// Colours as 0xRRGGBB.
inline constexpr std::uint32_t kDarkGreen = 0x008000, kTeal = 0x008080, kScoreBackground = 0x202020;

/// What the test window shows around the question, as data the window copies onto its
/// controls after every event.
struct TestWindowView {
  std::string caption;                       // the mode banner
  bool studyNotice = false;                  // lblStudyMode
  std::uint32_t chartBackground = kWhite;    // picResults: teal in study mode
  std::string compulsoryNotice;              // lblCompulsory
  bool endButton = true;                     // cmdQuit enabled
  bool stemDarkGreen = false;                // study mode; else the system's window-text colour
  std::string countdown;                     // lblCountdown
  bool countdownRed = false;                 // from 29 seconds left on
  bool redBoxBlinking = false;               // tmr_redbox
  std::string score;                         // lblScore
  std::uint32_t scoreColour = kLightYellow;  // lblScore and lblMark: green when passing
  std::uint32_t scoreBackground = kScoreBackground;  // dark, so both colours read
  std::vector<std::string> statisticsPhrases;        // picStatistics, breakable between them
  std::vector<ChartColumn> chart;                    // picResults
  bool answering = true;      // every confirm control, option and list acts; false once ended
  bool questionShown = true;  // the stem, options and MARK; the summary replaces them at the end
  bool quitAll = false;       // cmdQuitAll shown
  bool saveUsb = false, saveUsbEnabled = false;  // cmdSaveUSB shown, enabled
};

/// Contrast ratio of two colours (0xRRGGBB) by relative luminance, 1 to 21.
double ContrastRatio(std::uint32_t a, std::uint32_t b);

/// What the picture panel shows.
struct PictureView {
  bool graph = false;    // the graph panel instead of the browser
  std::string entry;     // the question's picture entry (line 2)
  std::string lblNoPic;  // the label's text
  std::string address;   // where the browser goes (empty for a graph)
};

/// The size a picture is shown at in a panel of `room`: whole, scaled down when it is larger
/// (keeping its proportions, never below one pixel), never enlarged.
std::array<int, 2> FitPicture(std::array<int, 2> picture, std::array<int, 2> room);

class DoTestModel {
 public:
  /// `env` names the user the end-of-test screen shows.
  DoTestModel(ModuleExamora& m, Prompter& prompter, Random& random, const Clock& clock,
              const Environment& env = ProcessEnvironment());

  // Per position (1 to QuestionsToAsk; index 0 unused).
  std::vector<int> QuestionState;       // below 8 open, 8 wrong, 9 right
  std::vector<int> Picked;              // option clicked; after marking an outcome number
  std::vector<std::string> ResultCode;  // "Z" until answered
  std::vector<float> StudentAnswer;
  int AnsweredCount = 0;

  // Answer entry
  std::string txtAnswer;
  int prefixPosition = 4;  // List1 position (4: no prefix)
  int unitPosition = -1;   // List2 position (-1: none)
  float theSolution = 0;
  std::string theBaseUnit;
  std::string lblUnits = "units?", lblUnitsLong, lblMultiplier;
  std::string lbltheSolution, lblTheBaseUnit;
  std::array<std::string, 11> RecentUnitText;
  std::array<std::array<int, 2>, 11> RecentUnitIndex{};  // prefix and unit list positions
  std::array<bool, 78> Check1{};
  std::array<std::string, 6> txtOneWord;
  std::array<std::string, 6> OneWordGiven;  // the typed words as last marked, stripped
  std::array<std::string, 12> txtMatch;
  std::string lowText, highText, hintLowText, hintHighText;  // bounds of the last check

  // The clock and the end of the test
  int SecondsLeft = 0;                 // from the window's set-up; wide, so long tests do not wrap
  ProgressFigures progress;            // the last BuildBars
  int TestEnded = 0;                   // 1 once the first EndtheTest has run
  bool saved = false;                  // SaveResults wrote the record (exam mode)
  std::vector<std::string> endScreen;  // the end-of-test screen's lines
  std::string ResultsLine;

  /// The window's own work around these routines: redrawing the chart and the statistics,
  /// freezing its controls at the end, the backup after each answer, and the spreadsheet
  /// probe (true when one is open). `SaveResults` saves outside study mode and tells whether
  /// the record was written.
  std::function<void()> onBuildBars, onEndtheTest, StartBackup, Backup;
  std::function<bool()> SaveResults, spreadsheetOpen;

  /// Everything around the question that the window shows now.
  TestWindowView WindowView() const;
  bool Ended() const { return TestEnded != 0; }

  /// Recomputes the progress figures and the score (and has the window redraw them).
  void BuildBars();
  /// One second of the clock; true when it ran out and ended the test.
  bool second_Tick();
  /// Ends the test: final figures and the end-of-test screen; saving happens only once.
  void EndtheTest();
  /// END (`cmdQuit`): asks "Quit the test now ?" with No as the default and ends the test on
  /// Yes. Does nothing once ended, nor in a compulsory exam (END is disabled there).
  void cmdQuit_Click();
  /// Closing the window. An exam sitting ends only as END would end it: asked first, and never
  /// while a compulsory test forbids leaving (that is said instead). A study sitting ends at
  /// once; an ended one shows its summary again.
  void Form_QueryUnload();

  int QuestionsToAsk() const { return m_.Bank.header.QuestionsToAsk; }
  int CurrentQuestion() const { return m_.CurrentQuestion; }

  /// The lines of the units list (List2) and the prefix list (List1).
  std::vector<std::string> UnitListLines() const;
  std::vector<std::string> PrefixListLines() const;

  QuestionView ShowQuestion();
  PictureView ShowPic(const std::string& testFolderName) const;
  /// Moves to the next open question in direction 1 or -1; false when none is open.
  bool GetNext(int direction);
  void opt_Click(int index);

  /// The number box's rule for a typed character (the box itself keeps every character, an
  /// invalid one too); false when it brought up the invalid-character box. Enter confirms.
  bool txtAnswer_KeyPress(char key);
  /// Confirms a numeric answer; false when a warning stopped it.
  bool cmdOK_Click(bool unitsPanelVisible);
  void List1_Click(int position);
  void List2_Click(int position);
  void updateUnits();
  void RecentUnits(const std::string& unitText);
  void ListRecent_Click(int position);
  bool cmd_OK3_Click();
  bool cmd_OK4_Click();

  /// Tests the typed number against `theSolution`; true when right.
  bool CheckAnswer();
  /// Marks the question on screen and moves the test on; false when nothing was marked (no
  /// option picked, or the test has ended).
  bool Submitter();

  /// The recent-units list's starting entry: "MPa" (prefix M, unit Pa).
  void SeedRecentUnits();
  /// The values drawn for variables a to f of the question at `position`.
  std::array<float, 6> VariableValues(int position) const;

 private:
  /// Whether the student may end the test before the last question.
  bool MayEndEarly() const;
  const QuestionBlock& BankBlock() const;
  double Multiplier() const;
  std::string DebugVariables() const;
  void Message(const std::string& title, const std::string& text);
  void MarkNumeric();
  void MarkChoice();
  void MarkMultiSelect();
  void MarkOneWord();
  void MarkMatching();
  void MoveOn();

  ModuleExamora& m_;
  Prompter& prompter_;
  Random& random_;
  const Clock& clock_;
  const Environment& env_;
  bool shownBefore_ = false;
  bool countdownRed_ = false;
};

}  // namespace examora
