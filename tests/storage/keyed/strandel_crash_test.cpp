// Crashes at the statement level: a process adding, rewriting and deleting
// sites, and renaming categories with the cascade over both files inside
// LOGOUT/COMMIT, is killed at random moments. After each kill the next open
// recovers, the checker finds both files sound, and every statement is
// wholly there or wholly absent: a site's description and memo carry the
// same version, and every site's category exists. The recovering process
// cannot see the writer's state folder (another user, or another machine
// sharing the data folder): what it needs lies beside the data files.
//
// STRANDEL_CRASH_ROUNDS sets the number of kills (default kept short for CI;
// the sweep runs 200 or more).
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>

#include "platform/clock.h"
#include "platform/file.h"
#include "runtime/error_state.h"
#include "storage/keyed/block_store.h"
#include "storage/keyed/file_checker.h"
#include "storage/layer/file_statements.h"
#include "tests/storage/keyed/strandel_test_records.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace linkar::test {
namespace {

using namespace linkar::storage;

constexpr int kDefaultRounds = 25;
constexpr int kCategories = 5;
constexpr int kMinSites = 30;

int code() { return runtime::errorCode(); }

int rounds() {
  const char* text = std::getenv("STRANDEL_CRASH_ROUNDS");
  const int n = text ? std::atoi(text) : 0;
  return n > 0 ? n : kDefaultRounds;
}

std::vector<std::string> checkFile(const std::string& path) {
  platform::File file;
  if (const int rc = file.open(path, platform::kAccessRead | platform::kShareDenyNone))
    return {"open failed " + std::to_string(rc)};
  return keyed::checkDataFile(std::make_unique<keyed::FileStore>(std::move(file)), {}).faults;
}

std::string memoFor(int version) { return "memo v" + std::to_string(version) + std::string(version % 400, '.'); }

int versionOf(const std::string& description) {
  return description.size() > 1 && description[0] == 'v' ? std::atoi(description.c_str() + 1) : -1;
}

// Moves to a random record of `file` in file order; false when it is empty.
bool pickRecord(FileDecl& file, std::mt19937& rng) {
  const int32_t n = fileRecords(file);
  if (n <= 0) return false;
  fileSet(file);
  fileSkip(file, static_cast<int32_t>(rng() % static_cast<uint32_t>(n)));
  fileNext(file);
  return code() == 0;
}

// The statements the killed process runs until it is killed.
int workload(const TempDir& dir, unsigned seed) {
  LinkarFiles f(dir.file("LINKAR"), dir.file("CATEGORIES"));
  fileOpen(f.LINKAR, kOpenShared);
  fileOpen(f.Categories, kOpenShared);
  if (code()) return 1;
  std::mt19937 rng(seed);
  for (int counter = 0;; ++counter) {
    switch (rng() % 4) {
      case 0: {  // ADD
        if (!pickRecord(f.Categories, rng)) return 2;
        const std::string category = f.cat();
        f.addSite("http://n" + std::to_string(seed) + "-" + std::to_string(counter) + ".example/", "v0", category,
                  static_cast<int>(rng() % 10), "k", memoFor(0));
        break;
      }
      case 1: {  // PUT: description and memo move to the next version together
        if (!pickRecord(f.LINKAR, rng)) break;
        const int version = versionOf(f.description()) + 1;
        f.setDescription(textNumber("v", version));
        f.setInfo(memoFor(version));
        filePut(f.LINKAR);
        break;
      }
      case 2:  // DELETE
        if (fileRecords(f.LINKAR) > kMinSites && pickRecord(f.LINKAR, rng)) fileDelete(f.LINKAR);
        break;
      default: {  // category rename with its cascade, over both files
        fileLogout(f.Categories);
        fileLogout(f.LINKAR);
        if (!pickRecord(f.Categories, rng)) return 3;
        const std::string old = f.cat();
        const std::string fresh = textNumber("R", counter, textNumber("-", seed % 1000));
        f.setCat(fresh);
        filePut(f.Categories);
        if (code()) return 4;
        f.clearSite();
        f.setCategory(old);
        fileSetKeyValues(f.LINKAR, f.K_CATEGORY, f.K_CATEGORY);
        for (fileNext(f.LINKAR); code() == 0 && f.category() == old; fileNext(f.LINKAR)) {
          f.setCategory(fresh);
          filePut(f.LINKAR);
          if (code()) return 5;
        }
        fileCommit(f.Categories);
        if (code()) return 6;
        break;
      }
    }
  }
}

TEST(StrandelCrash, EveryStatementIsWhollyThereOrWhollyAbsentAfterAKill) {
  TempDir dir;
  EnvironmentScope state("XDG_STATE_HOME", dir.path().c_str());
  const TempDir writerState;
  const std::string hiddenState = writerState.path() + ".hidden";
  {
    LinkarFiles f(dir.file("LINKAR"), dir.file("CATEGORIES"));
    fileCreate(f.LINKAR);
    fileCreate(f.Categories);
    fileOpen(f.LINKAR, kOpenShared);
    fileOpen(f.Categories, kOpenShared);
    ASSERT_EQ(code(), 0);
    for (int c = 0; c < kCategories; ++c) {
      f.setCat("Cat" + std::to_string(c));
      fileAdd(f.Categories);
    }
    for (int i = 0; i < 60; ++i)
      ASSERT_EQ(f.addSite("http://s" + std::to_string(i) + ".example/", "v0", "Cat" + std::to_string(i % kCategories),
                          i % 10, "k", memoFor(0)),
                0);
    fileClose(f.LINKAR);
    fileClose(f.Categories);
  }
  std::mt19937 rng(20261208);
  const int total = rounds();
  int changedRounds = 0;
  int pendingCommits = 0;  // kills that left a commit between its phases
  for (int round = 0; round < total; ++round) {
    const std::string before = readWholeFile(dir.file("LINKAR.SDF")) + readWholeFile(dir.file("CATEGORIES.SDF"));
    const unsigned seed = static_cast<unsigned>(rng());
    ChildProcess child([&dir, &writerState, seed] {
      ::setenv("XDG_STATE_HOME", writerState.path().c_str(), 1);
      return workload(dir, seed);
    });
    platform::sleepMilliseconds(5 + static_cast<int64_t>(rng() % 120));
    child.kill();
    ASSERT_EQ(std::rename(writerState.path().c_str(), hiddenState.c_str()), 0);
    for (const char* name : {"LINKAR.SDF", "CATEGORIES.SDF"}) {
      const std::string header = readWholeFile(dir.file(name)).substr(0, 16);
      if (header.size() == 16 && header.substr(6, 4) != header.substr(10, 4)) ++pendingCommits;
    }

    LinkarFiles f(dir.file("LINKAR"), dir.file("CATEGORIES"));
    fileOpen(f.LINKAR, kOpenShared);
    ASSERT_EQ(code(), 0) << "round " << round;
    fileOpen(f.Categories, kOpenShared);
    ASSERT_EQ(code(), 0) << "round " << round;
    std::set<std::string> categories;
    fileSet(f.Categories);
    for (fileNext(f.Categories); code() == 0; fileNext(f.Categories)) categories.insert(f.cat());
    ASSERT_EQ(categories.size(), static_cast<size_t>(kCategories)) << "round " << round;
    int sites = 0;
    fileSet(f.LINKAR);
    for (fileNext(f.LINKAR); code() == 0; fileNext(f.LINKAR)) {
      ++sites;
      const int version = versionOf(f.description());
      ASSERT_GE(version, 0) << "round " << round;
      ASSERT_EQ(f.info(), memoFor(version)) << "round " << round << " site " << f.location();
      ASSERT_EQ(categories.count(f.category()), 1u) << "round " << round << " site " << f.location();
    }
    EXPECT_EQ(fileRecords(f.LINKAR), sites);
    fileClose(f.LINKAR);
    fileClose(f.Categories);
    ASSERT_EQ(checkFile(dir.file("LINKAR.SDF")), std::vector<std::string>{}) << "round " << round;
    ASSERT_EQ(checkFile(dir.file("CATEGORIES.SDF")), std::vector<std::string>{}) << "round " << round;
    if (readWholeFile(dir.file("LINKAR.SDF")) + readWholeFile(dir.file("CATEGORIES.SDF")) != before) ++changedRounds;
    ASSERT_EQ(std::rename(hiddenState.c_str(), writerState.path().c_str()), 0);
  }
  // The kills must land while statements run, not before the first one.
  EXPECT_GT(changedRounds, total / 2);
  std::printf("%d kills, %d after changes had been committed, %d with a commit left to recover\n", total,
              changedRounds, pendingCommits);
}

}  // namespace
}  // namespace linkar::test
