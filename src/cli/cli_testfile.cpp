// Commands on test files: authoring, showing and checking a test.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <map>

#include "app/publish.h"
#include "cli/cli_common.h"
#include "common/error.h"
#include "common/numtext.h"
#include "common/text.h"
#include "engine/units.h"
#include "platform/files.h"
#include "testfile/authoring.h"
#include "testfile/question_check.h"
#include "testfile/scrambler.h"

namespace examora::cli {
namespace {

std::string Utf8(std::string_view text) {
  return Cp1252ToUtf8(text);
}

std::vector<std::string> SourceLines(const std::filesystem::path& path) {
  return SplitLines(SourceTextToCp1252(ReadFileBytes(path)));
}

}  // namespace

bool IsPlainSource(const std::filesystem::path& path) {
  for (const auto& line : SplitLines(ReadFileBytes(path))) {
    if (Trim(line.substr(0, 19)) == kEndOfFileMarker) return true;
  }
  return false;
}

TestBank ReadAnyTest(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  if (!IsPlainSource(path)) return LoadTestFile(path, name);
  TestBank bank = ParseSource(CleanUpSource(SourceLines(path)).lines);
  ValidateBlocks(bank, "\"" + name + "\"");
  return bank;
}

int AuthorCommand(const CommandArgs& args, std::istream&, std::ostream& out, std::ostream& err) {
  const Arguments parsed = ParseArguments(args, {"--questions", "--minutes", "-o"}, 1);
  const std::filesystem::path source = parsed.positional[0];
  const std::filesystem::path target = parsed.Option("-o").value_or(EncryptedName(source).string());
  // Checked before anything is read or tidied: the bank is the one file that must survive.
  if (const std::string clash = OutputOverwritesSource(source, target); !clash.empty()) {
    throw UsageError(clash);
  }
  const CleanedSource cleaned = CleanUpSource(SourceLines(source));
  TestBank bank = ParseSource(cleaned.lines);
  ValidateBlocks(bank, "\"" + source.filename().string() + "\"");
  const double questions = parsed.Option("--questions")
                               ? NumberArgument(*parsed.Option("--questions"), "--questions")
                               : bank.header.QuestionsInFile;
  const double minutes =
      parsed.Option("--minutes") ? NumberArgument(*parsed.Option("--minutes"), "--minutes") : 1;
  const ComputeResult computed = Compute(bank, questions, minutes);
  out << computed.message << '\n';
  if (cleaned.extraLines > 0) {
    // Tidying the source is a courtesy: a read-only source or a full disk must not cost the
    // teacher the test.
    try {
      std::string message = DropLinesAfterEnd(source, cleaned);
      std::erase(message, '\r');
      out << Cp1252ToUtf8(message) << '\n';
    } catch (const FileError& e) {
      out << "The lines after \"*** END OF FILE ***\" were left in the source: " << e.what()
          << '\n';
    }
  }
  if (!computed.ok) {
    err << "examora-cli: no test written: a sitting needs 1 to " << bank.header.QuestionsInFile
        << " questions and some time per question\n";
    return 1;
  }
  Encryptit(bank, target);
  out << "Wrote " << bank.header.QuestionsInFile << " questions to " << target.string() << '\n';
  return 0;
}

int PublishCommand(const CommandArgs& args, std::istream&, std::ostream& out, std::ostream& err) {
  const Arguments parsed = ParseArguments(args, {"--web"}, 1);
  const auto web = parsed.Option("--web");
  if (!web)
    throw UsageError("publish needs --web DIR (the web folder that holds info/ and tests/)");
  const Published done = PublishTest(parsed.positional[0], *web);
  out << (done.replaced ? "Replaced " : "Published ") << Utf8(done.testFile.string()) << '\n'
      << "Test list line: " << Utf8(done.line) << '\n';
  if (!done.warning.empty()) err << "examora-cli: " << done.warning << '\n';
  return 0;
}

int ShowCommand(const CommandArgs& args, std::istream&, std::ostream& out, std::ostream&) {
  const Arguments parsed = ParseArguments(args, {}, 1);
  const TestBank bank = ReadAnyTest(parsed.positional[0]);
  const TestHeader& h = bank.header;
  out << "Test number: " << Utf8(bank.testNumber) << '\n'
      << "Test name: " << Utf8(bank.testName) << '\n'
      << "Title: " << Utf8(h.TestTitle) << '\n'
      << "Compulsory: " << (h.Compulsory ? "True" : "False") << '\n'
      << "Pass mark: " << FormatGeneralSingle(h.PassMark) << '\n'
      << "Questions in bank: " << h.QuestionsInFile << '\n'
      << "Minutes per question: " << FormatGeneralSingle(h.MinutesPerQuestion) << '\n'
      << "Questions per sitting: " << h.QuestionsToAsk << '\n'
      << "Duration: " << FormatGeneralSingle(h.TestMinutes) << " minutes\n"
      << "Line counts: " << h.LineCountDigits << '\n'
      << "Description: " << Utf8(h.TestDescription) << '\n'
      << "Variables and definitions: " << Utf8(h.VariablesText) << '\n'
      << "Continued question groups: " << (bank.HasContinuation ? "yes" : "no") << '\n';
  for (std::size_t q = 1; q < bank.Questions.size(); ++q) {
    const QuestionBlock& block = bank.Questions[q];
    out << "\nQuestion " << q << " (" << KindName(KindOf(block[1])) << ")\n";
    for (std::size_t j = 1; j < block.size(); ++j)
      out << "  (" << j << ") " << Utf8(block[j]) << '\n';
  }
  return 0;
}

namespace {

// Problems found over many sittings, each counted, in the order first met.
class ProblemList {
 public:
  void Add(int question, const std::string& what) {
    const std::string key = "Q" + std::to_string(question) + ": " + what;
    if (counts_.emplace(key, 0).second) order_.push_back(key);
    ++counts_[key];
  }
  std::size_t size() const { return order_.size(); }
  void Print(std::ostream& out, int sittings) const {
    for (const auto& key : order_) {
      out << Utf8(key) << " (" << counts_.at(key) << " of " << sittings << " sittings)\n";
    }
  }

