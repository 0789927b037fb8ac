#include "results/resume.h"

#include "common/error.h"
#include "common/numtext.h"
#include "results/saving.h"
#include "testfile/scrambler.h"

namespace examora {
namespace {

// Layout of a captured answer's inputs.
constexpr std::size_t kChecks = 4, kWords = 5, kMatches = kWords + 6, kInputs = kMatches + 12;

int Whole(const std::string& text) {
  return static_cast<int>(LeadingNumber(text));
}

// A whole number within [low, high] written as digits (a leading "-" allowed), or nothing.
bool InRange(const std::string& text, int low, int high) {
  const std::size_t digits = text.starts_with('-') ? 1 : 0;
  if (text.size() <= digits || text.size() > 6 ||
      text.find_first_not_of("0123456789", digits) != std::string::npos) {
    return false;
  }
  const int value = std::stoi(text);
  return value >= low && value <= high;
}

}  // namespace

JournalAnswer CaptureAnswer(const DoTestModel& model, const ModuleExamora& m) {
  const auto i = static_cast<std::size_t>(m.CurrentQuestion);
  JournalAnswer answer{m.CurrentQuestion, model.SecondsLeft, false, {}};
  std::string checks;
  for (const bool c : model.Check1) checks += c ? '1' : '0';
  answer.inputs = {model.txtAnswer, std::to_string(model.prefixPosition),
                   std::to_string(model.unitPosition), std::to_string(model.Picked[i]), checks};
  answer.inputs.insert(answer.inputs.end(), model.txtOneWord.begin(), model.txtOneWord.end());
  answer.inputs.insert(answer.inputs.end(), model.txtMatch.begin(), model.txtMatch.end());
  return answer;
}

std::string AnswerInputsProblem(const DoTestModel& model, const JournalAnswer& a) {
  if (a.position < 1 || a.position > model.QuestionsToAsk()) return "There is no such question.";
  const std::vector<std::string>& in = a.inputs;
  if (in.size() != kInputs) return "The answer does not hold the answer controls.";
  for (const auto& field : in) {
    if (field.size() > 256) return "An answer field is longer than any control holds.";
  }
  const int prefixes = static_cast<int>(model.PrefixListLines().size());
  const int units = static_cast<int>(model.UnitListLines().size());
  if (!InRange(in[1], 0, prefixes - 1) || !InRange(in[2], -1, units - 1) ||
      !InRange(in[3], 0, kMaxOptions) || in[kChecks].size() > model.Check1.size() ||
      in[kChecks].find_first_not_of("01") != std::string::npos) {
    return "The answer names a control that is not there.";
  }
  return {};
}

bool ConfirmAnswer(DoTestModel& model, ModuleExamora& m, const JournalAnswer& a) {
  const auto i = static_cast<std::size_t>(a.position);
  // Inputs come from the journal or, at the keeper, from a program it does not trust.
  if (!AnswerInputsProblem(model, a).empty()) return false;
  m.CurrentQuestion = a.position;
  model.ShowQuestion();
  const std::vector<std::string>& in = a.inputs;
  for (std::size_t b = 0; b < model.Check1.size() && b < in[kChecks].size(); ++b) {
    model.Check1[b] = in[kChecks][b] == '1';
  }
  for (std::size_t k = 0; k < model.txtOneWord.size(); ++k) model.txtOneWord[k] = in[kWords + k];
  for (std::size_t k = 0; k < model.txtMatch.size(); ++k) model.txtMatch[k] = in[kMatches + k];
  switch (PanelOf(m.Prepared.QuestionText[i])) {
    case Panel::kNumeric: {
      if (Whole(in[2]) >= 0) model.List2_Click(Whole(in[2]));
      model.List1_Click(Whole(in[1]));
      model.txtAnswer = in[0];
      model.cmdOK_Click(!IsPlainNumberKey(m.Prepared.QuestionUnit[i]));
      break;
    }
    case Panel::kMultipleChoice:
      model.opt_Click(Whole(in[3]));
      model.Submitter();
      break;
    case Panel::kMultiSelect:
      model.Submitter();
      break;
    case Panel::kOneWord:
      model.cmd_OK3_Click();
      break;
    case Panel::kMatching:
      model.cmd_OK4_Click();
      break;
  }
  return model.QuestionState[i] >= 8;
}

void ShowSittingTimes(ModuleExamora& m, const Clock& clock, long long started) {
  // Local time then: now, wound back by the time since (zone changes meanwhile aside).
  ManualClock then(clock.Now());
  then.Advance(-static_cast<double>(clock.UtcSeconds() - started));
  float startHour = 0;
  m.StartTimeText = GetStartTime(then.Now(), startHour);
  m.EndTimeText = GetEndTime(startHour, m.Bank.header.TestMinutes);
}

void PrepareSeededSitting(ModuleExamora& m, std::uint64_t seed, Prompter& prompter) {
  SeededRandom random(seed);
  FormulaContext context{&prompter, &m.Debugger, 0};
  m.Prepared = Scrambler(m.Bank, false, "", random, m.Formulas, context);
}

std::vector<int> SeededQuestionOrder(const TestBank& bank, std::uint64_t seed) {
  SeededRandom random(seed);
  return QuestionOrderOf(bank, false, random);
}

void ReplayJournal(DoTestModel& model, ModuleExamora& m, const JournalContent& journal,
                   const TextAnswerEntry& enterText) {
  for (const JournalAnswer& a : journal.answers) {
    bool marked = false;
    if (a.isText && enterText && !a.inputs.empty() && a.position >= 1 &&
        a.position <= model.QuestionsToAsk()) {
      m.CurrentQuestion = a.position;
      model.ShowQuestion();
      marked = enterText(model, m, a.inputs[0]) &&
               model.QuestionState[static_cast<std::size_t>(a.position)] >= 8;
    } else if (!a.isText) {
      marked = ConfirmAnswer(model, m, a);
    }
    if (!marked) {
      throw FormatError("The journalled answer to question " + std::to_string(a.position) +
                        " does not fit the sitting; the sitting was not resumed");
    }
  }
  // The time left is not the journal's to say: the sitting's records count it to its deadline.
  model.BuildBars();
}

}  // namespace examora
