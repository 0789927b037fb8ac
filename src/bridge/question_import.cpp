// The plain banks of an import: header lines, one block per question that converts, parts of
// at most 500 questions and 5000 lines, and the report of what was left out and why.
#include "bridge/question_import.h"

#include <algorithm>
#include <set>

#include "bridge/import_text.h"
#include "bridge/question_convert.h"
#include "common/error.h"
#include "common/text.h"
#include "platform/files.h"
#include "testfile/authoring.h"
#include "testfile/testfile.h"

namespace examora {
namespace {

constexpr std::string_view kSeparator = "----------";
constexpr int kHeaderLineCount = 7;
constexpr std::string_view kDefaultNumber = "99999";

struct Block {
  std::string label;               // how the report names the question
  std::vector<std::string> lines;  // Windows-1252
  std::string category;
};

// The categories of a bank's questions, each once, in the order they first come.
std::vector<std::string> CategoriesOf(const std::vector<Block>& blocks, std::size_t from,
                                      std::size_t to) {
  std::vector<std::string> categories;
  std::set<std::string> seen;
  for (std::size_t i = from; i < to; ++i) {
    const std::string& c = blocks[i].category;
    if (!c.empty() && seen.insert(c).second) categories.push_back(c);
  }
  return categories;
}

std::string Label(const ImportedQuestion& q, std::size_t index) {
  std::string name = Trim(q.name.empty() ? HtmlToPlain(q.text) : q.name);
  if (name.size() > 60) name = name.substr(0, 57) + "...";
  return "question " + std::to_string(index + 1) + " \"" + name + "\"";
}

// A line that the bank would read as a separator or as its end.
bool BreaksBank(const std::string& line) {
  return line.rfind(kSeparator, 0) == 0 ||
         Trim(std::string_view(line).substr(0, kEndOfFileMarker.size())) == kEndOfFileMarker;
}

// The block in Windows-1252, with what could not be converted added to the notes.
std::vector<std::string> Cp1252Lines(ConvertedBlock& block) {
  std::vector<std::string> unconvertible, lines;
  for (const auto& line : block.lines) {
    lines.push_back(Trim(ToCp1252Named(line, unconvertible)));
    if (BreaksBank(lines.back())) {
      throw Refusal{"a line of it would read as a question separator or the end of the bank"};
    }
  }
  if (lines[0].empty()) throw Refusal{"the question has no text"};
  for (const auto& c : unconvertible) {
    block.notes.push_back("the character " + c + " has no place in Windows-1252 and became \"?\"");
  }
  return lines;
}

std::string Joined(const std::vector<std::string>& items, const std::string& separator) {
  std::string text;
  for (const auto& item : items) text += (text.empty() ? "" : separator) + item;
  return text;
}

std::string Header(const ImportOptions& options, std::size_t part, std::size_t parts,
                   std::size_t questions, const std::vector<std::string>& categories) {
  std::string number = options.number.empty() ? std::string(kDefaultNumber) : options.number;
  std::string name = options.name.empty() ? "Imported" : options.name;
  if (parts > 1) {
    if (number.size() == 5 && std::all_of(number.begin(), number.end(), ::isdigit)) {
      // Test numbers have five digits: past 99999 the parts count down instead.
      const long base = std::stol(number), step = static_cast<long>(part);
      number = std::to_string(base + step <= 99999 ? base + step : base - step);
      number = std::string(5 - std::min<std::size_t>(5, number.size()), '0') + number;
    }
    name += " part " + std::to_string(part + 1);
  }
  std::vector<std::string> unconvertible;
  const std::string lines[kHeaderLineCount] = {
      number,
      name,
      "Title: " + name,
      "Compulsory: False",
      "PassMark: 50",
      "Imported from " + options.sourceName + ": " + std::to_string(questions) + " questions.",
      // Text after "mpq" is kept from students: the categories are the teacher's own notes.
      "Imported questions; check the header lines. mpq Categories: " +
          (categories.empty() ? std::string("none") : Joined(categories, "; ")),
  };
  std::string text;
  for (const auto& line : lines) text += Trim(ToCp1252Named(line, unconvertible)) + "\r\n";
  return text;
}

std::vector<std::string> Sources(const std::vector<Block>& blocks, const ImportOptions& options) {
  // Parts filled greedily within both limits of one bank.
  std::vector<std::pair<std::size_t, std::size_t>> ranges;
  std::size_t start = 0, lines = kHeaderLineCount + 1;
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const std::size_t blockLines = blocks[i].lines.size() + 1;
    if (i > start && (i - start == kMaxQuestionsInFile ||
                      lines + blockLines > static_cast<std::size_t>(kMaxSourceLines))) {
      ranges.emplace_back(start, i);
      start = i;
      lines = kHeaderLineCount + 1;
    }
    lines += blockLines;
  }
  if (start < blocks.size()) ranges.emplace_back(start, blocks.size());
  std::vector<std::string> sources;
  for (std::size_t p = 0; p < ranges.size(); ++p) {
    const auto [from, to] = ranges[p];
    std::string text = Header(options, p, ranges.size(), to - from, CategoriesOf(blocks, from, to));
    for (std::size_t i = from; i < to; ++i) {
      text.append(kSeparator).append("\r\n");
      for (const auto& line : blocks[i].lines) text.append(line).append("\r\n");
    }
    text.append(kEndOfFileMarker).append("\r\n");
    sources.push_back(std::move(text));
  }
  return sources;
}

}  // namespace

