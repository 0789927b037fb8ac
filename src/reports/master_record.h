// The results record as the result file processor sees it: a comma-separated line whose fixed
// layout puts the test number in characters 1-5, the student number in 7-15, the date in 17-26
// (dd/mm/yyyy) and the time in 28-32 (hh:nn).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace examora {

/// Date and time of a record as one number yyyymmddhhnn, from the digits at their fixed
/// places (year, month, day, hour, minute). Missing or non-digit characters end the number
/// there, as reading a leading number does.
long long DateTimeNum(std::string_view line);

/// Characters 1-5 of a record (fewer when the line is shorter).
std::string RecordTestNumber(std::string_view line);

/// Characters 7-15 of a record (fewer when the line is shorter).
std::string RecordStudentNumber(std::string_view line);

/// The comma-separated fields of a record, untrimmed; the empty text after the final comma
/// is not a field.
std::vector<std::string> RecordFields(std::string_view line);

/// Lines of a results file: CR LF, a lone CR and a lone LF each end a line, so a line holding
/// only a carriage return reads as an empty line. A final line end starts no further line.
std::vector<std::string> ResultFileLines(std::string_view bytes);

/// The lines joined, each followed by CR LF.
std::string JoinRecordLines(const std::vector<std::string>& lines);

}  // namespace examora
