#include "results/save_to_usb.h"

#include <algorithm>
#include <filesystem>

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

std::string UsbStartFolder(const Environment& env, const std::filesystem::path& root) {
  std::string user = env.LoginName();
  if (user.empty()) user = env.Variable("USER").value_or("");
  // A name that is no plain folder name must not lead the dialog anywhere else.
  if (!user.empty() && user != "." && user != ".." && user.find('/') == std::string::npos) {
    for (const char* media : {"media", "run/media"}) {
      std::error_code ec;
      const std::filesystem::path folder = root / media / user;
      if (std::filesystem::is_directory(folder, ec)) return folder.string();
    }
  }
  return env.Variable("HOME").value_or("");
}

std::string WithTextExtension(const std::string& path) {
  if (LowerAscii(std::filesystem::path(path).extension().string()) == ".txt") return path;
  return path.ends_with('.') ? path + "txt" : path + ".txt";
}

namespace {

// The dialog asked before replacing the name it was given; a name completed here is asked
// about here.
bool MayWrite(const std::string& chosen, const std::string& path, Prompter& prompter) {
  std::error_code ec;
  if (path == chosen || !std::filesystem::exists(path, ec)) return true;
  return prompter.Message("Save to USB", path + " already exists.\r\nDo you want to replace it?",
                          MessageButtons::YesNo, MessageIcon::Warning,
                          MessageAnswer::No) == MessageAnswer::Yes;
}

}  // namespace

UsbSaveResult cmdSaveUSB_Click(const ResultsFields& fields, const std::string& lblCountdown,
                               Prompter& prompter, const std::string& startFolder) {
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
  const auto chosen = prompter.SaveFile("Save to USB", "Text Files (*.txt)", startFolder);
  if (!chosen) return result;
  const std::string path = WithTextExtension(*chosen);
  if (!MayWrite(*chosen, path, prompter)) return result;
  std::string line = result.record;
  try {
    WriteFileAtomically(path, EncryptText(line) + "\r\n");
    result.path = path;
  } catch (const FileError& e) {
    result.error = e.what();
    prompter.Message("Save to USB", std::string("The file was not written: ") + e.what());
  }
  return result;
}

}  // namespace examora
