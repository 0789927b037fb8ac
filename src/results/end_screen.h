// The end of a test: answer codes back in the test file's order, the results record, and the
// lines of the end-of-test screen.
#pragma once

#include <string>
#include <vector>

#include "common/clock.h"

namespace examora {

/// The codes (in asking order) put back into the order of the questions in the test file;
/// `PresentedPosition[q]` is where bank question q was asked. Questions not asked add nothing.
std::string OriginalOrder3(const std::string& codes, const std::vector<int>& PresentedPosition);

/// The fields of a results record.
struct ResultsFields {
  int testNumber = 0;
  std::string studentNumber;  // digits; empty in study mode
  LocalDateTime when;
  float score = 0;
  int questions = 0;
  std::string originalOrderCodes;
  std::string studentId;
};

/// The results record: eight fields, each trimmed and followed by a comma. `forScreen` puts one
/// blank in front of the first field and trims nothing, as the end-of-test screen shows it.
std::string ResultsRecord(const ResultsFields& fields, bool forScreen = false);

/// What the end-of-test screen shows besides the record.
struct EndScreenFacts {
  bool studyMode = true;
  std::string testName;
  std::string answerCodes;         // asking order
  std::string originalOrderCodes;  // test file order
  float score = 0;
  int questions = 0;
  std::string date;
  std::string studentId, studentName, userName;
  std::string resultsLine;
};

/// The lines printed on the end-of-test screen, "Results string..." and the record included.
std::vector<std::string> EndScreenLines(const EndScreenFacts& facts);

}  // namespace examora
