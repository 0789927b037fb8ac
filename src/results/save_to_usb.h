// "Save to USB": the continuation record of an ended sitting, enciphered into a file the
// student chooses, so a test that allows continuation can be carried on elsewhere.
#pragma once

#include <string>
#include <string_view>

#include "common/prompter.h"
#include "platform/environment.h"
#include "results/end_screen.h"

namespace examora {

/// Field 8 of the continuation record: the first letter upper case, the rest lower case,
/// every blank removed.
std::string ContinuationFirstName(std::string_view typed);

/// The ten fields joined, each followed by a comma, trimmed.
std::string ContinuationRecord(const ResultsFields& fields, const std::string& studentNumber,
                               const std::string& firstName, const std::string& lastName,
                               const std::string& lblCountdown);

/// What one press of "Save to USB" did.
struct UsbSaveResult {
  std::string record;  // the record built (also `ResultsLine`); empty when abandoned
  std::string path;    // the file written, empty when none was
  std::string error;   // why the file could not be written
};

/// Where the save dialog starts: the user's removable media folder (`/media/USER`, or
/// `/run/media/USER` where the desktop mounts sticks there) when it exists, else the home
/// folder. `root` stands for the file system's root (tests give a folder of their own).
std::string UsbStartFolder(const Environment& env, const std::filesystem::path& root = "/");

/// The chosen file name with ".txt" added unless it ends so already (in any case).
std::string WithTextExtension(const std::string& path);

/// `cmdSaveUSB_Click`: asks the student number (again until it is 9 characters; cancelling
/// gives up the save), the first and the last name, builds the record from `fields`
/// (test number, date, time, score, questions and answer codes of the ended sitting) and
/// `lblCountdown`, and writes it enciphered to the file chosen in the save dialog, which starts
/// in `startFolder` (nothing when the dialog is cancelled). A name given without ".txt" gets
/// it; when that names a file already there, replacing it is asked first (default No).
UsbSaveResult cmdSaveUSB_Click(const ResultsFields& fields, const std::string& lblCountdown,
                               Prompter& prompter, const std::string& startFolder = {});

}  // namespace examora