ImportReport ConvertQuestions(const std::vector<ImportedQuestion>& questions,
                              const ImportOptions& options) {
  ImportReport report;
  std::vector<Block> blocks;
  for (std::size_t i = 0; i < questions.size(); ++i) {
    const ImportedQuestion& q = questions[i];
    const std::string label = Label(q, i);
    try {
      ConvertedBlock block = ConvertQuestion(q);
      blocks.push_back({label, Cp1252Lines(block), q.category});
      for (const auto& note : block.notes) report.warnings.push_back(label + ": " + note);
    } catch (const Refusal& r) {
      report.leftOut.push_back({label, r.reason});
    }
  }
  report.imported = static_cast<int>(blocks.size());
  report.sources = Sources(blocks, options);
  if (options.number.empty())
    report.defaults.push_back("test number " + std::string(kDefaultNumber));
  if (options.name.empty()) report.defaults.push_back("test name \"Imported\"");
  report.defaults.push_back("title, not compulsory, pass mark 50");
  return report;
}

std::vector<std::string> ImportReport::Lines() const {
  std::vector<std::string> lines;
  std::vector<std::string> unconvertible;
  lines.push_back(std::to_string(imported) + " questions imported, " +
                  std::to_string(leftOut.size()) + " left out" +
                  (sources.size() > 1 ? ", in " + std::to_string(sources.size()) + " banks" : ""));
  for (const auto& l : leftOut) lines.push_back("left out: " + l.question + ": " + l.reason);
  for (const auto& w : warnings) lines.push_back("check: " + w);
  lines.push_back("check the header lines; taken by default: " + Joined(defaults, ", "));
  for (auto& line : lines) line = ToCp1252Named(line, unconvertible);
  return lines;
}

bool LooksLikeGift(const std::filesystem::path& path, std::string_view bytes) {
  std::string extension = LowerAscii(path.extension().string());
  if (extension == ".gift") return true;
  if (extension == ".xml") return false;
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  const std::size_t first = bytes.find_first_not_of(" \t\r\n");
  return first == std::string_view::npos || bytes[first] != '<';
}

ImportReport ImportQuestionFile(const std::filesystem::path& path, ImportOptions options) {
  const std::string bytes = ReadFileBytes(path, kMaxImportBytes);
  if (options.sourceName.empty()) options.sourceName = path.filename().string();
  const bool gift = LooksLikeGift(path, bytes);
  try {
    return ConvertQuestions(gift ? ReadGift(bytes) : ReadMoodleXml(bytes), options);
  } catch (const FormatError& e) {
    throw FormatError("\"" + path.string() + "\" " + e.what());
  }
}

std::filesystem::path ImportDefaultOutput(const std::filesystem::path& input) {
  std::filesystem::path output = input;
  output.replace_extension(".txt");
  // Written over the file it came from, the bank would lose the original.
  if (output == input) output.replace_filename(input.stem().string() + "-imported.txt");
  return output;
}

std::string ImportSummary(const ImportReport& report,
                          const std::vector<std::filesystem::path>& written, std::size_t maxLines) {
  std::vector<std::string> lines = report.Lines();
  for (const auto& path : written) lines.push_back("written: " + path.string());
  if (lines.size() > maxLines) {
    const std::size_t more = lines.size() - maxLines + 1;
    lines.resize(maxLines - 1);
    lines.push_back("... and " + std::to_string(more) +
                    " more lines (examora-cli import lists them all)");
  }
  return Joined(lines, "\r\n");
}

std::vector<std::filesystem::path> ImportOutputPaths(const std::filesystem::path& output,
                                                     std::size_t count) {
  std::vector<std::filesystem::path> paths;
  for (std::size_t i = 0; i < count; ++i) {
    std::filesystem::path p = output;
    if (i > 0) p.replace_filename(output.stem().string() + "-" + std::to_string(i + 1) + ".txt");
    paths.push_back(p);
  }
  return paths;
}

std::vector<std::filesystem::path> WriteImportedSources(const ImportReport& report,
                                                        const std::filesystem::path& output) {
  if (report.sources.empty() || report.imported == 0) {
    throw FormatError("no question could be imported, so nothing was written");
  }
  const auto paths = ImportOutputPaths(output, report.sources.size());
  for (std::size_t i = 0; i < paths.size(); ++i) WriteFileAtomically(paths[i], report.sources[i]);
  return paths;
}

}  // namespace examora
