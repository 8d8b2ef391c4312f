// Thread contexts over real data files: each context has its own record
// buffer, open, counter and transaction of a threaded declaration, and a
// context that ends closes what its thread left open, committing it.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "runtime/error_state.h"
#include "storage/layer/file_statements.h"
#include "storage/layer/thread_context.h"
#include "tests/storage/keyed/strandel_test_records.h"
#include "tests/support/temp_dir.h"

namespace linkar::storage {
namespace {

constexpr int32_t kLogoutAlreadyActive = 56;
// Sites added under STREAM: few enough that nothing is committed before the
// file is closed.
constexpr int kStreamedSites = 30;

class ThreadContexts : public ::testing::Test {
 protected:
  void SetUp() override {
    m_files.LINKAR.threaded = true;
    m_files.LINKAR.record = nullptr;
    m_files.SITEINFO.buffer = nullptr;
    fileCreate(m_files.LINKAR);
    ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();
  }

  // Adds a site through the current context's buffer of LINKAR.
  int addSite(int n) {
    m_files.setSite(test::textNumber("http://site", n, ".example/"), "d", "c", 1, "k");
    std::memcpy(recordOf(m_files.LINKAR), m_files.siteBytes().data(), test::kLinkarRecordLength);
    fileAdd(m_files.LINKAR);
    return runtime::errorCode();
  }

  test::TempDir m_dir;
  test::LinkarFiles m_files{m_dir.file("LINKAR.SDF"), m_dir.file("CATEGORIES.SDF")};
};

TEST_F(ThreadContexts, EachContextHasItsOwnBufferOpenCounterAndTransaction) {
  FileDecl& linkar = m_files.LINKAR;
  auto a = std::make_unique<ThreadContext>();
  auto b = std::make_unique<ThreadContext>();
  switchThreadContext(a.get());
  uint8_t* bufferA = recordOf(linkar);
  ++openCountOf(linkar);
  fileOpen(linkar, test::kOpenShared);
  ASSERT_EQ(runtime::errorCode(), 0);
  fileLogout(linkar);
  ASSERT_EQ(runtime::errorCode(), 0);

  switchThreadContext(b.get());
  EXPECT_NE(recordOf(linkar), bufferA);
  // A new thread's buffer starts cleared: texts blank, the rating zero.
  m_files.clearSite();
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(recordOf(linkar)), test::kLinkarRecordLength),
            m_files.siteBytes());
  EXPECT_EQ(openCountOf(linkar), 0);
  // B's file is not open: its own open, not A's, answers.
  fileLogout(linkar);
  EXPECT_EQ(runtime::errorCode(), 37);
  fileOpen(linkar, test::kOpenShared);
  ASSERT_EQ(runtime::errorCode(), 0);
  fileLogout(linkar);
  ASSERT_EQ(runtime::errorCode(), 0) << "A's transaction is not B's";

  // A's ROLLBACK ends A's transaction only: B's goes on.
  switchThreadContext(a.get());
  fileRollback(linkar);
  ASSERT_EQ(runtime::errorCode(), 0);
  fileLogout(linkar);
  EXPECT_EQ(runtime::errorCode(), 0);
  switchThreadContext(b.get());
  fileLogout(linkar);
  EXPECT_EQ(runtime::errorCode(), kLogoutAlreadyActive);
  fileCommit(linkar);
  switchThreadContext(a.get());
  fileCommit(linkar);
  switchThreadContext(nullptr);
}

TEST_F(ThreadContexts, AContextThatEndsClosesItsFilesAndCommitsWhatTheyHeld) {
  auto streaming = std::make_unique<ThreadContext>();
  switchThreadContext(streaming.get());
  fileOpen(m_files.LINKAR, test::kOpenShared);
  fileStream(m_files.LINKAR);
  for (int n = 0; n < kStreamedSites; ++n) ASSERT_EQ(addSite(n), 0);
  switchThreadContext(nullptr);
  streaming.reset();  // the thread ended without closing LINKAR

  fileOpen(m_files.LINKAR, test::kOpenShared);
  ASSERT_EQ(runtime::errorCode(), 0);
  EXPECT_EQ(fileRecords(m_files.LINKAR), kStreamedSites);
  fileClose(m_files.LINKAR);
}

}  // namespace
}  // namespace linkar::storage
