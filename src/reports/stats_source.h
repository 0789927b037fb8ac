// Where question statistics come from. Field 7 of a record holds codes for the asked questions
// only, so a test that asks fewer than its bank cannot be read from the records: the sitting
// journals name the test version and the seed, and the seed gives the order in which the bank's
// questions were asked. The records serve only a test that asks its whole bank. Journals and
// records are untrusted: each is read with a bound, verified, and listed when left out.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "reports/question_stats.h"
#include "results/journal.h"
#include "results/results_folder.h"
#include "testfile/testfile.h"

namespace examora {

/// Sittings for the statistics, with where they came from and what was left out.
struct StatsInput {
  std::vector<AttemptCodes> attempts;
  std::string source;
  std::vector<std::string> problems;
  int leftOut = 0;
};

/// An ended sitting's record placed on the bank: the code of each asked question at that
/// question's place in file order (field 7 lists the asked ones in file order), kNotAsked
/// elsewhere. `order` is the bank question asked at each position (index 0 unused). Nothing,
/// with `problem` set, when the record does not fit the test.
std::optional<AttemptCodes> PlaceRecord(const std::string& record, const TestBank& bank,
                                        const std::vector<int>& order, std::string& problem);

/// The ended sittings of test `bank` journalled in the folder's "journals/" whose test version
/// is `fingerprint` ("sha256:..."). Journals of other tests are passed over; one that does not
/// verify under `key`, is of another version or whose record does not fit is listed.
StatsInput JournalAttempts(const ResultsFolder& folder, const JournalKey& key, const TestBank& bank,
                           const std::string& fingerprint);

/// The records of a subject file's text for a test that asks its whole bank (code k is then
/// question k); malformed records and those of another length are listed. `shown` names the
/// file in the source and the problems.
StatsInput RecordAttempts(const std::string& subjectText, const TestBank& bank,
                          const std::string& shown);

/// What the statistics of one test need.
struct StatsRequest {
  std::string testNumber;                // five digits
  std::optional<std::string> testBytes;  // the enciphered test; else the journals' trusted copy
  std::optional<JournalKey> key;         // nothing: no journal can be verified
  std::string keyProblem;                // why there is no key, for the page
};

/// The statistics of a test from its journals, or from the records of its subject file when no
/// journal is usable and the test asks its whole bank. Throws FormatError when the test cannot
/// be had or the figures have no source, FileError when the folder cannot be read.
TestStats TestStatistics(const ResultsFolder& folder, const StatsRequest& request);

}  // namespace examora
