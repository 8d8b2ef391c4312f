// Record statements of the keyed driver over the application's own LINKAR
// and Categories declarations: opening and creating, counts, adds that
// collide, reads by key and position, rewrites, deletes and the memo.
#include <gtest/gtest.h>

#include "runtime/error_state.h"
#include "storage/layer/file_statements.h"
#include "storage/layer/op_codes.h"
#include "tests/support/temp_dir.h"
#include "tests/storage/keyed/strandel_test_records.h"

namespace linkar::test {
namespace {

using namespace linkar::storage;

class StrandelRecords : public ::testing::Test {
 protected:
  StrandelRecords() : files(dir.file("LINKAR"), dir.file("CATEGORIES")) {}
  void SetUp() override {
    fileCreate(files.LINKAR);
    ASSERT_EQ(runtime::errorCode(), 0);
    fileOpen(files.LINKAR, kOpenShared);
    ASSERT_EQ(runtime::errorCode(), 0);
  }
  void TearDown() override {
    if (files.LINKAR.instance) fileClose(files.LINKAR);
  }
  int code() const { return runtime::errorCode(); }

  TempDir dir;
  LinkarFiles files;
};

TEST_F(StrandelRecords, CountsFollowAddsAndDeletes) {
  EXPECT_EQ(fileRecords(files.LINKAR), 0);
  ASSERT_EQ(files.addSite("http://a.example/", "Alpha", "News", 3, "alpha"), 0);
  EXPECT_EQ(fileRecords(files.LINKAR), 1);
  EXPECT_EQ(fileRecordsKey(files.LINKAR, files.K_LOCATION), 1);
  fileDelete(files.LINKAR);
  ASSERT_EQ(code(), 0);
  EXPECT_EQ(fileRecords(files.LINKAR), 0);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(fileRecordsKey(files.LINKAR, *files.linkarKey(k)), 0) << k;
  // With no current record left, DELETE and PUT have nothing to act on.
  fileDelete(files.LINKAR);
  EXPECT_EQ(code(), 33);
  filePut(files.LINKAR);
  EXPECT_EQ(code(), 33);
}

TEST_F(StrandelRecords, LocationIsUniqueWithoutRegardToCaseAndAFailedAddUsesUpItsNumber) {
  ASSERT_EQ(files.addSite("http://news.example/", "News", "News", 1, "n"), 0);
  const int32_t first = filePointer(files.LINKAR);
  EXPECT_EQ(files.addSite("HTTP://NEWS.EXAMPLE/", "Shouting", "News", 2, "n"), 40);
  EXPECT_EQ(fileRecords(files.LINKAR), 1);
  // The failed add left no key entry behind in any key.
  for (int k = 0; k < 5; ++k) EXPECT_EQ(fileRecordsKey(files.LINKAR, *files.linkarKey(k)), 1) << k;
  ASSERT_EQ(files.addSite("http://other.example/", "Other", "Misc", 2, "o"), 0);
  EXPECT_GT(filePointer(files.LINKAR), first + 1);
  EXPECT_EQ(fileRecords(files.LINKAR), 2);
}

TEST_F(StrandelRecords, BytesWithoutACurrentRecordIsRecordsTimesLength) {
  ASSERT_EQ(files.addSite("http://a.example/", "A", "C", 1, "k"), 0);
  ASSERT_EQ(files.addSite("http://b.example/", "B", "C", 1, "k"), 0);
  EXPECT_EQ(fileBytes(files.LINKAR), static_cast<int32_t>(kLinkarRecordLength));
  fileSet(files.LINKAR);
  fileNext(files.LINKAR);
  fileNext(files.LINKAR);
  fileNext(files.LINKAR);
  EXPECT_EQ(code(), 33);
  EXPECT_EQ(fileBytes(files.LINKAR), static_cast<int32_t>(2 * kLinkarRecordLength));
}

TEST_F(StrandelRecords, GetByKeyFindsTheLowestRecordAmongDuplicates) {
  ASSERT_EQ(files.addSite("http://z.example/", "Same", "C", 1, "k"), 0);
  const int32_t lowest = filePointer(files.LINKAR);
  ASSERT_EQ(files.addSite("http://a.example/", "Same", "C", 1, "k"), 0);
  ASSERT_EQ(files.addSite("http://m.example/", "same", "C", 1, "k"), 0);
  files.clearSite();
  files.setDescription("SAME");
  fileGet(files.LINKAR, files.K_DESCRIPTION);
  ASSERT_EQ(code(), 0);
  EXPECT_EQ(filePointer(files.LINKAR), lowest);
  EXPECT_EQ(files.location(), "http://z.example/");
  files.setLocation("http://nowhere.example/");
  fileGet(files.LINKAR, files.K_LOCATION);
  EXPECT_EQ(code(), 35);
  // A blank value of a key that leaves blanks out is never found.
  files.clearSite();
  fileGet(files.LINKAR, files.K_LOCATION);
  EXPECT_EQ(code(), 35);
}

TEST_F(StrandelRecords, GetByPositionReadsRecordAndMemoAndMissingNumbersFail) {
  ASSERT_EQ(files.addSite("http://a.example/", "A", "Cat", 7, "kw", "Some notes about a."), 0);
  const int32_t number = filePointer(files.LINKAR);
  files.clearSite();
  fileGetPosition(files.LINKAR, number);
  ASSERT_EQ(code(), 0);
  EXPECT_EQ(files.location(), "http://a.example/");
  EXPECT_EQ(files.rating(), 7);
  EXPECT_EQ(files.info(), "Some notes about a.");
  fileGetPosition(files.LINKAR, number + 100);
  EXPECT_EQ(code(), 35);
  fileGetPosition(files.LINKAR, 0);
  EXPECT_EQ(code(), 35);
}

TEST_F(StrandelRecords, PutRewritesKeysAndMemoAndRefusesACollision) {
  ASSERT_EQ(files.addSite("http://a.example/", "A", "Cat", 1, "kw", "first"), 0);
  const int32_t a = filePointer(files.LINKAR);
  ASSERT_EQ(files.addSite("http://b.example/", "B", "Cat", 1, "kw"), 0);
  fileGetPosition(files.LINKAR, a);
  files.setLocation("http://renamed.example/");
  files.setInfo(std::string(480, 'x'));
  filePut(files.LINKAR);
  ASSERT_EQ(code(), 0);
  files.clearSite();
  files.setLocation("HTTP://RENAMED.EXAMPLE/");
  fileGet(files.LINKAR, files.K_LOCATION);
  ASSERT_EQ(code(), 0);
  EXPECT_EQ(filePointer(files.LINKAR), a);
  EXPECT_EQ(files.info(), std::string(480, 'x'));
  files.setLocation("http://a.example/");
  fileGet(files.LINKAR, files.K_LOCATION);
  EXPECT_EQ(code(), 35);
  // Moving onto b's location fails and changes nothing in any key.
  fileGetPosition(files.LINKAR, a);
  files.setLocation("http://B.example/");
  files.setCategory("Other");
  filePut(files.LINKAR);
  EXPECT_EQ(code(), 40);
  files.clearSite();
  files.setCategory("Other");
  files.setLocation("http://B.example/");
  fileGet(files.LINKAR, files.K_CATEGORY);
  EXPECT_EQ(code(), 35);
  files.setCategory("Cat");
  files.setLocation("http://renamed.example/");
  fileGet(files.LINKAR, files.K_CATEGORY);
  EXPECT_EQ(code(), 0);
  EXPECT_EQ(fileRecordsKey(files.LINKAR, files.K_CATEGORY), 2);
}

TEST_F(StrandelRecords, APutThatChangesNothingWritesNothing) {
  ASSERT_EQ(files.addSite("http://a.example/", "A", "Cat", 1, "kw", "memo"), 0);
  fileSet(files.LINKAR);
  fileNext(files.LINKAR);
  ASSERT_EQ(code(), 0);
  const std::string before = readWholeFile(dir.file("LINKAR.SDF"));
  filePut(files.LINKAR);
  ASSERT_EQ(code(), 0);
  EXPECT_EQ(readWholeFile(dir.file("LINKAR.SDF")), before);
}

TEST_F(StrandelRecords, ReadingPastTheEndClearsTheCurrentRecord) {
  ASSERT_EQ(files.addSite("http://a.example/", "A", "Cat", 1, "kw"), 0);
  ASSERT_EQ(files.addSite("http://b.example/", "B", "Cat", 1, "kw"), 0);
  fileSet(files.LINKAR);
  fileNext(files.LINKAR);
  fileNext(files.LINKAR);
  ASSERT_EQ(code(), 0);
  fileNext(files.LINKAR);
  EXPECT_EQ(code(), 33);
  filePut(files.LINKAR);
  EXPECT_EQ(code(), 33);
  fileDelete(files.LINKAR);
  EXPECT_EQ(code(), 33);
  // The position stays on the last record read: PREVIOUS reads the one before.
  filePrevious(files.LINKAR);
  ASSERT_EQ(code(), 0);
  EXPECT_EQ(files.location(), "http://a.example/");
  fileDelete(files.LINKAR);
  EXPECT_EQ(code(), 0);
  EXPECT_EQ(fileRecords(files.LINKAR), 1);
}

TEST_F(StrandelRecords, DataSurvivesCloseAndReopen) {
  fileStream(files.LINKAR);
  for (int i = 0; i < 300; ++i)
    ASSERT_EQ(files.addSite("http://site" + std::to_string(i) + ".example/", "Site " + std::to_string(i), "Cat",
                            i % 10, "k", "info " + std::to_string(i)),
              0);
  fileFlush(files.LINKAR);
  ASSERT_EQ(code(), 0);
  fileClose(files.LINKAR);
  ASSERT_EQ(code(), 0);
  fileOpen(files.LINKAR, kOpenReadOnly);
  ASSERT_EQ(code(), 0);
  EXPECT_EQ(fileRecords(files.LINKAR), 300);
  files.clearSite();
  files.setLocation("http://SITE123.example/");
  fileGet(files.LINKAR, files.K_LOCATION);
  ASSERT_EQ(code(), 0);
  EXPECT_EQ(files.info(), "info 123");
  // A read-only open refuses changes before touching anything.
  fileAdd(files.LINKAR);
  EXPECT_EQ(code(), 5);
}

TEST(StrandelOpen, OpeningFailsClearlyForEveryKindOfBadFile) {
  TempDir dir;
  LinkarFiles files(dir.file("LINKAR"), dir.file("CATEGORIES"));
  fileOpen(files.LINKAR, kOpenShared);
  EXPECT_EQ(runtime::errorCode(), 2);
  EXPECT_FALSE(files.LINKAR.instance);

  ASSERT_TRUE(writeWholeFile(dir.file("CATEGORIES.SDF"), std::string(4096, 'x')));
  fileOpen(files.Categories, kOpenShared);
  EXPECT_EQ(runtime::errorCode(), 36);

  // A file that holds another table, but not this one.
  LinkarFiles other(dir.file("LINKAR\\!SITES"), dir.file("C2"));
  fileCreate(other.LINKAR);
  ASSERT_EQ(runtime::errorCode(), 0);
  fileOpen(files.LINKAR, kOpenShared);
  EXPECT_EQ(runtime::errorCode(), 2);
  fileOpen(other.LINKAR, kOpenShared);
  EXPECT_EQ(runtime::errorCode(), 0);
  fileClose(other.LINKAR);

  // The Categories declaration does not describe the SITES table.
  LinkarFiles mismatch(dir.file("C3"), dir.file("LINKAR\\!SITES"));
  fileOpen(mismatch.Categories, kOpenShared);
  EXPECT_EQ(runtime::errorCode(), 47);

  LinkarFiles empty("", "   ");
  fileOpen(empty.LINKAR, kOpenShared);
  EXPECT_EQ(runtime::errorCode(), 45);
  files.LINKAR.attributeBits = 0x10;
  fileCreate(files.LINKAR);
  EXPECT_EQ(runtime::errorCode(), 54);
}

TEST(StrandelOpen, CategoriesAreUniqueWithoutRegardToCase) {
  TempDir dir;
  LinkarFiles files(dir.file("LINKAR"), dir.file("CATEGORIES"));
  fileCreate(files.Categories);
  fileOpen(files.Categories, kOpenShared);
  ASSERT_EQ(runtime::errorCode(), 0);
  files.setCat("News");
  fileAdd(files.Categories);
  EXPECT_EQ(runtime::errorCode(), 0);
  files.setCat("NEWS");
  fileAdd(files.Categories);
  EXPECT_EQ(runtime::errorCode(), 40);
  // The current record's own entry never counts as a duplicate.
  files.setCat("news");
  EXPECT_FALSE(fileDuplicateKey(files.Categories, files.CAT_K_CATEGORY));
  files.setCat("Sports");
  fileAdd(files.Categories);
  ASSERT_EQ(runtime::errorCode(), 0);
  files.setCat("news");
  EXPECT_TRUE(fileDuplicateKey(files.Categories, files.CAT_K_CATEGORY));
  EXPECT_TRUE(fileDuplicate(files.Categories));
  files.setCat("Weather");
  EXPECT_FALSE(fileDuplicateKey(files.Categories, files.CAT_K_CATEGORY));
  EXPECT_FALSE(fileDuplicate(files.Categories));
  EXPECT_EQ(fileRecords(files.Categories), 2);
  fileClose(files.Categories);
}

}  // namespace
}  // namespace linkar::test
