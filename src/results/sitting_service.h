// The record of exam sittings: signing a student in, opening (or resuming) a sitting, marking
// each confirmed answer and journalling it before the verdict is given, and saving the record
// exactly once into the student, master and subject files. The record keeper runs this behind
// its line protocol for a program it does not trust; without a keeper the program runs the same
// code itself. Nothing here takes the program's word: the sitting is drawn, marked, timed and
// recorded from this side alone.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/students.h"
#include "common/clock.h"
#include "common/error.h"
#include "common/random.h"
#include "results/journal.h"
#include "results/results_folder.h"

namespace examora {

/// A request the sitting cannot grant (a wrong password, an untrusted test, an answer after
/// the deadline); the message says why and is shown to the student as it stands.
class Refused : public Error {
 public:
  using Error::Error;
};

/// Where the records live and what the service trusts.
struct RecordsSetup {
  std::filesystem::path folder;        // the results folder
  std::filesystem::path studentsFile;  // the enciphered class list
  std::filesystem::path keyFile;       // the journal key (64 hexadecimal digits)
  std::filesystem::path adminPasswordFile;
  /// The keeper accepts only tests a teacher trusted (a copy under "trusted/" named by its
  /// SHA-256) and checks the access code itself; the program on its own does neither.
  bool keeper = true;
  unsigned fileMode = 0660;  // new files (the umask still applies)
  std::chrono::milliseconds wrongPasswordDelay{2000};
  std::chrono::milliseconds busyRetryDelay{250};
  int busyRetries = 8;
  /// Called after each durable step ("answer", "ended", "appended <label>", "noted <label>"):
  /// a test throws from it to stop the keeper there, as a kill would.
  std::function<void(const std::string&)> afterStep;
  /// Without a keeper, a new sitting may be drawn from a chosen seed (scripts, drills).
  std::optional<std::uint64_t> seed;
};

/// What a student sees when a sitting opens.
struct OpenedSitting {
  bool resumed = false;
  std::uint64_t seed = 0;  // the program prepares the same sitting from it
  int secondsLeft = 0;
  long long started = 0;  // when the sitting first started (UTC seconds), resumed or not
  std::vector<JournalAnswer> answers;  // already confirmed, in order (a resumed sitting)
  std::vector<std::string> notes;      // told first: an earlier sitting completed or set aside
};

/// The verdict on one answer.
struct AnswerVerdict {
  std::string code;  // the result code ("Y", "U", "A", ...)
  int state = 0;     // 8 wrong, 9 right
  int secondsLeft = 0;
  bool ended = false;  // it was the last open question: the sitting has ended and been saved
};

/// Which results files hold a finished sitting's record.
struct SaveReport {
  std::string record;
  std::vector<std::string> written;  // step labels (" Student file", ...) in order
  std::vector<std::string> failed;
  std::vector<int> errorNumbers;  // one per failed file: what went wrong (see ErrorNumber)
  bool Complete() const { return failed.empty() && written.size() == 3; }
};

/// The labels of the three results files, in the order they are written.
const std::vector<std::string>& ResultsFileLabels();

/// SHA-256 of bytes as lower-case hexadecimal.
std::string Sha256Hex(std::string_view bytes);

/// What a test is known by: SHA-256 of its deciphered lines, so the same test fetched over http
/// (body text) or read from its file (bytes) is the same test. Throws Refused for a damaged one.
std::string TestFingerprint(std::string_view testBytes);

/// The folder (inside the results folder) of the journals, and a journal's base name.
inline constexpr const char* kJournalsFolder = "journals";
inline constexpr const char* kTrustedFolder = "trusted";
std::string SittingBaseName(const std::string& studentNumber, int testNumber);

struct SittingState;

class SittingService {
 public:
  /// Opens the results folder and reads the class list and the key. Throws FileError or
  /// FormatError when the deployment is not usable.
  SittingService(const RecordsSetup& setup, const Clock& clock);
  ~SittingService();

