#include "cli/cli.h"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>

#include <gtest/gtest.h>

#include "app/module_examora.h"
#include "app/settings.h"
#include "common/prompter.h"
#include "common/text.h"
#include "crypto/enciphered_text.h"
#include "platform/files.h"
#include "test_support.h"
#include "testfile/authoring.h"

namespace examora {
namespace {

using examora::testing::TempDir;

struct CliRun {
  int code;
  std::string out;
  std::string err;
};

CliRun Cli(std::vector<std::string> args, const std::string& input = {}) {
  std::istringstream in(input);
  std::ostringstream out, err;
  const int code = RunCli(args, in, out, err);
  return {code, out.str(), err.str()};
}

TEST(CliText, EncryptTextWritesOneLinePerInputLineExactlyAsEncryptText) {
  const CliRun run = Cli({"encrypt-text"}, "  first  \r\nsecond\n\nlast");
  ASSERT_EQ(run.code, 0) << run.err;
  std::string first = "first", second = "second", empty, last = "last";
  EXPECT_EQ(run.out, EncryptText(first) + "\n" + EncryptText(second) + "\n" + EncryptText(empty) +
                         "\n" + EncryptText(last) + "\n");
}

TEST(CliText, DecryptTextReversesItAndKeepsWindows1252Bytes) {
  const CliRun enc = Cli({"encrypt-text"}, "21.5 \u00B0C\nplain\n");  // typed in UTF-8
  const CliRun dec = Cli({"decrypt-text"}, enc.out);
  EXPECT_EQ(dec.code, 0);
  EXPECT_EQ(dec.out,
            "21.5 \xB0"
            "C\nplain\n");
}

TEST(CliText, KeyOptionReplacesTheFixedKey) {
  const CliRun enc = Cli({"encrypt-text", "--key", "00112233445566778899aabbccddeeff"}, "secret\n");
  EXPECT_NE(enc.out, Cli({"encrypt-text"}, "secret\n").out);
  EXPECT_EQ(Cli({"decrypt-text", "--key", "00112233445566778899aabbccddeeff"}, enc.out).out,
            "secret\n");
}

TEST(CliText, DecryptTextReportsLinesThatDoNotDecipher) {
  const CliRun enc = Cli({"encrypt-text"}, "one\ntwo\n");
  const CliRun dec = Cli({"decrypt-text"}, enc.out + "not base64!\n");
  EXPECT_EQ(dec.code, 1);
  EXPECT_EQ(dec.err,
            "examora-cli: 1 of 3 lines of standard input did not decipher cleanly (damaged, or "
            "another key); first at line 3\n");
}

TEST(CliUsage, MistakesExitWithTwoAndSayWhy) {
  struct Row {
    std::vector<std::string> args;
    const char* says;
  };
  const Row rows[] = {
      {{}, "Usage:"},
      {{"frobnicate"}, "unknown command"},
      {{"encrypt-text", "--key"}, "needs a value"},
      {{"encrypt-text", "--key", "xyz"}, "hexadecimal"},
      {{"encrypt-text", "--key", std::string(114, 'a')}, "hexadecimal"},
      {{"encrypt-text", "--wrong", "1"}, "unknown option"},
      {{"encrypt"}, "takes 1 argument"},
      {{"decrypt", "a", "b"}, "takes 1 argument"},
  };
  for (const auto& row : rows) {
    const CliRun run = Cli(row.args);
    EXPECT_EQ(run.code, 2);
    EXPECT_NE(run.err.find(row.says), std::string::npos) << run.err;
  }
  EXPECT_EQ(Cli({"--help"}).code, 0);
}

TEST(CliUsage, VersionCommandHelpAndManPagesComeFromOneText) {
  EXPECT_EQ(Cli({"--version"}).out, "examora-cli 0.1 (Examora 568: 2010-03-23)\n");
  const CliRun sit = Cli({"help", "sit"});
  EXPECT_EQ(sit.code, 0);
  EXPECT_TRUE(sit.out.starts_with("Usage: examora-cli sit FILE [--seed S] [--exam]")) << sit.out;
  EXPECT_NE(sit.out.find("\n\nUsage: examora-cli sit FILE --exam --students FILE"),
            std::string::npos);  // both forms
  // The settings command's help lists every setting's option.
  const std::string settings = Cli({"help", "settings"}).out;
  for (const auto& key : SettingKeys()) {
    EXPECT_NE(settings.find("\n  " + std::string(key.option)), std::string::npos) << key.option;
  }
  EXPECT_EQ(Cli({"sit", "--help"}).out, sit.out);
  const CliRun unknown = Cli({"help", "nothing"});
  EXPECT_EQ(unknown.code, 2);
  EXPECT_EQ(unknown.err,
            "examora-cli: there is no command \"nothing\"; \"examora-cli help\" lists them\n");
  const CliRun two = Cli({"help", "sit", "check"});
  EXPECT_EQ(two.code, 2);
  EXPECT_EQ(two.err, "examora-cli: help takes one command name; \"examora-cli help\" lists them\n");
  const CliRun man = Cli({"help", "--man", "examora"});
  EXPECT_TRUE(man.out.starts_with(".TH EXAMORA 1 \"\" \"examora 0.1\"")) << man.out;
  EXPECT_NE(man.out.find("\\fB\\-\\-print\\-settings\\fR"), std::string::npos);
  EXPECT_NE(man.out.find("\\fB\\-\\-web\\-base URL\\fR"), std::string::npos);
  EXPECT_NE(Cli({"help", "--man", "examora-cli"}).out.find("\\fBsit FILE"), std::string::npos);
  EXPECT_NE(Cli({"help"}).out.find("  settings [SETTING OPTION]..."), std::string::npos);
}

TEST(CliSettings, ShowsEachValueAndWhereItCameFrom) {
  const CliRun run = Cli({"settings", "--web-base", "http://lab/exams"});
  EXPECT_NE(run.out.find("web-base\thttp://lab/exams/\toption --web-base\n"), std::string::npos)
      << run.out;
  EXPECT_EQ(Cli({"settings", "--what"}).code, 2);
}

TEST(CliFiles, EncryptThenDecryptAFile) {
  TempDir dir;
  WriteFileAtomically(dir / "beams.txt", "101\r\nBeams 1\r\n  A 2 m cantilever  \r\n");
  const CliRun enc = Cli({"encrypt", (dir / "beams.txt").string()});
  ASSERT_EQ(enc.code, 0) << enc.err;
  EXPECT_EQ(enc.out, "Enciphered 3 lines into " + (dir / "beams.eqb").string() + "\n");
  const auto content = ReadEncipheredFile(dir / "beams.eqb");
  EXPECT_EQ(content.lines, (std::vector<std::string>{"101", "Beams 1", "A 2 m cantilever"}));

  const CliRun dec = Cli({"decrypt", (dir / "beams.eqb").string()});
  EXPECT_EQ(dec.code, 0);
  EXPECT_EQ(dec.out, "101\nBeams 1\nA 2 m cantilever\n");

  const CliRun named =
      Cli({"encrypt", (dir / "beams.txt").string(), "-o", (dir / "x-BF.txt").string()});
  EXPECT_EQ(named.code, 0);
  EXPECT_EQ(ReadEncipheredFile(dir / "x-BF.txt").lines.size(), 3u);
}

TEST(CliFiles, FileProblemsExitWithOneAndNameTheFile) {
  TempDir dir;
  const CliRun missing = Cli({"decrypt", (dir / "absent.eqb").string()});
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("absent.eqb"), std::string::npos);
  EXPECT_EQ(Cli({"encrypt", (dir / "absent.txt").string()}).code, 1);

