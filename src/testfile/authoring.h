// The authoring conversion: a teacher's plain question bank becomes the enciphered test file.
// Clean-up (nothing after the end marker), parsing of the header lines and question blocks,
// the duration check, and the writing of the file.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "crypto/enciphered_text.h"
#include "testfile/testfile.h"

namespace examora {

inline constexpr std::string_view kEndOfFileMarker = "*** END OF FILE ***";
inline constexpr int kMaxSourceLines = 5000;

/// The source's lines up to and including its last end marker, and what followed it.
struct CleanedSource {
  std::vector<std::string> lines;
  int extraLines = 0;         // lines after the marker
  bool extraAllBlank = true;  // they hold nothing but blanks (safe to drop from the file)
  /// "N extra blank lines removed from txt file." when lines followed the marker.
  std::string Notice() const;
};

/// Finds the end marker (a line whose first 19 characters, trimmed, are the marker); throws
/// FormatError when there is none or the source is longer than 5000 lines.
CleanedSource CleanUpSource(const std::vector<std::string>& lines);

/// The clean-up's rewrite: the source keeps its own bytes up to and including the end marker
/// and loses what followed. When any of that was not blank it is first kept whole, as the
/// source's name with ".bak" (or ".bak2", ...) added, so nothing is lost. Returns the message to
/// show ("" when nothing followed the marker); throws FileError when the source cannot be
/// rewritten (the source is then as it was).
std::string DropLinesAfterEnd(const std::filesystem::path& source, const CleanedSource& cleaned);

/// Parses a cleaned source into a bank: header lines 1 to 7, then blocks each introduced by a
/// line starting "----------". Questions to ask default to the whole bank and one minute per
/// question. Throws FormatError naming the line or question for a block of fewer than 2 or more
/// than 8 lines, or more than 500 questions.
TestBank ParseSource(const std::vector<std::string>& lines);

/// The duration check: "Too many questions!", "<minutes> minutes", "Not enough time!" or
/// "Not enough questions!"; `ok` is false for the three warnings (shown in red).
struct ComputeResult {
  std::string message;
  bool ok = false;
};
ComputeResult Compute(TestBank& bank, double questionsToAsk, double minutesPerQuestion);

/// Writes the enciphered test (header values then every block, one enciphered line each).
void Encryptit(const TestBank& bank, const std::filesystem::path& output,
               const LineCipher& cipher = FixedKeyCipher());

/// The default output name: the source with ".eqb" for its extension.
std::filesystem::path EncryptedName(const std::filesystem::path& source);

/// Why the enciphered test may not be written to `output`, or "" when it may: the output would
/// replace the teacher's plain source (the same name, or the same file through a link), as a
/// source already named "*.eqb" would by default.
std::string OutputOverwritesSource(const std::filesystem::path& source,
                                   const std::filesystem::path& output);

}  // namespace examora
