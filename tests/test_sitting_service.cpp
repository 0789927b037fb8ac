// The record of exam sittings as the keeper keeps it: marking and journalling each answer,
// exactly one record per file whatever step a kill lands on, an absolute deadline, one live
// sitting, and a protocol that refuses whatever a hostile student sends.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <thread>
#include <tuple>

#include "common/numtext.h"
#include "common/text.h"
#include "crypto/enciphered_text.h"
#include "engine/dotest.h"
#include "platform/files.h"
#include "results/keeper_protocol.h"
#include "results/resume.h"
#include "results/saving.h"
#include "test_support.h"
#include "testfile/access_code.h"
#include "testfile/authoring.h"

namespace examora {
namespace {

using testing::TempDir;

const char* const kSource =
    "10170\r\nSit\r\nTitle: Sit\r\nCompulsory: False\r\nPassMark: 50\r\nd\r\nv\r\n"
    "----------\r\n#F = #(1000,1000,4) N\r\n\r\n#a\r\nn\r\n"
    "----------\r\n#F = #(2000,2000,4) N\r\n\r\n#a\r\nn\r\n"
    "----------\r\n#F = #(3000,3000,4) N\r\n\r\n#a\r\nn\r\n"
    "*** END OF FILE ***\r\n";

std::string TestBytes(const std::string& source = kSource) {
  TestBank bank = ParseSource(CleanUpSource(SplitLines(source)).lines);
  Compute(bank, 3, 1);
  std::string bytes;
  for (std::string line : TestLines(bank)) bytes += EncryptText(line) + "\r\n";
  return bytes;
}

struct Kill : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Records : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = dir / "res";
    std::filesystem::create_directories(folder / "subject_files");
    WriteStudentsCrypt(folder / "std_crypt.eqb", {folder.string(),
                                                  {{"012345678", "ab1Z", "Mary", "Smith"},
                                                   {"123456789", "cd2Y", "Tom", "Jones"}}});
    WriteFileAtomically(folder / "journal.key", std::string(64, 'a') + "\n");
    bytes = TestBytes();
    setup.folder = folder;
    setup.studentsFile = folder / "std_crypt.eqb";
    setup.keyFile = folder / "journal.key";
    setup.adminPasswordFile = folder / "admin.hash";
    std::filesystem::create_directories(folder / kTrustedFolder);
    WriteFileAtomically(folder / kTrustedFolder / (TestFingerprint(bytes) + ".eqb"), bytes);
  }

  std::unique_ptr<SittingService> Service() {
    auto service = std::make_unique<SittingService>(setup, clock);
    service->sleep = [this](std::chrono::milliseconds d) { waited.push_back(d.count()); };
    return service;
  }

  std::string Code() { return std::to_string(MakeAccessCode(clock)); }

  // The answer controls for position `p`, right (kN) or wrong, from the sitting of `seed`.
  JournalAnswer Inputs(std::uint64_t seed, int p, bool right) {
    ModuleExamora m;
    m.Bank = LoadTestText(bytes, "t");
    m.StudyMode = false;
    ScriptedPrompter prompter;
    PrepareSeededSitting(m, seed, prompter);
    SeededRandom random(1);
    DoTestModel model(m, prompter, random, clock);
    m.CurrentQuestion = p;
    model.ShowQuestion();
    for (int u = 1; u <= m.Units.UnitCount; ++u) {
      if (m.Units.UnitTable[static_cast<std::size_t>(u)].symbol == "N") model.List2_Click(u - 1);
    }
    for (std::size_t k = 1; k < m.Units.PrefixTable.size(); ++k) {
      if (m.Units.PrefixTable[k].symbol == "k") model.List1_Click(static_cast<int>(k) - 1);
    }
    const float value = m.Prepared.Solution[static_cast<std::size_t>(p)] / 1000;
    model.txtAnswer = FormatGeneralSingle(right ? value : value + 7);
    model.txtAnswer = model.txtAnswer.empty() ? "1" : model.txtAnswer;
    return CaptureAnswer(model, m);
  }

