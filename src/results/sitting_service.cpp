#include "results/sitting_service.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <thread>

#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/admin_password.h"
#include "common/numtext.h"
#include "common/text.h"
#include "engine/dotest.h"
#include "platform/files.h"
#include "results/resume.h"
#include "results/saving.h"
#include "testfile/access_code.h"

namespace examora {
namespace {

constexpr std::size_t kMaxTestBytes = std::size_t{16} << 20;

// Marking boxes are the program's to show; here they are only counted out.
class QuietPrompter : public Prompter {
 protected:
  MessageAnswer ShowMessage(const std::string&, const std::string& text, MessageButtons,
                            MessageIcon, std::optional<MessageAnswer>) override {
    last = text;
    return MessageAnswer::Ok;
  }
  std::optional<std::string> AskInput(const std::string&, const std::string&,
                                      const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> ChooseOpenFile(const std::string&, const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::string> ChooseSaveFile(const std::string&, const std::string&,
                                            const std::string&) override {
    return std::nullopt;
  }

 public:
  std::string last;
};

std::string JournalName(const std::string& base) {
  return std::string(kJournalsFolder) + "/" + base + "journal.txt";
}
std::string HeadName(const std::string& base) {
  return JournalName(base) + ".head";
}
std::string LockName(const std::string& base) {
  return std::string(kJournalsFolder) + "/" + base + ".lock";
}
std::string ExtraName(const std::string& base) {
  return std::string(kJournalsFolder) + "/" + base + "extra.txt";
}
std::string TrustedName(const std::string& fingerprint) {
  return std::string(kTrustedFolder) + "/" + fingerprint.substr(fingerprint.find(':') + 1) + ".eqb";
}

std::string ResultsFileName(const std::string& label, const ResultsFields& fields) {
  if (label == kStudentFileStep) return fields.studentNumber + ".txt";
  if (label == kMasterFileStep) return "masterfile.txt";
  return "subject_files/" + std::to_string(fields.testNumber) + ".txt";
}

// The record's first two fields name its files: test number and student number.
ResultsFields FieldsOfRecord(const std::string& record) {
  ResultsFields fields;
  const auto items = SplitItems(record);
  if (items.size() >= 2) {
    fields.testNumber = static_cast<int>(LeadingNumber(items[0]));
    fields.studentNumber = items[1];
  }
  return fields;
}

bool HoldsLine(const std::optional<std::string>& text, const std::string& line) {
  if (!text) return false;
  for (const auto& held : SplitLines(*text)) {
    if (held == line) return true;
  }
  return false;
}

// A UTC time in the computer's own zone, by a strftime pattern.
std::string LocalText(long long utc, const char* pattern) {
  const std::time_t t = static_cast<std::time_t>(utc);
  std::tm local{};
  localtime_r(&t, &local);
  char text[32];
  std::strftime(text, sizeof text, pattern, &local);
  return text;
}

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return "another computer";
  return name;
}

// The teacher's extensions of a sitting: sealed lines numbered from 1, each bound to the
// sitting, so none can be copied to another sitting or repeated.
std::string ExtraSealText(const std::string& base, const SittingIdentity& id,
                          const std::string& payload) {
  return "extra\n" + base + "\n" + std::to_string(id.started) + "\n" + payload;
}

// Reads the extensions up to the first line that does not verify, and counts them.
int ExtraSeconds(const ResultsFolder& folder, const JournalKey& key, const std::string& base,
                 const SittingIdentity& id, int* count = nullptr) {
  const auto text = folder.Read(ExtraName(base), 1 << 20);
  int seconds = 0, n = 0;
  for (const auto& line : text ? SplitLines(*text) : std::vector<std::string>()) {
    const std::size_t tab = line.rfind('\t');
    if (tab == std::string::npos) break;
    const std::string payload = line.substr(0, tab);
    if (SealText(key, ExtraSealText(base, id, payload)) != line.substr(tab + 1)) break;
    const auto fields = SplitAt(payload, '\t');
    if (fields.size() != 4 || fields[0] != "X" || fields[1] != std::to_string(n + 1)) break;
    const double add = LeadingNumber(fields[2]);
    if (!(add > 0 && add <= 86400)) break;
    seconds += static_cast<int>(add);
    ++n;
  }
  if (count != nullptr) *count = n;
  return seconds;
}

long long Deadline(const ResultsFolder& folder, const JournalKey& key, const std::string& base,
                   const SittingIdentity& id) {
  return id.started + id.totalSeconds + ExtraSeconds(folder, key, base, id);
}

std::optional<JournalContent> ReadSittingJournal(ResultsFolder& folder, const JournalKey& key,
                                                 const std::string& base) {
  const auto text = folder.Read(JournalName(base), std::size_t{4} << 20);
  if (!text) return std::nullopt;
  JournalContent content = ParseJournal(*text, folder.Read(HeadName(base), 4096), key,
                                        (folder.path() / JournalName(base)).string());
  if (!content.note.empty()) {
    // An entry cut off by a kill is cut away, so the next one starts on a whole line.
    if (const int error =
            folder.ReplaceFile(JournalName(base), text->substr(0, text->rfind("\r\n") + 2))) {
      throw FileError("Cannot repair the journal \"" +
                      (folder.path() / JournalName(base)).string() + "\": " + std::strerror(error));
    }
    content.note.clear();
  }
  return content;
}

}  // namespace

const std::vector<std::string>& ResultsFileLabels() {
  static const std::vector<std::string> labels = {kStudentFileStep, kMasterFileStep,
                                                  kSubjectFileStep};
  return labels;
}

std::string Sha256Hex(std::string_view bytes) {
  unsigned char out[crypto_hash_sha256_BYTES];
  crypto_hash_sha256(out, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
  char hex[sizeof out * 2 + 1];
  sodium_bin2hex(hex, sizeof hex, out, sizeof out);
  return hex;
}

std::string TestFingerprint(std::string_view testBytes) {
  TestBank bank;
  try {
    bank = LoadTestText(testBytes, "the test");
  } catch (const Error& e) {
    throw Refused(e.what());
  }
  std::string lines;
  for (const auto& line : TestLines(bank)) lines += line + "\r\n";
  return Sha256Hex(lines);
}

std::string SittingBaseName(const std::string& studentNumber, int testNumber) {
  return studentNumber + "_" + std::to_string(testNumber);
}

struct SittingState {
  ModuleExamora m;
  QuietPrompter prompter;
  SeededRandom random{1};
  std::unique_ptr<DoTestModel> model;
  std::unique_ptr<SittingJournal> journal;
  FolderLock lock;
  std::string base;
  SittingIdentity identity;
  std::map<std::string, long long> appending;  // from the journal, when completing a save
  bool endWanted = false;  // the model ended itself: save once the answer is journalled
  bool recordSaved = false;
  bool backupDue = false;
  std::string lastBackup;
  SaveReport report;
};

namespace {

// What completing a sitting needs besides the sitting.
struct Records {
  ResultsFolder& folder;
  const JournalKey& key;
  const Clock& clock;
  const RecordsSetup& setup;
  std::function<void(std::chrono::milliseconds)> wait;
};

void Step(const Records& r, const std::string& step) {
  if (r.setup.afterStep) r.setup.afterStep(step);
}

SaveReport SaveRecord(const Records& r, SittingState& s, bool recovering) {
  const ResultsFields fields = FieldsOfRecord(s.report.record);
  s.report.failed.clear();
  s.report.errorNumbers.clear();
  for (const auto& label : ResultsFileLabels()) {
    if (std::find(s.report.written.begin(), s.report.written.end(), label) !=
        s.report.written.end()) {
      continue;
    }
    const std::string name = ResultsFileName(label, fields);
    int error = 0;
    // After a kill between the append and its note the line may be there already: only after
    // the size the file had when this sitting's append began (another sitting of the same
    // student and test may have left the very same line before it).
    const auto from = s.appending.find(label);
    const bool there =
        recovering && from != s.appending.end() &&
        HoldsLine(r.folder.ReadFrom(name, from->second, std::size_t{1} << 20), s.report.record);
    if (!there) {
      try {
        s.journal->Appending(label, std::max(0LL, r.folder.Size(name)));
      } catch (const FileError&) {
        error = EIO;  // without the note a kill could not tell whether the line went in
      }
    }
    if (!there && error == 0) {
      for (int attempt = 0;; ++attempt) {
        error = r.folder.AppendLine(name, s.report.record);
        if (error != EWOULDBLOCK || attempt >= r.setup.busyRetries) break;
        r.wait(r.setup.busyRetryDelay);
      }
    }
    if (error != 0) {
      s.report.failed.push_back(label);
      s.report.errorNumbers.push_back(ErrorNumber(error));
      continue;
    }
    Step(r, "appended" + label);
    s.report.written.push_back(label);
    try {
      s.journal->Written(label);
    } catch (const FileError&) {
      // The record is in the file; a journal that could not say so is checked against the
      // file itself next time, so nothing is written twice and the save stands.
    }
    Step(r, "noted" + label);
  }
  s.recordSaved = s.report.Complete();
  return s.report;
}

void EndAndSave(const Records& r, SittingState& s) {
  if (!s.model->Ended()) {
    const long long left = Deadline(r.folder, r.key, s.base, s.identity) - r.clock.UtcSeconds();
    s.model->SecondsLeft = static_cast<int>(std::clamp<long long>(left, 0, 1 << 30));
    s.model->EndtheTest();
  }
  if (s.report.record.empty()) {
    s.model->BuildBars();
    const ResultsFields fields =
        RecordFields(s.m, s.model->progress.Score, s.model->progress.AnswerCodes, r.clock.Now());
    s.report.record = ResultsRecord(fields);
    s.journal->Finish(s.report.record);
    Step(r, "ended");
  }
  SaveRecord(r, s, false);
}

// Signs the journal's own student into a sitting's module, from the class list.
void SignInFromList(ModuleExamora& m, const StudentsTable& students, const std::string& number) {
  m.Students = students;
  for (std::size_t i = 0; i < students.rows.size(); ++i) {
    m.StudentIndex = static_cast<int>(i) + 1;
    if (RecordStudentNumber(m) == number) {
      const StudentRow& row = students.rows[i];
      m.StudentId = Trim(Trim(row.firstName) + " " + Trim(row.lastName));
      m.StudentName = row.number;
      return;
    }
  }
  m.StudentIndex = 0;
}

// An earlier journal of a student and test that no keeper holds: a finished one gets its missing
// files completed; an interrupted one whose time has run out is saved as it stood. With `keep`,
// the journal is then kept under its start time, out of the way of a new sitting. Returns what
// was done ("" for nothing); throws Refused when it cannot be completed.
std::string CompleteEarlier(const Records& r, const StudentsTable& students,
                            const std::string& base, bool keep) {
  auto content = ReadSittingJournal(r.folder, r.key, base);
  if (!content) return {};
  std::string done;
  SittingState earlier;
  earlier.base = base;
  earlier.identity = content->identity;
  if (!content->finished) {
    if (r.clock.UtcSeconds() < Deadline(r.folder, r.key, base, content->identity)) return {};
    const auto trusted = r.folder.Read(TrustedName(content->identity.bankFingerprint));
    if (!trusted) {
      throw Refused(
          "The interrupted sitting cannot be completed here (its test is no longer "
          "available); ask the teacher.");
    }
    earlier.m.Bank = LoadTestText(*trusted, "the test");
    earlier.m.TestNumber = content->identity.testNumber;
    earlier.m.TestName = content->identity.testName;
    SignInFromList(earlier.m, students, content->identity.studentNumber);
    PrepareSeededSitting(earlier.m, content->identity.seed, earlier.prompter);
    earlier.model =
        std::make_unique<DoTestModel>(earlier.m, earlier.prompter, earlier.random, r.clock);
    ReplayJournal(*earlier.model, earlier.m, *content);
    earlier.journal =
        std::make_unique<SittingJournal>(r.folder, JournalName(base), r.key, *content);
    earlier.model->SaveResults = [] { return true; };
    EndAndSave(r, earlier);
    done = "ran out of time and was saved as it stood";
  } else if (content->written.size() < ResultsFileLabels().size()) {
    earlier.journal =
        std::make_unique<SittingJournal>(r.folder, JournalName(base), r.key, *content);
    earlier.report.record = content->record;
    earlier.report.written = content->written;
    earlier.appending = content->appending;
    SaveRecord(r, earlier, true);
    done = "was saved";
  }
  if (!earlier.report.failed.empty()) {
    throw Refused("The earlier sitting could not be saved yet (" +
                  Trim(earlier.report.failed.front()) + "); ask the teacher.");
  }
  if (keep) {
    // Named by its start and a random part: two sittings started in one second keep both.
    unsigned char random[4];
    randombytes_buf(random, sizeof random);
    char hex[sizeof random * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, random, sizeof random);
    const std::string kept = std::string(kJournalsFolder) + "/" + base + "journal-" +
                             std::to_string(content->identity.started) + "-" + hex + ".txt";
    r.folder.Rename(HeadName(base), kept + ".head");
    if (const int error = r.folder.Rename(JournalName(base), kept)) {
      throw Refused(std::string("The earlier sitting's journal could not be kept: ") +
                    std::strerror(error));
    }
  }
  return done;
}

}  // namespace

SittingService::SittingService(const RecordsSetup& setup, const Clock& clock)
    : setup_(setup), clock_(clock) {
  if (sodium_init() < 0) throw Error("the cryptography library could not start");
  folder_ = std::make_unique<ResultsFolder>(setup.folder, setup.fileMode);
  if (const int error = folder_->MakeFolder(kJournalsFolder)) {
    throw FileError("Cannot make the journals folder in \"" + setup.folder.string() +
                    "\": " + std::strerror(error));
  }
  key_ = ReadJournalKey(setup.keyFile);
  students_ = ReadStudentsCrypt(setup.studentsFile);
}

SittingService::~SittingService() = default;

void SittingService::Wait(std::chrono::milliseconds delay) const {
  if (sleep) {
    sleep(delay);
  } else {
    std::this_thread::sleep_for(delay);
  }
}

std::function<void(std::chrono::milliseconds)> SittingService::Waiter() const {
  return [this](std::chrono::milliseconds delay) { Wait(delay); };
}

// A student could kill a keeper still waiting after a wrong guess and try again at once, so
// every attempt on a name is stamped before it is checked: a second one within the pause, or
// one while another is being checked, is refused unchecked. A right one clears the stamp.
bool SittingService::AttemptAllowed(const std::string& name, bool succeeded) {
  const std::string file = std::string(kJournalsFolder) + "/" + name + ".attempt";
  const FolderLock lock = folder_->Lock(file);
  if (!lock.held()) return false;
  const long long now = clock_.UtcSeconds();
  char text[32] = {};
  const ssize_t got = ::pread(lock.fd(), text, sizeof text - 1, 0);
  const long long last = got > 0 ? std::atoll(text) : 0;
  // Whole seconds: more than the pause in them is at least the pause in time.
  const auto pause = std::chrono::duration_cast<std::chrono::seconds>(setup_.wrongPasswordDelay);
  const bool allowed = succeeded || last == 0 || now - last > pause.count() || now < last;
  // A refused try leaves the stamp as it was, so trying again and again blocks nobody for longer.
  if (!allowed) return false;
  const std::string stamp = succeeded ? "0" : std::to_string(now);
  return ::ftruncate(lock.fd(), 0) == 0 &&
         ::pwrite(lock.fd(), stamp.data(), stamp.size(), 0) == static_cast<ssize_t>(stamp.size()) &&
         ::fsync(lock.fd()) == 0;
}

void SittingService::SignIn(const std::string& number, const std::string& password) {
  if (studentRow_ != 0) throw Refused("A student has already signed in.");
  const std::string typed = Trim(number);
  const bool nine = typed.size() == 9 && typed.find_first_not_of("0123456789") == std::string::npos;
  const int row = nine ? FindStudent(students_, typed) : 0;
  const StudentRow none{};
  const bool allowed = nine && AttemptAllowed("signin-" + typed, false);
  const bool right = allowed && row > 0 && PasswordMatches(students_.rows[row - 1], password);
  if (!right) {
    Wait(setup_.wrongPasswordDelay);
    throw Refused("The student number or the password is not right. Please try again.");
  }
  AttemptAllowed("signin-" + typed, true);
  studentRow_ = row;
}

void SittingService::AssumeStudent(const std::string& number) {
  if (setup_.keeper) throw Refused("A keeper signs students in only with their password.");
  studentRow_ = FindStudent(students_, Trim(number));
  if (studentRow_ == 0) throw Refused("Student number " + number + " is not in the class list.");
}

const StudentRow& SittingService::Student() const {
  RequireSignedIn();
  return students_.rows[static_cast<std::size_t>(studentRow_) - 1];
}

void SittingService::RequireSignedIn() const {
  if (studentRow_ == 0) throw Refused("No student has signed in.");
}

SittingState& SittingService::RequireSitting() const {
  RequireSignedIn();
  if (!sitting_) throw Refused("No sitting is open.");
  return *sitting_;
}

OpenedSitting SittingService::Open(std::string_view bytes, const std::string& accessCode) {
  RequireSignedIn();
  if (sitting_) throw Refused("A sitting is already open.");
  if (bytes.size() > kMaxTestBytes) throw Refused("The test is larger than any test can be.");
  const std::string fingerprint = "sha256:" + TestFingerprint(bytes);
  const auto trusted = folder_->Read(TrustedName(fingerprint), kMaxTestBytes);
  if (setup_.keeper && !trusted) {
    throw Refused("This test has not been approved for exams in this room; ask the teacher.");
  }
  if (setup_.keeper && !AccessCodeAccepted(accessCode, clock_.Now())) {
    throw Refused("The access code is not right; ask the teacher for the current one.");
  }
  TestBank bank;
  try {
    bank = LoadTestText(bytes, "the test");
  } catch (const Error& e) {
    throw Refused(e.what());
  }
  if (!trusted) {
    folder_->MakeFolder(kTrustedFolder);
    folder_->ReplaceFile(TrustedName(fingerprint), bytes);  // so it can be completed later
  }
  auto s = std::make_unique<SittingState>();
  const StudentRow& student = Student();
  s->m.Bank = std::move(bank);
  s->m.TestNumber = static_cast<int>(LeadingNumber(s->m.Bank.testNumber));
  s->m.TestName = s->m.Bank.testName;
  s->m.Students = students_;
  s->m.StudentIndex = studentRow_;
  s->m.StudentId = Trim(Trim(student.firstName) + " " + Trim(student.lastName));
  s->m.StudentName = student.number;
  s->m.StudyMode = false;
  s->base = SittingBaseName(RecordStudentNumber(s->m), s->m.TestNumber);
  s->lock = folder_->Lock(LockName(s->base));
  if (!s->lock.held()) {
    const auto since = folder_->Read(LockName(s->base), 256).value_or("");
    throw Refused("This test is already open for you elsewhere" +
                  (since.empty() ? std::string() : " (" + Trim(since) + ")") +
                  "; close it there first.");
  }
  OpenedSitting opened;
  const std::string since =
      "since " + LocalText(clock_.UtcSeconds(), "%H:%M on %d/%m/%Y") + " on " + HostName();
  if (::ftruncate(s->lock.fd(), 0) == 0) {
    [[maybe_unused]] const auto n = ::pwrite(s->lock.fd(), since.data(), since.size(), 0);
  }
  std::optional<JournalContent> earlier;
  try {
    earlier = ReadSittingJournal(*folder_, key_, s->base);
  } catch (const FormatError& e) {
    const std::string aside =
        JournalName(s->base) + ".damaged-" + std::to_string(clock_.UtcSeconds());
    folder_->Rename(JournalName(s->base), aside);
    opened.notes.push_back(std::string(e.what()) + "; it was set aside for the teacher.");
  }
  const auto now = clock_.UtcSeconds();
  if (earlier && !earlier->finished && now < Deadline(*folder_, key_, s->base, earlier->identity)) {
    if (earlier->identity.bankFingerprint != fingerprint) {
      throw Refused(
          "Your interrupted sitting of this test used an earlier version of it; ask the "
          "teacher.");
    }
    PrepareSeededSitting(s->m, earlier->identity.seed, s->prompter);
    ShowSittingTimes(s->m, clock_, earlier->identity.started);
    s->model = std::make_unique<DoTestModel>(s->m, s->prompter, s->random, clock_);
    ReplayJournal(*s->model, s->m, *earlier);
    s->identity = earlier->identity;
    s->journal = std::make_unique<SittingJournal>(*folder_, JournalName(s->base), key_, *earlier);
    s->journal->headEveryEntry = !setup_.keeper;
    opened.resumed = true;
    opened.seed = s->identity.seed;
    opened.answers = earlier->answers;
  } else {
    if (earlier) {
      const std::string done = CompleteEarlier(Records{*folder_, key_, clock_, setup_, Waiter()},
                                               students_, s->base, true);
      if (!done.empty()) opened.notes.push_back("Your earlier sitting of this test " + done + ".");
    }
    unsigned char random[8];
    randombytes_buf(random, sizeof random);
    std::uint64_t seed = 0;
    for (const unsigned char b : random) seed = (seed << 8) | b;
    seed &= (std::uint64_t{1} << 53) - 1;
    if (!setup_.keeper && setup_.seed) seed = *setup_.seed;
    PrepareSeededSitting(s->m, seed, s->prompter);
    s->model = std::make_unique<DoTestModel>(s->m, s->prompter, s->random, clock_);
    s->identity = {
        RecordStudentNumber(s->m), s->m.TestNumber, s->m.TestName, fingerprint, seed, now,
        s->model->SecondsLeft};
    s->journal =
        std::make_unique<SittingJournal>(*folder_, JournalName(s->base), key_, s->identity);
    s->journal->headEveryEntry = !setup_.keeper;
    opened.seed = seed;
  }
  SittingState& sitting = *s;
  sitting.model->SaveResults = [&sitting] {
    sitting.endWanted = true;
    return true;
  };
  sitting_ = std::move(s);
  // Killed after its last answer was journalled: it ended then, and is saved now.
  if (sitting.model->Ended())
    EndAndSave(Records{*folder_, key_, clock_, setup_, Waiter()}, sitting);
  opened.secondsLeft = SecondsLeft();
  opened.started = sitting_->identity.started;
  return opened;
}

bool SittingService::HasInterruptedSitting(int testNumber) const {
  RequireSignedIn();
  ModuleExamora m;
  m.Students = students_;
  m.StudentIndex = studentRow_;
  const std::string base = SittingBaseName(RecordStudentNumber(m), testNumber);
  std::optional<JournalContent> earlier;
  try {
    earlier = ReadSittingJournal(*folder_, key_, base);
  } catch (const FormatError&) {
    return false;  // a damaged journal is set aside when the test is opened, not carried on
  }
  return earlier && !earlier->finished &&
         clock_.UtcSeconds() < Deadline(*folder_, key_, base, earlier->identity);
}

int SittingService::SecondsLeft() const {
  const SittingState& s = RequireSitting();
  const long long left = Deadline(*folder_, key_, s.base, s.identity) - clock_.UtcSeconds();
  return static_cast<int>(std::clamp<long long>(left, 0, 1 << 30));
}

AnswerVerdict SittingService::Answer(const JournalAnswer& given) {
  SittingState& s = RequireSitting();
  if (s.model->Ended()) throw Refused("The sitting has ended; nothing more is marked.");
  const int left = SecondsLeft();
  if (left <= 0) {
    EndAndSave(Records{*folder_, key_, clock_, setup_, Waiter()}, s);
    throw Refused("The time is up; this answer was not accepted.");
  }
  const auto i = static_cast<std::size_t>(given.position);
  if (given.position < 1 || given.position > s.model->QuestionsToAsk()) {
    throw Refused("There is no question " + std::to_string(given.position) + ".");
  }
  if (s.model->QuestionState[i] >= 8) {
    throw Refused("Question " + std::to_string(given.position) + " is already marked.");
  }
  if (const std::string problem = AnswerInputsProblem(*s.model, given); !problem.empty()) {
    throw Refused(problem);
  }
  JournalAnswer answer = given;
  answer.secondsLeft = left;
  answer.isText = false;
  s.model->SecondsLeft = left;
  s.prompter.last.clear();
  if (!ConfirmAnswer(*s.model, s.m, answer)) {
    throw Refused(s.prompter.last.empty() ? "Nothing was marked." : s.prompter.last);
  }
  // Durable before the verdict leaves: a crash from here on keeps this answer.
  s.journal->Append(answer);
  s.backupDue = true;
  if (setup_.afterStep) setup_.afterStep("answer");
  AnswerVerdict verdict{s.model->ResultCode[i], s.model->QuestionState[i], left, false};
  if (s.endWanted) {
    EndAndSave(Records{*folder_, key_, clock_, setup_, Waiter()}, s);
    verdict.ended = true;
  }
  return verdict;
}

SaveReport SittingService::End() {
  SittingState& s = RequireSitting();
  EndAndSave(Records{*folder_, key_, clock_, setup_, Waiter()}, s);
  return s.report;
}

void SittingService::Idle() {
  if (!sitting_ || !sitting_->backupDue) return;
  SittingState& s = *sitting_;
  s.backupDue = false;
  const ResultsFields fields =
      RecordFields(s.m, s.model->progress.Score, s.model->progress.AnswerCodes, clock_.Now());
  const std::string record = ResultsRecord(fields);
  if (record == s.lastBackup) return;
  if (folder_->ReplaceFile(fields.studentNumber + "temp.txt", record + "\r\n") == 0) {
    s.lastBackup = record;
  }
}

std::vector<std::string> SittingService::OwnRecords() const {
  RequireSignedIn();
  const std::string number = Trim(Student().number);
  std::vector<std::string> records;
  if (const auto text = folder_->Read(number + ".txt")) {
    for (const auto& line : SplitLines(*text)) {
      if (!Trim(line).empty()) records.push_back(Trim(line));
    }
  }
  return records;
}

bool SittingService::CheckAdminPassword(const std::string& password) {
  const auto hash = ReadAdminPasswordHash(setup_.adminPasswordFile);
  if (AttemptAllowed("admin", false) && hash && examora::CheckAdminPassword(*hash, password)) {
    AttemptAllowed("admin", true);
    return true;
  }
  Wait(setup_.wrongPasswordDelay);
  return false;
}

}  // namespace examora

namespace examora {
namespace {

void Sleep(std::chrono::milliseconds delay) {
  std::this_thread::sleep_for(delay);
}

struct Deployment {
  ResultsFolder folder;
  JournalKey key;
  StudentsTable students;
  explicit Deployment(const RecordsSetup& setup)
      : folder(setup.folder, setup.fileMode),
        key(ReadJournalKey(setup.keyFile)),
        students(ReadStudentsCrypt(setup.studentsFile)) {}
};

// The base names of the sittings whose journals are current ("<student>_<test>").
std::vector<std::string> CurrentSittings(const ResultsFolder& folder) {
  std::vector<std::string> bases;
  for (const auto& name : folder.List(kJournalsFolder)) {
    constexpr std::string_view kEnd = "journal.txt";
    if (name.size() > kEnd.size() && name.ends_with(kEnd)) {
      bases.push_back(name.substr(0, name.size() - kEnd.size()));
    }
  }
  std::sort(bases.begin(), bases.end());
  return bases;
}

long long Modified(const ResultsFolder& folder, const std::string& name) {
  struct stat info {};
  if (::fstatat(AT_FDCWD, (folder.path() / name).c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
    return 0;
  }
  return static_cast<long long>(info.st_mtime);
}

SittingSummary Summarise(Deployment& d, const Clock& clock, const std::string& base) {
  SittingSummary row;
  row.student = base.substr(0, base.find('_'));
  row.lastActivity = Modified(d.folder, JournalName(base));
  std::optional<JournalContent> content;
  try {
    content = ReadSittingJournal(d.folder, d.key, base);
  } catch (const Error& e) {
    row.state = "damaged";
    row.problem = e.what();
    return row;
  }
  if (!content) return row;
  const SittingIdentity& id = content->identity;
  ModuleExamora m;
  SignInFromList(m, d.students, id.studentNumber);
  row.name = m.StudentId;
  row.testNumber = id.testNumber;
  row.testName = id.testName;
  row.answered = static_cast<int>(content->answers.size());
  try {
    if (const auto test = d.folder.Read(TrustedName(id.bankFingerprint))) {
      row.asked = LoadTestText(*test, "the test").header.QuestionsToAsk;
    }
  } catch (const Error&) {
    // The count of questions is only shown; an unreadable copy leaves it at 0.
  }
  if (content->finished) {
    row.state = content->written.size() == ResultsFileLabels().size() ? "saved" : "ended-unsaved";
    return row;
  }
  row.state = d.folder.Locked(LockName(base)) ? "running" : "interrupted";
  const long long left = Deadline(d.folder, d.key, base, id) - clock.UtcSeconds();
  row.secondsLeft = static_cast<int>(std::clamp<long long>(left, 0, 1 << 30));
  return row;
}

}  // namespace

std::vector<SittingSummary> ListSittings(const RecordsSetup& setup, const Clock& clock) {
  Deployment d(setup);
  std::vector<SittingSummary> rows;
  for (const auto& base : CurrentSittings(d.folder)) rows.push_back(Summarise(d, clock, base));
  return rows;
}

std::vector<std::vector<std::string>> SittingsTable(const std::vector<SittingSummary>& rows) {
  const auto clockText = [](int seconds) {
    const int s = std::max(seconds, 0);
    return std::to_string(s / 60) + ":" + (s % 60 < 10 ? "0" : "") + std::to_string(s % 60);
  };
  const auto when = [](long long utc) -> std::string {
    return utc == 0 ? "-" : LocalText(utc, "%d/%m/%Y %H:%M");
  };
  std::vector<std::vector<std::string>> table = {
      {"student", "name", "test", "state", "answered", "time left", "last activity", "problem"}};
  for (const auto& s : rows) {
    const bool open = s.state == "running" || s.state == "interrupted";
    table.push_back({s.student, s.name, std::to_string(s.testNumber) + " " + s.testName, s.state,
                     std::to_string(s.answered) + " of " + std::to_string(s.asked),
                     open ? clockText(s.secondsLeft) : "-", when(s.lastActivity), s.problem});
  }
  return table;
}

void ExtendSitting(const RecordsSetup& setup, const Clock& clock, const std::string& student,
                   int testNumber, int minutes) {
  if (minutes < 1 || minutes > 1440) throw Refused("Give from 1 to 1440 minutes.");
  Deployment d(setup);
  const std::string number = Trim(student);
  const std::string base = SittingBaseName(number, testNumber);
  const auto content = ReadSittingJournal(d.folder, d.key, base);
  if (!content)
    throw Refused("There is no sitting of test " + std::to_string(testNumber) + " by student " +
                  student + ".");
  if (content->finished) throw Refused("That sitting has already ended.");
  // One teacher at a time, so two extensions never take the same number.
  const FolderLock lock = d.folder.Lock(ExtraName(base) + ".lock", true);
  int count = 0;
  ExtraSeconds(d.folder, d.key, base, content->identity, &count);
  const std::string payload = "X\t" + std::to_string(count + 1) + "\t" +
                              std::to_string(minutes * 60) + "\t" +
                              std::to_string(clock.UtcSeconds());
  const std::string line =
      payload + "\t" + SealText(d.key, ExtraSealText(base, content->identity, payload));
  if (const int error = d.folder.AppendLine(ExtraName(base), line)) {
    throw FileError("Cannot write \"" + (d.folder.path() / ExtraName(base)).string() +
                    "\": " + std::strerror(error));
  }
}

std::vector<std::string> RecoverSittings(const RecordsSetup& setup, const Clock& clock) {
  Deployment d(setup);
  const Records r{d.folder, d.key, clock, setup, Sleep};
  std::vector<std::string> lines;
  for (const auto& base : CurrentSittings(d.folder)) {
    const FolderLock lock = d.folder.Lock(LockName(base));
    if (!lock.held()) continue;  // a keeper is running it
    try {
      const std::string done = CompleteEarlier(r, d.students, base, false);
      if (!done.empty()) lines.push_back(base + ": " + done);
    } catch (const Error& e) {
      lines.push_back(base + ": " + e.what());
    }
  }
  return lines;
}

}  // namespace examora
