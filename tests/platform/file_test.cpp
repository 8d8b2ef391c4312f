// Files on their own: dispositions, access enforcement, positioned 64-bit
// reads and writes, sizes, error numbers, and the whole-file operations.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <functional>
#include <string>

#include "platform/file.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace linkar::platform {
namespace {

using test::readWholeFile;
using test::TempDir;
using test::writeWholeFile;

constexpr std::uint8_t kReadWriteShared = kShareDenyNone | kAccessReadWrite;
// The conventional "nobody" account, for checks that permissions bind.
constexpr uid_t kUnprivilegedUser = 65534;

TEST(ErrnoMapping, GivesTheNumbersOfTheErrorTables) {
  EXPECT_EQ(mapErrno(0), 0);
  EXPECT_EQ(mapErrno(ENOENT), 2);
  EXPECT_EQ(mapErrno(ENOTDIR), 3);
  EXPECT_EQ(mapErrno(ENAMETOOLONG), 3);
  EXPECT_EQ(mapErrno(EMFILE), 4);
  EXPECT_EQ(mapErrno(ENFILE), 4);
  EXPECT_EQ(mapErrno(EACCES), 5);
  EXPECT_EQ(mapErrno(EPERM), 5);
  EXPECT_EQ(mapErrno(EROFS), 5);
  EXPECT_EQ(mapErrno(EBADF), 6);
  EXPECT_EQ(mapErrno(ENOMEM), 8);
  EXPECT_EQ(mapErrno(EAGAIN), 32);
  EXPECT_EQ(mapErrno(EDEADLK), 33);
  EXPECT_EQ(mapErrno(ENOSPC), 39);
  EXPECT_EQ(mapErrno(EEXIST), 80);
  EXPECT_EQ(mapErrno(EINVAL), 87);
  EXPECT_EQ(mapErrno(EHOSTUNREACH), 31);  // anything unlisted
}

class FileTest : public ::testing::Test {
 protected:
  TempDir m_dir;
};

TEST_F(FileTest, MissingFileAndMissingFolderGiveTwoAndThree) {
  File f;
  setLastOsError(0);
  EXPECT_EQ(f.open(m_dir.file("absent.txt"), kReadWriteShared), kErrorFileNotFound);
  EXPECT_EQ(lastOsError(), kErrorFileNotFound);
  EXPECT_EQ(f.open(m_dir.file("nofolder/absent.txt"), kReadWriteShared), kErrorPathNotFound);
  EXPECT_EQ(lastOsError(), kErrorPathNotFound);
  EXPECT_EQ(f.open(m_dir.file("nofolder/new.txt"), kReadWriteShared, Disposition::CreateAlways),
            kErrorPathNotFound);
  // A path through an ordinary file is also a missing folder.
  ASSERT_TRUE(writeWholeFile(m_dir.file("plain"), "x"));
  EXPECT_EQ(f.open(m_dir.file("plain/inner"), kReadWriteShared), kErrorPathNotFound);
  EXPECT_EQ(f.open("", kReadWriteShared), kErrorFileNotFound);
  EXPECT_FALSE(f.isOpen());
  // A NUL inside a name must not cut it short onto another file.
  const std::string cut = m_dir.file("plain") + std::string(1, '\0') + "more";
  EXPECT_EQ(f.open(cut, kReadWriteShared), kErrorPathNotFound);
  EXPECT_EQ(removeFile(cut), kErrorPathNotFound);
  EXPECT_EQ(copyFile(m_dir.file("plain"), cut), kErrorPathNotFound);
  EXPECT_EQ(renameFile(m_dir.file("plain"), cut), kErrorPathNotFound);
  EXPECT_FALSE(fileExists(cut));
  EXPECT_EQ(readWholeFile(m_dir.file("plain")), "x");
}

TEST_F(FileTest, AFolderCannotBeOpenedAsAFile) {
  File f;
  EXPECT_EQ(f.open(m_dir.path(), kShareDenyNone | kAccessRead), kErrorAccessDenied);
  EXPECT_EQ(f.open(m_dir.path(), kReadWriteShared), kErrorAccessDenied);
}

TEST_F(FileTest, DispositionsCreateKeepOrCutTheFile) {
  const std::string path = m_dir.file("d.dat");
  File f;
  ASSERT_EQ(f.open(path, kReadWriteShared, Disposition::CreateNew), 0);
  ASSERT_EQ(f.write(0, "hello", 5), 0);
  f.close();
  EXPECT_EQ(f.open(path, kReadWriteShared, Disposition::CreateNew), kErrorFileExists);
  ASSERT_EQ(f.open(path, kReadWriteShared, Disposition::OpenAlways), 0);
  std::uint64_t size = 0;
  ASSERT_EQ(f.size(&size), 0);
  EXPECT_EQ(size, 5u);
  f.close();
  ASSERT_EQ(f.open(path, kReadWriteShared, Disposition::CreateAlways), 0);
  ASSERT_EQ(f.size(&size), 0);
  EXPECT_EQ(size, 0u);
  f.close();
  const std::string fresh = m_dir.file("fresh.dat");
  ASSERT_EQ(f.open(fresh, kReadWriteShared, Disposition::OpenAlways), 0);
  EXPECT_TRUE(fileExists(fresh));
}

TEST_F(FileTest, PositionedIoAtOffsetsBeyondFourGigabytes) {
  const std::string path = m_dir.file("big.dat");
  File f;
  ASSERT_EQ(f.open(path, kReadWriteShared, Disposition::CreateNew), 0);
  const std::uint64_t far = 5ull << 30;  // sparse: costs no disk space
  ASSERT_EQ(f.write(far, "tail", 4), 0);
  ASSERT_EQ(f.write(3, "head", 4), 0);
  std::uint64_t size = 0;
  ASSERT_EQ(f.size(&size), 0);
  EXPECT_EQ(size, far + 4);
  char buffer[8] = {};
  std::size_t got = 0;
  ASSERT_EQ(f.read(far, buffer, 4, &got), 0);
  EXPECT_EQ(std::string(buffer, got), "tail");
  ASSERT_EQ(f.read(0, buffer, 8, &got), 0);
  EXPECT_EQ(std::string(buffer, got), std::string("\0\0\0head\0", 8));
  ASSERT_EQ(f.setSize(4), 0);
  ASSERT_EQ(f.size(&size), 0);
  EXPECT_EQ(size, 4u);
}

TEST_F(FileTest, ReadsAtTheEndReportTheCountRead) {
  const std::string path = m_dir.file("short.dat");
  ASSERT_TRUE(writeWholeFile(path, "abcdef"));
  File f;
  ASSERT_EQ(f.open(path, kShareDenyNone | kAccessRead), 0);
  char buffer[16];
  std::size_t got = 99;
  EXPECT_EQ(f.read(4, buffer, sizeof buffer, &got), 0);
  EXPECT_EQ(got, 2u);
  EXPECT_EQ(std::string(buffer, got), "ef");
  EXPECT_EQ(f.read(6, buffer, sizeof buffer, &got), 0);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(f.read(1000, buffer, sizeof buffer, &got), 0);
  EXPECT_EQ(got, 0u);
}

TEST_F(FileTest, AccessModeIsEnforced) {
  const std::string path = m_dir.file("a.dat");
  ASSERT_TRUE(writeWholeFile(path, "abc"));
  File reader;
  ASSERT_EQ(reader.open(path, kShareDenyNone | kAccessRead), 0);
  EXPECT_EQ(reader.write(0, "x", 1), kErrorAccessDenied);
  EXPECT_EQ(reader.setSize(0), kErrorAccessDenied);
  File writer;
  ASSERT_EQ(writer.open(path, kShareDenyNone | kAccessWrite), 0);
  char c;
  std::size_t got = 0;
  EXPECT_EQ(writer.read(0, &c, 1, &got), kErrorAccessDenied);
  EXPECT_EQ(writer.write(0, "X", 1), 0);
  EXPECT_EQ(readWholeFile(path), "Xbc");
}

// Runs `body` where permissions bind: in a child that gives up the
// superuser's rights when the tests run as root.
int withoutPrivileges(const std::function<int()>& body) {
  return test::runInChild(
      [&] {
        if (::geteuid() == 0 && ::setresuid(kUnprivilegedUser, kUnprivilegedUser, kUnprivilegedUser) != 0)
          return 90;
        return body();
      },
      5000);
}

TEST_F(FileTest, ReadOnlyFileOpensForReadingOnly) {
  ASSERT_EQ(::chmod(m_dir.path().c_str(), 0755), 0);
  const std::string path = m_dir.file("ro.dat");
  ASSERT_TRUE(writeWholeFile(path, "abc"));
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  EXPECT_EQ(withoutPrivileges([&] {
              File f;
              if (f.open(path, kReadWriteShared) != kErrorAccessDenied) return 1;
              if (f.open(path, kShareDenyNone | kAccessWrite) != kErrorAccessDenied) return 2;
              if (f.open(path, kShareDenyWrite | kAccessRead) != 0) return 3;
              // Share records still work on the narrower descriptor.
              File reader;
              if (reader.open(path, kShareDenyNone | kAccessRead) != 0) return 4;
              File denier;
              if (denier.open(path, kShareDenyRead | kAccessRead) != kErrorSharingViolation) return 5;
              if (f.tryLock(0, 1, LockKind::Shared) != 0) return 6;
              if (f.tryLock(0, 1, LockKind::Exclusive) != kErrorAccessDenied) return 7;
              char buffer[4];
              std::size_t got = 0;
              if (f.read(0, buffer, sizeof buffer, &got) != 0 || got != 3) return 8;
              // Unreadable, unwritable: only the error remains.
              File none;
              if (none.open(m_dir.path() + "/../" + "nonexistent-folder/x", kReadWriteShared) !=
                  kErrorPathNotFound)
                return 9;
              return 0;
            }),
            0);
  EXPECT_EQ(readWholeFile(path), "abc");
}

TEST_F(FileTest, RemovingAFileInAFolderWithoutWriteRightsIsDenied) {
  ASSERT_EQ(::chmod(m_dir.path().c_str(), 0755), 0);
  const std::string folder = m_dir.file("locked");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  const std::string path = folder + "/keep.dat";
  ASSERT_TRUE(writeWholeFile(path, "abc"));
  ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
  EXPECT_EQ(withoutPrivileges([&] {
              if (removeFile(path) != kErrorAccessDenied) return 1;
              if (renameFile(path, path + ".new") != kErrorAccessDenied) return 2;
              File f;
              if (f.open(folder + "/new.dat", kReadWriteShared, Disposition::CreateNew) !=
                  kErrorAccessDenied)
                return 3;
              return 0;
            }),
            0);
  EXPECT_TRUE(fileExists(path));
  ::chmod(folder.c_str(), 0755);  // so the folder can be cleaned up
}

TEST_F(FileTest, MovedFileKeepsItsOpen) {
  const std::string path = m_dir.file("m.dat");
  File a;
  ASSERT_EQ(a.open(path, kShareDenyAll | kAccessReadWrite, Disposition::CreateNew), 0);
  File b(std::move(a));
  EXPECT_FALSE(a.isOpen());
  EXPECT_TRUE(b.isOpen());
  File c;
  EXPECT_EQ(c.open(path, kReadWriteShared), kErrorSharingViolation);
  File d;
  d = std::move(b);
  EXPECT_EQ(d.write(0, "z", 1), 0);
  d.close();
  EXPECT_EQ(c.open(path, kReadWriteShared), 0);
}

TEST_F(FileTest, OperationsOnAClosedFileFailWithInvalidHandle) {
  File f;
  char c;
  std::size_t got = 0;
  std::uint64_t size = 0;
  EXPECT_EQ(f.read(0, &c, 1, &got), kErrorInvalidHandle);
  EXPECT_EQ(f.write(0, &c, 1), kErrorInvalidHandle);
  EXPECT_EQ(f.size(&size), kErrorInvalidHandle);
  EXPECT_EQ(f.flush(), kErrorInvalidHandle);
  EXPECT_EQ(f.close(), 0);
}

TEST_F(FileTest, AccessByteDecoding) {
  OpenMode m = OpenMode::fromAccessByte(0x22);
  EXPECT_EQ(m.access, Access::ReadWrite);
  EXPECT_TRUE(m.denyWrite);
  EXPECT_FALSE(m.denyRead);
  m = OpenMode::fromAccessByte(0x10);
  EXPECT_EQ(m.access, Access::Read);
  EXPECT_TRUE(m.denyRead && m.denyWrite);
  m = OpenMode::fromAccessByte(0x31);
  EXPECT_EQ(m.access, Access::Write);
  EXPECT_TRUE(m.denyRead);
  EXPECT_FALSE(m.denyWrite);
  m = OpenMode::fromAccessByte(0x03);
  EXPECT_EQ(m.access, Access::ReadWrite);
  EXPECT_FALSE(m.denyRead || m.denyWrite);
}

TEST_F(FileTest, RemoveRenameAndCopy) {
  const std::string a = m_dir.file("a.txt");
  const std::string b = m_dir.file("b.txt");
  const std::string c = m_dir.file("c.txt");
  ASSERT_TRUE(writeWholeFile(a, "alpha"));
  ASSERT_TRUE(writeWholeFile(b, "beta"));
  EXPECT_EQ(renameFile(a, b), kErrorFileExists);
  EXPECT_EQ(readWholeFile(b), "beta");
  EXPECT_EQ(renameFile(a, c), 0);
  EXPECT_FALSE(fileExists(a));
  EXPECT_EQ(readWholeFile(c), "alpha");
  EXPECT_EQ(renameFile(c, b, true), 0);
  EXPECT_EQ(readWholeFile(b), "alpha");
  EXPECT_EQ(renameFile(m_dir.file("none"), c), kErrorFileNotFound);

  std::string big(200000, 'q');
  big[12345] = 'Z';
  ASSERT_TRUE(writeWholeFile(a, big));
  EXPECT_EQ(copyFile(a, b), 0);  // replaces b's contents
  EXPECT_EQ(readWholeFile(b), big);
  EXPECT_EQ(copyFile(m_dir.file("none"), c), kErrorFileNotFound);
  EXPECT_FALSE(fileExists(c));

  EXPECT_EQ(removeFile(a), 0);
  EXPECT_FALSE(fileExists(a));
  EXPECT_EQ(removeFile(a), kErrorFileNotFound);
  EXPECT_EQ(removeFile(m_dir.file("nofolder/x")), kErrorPathNotFound);
  EXPECT_EQ(removeFile(m_dir.path()), kErrorAccessDenied);
  EXPECT_TRUE(directoryExists(m_dir.path()));
}

TEST_F(FileTest, CopyOntoItselfLeavesTheFileAlone) {
  const std::string a = m_dir.file("a.txt");
  ASSERT_TRUE(writeWholeFile(a, "only copy"));
  ASSERT_EQ(::link(a.c_str(), m_dir.file("alias.txt").c_str()), 0);
  EXPECT_EQ(copyFile(a, a), kErrorSharingViolation);
  EXPECT_EQ(copyFile(a, m_dir.file("alias.txt")), kErrorSharingViolation);
  EXPECT_EQ(readWholeFile(a), "only copy");
}

TEST_F(FileTest, RenameAcrossFileSystemsMovesTheContents) {
  test::TempDir other;  // under $TMPDIR or /tmp
  struct stat here {}, there {};
  ASSERT_EQ(::stat(m_dir.path().c_str(), &here), 0);
  const char* shm = "/dev/shm";
  if (::stat(shm, &there) != 0 || here.st_dev == there.st_dev || ::access(shm, W_OK) != 0)
    GTEST_SKIP() << "no second file system to move to";
  const std::string from = m_dir.file("move.txt");
  const std::string to = std::string(shm) + "/linkar-move-test-" + std::to_string(::getpid());
  ASSERT_TRUE(writeWholeFile(from, "travelling"));
  ASSERT_TRUE(writeWholeFile(to, "in the way"));
  EXPECT_EQ(renameFile(from, to), kErrorFileExists);
  EXPECT_EQ(renameFile(from, to, true), 0);
  EXPECT_FALSE(fileExists(from));
  EXPECT_EQ(readWholeFile(to), "travelling");
  ::unlink(to.c_str());
}

TEST_F(FileTest, CopyOntoAFileHeldDenyWriteIsRefused) {
  const std::string a = m_dir.file("a.txt");
  const std::string b = m_dir.file("b.txt");
  ASSERT_TRUE(writeWholeFile(a, "new"));
  ASSERT_TRUE(writeWholeFile(b, "old"));
  File holder;
  ASSERT_EQ(holder.open(b, kShareDenyWrite | kAccessRead), 0);
  EXPECT_EQ(copyFile(a, b), kErrorSharingViolation);
  EXPECT_EQ(readWholeFile(b), "old");
}

TEST_F(FileTest, NamesAndFolders) {
  test::CurrentDirectoryScope cwd(m_dir.path());
  std::string here;
  ASSERT_EQ(currentDirectory(&here), 0);
  std::string real(PATH_MAX, '\0');
  ASSERT_NE(::realpath(m_dir.path().c_str(), real.data()), nullptr);
  EXPECT_EQ(here, std::string(real.c_str()));
  std::string abs;
  ASSERT_EQ(absolutePath("LINKAR.SDF", &abs), 0);
  EXPECT_EQ(abs, here + "/LINKAR.SDF");
  ASSERT_EQ(absolutePath("sub/../x//y/./z.txt", &abs), 0);
  EXPECT_EQ(abs, here + "/x/y/z.txt");
  ASSERT_EQ(absolutePath("/a/b/../c/", &abs), 0);
  EXPECT_EQ(abs, "/a/c");
  EXPECT_NE(absolutePath("", &abs), 0);

  ASSERT_EQ(makeDirectories(m_dir.file("p/q/r")), 0);
  EXPECT_TRUE(directoryExists(m_dir.file("p/q/r")));
  EXPECT_EQ(makeDirectories(m_dir.file("p/q/r")), 0);
  ASSERT_TRUE(writeWholeFile(m_dir.file("p/file"), "x"));
  EXPECT_NE(makeDirectories(m_dir.file("p/file/s")), 0);
}

}  // namespace
}  // namespace linkar::platform
