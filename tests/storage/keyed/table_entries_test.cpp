// Table entries beside the keys: memo segments for text and blob memos, the
// definition stream, names with table parts, counters, and two tables in one
// file keeping apart with their names sorted after every table entry.
#include <gtest/gtest.h>

#include <string>
#include <fstream>
#include <cstdlib>
#include <vector>

#include "storage/keyed/data_file.h"
#include "storage/keyed/sdf_format.h"
#include "storage/keyed/table_definition.h"
#include "storage/keyed/table_entries.h"

namespace linkar::keyed {
namespace {


// With LINKAR_KEYED_FUZZ_SEEDS set, the files tests make are kept as fuzzing seeds.
void saveSeed(const std::string& name, const std::string& bytes) {
  const char* dir = std::getenv("LINKAR_KEYED_FUZZ_SEEDS");
  if (!dir) return;
  std::ofstream(std::string(dir) + "/" + name + ".sdf", std::ios::binary) << bytes;
}

class TableEntries : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(DataFile::open(std::make_unique<MemoryStore>(), {}, m_file), 0);
    m_tree = std::make_unique<Sdfbt>(*m_file);
  }
  std::vector<std::size_t> segmentSizes(std::uint32_t table, std::uint32_t record, std::uint8_t memo) {
    std::vector<std::size_t> out;
    const std::string prefix = memoPrefix(table, record, memo);
    std::uint16_t expected = 0;
    for (auto e = m_tree->next(prefix); e && e->key().substr(0, prefix.size()) == prefix;
         e = m_tree->next(e->key())) {
      EXPECT_EQ(e->key(), memoKey(table, record, memo, expected++));
      out.push_back(e->data().size());
    }
    return out;
  }
  void TearDown() override {
    ASSERT_EQ(m_file->close(), 0);
    saveSeed(std::string("entries-") + ::testing::UnitTest::GetInstance()->current_test_info()->name(),
             dynamic_cast<MemoryStore&>(m_file->store()).bytes());
  }
  std::unique_ptr<DataFile> m_file;
  std::unique_ptr<Sdfbt> m_tree;
};

TEST_F(TableEntries, TextMemoDropsTrailingSpacesAndSegmentsBy256) {
  writeMemo(*m_tree, 1, 2, 0, std::string(500, ' '), false);
  EXPECT_TRUE(segmentSizes(1, 2, 0).empty());
  const std::string text = std::string(256, 'a') + "b" + std::string(40, ' ');
  writeMemo(*m_tree, 1, 2, 0, text, false);
  EXPECT_EQ(segmentSizes(1, 2, 0), (std::vector<std::size_t>{256, 1}));
  EXPECT_EQ(readMemo(*m_tree, 1, 2, 0, false, 500), std::string(256, 'a') + "b" + std::string(243, ' '));
  // Rewriting a shorter memo leaves no stale segment behind.
  writeMemo(*m_tree, 1, 2, 0, "short", false);
  EXPECT_EQ(segmentSizes(1, 2, 0), std::vector<std::size_t>{5});
}

