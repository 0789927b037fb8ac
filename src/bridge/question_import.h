// Import of question banks kept in a learning platform: Moodle XML and GIFT files become a plain
// question bank that the authoring conversion takes as it stands. Every question the bank cannot
// hold faithfully is left out and named with the reason; nothing is dropped in silence.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace examora {

/// The largest question file taken (a bank of thousands of questions with pictures fits).
inline constexpr std::size_t kMaxImportBytes = std::size_t{32} << 20;

/// An answer as the file gives it. `fraction` is the credit in per cent.
struct ImportAnswer {
  std::string text;
  double fraction = 0;
  std::optional<double> tolerance;
  int toleranceType = 2;  // calculated answers: 1 relative, 2 nominal (absolute), 3 geometric
};

struct ImportUnit {
  std::string name;
  double multiplier = 1;
};

/// A variable of a calculated question: drawn between min and max with `decimals` places.
struct ImportDataset {
  std::string name;
  std::string distribution = "uniform";
  double min = 0, max = 0;
  int decimals = 0;
};

/// One question as read from the file, its text still UTF-8 and possibly HTML.
struct ImportedQuestion {
  std::string name;
  std::string type;  // the file's own word for the kind: multichoice, truefalse, essay, ...
  std::string text;
  bool html = true;
  bool single = true;  // multichoice: one right answer
  bool caseSensitive = false;
  std::vector<ImportAnswer> answers;
  std::vector<std::pair<std::string, std::string>> pairs;  // matching: prompt, answer
  std::vector<ImportUnit> units;
  std::vector<ImportDataset> datasets;
  std::string category;
};

/// Reads a Moodle XML quiz file with network access and entity substitution off; a file that
/// is not well-formed, declares a document type or is too large throws FormatError.
std::vector<ImportedQuestion> ReadMoodleXml(std::string_view bytes);

/// Reads a GIFT file (UTF-8, or Windows-1252 when it is not valid UTF-8); binary data throws
/// FormatError.
std::vector<ImportedQuestion> ReadGift(std::string_view bytes);

/// The header lines of the written bank; empty values take defaults the teacher is told to
/// check.
struct ImportOptions {
  std::string number;      // test number (five digits)
  std::string name;        // test name
  std::string sourceName;  // the imported file's name, for the description
};

struct LeftOut {
  std::string question;
  std::string reason;
};

struct ImportReport {
  /// Plain banks (Windows-1252, CR LF); more than one when the questions exceed one bank.
  std::vector<std::string> sources;
  int imported = 0;
  std::vector<LeftOut> leftOut;
  std::vector<std::string> warnings;  // per question, what the teacher should look at
  std::vector<std::string> defaults;  // header values taken by default

  /// The report as lines for the teacher (UTF-8 free: Windows-1252 like the rest).
  std::vector<std::string> Lines() const;
};

/// Converts the questions read into plain banks.
ImportReport ConvertQuestions(const std::vector<ImportedQuestion>& questions,
                              const ImportOptions& options);

/// True when the file is taken as GIFT (by its extension ".gift", else when it does not start
/// like XML).
bool LooksLikeGift(const std::filesystem::path& path, std::string_view bytes);

/// Reads and converts a question file; throws FileError or FormatError.
ImportReport ImportQuestionFile(const std::filesystem::path& path, ImportOptions options);

/// Where a bank imported from `input` goes by default: beside it, with ".txt" (or
/// "-imported.txt" when the input is itself a ".txt" file).
std::filesystem::path ImportDefaultOutput(const std::filesystem::path& input);

/// The report and the files written, for a message box: at most `maxLines` lines (the rest
/// counted), joined by CR LF.
std::string ImportSummary(const ImportReport& report,
                          const std::vector<std::filesystem::path>& written, std::size_t maxLines);

/// The files the banks go to: `output` for the first, "NAME-2.txt" and so on beside it.
std::vector<std::filesystem::path> ImportOutputPaths(const std::filesystem::path& output,
                                                     std::size_t count);

/// Writes the banks of a report; returns the paths written.
std::vector<std::filesystem::path> WriteImportedSources(const ImportReport& report,
                                                        const std::filesystem::path& output);

/// Plain text of a question file's text: tags dropped, entities decoded, line and paragraph
/// breaks kept as "\n", and the picture of the first image (its file name) in `picture`.
std::string HtmlToPlain(std::string_view html, std::vector<std::string>* pictures = nullptr);

}  // namespace examora
