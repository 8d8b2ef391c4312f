// Whole-file statements of the keyed driver: APPEND and BUILD (and the
// rebuild an open asks for), EMPTY, PACK, REMOVE, COPY, RENAME, SEND,
// LOGOUT/COMMIT/ROLLBACK over two files, LOCK, and blob memos.
#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "runtime/error_state.h"
#include "storage/keyed/strandel_memo.h"
#include "storage/layer/driver_registration.h"
#include "storage/layer/file_statements.h"
#include "storage/layer/op_codes.h"
#include "tests/storage/keyed/strandel_test_records.h"
#include "tests/support/temp_dir.h"

namespace linkar::test {
namespace {

using namespace linkar::storage;

int code() { return runtime::errorCode(); }

class StrandelFiles : public ::testing::Test {
 protected:
  StrandelFiles() : files(dir.file("LINKAR"), dir.file("CATEGORIES")) {}
  void SetUp() override {
    fileCreate(files.LINKAR);
    fileCreate(files.Categories);
    ASSERT_EQ(code(), 0);
  }
  void TearDown() override {
    if (files.LINKAR.instance) fileClose(files.LINKAR);
    if (files.Categories.instance) fileClose(files.Categories);
  }
  void addSome(int n, int from = 0) {
    for (int i = from; i < from + n; ++i) {
      std::string location = "http://s";
      location += std::to_string(i);
      location += ".example/";
      ASSERT_EQ(files.addSite(location, textNumber("D", i % 7), "C", i % 5, "k"), 0);
    }
  }
  int countInKeyOrder(KeyDecl& key) {
    fileSetKey(files.LINKAR, key);
    int n = 0;
    for (fileNext(files.LINKAR); code() == 0; fileNext(files.LINKAR)) ++n;
    return n;
  }

