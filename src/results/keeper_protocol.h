// The record keeper's line protocol, and the program's side of it. One keeper process serves
// one sitting over a pair of pipes: it greets with "OK<TAB>examora-keeper<TAB>1" (or "NO<TAB>why"
// when it cannot work), then answers each request line with "OK<TAB>..." or "NO<TAB>message".
// Fields are separated by tabs; a tab, CR, LF or backslash inside a field is escaped as \t, \r,
// \n, \\. The requests:
//   SIGNIN number password          OK first last
//   OPEN accesscode size + bytes    OK new|resumed seed secondsLeft answers notes started, then
//                                   one "A position inputs..." line per answer and "N note" per
//                                   note (started: UTC seconds)
//   PENDING testnumber              OK 1 when opening that test carries on an interrupted
//                                   sitting, else OK 0
//   ANSWER position inputs...       OK code state secondsLeft ended(0|1)
//   END                             OK record complete(0|1) written failed errors (each a list
//                                   joined by ","; errors: the classic error number a file)
//   TIME                            OK secondsLeft
//   RECORDS                         OK count, then one "R record" line each
//   ADMIN password                  OK
//   BYE                             OK, and the keeper ends
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings.h"
#include "results/sitting_service.h"

namespace examora {

/// What the program needs of a sitting's records, whoever keeps them.
class SittingRecords {
 public:
  virtual ~SittingRecords() = default;
  /// Each throws Refused with the message to show when the request is refused.
  virtual StudentRow SignIn(const std::string& number, const std::string& password) = 0;
  virtual OpenedSitting Open(std::string_view testBytes, const std::string& accessCode) = 0;
  virtual AnswerVerdict Answer(const JournalAnswer& answer) = 0;
  virtual SaveReport End() = 0;
  virtual int SecondsLeft() = 0;
  /// Whether opening the test numbered `testNumber` carries on an interrupted sitting.
  virtual bool HasInterruptedSitting(int testNumber) = 0;
  virtual std::vector<std::string> OwnRecords() = 0;
  virtual bool CheckAdminPassword(const std::string& password) = 0;
  /// True when another program (the keeper) holds the records and the administrator's hash.
  virtual bool Kept() const { return false; }
};

/// The records kept by this process itself (no keeper installed).
class LocalRecords : public SittingRecords {
 public:
  LocalRecords(const RecordsSetup& setup, const Clock& clock) : service_(setup, clock) {}
  StudentRow SignIn(const std::string& number, const std::string& password) override;
  OpenedSitting Open(std::string_view testBytes, const std::string& accessCode) override;
  AnswerVerdict Answer(const JournalAnswer& answer) override;
  SaveReport End() override { return service_.End(); }
  int SecondsLeft() override { return service_.SecondsLeft(); }
  bool HasInterruptedSitting(int testNumber) override {
    return service_.HasInterruptedSitting(testNumber);
  }
  std::vector<std::string> OwnRecords() override { return service_.OwnRecords(); }
  bool CheckAdminPassword(const std::string& password) override {
    return service_.CheckAdminPassword(password);
  }
  SittingService& service() { return service_; }

 private:
  SittingService service_;
};

/// Escapes one field for a protocol line, and splits a line into its unescaped fields.
std::string EscapeField(std::string_view field);
std::vector<std::string> SplitFields(std::string_view line);

/// Reads lines and counted bytes from a descriptor, never more than a bounded amount.
class LineReader {
 public:
  explicit LineReader(int fd) : fd_(fd) {}
  /// The next line without its LF (and CR), or nothing at the end of the input. A line over
  /// `limit` bytes is read to its end and returned as nothing but "" with `tooLong` set.
  std::optional<std::string> Line(std::size_t limit, bool* tooLong = nullptr);
  /// Exactly `count` bytes, or nothing when the input ends first.
  std::optional<std::string> Bytes(std::size_t count);

 private:
  bool Fill();
  int fd_;
  std::string buffer_;
  std::size_t start_ = 0;
};

/// Serves one program over the descriptors until BYE, the end of the input, or a failure that
/// leaves the sitting unsafe to go on (a journal that could not be written). The exit status.
int ServeKeeper(SittingService& service, int in, int out);

/// The greeting of a keeper that cannot work, and its exit status.
int RefuseToServe(int out, const std::string& why);

/// The program's side: starts the keeper and speaks to it.
class KeeperClient : public SittingRecords {
 public:
  /// Starts `keeper` (with `arguments`) and reads its greeting. Throws Refused with the
  /// keeper's reason, or Error when it cannot be started.
  explicit KeeperClient(const std::filesystem::path& keeper,
                        const std::vector<std::string>& arguments = {});
  ~KeeperClient() override;
  KeeperClient(const KeeperClient&) = delete;
  KeeperClient& operator=(const KeeperClient&) = delete;

  StudentRow SignIn(const std::string& number, const std::string& password) override;
  OpenedSitting Open(std::string_view testBytes, const std::string& accessCode) override;
  AnswerVerdict Answer(const JournalAnswer& answer) override;
  SaveReport End() override;
  int SecondsLeft() override;
  bool HasInterruptedSitting(int testNumber) override;
  std::vector<std::string> OwnRecords() override;
  bool CheckAdminPassword(const std::string& password) override;
  bool Kept() const override { return true; }

 private:
  std::vector<std::string> Request(const std::string& line, std::string_view bytes = {});
  std::vector<std::string> Reply();

  int pid_ = -1;
  int to_ = -1;
  std::unique_ptr<LineReader> from_;
  int fromFd_ = -1;
};

/// The installed keeper.
inline constexpr const char* kInstalledKeeper = "/usr/lib/examora/examora-keeper";
/// Its settings (root's): the only ones it reads while it runs with its group's rights.
inline constexpr const char* kKeeperConfig = "/etc/examora/keeper.conf";

/// The records of an exam deployment: the keeper named by EXAMORA_KEEPER (a path, or "none"
/// for none), else the installed keeper when the lab is set up for it, else this program itself
/// on the deployment's student files folder (the journal key defaulting to one in that folder).
/// `wait` is how this program waits after a refused sign-in. Throws Error or Refused.
std::shared_ptr<SittingRecords> OpenSittingRecords(
    const DeploymentSettings& settings, const Environment& env, const Clock& clock,
    std::function<void(std::chrono::milliseconds)> wait = {});

/// Where this computer's sittings are kept, for the teacher's view: the keeper's settings when
/// the lab has them, else the deployment's own student files folder.
RecordsSetup SittingsSetup(const DeploymentSettings& settings, const Environment& env);

/// Reads the keeper's settings file: folder, students, key, admin-password-file (the last
/// three default to files in the folder). Throws FormatError or FileError.
RecordsSetup ReadKeeperConfig(const std::filesystem::path& path);

}  // namespace examora
