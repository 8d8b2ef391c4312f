// Procedure threads each own their files: record buffers, sequences, error
// state, transactions. Every procedure here waits for the user at message
// boxes, so the test decides the order in which they run, and a thread that
// waits for a lock another thread holds keeps the rest of the program going.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/check_open.h"
#include "app/records.h"
#include "platform/clock.h"
#include "runtime/error_codes.h"
#include "runtime/error_state.h"
#include "runtime/fixed_text.h"
#include "storage/layer/file_statements.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"
#include "ui/headless/test_driver.h"
#include "ui/statements.h"

namespace linkar::app {
namespace {

using namespace storage;

// How long a test lets a waiting thread take before it counts as hung.
constexpr int64_t kPatienceMs = 10000;

struct Site {
  std::string location;
  std::string description;
};

std::string trimmed(const char* field, size_t size) {
  return std::string(runtime::trimTrailingBlanks(std::string_view(field, size)));
}
std::string locationNow() { return trimmed(URL().LOCATION, sizeof URL().LOCATION); }
std::string descriptionNow() { return trimmed(URL().DESCRIPTION, sizeof URL().DESCRIPTION); }

// Adds a site through the current thread's LINKAR buffer.
void addSite(const Site& site) {
  fileClear(LINKAR);
  runtime::assignFixed(URL().LOCATION, sizeof URL().LOCATION, site.location);
  runtime::assignFixed(URL().DESCRIPTION, sizeof URL().DESCRIPTION, site.description);
  fileAdd(LINKAR);
}

// Every site in the file, by location, read in the home context.
std::vector<Site> sitesOnDisk() {
  std::vector<Site> out;
  fileOpen(LINKAR, kCheckOpenMode);
  fileSetKey(LINKAR, URL_K_LOCATION);
  for (fileNext(LINKAR); runtime::errorCode() == 0; fileNext(LINKAR))
    out.push_back({locationNow(), descriptionNow()});
  fileClose(LINKAR);
  return out;
}

bool hasLocation(const std::vector<Site>& sites, const std::string& location) {
  return std::any_of(sites.begin(), sites.end(), [&](const Site& s) { return s.location == location; });
}

// A waiting point of a procedure: a box the test answers.
void waitForUser(const std::string& who) { ui::message(who, who); }

class ThreadFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    // Locations and descriptions in different orders, so the two keys give
    // different sequences.
    for (int i = 0; i < kSites; ++i) {
      const int d = (i * 7 + 3) % kSites;
      m_sites.push_back({"http://site-" + std::to_string(10 + i) + ".example/",
                         "description " + std::string(1, static_cast<char>('a' + d))});
    }
    fileCreate(LINKAR);
    ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();
    fileOpen(LINKAR, kCheckOpenMode);
    for (const Site& site : m_sites) addSite(site);
    ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();
    fileClose(LINKAR);
  }

  std::vector<std::string> sortedBy(std::string Site::*field) const {
    std::vector<Site> sorted = m_sites;
    std::sort(sorted.begin(), sorted.end(), [&](const Site& a, const Site& b) { return a.*field < b.*field; });
    std::vector<std::string> out;
    for (const Site& s : sorted) out.push_back(s.location);
    return out;
  }

  // Starts a LOCK of LINKAR with a time limit against a lock held elsewhere
  // and a bystander thread: the bystander gets through while the LOCK
  // waits, and the LOCK gives up with 32 once its limit has passed.
  void expectTimedLockGivesUpWhileOthersRun();

  // Answers every box of the threads in turn until none is left.
  void answerInTurns(const std::vector<int>& threads) {
    for (bool any = true; any;) {
      any = false;
      for (int t : threads) {
        if (m_driver.messageBox(t) == nullptr) continue;
        ASSERT_TRUE(m_driver.answer("OK", t));
        any = true;
      }
    }
  }

  static constexpr int kSites = 12;
  test::TempDir m_dir;
  test::CurrentDirectoryScope m_here{m_dir.path()};
  std::vector<Site> m_sites;
  ui::TestDriver m_driver{programCatalogue()};
};