  // The default output of a file already named .eqb would be the file itself.
  WriteFileAtomically(dir / "plain.eqb", "text\r\n");
  const CliRun self = Cli({"encrypt", (dir / "plain.eqb").string()});
  EXPECT_EQ(self.code, 1);
  EXPECT_EQ(ReadFileBytes(dir / "plain.eqb"), "text\r\n");

  // A plain file handed to decrypt is said to be damaged (or another key's), not shown as good.
  const CliRun notEnciphered = Cli({"decrypt", (dir / "plain.eqb").string()});
  EXPECT_EQ(notEnciphered.code, 1);
  EXPECT_NE(notEnciphered.err.find("first at line 1"), std::string::npos);
}

}  // namespace
}  // namespace examora

namespace examora {
namespace {

TEST(CliFormulas, EvalPrintsValuesOrNumberedErrors) {
  struct Row {
    std::vector<std::string> args;
    int code;
    const char* out;
  };
  const Row rows[] = {
      {{"eval", "-2^2"}, 0, "-4\n"},
      {{"eval", "--x", "2", "3x"}, 0, "6\n"},
      {{"eval", "2pi"}, 0, "6.28318530717958\n"},
      {{"eval", "1/0"}, 1, "error 7: Division by zero.\n"},
      {{"eval", "--check", "x2"},
       1,
       "error 12: Operators must be followed by number, constant, function.\n"},
      {{"eval", "--check", "2*-3"}, 1, "error 14: An error occured in evaluation\n"},
      {{"eval", "2*-3"}, 0, "-3\n"},  // unchecked: "*" finds one operand and takes 0 for a
      {{"eval", "--", "--1"}, 0, "1\n"},
      {{"eval", "1E+20"}, 0, "1E+20\n"},
  };
  for (const auto& row : rows) {
    const CliRun run = Cli(row.args);
    EXPECT_EQ(run.code, row.code) << row.args.back();
    EXPECT_EQ(run.out, row.out) << row.args.back();
  }
  const CliRun overflow = Cli({"eval", std::string(200, '(') + "1"});
  EXPECT_EQ(overflow.out, "error 18: An error occured in evaluation\n");
  EXPECT_EQ(overflow.err, "Examora: Q0 Overflow \n");
  EXPECT_EQ(Cli({"eval", "--x", "two", "x"}).code, 2);
}

TEST(CliFormulas, FormulaWorksOutCallsAndReportsFailures) {
  EXPECT_EQ(Cli({"formula", "Mean[1, 2, 3, 4] * 2"}).out, "5\n");
  EXPECT_EQ(Cli({"formula", "matrix[(2,1,5,1,-1,1),1]"}).out, "2\n");
  EXPECT_EQ(Cli({"formula", "1/3"}).out, "0.3333333\n");
  const CliRun failed = Cli({"formula", "1/0"});
  EXPECT_EQ(failed.code, 1);
  EXPECT_EQ(failed.out, "Division by zero. Formula = 1/0\n");
  const CliRun warned = Cli({"formula", "matrix[(1,2,3,4,5),1]"});
  EXPECT_EQ(warned.code, 1);
  EXPECT_EQ(warned.err,
            "Question 0: Matrix Warning: Does not form a matrix with N rows and (N+1) columns\n");
}

TEST(CliFormulas, SigfigConvertAndUnits) {
  EXPECT_EQ(Cli({"sigfig", "1234.5", "3"}).out, "1230\n");
  EXPECT_EQ(Cli({"sigfig", "0.0123456", "4"}).out, "0.01235\n");
  EXPECT_EQ(Cli({"sigfig", "2.5", "1"}).out, "2\n");
  EXPECT_EQ(Cli({"sigfig", "3.14159", "0"}).out, "3.14\n");
  EXPECT_EQ(Cli({"sigfig", "abc", "3"}).code, 2);
  EXPECT_EQ(Cli({"sigfig", "1", "2.5"}).code, 2);
  EXPECT_EQ(Cli({"convert", "deg", "rad", "1"}).out, "57.29578 deg\n");
  EXPECT_EQ(Cli({"convert", "%", "nounits", "0.25"}).out, "25 %\n");
  EXPECT_EQ(Cli({"convert", "kg", "n", "4"}).out, "4 n\n");
  const CliRun units = Cli({"units"});
  EXPECT_EQ(std::count(units.out.begin(), units.out.end(), '\n'), 55);
  EXPECT_EQ(units.out.substr(0, units.out.find('\n', units.out.find('\n') + 1) + 1),
            "1\tNo Units\tNo Units\t0\tnounits\n2\t\u00B0C\tCelcius\t0\tc\n");
  EXPECT_NE(units.out.find("13\tkg.m\u00B2\tkg.meters squared\t0\tkgm2\n"), std::string::npos);
}

}  // namespace
}  // namespace examora

