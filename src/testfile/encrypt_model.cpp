#include "testfile/encrypt_model.h"

#include "app/publish.h"
#include "app/testlist.h"
#include "bridge/question_import.h"
#include "common/error.h"
#include "common/numtext.h"
#include "common/text.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "testfile/authoring.h"
#include "testfile/question_check.h"
#include "testfile/scrambler.h"

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

void EncryptModel::cmdImport_Click() {
  const auto chosen =
      prompter_->OpenFile("Import", "Moodle XML or GIFT (*.xml *.gift *.txt);;All Files (*)");
  if (!chosen) return;
  try {
    const std::filesystem::path input = *chosen;
    const ImportReport report = ImportQuestionFile(input, {});
    if (report.imported == 0) {
      prompter_->Message(std::string(kEncryptTitle),
                         ImportSummary(report, {}, 40) + "\r\nNothing was written.",
                         MessageButtons::Ok, MessageIcon::Warning);
      return;
    }
    const auto output = prompter_->SaveFile("Save the question bank", "Text Files (*.txt)",
                                            ImportDefaultOutput(input).string());
    if (!output) return;
    const auto written = WriteImportedSources(report, *output);
    prompter_->Message(std::string(kEncryptTitle), ImportSummary(report, written, 40));
    Open(written.front());
  } catch (const Error& e) {
    prompter_->Message(std::string(kEncryptTitle), e.what(), MessageButtons::Ok,
                       MessageIcon::Critical);
  }
}

void EncryptModel::Open(const std::filesystem::path& source) {
  const std::string raw = ReadFileBytes(source);
  const CleanedSource cleaned = CleanUpSource(SplitLines(SourceTextToCp1252(raw)));
  TestBank bank = ParseSource(cleaned.lines);
  if (cleaned.extraLines > 0) {
    // Tidying the source is a courtesy: a read-only source must not cost the teacher the test.
    try {
      prompter_->Message(std::string(kEncryptTitle), DropLinesAfterEnd(source, cleaned));
    } catch (const FileError& e) {
      prompter_->Message(std::string(kEncryptTitle),
                         "The lines after \"*** END OF FILE ***\" were left in the source: " +
                             std::string(e.what()),
                         MessageButtons::Ok, MessageIcon::Warning);
    }
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
  output_ = EncryptedName(source_);
  if (const std::string clash = OutputOverwritesSource(source_, output_); !clash.empty()) {
    lblEncrypting.clear();
    prompter_->Message(std::string(kEncryptTitle), "No test written: " + clash, MessageButtons::Ok,
                       MessageIcon::Warning);
    return;
  }
  inputsEnabled = false;
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
  ShowAsStudentMeetsIt(block);
  const std::string picture = block.size() > 2 ? Trim(block[2]) : "";
  const std::string lower = LowerAscii(picture);
  graphMarkup =
      lower.find("graph[") != std::string::npos || lower.find("point[") != std::string::npos
          ? picture
          : std::string();
  // A picture named without an address sits beside the source, where the teacher keeps it.
  if (picture.empty()) {
    pictureAddress = webBase_ + "info/No_Image_Required.html";
  } else if (picture.find("://") != std::string::npos) {
    pictureAddress = picture;
  } else {
    pictureAddress = FolderFileUrl(source_.parent_path()) + EncodeUrlPath(picture);
  }
}

void EncryptModel::ShowAsStudentMeetsIt(const QuestionBlock& block) {
  TestBank one;
  one.header = bank_.header;
  one.header.QuestionsInFile = one.header.QuestionsToAsk = 1;
  one.QLineCount = {0, static_cast<int>(block.size()) - 3};
  one.Questions = {QuestionBlock{}, block};
  ScriptedPrompter quiet;  // formula messages become problems listed below
  DebugLog debug;
  FormulaContext context{&quiet, &debug, 0};
  formulas_ = FormulaTables{};
  SeededRandom random(static_cast<std::uint64_t>(current));
  const Sitting s = Scrambler(one, false, "", random, formulas_, context);
  const std::string& text = s.QuestionText[1];
  const QuestionKind kind = KindOf(text);
  Picture1.insert(Picture1.end(),
                  {"", "As a student meets it:",
                   "Q" + std::to_string(current) + ": " +
                       (kind == QuestionKind::kMultipleChoice ? text : text.substr(1))});
  switch (kind) {
    case QuestionKind::kNumeric: {
      std::string values;
      const int count = formulas_.QuestionVarCount.size() > 1 ? formulas_.QuestionVarCount[1] : 0;
      for (int n = 1; n <= count && n <= 16; ++n) {
        values += std::string(1, static_cast<char>('a' + n - 1)) + "=" +
                  SpacedNumberSingle(formulas_.Value(1, n)) + "  ";
      }
      if (!values.empty()) Picture1.push_back("Values drawn: " + Trim(values));
      float answer = s.Solution[1];
      int figures = 4;
      Picture1.push_back("Answer: " + FormatSF(answer, figures) + " (unit key " +
                         s.QuestionUnit[1] + ")");
      break;
    }
    case QuestionKind::kMultipleChoice:
      for (int k = 1; k <= s.OptionCount[1]; ++k) {
        Picture1.push_back("  (" + std::to_string(k) + ") " + s.OptionText[1][k] +
                           (k == s.CorrectOption[1] ? "   <- right" : ""));
      }
      break;
    case QuestionKind::kMultiSelect:
      Picture1.push_back("Boxes shown: " + Trim(block[4]) + "; right ticks: " + block[3]);
      break;
    case QuestionKind::kOneWord:
      for (int k = 1; k <= s.WordCount[1]; ++k) {
        Picture1.push_back("Word " + std::to_string(k) +
                           " accepts: " + Trim(block[static_cast<std::size_t>(k) + 2]));
      }
      break;
    case QuestionKind::kMatching:
      for (int k = 1; k <= s.MatchCount[1]; ++k) {
        Picture1.push_back("  " + s.MatchPrompt[1][static_cast<std::size_t>(k)] + " = " +
                           s.MatchAnswer[1][static_cast<std::size_t>(k)]);
      }
      break;
  }
  UnitCatalogue units;
  LoadUnits(units);
  for (const auto& box : quiet.prompts()) Picture1.push_back("Problem: formula: " + box.text);
  for (const auto& problem : PreparedQuestionProblems(one, s, 1, units)) {
    Picture1.push_back("Problem: " + problem);
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

void EncryptModel::cmdPublish_Click() {
  if (!written) return;
  const auto folder =
      prompter_->Input(std::string(kEncryptTitle),
                       "The web folder to publish the test in (it holds info and tests):",
                       WebFolderOnDisk(webBase_));
  if (!folder || Trim(*folder).empty()) return;
  try {
    const Published done = PublishTest(output_, Trim(*folder));
    prompter_->Message(std::string(kEncryptTitle),
                       (done.replaced ? "Replaced " : "Published ") + done.testFile.string() +
                           "\r\nTest list line: " + done.line +
                           (done.warning.empty() ? "" : "\r\n" + done.warning));
  } catch (const Error& e) {
    prompter_->Message(std::string(kEncryptTitle), "Not published: " + std::string(e.what()),
                       MessageButtons::Ok, MessageIcon::Critical);
  }
}

}  // namespace examora
