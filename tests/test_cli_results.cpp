#include <sstream>

#include <gtest/gtest.h>

#include "cli/cli.h"
#include "platform/files.h"
#include "test_support.h"

namespace examora {
namespace {

struct ResultsRun {
  int code;
  std::string out, err;
};

ResultsRun Results(std::vector<std::string> args) {
  std::istringstream in;
  std::ostringstream out, err;
  args.insert(args.begin(), "results");
  const int code = RunCli(args, in, out, err);
  return {code, out.str(), err.str()};
}

TEST(CliResults, EachStepPrintsWhatTheWindowLogsAndBadFilesExitWithOne) {
  testing::TempDir dir;
  const std::string folder = dir.path().string();
  WriteFileAtomically(dir / "students.txt",
                      "111111111,pass,Ann,Lee\r\n222222222,word,Bob,Ray\r\n\r\n");
  WriteFileAtomically(dir / "testlist.txt", "10101 Beams\r\n");
  WriteFileAtomically(dir / "111111111.txt",
                      "10101,111111111,02/03/2010,09:00,50,2,YX,Ann Lee,\r\n");
  WriteFileAtomically(dir / "222222222.txt",
                      "10101,222222222,01/03/2010,09:00,100,2,YY,Bob Ray,\r\n");
  const std::vector<std::string> common = {"--folder",   folder,
                                           "--students", (dir / "students.txt").string(),
                                           "--testlist", (dir / "testlist.txt").string()};
  const auto with = [&](std::vector<std::string> args) {
    args.insert(args.end(), common.begin(), common.end());
    return Results(args);
  };
  ResultsRun run = with({"rebuild"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.out.find("Masterfile cleared...\n" + folder + "/111111111.txt\n"),
            std::string::npos);
  EXPECT_NE(run.out.find("No of test records = 2\n"), std::string::npos);
  run = with({"split"});
  EXPECT_NE(run.out.find("10101_Beams\nNumber of tests =  1\n"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(dir / "subject_files/10101.txt"), ReadFileBytes(dir / "masterfile.txt"));
  run = with({"sort"});
  EXPECT_NE(run.out.find("Masterfile sorted by date/time order\n"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(dir / "masterfile.txt").substr(0, 15), "10101,222222222");
  run = with({"reports"});
  EXPECT_NE(run.out.find("Participating Students: 2\n"), std::string::npos);
  // Without the test (given or trusted) the codes cannot be placed on its questions.
  run = with({"stats", "10101"});
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("Test 10101 has no copy in trusted/: choose its test file"),
            std::string::npos)
      << run.err;

  std::filesystem::remove(dir / "222222222.txt");
  run = with({"rebuild"});
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("222222222.txt"), std::string::npos);
  EXPECT_EQ(with({"stats", "../x1"}).code, 1);
  EXPECT_EQ(Results({"sort", "--folder", folder}).code, 2);  // no class list
}

TEST(CliResults, CreateMissingThenAllRunsTheFourStepsInOneGo) {
  testing::TempDir dir;
  const std::string folder = dir.path().string();
  WriteFileAtomically(dir / "students.txt",
                      "111111111,pass,Ann,Lee\r\n222222222,word,Bob,Ray\r\n\r\n");
  WriteFileAtomically(dir / "testlist.txt", "10101 Beams\r\n");
  const std::string ann = "10101,111111111,02/03/2010,09:00,50,2,YX,Ann Lee,\r\n";
  WriteFileAtomically(dir / "111111111.txt", ann);
  const std::vector<std::string> common = {"--folder",   folder,
                                           "--students", (dir / "students.txt").string(),
                                           "--testlist", (dir / "testlist.txt").string()};
  const auto with = [&](std::vector<std::string> args) {
    args.insert(args.end(), common.begin(), common.end());
    return Results(args);
  };
  ResultsRun run = with({"all"});
  EXPECT_EQ(run.code, 1);
  EXPECT_NE(run.err.find("examora-cli results create-missing"), std::string::npos) << run.err;
  run = with({"create-missing"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.out.find("Created " + folder + "/222222222.txt\n"), std::string::npos) << run.out;
  EXPECT_EQ(ReadFileBytes(dir / "111111111.txt"), ann);
  run = with({"all"});
  ASSERT_EQ(run.code, 0) << run.err;
  for (const char* line : {"No of test records = 1\n", "Writing test result file 10101\n",
                           "Masterfile sorted by date/time order\n", "Available Tests: 1\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(ReadFileBytes(dir / "subject_files/10101.txt"), ann);
  EXPECT_TRUE(std::filesystem::exists(dir / "masterfile5.htm"));
}

TEST(CliResults, AMissingOrUnknownStepIsAUsageMistake) {
  testing::TempDir dir;
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, {"bogus", "--folder", dir.path().string()}}) {
    const ResultsRun run = Results(args);
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find("results takes rebuild, split, sort, reports, all, create-missing, "
                           "stats, recover or export"),
              std::string::npos)
        << run.err;
  }
}

}  // namespace
}  // namespace examora
