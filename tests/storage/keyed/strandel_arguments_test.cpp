// Arguments the keyed driver refuses with an error code instead of ending
// the program or doing something else than asked: table names too long for
// their name entry, names with a NUL inside, memo slices and lengths past a
// memo's size; and an empty data file, which is a data file with no table.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "platform/file_system.h"
#include "runtime/error_codes.h"
#include "runtime/error_state.h"
#include "storage/keyed/sdf_format.h"
#include "storage/layer/file_statements.h"
#include "tests/storage/keyed/strandel_test_records.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"

namespace linkar::test {
namespace {

using namespace linkar::storage;
namespace err = runtime::err;

constexpr int kChildTimeoutMs = 60000;
constexpr int kNameFits = 100;  // a child's exit code: the statements gave what they should
constexpr std::uint16_t kBlobMemo = keyed::kMemoFlagBlob;

int code() { return runtime::errorCode(); }

// Runs `body` in a child process, where a statement that ends the program
// (or takes all memory) cannot take the test with it.
int inChild(const std::function<int()>& body) { return runInChild(body, kChildTimeoutMs); }

// CREATE, OPEN and REMOVE of a table whose name cannot fit its name entry are
// refused with 45 before anything is written; the longest that fits works.
TEST(StrandelArguments, ATableNameTooLongForItsEntryIsRefusedBeforeAnythingIsWritten) {
  TempDir dir;
  const std::string file = dir.file("LINKAR");
  {
    LinkarFiles f(file, dir.file("CATEGORIES"));
    fileCreate(f.LINKAR);
    ASSERT_EQ(code(), 0);
  }
  const std::string before = readWholeFile(file + ".SDF");
  const std::string tooLong = file + "\\!" + std::string(keyed::kMaxKeyLength, 'x');
  const int status = inChild([&] {
    LinkarFiles f(tooLong, dir.file("CATEGORIES"));
    fileCreate(f.LINKAR);
    if (code() != err::kInvalidFilename) return 1;
    fileOpen(f.LINKAR, kOpenShared);
    if (code() != err::kInvalidFilename) return 2;
    fileRemove(f.LINKAR);
    if (code() != err::kInvalidFilename) return 3;
    return kNameFits;
  });
  EXPECT_EQ(status, kNameFits);
  EXPECT_EQ(readWholeFile(file + ".SDF"), before);

  // The longest name the entry holds is a name like any other.
  LinkarFiles longest(file + "\\!" + std::string(keyed::kMaxKeyLength - 1, 'y'), dir.file("CATEGORIES"));
  fileCreate(longest.LINKAR);
  ASSERT_EQ(code(), 0);
  fileOpen(longest.LINKAR, kOpenShared);
  ASSERT_EQ(code(), 0);
  ASSERT_EQ(longest.addSite("http://a.example/", "A", "C", 1, "k"), 0);
  EXPECT_EQ(fileRecords(longest.LINKAR), 1);
  fileClose(longest.LINKAR);
}

// A NUL inside a name is not where the name ends: the name is refused as a
// path with 3, and no file of the cut name is made or opened. NULs that
// only fill a variable's buffer after the name still end it.
TEST(StrandelArguments, ANameWithANulInsideIsRefusedAndNotCutShort) {
  TempDir dir;
  LinkarFiles f(dir.file("unused"), dir.file("CATEGORIES"));
  const std::string withNul = dir.file("SITES") + std::string(1, '\0') + "X.SDF";
  f.LINKAR.name = withNul.data();
  f.LINKAR.nameLength = static_cast<int32_t>(withNul.size());
  fileCreate(f.LINKAR);
  EXPECT_EQ(code(), err::kPathNotFound);
  EXPECT_FALSE(platform::fileExists(dir.file("SITES.SDF")));
  EXPECT_FALSE(platform::fileExists(dir.file("SITES")));
  fileOpen(f.LINKAR, kOpenShared);
  EXPECT_EQ(code(), err::kPathNotFound);

  std::string buffer = dir.file("SITES") + std::string(8, '\0') + "  ";
  f.LINKAR.name = buffer.data();
  f.LINKAR.nameLength = static_cast<int32_t>(buffer.size());
  fileCreate(f.LINKAR);
  EXPECT_EQ(code(), 0);
  EXPECT_TRUE(platform::fileExists(dir.file("SITES.SDF")));
}

// A blob memo's slices count from 0 and never make it longer than its
// declared size, whatever the operands; nor does setting its length.
TEST(StrandelArguments, MemoSlicesAndLengthsStopAtTheMemosSize) {
  TempDir dir;
  const int status = inChild([&] {
    LinkarFiles f(dir.file("LINKAR"), dir.file("CATEGORIES"));
    f.SITEINFO.attributes = kBlobMemo;
    fileCreate(f.LINKAR);
    fileOpen(f.LINKAR, kOpenShared);
    if (code() != 0) return 1;
    fileMemoSliceSet(f.LINKAR, 1, 0, 2, "abc");
    if (fileMemoSlice(f.LINKAR, 1, 0, 0) != "a" || fileMemoSize(f.LINKAR, 1) != 3) return 2;
    fileMemoSliceSet(f.LINKAR, 1, 1, INT_MAX, "B");
    if (code() != 0 || fileMemoSize(f.LINKAR, 1) != kSiteInfoSize) return 3;
    if (fileMemoSlice(f.LINKAR, 1, 0, 2) != "aB ") return 4;
    fileMemoSliceSet(f.LINKAR, 1, kSiteInfoSize, INT_MAX, "past the end");
    if (code() != 0 || fileMemoSize(f.LINKAR, 1) != kSiteInfoSize) return 5;
    fileMemoPropertySet(f.LINKAR, 1, "31929", "4294967295");
    if (code() != 0 || fileMemoSize(f.LINKAR, 1) != kSiteInfoSize) return 6;
    fileMemoPropertySet(f.LINKAR, 1, "31929", "10");
    if (fileMemoSize(f.LINKAR, 1) != 10) return 7;
    return kNameFits;
  });
  EXPECT_EQ(status, kNameFits);
}

// An empty data file is a new data file holding no table: OPEN of a table
// in it fails with 2 and leaves it empty, CREATE writes the first table.
TEST(StrandelArguments, AnEmptyDataFileHoldsNoTableAndStaysEmptyUntilACreate) {
  TempDir dir;
  const std::string path = dir.file("LINKAR.SDF");
  ASSERT_TRUE(writeWholeFile(path, ""));
  LinkarFiles f(dir.file("LINKAR"), dir.file("CATEGORIES"));
  fileOpen(f.LINKAR, kOpenShared);
  EXPECT_EQ(code(), err::kFileNotFound);
  EXPECT_TRUE(platform::fileExists(path));
  EXPECT_EQ(readWholeFile(path), "");
  fileCreate(f.LINKAR);
  ASSERT_EQ(code(), 0);
  fileOpen(f.LINKAR, kOpenShared);
  EXPECT_EQ(code(), 0);
  EXPECT_EQ(fileRecords(f.LINKAR), 0);
  fileClose(f.LINKAR);
}

}  // namespace
}  // namespace linkar::test
