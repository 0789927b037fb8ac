// Whole-file reading and writing with clear errors. Writing goes through a temporary file in
// the same folder and a rename, so a failed write never replaces a good file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace examora {

/// The file's bytes; throws FileError naming the file and the reason.
std::string ReadFileBytes(const std::filesystem::path& path);

/// Replaces (or creates) the file with exactly these bytes; throws FileError naming the file
/// and the reason, leaving any earlier file of that name as it was.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes);

}  // namespace examora
