#include "app/test_list.h"

#include "common/numtext.h"
#include "common/text.h"

namespace examora {
namespace {

constexpr std::size_t kShortestLine = 6;  // five-digit number, separator, name

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
  for (const auto& raw : lines) {
    if (raw.size() < kShortestLine) continue;
    const std::string line = WithoutCont(raw);
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
    table.TestNumber = static_cast<int>(LeadingNumber(number));
    table.TestNameByNumber[table.TestNumber] = name;
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
  return webBase + "tests/" +
         EncodeUrlPath(
             Cp1252ToUtf8(table.TestListLine[index] + "/" + table.TestList[index][2] + "-BF.txt"));
}

}  // namespace examora
