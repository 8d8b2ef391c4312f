// Sequential reading in every key order of the LINKAR file, both ways,
// against a model of the orders; blank values left out; POSITION texts that
// RESET and REGET bring back; the SET forms, SKIP, BOF and EOF.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <random>

#include "runtime/error_state.h"
#include "storage/layer/file_statements.h"
#include "tests/storage/keyed/strandel_test_records.h"
#include "tests/support/temp_dir.h"

namespace linkar::test {
namespace {

using namespace linkar::storage;

struct Site {
  std::string location, description, category, keyword;
  int rating = 0;
  int32_t number = 0;
};

std::string padUpper(const std::string& s, size_t size) {
  std::string out = s;
  out.resize(size, ' ');
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

std::string ratingText(int r) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%03d", r);
  return buf;
}

class StrandelSequence : public ::testing::Test {
 protected:
  StrandelSequence() : files(dir.file("LINKAR"), dir.file("CATEGORIES")) {}

  void SetUp() override {
    fileCreate(files.LINKAR);
    fileOpen(files.LINKAR, kOpenShared);
    ASSERT_EQ(runtime::errorCode(), 0);
    std::mt19937 rng(7);
    const char* categories[] = {"News", "news", "Sports", "Tech", "Arts"};
    const char* words[] = {"alpha", "Beta", "gamma", "", "delta"};
    fileStream(files.LINKAR);
    for (int i = 0; i < 120; ++i) {
      Site s;
      s.location = i % 17 == 5 ? "" : "http://" + std::string(1, static_cast<char>('a' + rng() % 26)) +
                                          std::to_string(i) + (i % 3 ? ".Example/" : ".example/");
      s.description = i % 11 == 3 ? "" : "Site " + std::to_string(rng() % 30);
      s.category = categories[rng() % 5];
      s.keyword = words[rng() % 5];
      s.rating = static_cast<int>(rng() % 12);
      ASSERT_EQ(files.addSite(s.location, s.description, s.category, s.rating, s.keyword), 0) << i;
      s.number = filePointer(files.LINKAR);
      sites.push_back(s);
    }
    fileFlush(files.LINKAR);
    ASSERT_EQ(runtime::errorCode(), 0);
  }
  void TearDown() override { fileClose(files.LINKAR); }

  // The expected record numbers of key k in ascending order.
  std::vector<int32_t> expected(int k) const {
    std::vector<std::pair<std::string, int32_t>> order;
    for (const Site& s : sites) {
      const std::string loc = padUpper(s.location, kLocationSize);
      std::string key;
      switch (k) {
        case 0:
          if (s.location.empty()) continue;
          key = loc;
          break;
        case 1:
          if (s.description.empty()) continue;
          key = padUpper(s.description, kDescriptionSize);
          break;
        case 2:
          key = padUpper(s.category, kCategorySize) + loc;
          break;
        case 3:
          key = ratingText(s.rating) + loc;
          break;
        default:
          key = padUpper(s.keyword, kKeywordSize) + loc;
          break;
      }
      order.emplace_back(key, s.number);
    }
    std::sort(order.begin(), order.end());
    std::vector<int32_t> out;
    for (const auto& p : order) out.push_back(p.second);
    return out;
  }

  std::vector<int32_t> readAll(bool forward) {
    std::vector<int32_t> out;
    for (;;) {
      forward ? fileNext(files.LINKAR) : filePrevious(files.LINKAR);
      if (runtime::errorCode() != 0) break;
      out.push_back(filePointer(files.LINKAR));
    }
    EXPECT_EQ(runtime::errorCode(), 33);
    return out;
  }

