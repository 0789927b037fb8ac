// A results folder opened once and worked on by names inside it: every file is reached from the
// folder's own descriptor, component by component, and no symbolic link is ever followed, so a
// name planted in a shared folder can never lead a write (or a read) anywhere else. The record
// keeper reaches the folder only through this; so does an exam sitting without one.
#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "results/results_files.h"

namespace examora {

/// A held lock on a file of the folder; released when destroyed.
class FolderLock {
 public:
  FolderLock() = default;
  explicit FolderLock(int fd) : fd_(fd) {}
  FolderLock(FolderLock&& other) noexcept;
  FolderLock& operator=(FolderLock&& other) noexcept;
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  ~FolderLock();
  bool held() const { return fd_ >= 0; }
  int fd() const { return fd_; }

 private:
  int fd_ = -1;
};

class ResultsFolder : public DiskResultsFileSystem {
 public:
  /// Opens the folder (it must exist and be a folder, reached without a link at its end).
  /// `fileMode`: the mode new files get (the umask still applies). Throws FileError.
  explicit ResultsFolder(const std::filesystem::path& folder, unsigned fileMode = 0666,
                         std::chrono::milliseconds lockWait = std::chrono::milliseconds(2000));
  ~ResultsFolder() override;
  ResultsFolder(const ResultsFolder&) = delete;
  ResultsFolder& operator=(const ResultsFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

  /// `path` is a name inside the folder ("masterfile.txt", "subject_files/10101.txt"); an
  /// absolute name or one with ".." fails with EINVAL, a link anywhere with ELOOP.
  int AppendLine(const std::filesystem::path& path, std::string_view line) override;
  int ReplaceFile(const std::filesystem::path& path, std::string_view bytes) override;

  /// The file's bytes (a regular file of at most `limit` bytes), or nothing when it does not
  /// exist. Throws FileError for any other failure.
  std::optional<std::string> Read(const std::filesystem::path& name,
                                  std::size_t limit = std::size_t{16} << 20) const;
  /// The bytes of a regular file from `offset` on (at most `limit`), or nothing when it does
  /// not exist; its size alone with `Size` (-1 when missing). Throws FileError otherwise.
  std::optional<std::string> ReadFrom(const std::filesystem::path& name, long long offset,
                                      std::size_t limit) const;
  long long Size(const std::filesystem::path& name) const;
  /// The names of the regular files directly in the folder (or in its sub-folder `under`).
  std::vector<std::string> List(const std::filesystem::path& under = {}) const;
  /// An exclusive lock on the file (created empty when missing) for as long as the result
  /// lives; nothing when another process holds it. `wait` blocks until it is free.
  FolderLock Lock(const std::filesystem::path& name, bool wait = false) const;
  /// Whether another process holds the lock on the file (false when the file is missing).
  bool Locked(const std::filesystem::path& name) const;
  /// Creates a sub-folder when missing (the umask applies); 0 or the errno value.
  int MakeFolder(const std::filesystem::path& name, unsigned mode = 02770);
  /// Renames a file within the folder; 0 or the errno value.
  int Rename(const std::filesystem::path& from, const std::filesystem::path& to);

 private:
  // The descriptor of the folder holding `name` and the last component, or -1 (errno set).
  int OpenParent(const std::filesystem::path& name, std::string& leaf) const;
  int OpenFile(const std::filesystem::path& name, int flags) const;

  std::filesystem::path path_;
  int dir_ = -1;
  unsigned fileMode_;
};

}  // namespace examora
