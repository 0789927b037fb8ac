// The one atomic writer, bounded whole-file reading and the drive mapping's confinement.
#include "platform/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "common/error.h"
#include "platform/paths.h"
#include "test_support.h"

namespace examora {
namespace {

namespace fs = std::filesystem;
using examora::testing::TempDir;

std::size_t Entries(const fs::path& folder) {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
}

std::string Message(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.what();
  }
  return "no error";
}

TEST(AtomicWriter, ALinkPlantedWhereTheTemporaryFileWentIsNeverFollowed) {
  TempDir dir;
  WriteFileAtomically(dir / "victim.txt", "precious");
  const fs::path target = dir / "out.eqb";
  fs::create_symlink(dir / "victim.txt",
                     target.string() + ".partial-" + std::to_string(::getpid()));
  WriteFileAtomically(target, "new");
  EXPECT_EQ(ReadFileBytes(dir / "victim.txt"), "precious");
  EXPECT_EQ(ReadFileBytes(target), "new");
}

TEST(AtomicWriter, KeepsPermissionsRefusesReadOnlyFilesAndLeavesNothingBehind) {
  TempDir dir;
  const fs::path secret = dir / "secret.txt";
  WriteFileAtomically(secret, "a");
  fs::permissions(secret, fs::perms::owner_read | fs::perms::owner_write);
  WriteFileAtomically(secret, "b");
  EXPECT_EQ(fs::status(secret).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);

  const fs::path locked = dir / "locked.txt";
  WriteFileAtomically(locked, "keep");
  fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read);
  EXPECT_EQ(Message([&] { WriteFileAtomically(locked, "lost"); }),
            "Cannot write \"" + locked.string() + "\": the file is read-only");
  EXPECT_EQ(ReadFileBytes(locked), "keep");
  EXPECT_THROW(WriteFileAtomically(dir / "absent" / "x.txt", "a"), FileError);
  EXPECT_EQ(Entries(dir.path()), 2u);  // no temporary file left over
}

TEST(BoundedReading, OversizedFilesFifosAndDevicesAreRefusedAtOnce) {
  TempDir dir;
  const fs::path big = dir / "big.txt";
  WriteFileAtomically(big, "");
  fs::resize_file(big, kMaxReadBytes);
  EXPECT_EQ(ReadFileBytes(big).size(), kMaxReadBytes);
  fs::resize_file(big, kMaxReadBytes + 1);
  EXPECT_EQ(Message([&] { ReadFileBytes(big); }),
            "Cannot read \"" + big.string() +
                "\": it is larger than 16 MiB, the most this program reads");
  const fs::path fifo = dir / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(Message([&] { ReadFileBytes(fifo); }),
            "Cannot read \"" + fifo.string() + "\": it is not a regular file");
  EXPECT_THROW(ReadFileBytes("/dev/zero"), FileError);
  EXPECT_EQ(SizeText(4u << 20), "4 MiB");
  EXPECT_EQ(SizeText(1000), "1000 bytes");
}

TEST(PathMapper, PathsFromStudentDataStayInsideTheirDrive) {
  const PathMapper map("D:\\exams", "/opt/examora", {{'R', "/srv/results"}}, "/data/drives");
  EXPECT_EQ(map.ToNative("R:\\/etc/passwd").string(), "/srv/results/etc/passwd");
  EXPECT_EQ(map.ToNative("R:\\a\\.\\b").string(), "/srv/results/a/b");
  for (const char* path : {"R:\\..\\..\\etc\\passwd", "R:\\a\\..\\..\\x", "R:\\x/../../y",
                           "R:\\x\\C:\\y", "D:\\exams\\..\\x"}) {
    EXPECT_THROW(map.ToNative(path), FileError) << path;
  }
}

}  // namespace
}  // namespace examora
