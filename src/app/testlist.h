// The list of available tests, read from the web folder's "info/data/testlist.txt".
#pragma once

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace examora {

/// The test table, 1-based like every list the windows show (index 0 unused).
struct TestListTable {
  std::vector<std::string> TestListLine;             // cleaned line: also the test's web sub-folder
  std::vector<bool> TestContinuable;                 // the line carried "(cont)"
  std::vector<std::array<std::string, 3>> TestList;  // [i][1] number, [i][2] name
  std::map<int, std::string> TestNameByNumber;
  int TestCount = 0;
  int TestNumber = 0;  // number of the last line processed
};

/// Splits the list text into the table (a carriage return ends a line; line feeds are
/// skipped) and returns the lines the sign-in list shows: the number of characters received,
/// the number of tests, each cleaned line, five empty lines and the "GET TEST --->" line.
/// Lines too short to hold a number and a name (under six characters once every "(cont)" is
/// removed), and lines that cannot name a folder of "tests/" ("..", "/", "\"), are skipped and
/// not counted. The first 500 tests are taken; a line after the tests says how many more
/// were left out.
std::vector<std::string> GetTestsWeb(const std::string& text, TestListTable& table);

/// The web address of test i: WebBase & "tests/" & line & "/" & name & "-BF.txt", with the
/// characters a URL cannot hold percent-encoded; empty when it would leave the test's folder.
std::string TestAddress(const std::string& webBase, const TestListTable& table, int i);

/// The whole-number value of a test number text; -1 when it is no number a test can have
/// (negative, beyond 99999, "1e100").
int TestNumberOf(std::string_view text);

/// Percent-encodes blanks and other characters that may not stand in a URL path.
std::string EncodeUrlPath(const std::string& path);

/// What the selection window knows of the test chosen in it.
struct TestChoice {
  int sel = 0;            // the chosen list position (1-based); 0 before any
  int request = 0;        // the loader request made for it
  bool loaded = false;    // its header arrived, was read and checked
  bool prepared = false;  // "Get the Test" has run: nothing replaces the bank any more
};

/// Whether a click on list row `row` (0-based) loads that test. A click on the entry already
/// chosen is ignored (except on the first entry) only once its test has loaded, so a test that
/// failed or never came can be chosen again; after "Get the Test" no click counts.
bool ClickChoosesTest(const TestChoice& choice, int row);

/// What `lblContinueMode` says of the chosen test.
struct ContinueNotice {
  std::string text;
  bool red = false;
};

/// By the test's setting "CONTINUE OK", or "------ Continue Forbidden ------" in red; but a
/// test whose interrupted sitting opening it carries on says that instead, since the sitting
/// carries on whatever the setting.
ContinueNotice ContinueModeNotice(bool continuable, bool interruptedPending);

/// Whether a page handed on for loader request `request` belongs to the chosen test: pages of
/// earlier choices, and any page after "Get the Test", are dropped.
bool ArrivalBelongs(const TestChoice& choice, int request);

}  // namespace examora
