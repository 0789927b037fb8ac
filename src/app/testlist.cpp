#include "app/testlist.h"

#include <cmath>

#include "app/web_address.h"
#include "common/numtext.h"
#include "common/text.h"

namespace examora {
namespace {

constexpr std::size_t kShortestLine = 6;  // five-digit number, separator, name
constexpr int kHighestTestNumber = 99999;
// The selection window's list, like every per-test table, holds this many tests.
constexpr std::size_t kMostTests = 500;

std::string WithoutCont(std::string line) {
  for (std::size_t pos; (pos = line.find("(cont)")) != std::string::npos;) line.erase(pos, 6);
  return Trim(line);
}

}  // namespace

std::vector<std::string> GetTestsWeb(const std::string& text, TestListTable& table) {
  std::vector<std::string> shown = {std::to_string(text.size())};
  std::vector<std::string> lines;
  std::string current;
  for (char c : text) {
    if (c == '\r') {
      lines.push_back(Trim(current));
      current.clear();
    } else if (c != '\n') {
      current += c;
    }
  }
  lines.push_back(Trim(current));

  table = TestListTable{};
  table.TestListLine.emplace_back();
  table.TestContinuable.push_back(false);
  table.TestList.emplace_back();
  std::size_t leftOut = 0;
  for (const auto& raw : lines) {
    const std::string line = WithoutCont(raw);
    // A line that is only "(cont)" is as short as an empty one; a line whose folder would lead
    // out of "tests/" is as unusable.
    if (line.size() < kShortestLine || !IsSafeFolderName(line)) continue;
    if (table.TestListLine.size() > kMostTests) {
      ++leftOut;
      continue;
    }
    table.TestListLine.push_back(line);
    table.TestContinuable.push_back(raw.size() - line.size() > 5);
  }
  table.TestCount = static_cast<int>(table.TestListLine.size()) - 1;
  shown.push_back(std::to_string(table.TestCount));
  for (int i = 1; i <= table.TestCount; ++i) {
    const std::string& line = table.TestListLine[static_cast<std::size_t>(i)];
    shown.push_back(line);
    const std::string number = line.substr(0, 5);
    const std::string name = line.size() > kShortestLine ? line.substr(kShortestLine) : "";
    table.TestList.push_back({"", number, name});
    table.TestNumber = TestNumberOf(number);
    if (table.TestNumber >= 0 && table.TestNumber <= kHighestTestNumber) {
      table.TestNameByNumber[table.TestNumber] = name;
    }
  }
  if (leftOut > 0) {
    shown.push_back(std::to_string(leftOut) + " more tests were left out: the list holds " +
                    std::to_string(kMostTests));
  }
  shown.insert(shown.end(), 5, "");
  shown.push_back("                                GET TEST --->");
  return shown;
}

std::string EncodeUrlPath(const std::string& path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.' || c == '~' || c == '/';
    if (plain) {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string TestAddress(const std::string& webBase, const TestListTable& table, int i) {
  const auto index = static_cast<std::size_t>(i);
  return ResolveInTestFolder(webBase, table.TestListLine[index],
                             table.TestList[index][2] + "-BF.txt")
      .value_or(std::string());
}

int TestNumberOf(std::string_view text) {
  const double value = LeadingNumber(text);
  // "1e100" or "2e+14" are numbers too, but no test's; they must not overflow the conversion.
  if (!std::isfinite(value) || value <= -1.0 || value >= kHighestTestNumber + 1.0) return -1;
  return static_cast<int>(value);
}

ContinueNotice ContinueModeNotice(bool continuable, bool interruptedPending) {
  if (interruptedPending) return {"Your interrupted sitting of this test carries on", false};
  if (continuable) return {"CONTINUE OK", false};
  return {"------ Continue Forbidden ------", true};
}

bool ClickChoosesTest(const TestChoice& choice, int row) {
  if (choice.prepared || row < 0) return false;
  return !(choice.loaded && row + 1 == choice.sel && row != 0);
}

bool ArrivalBelongs(const TestChoice& choice, int request) {
  return !choice.prepared && choice.sel > 0 && request == choice.request;
}

}  // namespace examora
