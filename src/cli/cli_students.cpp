// The students file commands: encipher a teacher's plain class list into "std_crypt.eqb", and
// show what an enciphered one holds.
#include <iostream>

#include "app/students.h"
#include "cli/cli_common.h"
#include "common/text.h"

namespace examora::cli {
namespace {

int Encrypt(const CommandArgs& args, std::ostream& out, std::ostream& err) {
  const Arguments parsed = ParseArguments(args, {"--folder", "-o"}, 1);
  const auto folder = parsed.Option("--folder");
  if (!folder) throw UsageError("students encrypt needs --folder DIR (the result files folder)");
  const std::filesystem::path plain = parsed.positional[0];
  const std::filesystem::path target =
      parsed.Option("-o").value_or(std::string(kStudentsCryptFileName));
  PlainStudentsFile read = ReadPlainStudentsFile(plain);
  if (read.missingEndLine) {
    err << "examora-cli: \"" << plain.string()
        << "\" does not end with an empty line; all its lines were taken as students\n";
  }
  WriteStudentsCrypt(target, {FolderWithSeparator(SourceTextToCp1252(*folder)), read.rows});
  out << "Enciphered " << read.rows.size() << " students into " << target.string() << '\n';
  return 0;
}

int Show(const CommandArgs& args, std::ostream& out) {
  const Arguments parsed = ParseArguments(args, {}, 1);
  const StudentsTable table = ReadStudentsCrypt(parsed.positional[0]);
  out << table.rows.size() << '\n' << Cp1252ToUtf8(table.folder) << '\n';
  for (const auto& row : table.rows) {
    out << row.number << '\t' << Cp1252ToUtf8(row.password) << '\t' << Cp1252ToUtf8(row.firstName)
        << '\t' << Cp1252ToUtf8(row.lastName) << '\n';
  }
  return 0;
}

}  // namespace

int StudentsCommand(const CommandArgs& args, std::istream&, std::ostream& out, std::ostream& err) {
  const std::string action = args.size() > 1 ? args[1] : "";
  CommandArgs rest(args.begin() + (args.empty() ? 0 : 1), args.end());
  if (!rest.empty()) rest[0] = "students " + action;  // names the command in usage messages
  if (action == "encrypt") return Encrypt(rest, out, err);
  if (action == "show") return Show(rest, out);
  throw UsageError("students takes \"encrypt\" or \"show\"");
}

}  // namespace examora::cli
