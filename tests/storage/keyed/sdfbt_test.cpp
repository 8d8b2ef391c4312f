// The tree's page rules: when pages split, the root reference during splits,
// the empty entry, entry limits, cursors across page changes and the cache.
#include <gtest/gtest.h>

#include <string>

#include "storage/keyed/data_file.h"
#include "storage/keyed/file_checker.h"
#include "storage/keyed/internal_error.h"
#include "storage/keyed/sdf_format.h"
#include "storage/keyed/sdfbt.h"

namespace linkar::keyed {
namespace {

std::unique_ptr<DataFile> newFile() {
  std::unique_ptr<DataFile> file;
  EXPECT_EQ(DataFile::open(std::make_unique<MemoryStore>(), {}, file), 0);
  return file;
}

std::string key(int i) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "k%06d", i);
  return buf;
}

TEST(SdfbtSplit, PagePastSoftBoundWith20EntriesSplitsOnlyAtThe21st) {
  auto file = newFile();
  Sdfbt tree(*file);
  // 19 entries of 220 bytes plus the empty entry: 20 entries, bound 4293.
  const std::string data(213, 'v');
  for (int i = 0; i < 19; ++i) tree.insert(key(i), data);
  Page* root = file->rootPage();
  EXPECT_EQ(root->count(), 20u);
  EXPECT_GT(root->sizeBound(), kSoftSplitBound);
  EXPECT_EQ(root->level(), 0);
  const std::int32_t rootRef = file->header().root;
  tree.insert(key(19), data);
  root = file->rootPage();
  EXPECT_EQ(root->level(), 1) << "the 21st entry splits the page";
  EXPECT_EQ(file->header().root, rootRef) << "the root keeps its reference";
  EXPECT_EQ(root->count(), 2u);
  for (int i = 0; i < 20; ++i) EXPECT_TRUE(tree.find(key(i))) << i;
}

TEST(SdfbtSplit, FewLargeEntriesSplitAtTheHardBound) {
  auto file = newFile();
  Sdfbt tree(*file);
  const std::string data(4990, 'w');
  for (int i = 0; i < 3; ++i) tree.insert(key(i), data);
  EXPECT_EQ(file->rootPage()->level(), 0);  // 3 x 5002 + 18 stays under 15094
  tree.insert(key(3), data);
  EXPECT_EQ(file->rootPage()->level(), 1);
  ASSERT_EQ(file->writeChanges(), 0);
  const auto report = checkDataFile(
      std::make_unique<MemoryStore>(dynamic_cast<MemoryStore&>(file->store()).bytes()), {});
  EXPECT_TRUE(report.structureSound());
  EXPECT_EQ(report.entries, 5u);
}

TEST(SdfbtSplit, RootReferenceIsStableAcrossManySplitsAndLevels) {
  auto file = newFile();
  Sdfbt tree(*file);
  tree.insert(key(0), "x");
  ASSERT_EQ(file->writeChanges(), 0);
  const std::int32_t committedRoot = file->header().root;
  EXPECT_GE(committedRoot, 0);
  // Grow a three-level tree; the root page object never changes reference.
  for (int i = 1; i < 30000; ++i) tree.insert(key(i), std::string(60, static_cast<char>('a' + i % 26)));
  EXPECT_GE(file->rootPage()->level(), 2);
  EXPECT_EQ(file->header().root, committedRoot);
}

TEST(SdfbtEmptyEntry, IsNeverDeletedNorReportedAsAMatch) {
  auto file = newFile();
  Sdfbt tree(*file);
  for (int i = 0; i < 500; ++i) tree.insert(key(i), std::string(30, 'e'));
  for (int i = 0; i < 500; ++i) ASSERT_TRUE(tree.erase(key(i)));
  EXPECT_FALSE(tree.erase(""));
  EXPECT_FALSE(tree.find(""));
  EXPECT_FALSE(tree.first());
  EXPECT_FALSE(tree.last());
  EXPECT_FALSE(tree.previous("a"));
  // The leftmost leaf still holds it, and the tree works on.
  Page* page = file->rootPage();
  while (page->isBranch()) page = file->fetchChild(*page, *page->first());
  ASSERT_GE(page->count(), 1u);
  EXPECT_EQ(page->first()->length, 0u);
  tree.insert("again", "1");
  EXPECT_EQ(tree.first()->key(), "again");
}

TEST(SdfbtLimits, DuplicateInsertAndOverlongEntryAreInternalErrors) {
  auto file = newFile();
  Sdfbt tree(*file);
  tree.insert("a", "1");
  EXPECT_GT(runGuarded([&] { tree.insert("a", "2"); }), 0);
  EXPECT_GT(runGuarded([&] { tree.insert("b", std::string(kSplitBound, 'x')); }), 0);
  // Keys past the key limit are refused: two of them could never share a branch page.
  EXPECT_GT(runGuarded([&] { tree.insert(std::string(kMaxKeyLength + 1, 'K'), ""); }), 0);
  // The longest entries accepted fit a page of their own, and the longest keys
  // split branches down to two separators a page.
  EXPECT_EQ(runGuarded([&] {
              for (char c = 'L'; c < 'T'; ++c) tree.insert(std::string(kMaxKeyLength, c), "");
              tree.insert("M", std::string(kMaxEntryLength - 1, 'm'));
              tree.insert("N", std::string(kMaxEntryLength - 1, 'n'));
            }),
            0);
  ASSERT_EQ(file->writeChanges(), 0);
  EXPECT_EQ(tree.find("N")->data().size(), kMaxEntryLength - 1);
}