  TempDir dir;
  LinkarFiles files;
};

TEST_F(StrandelFiles, AppendedRecordsJoinTheKeysOnlyAtBuildAndOpenAsksForIt) {
  fileOpen(files.LINKAR, kOpenDenyWrite);
  addSome(5);
  for (int i = 0; i < 20; ++i) {
    files.setSite("http://app" + std::to_string(i) + ".example/", "A", "C", 1, "k");
    fileAppend(files.LINKAR);
    ASSERT_EQ(code(), 0);
  }
  EXPECT_EQ(fileRecords(files.LINKAR), 25);
  EXPECT_EQ(countInKeyOrder(files.K_LOCATION), 5);
  fileClose(files.LINKAR);
  // Keys left out of date: the open says the file must be rebuilt.
  fileOpen(files.LINKAR, kOpenShared);
  EXPECT_EQ(code(), 46);
  EXPECT_FALSE(files.LINKAR.instance);
  fileBuild(files.LINKAR);  // on the closed file, as the open-or-create policy does
  ASSERT_EQ(code(), 0);
  fileOpen(files.LINKAR, kOpenShared);
  ASSERT_EQ(code(), 0);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(fileRecordsKey(files.LINKAR, *files.linkarKey(k)), 25) << k;
  EXPECT_EQ(countInKeyOrder(files.K_LOCATION), 25);
  EXPECT_EQ(countInKeyOrder(files.K_RATING), 25);
}

TEST_F(StrandelFiles, BuildStopsAtADuplicateAndKeepsTheKeyMarked) {
  fileOpen(files.LINKAR, kOpenDenyWrite);
  addSome(3);
  files.setSite("http://S1.example/", "dup", "C", 1, "k");  // the location of record s1, in capitals
  fileAppend(files.LINKAR);
  ASSERT_EQ(code(), 0);
  fileBuildKey(files.LINKAR, files.K_LOCATION);
  EXPECT_EQ(code(), 40);
  fileBuildKey(files.LINKAR, files.K_DESCRIPTION);
  EXPECT_EQ(code(), 0);
  fileClose(files.LINKAR);
  fileOpen(files.LINKAR, kOpenShared);
  EXPECT_EQ(code(), 46);
}

TEST_F(StrandelFiles, BuildNeedsExclusiveAccessOnAnOpenFile) {
  fileOpen(files.LINKAR, kOpenShared);
  fileBuild(files.LINKAR);
  EXPECT_EQ(code(), 63);
  fileEmpty(files.LINKAR);
  EXPECT_EQ(code(), 63);
}

TEST_F(StrandelFiles, EmptyLeavesAFreshTableAndPackKeepsTheRecords) {
  fileOpen(files.LINKAR, kOpenDenyWrite);
  addSome(40);
  fileEmpty(files.LINKAR);
  ASSERT_EQ(code(), 0);
  EXPECT_EQ(fileRecords(files.LINKAR), 0);
  EXPECT_EQ(countInKeyOrder(files.K_LOCATION), 0);
  addSome(30, 100);
  filePack(files.LINKAR);
  ASSERT_EQ(code(), 0);
  EXPECT_EQ(fileRecords(files.LINKAR), 30);
  fileClose(files.LINKAR);
  fileOpen(files.LINKAR, kOpenShared);
  ASSERT_EQ(code(), 0);
  EXPECT_EQ(countInKeyOrder(files.K_LOCATION), 30);
}

TEST_F(StrandelFiles, RemoveCopyAndRenameWorkOnTheDataFile) {
  fileOpen(files.LINKAR, kOpenShared);
  addSome(4);
  fileClose(files.LINKAR);
  fileCopy(files.LINKAR, dir.file("BACKUP"));
  ASSERT_EQ(code(), 0);
  EXPECT_TRUE(platform::fileExists(dir.file("BACKUP.SDF")));
  fileRename(files.LINKAR, dir.file("MOVED.DAT"));
  ASSERT_EQ(code(), 0);
  EXPECT_FALSE(platform::fileExists(dir.file("LINKAR.SDF")));
  LinkarFiles backup(dir.file("BACKUP"), dir.file("X"));
  fileOpen(backup.LINKAR, kOpenShared);
  ASSERT_EQ(code(), 0);
  EXPECT_EQ(fileRecords(backup.LINKAR), 4);
  fileClose(backup.LINKAR);
  fileRemove(backup.LINKAR);
  ASSERT_EQ(code(), 0);
  EXPECT_FALSE(platform::fileExists(dir.file("BACKUP.SDF")));
  fileRemove(backup.LINKAR);
  EXPECT_EQ(code(), 2);
}

TEST_F(StrandelFiles, RemovingOneOfTwoTablesKeepsTheOther) {
  LinkarFiles a(dir.file("MULTI\\!A"), dir.file("MULTI\\!B"));
  fileCreate(a.LINKAR);
  fileCreate(a.Categories);
  ASSERT_EQ(code(), 0);
  fileOpen(a.LINKAR, kOpenShared);
  EXPECT_EQ(fileSend(a.LINKAR, "PNM="), "A");
  EXPECT_EQ(fileSend(a.LINKAR, "PNM=A"), "B");
  EXPECT_EQ(fileSend(a.LINKAR, "PNM=B"), "");
  fileClose(a.LINKAR);
  fileRemove(a.LINKAR);
  ASSERT_EQ(code(), 0);
  EXPECT_TRUE(platform::fileExists(dir.file("MULTI.SDF")));
  fileOpen(a.Categories, kOpenShared);
  ASSERT_EQ(code(), 0);
  EXPECT_EQ(fileSend(a.Categories, "PNM="), "B");
  fileClose(a.Categories);
}

TEST_F(StrandelFiles, SendAnswersRegisterAndRejectsOtherOptions) {
  fileOpen(files.LINKAR, kOpenShared);
  const std::string answer = fileSend(files.LINKAR, "REGISTER");
  const DriverRegistration* block = registrationFromAnswer(answer);
  ASSERT_NE(block, nullptr);
  EXPECT_STREQ(block->name.data(), "STRANDEL");
  EXPECT_TRUE(block->handles(op::kNext));
  EXPECT_FALSE(block->handles(op::kPropertySet));
  EXPECT_EQ(fileSend(files.LINKAR, "QUICKSCAN=on"), "SEND arg not recognised");
  EXPECT_EQ(fileName(files.LINKAR), dir.file("LINKAR"));
  EXPECT_EQ(fileViewEngine(files.LINKAR), 0);
  ArgBlock args;
  fileCall(files.LINKAR, op::kPropertySet, args);
  EXPECT_EQ(code(), 80);
}

TEST_F(StrandelFiles, RollbackAndCommitOverTwoFiles) {
  EnvironmentScope state("XDG_STATE_HOME", dir.path().c_str());
  fileOpen(files.LINKAR, kOpenShared);
  fileOpen(files.Categories, kOpenShared);
  fileSend(files.LINKAR, "TCF=" + dir.file("test.tcf"));
  fileLogout(files.LINKAR);
  fileLogout(files.Categories);
  ASSERT_EQ(code(), 0);
  addSome(3);
  files.setCat("News");
  fileAdd(files.Categories);
  fileRollback(files.LINKAR);
  ASSERT_EQ(code(), 0);
  EXPECT_EQ(fileRecords(files.LINKAR), 0);
  EXPECT_EQ(fileRecords(files.Categories), 0);
  fileLogout(files.LINKAR);
  fileLogout(files.Categories);
  ASSERT_EQ(code(), 0);
  fileLogout(files.LINKAR);
  EXPECT_EQ(code(), 56);
  addSome(3);
  fileAdd(files.Categories);
  fileCommit(files.Categories);
  ASSERT_EQ(code(), 0);
  fileClose(files.LINKAR);
  ASSERT_EQ(code(), 0);
  fileClose(files.Categories);
  fileOpen(files.LINKAR, kOpenShared);
  fileOpen(files.Categories, kOpenShared);
  EXPECT_EQ(fileRecords(files.LINKAR), 3);
  EXPECT_EQ(fileRecords(files.Categories), 1);
  EXPECT_TRUE(platform::fileExists(dir.file("test.tcf")));
}

TEST_F(StrandelFiles, LockIsHeldUntilUnlock) {
  fileOpen(files.LINKAR, kOpenShared);
  fileLock(files.LINKAR);
  ASSERT_EQ(code(), 0);
  fileLock(files.LINKAR);
  EXPECT_EQ(code(), 0);  // the file is locked already: the row refuses silently
  fileUnlock(files.LINKAR);
  EXPECT_EQ(code(), 0);
  fileUnlock(files.LINKAR);
  EXPECT_EQ(code(), 0);
}

// A declaration with one blob memo, as the memo statements address it.
class BlobFile {
 public:
  explicit BlobFile(std::string name) : m_name(std::move(name)) {
    m_fields = FieldListBuilder().text("BLB:NAME", 0, 20).build();
    key.label = "BLB:K_NAME";
    key.attributes = 0x06;
    key.componentCount = 1;
    key.components = kParts;
    key.file = &decl;
    byName.label = "BLB:K_BYNAME";
    byName.attributes = 0x40;
    byName.componentCount = 1;
    byName.components = kParts;
    byName.file = &decl;
    memo.label = "BLB:DATA";
    memo.number = 1;
    memo.size = 100000;
    memo.attributes = 4;
    decl.entry = &keyed::strandelDriverEntry;
    decl.name = m_name.c_str();
    decl.nameLength = kTextNulTerminated;
    decl.attributeBits = 0x14;
    decl.keyCount = 2;
    decl.memoCount = 1;
    decl.recordLength = 20;
    decl.fieldList = m_fields.data();
    decl.keys = m_keys;
    decl.memos = m_memos;
    decl.record = m_record;
  }
  void setName(std::string_view v) {
    std::memset(m_record, ' ', sizeof m_record);
    std::memcpy(m_record, v.data(), std::min(v.size(), sizeof m_record));
  }
  FileDecl decl;
  KeyDecl key, byName;
  MemoDecl memo;

