// Each kind of imported question becomes one block of the plain bank, or is refused with the
// reason. Blocks are built in UTF-8 and converted to Windows-1252 when the bank is written.
#include "bridge/question_convert.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

#include "bridge/import_formula.h"
#include "bridge/import_text.h"
#include "common/text.h"
#include "engine/units.h"

namespace examora {
namespace {

constexpr int kMaxOptions = 6;    // a block of 8 lines: question, picture and six options
constexpr int kMaxLettered = 26;  // options named "A" to "Z" in a question's text

bool FullCredit(const ImportAnswer& a) {
  return a.fraction >= 99.999;
}

std::string Letter(std::size_t i) {
  return std::string(1, static_cast<char>('A' + i));
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// One line of an option, spelling or item: line breaks become blanks, and a picture cannot be
// shown there.
std::string ItemText(const ImportedQuestion& q, const std::string& raw, const char* what) {
  std::vector<std::string> pictures;
  std::string text = q.html ? HtmlToPlain(raw, &pictures) : PlainTextLines(raw);
  if (!pictures.empty()) throw Refusal{std::string("a picture in ") + what + " cannot be shown"};
  return ReplaceAll(text, "\n", " ");
}

// The question line's text (line breaks as "<LF>") and the picture line.
void StemAndPicture(const ImportedQuestion& q, ConvertedBlock& block, std::string& stem) {
  std::vector<std::string> pictures;
  const std::string text = q.html ? HtmlToPlain(q.text, &pictures) : PlainTextLines(q.text);
  if (text.empty() && pictures.empty()) throw Refusal{"the question has no text"};
  stem = ReplaceAll(text, "\n", "<LF>");
  block.lines = {"", pictures.empty() ? "" : pictures.front()};
  if (!pictures.empty() && pictures.front().empty()) {
    throw Refusal{"its picture has no file name"};
  }
  if (pictures.size() > 1) {
    block.notes.push_back("only its first picture, " + pictures.front() + ", is shown");
  }
  if (!pictures.empty()) {
    block.notes.push_back("copy the picture " + pictures.front() + " into the test's folder");
  }
}

// A multiple-choice stem may not start with a character that marks another kind.
std::string ChoiceStem(const std::string& stem) {
  return !stem.empty() && std::string_view("#@%$").find(stem[0]) != std::string_view::npos
             ? "Question: " + stem
             : stem;
}

ConvertedBlock SingleChoice(const ImportedQuestion& q) {
  ConvertedBlock block;
  std::string stem;
  StemAndPicture(q, block, stem);
  const auto right = std::count_if(q.answers.begin(), q.answers.end(), FullCredit);
  if (right == 0) throw Refusal{"no option earns full marks"};
  if (right > 1) throw Refusal{"more than one option earns full marks"};
  if (q.answers.size() < 2) throw Refusal{"it has fewer than 2 options"};
  if (q.answers.size() > kMaxOptions) {
    throw Refusal{std::to_string(q.answers.size()) + " options, more than the " +
                  std::to_string(kMaxOptions) + " a question may have"};
  }
  block.lines[0] = ChoiceStem(stem);
  std::vector<std::string> others;
  for (const auto& a : q.answers) {
    const std::string text = ItemText(q, a.text, "an option");
    if (text.empty()) throw Refusal{"an option is empty"};
    if (FullCredit(a)) {
      block.lines.insert(block.lines.begin() + 2, text);
    } else {
      others.push_back(text);
      if (a.fraction > 0) block.notes.push_back("partial marks for \"" + text + "\" are not given");
    }
  }
  block.lines.insert(block.lines.end(), others.begin(), others.end());
  const std::set<std::string> distinct(block.lines.begin() + 2, block.lines.end());
  if (distinct.size() + 2 != block.lines.size()) throw Refusal{"two options read the same"};
  return block;
}

ConvertedBlock MultiSelect(const ImportedQuestion& q) {
  ConvertedBlock block;
  std::string stem;
  StemAndPicture(q, block, stem);
  if (q.answers.empty()) throw Refusal{"it has no options"};
  if (q.answers.size() > kMaxLettered) {
    throw Refusal{std::to_string(q.answers.size()) + " options, more than the " +
                  std::to_string(kMaxLettered) + " labels A to Z"};
  }
  // Marking compares the ticks only as far as the expected labels reach, so a wrong option
  // lettered after the last right one could be ticked freely: the wrong options come first.
  std::vector<const ImportAnswer*> ordered;
  for (const auto& a : q.answers)
    if (a.fraction <= 0) ordered.push_back(&a);
  for (const auto& a : q.answers)
    if (a.fraction > 0) ordered.push_back(&a);
  std::string right;
  for (std::size_t i = 0; i < ordered.size(); ++i) {
    stem += "<LF>" + Letter(i) + ": " + ItemText(q, ordered[i]->text, "an option");
    if (ordered[i]->fraction > 0) right += (right.empty() ? "" : ",") + Letter(i);
  }
  if (right.empty()) throw Refusal{"no option earns marks"};
  block.lines[0] = "@" + stem;
  block.lines.push_back(right);
  block.lines.push_back(std::to_string(q.answers.size()));
  block.notes.push_back("marked all or nothing: every right label and no other");
  return block;
}

ConvertedBlock TrueFalse(const ImportedQuestion& q) {
  ConvertedBlock block;
  std::string stem;
  StemAndPicture(q, block, stem);
  const auto right = std::find_if(q.answers.begin(), q.answers.end(), FullCredit);
  if (right == q.answers.end()) throw Refusal{"neither true nor false earns full marks"};
  const std::string word = LowerAscii(Trim(ItemText(q, right->text, "an answer")));
  if (word != "true" && word != "false")
    throw Refusal{"its right answer is neither true nor false"};
  block.lines[0] = ChoiceStem(stem);
  block.lines.push_back(word == "true" ? "True" : "False");
  block.lines.push_back(word == "true" ? "False" : "True");
  return block;
}

// An accepted spelling as marking compares it: a typed word loses its ",", "." and "-", so the
// spelling loses them too.
std::string Spelling(const ImportedQuestion& q, const ImportAnswer& a) {
  std::string text = ItemText(q, a.text, "an answer");
  if (text.find('*') != std::string::npos) throw Refusal{"an answer uses the wildcard \"*\""};
  text.erase(std::remove_if(text.begin(), text.end(),
                            [](char c) { return c == ',' || c == '.' || c == '-'; }),
             text.end());
  text = Trim(text);
  if (text.empty()) throw Refusal{"an accepted answer is empty once \",\", \".\" and \"-\" go"};
  return text;
}

ConvertedBlock ShortAnswer(const ImportedQuestion& q) {
  ConvertedBlock block;
  std::string stem;
  StemAndPicture(q, block, stem);
  std::vector<std::string> spellings;
  for (const auto& a : q.answers) {
    if (!FullCredit(a)) {
      block.notes.push_back("the answer \"" + ItemText(q, a.text, "an answer") +
                            "\" earned partial marks and is not accepted");
      continue;
    }
    // Marking folds case, so spellings that differ only in case are one.
    const std::string s = Spelling(q, a);
    const bool known = std::any_of(spellings.begin(), spellings.end(), [&](const std::string& k) {
      return LowerAscii(k) == LowerAscii(s);
    });
    if (!known) spellings.push_back(s);
  }
  if (spellings.empty()) throw Refusal{"no answer earns full marks"};
  if (spellings.size() > 20) {
    throw Refusal{std::to_string(spellings.size()) +
                  " accepted answers, more than the 20 a word may have"};
  }
  if (q.caseSensitive) block.notes.push_back("letter case is no longer checked");
  std::string line;
  for (const auto& s : spellings) line += (line.empty() ? "" : ", ") + s;
  block.lines[0] = "%" + stem;
  block.lines.push_back(line);
  return block;
}

ConvertedBlock Matching(const ImportedQuestion& q) {
  ConvertedBlock block;
  std::string stem;
  StemAndPicture(q, block, stem);
  std::vector<std::string> choices, prompts, letters;
  for (const auto& [rawPrompt, rawAnswer] : q.pairs) {
    const std::string answer = ItemText(q, rawAnswer, "an answer");
    auto at = std::find(choices.begin(), choices.end(), answer);
    if (at == choices.end()) at = choices.insert(choices.end(), answer);
    const std::string prompt = ItemText(q, rawPrompt, "an item");
    if (prompt.empty()) continue;  // an answer offered only to mislead
    if (prompt.find(',') != std::string::npos)
      throw Refusal{"the item \"" + prompt + "\" holds a comma"};
    prompts.push_back(prompt);
    letters.push_back(Letter(static_cast<std::size_t>(at - choices.begin())));
  }
  if (prompts.empty()) throw Refusal{"it has no items to match"};
  if (prompts.size() > 12) {
    throw Refusal{std::to_string(prompts.size()) + " items, more than the 12 a question may match"};
  }
  if (choices.size() > kMaxLettered) throw Refusal{"more than 26 answers to choose from"};
  for (std::size_t i = 0; i < choices.size(); ++i) stem += "<LF>" + Letter(i) + ": " + choices[i];
  block.lines[0] = "$" + stem;
  std::string promptLine, letterLine;
  for (std::size_t i = 0; i < prompts.size(); ++i) {
    promptLine += (i ? "," : "") + prompts[i];
    letterLine += (i ? "," : "") + letters[i];
  }
  block.lines.push_back(promptLine);
  block.lines.push_back(letterLine);
  block.notes.push_back("students type the letter of each answer");
  return block;
}

std::string NormalisedUnit(std::string text) {
  text = ReplaceAll(ReplaceAll(ReplaceAll(text, "\xC2\xB2", "2"), "\xC2\xB3", "3"), "\xC2\xB7", "");
  text = ReplaceAll(ReplaceAll(ReplaceAll(text, "\xE2\x8B\x85", ""), "\xCE\xA9", "ohm"),
                    "\xE2\x84\xA6", "ohm");
  std::string out;
  for (char c : LowerAscii(text)) {
    if (c != ' ' && c != '.' && c != '^' && c != '*') out += c;
  }
  return out == "ohm" || out == "ohms" ? "r" : out;
}

// The units key of the unit of multiplier 1, "nounits" without units; refused when the
// catalogue has no such unit.
std::string UnitKey(const ImportedQuestion& q, ConvertedBlock& block) {
  const auto base = std::find_if(q.units.begin(), q.units.end(), [](const ImportUnit& u) {
    return std::fabs(u.multiplier - 1) < 1e-12;
  });
  if (base == q.units.end()) {
    if (!q.units.empty()) throw Refusal{"none of its units has the multiplier 1"};
    return "nounits";
  }
  if (q.units.size() > 1) block.notes.push_back("only the unit " + base->name + " is taken");
  static const UnitCatalogue catalogue = [] {
    UnitCatalogue c;
    LoadUnits(c);
    return c;
  }();
  const std::string wanted = NormalisedUnit(base->name);
  for (int u = 1; u <= catalogue.UnitCount; ++u) {
    const UnitRow& row = catalogue.UnitTable[static_cast<std::size_t>(u)];
    if (wanted == row.key || wanted == NormalisedUnit(Cp1252ToUtf8(row.symbol)) ||
        wanted == LowerAscii(row.longName)) {
      return row.key;
    }
  }
  throw Refusal{"the unit \"" + base->name + "\" is not in the units catalogue"};
}

// `value` 0 stands for an answer not known in advance (a calculated one).
void ToleranceNote(ConvertedBlock& block, double value, double tolerance, int type) {
  const double relative = type == 1 ? tolerance : value == 0 ? -1 : tolerance / std::fabs(value);
  if (std::fabs(relative - 0.01) < 1e-9) return;
  const std::string kind = type == 1 ? " (relative)" : type == 3 ? " (geometric)" : "";
  block.notes.push_back("tolerance " + FormulaNumber(tolerance) + kind +
                        " in the file; marking accepts 1 %");
}

// The stem of a numeric question and its right answer, shared by numerical and calculated ones.
std::vector<ImportAnswer>::const_iterator NumericStem(const ImportedQuestion& q,
                                                      ConvertedBlock& block, std::string& stem) {
  StemAndPicture(q, block, stem);
  if (stem.find('#') != std::string::npos)
    throw Refusal{"its text holds \"#\", which would start a variable"};
  const auto right = std::find_if(q.answers.begin(), q.answers.end(), FullCredit);
  if (right == q.answers.end()) throw Refusal{"no answer earns full marks"};
  return right;
}

ConvertedBlock Numerical(const ImportedQuestion& q) {
  ConvertedBlock block;
  std::string stem;
  const auto right = NumericStem(q, block, stem);
  double value = 0;
  if (Trim(right->text) == "*") throw Refusal{"it accepts any number"};
  if (!ReadNumber(right->text, value))
    throw Refusal{"its answer \"" + right->text + "\" is not a number"};
  for (const auto& a : q.answers) {
    double other = 0;
    if (&a == &*right) continue;
    if (FullCredit(a) && (!ReadNumber(a.text, other) || other != value)) {
      throw Refusal{"it has more than one right answer"};
    }
    if (!FullCredit(a) && a.fraction > 0)
      block.notes.push_back("partial marks for " + a.text + " are not given");
  }
  block.lines[0] = "#" + stem;
  block.lines.push_back(FormulaNumber(value));
  block.lines.push_back(UnitKey(q, block));
  ToleranceNote(block, value, right->tolerance.value_or(0), 2);
  return block;
}

int Figures(const ImportDataset& d) {
  const double biggest = std::max(std::fabs(d.min), std::fabs(d.max));
  const int whole = biggest < 1 ? 1 : static_cast<int>(std::floor(std::log10(biggest))) + 1;
  return std::clamp(whole + d.decimals, 1, 15);
}

ConvertedBlock Calculated(const ImportedQuestion& q) {
  ConvertedBlock block;
  std::string stem;
  const auto right = NumericStem(q, block, stem);
  // "{=...}" is worked out when the question is shown; the bank can only show drawn values.
  if (stem.find("{=") != std::string::npos)
    throw Refusal{"its text works out an expression in {=...}, which cannot be shown"};
  std::map<std::string, char> letters;
  std::map<char, double> middles;
  for (std::size_t at = 0; (at = stem.find('{', at)) != std::string::npos;) {
    const std::size_t close = stem.find('}', at);
    if (close == std::string::npos) break;
    const std::string name = stem.substr(at + 1, close - at - 1);
    const auto d = std::find_if(q.datasets.begin(), q.datasets.end(),
                                [&](const ImportDataset& x) { return x.name == name; });
    if (d == q.datasets.end()) {
      at = close + 1;  // braces that are no variable stay as text
      continue;
    }
    if (letters.count(name)) throw Refusal{"{" + name + "} is shown more than once"};
    if (d->distribution != "uniform") throw Refusal{"{" + name + "} is drawn " + d->distribution};
    if (letters.size() == 26) throw Refusal{"more than 26 variables"};
    const char letter = static_cast<char>('a' + letters.size());
    // Variables after o are not bracketed when negative, so "-" before them would misread.
    if (letter > 'o' && d->min < 0)
      throw Refusal{"{" + name + "} may be negative but comes after the 15th variable"};
    letters[name] = letter;
    middles[letter] = (d->min + d->max) / 2;
    const std::string definition = "#(" + FormulaNumber(d->min) + "," + FormulaNumber(d->max) +
                                   "," + std::to_string(Figures(*d)) + ")";
    stem.replace(at, close - at + 1, definition);
    at += definition.size();
  }
  std::string formula;
  try {
    formula = TranslateFormula(right->text, letters);
  } catch (const FormulaRefusal& r) {
    throw Refusal{r.reason};
  }
  if (const std::string problem = FormulaProblem(formula, middles); !problem.empty()) {
    throw Refusal{"the evaluator refuses its formula: " + problem};
  }
  block.lines[0] = "#" + stem;
  block.lines.push_back(formula);
  block.lines.push_back(UnitKey(q, block));
  ToleranceNote(block, 0, right->tolerance.value_or(0), right->toleranceType);
  block.notes.push_back("values are drawn to significant figures, not decimal places");
  return block;
}

}  // namespace

ConvertedBlock ConvertQuestion(const ImportedQuestion& q) {
  if (q.type == "multichoice") return q.single ? SingleChoice(q) : MultiSelect(q);
  if (q.type == "truefalse") return TrueFalse(q);
  if (q.type == "shortanswer") return ShortAnswer(q);
  if (q.type == "matching") return Matching(q);
  if (q.type == "numerical") return Numerical(q);
  if (q.type == "calculated" || q.type == "calculatedsimple") return Calculated(q);
  if (q.type == "essay") throw Refusal{"an essay cannot be marked automatically"};
  if (q.type == "description") throw Refusal{"a description is no question"};
  if (q.type == "multianswer" || q.type == "cloze")
    throw Refusal{"embedded answers (cloze) have no counterpart"};
  throw Refusal{"the kind \"" + q.type + "\" has no counterpart"};
}

}  // namespace examora
