#include "results/journal.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/error.h"
#include "common/numtext.h"
#include "common/text.h"
#include "crypto/byte_fns.h"
#include "platform/files.h"

namespace examora {
namespace {

// Version 2 keeps the start in UTC and the record with its end; version 1 journals (a start in
// local time) are still read.
constexpr const char* kVersion = "2";

void InitSodium() {
  if (sodium_init() < 0) throw Error("the cryptography library could not start");
}

std::string Hex(const unsigned char* bytes, std::size_t size) {
  std::string hex(size * 2 + 1, '\0');
  sodium_bin2hex(hex.data(), hex.size(), bytes, size);
  hex.pop_back();
  return hex;
}

}  // namespace

std::string SealText(const JournalKey& key, const std::string& text) {
  unsigned char out[32];
  crypto_generichash(out, sizeof out, reinterpret_cast<const unsigned char*>(text.data()),
                     text.size(), key.data(), key.size());
  return Hex(out, sizeof out);
}

namespace {

std::string Seal(const JournalKey& key, const std::string& text) {
  return SealText(key, text);
}

std::string Escape(const std::string& field) {
  std::string out;
  for (const char c : field) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\t')
      out += "\\t";
    else if (c == '\r')
      out += "\\r";
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

std::string Unescape(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    const char c = field[++i];
    out += c == 't' ? '\t' : c == 'r' ? '\r' : c == 'n' ? '\n' : c;
  }
  return out;
}

std::string Payload(const std::vector<std::string>& fields) {
  std::string payload;
  for (const auto& field : fields) payload += (payload.empty() ? "" : "\t") + Escape(field);
  return payload;
}

std::filesystem::path HeadPath(const std::filesystem::path& path) {
  return JournalHeadPath(path);
}

std::string HeadText(const JournalKey& key, int count, const std::string& lastSeal) {
  const std::string payload = "H\t" + std::to_string(count) + "\t" + lastSeal;
  return payload + "\t" + Seal(key, "head\n" + payload) + "\r\n";
}

[[noreturn]] void Broken(const std::string& path, const std::string& what) {
  throw FormatError("The journal \"" + path + "\" " + what +
                    "; it was not used (it may have been edited, cut short or sealed with "
                    "another deployment's key)");
}

// A whole number of at most 18 digits (optionally negative), or nothing: a sealed journal is
// still read as if hostile, so no text may overflow a number.
std::optional<long long> Whole(const std::string& text) {
  const bool negative = !text.empty() && text[0] == '-';
  const std::string digits = negative ? text.substr(1) : text;
  if (digits.empty() || digits.size() > 18) return std::nullopt;
  long long value = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

int WholeInt(const std::string& text, const std::string& p, const char* what) {
  const auto value = Whole(text);
  if (!value || *value < -1000000000LL || *value > 1000000000LL) Broken(p, what);
  return static_cast<int>(*value);
}

SittingIdentity ParseIdentity(const std::vector<std::string>& f, const std::string& p) {
  if (f.size() != 9 || f[0] != "S" || (f[1] != "1" && f[1] != kVersion)) {
    Broken(p, "does not start with a sitting");
  }
  const auto seed = Whole(f[6]);
  const auto started = Whole(f[7]);
  // Bounded so that no sum of times can overflow (a start before 1970 or after 3000 is absurd).
  if (!seed || *seed < 0 || !started || *started < 0 || *started > 32503680000LL) {
    Broken(p, "names a sitting that cannot be");
  }
  return {f[2],
          WholeInt(f[3], p, "names a sitting that cannot be"),
          f[4],
          f[5],
          static_cast<std::uint64_t>(*seed),
          *started,
          WholeInt(f[8], p, "names a sitting that cannot be")};
}

JournalAnswer ParseAnswer(const std::vector<std::string>& f, const std::string& p) {
  if (f.size() < 5 || (f[3] != "I" && f[3] != "T")) Broken(p, "holds a malformed answer");
  return {WholeInt(f[1], p, "holds a malformed answer"),
          WholeInt(f[2], p, "holds a malformed answer"), f[3] == "T",
          std::vector<std::string>(f.begin() + 4, f.end())};
}

// Checks the head file against the verified entries: a journal cut at an entry boundary
// still verifies entry by entry, but not against the count the head was last given.
void CheckHead(const std::string& path, const JournalKey& key,
               const std::vector<std::string>& seals, const std::optional<std::string>& headText) {
  if (!headText) {
    if (seals.size() > 1) Broken(path, "has lost its head file");
    return;
  }
  const std::string& head = *headText;
  const auto f = SplitAt(head.substr(0, head.find("\r\n")), '\t');
  if (f.size() != 4 || f[0] != "H" ||
      Seal(key, "head\n" + f[0] + "\t" + f[1] + "\t" + f[2]) != f[3]) {
    Broken(path, "has a damaged head file");
  }
  const auto number = Whole(f[1]);
  if (!number || *number < 1) Broken(path, "has a damaged head file");
  const auto count = static_cast<std::size_t>(*number);
  if (count > seals.size()) {
    Broken(path, "holds " + std::to_string(seals.size()) + " entries where " +
                     std::to_string(count) + " were written");
  }
  if (count == 0 || seals[count - 1] != f[2]) Broken(path, "does not match its head file");
}

}  // namespace

JournalKey LoadOrCreateJournalKey(const std::filesystem::path& path) {
  InitSodium();
  JournalKey key{};
  std::error_code ec;
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), ec);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) {
    randombytes_buf(key.data(), key.size());
    const std::string hex = Hex(key.data(), key.size()) + "\n";
    const bool ok =
        ::write(fd, hex.data(), hex.size()) == static_cast<ssize_t>(hex.size()) && ::fsync(fd) == 0;
    ::close(fd);
    if (!ok) throw FileError("Cannot write the journal key \"" + path.string() + "\"");
    return key;
  }
  if (errno != EEXIST) {
    throw FileError("Cannot create the journal key \"" + path.string() +
                    "\": " + std::strerror(errno));
  }
  return ReadJournalKey(path);
}