  std::vector<std::string> Lines(const std::string& name) {
    std::error_code ec;
    if (!std::filesystem::exists(folder / name, ec)) return {};
    std::vector<std::string> lines;
    for (const auto& line : SplitLines(ReadFileBytes(folder / name))) {
      if (!line.empty()) lines.push_back(line);
    }
    return lines;
  }

  void ExpectOneRecordEverywhere(const std::string& record) {
    for (const char* name : {"012345678.txt", "masterfile.txt", "subject_files/10170.txt"}) {
      EXPECT_EQ(Lines(name), std::vector<std::string>{record}) << name;
    }
  }

  TempDir dir;
  std::filesystem::path folder;
  std::string bytes;
  RecordsSetup setup;
  ManualClock clock{{2026, 12, 9, 10, 0, 0}};
  std::vector<long long> waited;
};

TEST_F(Records, EachAnswerIsMarkedJournalledAndTheRecordSavedOnce) {
  auto service = Service();
  service->SignIn("012345678", "ab1Z");
  const OpenedSitting opened = service->Open(bytes, Code());
  EXPECT_FALSE(opened.resumed);
  EXPECT_EQ(opened.secondsLeft, 180);
  const AnswerVerdict wrong = service->Answer(Inputs(opened.seed, 1, false));
  EXPECT_EQ(wrong.code, "U");
  EXPECT_FALSE(wrong.ended);
  EXPECT_THROW(service->Answer(Inputs(opened.seed, 1, true)), Refused);  // marked already
  service->Answer(Inputs(opened.seed, 2, true));
  const AnswerVerdict last = service->Answer(Inputs(opened.seed, 3, true));
  EXPECT_EQ(last.code, "Y");
  EXPECT_TRUE(last.ended);
  const SaveReport first = service->End();
  const SaveReport again = service->End();
  EXPECT_TRUE(first.Complete());
  EXPECT_EQ(first.record, again.record);
  // Field 7 is in the test file's order, which the drawn seed decides.
  EXPECT_TRUE(first.record.starts_with("10170,012345678,09/12/2026,10:00,73,3,")) << first.record;
  std::string codes = first.record.substr(38, 3);
  std::sort(codes.begin(), codes.end());
  EXPECT_EQ(codes, "UYY");
  EXPECT_TRUE(first.record.ends_with(",Mary Smith,")) << first.record;
  ExpectOneRecordEverywhere(first.record);
  EXPECT_THROW(service->Answer(Inputs(opened.seed, 2, true)), Refused);  // ended
}

TEST_F(Records, AFileTheRecordMissedIsNamedAndRecoveryCompletesItOnce) {
  std::filesystem::remove_all(folder / "subject_files");
  auto service = Service();
  service->SignIn("012345678", "ab1Z");
  const std::uint64_t seed = service->Open(bytes, Code()).seed;
  for (int p = 1; p <= 3; ++p) service->Answer(Inputs(seed, p, true));
  const SaveReport report = service->End();
  EXPECT_EQ(report.failed, std::vector<std::string>{" Subject file"});
  EXPECT_EQ(report.errorNumbers, std::vector<int>{76});  // "Invalid path..."
  EXPECT_EQ(SaveFailureText(76, report.failed[0]),
            "Invalid path. Continue to enter new path. Subject file");
  service.reset();
  EXPECT_EQ(ListSittings(setup, clock).at(0).state, "ended-unsaved");
  std::filesystem::create_directories(folder / "subject_files");
  EXPECT_EQ(RecoverSittings(setup, clock), std::vector<std::string>{"012345678_10170: was saved"});
  EXPECT_TRUE(RecoverSittings(setup, clock).empty());  // twice adds nothing
  EXPECT_EQ(ListSittings(setup, clock).at(0).state, "saved");
  ExpectOneRecordEverywhere(report.record);
}

