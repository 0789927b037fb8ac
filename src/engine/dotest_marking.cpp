// Marking (the numeric tolerance test and every kind's rules, with the message texts), the
// clock's tick and progress figures, and the end of the test.
#include <algorithm>

#include "common/numtext.h"
#include "common/text.h"
#include "engine/dotest.h"
#include "results/end_screen.h"
#include "results/saving.h"
#include "testfile/testfile.h"

namespace examora {
namespace {

constexpr const char* kBreak = "\r\n";

std::string Without(std::string text, std::string_view characters) {
  std::erase_if(text, [&](char c) { return characters.find(c) != std::string_view::npos; });
  return text;
}

}  // namespace

double DoTestModel::Multiplier() const {
  return LeadingNumber(
      m_.Units.PrefixTable[static_cast<std::size_t>(prefixPosition) + 1].multiplier);
}

bool DoTestModel::CheckAnswer() {
  const auto i = static_cast<std::size_t>(CurrentQuestion());
  StudentAnswer[i] = static_cast<float>(LeadingNumber(txtAnswer));
  if (IsPlainNumberKey(m_.Prepared.QuestionUnit[i])) prefixPosition = 4;
  const double m = Multiplier();
  const double solution = theSolution;
  const double d = solution / 100;
  float low = static_cast<float>((solution - d) / m);
  float high = static_cast<float>((solution + d) / m);
  if (high < low) std::swap(low, high);
  int figures = 4;
  float shown = low;
  lowText = FormatSF(shown, figures, &m_.Debugger);
  shown = high;
  highText = FormatSF(shown, figures, &m_.Debugger);
  const double q = solution / 4;
  const double spread1 = (q + 2 * q * random_.Next()) / 3;
  const double spread2 = (q + 2 * q * random_.Next()) / 3;
  float hintLow = static_cast<float>((solution - spread2) / m);
  float hintHigh = static_cast<float>((solution + spread1) / m);
  if (hintHigh < hintLow) std::swap(hintLow, hintHigh);
  hintLowText = FormatSF(hintLow, figures, &m_.Debugger);
  hintHighText = FormatSF(hintHigh, figures, &m_.Debugger);
  const float answer = StudentAnswer[i];
  return (low <= answer && answer <= high) || (answer == 0 && theSolution == 0);
}

std::string DoTestModel::DebugVariables() const {
  std::string text = std::string(kBreak) + kBreak + "Debug variables:";
  const auto values = VariableValues(CurrentQuestion());
  for (std::size_t n = 0; n < values.size(); ++n) {
    text += std::string(kBreak) + static_cast<char>('a' + n) + "= " + SpacedNumberSingle(values[n]);
  }
  return text;
}

void DoTestModel::Message(const std::string& title, const std::string& text) {
  prompter_.Message(title, text);
}

void DoTestModel::MarkNumeric() {
  const auto i = static_cast<std::size_t>(CurrentQuestion());
  const bool plain = IsPlainNumberKey(m_.Prepared.QuestionUnit[i]);
  std::string u;
  bool unitsRight = true;
  if (plain) {
    theSolution = m_.Prepared.Solution[i];
  } else {
    u = Trim(lblUnits);
    RecentUnits(u);
    unitsRight = unitPosition >= 0 &&
                 m_.Units.UnitTable[static_cast<std::size_t>(unitPosition) + 1].key == theBaseUnit;
    if (!unitsRight) prefixPosition = 4;
  }
  const bool right = CheckAnswer();
  const std::string exact = SpacedNumber(theSolution / Multiplier());
  const std::string outBy = "Sorry, you are out by more than 1%.";
  if (unitsRight && right) {
    QuestionState[i] = 9, Picked[i] = 9, ResultCode[i] = "Y";
  } else if (unitsRight) {
    QuestionState[i] = 8, Picked[i] = 7, ResultCode[i] = "U";
    if (m_.StudyMode) {
      Message("RIGHT UNITS, WRONG ANSWER", outBy + kBreak + "Lose 75% of marks" + kBreak +
                                               "Answer was SOMEWHERE between " + hintLowText + u +
                                               " and " + hintHighText + u);
    } else {
      Message(plain ? "WRONG ANSWER" : "RIGHT UNITS, WRONG ANSWER",
              outBy + kBreak + "Lose 75% of marks" + kBreak + "A correct answer was between " +
                  lowText + u + " and " + highText + u + kBreak + "Exact solution = " + exact + u +
                  DebugVariables());
    }
  } else if (right) {
    QuestionState[i] = 9, Picked[i] = 6, ResultCode[i] = "V";
    Message("WRONG UNITS, RIGHT ANSWER",
            std::string("Answer was correct but units were incompatible.") + kBreak +
                "The correct base unit was " + theBaseUnit + ", but you selected " + u + kBreak +
                "Lose 25% of marks");
  } else {
    QuestionState[i] = 8, Picked[i] = 8, ResultCode[i] = "X";
    const std::string head =
        std::string("Sorry, you are out by more than 1%, and units were wrong.") + kBreak +
        "Zero marks" + kBreak;
    if (m_.StudyMode) {
      Message("WRONG UNITS, WRONG ANSWER", head + "Answer was SOMEWHERE between " + hintLowText +
                                               " and " + hintHighText + " units. ");
    } else {
      Message("WRONG UNITS, WRONG ANSWER", head + "A correct answer was between " + lowText +
                                               theBaseUnit + " and " + highText + theBaseUnit +
                                               kBreak + "Exact solution = " + exact + theBaseUnit +
                                               DebugVariables());
    }
  }
}

void DoTestModel::MarkChoice() {
  const auto i = static_cast<std::size_t>(CurrentQuestion());
  const int picked = Picked[i];
  QuestionState[i] = picked == m_.Prepared.CorrectOption[i] ? 9 : 8;
  ResultCode[i] = std::string(1, static_cast<char>(64 + m_.Prepared.OptionOrder[i][picked]));
}

void DoTestModel::MarkMultiSelect() {
  const auto i = static_cast<std::size_t>(CurrentQuestion());
  const std::string expected = UpperAscii(BankBlock()[3]);
  std::string given;
  for (std::size_t b = 0; b < Check1.size(); ++b) {
    if (Check1[b]) given += CheckBoxCaptions()[b] + ",";
  }
  given = given.substr(0, expected.size());
  const bool right = given == expected;
  QuestionState[i] = right ? 9 : 8, Picked[i] = right ? 9 : 8, ResultCode[i] = right ? "Y" : "X";
  Check1.fill(false);
}

void DoTestModel::MarkOneWord() {
  const auto i = static_cast<std::size_t>(CurrentQuestion());
  QuestionState[i] = 9, ResultCode[i] = "Y";
  auto& accepted = m_.Prepared.OneWordAccept[i];
  for (int k = 1; k <= m_.Prepared.WordCount[i] && k <= 6; ++k) {
    std::string& typed = txtOneWord[static_cast<std::size_t>(k) - 1];
    const std::string& given = OneWordGiven[static_cast<std::size_t>(k) - 1] =
        Without(LowerAscii(typed), " -.,");
    bool match = false;
    auto& spellings = accepted[static_cast<std::size_t>(k)];
    for (std::size_t n = 1; n < spellings.size(); ++n) {
      spellings[n] = Without(LowerAscii(spellings[n]), " ");
      match = match || (!given.empty() && spellings[n] == given);
    }
    if (!match) QuestionState[i] = 8, ResultCode[i] = "X";
    typed.clear();
  }
}

void DoTestModel::MarkMatching() {
  const auto i = static_cast<std::size_t>(CurrentQuestion());
  const int count = std::min(m_.Prepared.MatchCount[i], 12);
  int equal = 0;
  for (int k = 1; k <= count; ++k) {
    if (UpperAscii(Trim(txtMatch[static_cast<std::size_t>(k) - 1])) ==
        m_.Prepared.MatchAnswer[i][static_cast<std::size_t>(k)]) {
      ++equal;
    }
  }
  const bool right = equal == count;
  QuestionState[i] = right ? 9 : 8, ResultCode[i] = right ? "Y" : "X";
  txtMatch.fill("");
}

bool DoTestModel::Submitter() {
  // Once the test has ended nothing is marked: the record and the summary are final.
  if (Ended()) return false;
  const auto i = static_cast<std::size_t>(CurrentQuestion());
  const Panel panel = PanelOf(m_.Prepared.QuestionText[i]);
  if (panel == Panel::kMultipleChoice && Picked[i] == 0) {
    // Not counted as an answer: the question stays open and must not end the test early.
    Message("Non Critical Error",
            "Marking an unselected M/C question " + SpacedNumber(CurrentQuestion()) +
                " with zero value selection: picked%() = " + SpacedNumber(Picked[i]));
    return false;
  }
  ++AnsweredCount;
  switch (panel) {
    case Panel::kNumeric:
      MarkNumeric();
      break;
    case Panel::kMultipleChoice:
      MarkChoice();
      break;
    case Panel::kMultiSelect:
      MarkMultiSelect();
      break;
    case Panel::kOneWord:
      MarkOneWord();
      break;
    case Panel::kMatching:
      MarkMatching();
      break;
  }
  MoveOn();
  return true;
}

// The one place that decides what follows a marked answer: the end of the test after the
// last one, else the next open question. The clock may have ended the test while a marking
// box was open; then nothing moves on.
void DoTestModel::MoveOn() {
  if (Ended()) return;
  BuildBars();
  if (AnsweredCount >= QuestionsToAsk()) {
    EndtheTest();
  } else {
    GetNext(1);
  }
  if (AnsweredCount == QuestionsToAsk() - 1 && m_.StudyMode && m_.ContinueAllowed) {
    Message("WARNING! CONTINUATION LIMIT",
            "If you want to save results for continuation, you must leave at least one question "
            "unanswered. (i.e. Press END now)");
  }
  if (StartBackup) StartBackup();
}

void DoTestModel::BuildBars() {
  if (!m_.StudyMode && spreadsheetOpen && spreadsheetOpen()) {
    prompter_.Message("WARNING. Excel detected.", "This exam does not permit Excel.",
                      MessageButtons::Ok, MessageIcon::Information);
  }
  ProgressInputs in;
  in.ResultCode = ResultCode;
  in.OptionCount = m_.Prepared.OptionCount;
  in.QuestionsToAsk = QuestionsToAsk();
  in.TestMinutes = m_.Bank.header.TestMinutes;
  in.PassMark = m_.Bank.header.PassMark;
  in.SecondsLeft = SecondsLeft;
  in.StartTimeText = m_.StartTimeText;
  in.EndTimeText = m_.EndTimeText;
  progress = examora::BuildBars(in, progress.MarkedCount);
  if (onBuildBars) onBuildBars();
}

bool DoTestModel::second_Tick() {
  if (Ended()) return false;
  if (SecondsLeft > 0) --SecondsLeft;
  BuildBars();
  if (SecondsLeft < 1) {
    EndtheTest();
    return true;
  }
  if (SecondsLeft < 30) countdownRed_ = true;  // and stays red
  return false;
}

// A compulsory exam cannot be left early; study sittings always can.
bool DoTestModel::MayEndEarly() const {
  return m_.StudyMode || !m_.Bank.header.Compulsory;
}

void DoTestModel::cmdQuit_Click() {
  if (Ended() || !MayEndEarly()) return;
  if (prompter_.Message("Quitting Test", "Quit the test now ?", MessageButtons::YesNo,
                        MessageIcon::Critical, MessageAnswer::No) == MessageAnswer::Yes) {
    EndtheTest();
  }
}

void DoTestModel::Form_QueryUnload() {
  if (Ended() || m_.StudyMode) {
    EndtheTest();
    return;
  }
  if (!MayEndEarly()) {
    prompter_.Message("Quitting Test", "COMPULSORY: You must do every question to finish.",
                      MessageButtons::Ok, MessageIcon::Critical);
    return;
  }
  cmdQuit_Click();
}

void DoTestModel::EndtheTest() {
  // A second ending (closing the window afterwards) shows again what the first one showed and
  // saved: the summary must keep matching the record.
  if (Ended()) {
    if (onEndtheTest) onEndtheTest();
    return;
  }
  BuildBars();
  const LocalDateTime now = clock_.Now();
  const ResultsFields fields = RecordFields(m_, progress.Score, progress.AnswerCodes, now);
  ResultsLine = ResultsRecord(fields, true);
  // The account's own name, as SetStudentPaths gives it: `UserName` still holds the computer's
  // name in a study sitting, and nothing at all in one run without the windows.
  endScreen =
      EndScreenLines({m_.StudyMode, m_.TestName, progress.AnswerCodes, fields.originalOrderCodes,
                      progress.Score, QuestionsToAsk(), FormatDate(now), m_.StudentId,
                      m_.StudentName, WindowsUserName(env_), ResultsLine});
  TestEnded = 1;
  if (!m_.StudyMode && SaveResults) saved = SaveResults();
  if (m_.StudyMode) endScreen.insert(endScreen.end(), {" ", " Press QUIT to end..."});
  if (onEndtheTest) onEndtheTest();
}

}  // namespace examora