TEST_F(ThreadFiles, TwoThreadsReadingInTurnsKeepTheirOwnRecordSequenceAndError) {
  struct Reader {
    std::vector<std::string> seen;
    int buffersChangedWhileWaiting = 0;
    int32_t errorBeforeWait = -1;
    int32_t errorAfterWait = -1;
    bool done = false;
  };
  // Reads the whole file in one key's order, waiting for the user after
  // every record; at the end its failed read's error must survive a wait
  // while the other thread's statements succeed.
  auto reader = [](KeyDecl& key, Reader& r) {
    return [&key, &r] {
      CheckOpen(LINKAR);
      fileSetKey(LINKAR, key);
      for (fileNext(LINKAR); runtime::errorCode() == 0; fileNext(LINKAR)) {
        r.seen.push_back(locationNow());
        const std::string before = locationNow();
        waitForUser("next");
        if (locationNow() != before) ++r.buffersChangedWhileWaiting;
      }
      r.errorBeforeWait = runtime::errorCode();
      waitForUser("end");
      r.errorAfterWait = runtime::errorCode();
      fileClose(LINKAR);
      r.done = true;
    };
  };
  Reader byLocation, byDescription;
  const int t1 = m_driver.start(reader(URL_K_LOCATION, byLocation));
  // The second starts one record later, so their ends do not coincide.
  ASSERT_TRUE(m_driver.answer("OK", t1));
  const int t2 = m_driver.start(reader(URL_K_DESCRIPTION, byDescription));
  answerInTurns({t1, t2});
  ASSERT_TRUE(byLocation.done && byDescription.done);

  EXPECT_EQ(byLocation.seen, sortedBy(&Site::location));
  EXPECT_EQ(byDescription.seen, sortedBy(&Site::description));
  EXPECT_EQ(byLocation.buffersChangedWhileWaiting, 0);
  EXPECT_EQ(byDescription.buffersChangedWhileWaiting, 0);
  for (const Reader* r : {&byLocation, &byDescription}) {
    EXPECT_EQ(r->errorBeforeWait, runtime::err::kRecordNotAvailable);
    EXPECT_EQ(r->errorAfterWait, runtime::err::kRecordNotAvailable) << "another thread's statements reset this thread's error";
  }
}

TEST_F(ThreadFiles, AFormHoldingAnEditedRecordWritesBackExactlyItsOwnRecord) {
  const Site& edited = m_sites[5];
  int32_t putError = -1;
  const int form = m_driver.start([&] {
    CheckOpen(LINKAR);
    runtime::assignFixed(URL().LOCATION, sizeof URL().LOCATION, edited.location);
    fileGet(LINKAR, URL_K_LOCATION);
    if (runtime::errorCode() != 0) return;
    runtime::assignFixed(URL().DESCRIPTION, sizeof URL().DESCRIPTION, "changed by the form");
    waitForUser("form");  // the user is still typing
    filePut(LINKAR);
    putError = runtime::errorCode();
    fileClose(LINKAR);
  });
  ASSERT_NE(m_driver.messageBox(form), nullptr);
  // Meanwhile a browse reads every record into its own buffer.
  int browsed = 0;
  m_driver.start([&] {
    CheckOpen(LINKAR);
    fileSetKey(LINKAR, URL_K_DESCRIPTION);
    for (fileNext(LINKAR); runtime::errorCode() == 0; fileNext(LINKAR)) ++browsed;
    fileClose(LINKAR);
  });
  ASSERT_EQ(browsed, kSites);
  ASSERT_TRUE(m_driver.answer("OK", form));
  ASSERT_EQ(putError, 0);

  std::vector<Site> expected = m_sites;
  for (Site& s : expected)
    if (s.location == edited.location) s.description = "changed by the form";
  std::sort(expected.begin(), expected.end(), [](const Site& a, const Site& b) { return a.location < b.location; });
  const std::vector<Site> onDisk = sitesOnDisk();
  ASSERT_EQ(onDisk.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(onDisk[i].location, expected[i].location);
    EXPECT_EQ(onDisk[i].description, expected[i].description) << onDisk[i].location;
  }
}

// Thread A adds a site inside a transaction and asks the user whether to
// keep it; thread B adds another site meanwhile, and a third thread shows
// that the program is not frozen while B waits.
class ThreadTransactions : public ThreadFiles, public ::testing::WithParamInterface<bool> {};

