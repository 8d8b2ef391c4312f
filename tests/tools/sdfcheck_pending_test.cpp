// sdfcheck over a data file left between the two phases of a commit: it names
// the unfinished commit and what the next open will do with it, exits 1, and
// leaves every byte of the file, and of the control file, as it was.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/file.h"
#include "storage/keyed/block_store.h"
#include "storage/keyed/commit.h"
#include "storage/keyed/data_file.h"
#include "storage/keyed/sdfbt.h"
#include "storage/keyed/transaction_marker.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace linkar::keyed {
namespace {

constexpr std::uint32_t kTransaction = 77;
constexpr int kEntries = 400;

std::string keyOf(int i) { return "entry " + std::to_string(100000 + i); }

class SdfcheckPending : public ::testing::Test {
 protected:
  void SetUp() override {
    std::unique_ptr<DataFile> file = openFile(m_path, platform::Disposition::CreateAlways);
    ASSERT_TRUE(file);
    Sdfbt tree(*file);
    for (int i = 0; i < kEntries; ++i) tree.insert(keyOf(i), "before");
    ASSERT_EQ(file->close(), 0);
  }

  static std::unique_ptr<DataFile> openFile(const std::string& path, platform::Disposition disposition) {
    platform::File raw;
    if (raw.open(path, platform::kAccessReadWrite | platform::kShareDenyNone, disposition) != 0) return nullptr;
    std::unique_ptr<DataFile> file;
    if (DataFile::open(std::make_unique<FileStore>(std::move(raw)), {}, file) != 0) return nullptr;
    return file;
  }

  // Changes every entry and logs the change (phase 0) without applying it,
  // as a process killed between the phases leaves it; with a marker when it
  // is part of a transaction over several files.
  void leavePending(bool marked, const std::string& controlName = {}) {
    std::unique_ptr<DataFile> file = openFile(m_path, platform::Disposition::OpenExisting);
    ASSERT_TRUE(file);
    Sdfbt tree(*file);
    for (int i = 0; i < kEntries; ++i) tree.put(keyOf(i), "after, and longer than before");
    if (marked) tree.put(markerKey(), encodeMarker({kTransaction, controlName.empty() ? m_control : controlName}));
    PendingCommit commit;
    ASSERT_EQ(commitPhase0(*file, commit), 0);
    ASSERT_TRUE(commit.logged);
  }

  // A control file that still lists the transaction: it never reached its commit point.
  void writeControlFile() {
    std::unique_ptr<DataFile> file = openFile(m_control, platform::Disposition::CreateAlways);
    ASSERT_TRUE(file);
    Sdfbt(*file).insert(controlEntryKey(kTransaction), "");
    ASSERT_EQ(file->close(), 0);
  }

  // Runs the checker; neither file may change.
  test::CommandRun check() {
    const std::string before = test::readWholeFile(m_path);
    const std::string control = test::readWholeFile(m_control);
    test::CommandRun run = test::runCommand(std::string(LINKAR_TOOLS_DIR) + "/sdfcheck " + m_path + " 2>&1", 60);
    EXPECT_EQ(test::readWholeFile(m_path), before);
    EXPECT_EQ(test::readWholeFile(m_control), control);
    return run;
  }

  test::TempDir m_dir;
  std::string m_path = m_dir.file("SITES.SDF");
  std::string m_control = m_dir.file("STRANDEL.TCF");
};

TEST_F(SdfcheckPending, ACommitOfOneFileIsNamedAsOneTheNextOpenCompletes) {
  leavePending(false);
  const test::CommandRun run = check();
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_NE(run.output.find("fault: an unfinished commit is left in the redo area"), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("the next open completes it"), std::string::npos) << run.output;
  // What follows is checked as the file will read: the changed entries.
  EXPECT_NE(run.output.find(std::to_string(kEntries + 1) + " entries"), std::string::npos) << run.output;
}

TEST_F(SdfcheckPending, ATransactionShortOfItsCommitPointIsNamedAsOneTheNextOpenRollsBack) {
  writeControlFile();
  leavePending(true);
  const test::CommandRun run = check();
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_NE(run.output.find("never reached its commit point, so the next open rolls it back"), std::string::npos)
      << run.output;
}

// A marker may name its control file by its name alone, beside the data
// file: the checker finds it there, wherever it is run from.
TEST_F(SdfcheckPending, AControlFileNamedBesideTheDataFileIsFoundThere) {
  writeControlFile();
  leavePending(true, "STRANDEL.TCF");
  const test::CommandRun run = check();
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_NE(run.output.find("so the next open rolls it back"), std::string::npos) << run.output;
}

// Another user, or another machine, that cannot see the control file: the
// checker says so rather than guess which way the commit went.
TEST_F(SdfcheckPending, ATransactionWhoseControlFileCannotBeOpenedIsNamed) {
  leavePending(true);
  const test::CommandRun run = check();
  EXPECT_EQ(run.status, 1) << run.output;
  EXPECT_NE(run.output.find("the transaction control file it names cannot be opened"), std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find("completes it"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace linkar::keyed
