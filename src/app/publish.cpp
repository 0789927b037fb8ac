#include "app/publish.h"

#include <algorithm>

#include "app/testlist.h"
#include "app/web_address.h"
#include "common/error.h"
#include "common/text.h"
#include "platform/files.h"
#include "testfile/testfile.h"

namespace examora {
namespace {

// The list's lines as the loader cuts them: a carriage return ends one, line feeds are skipped.
std::vector<std::string> ListLines(std::string_view text) {
  std::vector<std::string> lines(1);
  for (char c : text) {
    if (c == '\r') {
      lines.emplace_back();
    } else if (c != '\n') {
      lines.back() += c;
    }
  }
  if (lines.back().empty()) lines.pop_back();
  return lines;
}

std::string Cleaned(std::string line) {
  for (std::size_t pos; (pos = line.find("(cont)")) != std::string::npos;) line.erase(pos, 6);
  return Trim(line);
}

bool IsFiveDigits(std::string_view text) {
  return text.size() == 5 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The list line of a test: its five-digit number, a blank and its name, usable as a folder.
std::string LineOf(const TestBank& bank) {
  const std::string number = Trim(bank.testNumber);
  const std::string name = Trim(bank.testName);
  if (!IsFiveDigits(number)) {
    throw FormatError("The test number \"" + number +
                      "\" cannot go into the test list: it must have five digits");
  }
  const std::string line = number + " " + name;
  if (name.empty() || name.find("(cont)") != std::string::npos || !IsSafeFolderName(line) ||
      name.find_first_of("*?\"<>|") != std::string::npos) {
    throw FormatError("The test name \"" + name +
                      "\" cannot name a folder of the web folder (no \"/\", \"\\\", \":\", "
                      "\"(cont)\" or control characters)");
  }
  return line;
}

// Refuses a path that, once links are followed, is not inside the web folder.
std::filesystem::path Inside(const std::filesystem::path& web, const std::filesystem::path& path) {
  const auto root = std::filesystem::weakly_canonical(web);
  const auto real = std::filesystem::weakly_canonical(path);
  const auto [end, _] = std::mismatch(root.begin(), root.end(), real.begin(), real.end());
  if (end != root.end()) {
    throw FileError("Cannot write \"" + path.string() + "\": it leads out of the web folder to \"" +
                    real.string() + "\"");
  }
  return path;
}

// A folder that cannot be made is a message (a teacher without write access to the web
// folder), never an exception the window does not expect.
void MakeFolder(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) throw FileError("Cannot make the folder \"" + folder.string() + "\": " + ec.message());
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string ListWithLine(std::string_view listText, const std::string& line, bool& replaced) {
  std::vector<std::string> lines = ListLines(listText);
  const std::string number = line.substr(0, 5);
  replaced = false;
  auto insertAt = lines.end();
  for (auto it = lines.begin(); it != lines.end(); ++it) {
    const std::string cleaned = Cleaned(*it);
    if (cleaned == line) {
      replaced = true;
    } else if (cleaned.substr(0, 5) == number) {  // the loader's number: the first five
      throw FormatError("Test number " + number + " is already used by \"" + cleaned +
                        "\" in the test list; give this test another number");
    } else if (insertAt == lines.end() && IsFiveDigits(cleaned.substr(0, 5)) &&
               cleaned.substr(0, 5) > number) {
      insertAt = it;
    }
  }
  if (!replaced) lines.insert(insertAt, line);
  std::string text;
  for (const auto& l : lines) text += l + "\r\n";
  return text;
}

std::string WebFolderOnDisk(std::string_view webBase) {
  constexpr std::string_view kScheme = "file://";
  if (!webBase.starts_with(kScheme)) return {};
  std::string path;
  const std::string_view rest = webBase.substr(kScheme.size());
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const bool escape = rest[i] == '%' && i + 2 < rest.size() && HexValue(rest[i + 1]) >= 0 &&
                        HexValue(rest[i + 2]) >= 0;
    if (escape) {
      path += static_cast<char>(HexValue(rest[i + 1]) * 16 + HexValue(rest[i + 2]));
      i += 2;
    } else {
      path += rest[i];
    }
  }
  return path;
}

Published PublishTest(const std::filesystem::path& testFile,
                      const std::filesystem::path& webFolder) {
  const std::string bytes = ReadFileBytes(testFile);
  const TestBank bank = LoadTestText(bytes, testFile.filename().string());
  Published done;
  done.line = LineOf(bank);
  const std::string name = done.line.substr(6);
  if (!std::filesystem::is_directory(webFolder)) {
    throw FileError("\"" + webFolder.string() + "\" is not a folder");
  }
  const auto list = Inside(webFolder, webFolder / "info" / "data" / "testlist.txt");
  std::error_code ec;
  const std::string oldList =
      std::filesystem::exists(list, ec) ? ReadFileBytes(list, kMaxTestListBytes) : std::string();
  const std::string newList = ListWithLine(oldList, done.line, done.replaced);
  const auto folder = Inside(webFolder, webFolder / "tests" / done.line);
  done.testFile = Inside(webFolder, folder / (name + "-BF.txt"));
  MakeFolder(folder);
  WriteFileAtomically(done.testFile, bytes);
  MakeFolder(list.parent_path());
  WriteFileAtomically(list, newList);
  if (!newList.starts_with("101")) {
    done.warning =
        "The test list does not start with a test numbered 101..., so the program "
        "will not take it as the test list";
  }
  return done;
}

}  // namespace examora
