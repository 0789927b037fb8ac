// examora-cli sit --save: an exam sitting of a signed-in student, journalled as it goes and
// resumed when an interrupted one is found, saved like the test window saves it.
#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "cli/cli_common.h"
#include "engine/do_test.h"
#include "results/journal.h"
#include "results/resume.h"
#include "results/saving.h"

namespace examora::cli {

/// Records the messages of a save and cancels its input boxes (a script cannot type).
class SavePrompter : public Prompter {
 public:
  std::vector<std::string> messages;

 protected:
  MessageAnswer ShowMessage(const std::string&, const std::string& text, MessageButtons,
                            MessageIcon, std::optional<MessageAnswer>) override {
    messages.push_back(text);
    return MessageAnswer::Ok;
  }
  std::optional<std::string> AskInput(const std::string&, const std::string& prompt,
                                      const std::string&) override {
    messages.push_back(prompt);
    return std::nullopt;
  }
  std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&,
                                            const std::string&) override {
    return std::nullopt;
  }
};

class ExamSitting {
 public:
  /// Signs the student of `--student` in from `--students` and looks for an interrupted
  /// sitting in the `--save` folder. Throws UsageError or a core error.
  ExamSitting(const Arguments& parsed, ModuleExamora& m, std::ostream& err);

  /// The seed of the interrupted sitting being resumed, if any.
  std::optional<std::uint64_t> ResumeSeed() const;

  /// Starts the journal (or resumes: replays its answers, printing what it did) and hooks the
  /// save into the end of the test.
  void Begin(DoTestModel& model, std::uint64_t seed, const TextAnswerEntry& enterText,
             std::ostream& out);

  /// Journals an answer line that was marked and rewrites the backup.
  void Journal(const DoTestModel& model, int position, const std::string& text);

  /// Prints the save's messages and "saved: " with the record; the exit code.
  int Report(std::ostream& out, std::ostream& err) const;

 private:
  ModuleExamora& m_;
  DiskResultsFileSystem files_;
  SavePrompter prompter_;
  PathMapper paths_;
  std::filesystem::path folder_;
  JournalKey key_{};
  ResumeCheck resume_;
  std::unique_ptr<SittingJournal> journal_;
  SaveOutcome outcome_;
  std::string lastBackupLine_;
  bool saved_ = false;
};

}  // namespace examora::cli
