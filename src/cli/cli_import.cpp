// examora-cli import: a Moodle XML or GIFT question file becomes a plain question bank.
#include <algorithm>
#include <iostream>

#include "bridge/question_import.h"
#include "cli/cli_common.h"
#include "common/text.h"

namespace examora::cli {

int ImportCommand(const CommandArgs& args, std::istream&, std::ostream& out, std::ostream& err) {
  const Arguments parsed = ParseArguments(args, {"-o", "--number", "--name"}, 1);
  const std::filesystem::path input = parsed.positional[0];
  ImportOptions options;
  options.number = parsed.Option("--number").value_or("");
  if (!options.number.empty() &&
      (options.number.size() != 5 ||
       !std::all_of(options.number.begin(), options.number.end(), ::isdigit))) {
    throw UsageError("--number takes a five-digit test number");
  }
  options.name = SourceTextToCp1252(parsed.Option("--name").value_or(""));
  const ImportReport report = ImportQuestionFile(input, options);
  for (const auto& line : report.Lines()) out << Cp1252ToUtf8(line) << '\n';
  const auto output = parsed.Option("-o") ? std::filesystem::path(*parsed.Option("-o"))
                                          : ImportDefaultOutput(input);
  if (report.imported == 0) {
    err << "examora-cli: no question of \"" << input.string()
        << "\" could be imported, so nothing was written\n";
    return 1;
  }
  for (const auto& path : WriteImportedSources(report, output)) {
    out << "written: " << path.string() << '\n';
  }
  return 0;
}

}  // namespace examora::cli
