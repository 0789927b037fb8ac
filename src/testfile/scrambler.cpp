#include "testfile/scrambler.h"

#include <algorithm>
#include <numeric>
#include <string_view>
#include <utility>

#include "common/text.h"

namespace examora {
namespace {

struct Markup {
  std::string_view marker;
  std::string_view symbol;  // Windows-1252
};
constexpr std::array<Markup, 21> kMarkup = {{
    {"^0", "\xBA"},
    {"^1", "\xB9"},
    {"^2", "\xB2"},
    {"^3", "\xB3"},
    {"-/-", "\xF7"},
    {"*", "\xD7"},
    {"+/-", "\xB1"},
    {"<DEG>", "\xB0"},
    {"<PHI>", "\xD8"},
    {"<PHI2>", "\xF8"},
    {"<MU>", "\xB5"},
    {"<BETA>", "\xDF"},
    {"<BOX>", "\x7F"},
    {"<LF>", "\n"},
    {"<1/4>", "\xBC"},
    {"<1/2>", "\xBD"},
    {"<3/4>", "\xBE"},
    {"<->", "\x97"},
    {"<3->", "\x97\x97\x97"},
    {"<5->", "\x97\x97\x97\x97\x97"},
    {"<10->", "\x97\x97\x97\x97\x97\x97\x97\x97\x97\x97"},
}};

std::string Marked(std::string text) {
  InsertSymbols(text);
  return text;
}

// Lists of items are 1-based like every per-position table.
std::vector<std::string> OneBased(std::vector<std::string> items) {
  items.insert(items.begin(), std::string());
  return items;
}

void PrepareChoice(Sitting& s, int i, const QuestionBlock& b, Random& random) {
  const int n = s.OptionCount[i];
  std::vector<int> order(static_cast<std::size_t>(n) + 1);
  std::iota(order.begin(), order.end(), 0);
  ShuffleOrder(order, random);
  for (int k = 1; k <= n; ++k) {
    const int option = order[static_cast<std::size_t>(k)];
    s.OptionOrder[i][k] = option;
    s.OptionSlot[i][option] = k;
    s.OptionText[i][k] = Marked(b[static_cast<std::size_t>(option) + 2]);
  }
  s.CorrectOption[i] = s.OptionSlot[i][1];
}

void PrepareOneWord(Sitting& s, int i, const QuestionBlock& b, const FormulaContext& context) {
  s.WordCount[i] = s.OptionCount[i];
  if (context.debug) context.debug->Add("wordQty(" + std::to_string(s.WordCount[i]) + ")");
  auto& words = s.OneWordAccept[i];
  words.assign(static_cast<std::size_t>(s.WordCount[i]) + 1, {});
  for (int k = 1; k <= s.WordCount[i]; ++k) {
    std::vector<std::string> spellings;
    for (const auto& item : SplitItems(LowerAscii(Trim(b[static_cast<std::size_t>(k) + 2])))) {
      spellings.push_back(LowerAscii(Trim(item)));
    }
    words[static_cast<std::size_t>(k)] = OneBased(std::move(spellings));
  }
}

void PrepareMatching(Sitting& s, int i, const QuestionBlock& b) {
  s.MatchPrompt[i] = OneBased(SplitItems(Trim(b[3])));
  s.MatchAnswer[i] = OneBased(SplitItems(UpperAscii(Trim(b[4]))));
  s.MatchCount[i] = static_cast<int>(s.MatchAnswer[i].size()) - 1;
}

Sitting EmptySitting(int n) {
  const auto size = static_cast<std::size_t>(n) + 1;
  Sitting s;
  s.QuestionOrder.resize(size);
  s.OrderPosition.resize(size);
  s.OptionCount.resize(size);
  s.QuestionText.resize(size);
  s.PictureName.resize(size);
  s.OptionOrder.resize(size);
  s.OptionSlot.resize(size);
  s.CorrectOption.resize(size);
  s.OptionText.resize(size);
  s.MatchPrompt.resize(size);
  s.MatchAnswer.resize(size);
  s.MatchCount.resize(size);
  s.WordCount.resize(size);
  s.OneWordAccept.resize(size);
  s.QuestionUnit.resize(size);
  s.Solution.resize(size);
  return s;
}

}  // namespace

void InsertSymbols(std::string& text) {
  for (const auto& [marker, symbol] : kMarkup) {
    for (std::size_t pos = 0; (pos = text.find(marker, pos)) != std::string::npos;
         pos += symbol.size()) {
      text.replace(pos, marker.size(), symbol);
    }
  }
}

void ShuffleOrder(std::vector<int>& order, Random& random) {
  random.Reseed();
  if (order.size() < 3) return;  // at most one entry: nothing to mix
  for (std::size_t i = order.size() - 1; i >= 2; --i) {
    const std::size_t j = 1 + random.Below(i);  // 1..i
    std::swap(order[i], order[j]);
  }
}

std::vector<int> QuestionOrderOf(const TestBank& bank, bool studyMode, Random& random) {
  std::vector<int> order(static_cast<std::size_t>(std::max(bank.header.QuestionsInFile, 0)) + 1);
  std::iota(order.begin(), order.end(), 0);
  if (!studyMode && !bank.HasContinuation) ShuffleOrder(order, random);
  return order;
}

Sitting Scrambler(const TestBank& bank, bool studyMode, const std::string& TestFolder,
                  Random& random, FormulaTables& formulas, FormulaContext& context) {
  const int n = bank.header.QuestionsInFile;
  Sitting s = EmptySitting(n);
  s.QuestionOrder = QuestionOrderOf(bank, studyMode, random);
  for (int i = 1; i <= n; ++i) s.OrderPosition[s.QuestionOrder[i]] = i;
  for (int i = 1; i <= n; ++i) s.OptionCount[i] = bank.QLineCount[s.QuestionOrder[i]];

  for (int i = 1; i <= n; ++i) {
    const QuestionBlock& b = bank.Questions[static_cast<std::size_t>(s.QuestionOrder[i])];
    context.currentQuestion = i;
    const std::string line1 = Marked(b[1]);
    s.QuestionText[i] = line1;
    switch (KindOf(line1)) {
      case QuestionKind::kNumeric: {
        s.QuestionUnit[i] = LowerAscii(b[4]);
        std::erase(s.QuestionUnit[i], ' ');
        const auto prepared = PrepareFormulaQuestion(i, line1, b[3], line1.starts_with("#(cont)"),
                                                     formulas, random, context);
        s.QuestionText[i] = prepared.questionText;
        s.Solution[i] = prepared.result.answer;
        break;
      }
      case QuestionKind::kOneWord:
        PrepareOneWord(s, i, b, context);
        break;
      case QuestionKind::kMatching:
        PrepareMatching(s, i, b);
        break;
      case QuestionKind::kMultiSelect:
        break;
      case QuestionKind::kMultipleChoice:
        PrepareChoice(s, i, b, random);
        break;
    }
    s.PictureName[i] = b[2].empty() ? std::string() : TestFolder + b[2];
  }
  return s;
}

}  // namespace examora
