// Crash consistency of commits. A one-file commit and a three-file
// LOGOUT/COMMIT are stopped at every write and every flush they make; the
// writes not yet flushed are then dropped, written, torn per 512-byte sector
// or garbled, and each file must reopen sound holding exactly its state
// before or after the commit (all files the same side). Recovery itself is
// crashed too, and must be repeatable.
//
// CI runs one workload seed, every flush point and every fifth write point
// (plus the first ones), with smaller workloads. The full sweep visits every
// point of larger workloads over several seeds:
//   LINKAR_CRASH_FULL=1 LINKAR_CRASH_SEEDS=10 build/tests/test_storage_keyed_crash_matrix_test
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "storage/keyed/recovery.h"
#include "storage/keyed/transaction.h"
#include "tests/storage/keyed/commit_test_support.h"

namespace linkar::keyed::testing {
namespace {

namespace faults = platform::faults;

// Every fifth write point in the short run; all of them in the full sweep.
constexpr long kShortWriteStride = 5;
constexpr long kShortFirstWrites = 3;

bool fullSweep() { return std::getenv("LINKAR_CRASH_FULL") != nullptr; }

bool visitWrite(long n) {
  return fullSweep() || n <= kShortFirstWrites || n % kShortWriteStride == 0;
}

// Workload sizes: records in the base files; records added, memos resized
// and records deleted by the commit under test.
struct Sizes {
  int base, inserts, resizes, deletes;
};
Sizes sizes() { return fullSweep() ? Sizes{400, 120, 25, 60} : Sizes{150, 50, 12, 25}; }

int seedCount() {
  const char* text = std::getenv("LINKAR_CRASH_SEEDS");
  const int n = text ? std::atoi(text) : 1;
  return n > 0 ? n : 1;
}

struct Tally {
  long points = 0;       // crash points visited (write or flush, per damage model)
  long recoveries = 0;   // crash points visited inside recovery
  long before = 0;
  long after = 0;
};

// Files set up once, then put back byte for byte before every run.
class CrashRig {
 public:
  CrashRig(const test::TempDir& dir, int files, std::uint32_t seed) : m_seed(seed) {
    for (int i = 0; i < files; ++i) m_paths.push_back(dir.file("f" + std::to_string(i) + ".sdf"));
    m_control = dir.file("crash.tcf");
    std::mt19937 rng(seed);
    for (const std::string& path : m_paths) {
      auto access = openAccess(path);
      EXPECT_EQ(access->beginWrite(), 0);
      Entries model;
      applyWorkload(access->file(), rng, model, sizes().base, sizes().base / 12, 0);
      EXPECT_EQ(access->flush(), 0);
      EXPECT_EQ(access->close(), 0);
      m_before.push_back(model);
      m_bytes.push_back(test::readWholeFile(path));
    }
  }

  void restore() {
    for (std::size_t i = 0; i < m_paths.size(); ++i)
      ASSERT_TRUE(test::writeWholeFile(m_paths[i], m_bytes[i]));
    std::remove(m_control.c_str());
    std::remove(defaultControlFile(m_paths.front()).c_str());
  }

  // Opens the files and makes the changes of the commit under test; the
  // states after it land in m_after.
  std::vector<std::unique_ptr<FileAccess>> change(Transaction* txn) {
    std::vector<std::unique_ptr<FileAccess>> open;
    m_after.clear();
    std::mt19937 rng(m_seed * 7919u + 1);
    for (std::size_t i = 0; i < m_paths.size(); ++i) {
      open.push_back(openAccess(m_paths[i]));
      EXPECT_EQ(open.back()->beginWrite(), 0);
      Entries model = m_before[i];
      applyWorkload(open.back()->file(), rng, model, sizes().inserts, sizes().resizes,
                    sizes().deletes);
      m_after.push_back(model);
      if (txn) txn->logout(*open.back());
    }
    return open;
  }

  // Reopens every file (recovering it) and checks the all-before or
  // all-after rule. Returns +1 after, -1 before, 0 on a failure.
  int verify(const std::string& where) {
    int side = 0;
    for (std::size_t i = 0; i < m_paths.size(); ++i) {
      Entries seen;
      int rc = 0;
      const int fault = runGuarded([&] {
        std::unique_ptr<FileAccess> access;
        rc = FileAccess::open(m_paths[i], kSharedReadWrite, platform::Disposition::OpenExisting,
                              {}, access);
        if (rc == 0) seen = entriesOf(*access);
      });
      EXPECT_EQ(fault, 0) << where << " file " << i << ": structural fault";
      EXPECT_EQ(rc, 0) << where << " file " << i;
      if (rc || fault) return 0;
      bool sound = false;
      const Entries checked = checkSound(m_paths[i], &sound);
      EXPECT_TRUE(sound) << where << " file " << i;
      EXPECT_EQ(checked, seen) << where << " file " << i;
      const int mine = seen == m_after[i] ? 1 : seen == m_before[i] ? -1 : 0;
      EXPECT_NE(mine, 0) << where << " file " << i << " holds neither state";
      if (mine == 0) return 0;
      if (side == 0) side = mine;
      EXPECT_EQ(mine, side) << where << " file " << i << " disagrees with file 0";
      if (mine != side) return 0;
    }
    return side;
  }

