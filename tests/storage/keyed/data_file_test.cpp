// Data files as a whole: the header on disk, the shared number counter, class
// regions growing and shrinking with the cut at close, enciphered files, and
// the open's answer to bytes that are not a data file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <fstream>
#include <cstdlib>

#include "storage/keyed/data_file.h"
#include "storage/keyed/file_checker.h"
#include "storage/keyed/internal_error.h"
#include "storage/keyed/regions.h"
#include "storage/keyed/sdfbt.h"

namespace linkar::keyed {
namespace {

std::unique_ptr<DataFile> openBytes(std::string bytes, std::string_view owner = {}, int* rc = nullptr) {
  std::unique_ptr<DataFile> file;
  const int result = DataFile::open(std::make_unique<MemoryStore>(std::move(bytes)), owner, file);
  if (rc) *rc = result;
  return file;
}

const std::string& fileBytes(DataFile& file) { return dynamic_cast<MemoryStore&>(file.store()).bytes(); }

std::string faultsOf(const CheckReport& r) {
  std::string out;
  for (const std::string& f : r.faults) out += f + "\n";
  return out;
}

std::string recordKeyOf(int i) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "r%08d", i);
  return buf;
}


// With LINKAR_KEYED_FUZZ_SEEDS set, the files tests make are kept as fuzzing seeds.
void saveSeed(const std::string& name, const std::string& bytes) {
  const char* dir = std::getenv("LINKAR_KEYED_FUZZ_SEEDS");
  if (!dir) return;
  std::ofstream(std::string(dir) + "/" + name + ".sdf", std::ios::binary) << bytes;
}

TEST(DataFileHeader, NewFileGetsMagicLengthAndBigEndianCounter) {
  auto file = openBytes({});
  ASSERT_TRUE(file);
  EXPECT_FALSE(file->hasTree());
  EXPECT_EQ(file->issueNumber(), 1u);  // the first table
  EXPECT_EQ(file->issueNumber(), 2u);  // its first record
  Sdfbt(*file).insert("x", "y");
  ASSERT_EQ(file->close(), 0);
  const std::string& b = fileBytes(*file);
  ASSERT_GE(b.size(), kHeaderSize + kUnit);
  EXPECT_EQ(b.substr(kHdrMagic, 4), "sTrD");
  EXPECT_EQ(getLe16(bytesOf(b) + kHdrLength), kHeaderSize);
  EXPECT_EQ(getBe32(bytesOf(b) + kHdrCounter), 2u);
  EXPECT_GT(getLe32(bytesOf(b) + kHdrChanges), 0u);
  // The next number continues after a reopen.
  auto again = openBytes(b);
  EXPECT_EQ(again->issueNumber(), 3u);
}

TEST(DataFileHeader, BytesThatAreNotADataFileAreRefusedWith36) {
  int rc = 0;
  EXPECT_FALSE(openBytes(std::string(100, 'x'), {}, &rc));
  EXPECT_EQ(rc, runtime::err::kInvalidDataFile);
  std::string noMagic(kHeaderSize, '\0');
  putLe16(reinterpret_cast<std::uint8_t*>(noMagic.data()) + kHdrLength, kHeaderSize);
  EXPECT_FALSE(openBytes(noMagic, {}, &rc));
  EXPECT_EQ(rc, runtime::err::kInvalidDataFile);
}

TEST(DataFileHeader, DamagedRegionsAreAnInternalError) {
  auto file = openBytes({});
  Sdfbt(*file).insert("a", "b");
  ASSERT_EQ(file->close(), 0);
  std::string b = fileBytes(*file);
  // Region 3 ending before it starts.
  putLe32(reinterpret_cast<std::uint8_t*>(b.data()) + kHdrRegionStart + 12, 9);
  putLe32(reinterpret_cast<std::uint8_t*>(b.data()) + kHdrRegionEnd + 12, 6);
  const int line = runGuarded([&] { openBytes(b); });
  EXPECT_GT(line, 0);
}

TEST(DataFileNumbers, CounterReachingTheLimitIsAnInternalError) {
  auto file = openBytes({});
  file->issueNumber();
  ASSERT_EQ(file->close(), 0);
  std::string b = fileBytes(*file);
  putBe32(reinterpret_cast<std::uint8_t*>(b.data()) + kHdrCounter, kNumberLimit - 2);
  auto near = openBytes(b);
  EXPECT_EQ(near->issueNumber(), kNumberLimit - 1);
  EXPECT_GT(runGuarded([&] { near->issueNumber(); }), 0);
}

