// The exam sign-in of the `Login` window: a student number, then a password, both checked
// against the students table; what the window shows before and after. In a study deployment
// none of this runs (the window presses "Study Mode" as it loads).
#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/module_examora.h"
#include "common/prompter.h"

namespace examora {

/// What the sign-in part of `Login` shows.
struct SignInView {
  bool txtNameEnabled = true;
  std::string Label2 = "Enter 9 digit student number";
  bool cmdValidateEnabled = true;
  bool cmdStudyModeEnabled = true;
  bool cmdStudyModeShown = true;  // an exam deployment offers no practice sittings
  bool cmdMarksEnabled = true;    // an exam deployment: the signed-in student's own marks only,
                                  // and before sign-in a word of why there are none yet
  std::string lbl_studentName = "No Name";
  bool cmdGoVisible = false;                 // GET TEST: once signed in
  std::vector<std::string> previousResults;  // for List1, after sign-in
};

/// How long a refused sign-in holds the next try back, so that guessing a short password one
/// try after another takes far longer than any exam.
inline constexpr std::chrono::milliseconds kRefusedSignInPause{2000};

/// Waits for the given time (the thread sleeps).
void SleepFor(std::chrono::milliseconds time);

class SignInModel {
 public:
  /// Waits after a refused sign-in; tests record the wait instead of sleeping.
  using Wait = std::function<void(std::chrono::milliseconds)>;

  SignInModel(ModuleExamora& m, const DeploymentSettings& settings, const Environment& env,
              Prompter& prompter, Wait wait = SleepFor)
      : m_(m), settings_(settings), env_(env), prompter_(prompter), wait_(std::move(wait)) {}

  /// Reads the students table named by the deployment; false (and says why) when it cannot.
  bool LoadStudents();
  /// `cmdValidate`: checks the typed number, asks the password and checks both. On success
  /// sets `StudentIndex`, `StudentId`, `StudentName` and the student files folder, and reads
  /// the student's earlier records. True when signed in; a refusal first waits
  /// `kRefusedSignInPause`.
  bool cmdValidate_Click(const std::string& typedNumber);
  /// Whether the arrival of the test list opens the selection window at once: in study mode
  /// as always, in an exam only once a student has signed in.
  bool OpenSelectionOnListArrival() const { return m_.StudyMode || signedIn_; }

  bool signedIn() const { return signedIn_; }
  /// MARKS in an exam deployment: the signed-in student's own records, as one message.
  std::string OwnMarksText() const;
  /// MARKS: in an exam deployment the one message it shows (`OwnMarksText`); nothing where it
  /// opens the reports window instead.
  std::optional<std::string> cmdMarks_Click() const;
  const SignInView& view() const { return view_; }

 private:
  void Refuse(const std::string& why);
  std::vector<std::string> EarlierRecords() const;

  ModuleExamora& m_;
  const DeploymentSettings& settings_;
  const Environment& env_;
  Prompter& prompter_;
  Wait wait_;
  SignInView view_;
  bool loaded_ = false;
  bool signedIn_ = false;
};

/// The one message for a wrong number or password: it does not say which.
inline constexpr const char* kSignInRefused =
    "The student number or the password is not right. Please try again.";

}  // namespace examora
