// The class list in both of its forms. The first byte picks one: the plain student data file a
// teacher types (its rows must survive being written as lines and read back), the enciphered
// "std_crypt.eqb" as raw bytes, or the input's lines enciphered here under the program's key,
// so the reader gets past the decipherment to hostile plain text. Refusals are fine; crashes,
// sanitizer reports and contradictions are not.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/students.h"
#include "common/error.h"
#include "crypto/enciphered_text.h"
#include "fuzz_temp_folder.h"

namespace {

bool SameRows(const std::vector<examora::StudentRow>& a,
              const std::vector<examora::StudentRow>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (examora::StudentLine(a[i]) != examora::StudentLine(b[i])) return false;
  }
  return true;
}

void Plain(const std::string& text) {
  examora::PlainStudentsFile file;
  try {
    file = examora::ParsePlainStudents(text, "students.txt");
  } catch (const examora::FormatError&) {
    return;
  }
  std::string written;
  for (const auto& row : file.rows) written += examora::StudentLine(row) + "\r\n";
  if (!SameRows(examora::ParsePlainStudents(written + "\r\n", "again").rows, file.rows)) {
    std::abort();
  }
}

void Crypt(const std::string& bytes) {
  examora_fuzz::TempFolder temp;
  const auto path = temp.Path() / examora::kStudentsCryptFileName;
  examora_fuzz::WriteFile(path, bytes);
  try {
    const examora::StudentsTable table = examora::ReadStudentsCrypt(path);
    if (table.rows.size() > examora::kMaxStudents) std::abort();
    examora::FindStudent(table, "123456789");
    examora::FolderWithSeparator(table.folder);
  } catch (const examora::Error&) {
  }
}

std::string Enciphered(const std::string& text) {
  std::string out;
  for (std::string line : examora_fuzz::LfLines(text)) out += examora::EncryptText(line) + "\r\n";
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1 || size > 65536) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 3) {
    case 0:
      Plain(text);
      break;
    case 1:
      Crypt(text);
      break;
    default:
      Crypt(Enciphered(text));
  }
  return 0;
}