  const std::string& control() const { return m_control; }
  const std::vector<std::string>& paths() const { return m_paths; }

 private:
  std::uint32_t m_seed;
  std::vector<std::string> m_paths;
  std::string m_control;
  std::vector<Entries> m_before;
  std::vector<Entries> m_after;
  std::vector<std::string> m_bytes;
};

// Runs one commit with a crash armed at `n`; true when the crash struck.
// `sendControlFile` false: the transaction's default control file.
bool crashCommit(CrashRig& rig, bool several, bool atFlush, long n, Damage damage,
                 std::uint32_t seed, bool sendControlFile = true) {
  RecordingScope recording;
  Transaction txn;
  if (sendControlFile) txn.setControlFile(rig.control());
  auto open = rig.change(several ? &txn : nullptr);
  faults::armFault(atFlush ? faults::Fault::CrashAtFlush : faults::Fault::CrashAtWrite, n);
  const int rc = several ? txn.commit() : open.front()->flush();
  const bool struck = faults::faultTriggered();
  if (!struck) {
    EXPECT_EQ(rc, 0);
  }
  open.clear();
  faults::resetFaults();
  applyDamage(damage, seed);
  return struck;
}

// Crashes the recovery of every file at its `k`th write or flush, lets the
// damage model act on what it had not flushed, and verifies.
bool crashRecovery(CrashRig& rig, bool atFlush, long k, Damage damage, std::uint32_t seed,
                   const std::string& where, Tally& tally) {
  bool struck = false;
  {
    RecordingScope recording;
    faults::armFault(atFlush ? faults::Fault::CrashAtFlush : faults::Fault::CrashAtWrite, k);
    for (const std::string& path : rig.paths()) {
      std::unique_ptr<FileAccess> access;
      FileAccess::open(path, kSharedReadWrite, platform::Disposition::OpenExisting, {}, access);
      if (faults::crashed()) break;
    }
    struck = faults::faultTriggered();
    faults::resetFaults();
    applyDamage(damage, seed);
  }
  ++tally.recoveries;
  rig.verify(where);
  return struck;
}

// Writes and flushes of the commit under test, counted on a run without faults.
std::pair<long, long> countPoints(CrashRig& rig, bool several) {
  rig.restore();
  Transaction txn;
  txn.setControlFile(rig.control());
  auto open = rig.change(several ? &txn : nullptr);
  faults::armFault(faults::Fault::None, 0);
  EXPECT_EQ(several ? txn.commit() : open.front()->flush(), 0);
  const std::pair<long, long> counts{faults::writesSinceArmed(), faults::flushesSinceArmed()};
  faults::resetFaults();
  return counts;
}

void sweep(int files, bool several, Tally& tally) {
  faults::FaultScope scope;
  for (int s = 0; s < seedCount(); ++s) {
    const auto dir = makeFastTempDir();
    CrashRig rig(*dir, files, 1000u + static_cast<std::uint32_t>(s));
    const auto [writes, flushes] = countPoints(rig, several);
    EXPECT_EQ(flushes % kFlushesPerCommit, 0);
    for (Damage damage : kAllDamage) {
      for (bool atFlush : {false, true}) {
        const long last = atFlush ? flushes : writes;
        // One point past the last: the crash never strikes and the commit stands.
        for (long n = 1; n <= last + 1; ++n) {
          if (!atFlush && n <= last && !visitWrite(n)) continue;
          rig.restore();
          const std::uint32_t seed = static_cast<std::uint32_t>(s * 100000 + n * 10 + atFlush);
          const bool struck = crashCommit(rig, several, atFlush, n, damage, seed);
          const std::string where = std::string(damageName(damage)) + (atFlush ? " flush " : " write ") +
                                    std::to_string(n) + " seed " + std::to_string(s);
          EXPECT_EQ(struck, n <= last) << where;
          const int side = rig.verify(where);
          if (::testing::Test::HasFailure()) return;
          if (!struck) {
            EXPECT_EQ(side, 1) << where << ": a commit that was not stopped must stand";
            break;
          }
          ++tally.points;
          (side > 0 ? tally.after : tally.before) += 1;
          // Crash the recovery of this state at its first write and its
          // first flush, under the same damage model.
          if (damage == Damage::Written || damage == Damage::Torn) {
            for (bool recoveryAtFlush : {false, true}) {
              rig.restore();
              crashCommit(rig, several, atFlush, n, damage, seed);
              crashRecovery(rig, recoveryAtFlush, 1, damage, seed + 1, where + " recovery", tally);
              if (::testing::Test::HasFailure()) return;
            }
          }
        }
      }
    }
  }
}

void report(const char* what, const Tally& t) {
  std::printf("%s: %ld commit crash points (%ld before, %ld after), %ld recovery crash points\n",
              what, t.points, t.before, t.after, t.recoveries);
}

TEST(CrashMatrix, OneFileCommitIsAllOrNothingAtEveryPoint) {
  Tally tally;
  sweep(1, false, tally);
  report("one file", tally);
  EXPECT_GT(tally.before, 0);
  EXPECT_GT(tally.after, 0);
}

TEST(CrashMatrix, ThreeFileCommitIsAllOrNothingAtEveryPoint) {
  Tally tally;
  sweep(3, true, tally);
  report("three files", tally);
  EXPECT_GT(tally.before, 0);
  EXPECT_GT(tally.after, 0);
}

// Recovery crashed at every one of its own points, again and again, still
// ends in the committed state.
TEST(CrashMatrix, RecoveryIsRepeatableAtEveryPoint) {
  faults::FaultScope scope;
  const auto dir = makeFastTempDir();
  CrashRig rig(*dir, 1, 77);
  Tally tally;
  for (Damage damage : kAllDamage) {
    for (bool atFlush : {false, true}) {
      for (long k = 1;; ++k) {
        rig.restore();
        // Stopped after the commit point: the next opener must roll forward.
        ASSERT_TRUE(crashCommit(rig, false, true, 3, Damage::Dropped, 5));
        const std::string where = std::string("recovery ") + damageName(damage) +
                                  (atFlush ? " flush " : " write ") + std::to_string(k);
        const bool struck = crashRecovery(rig, atFlush, k, damage, static_cast<std::uint32_t>(k), where, tally);
        if (::testing::Test::HasFailure()) return;
        if (!struck) break;
      }
    }
  }
  std::printf("recovery: %ld crash points\n", tally.recoveries);
}

// A two-file commit with the default control file, crashed at every flush
// point by a writer whose state folder then vanishes (another user, or
// another machine sharing the data folder, recovers): every file ends on
// the same side, since the control file lies beside the data files.
TEST(CrashMatrix, TwoFileCommitIsSettledAlikeByAnotherUsersRecovery) {
  faults::FaultScope scope;
  const auto dir = makeFastTempDir();
  const test::TempDir writerState;
  const std::string hidden = writerState.path() + ".hidden";
  CrashRig rig(*dir, 2, 4242);
  Tally tally;
  for (long n = 1;; ++n) {
    rig.restore();
    bool struck = false;
    {
      test::EnvironmentScope state("XDG_STATE_HOME", writerState.path().c_str());
      struck = crashCommit(rig, true, true, n, Damage::Dropped, 9, false);
    }
    ASSERT_EQ(std::rename(writerState.path().c_str(), hidden.c_str()), 0);
    const std::string where = "flush " + std::to_string(n);
    const int side = rig.verify(where);
    ASSERT_EQ(std::rename(hidden.c_str(), writerState.path().c_str()), 0);
    if (::testing::Test::HasFailure()) return;
    if (!struck) break;
    ++tally.points;
    (side > 0 ? tally.after : tally.before) += 1;
  }
  report("two files, another user recovering", tally);
  EXPECT_GT(tally.before, 0);
  EXPECT_GT(tally.after, 0);
}

// An interrupted two-file commit whose control file is gone: whether it
// reached its commit point cannot be told, so the files that hold its
// pending log refuse to open and stay exactly as they were.
TEST(CrashMatrix, AnUnfinishedCommitWhoseControlFileIsGoneIsRefusedNotGuessed) {
  faults::FaultScope scope;
  const auto dir = makeFastTempDir();
  CrashRig rig(*dir, 2, 4343);
  long refusedPoints = 0;
  for (long n = 1;; ++n) {
    rig.restore();
    const bool struck = crashCommit(rig, true, true, n, Damage::Dropped, 11, false);
    if (!struck) break;
    std::vector<std::string> before;
    for (const std::string& path : rig.paths()) before.push_back(test::readWholeFile(path));
    std::remove(defaultControlFile(rig.paths().front()).c_str());
    bool anyRefused = false;
    for (std::size_t i = 0; i < rig.paths().size(); ++i) {
      std::unique_ptr<FileAccess> access;
      const int rc =
          FileAccess::open(rig.paths()[i], kSharedReadWrite, platform::Disposition::OpenExisting, {}, access);
      if (rc == 0) continue;
      EXPECT_EQ(rc, kControlFileUnreadable) << "flush " << n << " file " << i;
      EXPECT_EQ(test::readWholeFile(rig.paths()[i]), before[i]) << "a refused file was changed";
      anyRefused = true;
    }
    refusedPoints += anyRefused;
  }
  EXPECT_GT(refusedPoints, 0) << "no crash point left a pending commit across files";
}

}  // namespace
}  // namespace linkar::keyed::testing