TEST_F(Records, AKillAtEveryStepOfTheSaveLeavesExactlyOneLinePerFile) {
  const std::vector<std::string> steps = {"answer",
                                          "ended",
                                          "appended Student file",
                                          "noted Student file",
                                          "appended Master file",
                                          "noted Master file",
                                          "appended Subject file"};
  for (const auto& step : steps) {
    SCOPED_TRACE(step);
    std::filesystem::remove_all(folder / kJournalsFolder);
    for (const char* name : {"012345678.txt", "masterfile.txt", "subject_files/10170.txt"}) {
      std::filesystem::remove(folder / name);
    }
    int answers = 0;
    setup.afterStep = [&](const std::string& s) {
      if (s == step && (s != "answer" || ++answers == 3)) throw Kill(s);
    };
    std::uint64_t seed = 0;
    {
      auto service = Service();
      service->SignIn("012345678", "ab1Z");
      seed = service->Open(bytes, Code()).seed;
      service->Answer(Inputs(seed, 1, true));
      service->Answer(Inputs(seed, 2, true));
      EXPECT_THROW(service->Answer(Inputs(seed, 3, true)), Kill);
    }
    setup.afterStep = nullptr;
    // A kill in the middle of a journal write leaves part of an entry behind.
    std::ofstream(folder / kJournalsFolder / "012345678_10170journal.txt", std::ios::app)
        << "A\t9\t0\tI\tcut";
    clock.Advance(5);
    auto again = Service();
    again->SignIn("012345678", "ab1Z");
    const OpenedSitting opened = again->Open(bytes, Code());
    const SaveReport report = again->End();
    ASSERT_TRUE(report.Complete());
    const std::string record = Lines("masterfile.txt").empty() ? "" : Lines("masterfile.txt")[0];
    EXPECT_NE(record.find(",100,3,YYY,Mary Smith,"), std::string::npos) << record;
    // All three answers were journalled, so a kill on the last one resumes a sitting that has
    // ended; a later kill finds the earlier sitting to complete before a new one opens.
    EXPECT_EQ(opened.resumed, step == "answer");
    for (const char* name : {"012345678.txt", "masterfile.txt", "subject_files/10170.txt"}) {
      const auto lines = Lines(name);
      EXPECT_EQ(std::count(lines.begin(), lines.end(), record), 1) << name;
      EXPECT_EQ(lines.size(), step == "answer" ? 1u : 2u) << name;  // the new one, ended too
    }
  }
}

// Two sittings in one minute with the same marks make the very same line; completing the
// second after a kill must not take the first one's line for its own.
TEST_F(Records, ASecondIdenticalRecordCompletedAfterAKillIsStillWritten) {
  for (const bool kill : {false, true}) {
    setup.afterStep = [kill](const std::string& step) {
      if (kill && step == "ended") throw Kill(step);
    };
    auto service = Service();
    service->SignIn("012345678", "ab1Z");
    const std::uint64_t seed = service->Open(bytes, Code()).seed;
    service->Answer(Inputs(seed, 1, true));
    service->Answer(Inputs(seed, 2, true));
    if (kill) {
      EXPECT_THROW(service->Answer(Inputs(seed, 3, true)), Kill);
    } else {
      service->Answer(Inputs(seed, 3, true));
    }
  }
  setup.afterStep = nullptr;
  EXPECT_EQ(RecoverSittings(setup, clock).size(), 1u);
  for (const char* name : {"012345678.txt", "masterfile.txt", "subject_files/10170.txt"}) {
    const auto lines = Lines(name);
    ASSERT_EQ(lines.size(), 2u) << name;
    EXPECT_EQ(lines[0], lines[1]) << name;
  }
}

