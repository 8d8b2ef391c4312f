// Commits through the redo area: the order of writes and flushes that keeps
// committed bytes safe, failed writes and flushes, the change counter that
// drops a stale page cache, and the end of an operation under LOGOUT and
// STREAM.
#include <gtest/gtest.h>

#include "storage/keyed/commit.h"
#include "tests/storage/keyed/commit_test_support.h"

namespace linkar::keyed::testing {
namespace {

namespace faults = platform::faults;

// Remembers every write and flush of a store, in order.
struct IoEvent {
  bool flush;
  std::uint64_t offset;
  std::size_t length;
};

class TracingStore final : public BlockStore {
 public:
  TracingStore(std::unique_ptr<BlockStore> inner, std::vector<IoEvent>* events)
      : m_inner(std::move(inner)), m_events(events) {}
  int read(std::uint64_t o, void* b, std::size_t n, std::size_t* got) override {
    return m_inner->read(o, b, n, got);
  }
  int write(std::uint64_t o, const void* d, std::size_t n) override {
    m_events->push_back({false, o, n});
    return m_inner->write(o, d, n);
  }
  int size(std::uint64_t* out) override { return m_inner->size(out); }
  int setSize(std::uint64_t s) override { return m_inner->setSize(s); }
  int flush() override {
    m_events->push_back({true, 0, 0});
    return m_inner->flush();
  }
  bool writable() const override { return m_inner->writable(); }

 private:
  std::unique_ptr<BlockStore> m_inner;
  std::vector<IoEvent>* m_events;
};

class CommitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = makeFastTempDir();
    m_path = m_dir->file("sites.sdf");
    auto access = openAccess(m_path);
    ASSERT_EQ(access->beginWrite(), 0);
    std::mt19937 rng(3);
    applyWorkload(access->file(), rng, m_before, 150, 12, 0);
    ASSERT_EQ(access->flush(), 0);
    ASSERT_EQ(access->close(), 0);
    m_bytes = test::readWholeFile(m_path);
  }

  // Changes the file in an open access; the state they lead to is m_after.
  std::unique_ptr<FileAccess> change() {
    auto access = openAccess(m_path);
    EXPECT_EQ(access->beginWrite(), 0);
    m_after = m_before;
    std::mt19937 rng(4);
    applyWorkload(access->file(), rng, m_after, 50, 12, 25);
    return access;
  }

  Entries reopened() {
    auto access = openAccess(m_path);
    return entriesOf(*access);
  }

  std::unique_ptr<test::TempDir> m_dir;
  std::string m_path;
  std::string m_bytes;
  Entries m_before;
  Entries m_after;
};

TEST_F(CommitTest, CommittedBytesAreOverwrittenOnlyAfterTheRedoAreaIsDurable) {
  std::vector<IoEvent> events;
  setStoreWrapper([&](std::unique_ptr<BlockStore> inner, const std::string&) {
    return std::make_unique<TracingStore>(std::move(inner), &events);
  });
  auto access = change();
  const std::uint64_t committedEnd = access->file().committedHeader().dataEnd();
  events.clear();
  ASSERT_EQ(access->flush(), 0);
  setStoreWrapper({});

  int flushes = 0;
  bool headerLogged = false;
  bool homesWritten = false;
  for (const IoEvent& e : events) {
    if (e.flush) {
      ++flushes;
      continue;
    }
    if (e.offset == 0) {
      // The logged header follows the first flush; the reset header the third.
      EXPECT_TRUE(flushes == 1 || flushes == 3) << "header written after flush " << flushes;
      headerLogged = headerLogged || flushes == 1;
      continue;
    }
    if (e.offset < committedEnd) {
      EXPECT_GE(flushes, 2) << "committed page at " << e.offset << " overwritten before the commit point";
      homesWritten = true;
    }
  }
  EXPECT_EQ(flushes, kFlushesPerCommit);
  EXPECT_TRUE(headerLogged);
  EXPECT_TRUE(homesWritten) << "the workload should rewrite committed pages";
  EXPECT_EQ(reopened(), m_after);
}