namespace examora {
namespace {

const char* kSource =
    "10160\r\nPumps\r\nTitle: Pumps\r\nCompulsory: False\r\nPassMark: 50\r\nPump sizing\r\n"
    "Vars (2026-12-01)\r\n----------\r\n#Head #(5,40,2) m, flow #(5,30,2) L/s: find the power.\r\n"
    "\r\n1000*9.81*#a*#b/1000\r\nw\r\n----------\r\nWhich pump?\r\n\r\nCentrifugal\r\nPiston\r\n"
    "*** END OF FILE ***\r\n";

TEST(CliTests, AuthorWritesATestThatShowAndCheckRead) {
  TempDir dir;
  WriteFileAtomically(dir / "pumps.txt", std::string(kSource) + "\r\n\r\n");
  const CliRun author = Cli({"author", (dir / "pumps.txt").string(), "--minutes", "2"});
  ASSERT_EQ(author.code, 0) << author.err;
  EXPECT_EQ(author.out,
            "4 minutes\n2 extra blank lines removed from txt file.\nWrote 2 questions to " +
                (dir / "pumps.eqb").string() + "\n");
  EXPECT_EQ(ReadFileBytes(dir / "pumps.txt"), kSource);  // the blank lines are gone

  const CliRun show = Cli({"show", (dir / "pumps.eqb").string()});
  ASSERT_EQ(show.code, 0) << show.err;
  EXPECT_NE(show.out.find("Test number: 10160\nTest name: Pumps\nTitle: Pumps\n"),
            std::string::npos);
  EXPECT_NE(show.out.find("Minutes per question: 2\nQuestions per sitting: 2\nDuration: 4 minutes"),
            std::string::npos);
  EXPECT_NE(
      show.out.find("Question 2 (multiple choice)\n  (1) Which pump?\n  (2) \n  (3) Centrifugal"),
      std::string::npos);

  const CliRun check = Cli({"check", (dir / "pumps.eqb").string(), "--sittings", "20"});
  EXPECT_EQ(check.code, 0) << check.out;
  EXPECT_EQ(check.out, "20 sittings, 0 problems\n");
  EXPECT_EQ(Cli({"check", (dir / "pumps.txt").string(), "--sittings", "5"}).out,
            "5 sittings, 0 problems\n");
}

TEST(CliTests, AuthorDropsNotesAfterTheMarkerKeepingABackupAndRefusesImpossibleSittings) {
  TempDir dir;
  const std::string withNotes = std::string(kSource) + "my notes\r\n";
  WriteFileAtomically(dir / "pumps.txt", withNotes);
  const CliRun kept = Cli({"author", (dir / "pumps.txt").string()});
  EXPECT_EQ(kept.code, 0);
  EXPECT_NE(kept.out.find("1 extra blank lines removed from txt file.\nNot all of them were "
                          "blank: the file as it was is kept in \"pumps.txt.bak\"."),
            std::string::npos)
      << kept.out;
  EXPECT_EQ(ReadFileBytes(dir / "pumps.txt"), std::string(kSource));
  EXPECT_EQ(ReadFileBytes(dir / "pumps.txt.bak"), withNotes);

  const CliRun tooMany = Cli(
      {"author", (dir / "pumps.txt").string(), "--questions", "3", "-o", (dir / "x.eqb").string()});
  EXPECT_EQ(tooMany.code, 1);
  EXPECT_EQ(tooMany.out.substr(0, 20), "Too many questions!\n");
  EXPECT_FALSE(std::filesystem::exists(dir / "x.eqb"));

  WriteFileAtomically(dir / "broken.txt", "1\r\nx\r\n");
  const CliRun broken = Cli({"author", (dir / "broken.txt").string()});
  EXPECT_EQ(broken.code, 1);
  EXPECT_NE(broken.err.find("*** END OF FILE ***"), std::string::npos);
}

TEST(CliTests, AuthorNeverWritesOverItsSource) {
  TempDir dir;
  WriteFileAtomically(dir / "pumps.txt", kSource);
  WriteFileAtomically(dir / "bank.eqb", kSource);
  std::filesystem::create_symlink(dir / "pumps.txt", dir / "link.txt");
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"author", (dir / "pumps.txt").string(), "-o", (dir / "pumps.txt").string()},
           {"author", (dir / "pumps.txt").string(), "-o", (dir / "link.txt").string()},
           {"author", (dir / "bank.eqb").string()}}) {
    const CliRun run = Cli(args);
    EXPECT_EQ(run.code, 2) << args.back();
    EXPECT_NE(run.err.find("is the question bank itself"), std::string::npos) << run.err;
  }
  EXPECT_EQ(ReadFileBytes(dir / "pumps.txt"), kSource);
  EXPECT_EQ(ReadFileBytes(dir / "bank.eqb"), kSource);
}

