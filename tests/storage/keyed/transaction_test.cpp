// LOGOUT, COMMIT and ROLLBACK over several data files, the transaction
// control file and its marker entries, and the SEND options "TCF=" and "PNM=".
#include <gtest/gtest.h>

#include "runtime/error_codes.h"
#include <sys/stat.h>

#include "storage/keyed/send_options.h"
#include "storage/keyed/transaction.h"
#include "tests/storage/keyed/commit_test_support.h"

namespace linkar::keyed::testing {
namespace {

namespace faults = platform::faults;

// The header at offset 0 names a redo area: a commit is pending.
bool pending(const std::string& path) {
  const std::string bytes = test::readWholeFile(path);
  if (bytes.size() < kHeaderSize) return false;
  return getLe32(bytesOf(bytes) + kHdrRedoStart) != getLe32(bytesOf(bytes) + kHdrRedoEnd);
}

bool exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

class TransactionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_dir = makeFastTempDir();
    m_txn.setControlFile(controlFile());
    for (int i = 0; i < 2; ++i) {
      m_paths.push_back(m_dir->file("f" + std::to_string(i) + ".sdf"));
      auto access = openAccess(m_paths.back());
      ASSERT_EQ(access->beginWrite(), 0);
      Entries model;
      std::mt19937 rng(10 + i);
      applyWorkload(access->file(), rng, model, 60, 6, 0);
      ASSERT_EQ(access->flush(), 0);
      m_before.push_back(model);
      m_files.push_back(std::move(access));
    }
  }

  std::string controlFile() const { return m_dir->file("control.tcf"); }

  // LOGOUT, then one changing operation on each file whose flag is set.
  void changeUnderLogout(std::vector<bool> which) {
    m_after = m_before;
    for (std::size_t i = 0; i < m_files.size(); ++i) {
      m_txn.logout(*m_files[i]);
      if (!which[i]) continue;
      ASSERT_EQ(m_files[i]->beginWrite(), 0);
      std::mt19937 rng(20 + static_cast<int>(i));
      applyWorkload(m_files[i]->file(), rng, m_after[i], 30, 6, 10);
      ASSERT_EQ(m_files[i]->endOperation(m_txn.enrolled(*m_files[i]), false), 0);
      EXPECT_TRUE(m_files[i]->dirty()) << "an operation under LOGOUT must not commit";
    }
  }

  Entries reopened(std::size_t i) {
    auto access = openAccess(m_paths[i]);
    return entriesOf(*access);
  }

  std::unique_ptr<test::TempDir> m_dir;
  Transaction m_txn;
  std::vector<std::string> m_paths;
  std::vector<std::unique_ptr<FileAccess>> m_files;
  std::vector<Entries> m_before;
  std::vector<Entries> m_after;
};

TEST_F(TransactionTest, RollbackLeavesEveryFileAsItWasAtLogout) {
  changeUnderLogout({true, true});
  m_txn.rollback();
  EXPECT_FALSE(m_txn.active());
  for (std::size_t i = 0; i < m_files.size(); ++i) {
    EXPECT_FALSE(m_files[i]->accessHeld());
    EXPECT_EQ(entriesOf(*m_files[i]), m_before[i]) << i;
    EXPECT_EQ(reopened(i), m_before[i]) << i;
  }
  EXPECT_FALSE(exists(controlFile()));
}

TEST_F(TransactionTest, CommitOverTwoFilesCreatesTheControlFileNamedByTcfAndEmptiesIt) {
  const std::string named = m_dir->file("fresh.tcf");
  std::string answer = "x";
  ASSERT_TRUE(answerFileOption("TCF=" + named, m_txn, nullptr, &answer));
  EXPECT_EQ(answer, "");
  EXPECT_EQ(m_txn.controlFile(), named);
  changeUnderLogout({true, true});
  ASSERT_EQ(m_txn.commit(), 0);
  EXPECT_FALSE(m_txn.active());
  ASSERT_TRUE(exists(named));
  for (std::size_t i = 0; i < m_files.size(); ++i) {
    EXPECT_EQ(reopened(i), m_after[i]) << i;
    bool sound = false;
    checkSound(m_paths[i], &sound);
    EXPECT_TRUE(sound) << i;
    // Each file carries the marker of this transaction.
    auto access = openAccess(m_paths[i]);
    ASSERT_EQ(access->beginAccess(AccessMode::Read), 0);
    const auto marker = Sdfbt(access->file()).find(markerKey());
    ASSERT_TRUE(marker.has_value());
    TransactionMarker parsed;
    ASSERT_TRUE(parseMarker(marker->data(), parsed));
    EXPECT_EQ(resolveMarkerControlName(parsed.controlFile, m_paths[i]), named);
    access->endAccess();
  }
  // Past the commit the control file lists nothing.
  auto control = openAccess(named);
  EXPECT_TRUE(entriesOf(*control).empty());
}

