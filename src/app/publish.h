// Publishing a test: the enciphered file goes into its folder of the web folder's "tests/" and
// its line into the test list, so the next sign-in offers it. Everything lands inside the web
// folder, through the atomic writer, and the list keeps every line it had.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace examora {

/// The most bytes of a test list read before it is rewritten (as much as a fetch may bring).
inline constexpr std::size_t kMaxTestListBytes = std::size_t{4} << 20;

struct Published {
  std::filesystem::path testFile;  // web/tests/<number> <name>/<name>-BF.txt
  std::string line;                // its line in the list
  bool replaced = false;           // the list had its line already (the test was republished)
  std::string warning;             // something the teacher should know; empty when all is well
};

/// The test list's text with `line` (a cleaned "<number> <name>" line) in it: a line of the same
/// test (same cleaned text) is kept as it is, "(cont)" included; a new line goes before the
/// first line of a higher number. Lines end with CR LF. Throws FormatError when another test
/// has the number already, naming that line.
std::string ListWithLine(std::string_view listText, const std::string& line, bool& replaced);

/// The folder on disk a file:// web folder address names; empty for any other address.
std::string WebFolderOnDisk(std::string_view webBase);

/// Puts the enciphered test `testFile` into `webFolder` (a folder on disk): its folder and file
/// from the test's own number and name, and its line in "info/data/testlist.txt". Throws
/// FormatError when the test cannot be read or its number or name cannot name a folder, or its
/// number is another test's; FileError when a file cannot be written or a path would lead out
/// of the web folder. Nothing of the list changes when the test could not be written.
Published PublishTest(const std::filesystem::path& testFile,
                      const std::filesystem::path& webFolder);

}  // namespace examora
