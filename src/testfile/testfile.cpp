#include "testfile/testfile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/error.h"
#include "common/numtext.h"
#include "common/text.h"
#include "platform/files.h"

namespace examora {
namespace {

[[noreturn]] void Refuse(const std::string& what, const std::string& why) {
  throw FormatError("The test " + what + " cannot be used: " + why);
}

void CheckHeader(const TestHeader& h, const std::string& what) {
  if (h.QuestionsInFile < 1 || h.QuestionsInFile > kMaxQuestionsInFile) {
    Refuse(what, "its header gives " + std::to_string(h.QuestionsInFile) +
                     " questions in the bank (1 to 500 are possible). It may be damaged or "
                     "enciphered with another key.");
  }
  if (h.QuestionsToAsk < 1 || h.QuestionsToAsk > h.QuestionsInFile) {
    Refuse(what, "it asks " + std::to_string(h.QuestionsToAsk) + " questions of a bank of " +
                     std::to_string(h.QuestionsInFile) + ".");
  }
  if (const std::string problem = TestTimeProblem(h); !problem.empty()) Refuse(what, problem);
  if (h.LineCountDigits.size() < static_cast<std::size_t>(h.QuestionsInFile)) {
    Refuse(what, "its line counts cover " + std::to_string(h.LineCountDigits.size()) + " of " +
                     std::to_string(h.QuestionsInFile) + " questions.");
  }
  for (int q = 0; q < h.QuestionsInFile; ++q) {
    const char c = h.LineCountDigits[static_cast<std::size_t>(q)];
    if (c < '0' || c > '0' + kMaxBlockLines - kMinBlockLines) {
      Refuse(what, "question " + std::to_string(q + 1) +
                       " has a line count that is not 0 to 6 (a block holds 2 to 8 lines).");
    }
  }
}

// The prompts (line 3) and the answers (line 4) pair up item by item: a prompt without its
// answer, or an answer without its prompt, is a question no one can get right.
void CheckMatching(const QuestionBlock& b, const std::string& what, const std::string& where) {
  const std::size_t prompts = SplitItems(Trim(b[3])).size();
  const std::size_t answers = SplitItems(UpperAscii(Trim(b[4]))).size();
  if (answers > static_cast<std::size_t>(kMaxMatchItems) ||
      prompts > static_cast<std::size_t>(kMaxMatchItems)) {
    Refuse(what, where + " has more than 12 items to match.");
  }
  if (prompts != answers) {
    Refuse(what, where + " has " + std::to_string(prompts) + " items to match (line 3) but " +
                     std::to_string(answers) + " answers (line 4).");
  }
}

// Every word needs at least one spelling a typed word can equal (marking ignores blanks, so an
// empty or all-blank item can never match).
void CheckOneWord(const QuestionBlock& b, int words, const std::string& what,
                  const std::string& where) {
  for (int k = 1; k <= words; ++k) {
    const auto spellings = SplitItems(LowerAscii(Trim(b[static_cast<std::size_t>(k) + 2])));
    if (spellings.size() > static_cast<std::size_t>(kMaxWordSpellings)) {
      Refuse(what, where + " accepts more than 20 spellings of word " + std::to_string(k) + ".");
    }
    const bool any = std::any_of(spellings.begin(), spellings.end(), [](const std::string& s) {
      return s.find_first_not_of(' ') != std::string::npos;
    });
    if (!any) Refuse(what, where + " gives no spelling for word " + std::to_string(k) + ".");
  }
}

// The expected ticks (line 3) must name shown boxes (line 4 gives how many), in box order, as
// the ticked boxes are read: otherwise no set of ticks can be right.
void CheckMultiSelect(const QuestionBlock& b, const std::string& what, const std::string& where) {
  // Exactly the text the window counts boxes from and marking compares with.
  const std::string& count = b[4];
  const double boxes = LeadingNumber(count);
  if (count.size() > 2 || boxes < 1 || boxes > kMultiSelectBoxes || boxes != std::floor(boxes)) {
    Refuse(what, where + " shows \"" + count + "\" boxes (1 to 78 are possible).");
  }
  const auto& captions = MultiSelectCaptions();
  std::size_t next = 0;  // the expected labels must come in box order
  for (const std::string& label : SplitItems(UpperAscii(b[3]))) {
    const auto at = std::find(captions.begin() + static_cast<std::ptrdiff_t>(next),
                              captions.begin() + static_cast<std::ptrdiff_t>(boxes), label);
    if (label.empty() || at == captions.begin() + static_cast<std::ptrdiff_t>(boxes)) {
      Refuse(what, where + " expects \"" + b[3] + "\", which the " + count +
                       " boxes shown cannot give (labels in box order, A to " +
                       captions[static_cast<std::size_t>(boxes) - 1] + ").");
    }
    next = static_cast<std::size_t>(at - captions.begin()) + 1;
  }
}

// What a block of each kind needs, and the limits its lists must keep to.
void CheckBlock(const QuestionBlock& b, int q, const std::string& what) {
  const int count = static_cast<int>(b.size()) - 3;  // lines after line 2
  const std::string where = "question " + std::to_string(q);
  switch (KindOf(b[1])) {
    case QuestionKind::kNumeric:
    case QuestionKind::kMultiSelect:
    case QuestionKind::kMatching:
      if (count < 2) Refuse(what, where + " lacks its third or fourth line.");
      break;
    case QuestionKind::kOneWord:
    case QuestionKind::kMultipleChoice:
      if (count < 1) Refuse(what, where + " has no answer lines.");
      break;
  }
  switch (KindOf(b[1])) {
    case QuestionKind::kMatching:
      CheckMatching(b, what, where);
      break;
    case QuestionKind::kOneWord:
      CheckOneWord(b, count, what, where);
      break;
    case QuestionKind::kMultiSelect:
      CheckMultiSelect(b, what, where);
      break;
    default:
      break;
  }
}

}  // namespace

const std::array<std::string, kMultiSelectBoxes>& MultiSelectCaptions() {
  static const std::array<std::string, kMultiSelectBoxes> captions = [] {
    std::array<std::string, kMultiSelectBoxes> c;
    for (int i = 0; i < 26; ++i) {
      c[static_cast<std::size_t>(i)] = std::string(1, static_cast<char>('A' + i));
      c[static_cast<std::size_t>(26 + i)] = std::string(2, static_cast<char>('A' + i));
      c[static_cast<std::size_t>(52 + i)] = std::to_string(i + 1);
    }
    return c;
  }();
  return captions;
}

std::string TestTimeProblem(const TestHeader& h) {
  if (!(h.MinutesPerQuestion > 0)) {
    return "it gives no time per question.";
  }
  if (!std::isfinite(h.TestMinutes) || h.TestMinutes > kMaxTestMinutes) {
    const std::string allows = std::isfinite(h.TestMinutes)
                                   ? FormatGeneralSingle(h.TestMinutes) + " minutes"
                                   : "endless minutes";
    return "it allows " + allows + " a sitting; a sitting may last at most " +
           std::to_string(kMaxTestMinutes) + " minutes.";
  }
  if (RoundHalfEven(h.TestMinutes) < 1) {
    return "its " + FormatGeneralSingle(h.TestMinutes) +
           " minutes a sitting round to no time on the clock.";
  }
  return {};
}

QuestionKind KindOf(std::string_view line) {
  if (line.empty()) return QuestionKind::kMultipleChoice;
  switch (line[0]) {
    case '#':
      return QuestionKind::kNumeric;
    case '@':
      return QuestionKind::kMultiSelect;
    case '%':
      return QuestionKind::kOneWord;
    case '$':
      return QuestionKind::kMatching;
    default:
      return QuestionKind::kMultipleChoice;
  }
}

const char* KindName(QuestionKind kind) {
  switch (kind) {
    case QuestionKind::kNumeric:
      return "numeric";
    case QuestionKind::kMultiSelect:
      return "multi-select";
    case QuestionKind::kOneWord:
      return "one-word";
    case QuestionKind::kMatching:
      return "matching";
    case QuestionKind::kMultipleChoice:
      return "multiple choice";
  }
  return "";
}

std::vector<std::string> SplitItems(std::string text) {
  if (text.empty() || text.back() != ',') text += ',';
  std::vector<std::string> items;
  std::string current;
  for (char c : text) {
    if (c == ',') {
      items.push_back(std::move(current));
      current.clear();
    } else {
      current += c;
    }
  }
  return items;
}

TestHeader ReadHeader(const std::vector<std::string>& lines) {
  auto line = [&](int n) -> const std::string& { return lines[static_cast<std::size_t>(n - 1)]; };
  TestHeader h;
  h.TestTitle = Trim(line(3));
  h.Compulsory = line(4) == "True";
  h.PassMark = static_cast<float>(LeadingNumber(line(5)));
  // Counts beyond any real test are clamped before they become whole numbers.
  h.QuestionsInFile = static_cast<int>(std::clamp(LeadingNumber(line(6)), -1.0, 1e6));
  h.MinutesPerQuestion = static_cast<float>(LeadingNumber(line(7)));
  h.QuestionsToAsk = static_cast<int>(std::clamp(LeadingNumber(line(8)), -1.0, 1e6));
  h.TestMinutes = static_cast<float>(h.QuestionsToAsk) * h.MinutesPerQuestion;
  h.LineCountDigits = line(9);
  h.TestDescription = Trim(line(10));
  h.VariablesText = Trim(line(11));
  return h;
}

TestBank ParseTestLines(const std::vector<std::string>& lines, const std::string& what) {
  if (lines.size() < static_cast<std::size_t>(kHeaderLines)) {
    Refuse(what, "it holds " + std::to_string(lines.size()) + " lines, fewer than its header.");
  }
  TestBank bank;
  bank.testNumber = lines[0];
  bank.testName = lines[1];
  bank.header = ReadHeader(lines);
  CheckHeader(bank.header, what);
  const int n = bank.header.QuestionsInFile;
  bank.QLineCount.assign(static_cast<std::size_t>(n) + 1, 0);
  bank.Questions.assign(static_cast<std::size_t>(n) + 1, QuestionBlock{});
  std::size_t next = kHeaderLines;
  for (int q = 1; q <= n; ++q) {
    const int count = bank.header.LineCountDigits[static_cast<std::size_t>(q - 1)] - '0';
    bank.QLineCount[static_cast<std::size_t>(q)] = count;
    const std::size_t size = static_cast<std::size_t>(count) + 2;
    if (next + size > lines.size()) {
      Refuse(what, "it ends inside question " + std::to_string(q) + " (the file is truncated).");
    }
    QuestionBlock block(1);
    block.insert(block.end(), lines.begin() + static_cast<std::ptrdiff_t>(next),
                 lines.begin() + static_cast<std::ptrdiff_t>(next + size));
    next += size;
    if (block[1].starts_with("#(cont)")) bank.HasContinuation = true;
    bank.Questions[static_cast<std::size_t>(q)] = std::move(block);
  }
  ValidateBlocks(bank, what);
  // A reader reads only the lines the format needs: anything after the last block is not part
  // of the test.
  return bank;
}

void ValidateBlocks(const TestBank& bank, const std::string& what) {
  for (std::size_t q = 1; q < bank.Questions.size(); ++q) {
    CheckBlock(bank.Questions[q], static_cast<int>(q), what);
  }
}

namespace {

// The number of lines the header says the file holds: 11 and every block's lines (as far as
// the digits are usable; the header checks report the rest).
std::size_t LinesNeeded(const std::vector<std::string>& lines) {
  if (lines.size() < static_cast<std::size_t>(kHeaderLines)) return kHeaderLines;
  const TestHeader h = ReadHeader(lines);
  std::size_t needed = kHeaderLines;
  const auto count = std::min<std::size_t>(
      h.LineCountDigits.size(), static_cast<std::size_t>(std::max(h.QuestionsInFile, 0)));
  for (std::size_t q = 0; q < count; ++q) {
    const char c = h.LineCountDigits[q];
    if (c >= '0' && c <= '9') needed += static_cast<std::size_t>(c - '0') + 2;
  }
  return needed;
}

}  // namespace

TestBank LoadTestText(std::string_view fileText, const std::string& testName,
                      const LineCipher& cipher) {
  const std::string what = "\"" + testName + "\"";
  const EncipheredFileContent content = DecipherFileText(fileText, cipher);
  // Only lines the format reads count: the header first, then the blocks its digits describe.
  // Lines after them (a trailing empty line, anything else) are not read, damaged or not.
  auto refuseDamagedBefore = [&](std::size_t needed) {
    for (std::size_t line : content.damaged) {
      if (line > needed) break;
      Refuse(what, "line " + std::to_string(line) +
                       " does not decipher (the file is damaged, or enciphered with another key).");
    }
  };
  refuseDamagedBefore(kHeaderLines);
  refuseDamagedBefore(LinesNeeded(content.lines));
  return ParseTestLines(content.lines, what);
}

TestBank LoadTestFile(const std::filesystem::path& path, const std::string& testName,
                      const LineCipher& cipher) {
  std::string text;
  try {
    text = ReadFileBytes(path);
  } catch (const FileError& e) {
    throw FileError("The test \"" + testName + "\" cannot be read: " + e.what());
  }
  return LoadTestText(text, testName, cipher);
}

std::vector<std::string> TestLines(const TestBank& bank) {
  const TestHeader& h = bank.header;
  std::vector<std::string> lines = {bank.testNumber,
                                    bank.testName,
                                    h.TestTitle,
                                    h.Compulsory ? "True" : "False",
                                    FormatGeneralSingle(h.PassMark),
                                    std::to_string(h.QuestionsInFile),
                                    FormatGeneralSingle(h.MinutesPerQuestion),
                                    std::to_string(h.QuestionsToAsk),
                                    h.LineCountDigits,
                                    h.TestDescription,
                                    h.VariablesText};
  for (std::size_t q = 1; q < bank.Questions.size(); ++q) {
    lines.insert(lines.end(), bank.Questions[q].begin() + 1, bank.Questions[q].end());
  }
  return lines;
}

std::string ShownVariablesText(std::string_view text) {
  std::string shown(text);
  // From the second character to the fourth-last: "mpq" as the last three stays visible.
  for (std::size_t pos = 1; pos + 4 <= shown.size(); ++pos) {
    if (LowerAscii(shown.substr(pos, 3)) == "mpq") {
      shown.resize(pos);
      break;
    }
  }
  std::string out;
  for (char c : shown) {
    if (c == '(') {
      out += "\n\nLast Revised: ";
    } else {
      out += c;
    }
  }
  return out;
}

namespace {

std::string HoursText(float h) {
  // Twelve-hour clock; a sitting that runs past the next noon or midnight wraps again rather
  // than showing an hour the clock does not have.
  if (!std::isfinite(h) || h < 0) return "--:--";
  if (h >= 13) h = std::fmod(h - 1.0f, 12.0f) + 1.0f;
  int hours = static_cast<int>(std::floor(h));
  int minutes = static_cast<int>(RoundHalfEven((h - static_cast<float>(hours)) * 60.0f));
  if (minutes == 60) ++hours, minutes = 0;
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", hours, minutes);
  return text;
}

}  // namespace

std::string GetStartTime(const LocalDateTime& now, float& startHour) {
  startHour = static_cast<float>(now.hour * 60 + now.minute) / 60.0f;
  if (startHour >= 13) startHour -= 12;
  return HoursText(startHour);
}

std::string GetEndTime(float startHour, float minutes) {
  if (!(minutes <= kMaxTestMinutes)) return "--:--";  // no clock runs that long
  const float rounded = static_cast<float>(RoundHalfEven(minutes * 10.0) / 10.0);
  return HoursText((startHour * 60.0f + rounded) / 60.0f);
}

}  // namespace examora