TEST_F(CommitTest, AFailedFlushBeforeTheCommitPointReportsTheErrorAndChangesNothing) {
  faults::FaultScope scope;
  for (long n : {1, 2}) {
    ASSERT_TRUE(test::writeWholeFile(m_path, m_bytes));
    auto access = change();
    faults::armFault(faults::Fault::FailFlush, n);
    EXPECT_NE(access->flush(), 0) << "flush " << n;
    faults::resetFaults();
    // The process that saw the failure reads the committed state again.
    EXPECT_EQ(entriesOf(*access), m_before) << "flush " << n;
    access.reset();
    EXPECT_EQ(reopened(), m_before) << "flush " << n;
    bool sound = false;
    checkSound(m_path, &sound);
    EXPECT_TRUE(sound);
  }
}

TEST_F(CommitTest, AFailedFlushAfterTheCommitPointStillCommits) {
  faults::FaultScope scope;
  for (long n : {3, 4}) {
    ASSERT_TRUE(test::writeWholeFile(m_path, m_bytes));
    auto access = change();
    faults::armFault(faults::Fault::FailFlush, n);
    EXPECT_EQ(access->flush(), 0) << "flush " << n;
    faults::resetFaults();
    access.reset();
    EXPECT_EQ(reopened(), m_after) << "flush " << n;
  }
}

// Every write may fail outright or half-way: the commit either reports the
// error and leaves the committed state, or succeeds; the file stays sound.
TEST_F(CommitTest, FailedAndShortWritesAtEveryPointLeaveOneStateOrTheOther) {
  faults::FaultScope scope;
  for (faults::Fault fault : {faults::Fault::FailWrite, faults::Fault::ShortWrite}) {
    for (long n = 1;; ++n) {
      ASSERT_TRUE(test::writeWholeFile(m_path, m_bytes));
      auto access = change();
      faults::armFault(fault, n);
      const int rc = access->flush();
      const bool struck = faults::faultTriggered();
      faults::resetFaults();
      access.reset();
      const Entries seen = reopened();
      bool sound = false;
      checkSound(m_path, &sound);
      EXPECT_TRUE(sound) << "write " << n;
      if (rc != 0) {
        EXPECT_EQ(seen, m_before) << "write " << n << ": a failed commit must change nothing";
      } else {
        EXPECT_EQ(seen, m_after) << "write " << n;
      }
      if (!struck || ::testing::Test::HasFailure()) break;
    }
  }
}

TEST_F(CommitTest, AnotherOpenSeesCommittedChangesAtItsNextAccessAndKeepsItsCacheOtherwise) {
  auto reader = openAccess(m_path);
  EXPECT_EQ(entriesOf(*reader), m_before);
  const std::size_t cached = reader->file().cache().size();
  ASSERT_GT(cached, 0u);
  // Nothing changed: the next access keeps the pages.
  ASSERT_EQ(reader->beginAccess(AccessMode::Read), 0);
  EXPECT_EQ(reader->file().cache().size(), cached);
  reader->endAccess();

  auto writer = change();
  ASSERT_EQ(writer->flush(), 0);
  ASSERT_EQ(reader->beginAccess(AccessMode::Read), 0);
  EXPECT_EQ(reader->file().header().changes, writer->file().header().changes);
  EXPECT_EQ(entriesOf(*reader), m_after);
  reader->endAccess();
}

TEST_F(CommitTest, OperationsUnderLogoutOrShortStreamsLeaveTheCommitForLater) {
  auto access = change();
  EXPECT_EQ(access->endOperation(true, false), 0);
  EXPECT_TRUE(access->dirty());
  EXPECT_TRUE(access->accessHeld());
  ASSERT_LT(access->file().cache().dirtyCount(), kStreamCommitPages);
  EXPECT_EQ(access->endOperation(false, true), 0);
  EXPECT_TRUE(access->dirty());
  EXPECT_EQ(access->endOperation(false, false), 0);
  EXPECT_FALSE(access->dirty());
  EXPECT_FALSE(access->accessHeld());
  access.reset();
  EXPECT_EQ(reopened(), m_after);
}

