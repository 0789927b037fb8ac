#include "testfile/authoring.h"

#include <algorithm>
#include <cmath>

#include "common/error.h"
#include "common/numtext.h"
#include "common/text.h"
#include "platform/files.h"

namespace examora {
namespace {

bool IsEndMarker(const std::string& line) {
  return Trim(line.substr(0, 19)) == kEndOfFileMarker;
}

std::string LineAt(const std::vector<std::string>& lines, std::size_t n) {
  return n <= lines.size() ? lines[n - 1] : std::string();
}

// Cuts a label of the given length off the front; a shorter line leaves nothing.
std::string AfterLabel(const std::string& line, std::size_t label) {
  return line.size() > label ? line.substr(label) : std::string();
}

bool EndsWithTrue(const std::string& line) {
  const std::string t = Trim(line);
  return t.ends_with("TRUE") || t.ends_with("true") || t.ends_with("True");
}

std::string LineCountDigits(const TestBank& bank) {
  std::string digits;
  for (std::size_t q = 1; q < bank.QLineCount.size(); ++q) {
    digits += static_cast<char>('0' + bank.QLineCount[q] % 10);
  }
  return digits;
}

}  // namespace

std::string CleanedSource::Notice() const {
  if (extraLines == 0) return {};
  return std::to_string(extraLines) + " extra blank lines removed from txt file.";
}

CleanedSource CleanUpSource(const std::vector<std::string>& lines) {
  if (lines.size() > static_cast<std::size_t>(kMaxSourceLines)) {
    throw FormatError("The source has " + std::to_string(lines.size()) +
                      " lines; at most 5000 can be converted.");
  }
  std::size_t last = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (IsEndMarker(lines[i])) last = i + 1;
  }
  if (last == 0) {
    throw FormatError("The source has no line \"*** END OF FILE ***\" to end its question bank.");
  }
  CleanedSource cleaned;
  cleaned.lines.assign(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(last));
  cleaned.extraLines = static_cast<int>(lines.size() - last);
  for (std::size_t i = last; i < lines.size(); ++i) {
    if (!Trim(lines[i]).empty()) cleaned.extraAllBlank = false;
  }
  return cleaned;
}

std::string DropLinesAfterEnd(const std::filesystem::path& source, const CleanedSource& cleaned) {
  if (cleaned.extraLines == 0) return {};
  const std::string raw = ReadFileBytes(source);
  std::string message = cleaned.Notice();
  if (!cleaned.extraAllBlank) {
    std::filesystem::path backup;
    for (int n = 1; n < 100 && backup.empty(); ++n) {
      std::filesystem::path candidate = source;
      candidate += n == 1 ? ".bak" : ".bak" + std::to_string(n);
      if (CreateFileIfMissing(candidate)) backup = candidate;
    }
    if (backup.empty()) throw FileError("No free backup name beside \"" + source.string() + "\"");
    WriteFileAtomically(backup, raw);
    message += "\r\nNot all of them were blank: the file as it was is kept in \"" +
               backup.filename().string() + "\".";
  }
  // The source keeps its own bytes for the lines it keeps.
  const std::vector<std::string> rawLines = SplitLines(raw);
  std::string text;
  for (std::size_t i = 0; i < cleaned.lines.size() && i < rawLines.size(); ++i) {
    text += rawLines[i] + "\r\n";
  }
  WriteFileAtomically(source, text);
  return message;
}

