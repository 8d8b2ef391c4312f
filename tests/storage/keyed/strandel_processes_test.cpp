// Several processes on one shared LINKAR file: concurrent adders and
// scanners lose nothing and see a consistent order; holds keep a record
// from other processes' reads and writes; a watched record changed
// elsewhere cannot be put back over the change.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "platform/file.h"
#include "runtime/error_state.h"
#include "storage/keyed/block_store.h"
#include "storage/keyed/file_checker.h"
#include "storage/layer/file_statements.h"
#include "storage/layer/thread_context.h"
#include "tests/storage/keyed/strandel_test_records.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace linkar::test {
namespace {

using namespace linkar::storage;

constexpr int kChildLimitMs = 120000;  // no child may run longer than this
constexpr int kStepLimitMs = 20000;    // nor wait longer for its partner

int code() { return runtime::errorCode(); }

std::vector<std::string> checkFile(const std::string& path) {
  platform::File file;
  if (const int rc = file.open(path, platform::kAccessRead | platform::kShareDenyNone)) return {"open failed " + std::to_string(rc)};
  return keyed::checkDataFile(std::make_unique<keyed::FileStore>(std::move(file)), {}).faults;
}

std::string siteLocation(int writer, int i) {
  return "http://w" + std::to_string(writer) + "-" + std::to_string(i) + ".example/";
}

TEST(StrandelProcesses, FourAddersAndTwoScannersLoseNothing) {
  TempDir dir;
  constexpr int kWriters = 4;
  constexpr int kPerWriter = 2000;
  constexpr int kBatch = 50;  // ADDs per LOGOUT/COMMIT, so the run stays short
  {
    LinkarFiles files(dir.file("LINKAR"), dir.file("CATEGORIES"));
    fileCreate(files.LINKAR);
    ASSERT_EQ(code(), 0);
  }
  std::vector<std::unique_ptr<ChildProcess>> children;
  for (int w = 0; w < kWriters; ++w) {
    children.push_back(std::make_unique<ChildProcess>([&, w] {
      LinkarFiles files(dir.file("LINKAR"), dir.file("CATEGORIES"));
      fileOpen(files.LINKAR, kOpenShared);
      if (code()) return 10;
      for (int i = 0; i < kPerWriter; ++i) {
        if (i % kBatch == 0) fileLogout(files.LINKAR);
        if (files.addSite(siteLocation(w, i), "Writer " + std::to_string(w), "Cat" + std::to_string(i % 7), i % 10,
                          textNumber("k", i % 3), textNumber("info ", i)))
          return 11;
        if (i % kBatch == kBatch - 1) {
          fileCommit(files.LINKAR);
          if (code()) return 12;
        }
      }
      fileClose(files.LINKAR);
      return code() ? 13 : 0;
    }));
  }
  for (int s = 0; s < 2; ++s) {
    children.push_back(std::make_unique<ChildProcess>([&, s] {
      LinkarFiles files(dir.file("LINKAR"), dir.file("CATEGORIES"));
      fileOpen(files.LINKAR, kOpenReadOnly);
      if (code()) return 20;
      KeyDecl& key = s == 0 ? files.K_LOCATION : files.K_CATEGORY;
      for (int scan = 0; scan < 200; ++scan) {
        fileSetKey(files.LINKAR, key);
        std::set<int32_t> seen;
        std::string previous;
        for (fileNext(files.LINKAR); code() == 0; fileNext(files.LINKAR)) {
          if (!seen.insert(filePointer(files.LINKAR)).second) return 21;  // met twice in one scan
          std::string value = s == 0 ? LinkarFiles::trim(files.location())
                                     : files.category() + "|" + files.location();
          for (char& c : value) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
          if (!previous.empty() && value < previous) return 22;  // out of order
          previous = value;
        }
        if (code() != 33) return 23;
        if (seen.size() == kWriters * kPerWriter) break;
      }
      fileClose(files.LINKAR);
      return 0;
    }));
  }
  for (auto& child : children) EXPECT_EQ(child->wait(kChildLimitMs), 0);

  LinkarFiles files(dir.file("LINKAR"), dir.file("CATEGORIES"));
  fileOpen(files.LINKAR, kOpenShared);
  ASSERT_EQ(code(), 0);
  EXPECT_EQ(fileRecords(files.LINKAR), kWriters * kPerWriter);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(fileRecordsKey(files.LINKAR, *files.linkarKey(k)), kWriters * kPerWriter);
  std::set<std::string> locations;
  fileSetKey(files.LINKAR, files.K_LOCATION);
  for (fileNext(files.LINKAR); code() == 0; fileNext(files.LINKAR)) locations.insert(files.location());
  EXPECT_EQ(locations.size(), static_cast<size_t>(kWriters * kPerWriter));
  for (int w = 0; w < kWriters; ++w) {
    EXPECT_EQ(locations.count(siteLocation(w, 0)), 1u);
    EXPECT_EQ(locations.count(siteLocation(w, kPerWriter - 1)), 1u);
  }
  fileClose(files.LINKAR);
  EXPECT_EQ(checkFile(dir.file("LINKAR.SDF")), std::vector<std::string>{});
}

class StrandelTwoProcesses : public ::testing::Test {
 protected:
  void SetUp() override {
    LinkarFiles files(dir.file("LINKAR"), dir.file("CATEGORIES"));
    fileCreate(files.LINKAR);
    fileOpen(files.LINKAR, kOpenShared);
    ASSERT_EQ(files.addSite("http://held.example/", "Held", "C", 1, "k", "before"), 0);
    number = filePointer(files.LINKAR);
    fileClose(files.LINKAR);
  }
  TempDir dir;
  int32_t number = 0;
};

TEST_F(StrandelTwoProcesses, AHeldRecordRefusesOtherReadersAndWriters) {
  Rendezvous meet;
  ChildProcess child([&] {
    meet.becomeChild();
    LinkarFiles files(dir.file("LINKAR"), dir.file("CATEGORIES"));
    fileOpen(files.LINKAR, kOpenShared);
    if (!meet.waitFor(kStepLimitMs)) return 1;  // the parent holds the record now
    fileHoldTimed(files.LINKAR, 1);
    fileGetPosition(files.LINKAR, number);
    if (code() != 43) return 2;
    fileGetPosition(files.LINKAR, number);  // without a hold the read succeeds
    if (code() != 0) return 3;
    files.setDescription("changed elsewhere");
    filePut(files.LINKAR);
    if (code() != 5) return 4;
    fileDelete(files.LINKAR);
    if (code() != 33) return 5;
    meet.signal();
    if (!meet.waitFor(kStepLimitMs)) return 6;  // the parent released it
    fileHold(files.LINKAR);
    fileGetPosition(files.LINKAR, number);
    if (code() != 0) return 7;
    files.setDescription("changed elsewhere");
    filePut(files.LINKAR);
    if (code() != 0) return 8;
    fileClose(files.LINKAR);
    return 0;
  });
  meet.becomeParent();
  LinkarFiles files(dir.file("LINKAR"), dir.file("CATEGORIES"));
  fileOpen(files.LINKAR, kOpenShared);
  fileHold(files.LINKAR);
  fileGetPosition(files.LINKAR, number);
  ASSERT_EQ(code(), 0);
  meet.signal();
  ASSERT_TRUE(meet.waitFor(kStepLimitMs));
  // A PUT that changes nothing still gives the hold up.
  filePut(files.LINKAR);
  ASSERT_EQ(code(), 0);
  meet.signal();
  EXPECT_EQ(child.wait(kChildLimitMs), 0);
  fileGetPosition(files.LINKAR, number);
  EXPECT_EQ(files.description(), "changed elsewhere");
  fileClose(files.LINKAR);
}

// Another process changes the watched record's fields, or only its memo:
// either way the watched PUT is refused, and the change survives.
class StrandelWatch : public StrandelTwoProcesses, public ::testing::WithParamInterface<bool> {};

TEST_P(StrandelWatch, AWatchedRecordChangedElsewhereIsNotPutBack) {
  const bool memoOnly = GetParam();
  Rendezvous meet;
  ChildProcess child([&] {
    meet.becomeChild();
    if (!meet.waitFor(kStepLimitMs)) return 1;
    LinkarFiles files(dir.file("LINKAR"), dir.file("CATEGORIES"));
    fileOpen(files.LINKAR, kOpenShared);
    fileGetPosition(files.LINKAR, number);
    if (memoOnly)
      files.setInfo("changed elsewhere");
    else
      files.setKeyword("other");
    filePut(files.LINKAR);
    if (code() != 0) return 2;
    fileClose(files.LINKAR);
    meet.signal();
    return 0;
  });
  meet.becomeParent();
  LinkarFiles files(dir.file("LINKAR"), dir.file("CATEGORIES"));
  fileOpen(files.LINKAR, kOpenShared);
  fileWatch(files.LINKAR);
  fileGetPosition(files.LINKAR, number);
  ASSERT_EQ(code(), 0);
  meet.signal();
  ASSERT_TRUE(meet.waitFor(kStepLimitMs));
  EXPECT_EQ(child.wait(kChildLimitMs), 0);
  files.setDescription("mine");
  filePut(files.LINKAR);
  EXPECT_EQ(code(), 89);
  // Reading it again clears the condition; the other process's change stays.
  fileGetPosition(files.LINKAR, number);
  const std::string keyword = memoOnly ? "k" : "other";
  const std::string info = memoOnly ? "changed elsewhere" : "before";
  EXPECT_EQ(files.keyword(), keyword);
  EXPECT_EQ(files.info(), info);
  files.setDescription("mine");
  filePut(files.LINKAR);
  EXPECT_EQ(code(), 0);
  fileGetPosition(files.LINKAR, number);
  EXPECT_EQ(files.keyword(), keyword);
  EXPECT_EQ(files.info(), info);
  EXPECT_EQ(files.description(), "mine");
  fileClose(files.LINKAR);
}

INSTANTIATE_TEST_SUITE_P(FieldsOrMemo, StrandelWatch, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "MemoOnly" : "Fields"; });