 private:
  std::vector<std::string> order_;
  std::map<std::string, int> counts_;
};

void CheckSitting(const TestBank& bank, const Sitting& s, const UnitCatalogue& units,
                  ProblemList& problems) {
  for (int i = 1; i <= s.size(); ++i) {
    for (const auto& problem : PreparedQuestionProblems(bank, s, i, units)) {
      problems.Add(s.QuestionOrder[i], problem);
    }
  }
}

}  // namespace

int CheckCommand(const CommandArgs& args, std::istream&, std::ostream& out, std::ostream&) {
  const Arguments parsed = ParseArguments(args, {"--sittings", "--seed"}, 1);
  const double sittingsValue = parsed.Option("--sittings")
                                   ? NumberArgument(*parsed.Option("--sittings"), "--sittings")
                                   : 200;
  if (sittingsValue < 1 || sittingsValue > 100000 || sittingsValue != std::floor(sittingsValue)) {
    throw UsageError("--sittings takes a whole number from 1 to 100000");
  }
  const int sittings = static_cast<int>(sittingsValue);
  const double seed =
      parsed.Option("--seed") ? NumberArgument(*parsed.Option("--seed"), "--seed") : 1;
  const TestBank bank = ReadAnyTest(parsed.positional[0]);
  UnitCatalogue units;
  LoadUnits(units);
  SeededRandom random(static_cast<std::uint64_t>(std::fabs(seed)));
  ProblemList problems;
  for (int n = 0; n < sittings; ++n) {
    ScriptedPrompter prompter;
    DebugLog debug;
    FormulaContext context{&prompter, &debug, 0};
    FormulaTables formulas;
    const Sitting s = Scrambler(bank, false, "", random, formulas, context);
    for (const auto& box : prompter.prompts()) {
      const int position = PositionNamed(box);
      const int q = position >= 1 && position <= s.size() ? s.QuestionOrder[position] : 0;
      problems.Add(q, "formula: " + box.text);
    }
    CheckSitting(bank, s, units, problems);
  }
  problems.Print(out, sittings);
  out << sittings << " sittings, " << problems.size() << " problems\n";
  return problems.size() == 0 ? 0 : 1;
}

}  // namespace examora::cli