 private:
  static constexpr int32_t kParts[] = {1};
  std::string m_name;
  std::vector<uint8_t> m_fields;
  KeyDecl* m_keys[2] = {&key, &byName};
  MemoDecl* m_memos[1] = {&memo};
  uint8_t m_record[20];
};

TEST(StrandelBlobMemo, SlicesSizesAndHandlesRoundTripThroughTheFile) {
  TempDir dir;
  BlobFile f(dir.file("BLOBS"));
  fileCreate(f.decl);
  fileOpen(f.decl, kOpenShared);
  ASSERT_EQ(code(), 0);
  f.setName("first");
  fileMemoSliceSet(f.decl, 1, 0, 4, "hello");
  fileMemoSliceSet(f.decl, 1, 1000, 1002, "end");
  EXPECT_EQ(fileMemoSize(f.decl, 1), 1003);
  EXPECT_EQ(fileMemoSlice(f.decl, 1, 0, 9), std::string("hello") + std::string(5, '\0'));
  EXPECT_EQ(fileMemoSlice(f.decl, 1, 1001, 5000), "nd");
  EXPECT_EQ(fileMemoSlice(f.decl, 1, 5000, 6000), "");
  EXPECT_EQ(fileMemoSlice(f.decl, 1, 5, 4), "");
  fileAdd(f.decl);
  ASSERT_EQ(code(), 0);
  const int32_t first = filePointer(f.decl);

  // A memory block handed over by handle becomes the next record's memo.
  const uint32_t block = keyed::allocateMemoryBlock(0);
  keyed::setMemoryBlockContent(block, std::string(700, 'b'));
  f.setName("second");
  fileMemoPropertySet(f.decl, 1, "31894", "handle " + std::to_string(block));
  EXPECT_EQ(fileMemoPropertyGet(f.decl, 1, "31894"), std::to_string(block));
  EXPECT_EQ(fileMemoPropertyGet(f.decl, 1, "31929"), "700");
  fileAdd(f.decl);
  ASSERT_EQ(code(), 0);
  fileMemoPropertySet(f.decl, 1, "31929", "0");
  EXPECT_EQ(fileMemoSize(f.decl, 1), 0);
  EXPECT_EQ(fileMemoPropertyGet(f.decl, 1, "31894"), "0");
  fileMemoPropertySet(f.decl, 1, "31894", "4294967295");
  EXPECT_NE(code(), 0);  // not a block of ours: refused, never dereferenced

  fileGetPosition(f.decl, first);
  ASSERT_EQ(code(), 0);
  EXPECT_EQ(fileMemoSize(f.decl, 1), 1003);
  EXPECT_EQ(fileMemoSlice(f.decl, 1, 1000, 1002), "end");
  f.setName("second");
  fileGet(f.decl, f.key);
  ASSERT_EQ(code(), 0);
  EXPECT_EQ(fileMemoSlice(f.decl, 1, 0, 699), std::string(700, 'b'));

  // The private key is built from its text and read in its order.
  fileBuildKeyText(f.decl, f.byName, "-BLB:NAME");
  ASSERT_EQ(code(), 0);
  EXPECT_EQ(fileRecordsKey(f.decl, f.byName), 2);
  fileSetKey(f.decl, f.byName);
  fileNext(f.decl);
  EXPECT_NE(filePointer(f.decl), first);  // descending: "second" first
  fileNext(f.decl);
  EXPECT_EQ(filePointer(f.decl), first);
  fileBuildKeyText(f.decl, f.byName, "NO:SUCHFIELD");
  EXPECT_EQ(code(), 76);
  fileBuildKeyText(f.decl, f.key, "BLB:NAME");
  EXPECT_EQ(code(), 76);
  fileClose(f.decl);
}

}  // namespace
}  // namespace linkar::test