TEST(CliTests, PublishPutsTheTestAndItsLineIntoTheWebFolder) {
  TempDir dir;
  WriteFileAtomically(dir / "pumps.txt", kSource);
  ASSERT_EQ(Cli({"author", (dir / "pumps.txt").string()}).code, 0);
  std::filesystem::create_directories(dir / "web");
  const std::string web = (dir / "web").string();
  const CliRun publish = Cli({"publish", (dir / "pumps.eqb").string(), "--web", web});
  EXPECT_EQ(publish.code, 0) << publish.err;
  EXPECT_EQ(publish.out, "Published " + web +
                             "/tests/10160 Pumps/Pumps-BF.txt\nTest list line: "
                             "10160 Pumps\n");
  EXPECT_EQ(publish.err, "");  // 10160 starts with 101: the loader takes the list
  EXPECT_EQ(ReadFileBytes(dir / "web" / "info" / "data" / "testlist.txt"), "10160 Pumps\r\n");
  EXPECT_EQ(Cli({"publish", (dir / "pumps.eqb").string(), "--web", web}).out.substr(0, 9),
            "Replaced ");
  EXPECT_EQ(Cli({"publish", (dir / "pumps.eqb").string()}).code, 2);  // no --web
  EXPECT_EQ(Cli({"publish", (dir / "pumps.txt").string(), "--web", web}).code,
            1);  // not enciphered
}

