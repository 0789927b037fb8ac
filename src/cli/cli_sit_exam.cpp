#include "cli/cli_sit_exam.h"

#include <istream>
#include <ostream>

#include "app/students.h"
#include "common/error.h"
#include "common/text.h"
#include "platform/environment.h"
#include "results/resume.h"

namespace examora::cli {
namespace {

std::string TimeText(int seconds) {
  const int s = std::max(seconds, 0) % 60;
  return std::to_string(std::max(seconds, 0) / 60) + (s < 10 ? ":0" : ":") + std::to_string(s);
}

std::string InputLine(std::istream& in) {
  std::string line;
  std::getline(in, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

std::unique_ptr<SittingRecords> LocalFor(const Arguments& parsed, const std::string& number) {
  if (!parsed.Option("--students")) throw UsageError("--save needs --students FILE");
  SystemEnvironment env;
  std::vector<std::string> none;
  DeploymentSettings settings = LoadDeploymentSettings(none, env);
  if (auto key = parsed.Option("--journal-key")) settings.journalKeyFile = *key;
  LoadOrCreateJournalKey(settings.journalKeyFile);
  RecordsSetup setup;
  setup.folder = *parsed.Option("--save");
  setup.studentsFile = *parsed.Option("--students");
  setup.keyFile = settings.journalKeyFile;
  setup.adminPasswordFile = settings.adminPasswordFile;
  setup.keeper = false;
  setup.fileMode = 0666;
  if (auto seed = parsed.Option("--seed")) {
    setup.seed = static_cast<std::uint64_t>(NumberArgument(*seed, "--seed"));
  }
  static SystemClock clock;
  auto local = std::make_unique<LocalRecords>(setup, clock);
  local->service().AssumeStudent(number);
  return local;
}

}  // namespace

ExamSitting::ExamSitting(const Arguments& parsed, ModuleExamora& m, std::string_view testBytes,
                         std::istream& in, std::ostream& err)
    : m_(m) {
  if (!parsed.Flag("--exam") || !parsed.Option("--student")) {
    throw UsageError("--save and --keeper need --exam and --student NUMBER");
  }
  const std::string number = Trim(*parsed.Option("--student"));
  StudentRow student;
  std::string accessCode;
  if (parsed.Option("--keeper")) {
    std::string keeper = *parsed.Option("--keeper");
    if (keeper.empty()) keeper = kInstalledKeeper;
    auto client = std::make_unique<KeeperClient>(keeper);
    const std::string password = InputLine(in);
    accessCode = InputLine(in);
    student = client->SignIn(number, password);
    records_ = std::move(client);
  } else {
    records_ = LocalFor(parsed, number);
    student = static_cast<LocalRecords&>(*records_).service().Student();
  }
  // This side shows the student's name; the class list itself stays with the keeper.
  m.Students.rows = {{number, "", student.firstName, student.lastName}};
  m.StudentIndex = 1;
  m.StudentId = Trim(Trim(student.firstName) + " " + Trim(student.lastName));
  m.StudentName = number;
  opened_ = records_->Open(testBytes, accessCode);
  for (const auto& note : opened_.notes) err << "examora-cli: " << Cp1252ToUtf8(note) << '\n';
}

void ExamSitting::Begin(DoTestModel& model, std::ostream& out) {
  if (opened_.resumed) {
    JournalContent journal;
    journal.answers = opened_.answers;
    ReplayJournal(model, m_, journal);
    out << "resumed: " << opened_.answers.size() << " answers, time left "
        << TimeText(opened_.secondsLeft) << '\n';
  }
  model.SecondsLeft = std::min(model.SecondsLeft, opened_.secondsLeft);
  model.SaveResults = [this, &model] {
    const SaveReport report = records_->End();
    for (std::size_t i = 0; i < report.failed.size(); ++i) {
      const int number = i < report.errorNumbers.size() ? report.errorNumbers[i] : 75;
      messages_.push_back(SaveFailureText(number, report.failed[i]));
    }
    outcome_ = OutcomeOfSave(report.record, report.written, report.failed);
    // The screen shows the record as it was saved.
    model.ResultsLine = " " + report.record;
    if (!model.endScreen.empty()) model.endScreen.back() = model.ResultsLine;
    ShowSaveOutcome(model.endScreen, outcome_);
    model.endScreen.insert(model.endScreen.end(), outcome_.picSaveLines.begin(),
                           outcome_.picSaveLines.end());
    saved_ = true;
    return outcome_.Complete();
  };
}

bool ExamSitting::Confirm(DoTestModel& model, std::string& problem) {
  const JournalAnswer answer = CaptureAnswer(model, m_);
  AnswerVerdict verdict;
  try {
    verdict = records_->Answer(answer);
  } catch (const Refused& e) {
    problem = e.what();
    return false;
  }
  model.SecondsLeft = std::min(model.SecondsLeft, verdict.secondsLeft);
  if (!ConfirmAnswer(model, m_, answer)) {
    problem = "marked " + verdict.code + " by the record keeper, but not here";
    return false;
  }
  const auto i = static_cast<std::size_t>(answer.position);
  if (model.ResultCode[i] != verdict.code) {
    problem = "marked " + verdict.code + " by the record keeper, " + model.ResultCode[i] + " here";
  }
  return true;
}

int ExamSitting::Report(std::ostream& out, std::ostream& err) const {
  for (const auto& message : messages_) err << Cp1252ToUtf8(message) << '\n';
  if (!saved_ || !outcome_.Complete()) {
    std::string files;
    for (const auto& label : outcome_.failed) files += label;
    err << "examora-cli: the results were not saved in every file"
        << (files.empty() ? "" : " (not in:" + files + ")") << '\n';
    return 1;
  }
  out << "saved: " << Cp1252ToUtf8(outcome_.record) << '\n';
  return 0;
}

}  // namespace examora::cli
