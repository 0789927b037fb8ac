// GIFT question files: questions separated by blank lines, "//" comment lines, "$CATEGORY:"
// lines, an optional "::title::", an optional [format], and the answers in braces.
#include <algorithm>

#include "bridge/import_formula.h"
#include "bridge/question_import.h"
#include "common/error.h"
#include "common/text.h"

namespace examora {
namespace {

constexpr std::string_view kSpecial = "~=#{}:";

// The first `c` at or after `from` that no backslash escapes.
std::size_t FindUnescaped(std::string_view text, char c, std::size_t from = 0) {
  for (std::size_t i = from; i < text.size(); ++i) {
    if (text[i] == '\\') {
      ++i;
    } else if (text[i] == c) {
      return i;
    }
  }
  return std::string_view::npos;
}

std::string TrimAll(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return "";
  const std::size_t last = text.find_last_not_of(" \t\r\n");
  return std::string(text.substr(first, last - first + 1));
}

std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char next = text[++i];
      if (next == 'n') {
        out += '\n';
      } else {
        if (kSpecial.find(next) == std::string_view::npos && next != '\\') out += '\\';
        out += next;
      }
    } else {
      out += text[i];
    }
  }
  return TrimAll(out);
}

// The answers in the braces, each with its leading "=" or "~"; feedback after "#" dropped.
struct RawAnswer {
  bool right = false;
  std::string text;  // still escaped
};

std::vector<RawAnswer> SplitAnswers(std::string_view body) {
  std::vector<RawAnswer> answers;
  for (std::size_t i = 0; i < body.size(); ++i) {
    if (body[i] == '\\') {
      if (!answers.empty()) answers.back().text += body.substr(i, 2);
      ++i;
    } else if (body[i] == '=' || body[i] == '~') {
      answers.push_back({body[i] == '=', ""});
    } else if (!answers.empty()) {
      answers.back().text += body[i];
    }
  }
  for (auto& a : answers) {
    const std::size_t feedback = FindUnescaped(a.text, '#');
    if (feedback != std::string::npos) a.text.erase(feedback);
  }
  return answers;
}

// "%50%text": the weight in per cent and the text after it.
double Weight(std::string& text, double fallback) {
  const std::string trimmed = TrimAll(text);
  if (trimmed.size() < 2 || trimmed[0] != '%') return fallback;
  const std::size_t close = trimmed.find('%', 1);
  double weight = fallback;
  if (close == std::string::npos || !ReadNumber(trimmed.substr(1, close - 1), weight))
    return fallback;
  text = trimmed.substr(close + 1);
  return weight;
}

void Numerical(std::string_view body, ImportedQuestion& q) {
  q.type = "numerical";
  std::string rest(body.substr(1));
  std::vector<RawAnswer> answers = SplitAnswers(rest);
  if (answers.empty()) answers.push_back({true, rest.substr(0, FindUnescaped(rest, '#'))});
  for (auto& raw : answers) {
    const double weight = Weight(raw.text, raw.right || answers.size() == 1 ? 100 : 0);
    const std::string text = Unescape(raw.text);
    ImportAnswer a{text, weight, 0.0, 2};
    const std::size_t range = text.find("..");
    const std::size_t colon = text.find(':');
    double low = 0, high = 0;
    if (range != std::string::npos && ReadNumber(text.substr(0, range), low) &&
        ReadNumber(text.substr(range + 2), high)) {
      a.text = FormulaNumber((low + high) / 2);
      a.tolerance = (high - low) / 2;
    } else if (colon != std::string::npos) {
      a.text = text.substr(0, colon);
      a.tolerance = ReadNumber(text.substr(colon + 1), high) ? high : 0;
    }
    q.answers.push_back(a);
  }
}

