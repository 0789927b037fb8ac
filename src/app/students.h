// The students table: the class list the exam sign-in checks and the result processor works
// on. It comes from the plain student data file a teacher types, or from its enciphered copy
// "std_crypt.eqb" that the lab computers read.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace examora {

/// The enciphered students file's name.
inline constexpr std::string_view kStudentsCryptFileName = "std_crypt.eqb";

/// At most this many students: the lab's class lists never came near it, and a larger file is
/// far more likely to be the wrong file than a real class.
inline constexpr std::size_t kMaxStudents = 2000;

/// The longest student data line taken: it bounds the name that every results record carries.
inline constexpr std::size_t kMaxStudentLineBytes = 256;

/// One row of `Students`.
struct StudentRow {
  std::string number;    // the 9-digit student number (kept as text: leading zeros matter)
  std::string password;  // 4 characters
  std::string firstName;
  std::string lastName;
};

/// `Students` and the folder of the result files stored with it. Rows are in file order;
/// `StudentIndex` n is `rows[n - 1]`.
struct StudentsTable {
  std::string folder;  // `StudentFilesFolder` as written in "std_crypt.eqb"
  std::vector<StudentRow> rows;
};

/// A student data line, plain or deciphered: characters 1-9 the number, 11-14 the password,
/// from 16 on the names. Every comma in the name part makes the text since the previous comma
/// the first name; the text after the last comma is the last name.
StudentRow ParseStudentLine(std::string_view line);

/// The row as a line: number, password, first name and last name joined by commas.
std::string StudentLine(const StudentRow& row);

/// Reads the plain student data file: one student a line, the list ended by a line of fewer
/// than four characters. Throws FormatError (with the line number) for a malformed student
/// line (not a 9-digit number first, or longer than kMaxStudentLineBytes), more than
/// `kMaxStudents` students (naming how many the file holds), or student lines after the ending
/// line; a file without the ending line is read whole, with `missingEndLine` set so callers can say
/// so.
struct PlainStudentsFile {
  std::vector<StudentRow> rows;
  std::vector<std::string> linesRead;  // as read: the student lines and the short one after them
  bool missingEndLine = false;
};
PlainStudentsFile ReadPlainStudentsFile(const std::filesystem::path& path);
PlainStudentsFile ParsePlainStudents(std::string_view text, const std::string& name);

/// Writes the plain student data file, ending it with its empty line.
void WritePlainStudentsFile(const std::filesystem::path& path, const std::vector<StudentRow>& rows);

/// Writes "std_crypt.eqb": the count (a number with a leading blank), the folder, one line a
/// student, each enciphered under the fixed key. Throws FormatError over `kMaxStudents` or for
/// a row that would not read back.
void WriteStudentsCrypt(const std::filesystem::path& path, const StudentsTable& table);

/// Reads "std_crypt.eqb". Throws FileError when it cannot be read and FormatError when it is
/// damaged, enciphered under another key, holds fewer rows than its count says, or holds a
/// row laid out unlike a plain student line (a 9-digit number first).
StudentsTable ReadStudentsCrypt(const std::filesystem::path& path);

/// The 1-based row of a student number, or 0 when it is not in the table.
int FindStudent(const StudentsTable& table, std::string_view number);

/// Whether `typed` is the row's password: the same length and the same characters (case
/// counts); an empty password never matches. Takes the same time however much of it is right.
bool PasswordMatches(const StudentRow& row, std::string_view typed);

/// The folder as `StudentFilesFolder` must hold it: trimmed, ending with a separator.
std::string FolderWithSeparator(std::string_view folder);

}  // namespace examora