TEST(DataFileRegions, FileGrowsAndIsCutBackAtCloseAfterShrinking) {
  auto file = openBytes({});
  std::string data(120, 'd');
  {
    Sdfbt tree(*file);
    for (int i = 0; i < 4000; ++i) {
      for (std::size_t j = 0; j < data.size(); ++j) data[j] = static_cast<char>('a' + (i * 31 + j * 7) % 26);
      tree.insert(recordKeyOf(i), data);
    }
  }
  ASSERT_EQ(file->close(), 0);
  const std::size_t grown = fileBytes(*file).size();
  EXPECT_EQ(grown, file->dataEnd());
  EXPECT_GT(grown, 200u * 1024);
  {
    Sdfbt tree(*file);
    for (int i = 80; i < 4000; ++i) ASSERT_TRUE(tree.erase(recordKeyOf(i)));
  }
  ASSERT_EQ(file->close(), 0);
  const std::size_t shrunk = fileBytes(*file).size();
  saveSeed("shrunk", fileBytes(*file));
  EXPECT_EQ(shrunk, file->dataEnd());
  EXPECT_LT(shrunk, grown / 10);
  // The regions hold no holes and every page is reachable.
  const CheckReport report = checkDataFile(std::make_unique<MemoryStore>(fileBytes(*file)), {});
  EXPECT_TRUE(report.structureSound()) << faultsOf(report);
  auto again = openBytes(fileBytes(*file));
  Sdfbt tree(*again);
  for (int i = 0; i < 80; ++i) EXPECT_TRUE(tree.find(recordKeyOf(i))) << i;
  EXPECT_FALSE(tree.find(recordKeyOf(80)));
}

// A mover that records moves, for exercising the region arithmetic alone.
struct RecordingMover : PageMover {
  std::vector<std::pair<std::int32_t, std::int32_t>> moves;
  void movePage(std::int32_t from, std::int32_t to) override { moves.emplace_back(from, to); }
};

TEST(RegionTable, AllocationKeepsRegionsInClassOrderAndFreeingFillsTheHole) {
  FileHeader h;
  RecordingMover mover;
  RegionTable regions(h, mover);
  const std::int32_t a = regions.allocate(1);
  const std::int32_t b = regions.allocate(3);
  const std::int32_t c = regions.allocate(1);  // region 3 must move up by one unit
  EXPECT_EQ(a, 0);
  EXPECT_EQ(c, 1);
  EXPECT_TRUE(h.regionsSound());
  EXPECT_EQ(h.classOf(c), 1);
  ASSERT_FALSE(mover.moves.empty());
  EXPECT_EQ(mover.moves.back().first, b);
  const std::int32_t d = regions.allocate(3);
  EXPECT_EQ(h.classOf(d), 3);
  // Freeing the first page of region 3 moves the last one into its place.
  mover.moves.clear();
  const std::int32_t first3 = static_cast<std::int32_t>(h.regionStart[3]);
  regions.release(first3);
  ASSERT_EQ(mover.moves.size(), 1u);
  EXPECT_EQ(mover.moves[0].second, first3);
  EXPECT_EQ(h.regionEnd[3] - h.regionStart[3], 3u);
  EXPECT_TRUE(h.regionsSound());
}

TEST(RegionTable, CompactionClosesGapsBelowRegions) {
  FileHeader h;
  RecordingMover mover;
  RegionTable regions(h, mover);
  for (int i = 0; i < 4; ++i) regions.allocate(2);
  for (int i = 0; i < 3; ++i) regions.allocate(5);
  ASSERT_EQ(h.regionStart[5], 8u);
  for (int i = 0; i < 3; ++i) regions.release(static_cast<std::int32_t>(h.regionStart[2]));
  // A gap of 6 units below region 5: exactly one of its pages fits into it.
  const std::uint64_t before = h.dataEnd();
  mover.moves.clear();
  regions.compact();
  EXPECT_TRUE(h.regionsSound());
  EXPECT_EQ(h.regionStart[5], 3u);
  EXPECT_EQ(h.dataEnd(), before - 5 * kUnit);
  ASSERT_EQ(mover.moves.size(), 1u);
  EXPECT_EQ(mover.moves[0], std::make_pair(std::int32_t{18}, std::int32_t{3}));
}