TEST(CliTests, AuthorWritesTheTestEvenWhenTheSourceCannotBeTidied) {
  TempDir dir;
  WriteFileAtomically(dir / "pumps.txt", std::string(kSource) + "\r\n\r\n");
  std::filesystem::permissions(dir / "pumps.txt", std::filesystem::perms::owner_read);
  const CliRun author = Cli({"author", (dir / "pumps.txt").string()});
  EXPECT_EQ(author.code, 0) << author.err;
  EXPECT_NE(author.out.find("were left in the source: Cannot write"), std::string::npos)
      << author.out;
  EXPECT_EQ(LoadTestFile(dir / "pumps.eqb", "Pumps").header.QuestionsInFile, 2);
}

TEST(CliTests, CheckReportsBrokenQuestions) {
  TempDir dir;
  const std::string source =
      "10161\r\nBroken\r\nTitle: Broken\r\nCompulsory: False\r\nPassMark: 50\r\nd\r\nv\r\n"
      "----------\r\n#Zero #(0,0,2)\r\n\r\n1/#a\r\nn\r\n"
      "----------\r\n#Tiny\r\n\r\n1/10^44\r\nn\r\n"
      "----------\r\n#Unit\r\n\r\n5\r\nfurlongs\r\n"
      "----------\r\nSame?\r\n\r\nYes\r\nYes\r\n"
      "*** END OF FILE ***\r\n";
  WriteFileAtomically(dir / "broken.txt", source);
  const CliRun check = Cli({"check", (dir / "broken.txt").string(), "--sittings", "3"});
  EXPECT_EQ(check.code, 1);
  EXPECT_NE(check.out.find("Q1: formula: Division by zero. Formula = 1/0 (3 of 3 sittings)"),
            std::string::npos)
      << check.out;
  EXPECT_NE(check.out.find("Q1: the answer comes out 0"), std::string::npos);
  EXPECT_NE(check.out.find("Q2: the answer"), std::string::npos);
  EXPECT_NE(check.out.find("Q3: unit key \"furlongs\" is not in the units catalogue"),
            std::string::npos);
  EXPECT_NE(check.out.find("Q4: options repeat: \"Yes\""), std::string::npos);
  EXPECT_TRUE(check.out.ends_with("3 sittings, 5 problems\n")) << check.out;
  EXPECT_EQ(Cli({"check", (dir / "absent.eqb").string()}).code, 1);
}

}  // namespace
}  // namespace examora

