// Share modes between processes and between opens of one process: which
// opens are admitted, refused removal and truncation, and release on death.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/file.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace linkar::platform {
namespace {

using test::ChildProcess;
using test::Rendezvous;
using test::TempDir;

constexpr int kTimeoutMs = 5000;

// Opens `path` with `mode` in a fresh File and reports the result.
int tryOpen(const std::string& path, std::uint8_t mode, Disposition d = Disposition::OpenExisting) {
  File f;
  return f.open(path, mode, d);
}

// Runs `body` in a child and returns its exit code (0 = every check held;
// otherwise the number of the failed step).
int inChild(std::function<int()> body) { return test::runInChild(std::move(body), kTimeoutMs); }

class ShareModeTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(test::writeWholeFile(m_path, "precious")); }
  TempDir m_dir;
  std::string m_path = m_dir.file("DATA.SDF");
};

TEST_F(ShareModeTest, DenyWriteAdmitsReadersAndRefusesWritersOfAnotherProcess) {
  File holder;
  ASSERT_EQ(holder.open(m_path, kShareDenyWrite | kAccessReadWrite), 0);
  EXPECT_EQ(inChild([&] {
              if (tryOpen(m_path, kShareDenyNone | kAccessRead) != 0) return 1;
              if (tryOpen(m_path, kShareDenyNone | kAccessWrite) != kErrorSharingViolation) return 2;
              if (tryOpen(m_path, kShareDenyNone | kAccessReadWrite) != kErrorSharingViolation)
                return 3;
              // A reader that itself denies write meets the holder's write access.
              if (tryOpen(m_path, kShareDenyWrite | kAccessRead) != kErrorSharingViolation) return 4;
              if (lastOsError() != kErrorSharingViolation) return 5;
              return 0;
            }),
            0);
}

TEST_F(ShareModeTest, DenyAllRefusesEveryOtherOpen) {
  File holder;
  ASSERT_EQ(holder.open(m_path, kShareDenyAll | kAccessRead), 0);
  EXPECT_EQ(inChild([&] {
              if (tryOpen(m_path, kShareDenyNone | kAccessRead) != kErrorSharingViolation) return 1;
              if (tryOpen(m_path, kShareDenyNone | kAccessWrite) != kErrorSharingViolation) return 2;
              if (tryOpen(m_path, kShareDenyAll | kAccessReadWrite) != kErrorSharingViolation)
                return 3;
              return 0;
            }),
            0);
  holder.close();
  EXPECT_EQ(inChild([&] { return tryOpen(m_path, kShareDenyNone | kAccessReadWrite); }), 0);
}

TEST_F(ShareModeTest, DenyNoneAdmitsAllButADenialOfWhatItDoes) {
  File holder;
  ASSERT_EQ(holder.open(m_path, kShareDenyNone | kAccessReadWrite), 0);
  EXPECT_EQ(inChild([&] {
              File a, b;
              if (a.open(m_path, kShareDenyNone | kAccessReadWrite) != 0) return 1;
              if (b.open(m_path, kShareDenyNone | kAccessRead) != 0) return 2;
              // The holder reads and writes, so no one may deny either.
              if (tryOpen(m_path, kShareDenyWrite | kAccessRead) != kErrorSharingViolation) return 3;
              if (tryOpen(m_path, kShareDenyRead | kAccessWrite) != kErrorSharingViolation) return 4;
              return 0;
            }),
            0);
}

TEST_F(ShareModeTest, DenyReadAdmitsWritersOnly) {
  File holder;
  ASSERT_EQ(holder.open(m_path, kShareDenyRead | kAccessWrite), 0);
  EXPECT_EQ(tryOpen(m_path, kShareDenyNone | kAccessWrite), 0);
  EXPECT_EQ(tryOpen(m_path, kShareDenyNone | kAccessRead), kErrorSharingViolation);
}

TEST_F(ShareModeTest, CompatibilityModeSharesLikeDenyNone) {
  File holder;
  ASSERT_EQ(holder.open(m_path, kShareCompatible | kAccessReadWrite), 0);
  EXPECT_EQ(tryOpen(m_path, kShareCompatible | kAccessReadWrite), 0);
  EXPECT_EQ(tryOpen(m_path, kShareDenyWrite | kAccessRead), kErrorSharingViolation);
}

TEST_F(ShareModeTest, OpensInOneProcessConflictLikeOpensOfTwo) {
  File first;
  ASSERT_EQ(first.open(m_path, kShareDenyWrite | kAccessRead), 0);
  EXPECT_EQ(tryOpen(m_path, kShareDenyNone | kAccessReadWrite), kErrorSharingViolation);
  EXPECT_EQ(tryOpen(m_path, kShareDenyWrite | kAccessRead), 0);
  first.close();
  EXPECT_EQ(tryOpen(m_path, kShareDenyNone | kAccessReadWrite), 0);
}

TEST_F(ShareModeTest, RefusedOpenLeavesNoRecordsBehind) {
  File holder;
  ASSERT_EQ(holder.open(m_path, kShareDenyWrite | kAccessRead), 0);
  // Refused: it asked to write. Its deny-all must not linger and block readers.
  EXPECT_EQ(tryOpen(m_path, kShareDenyAll | kAccessReadWrite), kErrorSharingViolation);
  EXPECT_EQ(tryOpen(m_path, kShareDenyNone | kAccessRead), 0);
}

