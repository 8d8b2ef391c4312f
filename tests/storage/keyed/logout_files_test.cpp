// LOGOUT over several files with a lock time limit: both files in one
// transaction that commits or rolls back as a whole, the locks let go when
// it ends, a lock held elsewhere ending in 48 with nothing left begun or
// locked, and a transaction already active refused with 56. "Elsewhere" is
// a second thread context, which shares the data files as another process
// would: through their locks.
#include <gtest/gtest.h>

#include <string>

#include "runtime/error_codes.h"
#include "runtime/error_state.h"
#include "storage/layer/driver_instance.h"
#include "storage/layer/file_statements.h"
#include "storage/layer/thread_files.h"
#include "tests/storage/keyed/strandel_test_records.h"
#include "storage/layer/thread_context.h"
#include "tests/support/temp_dir.h"

namespace linkar::test {
namespace {

using namespace linkar::storage;

constexpr int32_t kLockSeconds = 1;

int code() { return runtime::errorCode(); }

bool inState(FileDecl& file, uint32_t bits) {
  const auto& instance = instanceOf(file);
  return instance && instance->has(bits);
}

class LogoutFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    fileCreate(m_files.LINKAR);
    fileCreate(m_files.Categories);
    fileOpen(m_files.LINKAR, kOpenShared);
    fileOpen(m_files.Categories, kOpenShared);
    ASSERT_EQ(m_files.addSite("http://kept.example/", "Kept", "News", 1, "k"), 0);
    addCategory("News");
  }
  void TearDown() override {
    fileClose(m_files.LINKAR);
    fileClose(m_files.Categories);
  }

  void addCategory(std::string_view name) {
    m_files.setCat(name);
    fileAdd(m_files.Categories);
    EXPECT_EQ(code(), 0) << runtime::errorText();
  }
  int32_t sites() { return fileRecords(m_files.LINKAR); }
  int32_t categories() { return fileRecords(m_files.Categories); }

  // A change to each file inside the transaction.
  void changeBoth() {
    ASSERT_EQ(m_files.addSite("http://new.example/", "New", "Press", 2, "k"), 0);
    addCategory("Press");
  }

  // Runs `work` in the other thread context, on files of its own.
  template <typename Work>
  auto elsewhere(Work work) {
    ThreadContext* home = switchThreadContext(m_other.get());
    auto result = work(m_otherFiles);
    switchThreadContext(home);
    return result;
  }

  // Whether the other context can lock both files at once (and lets go).
  bool othersCanLockBoth() {
    return elsewhere([](LinkarFiles& files) {
      fileOpen(files.LINKAR, kOpenShared);
      fileOpen(files.Categories, kOpenShared);
      fileLogoutFiles(0, {&files.LINKAR, &files.Categories});
      const bool locked = code() == 0;
      if (locked) fileEndLogoutFiles(false, {&files.LINKAR, &files.Categories});
      fileClose(files.LINKAR);
      fileClose(files.Categories);
      return locked;
    });
  }

  TempDir m_dir;
  LinkarFiles m_files{m_dir.file("LINKAR"), m_dir.file("CATEGORIES")};
  LinkarFiles m_otherFiles{m_dir.file("LINKAR"), m_dir.file("CATEGORIES")};
  std::unique_ptr<ThreadContext> m_other = std::make_unique<ThreadContext>();
};