namespace examora {
namespace {

const char* kSitSource =
    "10170\r\nSit\r\nTitle: Sit\r\nCompulsory: False\r\nPassMark: 50\r\nd\r\nv\r\n"
    "----------\r\n#F = #(5000,5000,4) N\r\n\r\n#a\r\nn\r\n"
    "----------\r\nWhich?\r\n\r\nRight\r\nWrong\r\n"
    "----------\r\n@Tick\r\n\r\nA,C\r\n4\r\n"
    "----------\r\n%Word\r\n\r\nbeam\r\nshear\r\n"
    "----------\r\n$Match\r\n\r\na,b\r\nX,Y\r\n"
    "----------\r\n#T = #(21.5,21.5,3)\r\n\r\n#a\r\nc\r\n"
    "*** END OF FILE ***\r\n";

TEST(CliSit, PrintsThePreparedSitting) {
  TempDir dir;
  WriteFileAtomically(dir / "sit.txt", kSitSource);
  const CliRun run = Cli({"sit", (dir / "sit.txt").string(), "--seed", "5"});
  ASSERT_EQ(run.code, 0) << run.err;
  EXPECT_NE(run.out.find("Q1 bank 1 numeric\n  text: #F = 5000 N\n  unit: n\n  solution: 5000\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("Q2 bank 2 multiple choice\n  text: Which?\n  option "),
            std::string::npos);
  EXPECT_NE(run.out.find("(A): Right"), std::string::npos);
}

TEST(CliSit, AnswersAreMarkedThroughTheWindowCore) {
  TempDir dir;
  WriteFileAtomically(dir / "sit.txt", kSitSource);
  // Exam sittings are shuffled: find where each bank question is asked.
  const CliRun order = Cli({"sit", (dir / "sit.txt").string(), "--exam", "--seed", "9"});
  std::map<int, int> positionOf;
  std::istringstream lines(order.out);
  for (std::string line; std::getline(lines, line);) {
    int position = 0, bank = 0;
    if (std::sscanf(line.c_str(), "Q%d bank %d", &position, &bank) == 2)
      positionOf[bank] = position;
  }
  ASSERT_EQ(positionOf.size(), 6u);
  const std::pair<int, const char*> answers[] = {{1, "4.96 k N"}, {2, "A"},
                                                 {3, "A,C"},      {4, "Beam | SHEAR"},
                                                 {5, "x,y"},      {6, "21.5 - \u00B0C"}};
  std::string text, expected;
  for (const auto& [bank, answer] : answers) {
    text += std::to_string(positionOf[bank]) + ": " + answer + "\n";
    expected += "Q" + std::to_string(positionOf[bank]) + (bank == 2 ? " A 9\n" : " Y 9\n");
  }
  text += "nonsense\n" + std::to_string(positionOf[1]) + ": 5 k N\n";
  WriteFileAtomically(dir / "answers.txt", text);
  const CliRun exam = Cli({"sit", (dir / "sit.txt").string(), "--exam", "--seed", "9", "--answers",
                           (dir / "answers.txt").string()});
  EXPECT_EQ(exam.code, 1);  // two lines could not be submitted
  EXPECT_TRUE(exam.out.starts_with(
      expected +
      "line 7: expected <position>: <answer> with a position from 1 to 6; "
      "nothing submitted\nline 8: question " +
      std::to_string(positionOf[1]) + " is already marked; nothing submitted\n"))
      << exam.out;
  // Then the end-of-test screen and the last statistics line.
  EXPECT_NE(exam.out.find("\n EXAM MODE. Mark was recorded\n"), std::string::npos);
  EXPECT_NE(exam.out.find("\n Your selections... (ORIGINAL ORDER)\n YAYYYY\n"), std::string::npos);
  EXPECT_NE(exam.out.find("\n Final Score =  100 \n Number of Questions =  6 \n"),
            std::string::npos);
  EXPECT_NE(exam.out.find("\n Results string...\n 10170,,"), std::string::npos);
  EXPECT_NE(exam.out.find(",100,6,YAYYYY,,\nTotal minutes = 6 "), std::string::npos);
  EXPECT_TRUE(exam.out.ends_with(
      "6 correct,  0 marks lost      6/ 6 questions marked      Predicted Mark =  100% of a "
      "possible  100%   \n"));

  WriteFileAtomically(dir / "study.txt", "1: 4.9 k N\n2: A\n4: beam | shear\n");
  const CliRun study =
      Cli({"sit", (dir / "sit.txt").string(), "--answers", (dir / "study.txt").string()});
  EXPECT_EQ(study.code, 0);
  EXPECT_NE(study.out.find("Q1 U 8\n  RIGHT UNITS, WRONG ANSWER\n  Sorry, you are out by more "
                           "than 1%.\n  Lose 75% of marks\n  Answer was SOMEWHERE between "),
            std::string::npos)
      << study.out;
  EXPECT_NE(study.out.find("Q2 Z 0\n  Non Critical Error\n"), std::string::npos);
  EXPECT_NE(study.out.find("Q4 Z 0\n  WARNING! STUDYMODE...\n  Sorry, one-word questions are "
                           "not assessed in StudyMode.\n"),
            std::string::npos);
}

// The end screen names the account as the windows' session start-up finds it.
TEST(CliSit, TheEndScreenNamesTheAccount) {
  TempDir dir;
  WriteFileAtomically(dir / "sit.txt", kSitSource);
  WriteFileAtomically(dir / "answers.txt", "1: 4.9 k N\n");
  const char* before = std::getenv("USERNAME");
  const std::string kept = before ? before : "";
  ::setenv("USERNAME", "lab-student-07", 1);
  const CliRun run =
      Cli({"sit", (dir / "sit.txt").string(), "--answers", (dir / "answers.txt").string()});
  before ? ::setenv("USERNAME", kept.c_str(), 1) : ::unsetenv("USERNAME");
  EXPECT_NE(run.out.find("\n Computer Username = lab-student-07\n"), std::string::npos) << run.out;
}

TEST(CliSit, UnitSymbolsWithABlankAndMatchingCountsThatDisagree) {
  TempDir dir;
  const std::string head =
      "10171\r\nSit\r\nTitle: Sit\r\nCompulsory: False\r\nPassMark: 50\r\nd\r\nv\r\n";
  WriteFileAtomically(dir / "ratio.txt", head +
                                             "----------\r\n#R = #(2,2,2)\r\n\r\n#a\r\n"
                                             "No Units\r\n*** END OF FILE ***\r\n");
  WriteFileAtomically(dir / "a.txt", "1: 2 - No Units\n");
  const CliRun ratio =
      Cli({"sit", (dir / "ratio.txt").string(), "--answers", (dir / "a.txt").string()});
  EXPECT_EQ(ratio.code, 0) << ratio.out;
  EXPECT_TRUE(ratio.out.starts_with("Q1 Y 9\n")) << ratio.out;
  // Three prompts, two answers: refused by name, not a crash.
  WriteFileAtomically(dir / "match.txt", head +
                                             "----------\r\n$Match\r\n\r\na,b,c\r\nX,Y\r\n"
                                             "*** END OF FILE ***\r\n");
  for (const char* command : {"sit", "check", "author"}) {
    const CliRun run = Cli({command, (dir / "match.txt").string()});
    EXPECT_EQ(run.code, 1) << command;
    EXPECT_NE(run.err.find("question 1 has 3 items to match (line 3) but 2 answers (line 4)"),
              std::string::npos)
        << command << ": " << run.err;
  }
}

}  // namespace
}  // namespace examora

namespace examora {
namespace {

// The answers file of a student who gets everything right, for the sitting `sit` prepares
// with the same seed.
std::string RightAnswers(const std::filesystem::path& source, std::uint64_t seed) {
  ModuleExamora m;
  m.Bank = ParseSource(CleanUpSource(SplitLines(SourceTextToCp1252(ReadFileBytes(source)))).lines);
  ScriptedPrompter prompter;
  SeededRandom random(seed);
  FormulaContext context{&prompter, &m.Debugger, 0};
  const Sitting s = Scrambler(m.Bank, false, "", random, m.Formulas, context);
  UnitCatalogue units;
  LoadUnits(units);
  std::string text;
  for (int i = 1; i <= m.Bank.header.QuestionsToAsk; ++i) {
    const auto k = static_cast<std::size_t>(i);
    const QuestionBlock& block = m.Bank.Questions[static_cast<std::size_t>(s.QuestionOrder[k])];
    std::string answer;
    switch (KindOf(s.QuestionText[k])) {
      case QuestionKind::kNumeric: {
        float value = s.Solution[k];
        int figures = 4;
        answer = FormatSF(value, figures);
        for (int u = 1; u <= units.UnitCount; ++u) {
          if (units.UnitTable[static_cast<std::size_t>(u)].key == s.QuestionUnit[k]) {
            answer += " - " + units.UnitTable[static_cast<std::size_t>(u)].symbol;
          }
        }
        break;
      }
      case QuestionKind::kMultipleChoice:
        answer = "A";
        break;
      case QuestionKind::kMultiSelect:
        answer = block[3];
        break;
      case QuestionKind::kOneWord:
        for (int w = 1; w <= s.WordCount[k]; ++w) {
          answer += (w > 1 ? " | " : "") + s.OneWordAccept[k][static_cast<std::size_t>(w)][1];
        }
        break;
      case QuestionKind::kMatching:
        for (int w = 1; w <= s.MatchCount[k]; ++w) {
          answer += (w > 1 ? "," : "") + s.MatchAnswer[k][static_cast<std::size_t>(w)];
        }
        break;
    }
    text += std::to_string(i) + ": " + Cp1252ToUtf8(answer) + "\n";
  }
  return text;
}

TEST(CliSit, RightAnswersScore100OnEverySampleTest) {
  TempDir dir;
  int tests = 0;
  for (const auto& entry : std::filesystem::directory_iterator(EXAMORA_SAMPLES_DIR)) {
    WriteFileAtomically(dir / "answers.txt", RightAnswers(entry.path(), 42));
    const CliRun run = Cli({"sit", entry.path().string(), "--exam", "--seed", "42", "--answers",
                            (dir / "answers.txt").string()});
    EXPECT_EQ(run.code, 0) << entry.path().filename() << "\n" << run.out;
    EXPECT_NE(run.out.find("\n Final Score =  100 \n"), std::string::npos)
        << entry.path().filename() << "\n"
        << run.out;
    ++tests;
  }
  EXPECT_EQ(tests, 5);
}

}  // namespace
}  // namespace examora