// A control file left without a header (its first commit failed while it
// was being made) held nothing: the next commit makes it afresh. A control
// file with other content that is no data file is not touched.
TEST_F(TransactionTest, AControlFileWhoseHeaderWasNeverWrittenIsMadeAfresh) {
  const std::string control = controlFile();
  ASSERT_TRUE(test::writeWholeFile(control, std::string(768, '\0')));
  changeUnderLogout({true, true});
  ASSERT_EQ(m_txn.commit(), 0);
  for (std::size_t i = 0; i < m_files.size(); ++i) EXPECT_EQ(reopened(i), m_after[i]) << i;
  auto remade = openAccess(control);
  EXPECT_TRUE(entriesOf(*remade).empty());
}

TEST_F(TransactionTest, AControlFileWithOtherContentIsLeftAloneAndTheCommitFails) {
  const std::string control = controlFile();
  const std::string garbage(768, 'x');
  ASSERT_TRUE(test::writeWholeFile(control, garbage));
  changeUnderLogout({true, true});
  EXPECT_EQ(m_txn.commit(), runtime::err::kInvalidDataFile);
  EXPECT_EQ(test::readWholeFile(control), garbage);
  for (std::size_t i = 0; i < m_files.size(); ++i) EXPECT_EQ(reopened(i), m_before[i]) << i;
}

TEST_F(TransactionTest, ACommitWithOneChangedFileNeedsNoControlFile) {
  changeUnderLogout({false, true});
  ASSERT_EQ(m_txn.commit(), 0);
  EXPECT_FALSE(exists(controlFile()));
  EXPECT_EQ(reopened(0), m_before[0]);
  EXPECT_EQ(reopened(1), m_after[1]);
}

// A file logged by a transaction that never reached its commit point is
// rolled back by whoever opens it next, even with the redo area complete.
TEST_F(TransactionTest, AnUnfinishedMultiFileCommitRollsBackEveryFile) {
  faults::FaultScope scope;
  changeUnderLogout({true, true});
  // Flushes: 4 for the control-file entry, then 2 per logged file; crash at
  // the commit point of the control-file entry's removal, both files logged.
  faults::armFault(faults::Fault::CrashAtFlush, 4 + 2 + 2 + 1);
  m_txn.commit();
  ASSERT_TRUE(faults::crashed());
  m_files.clear();
  faults::resetFaults();
  for (const std::string& path : m_paths) ASSERT_TRUE(pending(path)) << path;
  for (std::size_t i = 0; i < m_paths.size(); ++i) EXPECT_EQ(reopened(i), m_before[i]) << i;
}

TEST_F(TransactionTest, AnOldMarkerDoesNotRollBackALaterOneFileCommit) {
  faults::FaultScope scope;
  changeUnderLogout({true, true});
  ASSERT_EQ(m_txn.commit(), 0);
  // A later plain commit of file 0, stopped right after its commit point.
  ASSERT_EQ(m_files[0]->beginWrite(), 0);
  Entries later = m_after[0];
  std::mt19937 rng(99);
  applyWorkload(m_files[0]->file(), rng, later, 10, 2, 2);
  faults::armFault(faults::Fault::CrashAtFlush, 3);
  m_files[0]->flush();
  ASSERT_TRUE(faults::crashed());
  m_files.clear();
  faults::resetFaults();
  ASSERT_TRUE(pending(m_paths[0]));
  EXPECT_EQ(reopened(0), later);
}

// The marker a finished transaction left behind may name a number that a later
// unfinished transaction drew again (the clock gives the same hundredth, or
// the same time on another day), so the control file lists it once more. A
// plain commit stopped after its commit point must still be completed, not
// rolled back over the pages it had begun to rewrite.
TEST_F(TransactionTest, AMarkerWhoseNumberIsListedAgainDoesNotRollBackALaterOneFileCommit) {
  faults::FaultScope scope;
  changeUnderLogout({true, true});
  ASSERT_EQ(m_txn.commit(), 0);
  TransactionMarker left;
  {
    ASSERT_EQ(m_files[0]->beginAccess(AccessMode::Read), 0);
    const auto marker = Sdfbt(m_files[0]->file()).find(markerKey());
    m_files[0]->endAccess();
    ASSERT_TRUE(marker.has_value());
    ASSERT_TRUE(parseMarker(marker->data(), left));
  }
  {
    auto control = openAccess(left.controlFile);
    ASSERT_EQ(control->beginWrite(), 0);
    control->file().beginOperation();
    Sdfbt(control->file()).insert(controlEntryKey(left.number), {});
    ASSERT_EQ(control->flush(), 0);
  }
  for (long flush : {3L, 4L}) {
    ASSERT_EQ(m_files[0]->beginWrite(), 0);
    Entries later = entriesOf(*m_files[0]);
    std::mt19937 rng(static_cast<unsigned>(99 + flush));
    applyWorkload(m_files[0]->file(), rng, later, 40, 8, 8);
    faults::armFault(faults::Fault::CrashAtFlush, flush);
    m_files[0]->flush();
    ASSERT_TRUE(faults::crashed());
    m_files.clear();
    faults::resetFaults();
    ASSERT_TRUE(pending(m_paths[0]));
    EXPECT_EQ(reopened(0), later) << "crash at flush " << flush;
    bool sound = false;
    checkSound(m_paths[0], &sound);
    EXPECT_TRUE(sound) << "crash at flush " << flush;
    m_files.push_back(openAccess(m_paths[0]));
  }
}