JournalKey ReadJournalKey(const std::filesystem::path& path) {
  InitSodium();
  const std::string text = ReadFileBytes(path, 4096);
  JournalKey key{};
  std::size_t length = 0;
  if (sodium_hex2bin(key.data(), key.size(), text.data(), text.size(), " \r\n", &length, nullptr) !=
          0 ||
      length != key.size()) {
    throw FormatError("The journal key \"" + path.string() + "\" is not 64 hexadecimal digits");
  }
  return key;
}

std::filesystem::path JournalPath(const std::filesystem::path& folder,
                                  const std::string& studentNumber, int testNumber) {
  return folder / (studentNumber + "_" + std::to_string(testNumber) + "journal.txt");
}

SittingJournal::SittingJournal(ResultsFileSystem& files, std::filesystem::path path,
                               const JournalKey& key, const SittingIdentity& id)
    : files_(files), path_(std::move(path)), key_(key) {
  InitSodium();
  const std::string payload =
      Payload({"S", kVersion, id.studentNumber, std::to_string(id.testNumber), id.testName,
               id.bankFingerprint, std::to_string(id.seed), std::to_string(id.started),
               std::to_string(id.totalSeconds)});
  lastSeal_ = Seal(key_, "\n" + payload);
  if (const int error = files_.ReplaceFile(path_, payload + "\t" + lastSeal_ + "\r\n")) {
    throw FileError("Cannot start the journal \"" + path_.string() + "\": " + std::strerror(error));
  }
  count_ = 1;
  if (const int error = files_.ReplaceFile(HeadPath(path_), HeadText(key_, count_, lastSeal_))) {
    throw FileError("Cannot write \"" + HeadPath(path_).string() + "\": " + std::strerror(error));
  }
}

SittingJournal::SittingJournal(ResultsFileSystem& files, std::filesystem::path path,
                               const JournalKey& key, const JournalContent& content)
    : files_(files), path_(std::move(path)), key_(key) {
  InitSodium();
  lastSeal_ = content.lastSeal;
  count_ = content.entries;
  if (!content.note.empty()) {
    // The cut-off last entry is cut away, so the next one starts on a whole line.
    const std::string text = ReadFileBytes(path_);
    if (const int error = files_.ReplaceFile(path_, text.substr(0, text.rfind("\r\n") + 2))) {
      throw FileError("Cannot repair the journal \"" + path_.string() +
                      "\": " + std::strerror(error));
    }
  }
}

