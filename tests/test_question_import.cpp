// The question import: every kind of a Moodle XML and a GIFT file written from the formats'
// documentation, every refusal, hostile files, and banks that author takes as they stand.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "bridge/import_formula.h"
#include "bridge/question_import.h"
#include "cli/cli.h"
#include "common/error.h"
#include "common/text.h"
#include "platform/files.h"
#include "test_support.h"
#include "testfile/authoring.h"

namespace examora {
namespace {

const std::filesystem::path kData = EXAMORA_TEST_DATA_DIR "/import";

ImportReport Import(const std::string& file) {
  return ImportQuestionFile(kData / file, {"10101", "Statics", ""});
}

// The blocks of the first bank, as author reads them.
TestBank BankOf(const ImportReport& report) {
  const auto cleaned = CleanUpSource(SplitLines(report.sources.at(0)));
  TestBank bank = ParseSource(cleaned.lines);
  ValidateBlocks(bank, "imported");
  return bank;
}

std::vector<std::string> Block(const TestBank& bank, int q) {
  const auto& b = bank.Questions.at(static_cast<std::size_t>(q));
  return {b.begin() + 1, b.end()};
}

using Blocks = std::vector<std::vector<std::string>>;

// What both files hold, kind by kind, written as the bank holds it.
const Blocks kCommonBlocks = {
    {"$Match each quantity with its unit.<LF>A: N<LF>B: J", "", "Force,Energy", "A,B"},
    {"#What is g at sea level?", "", "9.81", "nounits"},
};

TEST(QuestionImport, MoodleXmlEveryKind) {
  const ImportReport report = Import("all_kinds.xml");
  EXPECT_TRUE(report.leftOut.empty()) << report.leftOut.at(0).reason;
  ASSERT_EQ(report.imported, 8);
  const TestBank bank = BankOf(report);
  const Blocks expected = {
      {"Which support prevents rotation?", "fixed support.png", "Fixed & built-in", "Roller",
       "Pin"},
      {"@Tick every SI base unit.<LF>A: newton<LF>B: metre<LF>C: kelvin", "", "B,C", "3"},
      {"Steel is stiffer than aluminium.", "", "False", "True"},
      {"%Name the fluid property that resists shearing.", "", "viscosity"},
      {"$Match each quantity with its unit.<LF>A: N<LF>B: J<LF>C: W", "", "Force,Energy", "A,B"},
      {"#What is g at sea level, in m/s\xB2?", "", "9.81", "m/s2"},
      {"#A beam is 4 m long. How long is it?", "", "4", "m"},
      {"#A plate is #(1,5,2) m wide and #(2,8,2) m high. Find its area.", "", "#a*#b", "m2"},
  };
  ASSERT_EQ(bank.header.QuestionsInFile, 8);
  for (int q = 1; q <= 8; ++q) EXPECT_EQ(Block(bank, q), expected[q - 1]) << "question " << q;
  EXPECT_EQ(bank.testNumber, "10101");
  EXPECT_EQ(bank.testName, "Statics");
  EXPECT_NE(bank.header.VariablesText.find("mpq Categories: $course$/top/Statics"),
            std::string::npos);
}

TEST(QuestionImport, GiftEveryKind) {
  const ImportReport report = Import("all_kinds.gift");
  EXPECT_TRUE(report.leftOut.empty()) << report.leftOut.at(0).reason;
  const TestBank bank = BankOf(report);
  const Blocks expected = {
      {"Which support prevents rotation?", "", "Fixed", "Roller", "Pin"},
      {"@Tick every SI base unit.<LF>A: newton<LF>B: metre<LF>C: kelvin", "", "B,C", "3"},
      {"Steel is stiffer than aluminium.", "", "False", "True"},
      {"%Name the fluid property that resists shearing.", "", "viscosity"},
      kCommonBlocks[0],
      kCommonBlocks[1],
      {"#A beam is between 3 and 5 m long _____ (pick the middle).", "", "4", "nounits"},
      {"Which sign means {equal}?", "", "=", "~", "#"},
  };
  ASSERT_EQ(bank.header.QuestionsInFile, static_cast<int>(expected.size()));
  for (int q = 1; q <= bank.header.QuestionsInFile; ++q) {
    EXPECT_EQ(Block(bank, q), expected[static_cast<std::size_t>(q - 1)]) << "question " << q;
  }
}

TEST(QuestionImport, ToleranceOtherThanOnePercentIsKeptAsANote) {
  const ImportReport report = Import("all_kinds.xml");
  auto noted = [&](const std::string& name) {
    for (const auto& w : report.warnings) {
      if (w.find(name) != std::string::npos && w.find("tolerance") != std::string::npos)
        return true;
    }
    return false;
  };
  EXPECT_TRUE(noted("Gravity"));  // 0.05 of 9.81
  EXPECT_FALSE(noted("Span"));    // 0.04 of 4 is the 1 % marking uses
  EXPECT_FALSE(noted("Area"));    // relative 0.01
}

TEST(QuestionImport, EveryRefusalIsNamedWithItsReason) {
  struct Row {
    std::string file, question, reason;
  };
  const std::vector<Row> rows = {
      {"refusals.xml", "Essay", "essay"},
      {"refusals.xml", "Cloze", "cloze"},
      {"refusals.xml", "Drag", "\"ddwtos\" has no counterpart"},
      {"refusals.xml", "Intro", "description"},
      {"refusals.xml", "Seven options", "7 options, more than the 6"},
      {"refusals.xml", "No right", "no option earns full marks"},
      {"refusals.xml", "Wildcard", "wildcard"},
      {"refusals.xml", "Thirteen", "13 items, more than the 12"},
      {"refusals.xml", "Furlongs", "\"furlong\" is not in the units catalogue"},
      {"refusals.xml", "Modulo", "fmod() with 2 argument(s) has no counterpart"},
      {"refusals.gift", "Essay", "essay"},
      {"refusals.gift", "This is a description", "description"},
      {"refusals.gift", "Seven", "7 options"},
      {"refusals.gift", "Any number", "any number"},
      {"refusals.gift", "Wild", "wildcard"},
  };
  for (const auto& row : rows) {
    const ImportReport report = Import(row.file);
    const auto found = std::find_if(
        report.leftOut.begin(), report.leftOut.end(),
        [&](const LeftOut& l) { return l.question.find(row.question) != std::string::npos; });
    ASSERT_NE(found, report.leftOut.end()) << row.file << ": " << row.question;
    EXPECT_NE(found->reason.find(row.reason), std::string::npos) << found->reason;
  }
}

TEST(QuestionImport, AnUnconvertibleCharacterIsReportedWithItsQuestion) {
  const ImportReport report = Import("refusals.xml");
  ASSERT_EQ(report.imported, 1);  // only the true/false question
  ASSERT_EQ(report.warnings.size(), 1u);
  EXPECT_NE(report.warnings[0].find("\"Greek\""), std::string::npos);
  EXPECT_NE(report.warnings[0].find("U+2211"), std::string::npos);
  EXPECT_EQ(Block(BankOf(report), 1)[0], "Is ? a sum?");
}

TEST(QuestionImport, NothingImportableWritesNothing) {
  testing::TempDir dir;
  const ImportReport report = ConvertQuestions(ReadGift("::E:: Discuss. {}\n"), {});
  EXPECT_EQ(report.imported, 0);
  EXPECT_THROW(WriteImportedSources(report, dir / "out.txt"), FormatError);
  EXPECT_FALSE(std::filesystem::exists(dir / "out.txt"));
}

TEST(QuestionImport, DefaultsAreReportedForTheTeacherToCheck) {
  const ImportReport report = ConvertQuestions(ReadGift("Is it? {T}\n"), {});
  const TestBank bank = BankOf(report);
  EXPECT_EQ(bank.testNumber, "99999");
  EXPECT_EQ(bank.header.PassMark, 50);
  EXPECT_FALSE(bank.header.Compulsory);
  const auto lines = report.Lines();
  EXPECT_NE(lines.back().find("test number 99999"), std::string::npos);
}

// 501 questions exceed one bank: two banks, the second numbered and named after the first.
TEST(QuestionImport, MoreThanOneBankFullOfQuestionsIsSplit) {
  for (const int count : {500, 501}) {
    std::string gift;
    for (int i = 0; i < count; ++i) gift += "Q" + std::to_string(i) + " {T}\n\n";
    const ImportReport report = ConvertQuestions(ReadGift(gift), {"10101", "Big", "big.gift"});
    ASSERT_EQ(report.sources.size(), count == 500 ? 1u : 2u);
    if (count == 501) {
      const auto second = ParseSource(CleanUpSource(SplitLines(report.sources[1])).lines);
      EXPECT_EQ(second.testNumber, "10102");
      EXPECT_EQ(second.testName, "Big part 2");
      EXPECT_EQ(second.header.QuestionsInFile, 1);
    }
    testing::TempDir dir;
    const auto paths = WriteImportedSources(report, dir / "big.txt");
    EXPECT_EQ(paths.back().filename(), count == 500 ? "big.txt" : "big-2.txt");
  }
}

TEST(QuestionImport, HtmlBecomesPlainText) {
  struct Row {
    std::string html, plain;
  };
  const std::vector<Row> rows = {
      {"<p>One</p><p>Two &amp; three</p>", "One\nTwo & three"},
      {"a &lt; b &#176;C &#x3a9; &nbsp;x",
       "a < b \xC2\xB0"
       "C \xCE\xA9 x"},
      {"a < b and <br/>c", "a < b and\nc"},
      {"<!-- hidden --><script>x()</script>shown &bogus;", "shown &bogus;"},
      {"", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(HtmlToPlain(row.html), row.plain) << row.html;
  std::vector<std::string> pictures;
  HtmlToPlain("<img alt='x' src=\"../../etc/a%20b.png?x=1\"><IMG SRC=data:image/png;base64,AA>",
              &pictures);
  EXPECT_EQ(pictures, std::vector<std::string>{"a b.png"});
}

// Hostile files are refused with a message, never expanded or followed.
TEST(QuestionImport, HostileXmlIsRefused) {
  // Ten levels of ten references each: 10^10 letters if anything expanded it.
  std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE quiz [\n<!ENTITY a \"aaaaaaaaaa\">\n";
  for (char c = 'b'; c <= 'k'; ++c) {
    std::string refs;
    for (int i = 0; i < 10; ++i) refs += std::string("&") + static_cast<char>(c - 1) + ";";
    bomb += std::string("<!ENTITY ") + c + " \"" + refs + "\">\n";
  }
  bomb += "]>\n<quiz>&k;</quiz>\n";
  const std::string external =
      "<?xml version=\"1.0\"?><!DOCTYPE quiz [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>"
      "<quiz><question type=\"truefalse\"><questiontext><text>&x;</text></questiontext>"
      "</question></quiz>";
  const std::vector<std::pair<std::string, std::string>> rows = {
      {bomb, "document type"},
      {external, "document type"},
      {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "not well-formed"},
      {"<quiz><question type=\"essay\">", "not well-formed"},
      {"<html><body/></html>", "no <quiz>"},
      {"<quiz>&undefined;</quiz>", "not well-formed"},
  };
  for (const auto& [xml, message] : rows) {
    try {
      ReadMoodleXml(xml);
      ADD_FAILURE() << "accepted: " << xml.substr(0, 40);
    } catch (const FormatError& e) {
      EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(ReadGift(std::string("::a:: b {T}\0", 12)), FormatError);
}

TEST(QuestionImport, AFileOverTheLimitIsRefusedBeforeReading) {
  testing::TempDir dir;
  {
    std::ofstream big(dir / "big.xml", std::ios::binary);
    big.seekp(100 << 20);  // a sparse 100 MB file
    big.put('\n');
  }
  try {
    ImportQuestionFile(dir / "big.xml", {});
    ADD_FAILURE() << "a 100 MB file was read";
  } catch (const FileError& e) {
    EXPECT_NE(std::string(e.what()).find("32 MiB"), std::string::npos) << e.what();
  }
  // Just under the limit is read (and refused only for what it holds).
  EXPECT_THROW(ReadMoodleXml(std::string(kMaxImportBytes, ' ')), FormatError);
  EXPECT_THROW(ReadMoodleXml(std::string(kMaxImportBytes + 1, ' ')), FormatError);
}

TEST(QuestionImport, GiftOrXmlIsToldByExtensionThenContent) {
  EXPECT_TRUE(LooksLikeGift("a.gift", "<quiz>"));
  EXPECT_FALSE(LooksLikeGift("a.xml", "Q {T}"));
  EXPECT_FALSE(LooksLikeGift("a.txt", "\xEF\xBB\xBF  <quiz>"));
  EXPECT_TRUE(LooksLikeGift("a.txt", "Q {T}"));
  EXPECT_TRUE(LooksLikeGift("a.txt", ""));
}

}  // namespace
}  // namespace examora

namespace examora {
namespace {

int Cli(const std::vector<std::string>& args, std::string& output) {
  std::istringstream in;
  std::ostringstream out, err;
  const int code = RunCli(args, in, out, err);
  output = out.str() + err.str();
  return code;
}

// The answer to each bank question of the imported "all_kinds.xml", right or (`wrongAt`) not;
// the calculated one's from the solution the sitting drew.
std::string Answers(const std::string& listing, int wrongAt) {
  std::map<int, std::string> byBank = {{1, "A"},         {2, "B,C"}, {3, "A"},
                                       {4, "viscosity"}, {5, "A,B"}, {6, "9.81 - m/s\xC2\xB2"},
                                       {7, "4 - m"}};
  byBank[wrongAt] = wrongAt == 3 ? "B" : "A";
  std::istringstream lines(listing);
  std::string line, answers;
  int position = 0, bank = 0;
  while (std::getline(lines, line)) {
    if (std::sscanf(line.c_str(), "Q%d bank %d", &position, &bank) == 2) {
      if (bank != 8) answers += std::to_string(position) + ": " + byBank[bank] + "\n";
    } else if (bank == 8 && line.rfind("  solution: ", 0) == 0) {
      answers += std::to_string(position) + ": " + line.substr(12) + " - m\xC2\xB2\n";
    }
  }
  return answers;
}

// Import, author, sit: every kind is marked as the file meant it.
TEST(QuestionImport, RoundTripThroughAuthorAndASitting) {
  testing::TempDir dir;
  std::string out;
  ASSERT_EQ(Cli({"import", (kData / "all_kinds.xml").string(), "-o", (dir / "bank.txt").string(),
                 "--number", "10101", "--name", "Statics"},
                out),
            0)
      << out;
  ASSERT_EQ(Cli({"author", (dir / "bank.txt").string(), "-o", (dir / "bank.eqb").string()}, out), 0)
      << out;
  const std::string test = (dir / "bank.eqb").string();
  ASSERT_EQ(Cli({"sit", test, "--exam", "--seed", "3"}, out), 0) << out;
  struct Row {
    int wrongAt;
    std::string codes, score;
  };
  for (const Row& row :
       {Row{0, "AYAYYYYY", "Final Score =  100 "}, Row{3, "AYBYYYYY", "Final Score =  75 "},
        Row{5, "AYAYXYYY", "Final Score =  88 "}}) {
    std::string listing;
    Cli({"sit", test, "--exam", "--seed", "3"}, listing);
    WriteFileAtomically(dir / "answers.txt", Answers(listing, row.wrongAt));
    ASSERT_EQ(
        Cli({"sit", test, "--exam", "--seed", "3", "--answers", (dir / "answers.txt").string()},
            out),
        0);
    EXPECT_NE(out.find(" " + row.codes + "\n"), std::string::npos) << out;
    EXPECT_NE(out.find(row.score), std::string::npos) << out;
  }
}

}  // namespace
}  // namespace examora

namespace examora {
namespace {

TEST(QuestionImport, CalculatedFormulasInTheEvaluatorsLanguage) {
  const std::map<std::string, char> vars = {{"a", 'a'}, {"len", 'b'}};
  const std::vector<std::pair<std::string, std::string>> translated = {
      {"{a}*{len}", "#a*#b"},
      {"pow({a}, 2) + sqrt({len})", "((#a)^(2))+sqrt(#b)"},
      {"log({a}) - log10(100) + log({a}, 2)", "ln(#a)-((100)@10)+((#a)@(2))"},
      {"2*pi()*{a}**2", "2*pi*#a^2"},
      {"({a}**{len})**2 + pow({a}, 2)**3", "(#a^#b)^2+((#a)^(2))^3"},
      {"1.5e-5*{a}", "0.000015*#a"},
      {"ABS(-{a})", "abs(-#a)"},
  };
  for (const auto& [moodle, ours] : translated) EXPECT_EQ(TranslateFormula(moodle, vars), ours);
  const std::vector<std::pair<std::string, std::string>> refused = {
      {"{a} % 2", "\"%\""},
      {"x + 1", "\"x\""},
      {"{z}*2", "{z}"},
      {"floor({a})", "floor()"},
      {"sin({a}", "never closed"},
      {"1.2.3", "not a number"},
      {"{a}**{len}**2", "power of a power"},
      {"{a}**({len})**2", "power of a power"},
  };
  for (const auto& [moodle, reason] : refused) {
    try {
      TranslateFormula(moodle, vars);
      ADD_FAILURE() << moodle;
    } catch (const FormulaRefusal& r) {
      EXPECT_NE(r.reason.find(reason), std::string::npos) << r.reason;
    }
  }
  EXPECT_EQ(FormulaProblem("#a/(#b-#b)+", {{'a', 1}, {'b', 2}}).empty(), false);
  EXPECT_EQ(FormulaProblem("#a*#b", {{'a', -1}, {'b', 2}}), "");
}

// Marking compares the ticks only as far as the expected labels reach: ticking every box must
// not earn the mark of a question whose wrong options Moodle penalises.
TEST(QuestionImport, TickingEveryBoxOfAMultiSelectIsWrong) {
  for (const char* gift : {"Even? {~%50%2 ~%50%4 ~%-100%3}", "Even? {~%-100%3 ~%50%2 ~%50%4}",
                           "Even? {~%50%2 ~%-100%3 ~%50%4 ~%-100%5}"}) {
    const std::vector<std::string> block = Block(BankOf(ConvertQuestions(ReadGift(gift), {})), 1);
    const std::string& expected = block[2];
    const std::string everyBox = std::string("A,B,C,D,").substr(0, 2 * std::stoul(block[3]));
    EXPECT_NE(everyBox.substr(0, expected.size()), expected) << gift;
    EXPECT_EQ(std::count(expected.begin(), expected.end(), ','), 1) << gift;
  }
}

TEST(QuestionImport, AWorkedOutExpressionInACalculatedTextIsRefused) {
  ImportedQuestion q;
  q.type = "calculated";
  q.answers = {{"{a}*2", 100, 0.01, 1}};
  q.datasets = {{"a", "uniform", 1, 5, 1}};
  for (const auto& [text, refused] :
       {std::pair{"Take {a}; twice is {={a}*2}.", true}, std::pair{"Take {a}.", false}}) {
    q.text = text;
    const ImportReport report = ConvertQuestions({q}, {});
    ASSERT_EQ(report.leftOut.size(), refused ? 1u : 0u) << text;
    if (refused) {
      EXPECT_NE(report.leftOut[0].reason.find("{=...}"), std::string::npos);
    }
  }
}

// Each bank names the categories of its own questions once, and its number keeps five digits.
TEST(QuestionImport, EachBankNamesItsOwnCategoriesAndHasFiveDigits) {
  std::string gift = "$CATEGORY: First\n\n";
  for (int i = 0; i < 501; ++i) {
    if (i == 500) gift += "$CATEGORY: Second\n\n";
    gift += "Q" + std::to_string(i) + " {T}\n\n";
  }
  const ImportReport report = ConvertQuestions(ReadGift(gift), {});
  ASSERT_EQ(report.sources.size(), 2u);
  // The default number is the last one there is: the second part may not pass it.
  EXPECT_EQ(report.sources[0].substr(0, 7), "99999\r\n");
  EXPECT_EQ(report.sources[1].substr(0, 7), "99998\r\n");
  const std::vector<std::string> expected = {"Categories: First\r\n", "Categories: Second\r\n"};
  for (std::size_t i = 0; i < 2; ++i)
    EXPECT_NE(report.sources[i].find(expected[i]), std::string::npos) << report.sources[i];
}

}  // namespace
}  // namespace examora
