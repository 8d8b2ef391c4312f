// The tree against std::map: random inserts, replacements and deletes, with
// order and contents compared after each phase, after writing, and after the
// file is reopened from its bytes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <map>
#include <random>
#include <string>

#include "storage/keyed/data_file.h"
#include "storage/keyed/file_checker.h"
#include "storage/keyed/sdfbt.h"
#include "storage/keyed/table_definition.h"
#include "storage/keyed/table_entries.h"
#include "tests/support/child_process.h"

namespace linkar::keyed {
namespace {

std::unique_ptr<DataFile> openBytes(std::string bytes, std::string_view owner = {}) {
  std::unique_ptr<DataFile> file;
  EXPECT_EQ(DataFile::open(std::make_unique<MemoryStore>(std::move(bytes)), owner, file), 0);
  return file;
}

std::string bytesOfFile(DataFile& file) {
  return dynamic_cast<MemoryStore&>(file.store()).bytes();
}

// Keys share long prefixes now and then, so prefix sharing and its cap are hit.
std::string randomKey(std::mt19937& rng) {
  static const std::string kPrefixes[] = {"", "www.example.com/", std::string(70, 'p'), "\xff\xfe"};
  std::string key = kPrefixes[rng() % 4];
  const std::size_t n = 1 + rng() % 12;
  for (std::size_t i = 0; i < n; ++i) key.push_back(static_cast<char>('a' + rng() % 6));
  return key;
}

std::string randomData(std::mt19937& rng) {
  std::string data(rng() % 40, '\0');
  // Runs of equal bytes make some bodies compressible.
  const char fill = static_cast<char>(rng() % 3);
  for (char& c : data) c = (rng() % 4) ? fill : static_cast<char>(rng());
  return data;
}

void expectSame(Sdfbt& tree, const std::map<std::string, std::string>& model) {
  Cursor cursor;
  cursor.setKey({});
  auto it = model.begin();
  std::size_t seen = 0;
  while (auto e = tree.next(cursor)) {
    ASSERT_NE(it, model.end()) << "tree holds more entries than the model";
    ASSERT_EQ(e->key(), it->first);
    ASSERT_EQ(e->data(), it->second);
    ++it;
    ++seen;
  }
  EXPECT_EQ(seen, model.size());
  // And backwards from the end.
  auto rit = model.rbegin();
  for (auto e = tree.last(); e; e = tree.previous(e->key())) {
    ASSERT_NE(rit, model.rend());
    ASSERT_EQ(e->key(), rit->first);
    ++rit;
  }
  EXPECT_EQ(rit, model.rend());
}

TEST(SdfbtModel, RandomInsertsAndDeletesMatchAnOrderedMap) {
  std::mt19937 rng(20261208);
  auto file = openBytes({});
  std::map<std::string, std::string> model;
  constexpr int kPhases = 10;
  constexpr int kOpsPerPhase = 12000;
  for (int phase = 0; phase < kPhases; ++phase) {
    Sdfbt tree(*file);
    // Early phases mostly grow the tree, later ones mostly shrink it.
    const unsigned deleteShare = phase < 5 ? 30 : 65;
    for (int op = 0; op < kOpsPerPhase; ++op) {
      const std::string key = randomKey(rng);
      if (rng() % 100 < deleteShare) {
        const bool present = model.erase(key) > 0;
        ASSERT_EQ(tree.erase(key), present) << "phase " << phase << " op " << op;
      } else {
        const std::string data = randomData(rng);
        tree.put(key, data);
        model[key] = data;
      }
      if (op % 997 == 0) {
        const std::string probe = randomKey(rng);
        const auto found = tree.find(probe);
        const auto expected = model.find(probe);
        ASSERT_EQ(found.has_value(), expected != model.end());
        if (found) {
          EXPECT_EQ(found->data(), expected->second);
        }
        const auto after = tree.next(probe);
        const auto expectedAfter = model.upper_bound(probe);
        ASSERT_EQ(after.has_value(), expectedAfter != model.end());
        if (after) {
          EXPECT_EQ(after->key(), expectedAfter->first);
        }
      }
    }
    expectSame(tree, model);
    // The tree must have grown past one page for the walk to mean anything.
    EXPECT_GT(file->rootPage()->level(), 0);
    ASSERT_EQ(file->writeChanges(), 0);
    if (phase % 3 == 2) {
      ASSERT_EQ(file->close(), 0);
      file = openBytes(bytesOfFile(*file));
      Sdfbt reopened(*file);
      expectSame(reopened, model);
      const CheckReport report = checkDataFile(std::make_unique<MemoryStore>(bytesOfFile(*file)), {});
      EXPECT_TRUE(report.structureSound()) << report.faults.front();
      EXPECT_EQ(report.entries, model.size() + 1);
    }
  }
}


// The same against the records of one table, kept with its name, definition
// and record counter, so that the sdfcheck tool can judge the written file.
TEST(SdfbtModel, TableOfRecordsMatchesAMapAndPassesSdfcheck) {
  constexpr std::uint32_t kTable = 1;
  constexpr std::uint32_t kNumbers = 40000;  // record numbers drawn from 2..kNumbers+1
  constexpr int kOps = 100000;
  constexpr std::size_t kRecordLength = 16;
  std::mt19937 rng(7);
  auto file = openBytes({});
  ASSERT_EQ(file->issueNumber(), kTable);
  std::map<std::string, std::string> model;
  {
    Sdfbt tree(*file);
    writeName(tree, "UNNAMED", kTable);
    TableDefinition def;
    def.recordLength = kRecordLength;
    FieldDefinition field;
    field.type = 0x12;
    field.name = "M:TEXT";
    field.size = kRecordLength;
    def.fields = {field};
    writeDefinition(tree, kTable, def);
    for (int op = 0; op < kOps; ++op) {
      const std::string key = recordKey(kTable, 2 + rng() % kNumbers);
      if (rng() % 3 == 0) {
        ASSERT_EQ(tree.erase(key), model.erase(key) > 0);
      } else {
        std::string data(kRecordLength, static_cast<char>('a' + rng() % 26));
        data[rng() % kRecordLength] = static_cast<char>(rng());
        tree.put(key, data);
        model[key] = data;
      }
      if (op % 25000 == 24999) {
        ASSERT_EQ(file->writeChanges(), 0);
      }
    }
    writeCounter(tree, kTable, kTableSubject, {static_cast<std::uint32_t>(model.size()), 0});
    Cursor cursor;
    cursor.setKey(recordKey(kTable, 0));
    auto it = model.begin();
    for (auto e = tree.next(cursor); e && e->key().size() == kRecordKeyLength &&
                                      static_cast<std::uint8_t>(e->key()[4]) == kKindRecord;
         e = tree.next(cursor), ++it) {
      ASSERT_NE(it, model.end());
      ASSERT_EQ(e->key(), it->first);
      ASSERT_EQ(e->data(), it->second);
    }
    EXPECT_EQ(it, model.end());
  }
  ASSERT_EQ(file->close(), 0);
  char dir[] = "/tmp/linkar-model-XXXXXX";
  ASSERT_NE(::mkdtemp(dir), nullptr);
  const std::string path = std::string(dir) + "/MODEL.SDF";
  std::ofstream(path, std::ios::binary) << bytesOfFile(*file);
  const test::CommandRun check = test::runCommand(std::string(LINKAR_TOOLS_DIR) + "/sdfcheck " + path, 120);
  std::system((std::string("rm -rf ") + dir).c_str());
  EXPECT_EQ(check.status, 0) << check.output;
  EXPECT_NE(check.output.find(std::to_string(model.size()) + " records: sound"), std::string::npos) << check.output;
}

}  // namespace
}  // namespace linkar::keyed
