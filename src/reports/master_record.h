// The results record as the result file processor sees it: a comma-separated line whose fixed
// layout puts the test number in characters 1-5, the student number in 7-15, the date in 17-26
// (dd/mm/yyyy) and the time in 28-32 (hh:nn).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace examora {

/// The longest results record taken, without its line end: 500 answer codes, a name from the
/// class list (kMaxStudentLineBytes) and the fixed fields fit with room to spare.
inline constexpr std::size_t kMaxRecordBytes = 1024;

/// Whether the text is a test number: exactly five digits (it names subject files and
/// pictures, so nothing else may).
bool IsTestNumber(std::string_view text);

/// What makes a line no results record, or "" for a sound one: at most kMaxRecordBytes; eight
/// fields, each followed by a comma; a five-digit test number; a student number of one to nine
/// digits; a date dd/mm/yyyy and a time hh:nn that exist; a whole score from -100 to 100 (empty
/// for 0); 1 to 500 questions; 1 to 500 answer codes (Y U V W X T Z, A to F). A damaged record is
/// listed and counts nowhere.
std::string RecordProblem(std::string_view line);

/// Whether each line is a sound record (RecordProblem says nothing).
std::vector<bool> SoundRecords(const std::vector<std::string>& lines);

/// Log lines naming the damaged records among `lines` (`sound` from SoundRecords; 1-based line
/// numbers in `where`), at most `shown` of them and then how many more; nothing when all are
/// sound.
std::vector<std::string> DamagedRecordLog(const std::vector<std::string>& lines,
                                          const std::vector<bool>& sound, const std::string& where,
                                          std::size_t shown = 20);

/// Date and time of a record as one number yyyymmddhhnn: from fields 3 and 4 when they read
/// dd/mm/yyyy and hh:nn (a student number written without its leading zeros shifts the fixed
/// places), else from the digits at their fixed places (year, month, day, hour, minute), where
/// missing or non-digit characters end the number, as reading a leading number does.
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

/// Appends the lines of a results file as the processor keeps them: blanks trimmed, empty lines
/// left out. One pass, each record copied once (a year's master file holds some 100 000).
void AppendRecordLines(std::string_view bytes, std::vector<std::string>& records);

/// The lines joined, each followed by CR LF.
std::string JoinRecordLines(const std::vector<std::string>& lines);

}  // namespace examora
