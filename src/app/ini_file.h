// A small reader for the INI files that hold deployment settings ("key = value" lines under
// optional "[section]" headers). The program and examora-cli both read through it, so they can
// never disagree on what a file says.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace examora {

/// One "key = value" line. A key under a section is named "section/key"; keys before any
/// section or under "[General]" keep their bare name.
struct IniEntry {
  std::string key;
  std::string value;
  int line = 0;
};

/// A problem found in a file, with where it was found.
struct IniProblem {
  std::string file;
  int line = 0;  // 0: the file as a whole
  std::string message;

  /// "FILE:LINE: MESSAGE" (or "FILE: MESSAGE" for the file as a whole).
  std::string Text() const;
};

struct IniFile {
  std::string path;
  std::vector<IniEntry> entries;
  std::vector<IniProblem> problems;  // the first kMostProblemsKept, in line order
  int problemsLeftOut = 0;           // those found after them
};

/// The most problems of one file that are kept and shown: a file of nothing but bad lines must
/// not flood the screen; the rest are counted.
inline constexpr std::size_t kMostProblemsKept = 10;

/// A piece of a line quoted in a message: in double quotes, cut after 80 characters ("..."),
/// control characters, NUL and DEL written as \xNN so the message stays one readable line.
std::string QuotedInMessage(std::string_view text);

/// The problems to show for `file`: each kept one as IniProblem::Text(), then, when some were
/// left out, "FILE: N more problems not shown".
std::vector<std::string> ProblemLines(const std::string& path,
                                      const std::vector<IniProblem>& problems, int leftOut);

/// Parses INI text. Blank lines and lines starting with ";" or "#" are skipped; a value is
/// taken as written, trimmed, without one pair of enclosing double quotes. A line that is
/// neither a section, an entry nor a comment is a problem (quoting at most 80 characters of it)
/// and is skipped; the rest still count.
IniFile ParseIni(std::string_view text, const std::string& path);

/// The largest configuration file read: 1 MiB, far more than any lab's settings.
inline constexpr std::size_t kMaxIniBytes = std::size_t{1} << 20;

/// Reads and parses a file; a file that does not exist is empty (no problem), one that exists
/// but cannot be read (a folder, a FIFO or device, more than kMaxIniBytes) is a problem.
IniFile ReadIniFile(const std::filesystem::path& path);

}  // namespace examora