void SittingJournal::AppendEntry(const std::vector<std::string>& fields) {
  const std::string payload = Payload(fields);
  const std::string seal = Seal(key_, lastSeal_ + "\n" + payload);
  if (const int error = files_.AppendLine(path_, payload + "\t" + seal)) {
    throw FileError("Cannot append to the journal \"" + path_.string() +
                    "\": " + std::strerror(error));
  }
  lastSeal_ = seal;
  ++count_;
  if (!headEveryEntry && fields[0] == "A") return;
  if (const int error = files_.ReplaceFile(HeadPath(path_), HeadText(key_, count_, lastSeal_))) {
    throw FileError("Cannot write \"" + HeadPath(path_).string() + "\": " + std::strerror(error));
  }
}

void SittingJournal::Append(const JournalAnswer& a) {
  if (finished_) return;
  std::vector<std::string> fields = {"A", std::to_string(a.position), std::to_string(a.secondsLeft),
                                     a.isText ? "T" : "I"};
  fields.insert(fields.end(), a.inputs.begin(), a.inputs.end());
  AppendEntry(fields);
}

void SittingJournal::Finish(const std::string& record) {
  if (finished_) return;
  AppendEntry({"E", record});
  finished_ = true;
}

void SittingJournal::Appending(const std::string& label, long long size) {
  AppendEntry({"P", label, std::to_string(size)});
}

void SittingJournal::Written(const std::string& label) {
  AppendEntry({"W", label});
}

std::filesystem::path JournalHeadPath(const std::filesystem::path& journal) {
  return std::filesystem::path(journal) += ".head";
}

JournalContent ReadJournal(const std::filesystem::path& path, const JournalKey& key) {
  const std::string text = ReadFileBytes(path);
  std::optional<std::string> head;
  try {
    head = ReadFileBytes(HeadPath(path));
  } catch (const FileError&) {
    // A journal of one entry has none yet; a longer one without it is refused below.
  }
  return ParseJournal(text, head, key, path.string());
}

JournalContent ParseJournal(const std::string& text, const std::optional<std::string>& head,
                            const JournalKey& key, const std::string& path) {
  InitSodium();
  JournalContent content;
  std::vector<std::string> seals;
  std::string previous;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    const std::string line = text.substr(start, end - start);
    const std::size_t tab = line.rfind('\t');
    const std::string payload = line.substr(0, tab == std::string::npos ? 0 : tab);
    if (tab == std::string::npos || Seal(key, previous + "\n" + payload) != line.substr(tab + 1)) {
      Broken(path, "has entry " + std::to_string(seals.size() + 1) + " out of its sealed order");
    }
    previous = line.substr(tab + 1);
    seals.push_back(previous);
    std::vector<std::string> fields;
    for (const auto& field : SplitAt(payload, '\t')) fields.push_back(Unescape(field));
    if (seals.size() == 1) {
      content.identity = ParseIdentity(fields, path);
    } else if (content.finished) {
      if (fields.size() == 2 && fields[0] == "W") {
        content.written.push_back(fields[1]);
      } else if (const auto size =
                     fields.size() == 3 && fields[0] == "P" ? Whole(fields[2]) : std::nullopt;
                 size && *size >= 0) {
        content.appending[fields[1]] = *size;
      } else {
        Broken(path, "goes on after the sitting finished");
      }
    } else if (fields[0] == "E") {
      content.finished = true;
      if (fields.size() > 1) content.record = fields[1];
    } else {
      content.answers.push_back(ParseAnswer(fields, path));
    }
  }
  if (seals.empty()) Broken(path, "is empty");
  CheckHead(path, key, seals, head);
  if (start < text.size()) content.note = "the last entry was cut off by the interruption";
  content.lastSeal = previous;
  content.entries = static_cast<int>(seals.size());
  return content;
}

}  // namespace examora
