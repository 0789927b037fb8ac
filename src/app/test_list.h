// The list of available tests, read from the web folder's "info/data/testlist.txt".
#pragma once

#include <array>
#include <map>
#include <string>
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
/// Lines too short to hold a number and a name (under six characters) are skipped and not
/// counted.
std::vector<std::string> GetTestsWeb(const std::string& text, TestListTable& table);

/// The web address of test i: WebBase & "tests/" & line & "/" & name & "-BF.txt", with the
/// characters a URL cannot hold percent-encoded.
std::string TestAddress(const std::string& webBase, const TestListTable& table, int i);

/// Percent-encodes blanks and other characters that may not stand in a URL path.
std::string EncodeUrlPath(const std::string& path);

}  // namespace examora
