// examora-cli sit: one sitting of a test, prepared with a seed and answered from a file through
// the test window's core. A dry run unless --save records it as an exam sitting.
#include <cmath>
#include <iostream>
#include <memory>

#include <unistd.h>

#include "cli/cli_common.h"
#include "cli/cli_sit_exam.h"
#include "common/numtext.h"
#include "common/text.h"
#include "crypto/enciphered_text.h"
#include "engine/dotest.h"
#include "formula/evaluator.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "testfile/authoring.h"

namespace examora::cli {
namespace {

std::string Utf8(std::string_view text) {
  return Cp1252ToUtf8(text);
}

// Message boxes shown since `from`, indented below the answer's line.
void PrintBoxes(std::ostream& out, const ScriptedPrompter& prompter, std::size_t from) {
  const auto& boxes = prompter.prompts();
  for (std::size_t b = from; b < boxes.size(); ++b) {
    out << "  " << Utf8(boxes[b].title) << '\n';
    for (const auto& line : SplitLines(boxes[b].text)) out << "  " << Utf8(line) << '\n';
  }
}

void PrintSitting(std::ostream& out, const ModuleExamora& m) {
  const Sitting& s = m.Prepared;
  for (int i = 1; i <= m.Bank.header.QuestionsToAsk; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const QuestionKind kind = KindOf(s.QuestionText[k]);
    out << "Q" << i << " bank " << s.QuestionOrder[k] << ' ' << KindName(kind) << '\n'
        << "  text: " << Utf8(s.QuestionText[k]) << '\n';
    if (kind == QuestionKind::kMultipleChoice) {
      for (int o = 1; o <= s.OptionCount[k]; ++o) {
        out << "  option " << o << " (" << static_cast<char>('A' + s.OptionOrder[k][o] - 1)
            << "): " << Utf8(s.OptionText[k][o]) << '\n';
      }
    } else if (kind == QuestionKind::kNumeric) {
      out << "  unit: " << Utf8(s.QuestionUnit[k]) << '\n'
          << "  solution: " << FormatGeneralSingle(s.Solution[k]) << '\n';
    }
  }
}

int FindUnit(const ModuleExamora& m, const std::string& symbol) {
  for (int u = 1; u <= m.Units.UnitCount; ++u) {
    if (m.Units.UnitTable[static_cast<std::size_t>(u)].symbol == symbol) return u - 1;
  }
  return -1;
}

int FindPrefix(const ModuleExamora& m, const std::string& symbol) {
  if (symbol == "-") return 4;
  for (std::size_t p = 1; p < m.Units.PrefixTable.size(); ++p) {
    if (!symbol.empty() && m.Units.PrefixTable[p].symbol == symbol) return static_cast<int>(p) - 1;
  }
  return -1;
}

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t pos; (pos = text.find(separator, start)) != std::string::npos;) {
    parts.push_back(Trim(text.substr(start, pos - start)));
    start = pos + separator.size();
  }
  parts.push_back(Trim(text.substr(start)));
  return parts;
}