TEST_F(LogoutFiles, BothFilesCommitTogetherAndTheirLocksAreLetGo) {
  fileLogoutFiles(2, {&m_files.LINKAR, &m_files.Categories});
  ASSERT_EQ(code(), 0) << runtime::errorText();
  EXPECT_TRUE(inState(m_files.LINKAR, kStateTransaction | kStateLocked));
  EXPECT_TRUE(inState(m_files.Categories, kStateTransaction | kStateLocked));
  EXPECT_FALSE(othersCanLockBoth()) << "the transaction holds its files";
  changeBoth();
  fileEndLogoutFiles(true, {&m_files.LINKAR, &m_files.Categories});
  ASSERT_EQ(code(), 0) << runtime::errorText();
  EXPECT_FALSE(inState(m_files.LINKAR, kStateTransaction) || inState(m_files.LINKAR, kStateLocked));
  EXPECT_FALSE(inState(m_files.Categories, kStateTransaction) || inState(m_files.Categories, kStateLocked));
  EXPECT_EQ(sites(), 2);
  EXPECT_EQ(categories(), 2);
  EXPECT_TRUE(othersCanLockBoth());

  // And the next transaction over the same files begins as the first did.
  fileLogoutFiles(2, {&m_files.LINKAR, &m_files.Categories});
  EXPECT_EQ(code(), 0) << runtime::errorText();
  fileEndLogoutFiles(true, {&m_files.LINKAR, &m_files.Categories});
  EXPECT_EQ(code(), 0) << runtime::errorText();
}

TEST_F(LogoutFiles, ARollbackLeavesBothFilesAsTheyWere) {
  fileLogoutFiles(2, {&m_files.LINKAR, &m_files.Categories});
  ASSERT_EQ(code(), 0) << runtime::errorText();
  changeBoth();
  fileEndLogoutFiles(false, {&m_files.LINKAR, &m_files.Categories});
  EXPECT_EQ(code(), 0) << runtime::errorText();
  EXPECT_EQ(sites(), 1);
  EXPECT_EQ(categories(), 1);
  EXPECT_TRUE(othersCanLockBoth());
}

TEST_F(LogoutFiles, ALockHeldElsewhereGivesUpWith48AndLeavesNothingBegunOrLocked) {
  ASSERT_TRUE(elsewhere([](LinkarFiles& files) {
    fileOpen(files.Categories, kOpenShared);
    fileLock(files.Categories);
    return code() == 0;
  }));

  // LINKAR is locked and begun before Categories refuses: both are undone.
  fileLogoutFiles(kLockSeconds, {&m_files.LINKAR, &m_files.Categories});
  EXPECT_EQ(code(), runtime::err::kUnableToLogTransaction);
  EXPECT_FALSE(inState(m_files.LINKAR, kStateTransaction) || inState(m_files.LINKAR, kStateLocked));
  EXPECT_FALSE(inState(m_files.Categories, kStateTransaction) || inState(m_files.Categories, kStateLocked));
  // With no transaction left, a change is written at once.
  ASSERT_EQ(m_files.addSite("http://after.example/", "After", "News", 3, "k"), 0);
  EXPECT_EQ(elsewhere([](LinkarFiles& files) {
    fileUnlock(files.Categories);
    fileClose(files.Categories);
    fileOpen(files.LINKAR, kOpenShared);
    const int32_t n = fileRecords(files.LINKAR);
    fileClose(files.LINKAR);
    return n;
  }), 2);
  EXPECT_TRUE(othersCanLockBoth());
}

TEST_F(LogoutFiles, ATransactionAlreadyActiveIsRefusedWith56AndKeepsItsChanges) {
  fileLogout(m_files.LINKAR);
  ASSERT_EQ(code(), 0);
  ASSERT_EQ(m_files.addSite("http://earlier.example/", "Earlier", "News", 1, "k"), 0);
  fileLogoutFiles(2, {&m_files.Categories, &m_files.LINKAR});
  EXPECT_EQ(code(), runtime::err::kLogoutAlreadyActive);
  EXPECT_FALSE(inState(m_files.Categories, kStateTransaction) || inState(m_files.Categories, kStateLocked));
  EXPECT_TRUE(inState(m_files.LINKAR, kStateTransaction));
  fileCommit(m_files.LINKAR);
  EXPECT_EQ(code(), 0);
  EXPECT_EQ(sites(), 2);
}

}  // namespace
}  // namespace linkar::test
