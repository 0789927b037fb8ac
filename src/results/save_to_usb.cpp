#include "results/save_to_usb.h"

#include <algorithm>

#include "common/error.h"
#include "common/text.h"
#include "crypto/enciphered_text.h"
#include "platform/files.h"

namespace examora {

std::string ContinuationFirstName(std::string_view typed) {
  const std::string name = Trim(typed);
  std::string result =
      UpperAscii(name.substr(0, 1)) + LowerAscii(name.size() > 1 ? name.substr(1) : "");
  result.erase(std::remove(result.begin(), result.end(), ' '), result.end());
  return result;
}

std::string ContinuationRecord(const ResultsFields& fields, const std::string& studentNumber,
                               const std::string& firstName, const std::string& lastName,
                               const std::string& lblCountdown) {
  ResultsFields usb = fields;
  usb.studentNumber = studentNumber;
  usb.studentId = ContinuationFirstName(firstName);
  // The results record's eight fields, then the last name and the time left as shown (the
  // countdown caption keeps its leading blank).
  const std::string record = ResultsRecord(usb) + UpperAscii(lastName) + "," + lblCountdown + ",";
  return Trim(record);
}

UsbSaveResult cmdSaveUSB_Click(const ResultsFields& fields, const std::string& lblCountdown,
                               Prompter& prompter) {
  UsbSaveResult result;
  std::string number;
  while (number.size() != 9) {
    const auto typed = prompter.Input("STUDENT NUMBER ENTRY", "Student Number: ");
    // Cancelling gives up: a student must never be held in a box they cannot leave.
    if (!typed) return result;
    number = *typed;
  }
  const std::string first =
      prompter.Input("STUDENT FIRST NAME", "Student First Name: ").value_or("");
  const std::string last = prompter.Input("STUDENT LAST NAME", "Student Last Name: ").value_or("");
  result.record = ContinuationRecord(fields, number, first, last, lblCountdown);
  const auto path = prompter.SaveFile("Save to USB", "Text Files (*.txt)");
  if (!path) return result;
  std::string line = result.record;
  try {
    WriteFileAtomically(*path, EncryptText(line) + "\r\n");
    result.path = *path;
  } catch (const FileError& e) {
    result.error = e.what();
    prompter.Message("Save to USB", std::string("The file was not written: ") + e.what());
  }
  return result;
}

}  // namespace examora
