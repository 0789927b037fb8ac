// Commands on the formula services and the units catalogue.
#include <cmath>
#include <iostream>

#include "cli/cli_common.h"
#include "common/numtext.h"
#include "common/text.h"
#include "engine/units.h"
#include "formula/evaluator.h"
#include "formula/substitution.h"

namespace examora::cli {

int EvalCommand(const std::vector<std::string>& args, std::istream&, std::ostream& out,
                std::ostream& err) {
  const Arguments parsed = ParseArguments(args, {"--x"}, 1, {"--check"});
  const double x = parsed.Option("--x") ? NumberArgument(*parsed.Option("--x"), "--x") : 0;
  std::string expr = SourceTextToCp1252(parsed.positional[0]);
  int code = 0;
  if (parsed.Flag("--check")) {
    int errorPos = 0;
    CheckExpression(NormaliseSigns(expr), true, code, errorPos);
  }
  ConsolePrompter prompter(err, true);
  double value = 0;
  if (code == 0) value = EvaluateExpression(expr, x, code, {&prompter, nullptr, 0});
  if (code != 0) {
    out << "error " << code << ": " << EvaluatorMessage(code) << '\n';
    return 1;
  }
  out << FormatGeneral(value) << '\n';
  return 0;
}

int FormulaCommand(const std::vector<std::string>& args, std::istream&, std::ostream& out,
                   std::ostream& err) {
  const Arguments parsed = ParseArguments(args, {}, 1);
  ConsolePrompter prompter(err, false);
  FormulaTables tables;
  DebugLog debug;
  const FormulaResult result =
      SolveFormula(SourceTextToCp1252(parsed.positional[0]), 0, tables, {&prompter, &debug, 0});
  // The last box of a failure is its report; boxes before it (an overflow inside a call, a
  // matrix warning) are side notes.
  const auto& boxes = prompter.prompts();
  const std::size_t notes = result.ok ? boxes.size() : boxes.size() - 1;
  for (std::size_t i = 0; i < notes; ++i) prompter.Echo(boxes[i]);
  if (!result.ok) {
    out << Cp1252ToUtf8(boxes.back().text) << '\n';
    return 1;
  }
  out << FormatGeneralSingle(result.answer) << '\n';
  return 0;
}

int SigfigCommand(const std::vector<std::string>& args, std::istream&, std::ostream& out,
                  std::ostream&) {
  const Arguments parsed = ParseArguments(args, {}, 2);
  float value = static_cast<float>(NumberArgument(parsed.positional[0], "VALUE"));
  const double figuresValue = NumberArgument(parsed.positional[1], "FIGURES");
  if (figuresValue != std::floor(figuresValue) || std::fabs(figuresValue) > 32767) {
    throw UsageError("FIGURES must be a whole number");
  }
  int figures = static_cast<int>(figuresValue);
  out << FormatSF(value, figures) << '\n';
  return 0;
}

int ConvertCommand(const std::vector<std::string>& args, std::istream&, std::ostream& out,
                   std::ostream&) {
  const Arguments parsed = ParseArguments(args, {}, 3);
  const float solution = static_cast<float>(NumberArgument(parsed.positional[2], "SOLUTION"));
  float value = solution;
  std::string key = SourceTextToCp1252(parsed.positional[1]);
  ConvertSolutionUnits(SourceTextToCp1252(parsed.positional[0]), solution, value, key);
  out << FormatGeneralSingle(value) << ' ' << Cp1252ToUtf8(key) << '\n';
  return 0;
}

int UnitsCommand(const std::vector<std::string>& args, std::istream&, std::ostream& out,
                 std::ostream&) {
  ParseArguments(args, {}, 0);
  UnitCatalogue catalogue;
  LoadUnits(catalogue);
  for (int i = 1; i <= catalogue.UnitCount; ++i) {
    const UnitRow& u = catalogue.UnitTable[static_cast<std::size_t>(i)];
    out << i << '\t' << Cp1252ToUtf8(u.symbol) << '\t' << Cp1252ToUtf8(u.longName) << '\t'
        << u.prefixFlag << '\t' << Cp1252ToUtf8(u.key) << '\n';
  }
  return 0;
}
}  // namespace examora::cli