// Enters one answer the way a student would in the window, and with `confirm` hands it in;
// returns a problem, or "" when it was entered.
std::string EnterAnswer(DoTestModel& model, ModuleExamora& m, const std::string& answer,
                        bool confirm) {
  const auto i = static_cast<std::size_t>(m.CurrentQuestion);
  const Sitting& s = m.Prepared;
  switch (KindOf(s.QuestionText[i])) {
    case QuestionKind::kNumeric: {
      // The number and the prefix are single words; the rest of the line is the unit symbol,
      // which may hold a blank ("No Units").
      auto parts = Split(answer, " ");
      if (parts.size() > 3) {
        for (std::size_t k = 3; k < parts.size(); ++k) parts[2] += " " + parts[k];
        parts.resize(3);
      }
      const bool plain = IsPlainNumberKey(s.QuestionUnit[i]);
      if (!IsNumberText(parts[0]) || parts[0] == "," || parts[0] == ".") return "not a number";
      if (plain) {
        if (parts.size() != 1) return "a plain-number question takes only a number";
        model.txtAnswer = parts[0];
        if (confirm) model.cmdOK_Click(false);
        return {};
      }
      if (parts.size() != 3) return "expected <number> <prefix or -> <unit>";
      const int prefix = FindPrefix(m, parts[1]);
      const int unit = FindUnit(m, parts[2]);
      if (prefix < 0) return "unknown prefix \"" + Utf8(parts[1]) + "\"";
      if (unit < 0) return "unknown unit \"" + Utf8(parts[2]) + "\"";
      model.List2_Click(unit);
      model.List1_Click(prefix);
      model.txtAnswer = parts[0];
      if (confirm) model.cmdOK_Click(true);
      return {};
    }
    case QuestionKind::kMultipleChoice: {
      if (answer.size() != 1 || answer[0] < 'A' || answer[0] - 'A' >= s.OptionCount[i]) {
        return "expected an option letter A to " +
               std::string(1, static_cast<char>('A' + s.OptionCount[i] - 1));
      }
      // The options are on screen only outside study mode.
      if (!m.StudyMode) model.opt_Click(s.OptionSlot[i][answer[0] - 'A' + 1]);
      if (confirm) model.Submitter();
      return {};
    }
    case QuestionKind::kMultiSelect: {
      // Every caption is checked before any box is ticked: a refused line leaves no ticks.
      std::vector<std::size_t> ticks;
      const auto& captions = CheckBoxCaptions();
      for (const auto& caption : Split(answer, ",")) {
        const auto it = std::find(captions.begin(), captions.end(), caption);
        if (it == captions.end()) return "no box is captioned \"" + Utf8(caption) + "\"";
        ticks.push_back(static_cast<std::size_t>(it - captions.begin()));
      }
      model.Check1.fill(false);
      for (std::size_t box : ticks) model.Check1[box] = true;
      if (confirm) model.Submitter();
      return {};
    }
    case QuestionKind::kOneWord: {
      const auto words = Split(answer, " | ");
      if (words.size() > 6) return "at most 6 words";
      for (std::size_t k = 0; k < words.size(); ++k) model.txtOneWord[k] = words[k];
      if (confirm) model.cmd_OK3_Click();
      return {};
    }
    case QuestionKind::kMatching: {
      const auto items = Split(answer, ",");
      if (items.size() > 12) return "at most 12 items";
      for (std::size_t k = 0; k < items.size(); ++k) model.txtMatch[k] = items[k];
      if (confirm) model.cmd_OK4_Click();
      return {};
    }
  }
  return {};
}

std::string Answer(DoTestModel& model, ModuleExamora& m, const std::string& answer) {
  return EnterAnswer(model, m, answer, true);
}

std::string EnterAnswer(DoTestModel& model, ModuleExamora& m, const std::string& answer) {
  return EnterAnswer(model, m, answer, false);
}

// Leaves the sitting open, as a student still at it would (for interruption drills).
[[noreturn]] void HoldUntilKilled(std::ostream& out) {
  out << "holding" << std::endl;
  for (;;) ::pause();
}

// "--keeper" takes the next word as the keeper's path when it is one (holds a "/"), and means
// the installed keeper otherwise.
CommandArgs KeeperOption(const CommandArgs& args) {
  CommandArgs out;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--keeper") {
      out.push_back(args[i]);
      continue;
    }
    out.push_back("--keeper");
    const bool path = i + 1 < args.size() && args[i + 1].find('/') != std::string::npos &&
                      !args[i + 1].starts_with("--");
    out.push_back(path ? args[++i] : "");
  }
  return out;
}

}  // namespace

