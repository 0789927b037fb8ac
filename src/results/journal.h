// The sitting journal: while an exam sitting runs, what prepared it and every confirmed answer
// are appended beside the backup and flushed to disk, so a sitting cut short by a crash or a
// power cut can be resumed where it stopped. Each entry is sealed with a keyed hash over itself
// and the entry before; a small head file seals the count, so an edited, reordered or cut
// journal is detected and reported, never used.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/clock.h"
#include "results/results_files.h"
#include "testfile/testfile.h"

namespace examora {

/// The per-deployment journal key (32 bytes).
using JournalKey = std::array<unsigned char, 32>;

/// Reads the key file (64 hexadecimal digits), creating it with fresh random bytes and mode
/// 0600 when it is missing. Throws FileError or FormatError.
JournalKey LoadOrCreateJournalKey(const std::filesystem::path& path);

/// Reads a journal key file; throws FileError or FormatError. Never creates one.
JournalKey ReadJournalKey(const std::filesystem::path& path);

/// What prepared the sitting.
struct SittingIdentity {
  std::string studentNumber;
  int testNumber = 0;
  std::string testName;
  std::string bankFingerprint;
  std::uint64_t seed = 0;  // Scrambler ran with SeededRandom(seed) outside study mode
  long long started = 0;   // when it started: seconds since 1970, UTC (Clock::UtcSeconds)
  int totalSeconds = 0;    // the sitting's time
};

/// One confirmed answer: the question's position, the time left then, and what the student
/// had entered: the answer controls' values (`inputs`) or, from examora-cli, the answer line.
struct JournalAnswer {
  int position = 0;
  int secondsLeft = 0;
  bool isText = false;
  std::vector<std::string> inputs;  // or one element: the answer text
};

/// A verified journal.
struct JournalContent {
  SittingIdentity identity;
  std::vector<JournalAnswer> answers;
  bool finished = false;  // the sitting ended (its results went to `SaveResults`)
  std::string record;     // the record the sitting ended with (empty in an older journal)
  std::vector<std::string> written;            // the files known to hold that record, in order
  std::map<std::string, long long> appending;  // a file's size when the record went to it
  std::string note;      // e.g. a last entry cut off by the interruption, which is ignored
  std::string lastSeal;  // the chain to go on from
  int entries = 0;       // whole entries, the sitting's own included
};

/// The journal's file for a student and test in a native student files folder.
std::filesystem::path JournalPath(const std::filesystem::path& folder,
                                  const std::string& studentNumber, int testNumber);

/// Appends to one sitting's journal.
class SittingJournal {
 public:
  /// Starts a fresh journal (replacing an older one of the same student and test).
  SittingJournal(ResultsFileSystem& files, std::filesystem::path path, const JournalKey& key,
                 const SittingIdentity& identity);
  /// Goes on with a verified journal after a resume.
  SittingJournal(ResultsFileSystem& files, std::filesystem::path path, const JournalKey& key,
                 const JournalContent& content);
  /// Appends a confirmed answer; throws FileError when it did not reach the disk.
  void Append(const JournalAnswer& answer);
  /// Marks the sitting finished with the record it ended with, before that record is saved:
  /// it is never resumed, and whoever completes the save writes exactly this record.
  void Finish(const std::string& record = {});
  /// Notes, before the record is appended to a results file (by its step label), the file's
  /// size then: after a kill, only what follows it can be this sitting's line.
  void Appending(const std::string& label, long long size);
  /// Notes that a results file (by its step label) now holds the finished sitting's record.
  void Written(const std::string& label);
  /// Whether the head file follows every answer. A journal only its keeper can write needs it
  /// only at the end (a head behind the entries still verifies), which saves two disk syncs
  /// an answer.
  bool headEveryEntry = true;
  /// The journal as it stands.
  const std::filesystem::path& path() const { return path_; }

 private:
  void AppendEntry(const std::vector<std::string>& fields);
  ResultsFileSystem& files_;
  std::filesystem::path path_;
  JournalKey key_;
  std::string lastSeal_;
  int count_ = 0;
  bool finished_ = false;
};

/// Reads and verifies a journal; throws FormatError saying what is wrong (edited, reordered,
/// truncated, another key) and FileError when it cannot be read.
JournalContent ReadJournal(const std::filesystem::path& path, const JournalKey& key);

/// Verifies a journal's text against its head file's text (nothing: no head file); `name`
/// names the journal in messages. Throws FormatError as ReadJournal does.
JournalContent ParseJournal(const std::string& text, const std::optional<std::string>& head,
                            const JournalKey& key, const std::string& name);

/// The head file of a journal.
std::filesystem::path JournalHeadPath(const std::filesystem::path& journal);

/// The keyed seal of a text under the journal key, as hexadecimal.
std::string SealText(const JournalKey& key, const std::string& text);

}  // namespace examora