  /// Checks a student number and password against the class list. A wrong one waits
  /// `wrongPasswordDelay` before answering, and the answer never says which part was wrong.
  /// Throws Refused when refused.
  void SignIn(const std::string& number, const std::string& password);
  /// Without a keeper, a caller that could read the class list itself signs its student in
  /// without a password. Throws Refused for a number not in the list.
  void AssumeStudent(const std::string& number);
  /// The signed-in student's first and last name.
  const StudentRow& Student() const;

  /// Opens a sitting of the test whose enciphered bytes are given: resumes an interrupted one,
  /// completes or closes an earlier one, or starts a new one. Throws Refused.
  OpenedSitting Open(std::string_view testBytes, const std::string& accessCode);
  /// Marks a confirmed answer (the answer controls' values, as CaptureAnswer takes them),
  /// journals it, and saves the record when it ended the sitting. Throws Refused.
  AnswerVerdict Answer(const JournalAnswer& answer);
  /// Ends the sitting (END, the clock, closing the window) and saves its record; called again
  /// it tries the files still missing. Throws Refused when no sitting is open.
  SaveReport End();
  /// Whether opening the test numbered `testNumber` would carry on an interrupted sitting of
  /// the signed-in student (one whose time is not up). Refused when no student has signed in.
  bool HasInterruptedSitting(int testNumber) const;
  /// Seconds until the deadline (never below 0); Refused when no sitting is open.
  int SecondsLeft() const;
  /// Work left for after a reply has gone (the backup copy of the record).
  void Idle();
  /// The signed-in student's own records from their results file.
  std::vector<std::string> OwnRecords() const;
  /// True when the administrator password is right (a wrong one waits, as sign-in does).
  bool CheckAdminPassword(const std::string& password);

 private:
  bool AttemptAllowed(const std::string& name, bool succeeded);
  void RequireSignedIn() const;
  SittingState& RequireSitting() const;
  void Wait(std::chrono::milliseconds delay) const;
  std::function<void(std::chrono::milliseconds)> Waiter() const;

  RecordsSetup setup_;
  const Clock& clock_;
  std::unique_ptr<ResultsFolder> folder_;
  JournalKey key_{};
  StudentsTable students_;
  int studentRow_ = 0;
  std::unique_ptr<SittingState> sitting_;

 public:
  /// How a wait is done (tests record it instead of sleeping).
  std::function<void(std::chrono::milliseconds)> sleep;
};

/// One sitting as the teacher sees it.
struct SittingSummary {
  std::string student, name;
  int testNumber = 0;
  std::string testName;
  std::string state;  // running, interrupted, ended-unsaved, saved, damaged
  int answered = 0, asked = 0;
  int secondsLeft = 0;
  long long lastActivity = 0;  // UTC seconds of the journal's last change
  std::string problem;         // for a damaged journal
};

/// Every sitting journalled in the folder, by student and test.
std::vector<SittingSummary> ListSittings(const RecordsSetup& setup, const Clock& clock);

/// The teacher's table of sittings: a header row, then one row per sitting (student, name,
/// test, state, answered of asked, time left, last activity, problem), as the Menu shows it and
/// examora-cli invigilate prints it.
std::vector<std::vector<std::string>> SittingsTable(const std::vector<SittingSummary>& rows);

/// Gives a sitting more time (sealed in its own file, so a running keeper sees it at once).
/// Throws Refused when there is no such sitting, Error when it cannot be written.
void ExtendSitting(const RecordsSetup& setup, const Clock& clock, const std::string& student,
                   int testNumber, int minutes);

/// Completes every ended sitting whose record is missing from a file, and saves, as it stood,
/// every interrupted one whose deadline has passed. One line per sitting touched.
std::vector<std::string> RecoverSittings(const RecordsSetup& setup, const Clock& clock);

}  // namespace examora
