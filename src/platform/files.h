// Whole-file reading and writing with clear errors. Reading is bounded and takes only regular
// files; writing goes through a temporary file created exclusively in the same folder and a
// rename, so a failed write never replaces a good file.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace examora {

/// The most any file is read whole: 16 MiB (a test of 500 questions is a few hundred KiB).
inline constexpr std::size_t kMaxReadBytes = std::size_t{16} << 20;

/// Describes `limit` bytes the way messages name it ("16 MiB").
std::string SizeText(std::size_t limit);

/// The file's bytes; throws FileError naming the file and the reason. Only a regular file is
/// read (a FIFO or a device is refused at once, never waited on), and only up to `limit`
/// bytes: a larger file is refused with a message naming the limit.
std::string ReadFileBytes(const std::filesystem::path& path, std::size_t limit = kMaxReadBytes);

/// The mode bits a new file gets: read and write for all, less the process's umask.
unsigned NewFileMode();

/// Who may read a file the program creates: whoever the umask lets, or its owner alone (for a
/// secret such as a password hash).
enum class NewFile { kShared, kOwnerOnly };

/// Replaces (or creates) the file with exactly these bytes; throws FileError naming the file
/// and the reason, leaving any earlier file of that name as it was and no temporary file. The
/// temporary file has an unpredictable name and is created exclusively, so nothing planted
/// there is followed or overwritten; the replaced file's permissions are kept, and a read-only
/// file is refused. A new file gets NewFileMode(), or only its owner's part of it for kOwnerOnly.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         NewFile newFile = NewFile::kShared);

/// Creates the file empty unless something of that name exists (a link is not followed);
/// returns whether it was created. Throws FileError naming the file for any other failure.
bool CreateFileIfMissing(const std::filesystem::path& path);

}  // namespace examora
