#include "platform/files.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/error.h"

namespace examora {
namespace {

[[noreturn]] void Fail(const char* action, const std::filesystem::path& path,
                       const std::string& why) {
  throw FileError(std::string("Cannot ") + action + " \"" + path.string() + "\": " + why);
}

[[noreturn]] void Fail(const char* action, const std::filesystem::path& path, int error) {
  Fail(action, path, std::strerror(error));
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

[[noreturn]] void TooLarge(const std::filesystem::path& path, std::size_t limit) {
  Fail("read", path, "it is larger than " + SizeText(limit) + ", the most this program reads");
}

void WriteAll(int fd, std::string_view bytes, const std::filesystem::path& path) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) Fail("write", path, written < 0 ? errno : ENOSPC);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace

unsigned NewFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

std::string SizeText(std::size_t limit) {
  if (limit >= (std::size_t{1} << 20) && limit % (std::size_t{1} << 20) == 0) {
    return std::to_string(limit >> 20) + " MiB";
  }
  if (limit >= 1024 && limit % 1024 == 0) return std::to_string(limit >> 10) + " KiB";
  return std::to_string(limit) + " bytes";
}

std::string ReadFileBytes(const std::filesystem::path& path, std::size_t limit) {
  // Non-blocking, so that opening a FIFO without a writer does not wait for one.
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd.get() < 0) Fail("read", path, errno);
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) Fail("read", path, errno);
  if (S_ISDIR(st.st_mode)) Fail("read", path, EISDIR);
  if (!S_ISREG(st.st_mode)) Fail("read", path, "it is not a regular file");
  if (static_cast<std::uintmax_t>(st.st_size) > limit) TooLarge(path, limit);
  // Straight into the string, sized from the file (one byte more to see it grow): reading a
  // folder of thousands of files copies nothing through a buffer.
  std::string bytes(static_cast<std::size_t>(st.st_size) + 1, '\0');
  std::size_t have = 0;
  for (;;) {
    if (have == bytes.size()) {
      if (have > limit) TooLarge(path, limit);  // it grew while being read
      bytes.resize(std::min(2 * have, limit + 1));
    }
    const ssize_t got = ::read(fd.get(), bytes.data() + have, bytes.size() - have);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) Fail("read", path, errno);
    if (got == 0) break;
    have += static_cast<std::size_t>(got);
  }
  if (have > limit) TooLarge(path, limit);
  bytes.resize(have);
  return bytes;
}

void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         NewFile newFile) {
  struct stat target {};
  const bool exists = ::stat(path.c_str(), &target) == 0;
  if (exists && S_ISDIR(target.st_mode)) Fail("write", path, EISDIR);
  // The mode bits, not access(): an administrator's account passes access() on any file.
  if (exists && (target.st_mode & S_IWUSR) == 0) Fail("write", path, "the file is read-only");
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  std::string name = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
  // mkostemp creates the file exclusively under a random name: a link planted there is never
  // followed, and no other file can be overwritten through it.
  Descriptor fd(::mkostemp(name.data(), O_CLOEXEC));
  if (fd.get() < 0) Fail("write", path, errno);
  const std::filesystem::path temporary = name;
  const unsigned newMode = NewFileMode() & (newFile == NewFile::kOwnerOnly ? 0600u : 0666u);
  try {
    if (::fchmod(fd.get(), exists ? (target.st_mode & 07777) : newMode) != 0) {
      Fail("write", path, errno);
    }
    WriteAll(fd.get(), bytes, path);
    if (::fsync(fd.get()) != 0) Fail("write", path, errno);
    if (::close(fd.release()) != 0) Fail("write", path, errno);
    if (::rename(temporary.c_str(), path.c_str()) != 0) Fail("write", path, errno);
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
}

bool CreateFileIfMissing(const std::filesystem::path& path) {
  // O_EXCL: a file that appears meanwhile is left alone, never emptied.
  Descriptor fd(
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, NewFileMode()));
  if (fd.get() >= 0) return true;
  if (errno == EEXIST) return false;
  Fail("create", path, errno);
}

}  // namespace examora