TEST_P(ThreadTransactions, AnotherThreadsWriteWaitsForTheTransactionAndNeverJoinsIt) {
  const bool commit = GetParam();
  bool aDone = false, bDone = false, bystanderDone = false;
  int32_t bError = -1;
  const int a = m_driver.start([&] {
    CheckOpen(LINKAR);
    fileLogout(LINKAR);
    addSite({"http://in-transaction.example/", "A"});
    const int answer = ui::message("Keep it?", "A", {}, ui::Icon::kQuestion, ui::Button::kYes | ui::Button::kNo);
    if (answer == ui::Button::kYes)
      fileCommit(LINKAR);
    else
      fileRollback(LINKAR);
    fileClose(LINKAR);
    aDone = true;
  });
  ASSERT_NE(m_driver.messageBox(a), nullptr);
  m_driver.start([&] {
    CheckOpen(LINKAR);
    addSite({"http://outside.example/", "B"});
    bError = runtime::errorCode();
    fileClose(LINKAR);
    bDone = true;
  });
  EXPECT_FALSE(bDone) << "B's write must wait while A's transaction holds the file";
  const int bystander = m_driver.start([&] {
    waitForUser("bystander");
    bystanderDone = true;
  });
  ASSERT_TRUE(m_driver.answer("OK", bystander));
  EXPECT_TRUE(bystanderDone);
  EXPECT_FALSE(bDone);

  ASSERT_TRUE(m_driver.answer(commit ? "&Yes" : "&No", a));
  ASSERT_TRUE(m_driver.runUntil([&] { return bDone; }, kPatienceMs));
  EXPECT_TRUE(aDone);
  EXPECT_EQ(bError, 0);
  const std::vector<Site> onDisk = sitesOnDisk();
  EXPECT_TRUE(hasLocation(onDisk, "http://outside.example/")) << "a rollback undid another thread's write";
  EXPECT_EQ(hasLocation(onDisk, "http://in-transaction.example/"), commit);
  EXPECT_EQ(onDisk.size(), m_sites.size() + (commit ? 2 : 1));
}

INSTANTIATE_TEST_SUITE_P(CommitOrRollback, ThreadTransactions, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Commit" : "Rollback"; });

// A LOCK with a time limit against a lock held elsewhere: it gives up with
// 32 once the limit has passed, and the other threads run meanwhile.
struct TimedLock {
  int32_t error = -1;
  int64_t waitedMs = -1;
  bool done = false;
};

ui::Procedure timedLockOnLinkar(TimedLock& out, int seconds) {
  return [&out, seconds] {
    CheckOpen(LINKAR);
    const int64_t t0 = platform::monotonicMilliseconds();
    fileLockTimed(LINKAR, seconds);
    out.waitedMs = platform::monotonicMilliseconds() - t0;
    out.error = runtime::errorCode();
    fileClose(LINKAR);
    out.done = true;
  };
}

constexpr int kLockSeconds = 1;
constexpr int64_t kLockLimitMs = kLockSeconds * 1000;
// A resumed thread notices the passing of its limit within a few pauses.
constexpr int64_t kLockSlackMs = 400;

void ThreadFiles::expectTimedLockGivesUpWhileOthersRun() {
  TimedLock lock;
  m_driver.start(timedLockOnLinkar(lock, kLockSeconds));
  bool bystanderDone = false;
  const int bystander = m_driver.start([&] {
    waitForUser("bystander");
    bystanderDone = true;
  });
  ASSERT_TRUE(m_driver.answer("OK", bystander));
  EXPECT_TRUE(bystanderDone && !lock.done) << "the waiting thread must not keep the others from running";
  ASSERT_TRUE(m_driver.runUntil([&] { return lock.done; }, kPatienceMs));
  EXPECT_EQ(lock.error, runtime::err::kFileIsAlreadyLocked);
  EXPECT_GE(lock.waitedMs, kLockLimitMs);
  EXPECT_LT(lock.waitedMs, kLockLimitMs + kLockSlackMs);
}

TEST_F(ThreadFiles, ATimedLockAgainstAnotherThreadOfTheProcessTimesOutWhileOthersRun) {
  const int holder = m_driver.start([&] {
    CheckOpen(LINKAR);
    fileLock(LINKAR);
    waitForUser("holding");
    fileUnlock(LINKAR);
    fileClose(LINKAR);
  });
  ASSERT_NE(m_driver.messageBox(holder), nullptr);
  expectTimedLockGivesUpWhileOthersRun();
  ASSERT_TRUE(m_driver.answer("OK", holder));

  // Once the holder let go, the same LOCK is granted at once.
  TimedLock again;
  m_driver.start(timedLockOnLinkar(again, kLockSeconds));
  ASSERT_TRUE(m_driver.runUntil([&] { return again.done; }, kPatienceMs));
  EXPECT_EQ(again.error, 0);
}

TEST_F(ThreadFiles, ATimedLockAgainstAnotherProcessTimesOutWhileOthersRun) {
  test::Rendezvous meet;
  test::ChildProcess child([&] {
    meet.becomeChild();
    fileOpen(LINKAR, kCheckOpenMode);
    fileLock(LINKAR);
    if (runtime::errorCode() != 0) return 1;
    meet.signal();
    meet.waitFor(static_cast<int>(kPatienceMs));
    return 0;
  });
  meet.becomeParent();
  ASSERT_TRUE(meet.waitFor(static_cast<int>(kPatienceMs)));

  expectTimedLockGivesUpWhileOthersRun();

  meet.signal();
  EXPECT_EQ(child.wait(static_cast<int>(kPatienceMs)), 0);
}

}  // namespace
}  // namespace linkar::app
