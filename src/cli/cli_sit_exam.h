// examora-cli sit --save / --keeper: an exam sitting of a signed-in student whose records are
// kept by the record keeper (or, without one, by this process through the same code): the
// sitting is drawn, every answer marked and journalled, and the record saved on that side;
// this side shows what a student would see.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "cli/cli_common.h"
#include "engine/dotest.h"
#include "results/keeper_protocol.h"
#include "results/saving.h"

namespace examora::cli {

class ExamSitting {
 public:
  /// Signs the student of `--student` in (through the keeper with the password on the first
  /// line of `in` and the access code on the second, or from `--students` without one) and
  /// opens the sitting of the test in `testBytes`. Throws UsageError or a core error.
  ExamSitting(const Arguments& parsed, ModuleExamora& m, std::string_view testBytes,
              std::istream& in, std::ostream& err);

  /// The seed the sitting is drawn from.
  std::uint64_t Seed() const { return opened_.seed; }

  /// Replays the answers of a resumed sitting (printing what it did) and hooks the save into
  /// the end of the test.
  void Begin(DoTestModel& model, std::ostream& out);

  /// Hands an answer on screen to the records; false (with the reason) when refused.
  bool Confirm(DoTestModel& model, std::string& problem);

  /// Prints the save's outcome and "saved: " with the record; the exit code.
  int Report(std::ostream& out, std::ostream& err) const;

 private:
  ModuleExamora& m_;
  std::unique_ptr<SittingRecords> records_;
  OpenedSitting opened_;
  SaveOutcome outcome_;
  std::vector<std::string> messages_;  // the save's messages, for standard error
  bool saved_ = false;
};

}  // namespace examora::cli
