// Locks between processes on one shared data file: writers exclude each
// other and readers, readers share, table locks time out with 32 without
// spinning, and record holds keep other processes off one record.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include "runtime/error_codes.h"
#include "platform/clock.h"
#include "platform/pause.h"
#include "storage/keyed/lock_area.h"
#include "tests/storage/keyed/commit_test_support.h"
#include "tests/support/child_process.h"

namespace linkar::keyed::testing {
namespace {

constexpr int kChildLimitMs = 20000;
constexpr int kSignalLimitMs = 10000;

std::unique_ptr<FileAccess> openQuietly(const std::string& path) {
  std::unique_ptr<FileAccess> access;
  if (FileAccess::open(path, kSharedReadWrite, platform::Disposition::OpenAlways, {}, access) != 0)
    return nullptr;
  return access;
}

// One operation adding `key`: write access, change, commit, end.
int addEntry(FileAccess& access, const std::string& key) {
  if (const int rc = access.beginWrite()) return rc;
  access.file().beginOperation();
  Sdfbt(access.file()).put(key, "data of " + key);
  return access.endOperation(false, false);
}

std::int64_t cpuMilliseconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

TEST(Locking, TwoProcessesAddingToOneFileNeverLoseEachOthersEntries) {
  test::TempDir dir;
  const std::string path = dir.file("shared.sdf");
  constexpr int kEach = 60;
  test::ChildProcess child([&] {
    auto access = openQuietly(path);
    if (!access) return 1;
    for (int i = 0; i < kEach; ++i)
      if (addEntry(*access, "child" + std::to_string(i))) return 2;
    return 0;
  });
  auto access = openQuietly(path);
  ASSERT_TRUE(access);
  for (int i = 0; i < kEach; ++i) ASSERT_EQ(addEntry(*access, "parent" + std::to_string(i)), 0);
  ASSERT_EQ(child.wait(kChildLimitMs), 0);

  const Entries seen = entriesOf(*access);
  EXPECT_EQ(seen.size(), 2u * kEach);
  for (int i = 0; i < kEach; ++i) {
    EXPECT_TRUE(seen.count("child" + std::to_string(i))) << i;
    EXPECT_TRUE(seen.count("parent" + std::to_string(i))) << i;
  }
}

TEST(Locking, EachProcessSeesTheOthersEntryAtItsNextAccess) {
  test::TempDir dir;
  const std::string path = dir.file("shared.sdf");
  auto mine = openQuietly(path);
  ASSERT_TRUE(mine);
  ASSERT_EQ(addEntry(*mine, "first"), 0);
  EXPECT_EQ(entriesOf(*mine).size(), 1u);  // pages now cached here

  test::Rendezvous meet;
  test::ChildProcess child([&] {
    meet.becomeChild();
    auto access = openQuietly(path);
    if (!access || entriesOf(*access).size() != 1) return 1;
    if (addEntry(*access, "second")) return 2;
    meet.signal();
    return 0;
  });
  meet.becomeParent();
  ASSERT_TRUE(meet.waitFor(kSignalLimitMs));
  const Entries seen = entriesOf(*mine);
  EXPECT_TRUE(seen.count("first"));
  EXPECT_TRUE(seen.count("second"));
  EXPECT_EQ(child.wait(kChildLimitMs), 0);
}

TEST(Locking, AReaderHoldingItsSlotBlocksAWritersNextAccessUntilItEnds) {
  test::TempDir dir;
  const std::string path = dir.file("shared.sdf");
  {
    auto access = openQuietly(path);
    ASSERT_TRUE(access);
    ASSERT_EQ(addEntry(*access, "x"), 0);
  }
  constexpr int kHoldMs = 400;
  // Opened first: an open itself waits for readers, as a write access does.
  auto access = openQuietly(path);
  ASSERT_TRUE(access);
  test::Rendezvous meet;
  test::ChildProcess child([&] {
    meet.becomeChild();
    auto access = openQuietly(path);
    if (!access || access->beginAccess(AccessMode::Read)) return 1;
    meet.signal();
    platform::sleepMilliseconds(kHoldMs);
    access->endAccess();
    return 0;
  });
  meet.becomeParent();
  ASSERT_TRUE(meet.waitFor(kSignalLimitMs));
  // Readers share: a read access goes in at once.
  const std::int64_t r0 = platform::monotonicMilliseconds();
  ASSERT_EQ(access->beginAccess(AccessMode::Read), 0);
  EXPECT_LT(platform::monotonicMilliseconds() - r0, kHoldMs / 2);
  ASSERT_EQ(access->endAccess(), 0);
  // A writer waits for the reader.
  const std::int64_t w0 = platform::monotonicMilliseconds();
  ASSERT_EQ(access->beginWrite(), 0);
  EXPECT_GE(platform::monotonicMilliseconds() - w0, kHoldMs / 2);
  access->endAccess();
  EXPECT_EQ(child.wait(kChildLimitMs), 0);
}

TEST(Locking, ATableLockWithSecondsTimesOutWith32WithoutSpinning) {
  test::TempDir dir;
  const std::string path = dir.file("shared.sdf");
  constexpr std::uint32_t kTable = 1;
  test::Rendezvous meet;
  test::ChildProcess child([&] {
    meet.becomeChild();
    auto access = openQuietly(path);
    if (!access || access->locks().lockTable(kTable, -1)) return 1;
    meet.signal();
    if (!meet.waitFor(kSignalLimitMs)) return 2;
    return access->locks().unlockItem(kTable) ? 3 : 0;
  });
  meet.becomeParent();
  ASSERT_TRUE(meet.waitFor(kSignalLimitMs));
  auto access = openQuietly(path);
  ASSERT_TRUE(access);
  EXPECT_EQ(access->locks().tryLockItem(kTable), runtime::err::kFileIsAlreadyLocked);

  const std::int64_t t0 = platform::monotonicMilliseconds();
  const std::int64_t c0 = cpuMilliseconds();
  int idles = 0;
  platform::PauseHandler previous = platform::setPauseHandler([&](std::int64_t ms) {
    ++idles;
    platform::sleepMilliseconds(ms);
  });
  EXPECT_EQ(access->locks().lockTable(kTable, 1), runtime::err::kFileIsAlreadyLocked);
  platform::setPauseHandler(std::move(previous));
  const std::int64_t waited = platform::monotonicMilliseconds() - t0;
  EXPECT_GE(waited, 990);
  EXPECT_LT(waited, 3000);
  EXPECT_LT(cpuMilliseconds() - c0, 300) << "the wait must sleep between tries";
  EXPECT_GT(idles, 0) << "the window system gets its turn between tries";

  meet.signal();
  EXPECT_EQ(child.wait(kChildLimitMs), 0);
  // Once the holder is gone, LOCK without seconds gets it.
  EXPECT_EQ(access->locks().lockTable(kTable, -1), 0);
  EXPECT_EQ(access->locks().unlockItem(kTable), 0);
}

TEST(Locking, ARecordHoldKeepsOnlyThatRecordFromOtherProcesses) {
  test::TempDir dir;
  const std::string path = dir.file("shared.sdf");
  test::Rendezvous meet;
  test::ChildProcess child([&] {
    meet.becomeChild();
    auto access = openQuietly(path);
    if (!access || access->locks().tryLockItem(7)) return 1;
    meet.signal();
    return meet.waitFor(kSignalLimitMs) ? 0 : 2;
  });
  meet.becomeParent();
  ASSERT_TRUE(meet.waitFor(kSignalLimitMs));
  auto access = openQuietly(path);
  ASSERT_TRUE(access);
  EXPECT_EQ(access->locks().tryLockItem(7), runtime::err::kFileIsAlreadyLocked);
  EXPECT_EQ(access->locks().tryLockItem(8), 0);
  // Holds and table locks are apart from the access locks.
  EXPECT_EQ(access->beginWrite(), 0);
  access->endAccess();
  meet.signal();
  EXPECT_EQ(child.wait(kChildLimitMs), 0);
  EXPECT_EQ(access->locks().tryLockItem(7), 0);
}

TEST(Locking, LockBytesSitAboveTheWriterRangeAtTheStoredNumberReadLittleEndian) {
  EXPECT_EQ(itemLockOffset(1), 0x80000401ull + 0x01000000ull);
  EXPECT_EQ(itemLockOffset(0x01020304u), 0x80000401ull + 0x04030201ull);
  EXPECT_EQ(itemLockOffset(0xFDFFFFFFu), 0x80000401ull + 0xFFFFFFFDull);
  EXPECT_GT(itemLockOffset(0), kLockAreaBase + kWriterRangeLength);
  EXPECT_LE(kLockAreaBase + kReaderSlots, kItemLockBase);
}

}  // namespace
}  // namespace linkar::keyed::testing
