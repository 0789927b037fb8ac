#include "testfile/encrypt_model.h"

#include "app/test_list.h"
#include "common/error.h"
#include "common/numtext.h"
#include "common/text.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "testfile/authoring.h"

namespace examora {

EncryptModel::EncryptModel(std::string webBase, Prompter& prompter)
    : webBase_(std::move(webBase)), prompter_(&prompter) {}

void EncryptModel::cmdOpen_Click() {
  const auto chosen = prompter_->OpenFile("Open", "Text Files (*.txt);;All Files (*)");
  if (!chosen) return;
  try {
    Open(*chosen);
  } catch (const Error& e) {
    prompter_->Message(std::string(kEncryptTitle), e.what(), MessageButtons::Ok,
                       MessageIcon::Critical);
  }
}

void EncryptModel::Open(const std::filesystem::path& source) {
  const std::string raw = ReadFileBytes(source);
  const CleanedSource cleaned = CleanUpSource(SplitLines(SourceTextToCp1252(raw)));
  TestBank bank = ParseSource(cleaned.lines);
  if (cleaned.extraLines > 0 && cleaned.extraAllBlank) {
    // The source keeps its own bytes for the lines it keeps.
    const auto rawLines = SplitLines(raw);
    std::string text;
    for (std::size_t i = 0; i < cleaned.lines.size() && i < rawLines.size(); ++i) {
      text += rawLines[i] + "\r\n";
    }
    WriteFileAtomically(source, text);
    prompter_->Message(std::string(kEncryptTitle), cleaned.Notice());
  }
  lblProblems.clear();
  try {
    ValidateBlocks(bank, "\"" + source.filename().string() + "\"");
  } catch (const FormatError& e) {
    lblProblems = e.what();
  }
  bank_ = std::move(bank);
  source_ = source;
  opened = true;
  picFilename = source.string();
  lblHeading = bank_.testName;
  lblTestDesc = bank_.header.TestDescription;
  lblVarDesc = bank_.header.VariablesText;
  List1.clear();
  for (int q = 1; q <= bank_.header.QuestionsInFile; ++q) {
    List1.push_back("---------------------------------------- Q" + std::to_string(q) +
                    " ----------------------------------------");
    const auto& block = bank_.Questions[static_cast<std::size_t>(q)];
    List1.insert(List1.end(), block.begin() + 1, block.end());
  }
  lbl6 = std::to_string(bank_.header.QuestionsInFile);
  txtEachTime = "1";
  txtNumQuest = lbl6;
  lbl10.clear();
  current = 0;
}

void EncryptModel::cmdCompute_Click() {
  const ComputeResult result =
      Compute(bank_, LeadingNumber(txtNumQuest), LeadingNumber(txtEachTime));
  lbl10 = result.message;
  lbl10Red = !result.ok;
}

void EncryptModel::cmdOK_MouseDown() {
  lblEncrypting = "Encrypting Blowfish 128 bit cipher.";
}

void EncryptModel::cmdOK_Click() {
  cmdCompute_Click();
  // Writing a test nobody can sit, or one with a broken block, only moves the problem to the
  // students: say why and keep the window as it is.
  if (!lblProblems.empty() || lbl10Red) {
    lblEncrypting.clear();
    prompter_->Message(std::string(kEncryptTitle),
                       "No test written: " + (lblProblems.empty() ? lbl10 : lblProblems),
                       MessageButtons::Ok, MessageIcon::Warning);
    return;
  }
  inputsEnabled = false;
  output_ = EncryptedName(source_);
  try {
    Encryptit(bank_, output_);
  } catch (const Error& e) {
    inputsEnabled = true;
    lblEncrypting.clear();
    prompter_->Message(std::string(kEncryptTitle), e.what(), MessageButtons::Ok,
                       MessageIcon::Critical);
    return;
  }
  written = true;
  picFileOut = output_.string();
  lblEncrypting = "Done";
  cmdCheckQuestion_Click();
}

void EncryptModel::ShowQuestion() {
  Picture1 = {std::to_string(current)};
  const auto& block = bank_.Questions[static_cast<std::size_t>(current)];
  for (std::size_t j = 1; j < block.size(); ++j) {
    Picture1.push_back("(" + std::to_string(j) + ") " + block[j]);
  }
  const std::string picture = block.size() > 2 ? Trim(block[2]) : "";
  // A picture named without an address sits beside the source, where the teacher keeps it.
  if (picture.empty()) {
    pictureAddress = webBase_ + "info/No_Image_Required.html";
  } else if (picture.find("://") != std::string::npos) {
    pictureAddress = picture;
  } else {
    pictureAddress = FolderFileUrl(source_.parent_path()) + EncodeUrlPath(picture);
  }
}

void EncryptModel::cmdCheckQuestion_Click() {
  const int n = bank_.header.QuestionsInFile;
  if (n == 0) return;
  current = current >= n ? 1 : current + 1;
  ShowQuestion();
}

void EncryptModel::cmdCheckLastQuestion_Click() {
  const int n = bank_.header.QuestionsInFile;
  if (n == 0) return;
  current = current <= 1 ? n : current - 1;
  ShowQuestion();
}

void EncryptModel::cmdAutoCheck_Click() {
  for (int q = current; q < bank_.header.QuestionsInFile; ++q) cmdCheckQuestion_Click();
}

void EncryptModel::cmdAnother_Click() {
  *this = EncryptModel(webBase_, *prompter_);
}

}  // namespace examora
