#include "app/sign_in.h"

#include <algorithm>
#include <thread>

#include "common/error.h"
#include "common/text.h"
#include "platform/files.h"
#include "results/keeper_protocol.h"

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
  view_.cmdStudyModeEnabled = view_.cmdStudyModeShown = false;
  try {
    // A lab's keeper alone reads the class list; without one this program keeps the records.
    if (!m_.Records) {
      static const SystemClock clock;
      m_.Records = OpenSittingRecords(settings_, env_, clock, wait_);
    }
    loaded_ = true;
  } catch (const Error& e) {
    view_.cmdValidateEnabled = false;
    prompter_.Message(kTitle, std::string("Exam sign-in is not possible: ") + e.what());
  }
  return loaded_;
}

void SignInModel::Refuse(const std::string& why) {
  prompter_.Message(kTitle, why);
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
  StudentRow student;
  try {
    // The records check both and wait after a refusal; one message serves both.
    student = m_.Records->SignIn(number, *password);
  } catch (const Refused& e) {
    Refuse(e.what());
    return false;
  } catch (const Error& e) {
    Refuse(std::string("Exam sign-in is not possible: ") + e.what());
    return false;
  }
  student.password.clear();  // this side never needs it
  m_.Students.rows = {student};
  m_.StudentIndex = 1;
  m_.StudentId = Trim(Trim(student.firstName) + " " + Trim(student.lastName));
  m_.StudentName = number;
  SetStudentPaths(m_, settings_, env_);
  signedIn_ = true;
  view_.txtNameEnabled = view_.cmdValidateEnabled = false;
  view_.lbl_studentName = m_.StudentId;
  view_.cmdGoVisible = true;
  view_.previousResults = EarlierRecords();
  return true;
}

std::optional<std::string> SignInModel::cmdMarks_Click() const {
  // At a student's computer the class's report is not theirs to see: their own marks only.
  if (!settings_.examMode) return std::nullopt;
  return OwnMarksText();
}

std::string SignInModel::OwnMarksText() const {
  // Before sign-in nobody's records are known, so none are read.
  if (!signedIn_) {
    return "Sign in first: type your student number and press Validate. MARKS then shows your "
           "own results.";
  }
  std::string text = "Your results so far (" + m_.StudentId + "):";
  for (const auto& record : EarlierRecords()) text += "\r\n" + record;
  return text;
}

std::vector<std::string> SignInModel::EarlierRecords() const {
  std::vector<std::string> records;
  try {
    records = m_.Records->OwnRecords();
  } catch (const Error&) {
    // Unreadable: shown as none, the sitting itself does not depend on it.
  }
  if (records.empty()) records.push_back("(no earlier results)");
  return records;
}

}  // namespace examora