TEST_F(Records, ARestartCostsTheTimeTheComputerWasDownAndOnlyTheTeacherGivesTimeBack) {
  std::uint64_t seed = 0;
  {
    auto service = Service();
    service->SignIn("012345678", "ab1Z");
    seed = service->Open(bytes, Code()).seed;
    clock.Advance(30);
    EXPECT_EQ(service->Answer(Inputs(seed, 1, true)).secondsLeft, 150);
    clock.Advance(60);  // then the computer is off for a minute
  }
  auto service = Service();
  service->SignIn("012345678", "ab1Z");
  const OpenedSitting opened = service->Open(bytes, Code());
  EXPECT_TRUE(opened.resumed);
  EXPECT_EQ(opened.seed, seed);
  EXPECT_EQ(opened.answers.size(), 1u);
  EXPECT_EQ(opened.secondsLeft, 90);
  ExtendSitting(setup, clock, "012345678", 10170, 2);
  EXPECT_EQ(service->SecondsLeft(), 210);
  EXPECT_THROW(ExtendSitting(setup, clock, "012345678", 10171, 2), Refused);
  clock.Advance(211);
  EXPECT_EQ(service->SecondsLeft(), 0);
  EXPECT_THROW(service->Answer(Inputs(seed, 2, true)), Refused);  // after the deadline
  const auto master = Lines("masterfile.txt");
  ASSERT_EQ(master.size(), 1u);  // saved as it stood
  EXPECT_NE(master[0].find(",33,3,"), std::string::npos) << master[0];
}

// The keeper hands back answers without their old times: replaying them must not set the clock
// (it once took the last answer's time left, 0 here, and ended a resumed sitting at once).
TEST_F(Records, ReplayingAnswersLeavesTheClockToTheRecords) {
  ModuleExamora m;
  m.Bank = LoadTestText(bytes, "t");
  ScriptedPrompter prompter;
  PrepareSeededSitting(m, 9, prompter);
  SeededRandom random(1);
  DoTestModel model(m, prompter, random, clock);
  model.SecondsLeft = 150;
  JournalContent journal;
  journal.answers = {Inputs(9, 1, true), Inputs(9, 2, false)};
  for (auto& a : journal.answers) a.secondsLeft = 0;
  ReplayJournal(model, m, journal);
  EXPECT_EQ(model.SecondsLeft, 150);
  EXPECT_EQ(model.AnsweredCount, 2);
  EXPECT_FALSE(model.Ended());
}

TEST_F(Records, ASecondLiveSittingIsRefusedUntilTheFirstIsGone) {
  auto first = Service();
  first->SignIn("012345678", "ab1Z");
  first->Open(bytes, Code());
  auto second = Service();
  second->SignIn("012345678", "ab1Z");
  try {
    second->Open(bytes, Code());
    FAIL() << "a second live sitting opened";
  } catch (const Refused& e) {
    EXPECT_NE(
        std::string(e.what()).find("already open for you elsewhere (since 10:00 on 09/12/2026"),
        std::string::npos)
        << e.what();
  }
  // Another student's sitting of the same test is no business of the lock.
  auto other = Service();
  other->SignIn("123456789", "cd2Y");
  EXPECT_NO_THROW(other->Open(bytes, Code()));
  first.reset();
  EXPECT_TRUE(second->Open(bytes, Code()).resumed);
}

TEST_F(Records, TheKeeperTakesOnlyTrustedTestsAndTheCurrentAccessCode) {
  std::string source = kSource;
  source.replace(source.find("3000,3000"), 9, "3500,3500");
  const std::string untrusted = TestBytes(source);
  struct Case {
    const char* what;
    std::string test;
    std::string code;
    bool opens;
  } cases[] = {{"untrusted bytes", untrusted, Code(), false},
               {"no access code", bytes, "", false},
               {"a stale access code", bytes, Code(), false},
               {"the current code", bytes, Code(), true},
               {"the same test as a page's text", bytes + "\r\n", Code(), true}};
  clock.Advance(400);  // the third case's code is now too old
  cases[3].code = cases[4].code = Code();
  cases[1].code = "";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto service = Service();
    service->SignIn("012345678", "ab1Z");
    if (c.opens) {
      EXPECT_NO_THROW(service->Open(c.test, c.code));
    } else {
      EXPECT_THROW(service->Open(c.test, c.code), Refused);
      EXPECT_FALSE(
          std::filesystem::exists(folder / kJournalsFolder / "012345678_10170journal.txt"));
    }
  }
}

