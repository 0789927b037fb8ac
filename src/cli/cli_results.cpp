// examora-cli results: the result file processor's steps on a folder of result files, each
// printing the lines the `Marks` window logs.
#include <iostream>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "app/settings.h"
#include "cli/cli_common.h"
#include "common/error.h"
#include "common/text.h"
#include "platform/environment.h"
#include "platform/files.h"
#include "reports/gradebook_export.h"
#include "reports/question_stats.h"
#include "reports/reports.h"
#include "reports/result_processor.h"
#include "reports/stats_source.h"

namespace examora::cli {
namespace {

const std::vector<std::string> kOptions = {"--folder",      "--students", "--testlist", "--test",
                                           "--journal-key", "--format",   "-o"};

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

// The journal key: as given, else the folder's own (a lab's), else this user's.
StatsRequest KeyFor(const Setup& s, StatsRequest request) {
  std::filesystem::path key = s.folder.native / "journal.key";
  std::error_code ec;
  if (const auto given = s.parsed.Option("--journal-key")) {
    key = *given;
  } else if (!std::filesystem::exists(key, ec)) {
    std::vector<std::string> none;
    key = LoadDeploymentSettings(none, SystemEnvironment()).journalKeyFile;
  }
  try {
    request.key = ReadJournalKey(key);
  } catch (const Error& e) {
    request.keyProblem = std::string(e.what()) + ": the journals cannot be verified";
  }
  return request;
}

int Stats(const Setup& s, std::ostream& out) {
  StatsRequest request{s.parsed.positional[0], std::nullopt, std::nullopt, ""};
  std::string name;
  for (const auto& t : OptionalTestList(s)) {
    if (t.number == request.testNumber) name = t.name;
  }
  if (const auto test = s.parsed.Option("--test")) {
    request.testBytes = ReadFileBytes(*test, std::size_t{16} << 20);
    name = LoadTestText(*request.testBytes, *test).testName;
  }
  const ResultsFolder folder(s.folder.native);
  Print(out, WriteStatsPage(s.folder, TestStatistics(folder, KeyFor(s, request)), name));
  return 0;
}

int Export(const Setup& s, std::ostream& out, std::ostream& err) {
  const std::string format = s.parsed.Option("--format").value_or("csv");
  if (format != "csv" && format != "moodle") throw UsageError("--format takes moodle or csv");
  const std::string csv =
      ExportGradebook(s.folder, ReadStudents(s, err, true), OptionalTestList(s),
                      format == "moodle" ? GradebookFormat::kMoodle : GradebookFormat::kCsv);
  if (const auto file = s.parsed.Option("-o")) {
    WriteFileAtomically(*file, csv);
    out << "written: " << *file << '\n';
  } else {
    out << csv;
  }
  return 0;
}

// The year's four steps in one run: the split and the sort use the rebuilt lines as they are,
// and the master file is read back only by the reports.
void AllSteps(const Setup& s, std::ostream& out, std::ostream& err) {
  const std::vector<StudentRow> students = ReadStudents(s, err, true);
  const std::vector<std::string> numbers = StudentNumbers(students);
  ResultProcessor processor(s.folder, s.testList);
  Print(out, processor.RebuildMaster(numbers));
  Print(out, processor.BuildTestRecords());
  Print(out, processor.ByDate(numbers));
  Print(out, SortSN(s.folder, students, processor.Tests()));
}

// The steps build and drop several buffers the size of the master file in turn: kept in the
// process rather than handed back to the system and faulted in afresh each time.
void KeepFreedMemory() {
#ifdef __GLIBC__
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_TOP_PAD, 64 << 20);
#endif
}

bool KnownStep(const std::string& step) {
  for (const char* known : {"rebuild", "split", "sort", "reports", "all", "create-missing", "stats",
                            "recover", "export"}) {
    if (step == known) return true;
  }
  return false;
}

}  // namespace

int ResultsCommand(const CommandArgs& args, std::istream&, std::ostream& out, std::ostream& err) {
  const std::string step = args.size() > 1 ? args[1] : "";
  // Checked first: without a step there are no arguments left to name in a message.
  if (!KnownStep(step)) {
    throw UsageError(
        "results takes rebuild, split, sort, reports, all, create-missing, stats, recover or "
        "export");
  }
  CommandArgs rest(args.begin() + 1, args.end());
  rest[0] = "results " + step;
  if (step == "recover") return RecoverCommand(rest, out);
  const Setup s = Prepare(rest, step == "stats" ? 1 : 0);
  KeepFreedMemory();
  ResultProcessor processor(s.folder, s.testList);
  if (step == "rebuild") {
    Print(out, processor.RebuildMaster(StudentNumbers(ReadStudents(s, err, true))));
  } else if (step == "split") {
    processor.LoadMaster();  // a new run: the master file as it stands
    Print(out, processor.BuildTestRecords());
  } else if (step == "sort") {
    Print(out, processor.ByDate(StudentNumbers(ReadStudents(s, err, true))));
  } else if (step == "export") {
    return Export(s, out, err);
  } else if (step == "reports") {
    Print(out, SortSN(s.folder, ReadStudents(s, err, false), OptionalTestList(s)));
  } else if (step == "all") {
    AllSteps(s, out, err);
  } else if (step == "create-missing") {
    Print(out, processor.CreateMissingStudentRecords(StudentNumbers(ReadStudents(s, err, true))));
  } else {
    return Stats(s, out);
  }
  return 0;
}

}  // namespace examora::cli