TEST_F(CommitTest, AReadOnlyOpenReadsAFinishedCommitFromTheRedoAreaWithoutWriting) {
  faults::FaultScope scope;
  {
    auto access = change();
    // Crash as phase 1 begins: the commit point is passed, nothing is home.
    faults::armFault(faults::Fault::CrashAtFlush, 3);
    access->flush();
    ASSERT_TRUE(faults::crashed());
    access.reset();
    faults::resetFaults();
  }
  const std::string pending = test::readWholeFile(m_path);
  {
    auto reader = openAccess(m_path, kSharedRead);
    EXPECT_EQ(entriesOf(*reader), m_after);
  }
  EXPECT_EQ(test::readWholeFile(m_path), pending) << "a read-only open must not write";
  // A writable open settles the file for good.
  EXPECT_EQ(reopened(), m_after);
  bool sound = false;
  checkSound(m_path, &sound);
  EXPECT_TRUE(sound);
}

TEST_F(CommitTest, ADamagedRedoAreaOrHeaderIsRefusedAsAnInvalidDataFile) {
  // A header whose redo bounds point at bytes that are no page images.
  std::string bytes = m_bytes;
  const std::uint32_t end = static_cast<std::uint32_t>(bytes.size() + 2 * kUnit);
  bytes.resize(end, '\x5A');
  auto* h = reinterpret_cast<std::uint8_t*>(bytes.data());
  putLe32(h + kHdrRedoStart, static_cast<std::uint32_t>(m_bytes.size() / kUnit * kUnit));
  putLe32(h + kHdrRedoEnd, end);
  ASSERT_TRUE(test::writeWholeFile(m_path, bytes));
  std::unique_ptr<FileAccess> access;
  EXPECT_EQ(FileAccess::open(m_path, kSharedReadWrite, platform::Disposition::OpenExisting, {}, access),
            runtime::err::kInvalidDataFile);

  // A garbled header sector.
  bytes = m_bytes;
  for (std::size_t i = 0; i < kHeaderSize; ++i) bytes[i] = static_cast<char>(i * 37 + 11);
  ASSERT_TRUE(test::writeWholeFile(m_path, bytes));
  EXPECT_EQ(FileAccess::open(m_path, kSharedReadWrite, platform::Disposition::OpenExisting, {}, access),
            runtime::err::kInvalidDataFile);
}

// A second open of the file rewrites every page in place; the first open's
// next access must read the new bytes, not the images it read before.
TEST(CachedImages, AnotherOpensCommitIsSeenAtTheNextAccess) {
  const auto dir = makeFastTempDir();
  const std::string path = dir->file("shared.sdf");
  auto reader = openAccess(path);
  auto writer = openAccess(path);
  Entries model;
  {
    ASSERT_EQ(writer->beginWrite(), 0);
    Sdfbt tree(writer->file());
    for (int i = 0; i < 600; ++i) {
      const std::string k = "key" + std::to_string(1000 + i);
      model[k] = std::string(120, 'a');
      tree.insert(k, model[k]);
    }
    ASSERT_EQ(writer->flush(), 0);
  }
  ASSERT_EQ(entriesOf(*reader), model);
  for (char round : {'b', 'c'}) {
    ASSERT_EQ(writer->beginWrite(), 0);
    Sdfbt tree(writer->file());
    // Same lengths: every page keeps its size and its place in the file.
    for (auto& [k, v] : model) {
      v.assign(120, round);
      tree.put(k, v);
    }
    ASSERT_EQ(writer->flush(), 0);
    EXPECT_EQ(entriesOf(*reader), model) << "after round " << round;
  }
}

}  // namespace
}  // namespace linkar::keyed::testing