TEST(SdfbtCursor, StepsOnCorrectlyAfterThePageUnderItChanges) {
  auto file = newFile();
  Sdfbt tree(*file);
  for (int i = 0; i < 2000; i += 2) tree.insert(key(i), "even");
  Cursor cursor;
  cursor.setKey(key(100));
  ASSERT_EQ(tree.next(cursor)->key(), key(102));
  // Splits and deletions around the cursor's page.
  for (int i = 1; i < 2000; i += 2) tree.insert(key(i), "odd");
  ASSERT_TRUE(tree.erase(key(103)));
  EXPECT_EQ(tree.next(cursor)->key(), key(104));
  EXPECT_EQ(tree.previous(cursor)->key(), key(102));
  EXPECT_EQ(tree.previous(cursor)->key(), key(101));
  // The cursor's own entry removed: it still steps from its key.
  ASSERT_TRUE(tree.erase(key(101)));
  EXPECT_EQ(tree.next(cursor)->key(), key(102));
}

TEST(SdfbtCache, ScanningAWrittenFileKeepsAtMostAHundredCleanPages) {
  auto file = newFile();
  Sdfbt tree(*file);
  for (int i = 0; i < 20000; ++i) tree.insert(key(i), std::string(100, static_cast<char>('a' + i % 26)));
  ASSERT_EQ(file->writeChanges(), 0);
  std::unique_ptr<DataFile> reopened;
  ASSERT_EQ(DataFile::open(std::make_unique<MemoryStore>(dynamic_cast<MemoryStore&>(file->store()).bytes()), {},
                           reopened),
            0);
  Sdfbt scan(*reopened);
  Cursor cursor;
  cursor.setKey({});
  int n = 0;
  std::size_t most = 0;
  while (scan.next(cursor)) {
    ++n;
    most = std::max(most, reopened->cache().size());
  }
  EXPECT_EQ(n, 20000);
  EXPECT_GT(most, 20u);
  EXPECT_LE(most, 100u + reopened->rootPage()->level() + 1);
}

// key(i) behind a one-letter tag.
std::string tagged(char tag, int i) {
  std::string s(1, tag);
  s += key(i);
  return s;
}

TEST(SdfbtWalk, VisitsEntriesInOrderAcrossPagesAndStopsWhenAsked) {
  auto file = newFile();
  Sdfbt tree(*file);
  // Enough 300-byte entries for many leaves; "m" entries sit between others.
  for (int i = 0; i < 400; ++i) {
    tree.insert(tagged('a', i), std::string(300, 'a'));
    tree.insert(tagged('m', i), std::string(300, static_cast<char>('0' + i % 10)));
    tree.insert(tagged('z', i), std::string(300, 'z'));
  }
  ASSERT_GE(file->rootPage()->level(), 1);
  std::vector<std::string> seen;
  tree.walk("m", [&](std::string_view k, std::string_view data) {
    if (k.substr(0, 1) != "m") return false;
    EXPECT_EQ(data, std::string(300, static_cast<char>('0' + seen.size() % 10)));
    seen.emplace_back(k);
    return true;
  });
  ASSERT_EQ(seen.size(), 400u);
  for (int i = 0; i < 400; ++i) EXPECT_EQ(seen[i], tagged('m', i));

  // Stopping early visits nothing more; a start above everything visits nothing.
  int visits = 0;
  tree.walk(tagged('m', 10), [&](std::string_view, std::string_view) { return ++visits < 3; });
  EXPECT_EQ(visits, 3);
  tree.walk("zz", [&](std::string_view, std::string_view) { return ++visits > 0; });
  EXPECT_EQ(visits, 3);
}

TEST(SdfbtUpdate, ChangesDataInPlaceAndSplitsWhenItGrows) {
  auto file = newFile();
  Sdfbt tree(*file);
  for (int i = 0; i < 19; ++i) tree.insert(key(i), std::string(10, 'v'));
  EXPECT_FALSE(tree.update(key(99), [](std::string&) { ADD_FAILURE() << "no entry to change"; }));
  EXPECT_FALSE(tree.find(key(99)));
  ASSERT_TRUE(tree.update(key(5), [](std::string& data) {
    EXPECT_EQ(data, std::string(10, 'v'));
    data.assign(9000, 'g');
  }));
  EXPECT_EQ(tree.find(key(5))->data(), std::string(9000, 'g'));
  for (int i = 0; i < 19; ++i)
    if (i != 5) tree.update(key(i), [](std::string& data) { data.assign(900, 'h'); });
  EXPECT_GE(file->rootPage()->level(), 1) << "grown entries split the page";
  for (int i = 0; i < 19; ++i) EXPECT_EQ(tree.find(key(i))->data().size(), i == 5 ? 9000u : 900u);
  ASSERT_EQ(file->writeChanges(), 0);
  const auto report = checkDataFile(
      std::make_unique<MemoryStore>(dynamic_cast<MemoryStore&>(file->store()).bytes()), {});
  EXPECT_TRUE(report.structureSound());
}

}  // namespace
}  // namespace linkar::keyed
