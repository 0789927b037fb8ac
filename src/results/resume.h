// Journalling confirmed answers and resuming an interrupted exam sitting from its journal:
// the same sitting prepared again from its seed, every journalled answer confirmed again
// through the test window's core, and the clock at the time that was left.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "engine/dotest.h"
#include "results/journal.h"

namespace examora {

/// The answer controls' values of the question on screen, taken just before it is confirmed.
JournalAnswer CaptureAnswer(const DoTestModel& model, const ModuleExamora& m);

/// Why captured answer values could not have come from the answer controls (a position, list
/// row, option or box that is not there, a field too long), or "" when they could.
std::string AnswerInputsProblem(const DoTestModel& model, const JournalAnswer& answer);

/// Shows the answer's question, enters the captured values and confirms them the way the
/// question's panel does (numeric OK, option then Submitter, boxes then Submitter, one-word
/// OK, matching OK). True when the question was marked.
bool ConfirmAnswer(DoTestModel& model, ModuleExamora& m, const JournalAnswer& answer);

/// Prepares a sitting of `m.Bank` in exam mode from a seed, as every journalled sitting is
/// prepared: the same seed gives the same questions, order, options and values.
void PrepareSeededSitting(ModuleExamora& m, std::uint64_t seed, Prompter& prompter);

/// Sets `StartTimeText` and `EndTimeText` of `m` to those of a sitting that started at
/// `started` (UTC seconds), however much later it is carried on.
void ShowSittingTimes(ModuleExamora& m, const Clock& clock, long long started);

/// The bank question asked at each position of the sitting `PrepareSeededSitting` prepares from
/// the seed (1-based, index 0 unused), without working out the questions.
std::vector<int> SeededQuestionOrder(const TestBank& bank, std::uint64_t seed);

/// How an exam sitting was opened by its records: the seed it is prepared from, the time to its
/// deadline, and the answers of an interrupted sitting that carries on.
struct ExamStart {
  std::uint64_t seed = 0;
  int secondsLeft = 0;
  std::optional<JournalContent> resume;
};

/// Enters one answer given as text (examora-cli's answer lines) on the question on screen.
using TextAnswerEntry = std::function<bool(DoTestModel&, ModuleExamora&, const std::string&)>;

/// Confirms every journalled answer again, in order; the clock is left to the caller, who has it
/// from the sitting's records. Call it on a fresh model of the re-prepared sitting, before any
/// window hook is attached (nothing is saved or journalled again). Throws FormatError when an
/// answer does not mark again (the journal does not fit the sitting).
void ReplayJournal(DoTestModel& model, ModuleExamora& m, const JournalContent& journal,
                   const TextAnswerEntry& enterText = {});

}  // namespace examora