TEST_F(StrandelTwoProcesses, EachSeesTheOthersRecordsAtItsNextAccess) {
  LinkarFiles files(dir.file("LINKAR"), dir.file("CATEGORIES"));
  Rendezvous meet;
  ChildProcess child([&] {
    meet.becomeChild();
    LinkarFiles mine(dir.file("LINKAR"), dir.file("CATEGORIES"));
    fileOpen(mine.LINKAR, kOpenShared);
    if (mine.addSite("http://child.example/", "Child", "C", 1, "k")) return 1;
    meet.signal();
    if (!meet.waitFor(kStepLimitMs)) return 2;
    mine.setLocation("http://parent.example/");
    fileGet(mine.LINKAR, mine.K_LOCATION);
    if (code() != 0) return 3;
    fileClose(mine.LINKAR);
    return 0;
  });
  meet.becomeParent();
  fileOpen(files.LINKAR, kOpenShared);
  ASSERT_EQ(code(), 0);
  ASSERT_TRUE(meet.waitFor(kStepLimitMs));
  EXPECT_EQ(fileRecords(files.LINKAR), 2);
  files.setLocation("http://child.example/");
  fileGet(files.LINKAR, files.K_LOCATION);
  EXPECT_EQ(code(), 0);
  ASSERT_EQ(files.addSite("http://parent.example/", "Parent", "C", 1, "k"), 0);
  meet.signal();
  EXPECT_EQ(child.wait(kChildLimitMs), 0);
  fileClose(files.LINKAR);
}

