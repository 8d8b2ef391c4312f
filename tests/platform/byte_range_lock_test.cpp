// Byte-range locks for callers: conflicts between processes and between
// opens of one process, waiting locks, 64-bit offsets above 2 GB, and
// independence from the share-mode records.

#include <gtest/gtest.h>

#include <string>

#include "platform/clock.h"
#include "platform/file.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace linkar::platform {
namespace {

using test::ChildProcess;
using test::Rendezvous;

constexpr int kTimeoutMs = 5000;
// The keyed driver's lock area begins at 2 GB.
constexpr std::uint64_t kLockArea = 0x80000000ull;

class ByteRangeLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(test::writeWholeFile(m_path, "data"));
    ASSERT_EQ(m_file.open(m_path, kShareDenyNone | kAccessReadWrite), 0);
  }
  int openOther(File* f) { return f->open(m_path, kShareDenyNone | kAccessReadWrite); }

  test::TempDir m_dir;
  std::string m_path = m_dir.file("LOCKS.SDF");
  File m_file;
};

TEST_F(ByteRangeLockTest, TryLockConflictsWithAnotherProcess) {
  ASSERT_EQ(m_file.lock(kLockArea, 1023, LockKind::Exclusive), 0);
  ASSERT_EQ(m_file.lock(kLockArea + 2000, 1, LockKind::Shared), 0);
  EXPECT_EQ(test::runInChild(
                [&] {
                  File f;
                  if (openOther(&f) != 0) return 1;
                  // Overlaps the exclusive range at its last byte.
                  if (f.tryLock(kLockArea + 1022, 5, LockKind::Shared) != kErrorSharingViolation)
                    return 2;
                  if (lastOsError() != kErrorSharingViolation) return 3;
                  // Just past it: free.
                  if (f.tryLock(kLockArea + 1023, 1, LockKind::Exclusive) != 0) return 4;
                  // Shared locks share; an exclusive one meets them.
                  if (f.tryLock(kLockArea + 2000, 1, LockKind::Shared) != 0) return 5;
                  if (f.tryLock(kLockArea + 2000, 1, LockKind::Exclusive) != kErrorSharingViolation)
                    return 6;
                  return 0;
                },
                kTimeoutMs),
            0);
}

TEST_F(ByteRangeLockTest, OpensInOneProcessConflict) {
  File other;
  ASSERT_EQ(openOther(&other), 0);
  ASSERT_EQ(m_file.tryLock(10, 1, LockKind::Exclusive), 0);
  EXPECT_EQ(other.tryLock(10, 1, LockKind::Exclusive), kErrorSharingViolation);
  EXPECT_EQ(other.tryLock(10, 1, LockKind::Shared), kErrorSharingViolation);
  ASSERT_EQ(m_file.unlock(10, 1), 0);
  EXPECT_EQ(other.tryLock(10, 1, LockKind::Exclusive), 0);
  // Closing an open releases what it holds.
  other.close();
  EXPECT_EQ(m_file.tryLock(10, 1, LockKind::Exclusive), 0);
}

TEST_F(ByteRangeLockTest, WaitingLockIsGrantedWhenTheHolderUnlocks) {
  ASSERT_EQ(m_file.lock(kLockArea, 1023, LockKind::Exclusive), 0);
  Rendezvous rv;
  ChildProcess child([&] {
    rv.becomeChild();
    File f;
    if (openOther(&f) != 0) return 1;
    rv.signal();  // about to wait
    if (f.lock(kLockArea + 7, 1, LockKind::Shared) != 0) return 2;
    rv.signal();  // granted
    return 0;
  });
  rv.becomeParent();
  ASSERT_TRUE(rv.waitFor(kTimeoutMs));
  EXPECT_FALSE(rv.waitFor(150)) << "granted while the range was held";
  ASSERT_EQ(m_file.unlock(kLockArea, 1023), 0);
  EXPECT_TRUE(rv.waitFor(kTimeoutMs));
  EXPECT_EQ(child.wait(kTimeoutMs), 0);
}

TEST_F(ByteRangeLockTest, RecordHoldsFarAboveTwoGigabytesAreDistinct) {
  // Record number 0xFFFFFFFF lies at 0x80000401 + 0xFFFFFFFF, past 4 GB.
  const std::uint64_t high = 0x80000401ull + 0xFFFFFFFFull;
  const std::uint64_t wrapped = (0x80000401ull + 0xFFFFFFFFull) & 0xFFFFFFFFull;
  File other;
  ASSERT_EQ(openOther(&other), 0);
  ASSERT_EQ(m_file.tryLock(high, 1, LockKind::Exclusive), 0);
  EXPECT_EQ(other.tryLock(wrapped, 1, LockKind::Exclusive), 0);
  EXPECT_EQ(other.tryLock(high, 1, LockKind::Exclusive), kErrorSharingViolation);
}

TEST_F(ByteRangeLockTest, CallerLocksDoNotDisturbShareModes) {
  // The whole caller range, exclusively: share-mode records live above it.
  ASSERT_EQ(m_file.tryLock(0, kCallerLockLimit, LockKind::Exclusive), 0);
  File other;
  EXPECT_EQ(other.open(m_path, kShareDenyNone | kAccessRead), 0);
  File exclusive;
  EXPECT_EQ(exclusive.open(m_path, kShareDenyWrite | kAccessRead), kErrorSharingViolation);
}

TEST_F(ByteRangeLockTest, LocksOnAClosedFileFail) {
  File closed;
  EXPECT_EQ(closed.tryLock(0, 1, LockKind::Exclusive), kErrorInvalidHandle);
  EXPECT_EQ(closed.unlock(0, 1), kErrorInvalidHandle);
}

TEST(SleepTest, SleepsAtLeastTheTimeAsked) {
  std::int64_t start = monotonicMilliseconds();
  sleepMilliseconds(30);
  EXPECT_GE(monotonicMilliseconds() - start, 30);
}

}  // namespace
}  // namespace linkar::platform
