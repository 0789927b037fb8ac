#include "platform/files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include <unistd.h>

#include "common/error.h"

namespace examora {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

[[noreturn]] void Fail(const char* action, const std::filesystem::path& path, int error) {
  throw FileError(std::string("Cannot ") + action + " \"" + path.string() +
                  "\": " + std::strerror(error));
}

void WriteAll(std::FILE* f, std::string_view bytes, const std::filesystem::path& path) {
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
    Fail("write", path, errno);
  }
  if (std::fflush(f) != 0) Fail("write", path, errno);
}

}  // namespace

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) Fail("read", path, EISDIR);
  FilePtr f(std::fopen(path.c_str(), "rb"));
  if (!f) Fail("read", path, errno);
  std::string bytes;
  char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) bytes.append(buffer, got);
  if (std::ferror(f.get())) Fail("read", path, errno);
  return bytes;
}

void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) Fail("write", path, EISDIR);
  std::filesystem::path temporary = path;
  temporary += ".partial-" + std::to_string(::getpid());
  {
    FilePtr f(std::fopen(temporary.c_str(), "wb"));
    if (!f) Fail("write", path, errno);
    try {
      WriteAll(f.get(), bytes, path);
      if (::fsync(::fileno(f.get())) != 0) Fail("write", path, errno);
    } catch (...) {
      f.reset();
      std::filesystem::remove(temporary, ec);
      throw;
    }
  }
  std::filesystem::rename(temporary, path, ec);
  if (ec) {
    const int error = ec.value();
    std::filesystem::remove(temporary, ec);
    Fail("write", path, error);
  }
}

}  // namespace examora