TEST_F(TableEntries, BlobMemoCarriesItsLengthInTheFirstSegment) {
  std::string blob(257, '\0');
  for (std::size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<char>(i);
  writeMemo(*m_tree, 1, 2, 1, blob, true);
  EXPECT_EQ(segmentSizes(1, 2, 1), (std::vector<std::size_t>{260, 1}));
  const auto first = m_tree->find(memoKey(1, 2, 1, 0));
  EXPECT_EQ(getLe32(bytesOf(first->data())), 257u);
  EXPECT_EQ(readMemo(*m_tree, 1, 2, 1, true, 0), blob);
  writeMemo(*m_tree, 1, 2, 1, "", true);
  EXPECT_TRUE(segmentSizes(1, 2, 1).empty());
  EXPECT_EQ(readMemo(*m_tree, 1, 2, 1, true, 0), "");
}

TEST_F(TableEntries, DefinitionStreamRoundTripsAcrossBlocks) {
  TableDefinition def;
  def.recordLength = 215;
  FieldDefinition text;
  text.type = 0x12;
  text.offset = 0;
  text.name = "URL:LOCATION";
  text.size = 128;
  text.picture = std::string();
  FieldDefinition dec;
  dec.type = 0x0A;
  dec.offset = 203;
  dec.name.reset();
  dec.size = 2;
  dec.digits = 3;
  def.fields = {text, dec};
  for (int i = 0; i < 60; ++i) {
    text.name = "URL:FIELD" + std::to_string(i);
    def.fields.push_back(text);
  }
  def.memos = {{std::nullopt, "URL:SITEINFO", 500, 0}};
  KeyDefinition key;
  key.name = "URL:K_LOCATION";
  key.flags = 0x06;
  key.components = {{1, 0}, {2, 1}};
  def.keys = {key};
  def.chooseVersion();
  EXPECT_EQ(def.version, kDefinitionVersion);
  const std::string stream = def.encode();
  ASSERT_GT(stream.size(), 2 * kDefinitionBlock);
  writeDefinition(*m_tree, 4, def);
  EXPECT_EQ(m_tree->find(definitionKey(4, 0))->data().size(), kDefinitionBlock);
  const auto back = readDefinition(*m_tree, 4);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->encode(), stream);
  EXPECT_FALSE(back->fields[1].name.has_value());
  EXPECT_EQ(back->fields[0].picture, std::string());
  EXPECT_EQ(back->keys[0].components[1].flags, 1);
  def.memos[0].flags = kMemoFlagBlob;
  def.chooseVersion();
  EXPECT_EQ(def.version, kDefinitionVersionBlob);
}

TEST_F(TableEntries, TruncatedOrPaddedDefinitionStreamsAreRejected) {
  TableDefinition def;
  def.recordLength = 15;
  FieldDefinition f;
  f.type = 0x12;
  f.name = "CAT:CATEGORY";
  f.size = 15;
  def.fields = {f};
  const std::string stream = def.encode();
  TableDefinition out;
  EXPECT_TRUE(TableDefinition::decode(stream, out));
  for (std::size_t cut = 0; cut < stream.size(); ++cut)
    EXPECT_FALSE(TableDefinition::decode(stream.substr(0, cut), out)) << cut;
  EXPECT_FALSE(TableDefinition::decode(stream + "x", out));
}

TEST(FileNames, TablePartAndDefaultExtension) {
  EXPECT_EQ(splitFileName("LINKAR").file, "LINKAR.SDF");
  EXPECT_EQ(splitFileName("LINKAR").table, "UNNAMED");
  const SplitName both = splitFileName("data/shop.db\\!Orders");
  EXPECT_EQ(both.file, "data/shop.db");
  EXPECT_EQ(both.table, "Orders");
  EXPECT_EQ(splitFileName("dir.v2/base").file, "dir.v2/base.SDF");
}

TEST_F(TableEntries, TwoTablesKeepApartAndNamesSortAfterTheirEntries) {
  const std::uint32_t a = m_file->issueNumber();
  const std::uint32_t b = m_file->issueNumber();
  writeName(*m_tree, "A", a);
  writeName(*m_tree, "B", b);
  for (std::uint32_t r = 0; r < 3; ++r) {
    m_tree->insert(recordKey(a, m_file->issueNumber()), "rec-a");
    m_tree->insert(recordKey(b, m_file->issueNumber()), "rec-b");
  }
  writeCounter(*m_tree, a, kTableSubject, {3, 0});
  addToCount(*m_tree, a, kTableSubject, -1);
  EXPECT_EQ(readCounter(*m_tree, a, kTableSubject)->count, 2u);
  EXPECT_EQ(findTable(*m_tree, "A"), a);
  EXPECT_EQ(findTable(*m_tree, "B"), b);
  EXPECT_FALSE(findTable(*m_tree, "C"));
  // In key order: all of table a, all of table b, then the name entries.
  std::vector<char> owners;
  for (auto e = m_tree->first(); e; e = m_tree->next(e->key())) {
    const auto k = bytesOf(e->key());
    owners.push_back(k[0] == kNamePrefix ? 'N' : (getBe32(k) == a ? 'a' : 'b'));
  }
  EXPECT_EQ(std::string(owners.begin(), owners.end()), "aaaabbbNN");
  EXPECT_EQ(erasePrefix(*m_tree, tablePrefix(a)), 4u);
  EXPECT_FALSE(readCounter(*m_tree, a, kTableSubject));
}

}  // namespace
}  // namespace linkar::keyed
