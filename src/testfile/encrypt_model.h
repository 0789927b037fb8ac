// The authoring window `Encrypt` without the window: open and clean a plain question bank,
// show it, check the duration, write the enciphered test and step through its questions. On
// the same core as `examora-cli author`, with its mends: a bank with a broken block or a
// sitting without questions or time is shown but not written.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "common/prompter.h"
#include "formula/substitution.h"
#include "testfile/testfile.h"

namespace examora {

inline constexpr std::string_view kEncryptTitle = "ENCRYPTOR";

class EncryptModel {
 public:
  EncryptModel(std::string webBase, Prompter& prompter);

  // What the window shows.
  std::string lblHeading, lblTestDesc, lblVarDesc, lbl6, txtNumQuest, txtEachTime, lbl10;
  bool lbl10Red = false;
  std::string lblEncrypting, picFilename, picFileOut, lblProblems;
  std::vector<std::string> List1, Picture1;
  std::string pictureAddress;  // what WebBrowser2 shows: the page or picture address
  std::string graphMarkup;     // a graph question's markup: the graph panel shows it instead
  bool opened = false;         // Frame1, Frame2 shown; cmdCompute, cmdOK on; cmdOpen off
  bool inputsEnabled = true;   // txtNumQuest, txtEachTime, cmdCompute, cmdOK
  bool written = false;        // lbl25, cmdDone, picFileOut and the checking controls shown
  int current = 0;             // the question in Picture1

  void cmdOpen_Click();
  /// "Import...": a Moodle XML or GIFT file becomes a plain bank (saved where the teacher
  /// says), the report is shown, and the bank is opened as `cmdOpen` would.
  void cmdImport_Click();
  void cmdCompute_Click();
  void cmdOK_MouseDown();
  void cmdOK_Click();
  void cmdCheckQuestion_Click();
  void cmdCheckLastQuestion_Click();
  void cmdAutoCheck_Click();
  void cmdAnother_Click();
  /// Puts the written test into a web folder (the deployment's own when it is a folder on
  /// disk, as the teacher confirms) and its line into the test list.
  void cmdPublish_Click();

  const TestBank& bank() const { return bank_; }
  /// The values drawn for the question in `Picture1` (position 1), for its graph.
  const FormulaTables& formulas() const { return formulas_; }
  const std::filesystem::path& output() const { return output_; }

 private:
  void Open(const std::filesystem::path& source);
  void ShowQuestion();
  /// Adds to `Picture1` the question as a student meets it (a sitting of it alone, drawn from
  /// a seed): its text with symbols and values, the options or items, the worked answer and
  /// unit, and every problem `check` would report.
  void ShowAsStudentMeetsIt(const QuestionBlock& block);

  std::string webBase_;
  Prompter* prompter_;  // a pointer, so cmdAnother can start afresh by assignment
  TestBank bank_;
  FormulaTables formulas_;
  std::filesystem::path source_, output_;
};

}  // namespace examora
