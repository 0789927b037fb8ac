// examora-cli results: the result file processor's steps on a folder of result files, each
// printing the lines the `Marks` window logs.
#include <iostream>

#include "app/settings.h"
#include "cli/cli_common.h"
#include "common/text.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "reports/question_stats.h"
#include "reports/reports.h"
#include "reports/result_processor.h"

namespace examora::cli {
namespace {

const std::vector<std::string> kOptions = {"--folder", "--students", "--testlist", "--test"};

struct Setup {
  Arguments parsed;
  ResultFolder folder;
  std::filesystem::path testList;
  bool testListGiven = false;
};

// The test list: as given, else the one the desktop processor reads.
std::filesystem::path DefaultTestList() {
  std::vector<std::string> none;
  return ProcessorTestListFile(LoadDeploymentSettings(none, SystemEnvironment()));
}

Setup Prepare(const CommandArgs& args, std::size_t positional) {
  Setup s{ParseArguments(args, kOptions, positional), {}, {}, false};
  const auto folder = s.parsed.Option("--folder");
  if (!folder) throw UsageError(args[0] + " needs --folder DIR (the student files folder)");
  s.folder = NativeResultFolder(*folder);
  const auto list = s.parsed.Option("--testlist");
  s.testListGiven = list.has_value();
  s.testList = list ? std::filesystem::path(*list) : DefaultTestList();
  return s;
}

// The class list from a plain student data file or an enciphered "std_crypt.eqb".
std::vector<StudentRow> ReadStudents(const Setup& s, std::ostream& err, bool required) {
  const auto file = s.parsed.Option("--students");
  if (!file) {
    if (required) {
      throw UsageError("this step needs --students FILE (a plain student data file or " +
                       std::string(kStudentsCryptFileName) + ")");
    }
    return {};
  }
  const std::filesystem::path path = *file;
  if (path.extension() == ".eqb") return ReadStudentsCrypt(path).rows;
  PlainStudentsFile read = ReadPlainStudentsFile(path);
  if (read.missingEndLine) {
    err << "examora-cli: \"" << path.string()
        << "\" does not end with a short line; all its lines were taken as students\n";
  }
  return read.rows;
}

void Print(std::ostream& out, const std::vector<std::string>& lines) {
  for (const auto& line : lines) out << Cp1252ToUtf8(line) << '\n';
}

std::vector<TestIdEntry> OptionalTestList(const Setup& s) {
  std::error_code ec;
  if (!s.testListGiven && !std::filesystem::exists(s.testList, ec)) return {};
  return ReadTestIdList(ReadFileBytes(s.testList), s.testList.string());
}

int Stats(const Setup& s, std::ostream& out) {
  const std::string number = s.parsed.positional[0];
  std::vector<int> optionCounts;
  std::string name;
  if (const auto test = s.parsed.Option("--test")) {
    const TestBank bank = ReadAnyTest(*test);
    optionCounts = OptionCountsOf(bank.QLineCount);
    name = bank.testName;
  } else {
    for (const auto& t : OptionalTestList(s)) {
      if (t.number == number) name = t.name;
    }
  }
  Print(out, WriteQuestionStats(s.folder, number, optionCounts, name));
  return 0;
}

}  // namespace

int ResultsCommand(const CommandArgs& args, std::istream&, std::ostream& out, std::ostream& err) {
  const std::string step = args.size() > 1 ? args[1] : "";
  // Checked first: without a step there are no arguments left to name in a message.
  if (step != "rebuild" && step != "split" && step != "sort" && step != "reports" &&
      step != "stats" && step != "recover") {
    throw UsageError("results takes rebuild, split, sort, reports, stats or recover");
  }
  CommandArgs rest(args.begin() + 1, args.end());
  rest[0] = "results " + step;
  if (step == "recover") return RecoverCommand(rest, out);
  const Setup s = Prepare(rest, step == "stats" ? 1 : 0);
  ResultProcessor processor(s.folder, s.testList);
  if (step == "rebuild") {
    Print(out, processor.RebuildMaster(StudentNumbers(ReadStudents(s, err, true))));
  } else if (step == "split") {
    processor.LoadMaster();  // a new run: the master file as it stands
    Print(out, processor.BuildTestRecords());
  } else if (step == "sort") {
    Print(out, processor.ByDate(StudentNumbers(ReadStudents(s, err, true))));
  } else if (step == "reports") {
    Print(out, SortSN(s.folder, ReadStudents(s, err, false), OptionalTestList(s)));
  } else {
    return Stats(s, out);
  }
  return 0;
}

}  // namespace examora::cli