// A file another open holds, in another process or on another procedure
// thread of this one, is neither removed, nor renamed over, nor created
// anew: each is refused with 5 and the file and the holder's records stay.
TEST_F(StrandelTwoProcesses, AFileAnotherOpenHoldsIsNeitherRemovedNorReplaced) {
  const std::string path = dir.file("LINKAR.SDF");
  const std::string other = dir.file("OTHER.SDF");
  {
    LinkarFiles files(other, dir.file("CATEGORIES"));
    fileCreate(files.LINKAR);
  }
  auto refusedWhileHeld = [&](const std::function<void()>& holdOpen, const std::function<void()>& letGo) {
    const std::string before = readWholeFile(path);
    holdOpen();
    LinkarFiles files(dir.file("LINKAR"), dir.file("CATEGORIES"));
    fileRemove(files.LINKAR);
    EXPECT_EQ(code(), 5) << "REMOVE";
    fileCreate(files.LINKAR);
    EXPECT_EQ(code(), 5) << "CREATE over it";
    LinkarFiles renamed(other, dir.file("CATEGORIES"));
    fileRename(renamed.LINKAR, path);
    EXPECT_EQ(code(), 5) << "RENAME over it";
    letGo();
    EXPECT_EQ(readWholeFile(path), before);
  };

  Rendezvous meet;
  ChildProcess child([&] {
    meet.becomeChild();
    LinkarFiles files(dir.file("LINKAR"), dir.file("CATEGORIES"));
    fileOpen(files.LINKAR, kOpenShared);
    if (code() != 0) return 1;
    meet.signal();
    if (!meet.waitFor(kStepLimitMs)) return 2;
    // The holder's file is still its own: what it adds stays.
    if (files.addSite("http://after.example/", "After", "C", 1, "k") != 0) return 3;
    fileClose(files.LINKAR);
    return 0;
  });
  meet.becomeParent();
  refusedWhileHeld([&] { ASSERT_TRUE(meet.waitFor(kStepLimitMs)); }, [] {});
  meet.signal();
  EXPECT_EQ(child.wait(kChildLimitMs), 0);
  {
    LinkarFiles files(dir.file("LINKAR"), dir.file("CATEGORIES"));
    fileOpen(files.LINKAR, kOpenShared);
    EXPECT_EQ(fileRecords(files.LINKAR), 2);
    fileClose(files.LINKAR);
  }

  // The same against an open of another procedure thread of this process.
  storage::ThreadContext holder;
  LinkarFiles held(dir.file("LINKAR"), dir.file("CATEGORIES"));
  refusedWhileHeld(
      [&] {
        storage::switchThreadContext(&holder);
        fileOpen(held.LINKAR, kOpenShared);
        storage::switchThreadContext(nullptr);
      },
      [&] {
        storage::switchThreadContext(&holder);
        fileClose(held.LINKAR);
        storage::switchThreadContext(nullptr);
      });
  // With nobody holding it, REMOVE goes through.
  LinkarFiles files(dir.file("LINKAR"), dir.file("CATEGORIES"));
  fileRemove(files.LINKAR);
  EXPECT_EQ(code(), 0);
}

}  // namespace
}  // namespace linkar::test