TEST(DataFileCipher, EncipheredFileReadsBackOnlyWithItsOwner) {
  auto file = openBytes({}, "Owner");
  {
    Sdfbt tree(*file);
    for (int i = 0; i < 300; ++i) tree.insert(recordKeyOf(i), "visible text " + std::to_string(i));
  }
  ASSERT_EQ(file->close(), 0);
  const std::string b = fileBytes(*file);
  EXPECT_EQ(b.find("visible text"), std::string::npos);
  EXPECT_EQ(b.find("sTrD"), std::string::npos);
  auto again = openBytes(b, "Owner");
  ASSERT_TRUE(again);
  EXPECT_EQ(Sdfbt(*again).find(recordKeyOf(7))->data(), "visible text 7");
  const CheckReport report = checkDataFile(std::make_unique<MemoryStore>(b), "Owner");
  EXPECT_TRUE(report.structureSound()) << faultsOf(report);
  int rc = 0;
  EXPECT_FALSE(openBytes(b, "owner", &rc));
  EXPECT_EQ(rc, runtime::err::kInvalidDataFile);
}

TEST(DataFileAccess, ChangesToAReadOnlyFileAreAnInternalError) {
  auto file = openBytes({});
  Sdfbt(*file).insert("a", "1");
  ASSERT_EQ(file->close(), 0);
  std::unique_ptr<DataFile> ro;
  ASSERT_EQ(DataFile::open(std::make_unique<MemoryStore>(fileBytes(*file), false), {}, ro), 0);
  Sdfbt tree(*ro);
  EXPECT_TRUE(tree.find("a"));
  EXPECT_GT(runGuarded([&] { tree.insert("b", "2"); }), 0);
  EXPECT_GT(runGuarded([&] { tree.erase("a"); }), 0);
}

// What an unguarded fault at `line` leaves on standard error: the box text,
// which names only the line, and the source file of the check beside it.
testing::Matcher<const std::string&> unguardedFaultAt(int line) {
  const std::string n = std::to_string(line);
  return testing::AllOf(testing::ContainsRegex("Internal error : sdfbt line " + n + "\n"),
                        testing::ContainsRegex(" storage/keyed/[a-z_]+\\.cpp:" + n + "\n"));
}

TEST(DataFileAccess, UnguardedInternalErrorEndsTheProgramWithTheRuntimeErrorBox) {
  auto insertIntoReadOnly = [] {
    std::unique_ptr<DataFile> ro;
    DataFile::open(std::make_unique<MemoryStore>(std::string(), false), {}, ro);
    Sdfbt(*ro).insert("a", "b");
  };
  const int line = runGuarded(insertIntoReadOnly);
  ASSERT_GT(line, 0);
  EXPECT_EXIT(insertIntoReadOnly(), testing::ExitedWithCode(2), unguardedFaultAt(line));
}


TEST(DataFileDamage, PageFaultsAreInternalErrorsAndTheCheckerNamesThem) {
  auto file = openBytes({});
  {
    Sdfbt tree(*file);
    for (int i = 0; i < 2000; ++i) tree.insert(recordKeyOf(i), std::string(40, static_cast<char>('a' + i % 26)));
  }
  ASSERT_EQ(file->close(), 0);
  const std::string good = fileBytes(*file);
  const std::uint64_t rootAt = pageOffset(file->header().root);
  struct Damage {
    const char* what;
    std::size_t offset;
    std::uint16_t value;
  };
  // The root page's header fields: each damage must stop a load of the page.
  const Damage damages[] = {
      {"stored length of another class", kPageStored, 0x0FFF},
      {"uncompressed length above the size bound", kPageLength, 0xFFF0},
      {"entry count past the body", kPageCount, 0x7FFF},
      {"home offset", kPageHome, 0x1234},
  };
  for (const Damage& d : damages) {
    std::string bad = good;
    putLe16(reinterpret_cast<std::uint8_t*>(bad.data()) + rootAt + d.offset, d.value);
    auto damaged = openBytes(bad);
    ASSERT_TRUE(damaged) << d.what;
    const int line = runGuarded([&] { Sdfbt(*damaged).find(recordKeyOf(5)); });
    EXPECT_GT(line, 0) << d.what;
    const CheckReport report = checkDataFile(std::make_unique<MemoryStore>(bad), {});
    EXPECT_FALSE(report.structureSound()) << d.what;
    if (&d == &damages[0]) {
      // Met while the program runs, the damage ends it and names its check.
      EXPECT_EXIT(Sdfbt(*damaged).find(recordKeyOf(5)), testing::ExitedWithCode(2), unguardedFaultAt(line))
          << d.what;
    }
  }
  // A file cut short: the pages past the end cannot be read in full.
  auto cut = openBytes(good.substr(0, good.size() - kUnit));
  EXPECT_GT(runGuarded([&] {
              Sdfbt tree(*cut);
              for (auto e = tree.first(); e; e = tree.next(e->key())) {
              }
            }),
            0);
}

}  // namespace
}  // namespace linkar::keyed