TEST_F(Records, SignInRefusesEveryWrongPasswordAfterADelayAndSaysNotWhich) {
  const struct {
    const char* number;
    const char* password;
    bool accepted;
  } cases[] = {{"012345678", "ab1Z", true},
               {"012345678", "", false},
               {"012345678", "ab1", false},
               {"012345678", "ab1Zx", false},
               {"012345678", "AB1Z", false},
               {"012345679", "ab1Z", false},
               {"", "", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.number) + "/" + c.password);
    waited.clear();
    auto service = Service();
    if (c.accepted) {
      EXPECT_NO_THROW(service->SignIn(c.number, c.password));
      EXPECT_TRUE(waited.empty());
    } else {
      EXPECT_THROW(service->SignIn(c.number, c.password), Refused);
      EXPECT_EQ(waited, std::vector<long long>{2000});
    }
  }
}

// Runs the keeper's protocol loop over pipes, as a student could speak it.
class Conversation {
 public:
  explicit Conversation(SittingService& service) {
    int in[2], out[2];
    EXPECT_EQ(::pipe(in), 0);
    EXPECT_EQ(::pipe(out), 0);
    to_ = in[1];
    reader_ = std::make_unique<LineReader>(out[0]);
    from_ = out[0];
    server_ = std::thread([&service, in, out] {
      ServeKeeper(service, in[0], out[1]);
      ::close(in[0]);
      ::close(out[1]);
    });
    EXPECT_EQ(Next(), "OK\texamora-keeper\t1");
  }
  ~Conversation() {
    ::close(to_);
    server_.join();
    ::close(from_);
  }
  std::string Say(const std::string& text) {
    EXPECT_EQ(::write(to_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    return Next();
  }
  std::string Next() { return reader_->Line(1 << 20).value_or("(closed)"); }

 private:
  int to_ = -1, from_ = -1;
  std::unique_ptr<LineReader> reader_;
  std::thread server_;
};

TEST_F(Records, AHostileStudentSpeakingTheProtocolIsRefusedAndNothingIsWritten) {
  auto service = Service();
  {
    Conversation talk(*service);
    EXPECT_EQ(talk.Say("OPEN\t1\t3\nabc"), "NO\tNo student has signed in.");
    EXPECT_EQ(talk.Say("ANSWER\t1\tY\n"), "NO\tNo student has signed in.");
    EXPECT_EQ(talk.Say("hello there\n"), "NO\tUnknown request.");
    EXPECT_EQ(talk.Say(std::string(70000, 'x') + "\n"), "NO\tThe request is too long.");
    EXPECT_EQ(talk.Say("SIGNIN\t012345678\tab1Z\n"), "OK\tMary\tSmith");
    EXPECT_EQ(talk.Say("SIGNIN\t123456789\tcd2Y\n"), "NO\tA student has already signed in.");
    EXPECT_EQ(talk.Say("OPEN\t1\t99999999999\n"), "NO\tMalformed request.");
    EXPECT_EQ(talk.Say("OPEN\t" + Code() + "\t5\nabcde")
                  .rfind("NO\tThe test \"the test\" cannot be used", 0),
              0u);
    // A claimed mark is just an answer the keeper marks itself: here, no sitting to mark.
    EXPECT_EQ(talk.Say("ANSWER\t1\tY\t9\n"), "NO\tNo sitting is open.");
    EXPECT_EQ(talk.Say("END\n"), "NO\tNo sitting is open.");
  }
  EXPECT_FALSE(std::filesystem::exists(folder / "masterfile.txt"));
  EXPECT_FALSE(std::filesystem::exists(folder / kJournalsFolder / "012345678_10170journal.txt"));

  // The same student, honestly: an answer of the wrong shape marks nothing and is not kept.
  auto honest = Service();
  Conversation talk(*honest);
  EXPECT_EQ(talk.Say("SIGNIN\t012345678\tab1Z\n"), "OK\tMary\tSmith");
  const std::string opened =
      talk.Say("OPEN\t" + Code() + "\t" + std::to_string(bytes.size()) + "\n" + bytes);
  ASSERT_EQ(opened.rfind("OK\tnew\t", 0), 0u) << opened;
  EXPECT_EQ(talk.Say("ANSWER\t1\tY\n"), "NO\tThe answer does not hold the answer controls.");
  EXPECT_EQ(talk.Say("ANSWER\t7\t1\n"), "NO\tThere is no question 7.");
  // Rows, options and boxes the window could not produce (once read outside its tables).
  const std::string fine = "\t\t4\t-1\t0\t" + std::string(78, '0') + std::string(18, '\t') + "\n";
  for (const std::string& bad : {std::string("\t\t4\t100000\t0\t"), std::string("\t\t-50\t3\t0\t"),
                                 std::string("\t\t4\t3\t99999\t"), std::string("\t\t4\t3\t-3\t"),
                                 std::string("\t\t4\t3\t1\t2")}) {
    EXPECT_EQ(talk.Say("ANSWER\t1" + bad + std::string(78, '0') + std::string(18, '\t') + "\n"),
              "NO\tThe answer names a control that is not there.")
        << bad;
  }
  EXPECT_EQ(talk.Say("ANSWER\t1\t" + std::string(300, '1') + fine.substr(1)),
            "NO\tAn answer field is longer than any control holds.");
  EXPECT_EQ(talk.Say("TIME\n"), "OK\t180");
  clock.Advance(181);
  EXPECT_EQ(talk.Say("ANSWER\t1\t1\t5\t12\t0\t0\n"),
            "NO\tThe time is up; this answer was not accepted.");
  const auto journal = ReadFileBytes(folder / kJournalsFolder / "012345678_10170journal.txt");
  EXPECT_EQ(journal.find("\tA\t"), std::string::npos);  // no answer was journalled
  EXPECT_EQ(Lines("masterfile.txt").size(), 1u);        // the sitting was saved as it stood
}

// Before a test is opened the records say whether opening it carries on an interrupted
// sitting; one carried on keeps the start it had.
TEST_F(Records, AnInterruptedSittingIsKnownBeforeOpeningAndKeepsItsStart) {
  EXPECT_THROW(Service()->HasInterruptedSitting(10170), Refused);  // nobody signed in
  long long started = 0;
  {
    auto service = Service();
    service->SignIn("012345678", "ab1Z");
    EXPECT_FALSE(service->HasInterruptedSitting(10170));  // never sat
    const OpenedSitting opened = service->Open(bytes, Code());
    started = opened.started;
    EXPECT_EQ(started, clock.UtcSeconds());
    clock.Advance(30);
    service->Answer(Inputs(opened.seed, 1, true));
  }
  clock.Advance(60);
  auto service = Service();
  service->SignIn("012345678", "ab1Z");
  EXPECT_TRUE(service->HasInterruptedSitting(10170));
  EXPECT_FALSE(service->HasInterruptedSitting(10171));
  {
    Conversation keeper(*service);
    EXPECT_EQ(keeper.Say("PENDING\t10170\n"), "OK\t1");
    EXPECT_EQ(keeper.Say("PENDING\t10171\n"), "OK\t0");
    EXPECT_EQ(keeper.Say("PENDING\t-1\n").substr(0, 3), "NO\t");
  }
  const OpenedSitting opened = service->Open(bytes, Code());
  EXPECT_TRUE(opened.resumed);
  EXPECT_EQ(opened.started, started);
  clock.Advance(90);  // its time is up: nothing is left to carry on
  EXPECT_FALSE(service->HasInterruptedSitting(10170));
}

TEST(SittingTimes, ACarriedOnSittingShowsTheTimesItStartedWith) {
  ManualClock clock{{2026, 12, 9, 0, 20, 0}};
  ModuleExamora m;
  m.Bank.header.TestMinutes = 30;
  const long long now = clock.UtcSeconds();
  const std::tuple<long long, const char*, const char*> rows[] = {
      {now, "00:20", "00:50"},             // started now
      {now - 600, "00:10", "00:40"},       // ten minutes ago
      {now - 35 * 60, "11:45", "12:15"}};  // before midnight (twelve-hour times)
  for (const auto& [started, start, end] : rows) {
    ShowSittingTimes(m, clock, started);
    EXPECT_EQ(m.StartTimeText, start);
    EXPECT_EQ(m.EndTimeText, end);
  }
}

}  // namespace
}  // namespace examora