int SitCommand(const CommandArgs& given, std::istream& in, std::ostream& out, std::ostream& err) {
  const CommandArgs args = KeeperOption(given);
  const Arguments parsed = ParseArguments(
      args,
      {"--seed", "--answers", "--students", "--student", "--save", "--journal-key", "--keeper"}, 1,
      {"--exam", "--hold"});
  const double seed =
      parsed.Option("--seed") ? NumberArgument(*parsed.Option("--seed"), "--seed") : 1;
  ModuleExamora m;
  m.Bank = ReadAnyTest(parsed.positional[0]);
  // The records are handed the enciphered test, as the program fetches it; a plain source is
  // enciphered here as the authoring tool would.
  std::string testBytes;
  if (IsPlainSource(parsed.positional[0])) {
    for (std::string line : TestLines(m.Bank)) testBytes += EncryptText(line) + "\r\n";
  } else {
    testBytes = ReadFileBytes(parsed.positional[0]);
  }
  m.StudyMode = !parsed.Flag("--exam");
  m.TestNumber = static_cast<int>(LeadingNumber(m.Bank.testNumber));
  m.TestName = m.Bank.testName;
  m.StudentName = m.StudyMode ? "Study Mode" : "";
  // The windows' session start-up: version, web folder, the account's name and its folders.
  SystemEnvironment env;
  std::vector<std::string> none;
  const DeploymentSettings settings = LoadDeploymentSettings(none, env);
  InitSession(m, settings, env);
  SetStudentPaths(m, settings, env);
  std::unique_ptr<ExamSitting> exam;
  if (parsed.Option("--save") || parsed.Option("--keeper")) {
    if (parsed.Option("--save") && parsed.Option("--keeper")) {
      throw UsageError("--save and --keeper cannot go together: the keeper knows its folder");
    }
    exam = std::make_unique<ExamSitting>(parsed, m, testBytes, in, err);
  }
  // An exam sitting is drawn from the seed its records chose.
  const std::uint64_t seedValue = exam ? exam->Seed() : static_cast<std::uint64_t>(std::fabs(seed));
  SeededRandom random(seedValue);
  ScriptedPrompter prompter;
  FormulaContext context{&prompter, &m.Debugger, 0};
  m.Prepared = Scrambler(m.Bank, m.StudyMode, "", random, m.Formulas, context);
  if (!prompter.prompts().empty()) {
    out << "Preparing the sitting:\n";
    PrintBoxes(out, prompter, 0);
  }
  if (!parsed.Option("--answers") && !exam) {
    PrintSitting(out, m);
    return 0;
  }
  const auto lines =
      parsed.Option("--answers")
          ? SplitLines(SourceTextToCp1252(ReadFileBytes(*parsed.Option("--answers"))))
          : std::vector<std::string>();
  SystemClock clock;
  DoTestModel model(m, prompter, random, clock, env);
  if (exam) exam->Begin(model, out);
  int malformed = 0;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    if (Trim(lines[n]).empty()) continue;
    const std::size_t colon = lines[n].find(':');
    const double position =
        colon == std::string::npos ? 0 : LeadingNumber(lines[n].substr(0, colon));
    std::string problem;
    if (colon == std::string::npos || position < 1 || position > model.QuestionsToAsk() ||
        position != std::floor(position)) {
      problem = "expected <position>: <answer> with a position from 1 to " +
                std::to_string(model.QuestionsToAsk());
    } else if (model.QuestionState[static_cast<std::size_t>(position)] >= 8) {
      // A resumed sitting fed its whole answer file again: the marked ones are not errors.
      if (exam) continue;
      problem = "question " + FormatGeneral(position) + " is already marked";
    }
    if (problem.empty()) {
      m.CurrentQuestion = static_cast<int>(position);
      model.ShowQuestion();
      const std::size_t before = prompter.prompts().size();
      problem = exam ? EnterAnswer(model, m, Trim(lines[n].substr(colon + 1)))
                     : Answer(model, m, Trim(lines[n].substr(colon + 1)));
      if (problem.empty() && exam && !exam->Confirm(model, problem) && problem.empty()) {
        problem = "nothing was marked";
      }
      const auto i = static_cast<std::size_t>(position);
      if (problem.empty() && exam && model.QuestionState[i] < 8) problem = "nothing was marked";
      if (problem.empty()) {
        out << "Q" << i << ' ' << model.ResultCode[i] << ' ' << model.QuestionState[i] << '\n';
        PrintBoxes(out, prompter, before);
        continue;
      }
      PrintBoxes(out, prompter, before);
    }
    ++malformed;
    out << "line " << n + 1 << ": " << Utf8(problem) << "; nothing submitted\n";
  }
  if (parsed.Flag("--hold")) HoldUntilKilled(out);
  // The sitting ends after the last answer line, as when the student presses END.
  if (model.TestEnded == 0) model.EndtheTest();
  for (const auto& line : model.endScreen) out << Utf8(line) << '\n';
  out << Utf8(model.progress.statisticsLine) << '\n';
  const int saved = exam ? exam->Report(out, err) : 0;
  return malformed == 0 ? saved : 1;
}

}  // namespace examora::cli
