#include "app/sign_in.h"

#include <algorithm>
#include <thread>

#include "common/error.h"
#include "common/text.h"
#include "platform/files.h"

namespace examora {
namespace {

constexpr const char* kTitle = "Examora";

bool NineDigits(const std::string& text) {
  return text.size() == 9 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

void SleepFor(std::chrono::milliseconds time) {
  std::this_thread::sleep_for(time);
}

bool SignInModel::LoadStudents() {
  try {
    m_.Students = ReadStudentsCrypt(settings_.studentsFile);
    loaded_ = true;
  } catch (const Error& e) {
    view_.cmdValidateEnabled = false;
    prompter_.Message(kTitle, std::string("Exam sign-in is not possible: ") + e.what());
  }
  return loaded_;
}

void SignInModel::Refuse() {
  prompter_.Message(kTitle, kSignInRefused);
}

bool SignInModel::cmdValidate_Click(const std::string& typedNumber) {
  if (!loaded_ || signedIn_) return signedIn_;
  const std::string number = Trim(typedNumber);
  if (!NineDigits(number)) {
    prompter_.Message(kTitle, "Enter 9 digit student number");
    return false;
  }
  const auto password = prompter_.Secret(kTitle, "Enter your 4-character password");
  if (!password) return false;  // cancelled: nothing to check
  const int row = FindStudent(m_.Students, number);
  // Both are checked whatever the first gives, and one message serves both.
  static const StudentRow nobody{"", std::string(4, '\0'), "", ""};
  const StudentRow& candidate =
      row > 0 ? m_.Students.rows[static_cast<std::size_t>(row) - 1] : nobody;
  if (!(PasswordMatches(candidate, *password) && row > 0)) {
    if (wait_) wait_(kRefusedSignInPause);
    Refuse();
    return false;
  }
  const StudentRow& student = m_.Students.rows[static_cast<std::size_t>(row) - 1];
  m_.StudentIndex = row;
  m_.StudentId = Trim(Trim(student.firstName) + " " + Trim(student.lastName));
  m_.StudentName = number;
  // The folder is needed from the first answer on: the backup is written there.
  SetStudentPaths(m_, settings_, env_);
  signedIn_ = true;
  view_.txtNameEnabled = view_.cmdValidateEnabled = view_.cmdStudyModeEnabled = false;
  view_.lbl_studentName = m_.StudentId;
  view_.cmdGoVisible = true;
  view_.previousResults = EarlierRecords();
  return true;
}

std::vector<std::string> SignInModel::EarlierRecords() const {
  const std::string file = m_.StudentFilesFolder + m_.StudentName + ".txt";
  std::vector<std::string> records;
  try {
    for (const auto& line : SplitLines(ReadFileBytes(settings_.Paths().ToNative(file)))) {
      if (!Trim(line).empty()) records.push_back(Trim(line));
    }
  } catch (const FileError&) {
    // No file yet: a first test.
  }
  if (records.empty()) records.push_back("(no earlier results)");
  return records;
}

}  // namespace examora
