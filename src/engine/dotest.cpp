#include "engine/dotest.h"

#include <algorithm>
#include <cmath>

#include "app/web_address.h"
#include "common/numtext.h"
#include "common/text.h"
#include "results/end_screen.h"
#include "testfile/testfile.h"

namespace examora {
namespace {

constexpr const char* kBreak = "\r\n";

}  // namespace

Panel PanelOf(std::string_view text) {
  switch (KindOf(text)) {
    case QuestionKind::kNumeric:
      return Panel::kNumeric;
    case QuestionKind::kMultiSelect:
      return Panel::kMultiSelect;
    case QuestionKind::kOneWord:
      return Panel::kOneWord;
    case QuestionKind::kMatching:
      return Panel::kMatching;
    case QuestionKind::kMultipleChoice:
      return Panel::kMultipleChoice;
  }
  return Panel::kMultipleChoice;
}

bool IsPlainNumberKey(const std::string& key) {
  return LowerAscii(key.substr(0, 6)) == "number";
}

DoTestModel::DoTestModel(ModuleExamora& m, Prompter& prompter, Random& random, const Clock& clock,
                         const Environment& env)
    : m_(m), prompter_(prompter), random_(random), clock_(clock), env_(env) {
  SecondsLeft = TestSeconds(m.Bank.header.TestMinutes);
  if (m.StartTimeText.empty()) {
    // Sittings opened without the selection window (sit, tests) start now.
    float startHour = 0;
    m.StartTimeText = GetStartTime(clock.Now(), startHour);
    m.EndTimeText = GetEndTime(startHour, m.Bank.header.TestMinutes);
  }
  const auto size = static_cast<std::size_t>(std::max(QuestionsToAsk(), 0)) + 1;
  QuestionState.assign(size, 0);
  Picked.assign(size, 0);
  ResultCode.assign(size, "Z");
  ResultCode[0].clear();
  StudentAnswer.assign(size, 0);
  LoadUnits(m_.Units);
  LoadPrefixes(m_.Units);
  SeedRecentUnits();
}

void DoTestModel::SeedRecentUnits() {
  int pa = -1;
  for (int u = 1; u <= m_.Units.UnitCount; ++u) {
    if (m_.Units.UnitTable[static_cast<std::size_t>(u)].symbol == "Pa") pa = u - 1;
  }
  RecentUnitText.fill("");
  RecentUnitIndex.fill({4, -1});
  RecentUnitText[0] = "MPa";
  RecentUnitIndex[0] = {6, pa};
}

std::array<float, 6> DoTestModel::VariableValues(int position) const {
  std::array<float, 6> values{};
  for (int n = 1; n <= 6; ++n)
    values[static_cast<std::size_t>(n) - 1] = m_.Formulas.Value(position, n);
  return values;
}

double ContrastRatio(std::uint32_t a, std::uint32_t b) {
  auto luminance = [](std::uint32_t rgb) {
    auto channel = [](std::uint32_t c) {
      const double v = c / 255.0;
      return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel((rgb >> 16) & 0xFF) + 0.7152 * channel((rgb >> 8) & 0xFF) +
           0.0722 * channel(rgb & 0xFF);
  };
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TestWindowView DoTestModel::WindowView() const {
  const TestHeader& h = m_.Bank.header;
  TestWindowView v;
  if (m_.StudyMode) {
    v.caption = m_.VersionText + "   |   STUDY MODE  (Not Recorded)    |      " +
                SpacedNumber(m_.TestNumber) + " " + m_.TestName;
    v.studyNotice = true;
    v.chartBackground = kTeal;
    v.stemDarkGreen = true;
  } else {
    v.caption = m_.VersionText + "  |  EXAM MODE (Recorded)  |   " + m_.StudentId + "   |   " +
                SpacedNumber(m_.TestNumber) + " " + m_.TestName +
                "   |   Pass Mark = " + SpacedNumberSingle(h.PassMark);
  }
  v.compulsoryNotice = h.Compulsory ? "COMPULSORY: You must do every question to finish."
                                    : "NON-COMPULSORY: You may leave questions out. ";
  v.answering = !Ended();
  v.questionShown = !Ended();
  v.endButton = v.answering && MayEndEarly();
  v.countdown = CountdownText(SecondsLeft);
  v.countdownRed = countdownRed_;
  v.redBoxBlinking = countdownRed_;  // once on, it blinks until the window closes
  v.score = FormatGeneralSingle(progress.Score);
  v.scoreColour = progress.passing ? kGreen : kLightYellow;
  v.statisticsPhrases = StatisticsPhrases(progress.statisticsLine);
  v.chart = ChartColumns(m_.Prepared.QuestionText, ResultCode);
  if (Ended()) {
    // QUIT always, so an ended sitting can be left. "Save to USB" too: in study mode enabled
    // when the test may be continued; in exam mode always, since after a save that missed a
    // file the end screen sends the student to it, and the USB copy may be all there is.
    v.quitAll = true;
    v.saveUsb = true;
    v.saveUsbEnabled = !m_.StudyMode || m_.ContinueAllowed;
  }
  return v;
}

std::vector<std::string> DoTestModel::UnitListLines() const {
  std::vector<std::string> lines;
  for (int u = 1; u <= m_.Units.UnitCount; ++u) {
    const UnitRow& row = m_.Units.UnitTable[static_cast<std::size_t>(u)];
    lines.push_back(row.prefixFlag == "1" ? "~" + row.symbol : row.symbol);
  }
  return lines;
}

std::vector<std::string> DoTestModel::PrefixListLines() const {
  std::vector<std::string> lines;
  for (std::size_t p = 1; p < m_.Units.PrefixTable.size(); ++p) {
    lines.push_back(m_.Units.PrefixTable[p].symbol);
  }
  return lines;
}

const QuestionBlock& DoTestModel::BankBlock() const {
  const int q = m_.Prepared.QuestionOrder[static_cast<std::size_t>(CurrentQuestion())];
  return m_.Bank.Questions[static_cast<std::size_t>(q)];
}

namespace {

// Where the keyboard starts on a question: its first answer control (the option already picked
// for a choice); none when the panel shows nothing to answer.
std::string FirstAnswerControl(const QuestionView& view) {
  switch (view.panel) {
    case Panel::kNumeric:
      return "txtAnswer";
    case Panel::kMultiSelect:
      return view.boxes > 0 ? "Check10" : "";
    case Panel::kOneWord:
      return view.words > 0 ? "txtOneWord0" : "";
    case Panel::kMatching:
      return view.matchPrompts.empty() ? "" : "txtMatch0";
    case Panel::kMultipleChoice:
      return view.options.empty() ? "" : "opt" + std::to_string(std::max(view.picked, 1));
  }
  return "";
}

}  // namespace

QuestionView DoTestModel::ShowQuestion() {
  BuildBars();
  const auto i = static_cast<std::size_t>(CurrentQuestion());
  const Sitting& s = m_.Prepared;
  const std::string& text = s.QuestionText[i];
  QuestionView view;
  view.panel = PanelOf(text);
  view.stem = "Q" + std::to_string(i) + ": " +
              (view.panel == Panel::kMultipleChoice ? text : text.substr(1));
  switch (view.panel) {
    case Panel::kNumeric:
      view.unitsPanel = !IsPlainNumberKey(s.QuestionUnit[i]);
      txtAnswer.clear();
      if (shownBefore_) prefixPosition = 4;
      unitPosition = -1;
      // Nothing of the last question's unit may look chosen on this one.
      lblUnits = "units?";
      lblUnitsLong.clear();
      lblMultiplier.clear();
      break;
    case Panel::kMultiSelect: {
      const std::string count = BankBlock()[4];
      view.boxes =
          count.size() <= 2 ? std::clamp(static_cast<int>(LeadingNumber(count)), 0, 78) : 0;
      break;
    }
    case Panel::kOneWord:
      view.words = s.WordCount[i];
      break;
    case Panel::kMatching:
      view.matchPrompts.assign(s.MatchPrompt[i].begin() + 1,
                               s.MatchPrompt[i].begin() + 1 + std::min(s.MatchCount[i], 12));
      break;
    case Panel::kMultipleChoice:
      if (!m_.StudyMode) {
        for (int k = 1; k <= s.OptionCount[i]; ++k) view.options.push_back(s.OptionText[i][k]);
        view.picked = Picked[i];
      } else {
        view.notice = kChoiceNotAssessed;
      }
      break;
  }
  view.cmdSubmit = view.panel == Panel::kMultiSelect || view.panel == Panel::kMultipleChoice;
  view.cmdSubmitEnabled =
      !Ended() && (view.panel == Panel::kMultiSelect || (view.cmdSubmit && view.picked > 0));
  view.focus = Ended() ? "" : FirstAnswerControl(view);
  shownBefore_ = true;
  return view;
}

std::array<int, 2> FitPicture(std::array<int, 2> picture, std::array<int, 2> room) {
  const auto [width, height] = picture;
  if (width <= 0 || height <= 0) return {0, 0};
  const double scale = std::min({1.0, std::max(room[0], 1) / static_cast<double>(width),
                                 std::max(room[1], 1) / static_cast<double>(height)});
  // Rounded: the side that limits comes out at exactly the room it has.
  return {std::max(1, static_cast<int>(std::lround(width * scale))),
          std::max(1, static_cast<int>(std::lround(height * scale)))};
}

PictureView DoTestModel::ShowPic(const std::string& testFolderName) const {
  PictureView view;
  view.entry = BankBlock()[2];
  const std::string lower = LowerAscii(view.entry);
  if (lower.find("graph[") != std::string::npos || lower.find("point[") != std::string::npos) {
    view.graph = true;
    return view;
  }
  const std::string placeholder = m_.WebBase + "info/No_Image_Required.html";
  if (view.entry.empty()) {
    view.lblNoPic = "No picture required";
    view.address = placeholder;
  } else if (m_.StudyMode && view.entry.find("/x_") != std::string::npos) {
    view.lblNoPic = "Exam images disabled in Study Mode";
    view.address = placeholder;
  } else {
    // A picture entry may not reach outside its test's own folder of the web folder.
    view.lblNoPic = view.entry;
    view.address =
        ResolveInTestFolder(m_.WebBase, testFolderName, view.entry).value_or(placeholder);
  }
  return view;
}

bool DoTestModel::GetNext(int direction) {
  const int n = QuestionsToAsk();
  if (std::none_of(QuestionState.begin() + 1, QuestionState.end(), [](int s) { return s < 8; })) {
    return false;
  }
  int& i = m_.CurrentQuestion;
  do {
    i += direction >= 0 ? 1 : -1;
    if (i > n) i = 1;
    if (i < 1) i = n;
  } while (QuestionState[static_cast<std::size_t>(i)] >= 8);
  return true;
}

void DoTestModel::opt_Click(int index) {
  if (Ended()) return;
  Picked[static_cast<std::size_t>(CurrentQuestion())] = index;
}

bool DoTestModel::txtAnswer_KeyPress(char key) {
  const bool accepted = (key >= '0' && key <= '9') || key == '+' || key == '-' || key == '.' ||
                        key == 'E' || key == 'e' || key == 13 || key == 8 || key == 27;
  if (!accepted) {
    Message("ERROR: Invalid character", "Valid characters are; 0 1 2 3 4 5 6 7 8 9 + - E e");
  }
  if (key == 13)
    cmdOK_Click(
        !IsPlainNumberKey(m_.Prepared.QuestionUnit[static_cast<std::size_t>(CurrentQuestion())]));
  return accepted;
}

bool DoTestModel::cmdOK_Click(bool unitsPanelVisible) {
  if (Ended()) return false;
  if (unitsPanelVisible && unitPosition < 0) {
    Message("WARNING! NO UNITS", std::string("Please select suitable units.") + kBreak +
                                     "Select (No Units) for dimenionsless numbers.");
    return false;
  }
  if (txtAnswer.empty()) {
    Message("WARNING! NO ANSWER", "Please type the answer.");
    return false;
  }
  return Submitter();
}

void DoTestModel::List2_Click(int position) {
  unitPosition = position;
  const UnitRow& unit = m_.Units.UnitTable[static_cast<std::size_t>(position) + 1];
  if (unit.prefixFlag == "0") prefixPosition = 4;
  const auto i = static_cast<std::size_t>(CurrentQuestion());
  theSolution = m_.Prepared.Solution[i];
  theBaseUnit = m_.Prepared.QuestionUnit[i];
  ConvertSolutionUnits(unit.key, m_.Prepared.Solution[i], theSolution, theBaseUnit);
  lbltheSolution = "theSolution = " + SpacedNumberSingle(theSolution);
  lblTheBaseUnit = "theBaseUnit = " + theBaseUnit;
  lblUnits = m_.Units.PrefixTable[static_cast<std::size_t>(prefixPosition) + 1].symbol;
  updateUnits();
}

void DoTestModel::List1_Click(int position) {
  prefixPosition = position;
  if (unitPosition < 0) {
    // A prefix may be picked first: it stays until the unit is chosen, which keeps it when the
    // unit takes one.
    lblUnits = "units?";
    return;
  }
  if (m_.Units.UnitTable[static_cast<std::size_t>(unitPosition) + 1].prefixFlag == "1") {
    updateUnits();
  } else {
    prefixPosition = 4;
  }
}

void DoTestModel::updateUnits() {
  if (unitPosition < 0) return;
  const PrefixRow& prefix = m_.Units.PrefixTable[static_cast<std::size_t>(prefixPosition) + 1];
  const UnitRow& unit = m_.Units.UnitTable[static_cast<std::size_t>(unitPosition) + 1];
  lblUnits = prefix.symbol + unit.symbol;
  lblUnitsLong = prefix.name + unit.longName;
  lblMultiplier = std::to_string(3 * prefixPosition - 12);
}

void DoTestModel::RecentUnits(const std::string& unitText) {
  for (int p = 0; p < 8; ++p) {
    if (RecentUnitText[static_cast<std::size_t>(p)] == unitText) return;
  }
  for (std::size_t p = 7; p >= 1; --p) {
    RecentUnitText[p] = RecentUnitText[p - 1];
    RecentUnitIndex[p] = RecentUnitIndex[p - 1];
  }
  RecentUnitText[0] = unitText;
  RecentUnitIndex[0] = {prefixPosition, unitPosition};
}

void DoTestModel::ListRecent_Click(int position) {
  const auto& [prefix, unit] = RecentUnitIndex[static_cast<std::size_t>(position)];
  if (unit < 0) return;  // an empty entry
  List2_Click(unit);
  List1_Click(prefix);
}

bool DoTestModel::cmd_OK3_Click() {
  if (Ended()) return false;
  if (m_.StudyMode) {
    Message("WARNING! STUDYMODE...", "Sorry, one-word questions are not assessed in StudyMode.");
    return false;
  }
  const int words = m_.Prepared.WordCount[static_cast<std::size_t>(CurrentQuestion())];
  for (int k = 0; k < words && k < 6; ++k) {
    if (txtOneWord[static_cast<std::size_t>(k)].empty()) {
      Message("WARNING! NO ANSWER", "Please type a one word answer.");
      return false;
    }
  }
  return Submitter();
}

bool DoTestModel::cmd_OK4_Click() {
  if (Ended()) return false;
  if (m_.StudyMode) {
    Message("WARNING! STUDYMODE...", "Sorry, Matching questions are not assessed in StudyMode.");
    return false;
  }
  return Submitter();
}

}  // namespace examora
