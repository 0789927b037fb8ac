#include "results/results_folder.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sodium.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/error.h"

namespace examora {
namespace {

struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

unsigned Umasked(unsigned mode) {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mode & ~mask;
}

}  // namespace

FolderLock::FolderLock(FolderLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

ResultsFolder::ResultsFolder(const std::filesystem::path& folder, unsigned fileMode,
                             std::chrono::milliseconds lockWait)
    : DiskResultsFileSystem(lockWait), path_(folder), fileMode_(fileMode) {
  if (sodium_init() < 0) throw Error("the cryptography library could not start");
  dir_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (dir_ < 0) {
    throw FileError("Cannot open the results folder \"" + folder.string() +
                    "\": " + std::strerror(errno));
  }
}

ResultsFolder::~ResultsFolder() {
  if (dir_ >= 0) ::close(dir_);
}

int ResultsFolder::OpenParent(const std::filesystem::path& name, std::string& leaf) const {
  std::vector<std::string> parts;
  for (const auto& part : name) {
    const std::string text = part.string();
    if (text.empty() || text == ".") continue;
    if (text == ".." || text == "/") {
      errno = EINVAL;
      return -1;
    }
    parts.push_back(text);
  }
  if (parts.empty() || name.is_absolute()) {
    errno = EINVAL;
    return -1;
  }
  leaf = parts.back();
  int dir = ::dup(dir_);
  for (std::size_t i = 0; i + 1 < parts.size() && dir >= 0; ++i) {
    const int next =
        ::openat(dir, parts[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int saved = errno;
    ::close(dir);
    errno = saved;
    dir = next;
  }
  return dir;
}

int ResultsFolder::OpenFile(const std::filesystem::path& name, int flags) const {
  std::string leaf;
  Fd parent{OpenParent(name, leaf)};
  if (parent.fd < 0) return -1;
  return ::openat(parent.fd, leaf.c_str(), flags | O_NOFOLLOW | O_CLOEXEC, Umasked(fileMode_));
}

int ResultsFolder::AppendLine(const std::filesystem::path& path, std::string_view line) {
  Fd file{OpenFile(path, O_RDWR | O_APPEND | O_CREAT | O_NONBLOCK)};
  if (file.fd < 0) return errno;
  struct stat info {};
  if (::fstat(file.fd, &info) != 0) return errno;
  if (!S_ISREG(info.st_mode)) return EINVAL;
  return AppendToOpenFile(file.fd, line);
}

int ResultsFolder::ReplaceFile(const std::filesystem::path& path, std::string_view bytes) {
  std::string leaf;
  Fd parent{OpenParent(path, leaf)};
  if (parent.fd < 0) return errno;
  unsigned char random[8];
  randombytes_buf(random, sizeof random);
  char hex[sizeof random * 2 + 1];
  sodium_bin2hex(hex, sizeof hex, random, sizeof random);
  const std::string temporary = "." + leaf + ".new-" + hex;
  int error = 0;
  {
    Fd file{::openat(parent.fd, temporary.c_str(),
                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600)};
    if (file.fd < 0) return errno;
    if (::fchmod(file.fd, Umasked(fileMode_)) != 0) error = errno;
    if (error == 0) error = WriteWhole(file.fd, bytes);
    if (error == 0 && Sync(file.fd) != 0) error = errno;
  }
  // renameat replaces a link planted at the target itself; it never writes through it.
  if (error == 0 && ::renameat(parent.fd, temporary.c_str(), parent.fd, leaf.c_str()) != 0) {
    error = errno;
  }
  if (error != 0) {
    ::unlinkat(parent.fd, temporary.c_str(), 0);
    return error;
  }
  ::fsync(parent.fd);
  return 0;
}

std::optional<std::string> ResultsFolder::Read(const std::filesystem::path& name,
                                               std::size_t limit) const {
  Fd file{OpenFile(name, O_RDONLY | O_NONBLOCK)};
  const auto fail = [&](const std::string& why) -> std::optional<std::string> {
    throw FileError("Cannot read \"" + (path_ / name).string() + "\": " + why);
  };
  if (file.fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    return fail(errno == ELOOP ? "it is a link" : std::strerror(errno));
  }
  struct stat info {};
  if (::fstat(file.fd, &info) != 0) return fail(std::strerror(errno));
  if (!S_ISREG(info.st_mode)) return fail("it is not a regular file");
  if (static_cast<std::size_t>(info.st_size) > limit) return fail("it is too large");
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(file.fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return fail(std::strerror(errno));
    if (got == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
    if (bytes.size() > limit) return fail("it is too large");
  }
  return bytes;
}

std::optional<std::string> ResultsFolder::ReadFrom(const std::filesystem::path& name,
                                                   long long offset, std::size_t limit) const {
  Fd file{OpenFile(name, O_RDONLY | O_NONBLOCK)};
  if (file.fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    throw FileError("Cannot read \"" + (path_ / name).string() + "\": " + std::strerror(errno));
  }
  std::string bytes(limit, '\0');
  std::size_t got = 0;
  while (got < limit) {
    const ssize_t n = ::pread(file.fd, bytes.data() + got, limit - got,
                              static_cast<off_t>(offset) + static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

long long ResultsFolder::Size(const std::filesystem::path& name) const {
  Fd file{OpenFile(name, O_RDONLY | O_NONBLOCK)};
  struct stat info {};
  if (file.fd < 0 || ::fstat(file.fd, &info) != 0) return -1;
  return static_cast<long long>(info.st_size);
}

std::vector<std::string> ResultsFolder::List(const std::filesystem::path& under) const {
  int fd = -1;
  if (under.empty()) {
    fd = ::openat(dir_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  } else {
    fd = OpenFile(under, O_RDONLY | O_DIRECTORY);
  }
  std::vector<std::string> names;
  if (fd < 0) return names;
  DIR* dir = ::fdopendir(fd);
  if (dir == nullptr) {
    ::close(fd);
    return names;
  }
  while (const dirent* entry = ::readdir(dir)) {
    struct stat info {};
    if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(info.st_mode)) {
      names.emplace_back(entry->d_name);
    }
  }
  ::closedir(dir);
  return names;
}

FolderLock ResultsFolder::Lock(const std::filesystem::path& name, bool wait) const {
  Fd file{OpenFile(name, O_RDWR | O_CREAT | O_NONBLOCK)};
  if (file.fd < 0) {
    throw FileError("Cannot open \"" + (path_ / name).string() + "\": " + std::strerror(errno));
  }
  int result;
  while ((result = ::flock(file.fd, LOCK_EX | (wait ? 0 : LOCK_NB))) != 0 && errno == EINTR) {
  }
  if (result != 0) return FolderLock();
  return FolderLock(std::exchange(file.fd, -1));
}

bool ResultsFolder::Locked(const std::filesystem::path& name) const {
  Fd file{OpenFile(name, O_RDONLY | O_NONBLOCK)};
  if (file.fd < 0) return false;
  return ::flock(file.fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
}

int ResultsFolder::MakeFolder(const std::filesystem::path& name, unsigned mode) {
  std::string leaf;
  Fd parent{OpenParent(name, leaf)};
  if (parent.fd < 0) return errno;
  if (::mkdirat(parent.fd, leaf.c_str(), mode) != 0 && errno != EEXIST) return errno;
  return 0;
}

int ResultsFolder::Rename(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::string fromLeaf, toLeaf;
  Fd fromDir{OpenParent(from, fromLeaf)};
  if (fromDir.fd < 0) return errno;
  Fd toDir{OpenParent(to, toLeaf)};
  if (toDir.fd < 0) return errno;
  if (::renameat(fromDir.fd, fromLeaf.c_str(), toDir.fd, toLeaf.c_str()) != 0) return errno;
  ::fsync(toDir.fd);
  return 0;
}

}  // namespace examora