TEST_F(TransactionTest, PnmListsTheTablesOfAFileInOrderThenAnEmptyText) {
  auto& access = *m_files[0];
  ASSERT_EQ(access.beginWrite(), 0);
  access.file().beginOperation();
  Sdfbt tree(access.file());
  for (const char* name : {"B", "A", "AB"}) {
    std::string number;
    appendBe32(number, access.file().issueNumber());
    tree.put(std::string(1, static_cast<char>(kNamePrefix)) + name, number);
  }
  ASSERT_EQ(access.flush(), 0);
  std::vector<std::string> names;
  std::string answer;
  std::string option = "PNM=";
  for (int guard = 0; guard < 10; ++guard) {
    ASSERT_TRUE(answerFileOption(option, m_txn, &access, &answer));
    if (answer.empty()) break;
    names.push_back(answer);
    option = "PNM=" + answer;
  }
  // The workload's own table is there too.
  EXPECT_EQ(names, (std::vector<std::string>{"A", "AB", "B", "SITES"}));
  EXPECT_FALSE(access.accessHeld());
  EXPECT_FALSE(answerFileOption("QUICKSCAN=on", m_txn, &access, &answer));
}

TEST(ControlFile, LivesBesideTheFirstEnrolledFileAndMarkersNameItRelativeToTheirOwnFolder) {
  test::TempDir dir;
  test::CurrentDirectoryScope here(dir.path());
  const std::string beside = dir.path() + "/" + kControlFileName;
  EXPECT_EQ(defaultControlFile("LINKAR.SDF"), beside);
  Transaction txn;
  EXPECT_EQ(txn.controlFile(), "") << "no default before a file is enrolled";
  auto first = openAccess(dir.file("LINKAR.SDF"));
  auto second = openAccess(dir.file("CATEGORIES.SDF"));
  txn.logout(*first);
  txn.logout(*second);
  EXPECT_EQ(txn.controlFile(), beside);

  // A marker beside its control file names it relatively, and that name
  // means the same file from any working folder; elsewhere it is absolute.
  EXPECT_EQ(markerControlName(beside, dir.file("LINKAR.SDF")), kControlFileName);
  EXPECT_EQ(resolveMarkerControlName(kControlFileName, dir.file("LINKAR.SDF")), beside);
  EXPECT_EQ(markerControlName("/elsewhere/x.tcf", dir.file("LINKAR.SDF")), "/elsewhere/x.tcf");
  EXPECT_EQ(resolveMarkerControlName("/elsewhere/x.tcf", dir.file("LINKAR.SDF")), "/elsewhere/x.tcf");

  txn.setControlFile("sub/../other.tcf");
  EXPECT_EQ(txn.controlFile(), dir.path() + "/other.tcf");
  txn.rollback();
}

TEST(TransactionMarker, RoundTripsAndRefusesMalformedData) {
  const TransactionMarker marker{0x01020304u, "/state/strandel.tcf"};
  TransactionMarker parsed;
  ASSERT_TRUE(parseMarker(encodeMarker(marker), parsed));
  EXPECT_EQ(parsed.number, marker.number);
  EXPECT_EQ(parsed.controlFile, marker.controlFile);
  EXPECT_FALSE(parseMarker(std::string("\x01\x02\x03\x04name", 8), parsed));  // no terminator
  EXPECT_FALSE(parseMarker(std::string("\x01\x02\x03", 3), parsed));
  EXPECT_FALSE(parseMarker(std::string("\x01\x02\x03\x04\0", 5), parsed));     // no name
  // Control-file keys sort by number.
  EXPECT_LT(controlEntryKey(0x000000FFu), controlEntryKey(0x00000100u));
}

}  // namespace
}  // namespace linkar::keyed::testing