void Choices(std::string_view body, ImportedQuestion& q) {
  std::vector<RawAnswer> answers = SplitAnswers(body);
  const bool matching =
      !answers.empty() && std::all_of(answers.begin(), answers.end(), [](const RawAnswer& a) {
        return a.right && a.text.find("->") != std::string::npos;
      });
  if (matching) {
    q.type = "matching";
    for (const auto& a : answers) {
      const std::size_t arrow = a.text.find("->");
      q.pairs.emplace_back(Unescape(a.text.substr(0, arrow)), Unescape(a.text.substr(arrow + 2)));
    }
    return;
  }
  const bool anyWrong =
      std::any_of(answers.begin(), answers.end(), [](const RawAnswer& a) { return !a.right; });
  q.type = anyWrong ? "multichoice" : "shortanswer";
  int credited = 0;
  for (auto& raw : answers) {
    const double weight = Weight(raw.text, raw.right ? 100 : 0);
    credited += weight > 0 ? 1 : 0;
    q.answers.push_back({Unescape(raw.text), weight, std::nullopt, 2});
  }
  // Several answers that earn a share of the marks: tick every right one.
  const bool allFull = std::all_of(q.answers.begin(), q.answers.end(), [](const ImportAnswer& a) {
    return a.fraction <= 0 || a.fraction >= 99.999;
  });
  q.single = !(anyWrong && credited > 1 && !allFull);
}

void Answers(std::string_view body, ImportedQuestion& q) {
  const std::string trimmed = TrimAll(body);
  std::string word = trimmed.substr(0, trimmed.find('#'));
  word = TrimAll(word);
  if (trimmed.empty()) {
    q.type = "essay";
  } else if (trimmed[0] == '#') {
    Numerical(trimmed, q);
  } else if (word == "T" || word == "TRUE" || word == "F" || word == "FALSE") {
    q.type = "truefalse";
    const bool isTrue = word[0] == 'T';
    q.answers = {{"true", isTrue ? 100.0 : 0.0, std::nullopt, 2},
                 {"false", isTrue ? 0.0 : 100.0, std::nullopt, 2}};
  } else {
    Choices(trimmed, q);
  }
}

ImportedQuestion QuestionOf(std::string_view chunk, const std::string& category) {
  ImportedQuestion q;
  q.category = category;
  std::string_view text = chunk;
  if (text.substr(0, 2) == "::") {
    const std::size_t close = text.find("::", 2);
    if (close != std::string_view::npos) {
      q.name = Unescape(text.substr(2, close - 2));
      text.remove_prefix(close + 2);
    }
  }
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\n')) {
    text.remove_prefix(1);
  }
  if (text.substr(0, 1) == "[") {
    const std::size_t close = text.find(']');
    const std::string_view format =
        close == std::string_view::npos ? "" : text.substr(1, close - 1);
    if (format == "html" || format == "moodle" || format == "plain" || format == "markdown") {
      q.html = format == "html" || format == "moodle";
      text.remove_prefix(close + 1);
    }
  }
  const std::size_t open = FindUnescaped(text, '{');
  const std::size_t close = open == std::string_view::npos ? open : FindUnescaped(text, '}', open);
  if (open == std::string_view::npos || close == std::string_view::npos) {
    q.type = "description";
    q.text = Unescape(text);
    return q;
  }
  const std::string after = TrimAll(text.substr(close + 1));
  // Answers in the middle of a sentence leave a gap to fill.
  q.text = Unescape(std::string(text.substr(0, open)) + (after.empty() ? "" : " _____ " + after));
  Answers(text.substr(open + 1, close - open - 1), q);
  return q;
}

std::string AsUtf8(std::string_view bytes) {
  if (bytes.find('\0') != std::string_view::npos) {
    throw FormatError("holds binary data, not GIFT text");
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return IsValidUtf8(bytes) ? std::string(bytes) : Cp1252ToUtf8(bytes);
}

}  // namespace

std::vector<ImportedQuestion> ReadGift(std::string_view bytes) {
  if (bytes.size() > kMaxImportBytes) throw FormatError("is too large for a question file");
  const std::string text = AsUtf8(bytes);
  std::vector<ImportedQuestion> questions;
  std::string category, chunk;
  const auto flush = [&] {
    if (!TrimAll(chunk).empty()) questions.push_back(QuestionOf(TrimAll(chunk), category));
    chunk.clear();
  };
  for (const auto& line : SplitLines(text)) {
    const std::string trimmed = TrimAll(line);
    if (trimmed.rfind("//", 0) == 0) continue;
    if (trimmed.rfind("$CATEGORY:", 0) == 0) {
      flush();
      category = TrimAll(trimmed.substr(10));
    } else if (trimmed.empty()) {
      flush();
    } else {
      chunk += line + "\n";
    }
  }
  flush();
  return questions;
}

}  // namespace examora
