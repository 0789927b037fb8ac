// The file layer results saving writes through. Many lab computers append to one master file
// and one subject file on a shared folder, so every append is one whole line written under an
// exclusive lock and flushed to disk; the backup is replaced atomically so a crash mid-write
// leaves the previous one whole. Tests put a fault-injecting layer in its place.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string_view>

#include <sys/types.h>

namespace examora {

class ResultsFileSystem {
 public:
  virtual ~ResultsFileSystem() = default;
  /// Appends `line` and CR LF as one whole line, under an exclusive lock, flushed to disk.
  /// Returns 0 or the errno value of the failure (EWOULDBLOCK: the lock was not granted,
  /// ELOOP: the name is a symbolic link, which is never followed); a line that could not be
  /// written or flushed whole is taken back. A new file gets NewFileMode().
  virtual int AppendLine(const std::filesystem::path& path, std::string_view line) = 0;
  /// Replaces the file with `bytes`: a new file, flushed, renamed over the old one (a symbolic
  /// link of that name is replaced, never written through). Returns 0 or the errno value of
  /// the failure; on failure the old file is left as it was. The file gets NewFileMode().
  virtual int ReplaceFile(const std::filesystem::path& path, std::string_view bytes) = 0;
};

/// The real disk (flock for the lock, fsync for the flush).
class DiskResultsFileSystem : public ResultsFileSystem {
 public:
  /// `lockWait`: how long an append waits for another computer's lock before giving up.
  explicit DiskResultsFileSystem(
      std::chrono::milliseconds lockWait = std::chrono::milliseconds(2000))
      : lockWait_(lockWait) {}
  int AppendLine(const std::filesystem::path& path, std::string_view line) override;
  int ReplaceFile(const std::filesystem::path& path, std::string_view bytes) override;

 protected:
  /// Appends the line to an open file as AppendLine does (lock, fresh line, flush, a failure
  /// taken back); 0 or the errno value. Closing the file releases the lock.
  int AppendToOpenFile(int fd, std::string_view line);
  /// Writes all the bytes through `Write`; 0 or the errno value.
  int WriteWhole(int fd, std::string_view bytes);
  /// The calls a network share fails (EIO, ENOSPC), as `write` and `fsync` return: -1 with
  /// errno set. A test overrides them to make the failure happen.
  virtual ssize_t Write(int fd, const char* data, std::size_t size);
  virtual int Sync(int fd);

 private:
  std::chrono::milliseconds lockWait_;
};

}  // namespace examora