TestBank ParseSource(const std::vector<std::string>& lines) {
  TestBank bank;
  bank.testNumber = FormatGeneral(LeadingNumber(LineAt(lines, 1)));
  bank.testName = LineAt(lines, 2);
  TestHeader& h = bank.header;
  h.TestTitle = Trim(AfterLabel(Trim(LineAt(lines, 3)), 7));
  h.Compulsory = EndsWithTrue(LineAt(lines, 4));
  h.PassMark = static_cast<float>(LeadingNumber(AfterLabel(Trim(LineAt(lines, 5)), 9)));
  h.TestDescription = Trim(LineAt(lines, 6));
  h.VariablesText = Trim(LineAt(lines, 7));
  bank.QLineCount.assign(1, 0);
  bank.Questions.assign(1, QuestionBlock{});
  for (std::size_t n = 8; n <= lines.size(); ++n) {
    const std::string& line = lines[n - 1];
    if (IsEndMarker(line)) break;
    if (line.starts_with("----------")) {
      if (bank.Questions.size() > static_cast<std::size_t>(kMaxQuestionsInFile)) {
        throw FormatError("Line " + std::to_string(n) +
                          " starts question 501; a bank holds at "
                          "most 500 questions.");
      }
      bank.Questions.push_back(QuestionBlock(1));
      continue;
    }
    if (bank.Questions.size() == 1) continue;  // before the first question: not part of it
    QuestionBlock& block = bank.Questions.back();
    if (block.size() > static_cast<std::size_t>(kMaxBlockLines)) {
      throw FormatError("Question " + std::to_string(bank.Questions.size() - 1) +
                        " has more than 8 lines (line " + std::to_string(n) + ").");
    }
    block.push_back(line);
  }
  for (std::size_t q = 1; q < bank.Questions.size(); ++q) {
    const int count = static_cast<int>(bank.Questions[q].size()) - 3;
    if (count < 0) {
      throw FormatError("Question " + std::to_string(q) +
                        " has fewer than 2 lines (a question line and a picture line).");
    }
    bank.QLineCount.push_back(count);
    if (bank.Questions[q][1].starts_with("#(cont)")) bank.HasContinuation = true;
  }
  h.QuestionsInFile = static_cast<int>(bank.Questions.size()) - 1;
  h.LineCountDigits = LineCountDigits(bank);
  h.QuestionsToAsk = h.QuestionsInFile;
  h.MinutesPerQuestion = 1;
  h.TestMinutes = static_cast<float>(h.QuestionsToAsk);
  return bank;
}

ComputeResult Compute(TestBank& bank, double questionsToAsk, double minutesPerQuestion) {
  TestHeader& h = bank.header;
  // An integer assignment rounds (half to even): 2.6 questions are 3.
  const double questions = std::isnan(questionsToAsk) ? 0.0 : questionsToAsk;
  h.QuestionsToAsk = static_cast<int>(RoundHalfEven(std::clamp(questions, -1.0, 1e6)));
  h.MinutesPerQuestion = static_cast<float>(minutesPerQuestion);
  h.TestMinutes = static_cast<float>(h.QuestionsToAsk) * h.MinutesPerQuestion;
  if (h.QuestionsToAsk > h.QuestionsInFile) return {"Too many questions!", false};
  if (h.QuestionsToAsk > 0 && h.MinutesPerQuestion > 0) {
    // A time the clock cannot run is refused here as the loader would refuse it.
    if (std::string problem = TestTimeProblem(h); !problem.empty()) return {problem, false};
    return {FormatGeneralSingle(h.TestMinutes) + " minutes", true};
  }
  if (h.QuestionsToAsk > 0) return {"Not enough time!", false};
  return {"Not enough questions!", false};
}

void Encryptit(const TestBank& bank, const std::filesystem::path& output,
               const LineCipher& cipher) {
  WriteEncipheredFile(output, TestLines(bank), cipher);
}

std::filesystem::path EncryptedName(const std::filesystem::path& source) {
  return std::filesystem::path(source).replace_extension(".eqb");
}

std::string OutputOverwritesSource(const std::filesystem::path& source,
                                   const std::filesystem::path& output) {
  std::error_code sourceError, outputError, linkError;
  const auto sourceName = std::filesystem::weakly_canonical(source, sourceError);
  const auto outputName = std::filesystem::weakly_canonical(output, outputError);
  // equivalent() sees hard and symbolic links; the names alone cover an output not yet there.
  const bool same = (!sourceError && !outputError && sourceName == outputName) ||
                    std::filesystem::equivalent(source, output, linkError);
  if (!same) return {};
  return "\"" + output.string() + "\" is the question bank itself: writing the test there would " +
         "replace the bank; name the bank *.txt or choose another output";
}

}  // namespace examora