  TempDir dir;
  LinkarFiles files;
  std::vector<Site> sites;
};

TEST_F(StrandelSequence, EveryKeyOrderReadsForwardsAndBackwards) {
  for (int k = 0; k < 5; ++k) {
    const std::vector<int32_t> want = expected(k);
    fileSetKey(files.LINKAR, *files.linkarKey(k));
    EXPECT_EQ(fileCurrentOrder(files.LINKAR), k + 1);
    EXPECT_EQ(readAll(true), want) << "key " << k;
    fileSetKey(files.LINKAR, *files.linkarKey(k));
    std::vector<int32_t> back = readAll(false);
    std::reverse(back.begin(), back.end());
    EXPECT_EQ(back, want) << "key " << k;
    EXPECT_EQ(fileRecordsKey(files.LINKAR, *files.linkarKey(k)), static_cast<int32_t>(want.size()));
  }
  // Blank locations and descriptions are left out of their keys only.
  EXPECT_LT(expected(0).size(), sites.size());
  EXPECT_LT(expected(1).size(), sites.size());
  EXPECT_EQ(expected(2).size(), sites.size());
}

TEST_F(StrandelSequence, FileOrderFollowsRecordNumbersAndStartsAtAPointer) {
  std::vector<int32_t> numbers;
  for (const Site& s : sites) numbers.push_back(s.number);
  fileSet(files.LINKAR);
  EXPECT_EQ(fileCurrentOrder(files.LINKAR), 0);
  EXPECT_EQ(readAll(true), numbers);
  fileSetPointer(files.LINKAR, numbers[50]);
  fileNext(files.LINKAR);
  EXPECT_EQ(filePointer(files.LINKAR), numbers[50]);
  fileSetPointer(files.LINKAR, numbers[50]);
  filePrevious(files.LINKAR);
  EXPECT_EQ(filePointer(files.LINKAR), numbers[50]);
  fileNext(files.LINKAR);
  EXPECT_EQ(filePointer(files.LINKAR), numbers[51]);
}

TEST_F(StrandelSequence, PositionTextsBringBackTheSameRecordInEveryKey) {
  for (int k = 0; k < 5; ++k) {
    const std::vector<int32_t> want = expected(k);
    fileSetKey(files.LINKAR, *files.linkarKey(k));
    for (int i = 0; i < 40; ++i) fileNext(files.LINKAR);
    ASSERT_EQ(runtime::errorCode(), 0);
    const int32_t here = filePointer(files.LINKAR);
    const std::string position = filePositionKey(files.LINKAR, *files.linkarKey(k));
    ASSERT_EQ(runtime::errorCode(), 0);
    const std::string filePos = filePosition(files.LINKAR);
    // Wander off, then come back by RESET: NEXT reads the record again.
    fileSetKey(files.LINKAR, *files.linkarKey(k));
    fileNext(files.LINKAR);
    fileResetKey(files.LINKAR, *files.linkarKey(k), position);
    ASSERT_EQ(runtime::errorCode(), 0);
    fileNext(files.LINKAR);
    EXPECT_EQ(filePointer(files.LINKAR), here) << k;
    fileNext(files.LINKAR);
    EXPECT_EQ(filePointer(files.LINKAR), want[40]) << k;
    fileResetKey(files.LINKAR, *files.linkarKey(k), position);
    filePrevious(files.LINKAR);
    EXPECT_EQ(filePointer(files.LINKAR), here) << k;
    filePrevious(files.LINKAR);
    EXPECT_EQ(filePointer(files.LINKAR), want[38]) << k;
    // REGET reads it directly, by the key's text or the file's.
    fileRegetKey(files.LINKAR, *files.linkarKey(k), position);
    ASSERT_EQ(runtime::errorCode(), 0);
    EXPECT_EQ(filePointer(files.LINKAR), here);
    fileGetPosition(files.LINKAR, want[0]);
    fileReget(files.LINKAR, filePos);
    EXPECT_EQ(filePointer(files.LINKAR), here);
  }
  fileResetKey(files.LINKAR, files.K_LOCATION, "short");
  EXPECT_EQ(runtime::errorCode(), 81);
  fileReget(files.LINKAR, std::string(4, '\x7f'));
  EXPECT_EQ(runtime::errorCode(), 35);
}

TEST_F(StrandelSequence, SetFromTheBufferStartsAtTheValueAndSkipMoves) {
  const std::vector<int32_t> want = expected(2);
  // Start the category order at "SPORTS": the first record at or after it.
  files.clearSite();
  files.setCategory("sports");
  fileSetKeyValues(files.LINKAR, files.K_CATEGORY, files.K_CATEGORY);
  fileNext(files.LINKAR);
  ASSERT_EQ(runtime::errorCode(), 0);
  EXPECT_EQ(padUpper(files.category(), 15), padUpper("Sports", 15));
  const int32_t firstSports = filePointer(files.LINKAR);
  EXPECT_EQ(firstSports, *std::find_if(want.begin(), want.end(), [&](int32_t n) {
    for (const Site& s : sites)
      if (s.number == n) return padUpper(s.category, 15) >= padUpper("Sports", 15);
    return false;
  }));
  // Backwards from a value between two categories: the greatest below it.
  files.setCategory("sport");
  files.setLocation("");
  fileSetKeyValues(files.LINKAR, files.K_CATEGORY, files.K_CATEGORY);
  filePrevious(files.LINKAR);
  ASSERT_EQ(runtime::errorCode(), 0);
  EXPECT_LT(padUpper(files.category(), 15), padUpper("Sports", 15));

  fileSetKey(files.LINKAR, files.K_CATEGORY);
  EXPECT_TRUE(fileBof(files.LINKAR) == false);
  fileSkip(files.LINKAR, 10);
  fileNext(files.LINKAR);
  EXPECT_EQ(filePointer(files.LINKAR), want[10]);
  fileSkip(files.LINKAR, -3);
  fileNext(files.LINKAR);
  EXPECT_EQ(filePointer(files.LINKAR), want[8]);
  fileSkip(files.LINKAR, 100000);
  EXPECT_EQ(runtime::errorCode(), 0);
  EXPECT_TRUE(fileEof(files.LINKAR));
  EXPECT_FALSE(fileBof(files.LINKAR));
}

TEST_F(StrandelSequence, ChangingTheKeyOfTheCurrentRecordContinuesFromItsOldValue) {
  const std::vector<int32_t> want = expected(0);
  fileSetKey(files.LINKAR, files.K_LOCATION);
  fileNext(files.LINKAR);
  ASSERT_EQ(filePointer(files.LINKAR), want[0]);
  files.setLocation("zzzz://last/");
  filePut(files.LINKAR);
  ASSERT_EQ(runtime::errorCode(), 0);
  fileNext(files.LINKAR);
  EXPECT_EQ(filePointer(files.LINKAR), want[1]);
  // Further on, the changed record is met again under its new value.
  std::vector<int32_t> rest = readAll(true);
  ASSERT_FALSE(rest.empty());
  EXPECT_EQ(rest.back(), want[0]);
}

TEST_F(StrandelSequence, NextWithoutASequenceFails) {
  fileClose(files.LINKAR);
  fileOpen(files.LINKAR, kOpenShared);
  fileNext(files.LINKAR);
  EXPECT_EQ(runtime::errorCode(), 33);
}

}  // namespace
}  // namespace linkar::test
