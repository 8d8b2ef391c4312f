// Recovery of unfinished commits found at the next open or access: read-only
// views, the transaction control file's say, strange markers, and opens that
// deny others writing.
#include <gtest/gtest.h>

#include "storage/keyed/transaction.h"
#include "tests/storage/keyed/commit_test_support.h"

namespace linkar::keyed::testing {
namespace {

namespace faults = platform::faults;

constexpr std::uint8_t kDenyWriteReadWrite = platform::kAccessReadWrite | platform::kShareDenyWrite;

class RecoveryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = makeFastTempDir();
    m_control = m_dir->file("control.tcf");
    for (int i = 0; i < 2; ++i) {
      m_paths.push_back(m_dir->file("f" + std::to_string(i) + ".sdf"));
      auto access = openAccess(m_paths.back());
      EXPECT_EQ(access->beginWrite(), 0);
      Entries model;
      std::mt19937 rng(30 + i);
      applyWorkload(access->file(), rng, model, 80, 8, 0);
      EXPECT_EQ(access->flush(), 0);
      m_before.push_back(model);
    }
  }

  // A two-file commit crashed at its `flush`th flush; m_after holds the
  // states it was making.
  void crashTwoFileCommit(long flush) {
    faults::FaultScope scope;
    Transaction txn;
    txn.setControlFile(m_control);
    std::vector<std::unique_ptr<FileAccess>> open;
    m_after = m_before;
    for (std::size_t i = 0; i < m_paths.size(); ++i) {
      open.push_back(openAccess(m_paths[i]));
      txn.logout(*open.back());
      ASSERT_EQ(open.back()->beginWrite(), 0);
      std::mt19937 rng(40 + static_cast<int>(i));
      applyWorkload(open.back()->file(), rng, m_after[i], 30, 5, 10);
    }
    faults::armFault(faults::Fault::CrashAtFlush, flush);
    txn.commit();
    ASSERT_TRUE(faults::crashed());
  }

  Entries readOnly(std::size_t i) {
    auto access = openAccess(m_paths[i], kSharedRead);
    return access ? entriesOf(*access) : Entries{};
  }

  std::unique_ptr<test::TempDir> m_dir;
  std::string m_control;
  std::vector<std::string> m_paths;
  std::vector<Entries> m_before;
  std::vector<Entries> m_after;
};

// Flushes of a two-file commit with a fresh control file: 4 to enter the
// number, 2 per logged file, then the removal's first flush.
constexpr long kBeforeRemoval = 4 + 2 + 2 + 1;
// The removal's second flush: its header write is the commit point.
constexpr long kAfterRemoval = 4 + 2 + 2 + 4 + 1;

TEST_F(RecoveryTest, ReadOnlyOpensSeeTheRightSideOfAnUnfinishedMultiFileCommit) {
  crashTwoFileCommit(kBeforeRemoval);
  const std::string bytes0 = test::readWholeFile(m_paths[0]);
  EXPECT_EQ(readOnly(0), m_before[0]);
  EXPECT_EQ(readOnly(1), m_before[1]);
  EXPECT_EQ(test::readWholeFile(m_paths[0]), bytes0);

  crashTwoFileCommit(kAfterRemoval);
  EXPECT_EQ(readOnly(0), m_after[0]);
  EXPECT_EQ(readOnly(1), m_after[1]);
}

TEST_F(RecoveryTest, AFileThatDeniesWritingIsRecoveredByItsOwnOpen) {
  crashTwoFileCommit(kAfterRemoval);
  for (std::size_t i = 0; i < m_paths.size(); ++i) {
    std::unique_ptr<FileAccess> access;
    ASSERT_EQ(FileAccess::open(m_paths[i], kDenyWriteReadWrite, platform::Disposition::OpenExisting,
                               {}, access),
              0);
    EXPECT_EQ(access->sharing(), Sharing::DenyWrite);
    EXPECT_EQ(entriesOf(*access), m_after[i]);
    // And it commits on its own, with the header kept between accesses.
    ASSERT_EQ(access->beginWrite(), 0);
    std::mt19937 rng(50);
    applyWorkload(access->file(), rng, m_after[i], 5, 1, 1);
    ASSERT_EQ(access->flush(), 0);
    access.reset();
    bool sound = false;
    EXPECT_EQ(checkSound(m_paths[i], &sound), m_after[i]);
    EXPECT_TRUE(sound);
  }
}

// A marker that names the data file itself as its control file must not
// send recovery round in circles.
TEST_F(RecoveryTest, AMarkerNamingItsOwnFileEndsWithoutLooping) {
  faults::FaultScope scope;
  const std::string& path = m_paths[0];
  {
    auto access = openAccess(path);
    ASSERT_EQ(access->beginWrite(), 0);
    access->file().beginOperation();
    Sdfbt(access->file()).put(markerKey(), encodeMarker({1234, path}));
    Entries after = m_before[0];
    std::mt19937 rng(60);
    applyWorkload(access->file(), rng, after, 20, 3, 3);
    m_before[0] = after;
    faults::armFault(faults::Fault::CrashAtFlush, 3);
    access->flush();
    ASSERT_TRUE(faults::crashed());
  }
  faults::resetFaults();
  std::unique_ptr<FileAccess> access;
  const int rc = FileAccess::open(path, kSharedReadWrite, platform::Disposition::OpenExisting, {}, access);
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(entriesOf(*access), m_before[0]);
}

TEST_F(RecoveryTest, AControlFileThatIsNoDataFileListsNothing) {
  crashTwoFileCommit(kBeforeRemoval);
  ASSERT_TRUE(test::writeWholeFile(m_control, "not a data file"));
  // Nothing says the transaction is unfinished: both files go forward together.
  for (std::size_t i = 0; i < m_paths.size(); ++i) {
    auto access = openAccess(m_paths[i]);
    EXPECT_EQ(entriesOf(*access), m_after[i]) << i;
  }
}

}  // namespace
}  // namespace linkar::keyed::testing
