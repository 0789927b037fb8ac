#include "results/results_files.h"

#include <cerrno>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"

namespace examora {
namespace {

// Closes a descriptor on every path out.
struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

int LockWithin(int fd, std::chrono::milliseconds wait) {
  const auto until = std::chrono::steady_clock::now() + wait;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK && errno != EINTR) return errno;
    if (std::chrono::steady_clock::now() >= until) return EWOULDBLOCK;
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  return 0;
}

// A line cut short by a crash elsewhere must not swallow the next record: start a fresh line.
bool EndsMidLine(int fd, off_t size) {
  char last = '\n';
  return size > 0 && ::pread(fd, &last, 1, size - 1) == 1 && last != '\n';
}

void SyncFolder(const std::filesystem::path& path) {
  Fd dir{::open(path.parent_path().empty() ? "." : path.parent_path().c_str(),
                O_RDONLY | O_DIRECTORY)};
  if (dir.fd >= 0) ::fsync(dir.fd);
}

}  // namespace

ssize_t DiskResultsFileSystem::Write(int fd, const char* data, std::size_t size) {
  return ::write(fd, data, size);
}

int DiskResultsFileSystem::Sync(int fd) {
  return ::fsync(fd);
}

int DiskResultsFileSystem::WriteWhole(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = Write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : EIO;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

int DiskResultsFileSystem::AppendLine(const std::filesystem::path& path, std::string_view line) {
  // A link planted in a shared folder must not carry a record into (or create) a file
  // elsewhere: O_NOFOLLOW refuses it with ELOOP. 0666 less the umask, as any new file: with a
  // lab's umask 002 every account of the group can append to the master and subject files.
  Fd file{::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666)};
  if (file.fd < 0) return errno;
  return AppendToOpenFile(file.fd, line);  // closing releases the lock
}

int DiskResultsFileSystem::AppendToOpenFile(int fd, std::string_view line) {
  if (const int error = LockWithin(fd, lockWait_)) return error;
  struct stat info {};
  if (::fstat(fd, &info) != 0) return errno;
  std::string bytes = EndsMidLine(fd, info.st_size) ? "\r\n" : "";
  bytes.append(line).append("\r\n");
  int error = WriteWhole(fd, bytes);
  // A failed flush (EIO on a network share) may have lost the line: it is reported, never
  // taken as written.
  if (error == 0 && Sync(fd) != 0) error = errno;
  // A part-written or unflushed line is taken back, so the file holds only whole lines.
  if (error != 0 && ::ftruncate(fd, info.st_size) == 0) Sync(fd);
  return error;
}

int DiskResultsFileSystem::ReplaceFile(const std::filesystem::path& path, std::string_view bytes) {
  // Results folders are shared: the temporary file gets an unpredictable name and is created
  // exclusively, so a file or link planted beside the target is never followed or overwritten.
  std::string temporary = path.string() + ".new-XXXXXX";
  int error = 0;
  {
    Fd file{::mkostemp(temporary.data(), O_CLOEXEC)};
    if (file.fd < 0) return errno;
    if (::fchmod(file.fd, NewFileMode()) != 0) error = errno;  // as an ordinary new file
    if (error == 0) error = WriteWhole(file.fd, bytes);
    if (error == 0 && Sync(file.fd) != 0) error = errno;
  }
  // rename replaces a link of the target's name itself: nothing is written through it.
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temporary.c_str());
    return error;
  }
  SyncFolder(path);
  return 0;
}

}  // namespace examora