TEST_F(ShareModeTest, RemoveAndCreateAlwaysOfAFileHeldDenyWriteAreRefused) {
  File holder;
  ASSERT_EQ(holder.open(m_path, kShareDenyWrite | kAccessRead), 0);
  EXPECT_EQ(inChild([&] {
              if (removeFile(m_path) != kErrorSharingViolation) return 1;
              if (tryOpen(m_path, kShareDenyNone | kAccessReadWrite, Disposition::CreateAlways) !=
                  kErrorSharingViolation)
                return 2;
              // Cutting the file is refused even for an open that only reads.
              if (tryOpen(m_path, kShareDenyNone | kAccessRead, Disposition::CreateAlways) !=
                  kErrorSharingViolation)
                return 3;
              if (renameFile(m_path, m_path + ".OLD") != kErrorSharingViolation) return 4;
              return 0;
            }),
            0);
  EXPECT_EQ(test::readWholeFile(m_path), "precious");
  holder.close();
  EXPECT_EQ(inChild([&] { return removeFile(m_path); }), 0);
  EXPECT_FALSE(fileExists(m_path));
}

TEST_F(ShareModeTest, RenameOverAFileHeldDenyAllIsRefused) {
  const std::string other = m_dir.file("OTHER.SDF");
  ASSERT_TRUE(test::writeWholeFile(other, "replacement"));
  File holder;
  ASSERT_EQ(holder.open(m_path, kShareDenyAll | kAccessReadWrite), 0);
  EXPECT_EQ(renameFile(other, m_path, true), kErrorSharingViolation);
  EXPECT_EQ(test::readWholeFile(m_path), "precious");
  EXPECT_EQ(test::readWholeFile(other), "replacement");
  holder.close();
  EXPECT_EQ(renameFile(other, m_path, true), 0);
  EXPECT_EQ(test::readWholeFile(m_path), "replacement");
}

TEST_F(ShareModeTest, RemoveOfAFileHeldDenyNoneSucceeds) {
  File holder;
  ASSERT_EQ(holder.open(m_path, kShareDenyNone | kAccessReadWrite), 0);
  EXPECT_EQ(removeFile(m_path), 0);
  EXPECT_FALSE(fileExists(m_path));
}

TEST_F(ShareModeTest, CreateAlwaysOverADenyNoneOpenCutsTheFile) {
  File holder;
  ASSERT_EQ(holder.open(m_path, kShareDenyNone | kAccessReadWrite), 0);
  EXPECT_EQ(tryOpen(m_path, kShareDenyNone | kAccessReadWrite, Disposition::CreateAlways), 0);
  std::uint64_t size = 1;
  EXPECT_EQ(holder.size(&size), 0);
  EXPECT_EQ(size, 0u);
}

TEST_F(ShareModeTest, AProcessThatDiesReleasesItsOpensAndLocks) {
  Rendezvous rv;
  ChildProcess child([&] {
    rv.becomeChild();
    File f;
    if (f.open(m_path, kShareDenyAll | kAccessReadWrite) != 0) return 1;
    if (f.lock(0x80000000ull, 1023, LockKind::Exclusive) != 0) return 2;
    rv.signal();
    rv.waitFor(kTimeoutMs);  // killed long before this ends
    return 0;
  });
  rv.becomeParent();
  ASSERT_TRUE(rv.waitFor(kTimeoutMs));
  EXPECT_EQ(tryOpen(m_path, kShareDenyNone | kAccessRead), kErrorSharingViolation);
  child.kill();
  File f;
  ASSERT_EQ(f.open(m_path, kShareDenyAll | kAccessReadWrite), 0);
  EXPECT_EQ(f.tryLock(0x80000000ull, 1023, LockKind::Exclusive), 0);
}

// Several processes race to open one file deny-all and, while admitted,
// bump a counter in it with an unguarded read-modify-write. A single lost
// update means two were admitted at once.
TEST_F(ShareModeTest, DenyAllAdmitsOneProcessAtATime) {
  constexpr int kProcesses = 3;
  constexpr int kRounds = 150;
  ASSERT_TRUE(test::writeWholeFile(m_path, std::string(8, '\0')));
  auto worker = [&] {
    int admitted = 0;
    for (int i = 0; i < kRounds; ++i) {
      File f;
      if (f.open(m_path, kShareDenyAll | kAccessReadWrite) != 0) continue;
      std::uint64_t count = 0;
      std::size_t got = 0;
      if (f.read(0, &count, sizeof count, &got) != 0 || got != sizeof count) return 201;
      ++count;
      if (f.write(0, &count, sizeof count) != 0) return 202;
      ++admitted;
    }
    return admitted;  // at most kRounds, which fits an exit code
  };
  std::vector<std::unique_ptr<ChildProcess>> children;
  for (int i = 0; i < kProcesses; ++i) children.push_back(std::make_unique<ChildProcess>(worker));
  int total = 0;
  for (auto& c : children) {
    int code = c->wait(kTimeoutMs * 4);
    ASSERT_GE(code, 0);
    ASSERT_LE(code, kRounds);
    total += code;
  }
  std::string contents = test::readWholeFile(m_path);
  ASSERT_EQ(contents.size(), 8u);
  std::uint64_t count = 0;
  std::memcpy(&count, contents.data(), sizeof count);
  EXPECT_EQ(count, static_cast<std::uint64_t>(total));
  EXPECT_GT(count, 0u);
}

}  // namespace
}  // namespace linkar::platform
