// Key values as stored: every numeric type orders correctly across zero,
// descending components reverse it, text keys fold case and pad as declared,
// blank values drop out, and key maintenance undoes a duplicate.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <fstream>
#include <cstdlib>
#include <vector>

#include "runtime/packed_decimal.h"
#include "storage/keyed/data_file.h"
#include "storage/keyed/key_descriptor.h"
#include "storage/keyed/key_maintenance.h"
#include "storage/keyed/sdf_format.h"
#include "storage/keyed/table_entries.h"
#include "storage/layer/field_list.h"

namespace linkar::keyed {
namespace {

template <typename T>
std::string raw(T v) {
  std::string s(sizeof(T), '\0');
  std::memcpy(s.data(), &v, sizeof(T));
  return s;
}

std::string decimal(std::int64_t v) {
  std::string s(2, '\0');
  EXPECT_EQ(runtime::packInteger(std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(s.data()), 2), 0, v),
            runtime::DecimalStatus::kOk);
  return s;
}

// Encodings of `values` (field bytes) must strictly increase, or decrease when descending.
void expectOrdered(std::uint8_t type, const std::vector<std::string>& values) {
  for (const bool descending : {false, true}) {
    KeyComponent c{type, 0, static_cast<std::uint32_t>(values[0].size()), descending};
    for (std::size_t i = 1; i < values.size(); ++i) {
      const std::string a = encodeComponent(c, values[i - 1], false);
      const std::string b = encodeComponent(c, values[i], false);
      EXPECT_EQ(a.size(), c.size);
      if (descending)
        EXPECT_GT(a, b) << "type " << int(type) << " descending, pair " << i;
      else
        EXPECT_LT(a, b) << "type " << int(type) << " pair " << i;
    }
  }
}

TEST(KeyEncoding, SignedTypesOrderAcrossZeroBothWays) {
  expectOrdered(storage::kTypeShort, {raw<std::int16_t>(-32768), raw<std::int16_t>(-1), raw<std::int16_t>(0),
                                      raw<std::int16_t>(1), raw<std::int16_t>(32767)});
  expectOrdered(storage::kTypeLong, {raw<std::int32_t>(INT32_MIN), raw<std::int32_t>(-256), raw<std::int32_t>(-1),
                                     raw<std::int32_t>(0), raw<std::int32_t>(1), raw<std::int32_t>(65536)});
  expectOrdered(storage::kTypeSReal, {raw<float>(-1e30f), raw<float>(-2.5f), raw<float>(-1.0f), raw<float>(0.0f),
                                      raw<float>(1.0f), raw<float>(2.5f)});
  expectOrdered(storage::kTypeReal, {raw<double>(-1e300), raw<double>(-2.5), raw<double>(-1.0), raw<double>(0.0),
                                     raw<double>(1e-300), raw<double>(1.0), raw<double>(2.5)});
  expectOrdered(storage::kTypeDecimal, {decimal(-999), decimal(-12), decimal(-5), decimal(-1), decimal(0),
                                        decimal(1), decimal(5), decimal(12), decimal(999)});
}

TEST(KeyEncoding, UnsignedTypesOrderByMagnitude) {
  expectOrdered(storage::kTypeUShort, {raw<std::uint16_t>(0), raw<std::uint16_t>(255), raw<std::uint16_t>(256),
                                       raw<std::uint16_t>(65535)});
  expectOrdered(storage::kTypeULong, {raw<std::uint32_t>(0), raw<std::uint32_t>(1), raw<std::uint32_t>(0x01000000),
                                      raw<std::uint32_t>(0xFFFFFFFF)});
}

TEST(KeyEncoding, TextFormsPadAsDeclaredAndFoldCaseWhenAsked) {
  const KeyComponent fixed{storage::kTypeString, 0, 6, false};
  const KeyComponent cstr{storage::kTypeCString, 0, 6, false};
  const KeyComponent pstr{storage::kTypePString, 0, 6, false};
  // Fixed text keeps its trailing spaces.
  EXPECT_EQ(encodeComponent(fixed, "ab    ", false), "ab    ");
  // Zero-terminated and length-prefixed text pad with zeros, so "ab" sorts before "ab ".
  EXPECT_EQ(encodeComponent(cstr, std::string("ab\0zzz", 6), false), std::string("ab\0\0\0\0", 6));
  EXPECT_EQ(encodeComponent(pstr, std::string("\x02" "abzzz", 6), false), std::string("ab\0\0\0\0", 6));
  EXPECT_LT(encodeComponent(cstr, std::string("ab\0\0\0\0", 6), false),
            encodeComponent(cstr, std::string("ab \0\0\0", 6), false));
  // A length byte past the field is cut to the field.
  EXPECT_EQ(encodeComponent(pstr, std::string("\xFF" "abcde", 6), false), "abcde" + std::string(1, '\0'));
  EXPECT_EQ(encodeComponent(fixed, "News  ", true), encodeComponent(fixed, "NEWS  ", true));
  EXPECT_NE(encodeComponent(fixed, "News  ", false), encodeComponent(fixed, "NEWS  ", false));
}

TEST(KeyEncoding, BlankValuesOfOmittingKeysGetNoEntry) {
  KeyDescriptor key;
  key.flags = kKeyOmitBlank;
  key.components = {{storage::kTypeString, 0, 4, false}, {storage::kTypeLong, 4, 4, false}};
  const std::string blank = "    " + raw<std::int32_t>(0);
  EXPECT_FALSE(buildKeyEntry(1, key, blank, 7));
  EXPECT_TRUE(buildKeyEntry(1, key, "    " + raw<std::int32_t>(3), 7));
  KeyDescriptor kept = key;
  kept.flags = 0;
  EXPECT_TRUE(buildKeyEntry(1, kept, blank, 7));
  EXPECT_TRUE(componentBlank({storage::kTypeCString, 0, 3, false}, std::string("\0ab", 3)));
  EXPECT_FALSE(componentBlank({storage::kTypeString, 0, 3, false}, std::string("\0  ", 3)));
}

TEST(KeyEncoding, EntryLayoutPutsTheRecordNumberInKeyOnlyWithDuplicates) {
  KeyDescriptor key;
  key.number = 2;
  key.components = {{storage::kTypeString, 0, 3, false}};
  const auto unique = buildKeyEntry(0x01020304, key, "abc", 0x0A0B0C0D);
  ASSERT_TRUE(unique);
  EXPECT_EQ(unique->keyPart, std::string("\x01\x02\x03\x04\x02" "abc"));
  EXPECT_EQ(unique->dataPart, "\x0A\x0B\x0C\x0D");
  key.flags = kKeyDuplicates;
  const auto dup = buildKeyEntry(0x01020304, key, "abc", 0x0A0B0C0D);
  EXPECT_EQ(dup->keyPart, std::string("\x01\x02\x03\x04\x02" "abc\x0A\x0B\x0C\x0D"));
  EXPECT_TRUE(dup->dataPart.empty());
}


// With LINKAR_KEYED_FUZZ_SEEDS set, the files tests make are kept as fuzzing seeds.
void saveSeed(const std::string& name, const std::string& bytes) {
  const char* dir = std::getenv("LINKAR_KEYED_FUZZ_SEEDS");
  if (!dir) return;
  std::ofstream(std::string(dir) + "/" + name + ".sdf", std::ios::binary) << bytes;
}

// A table of 8-byte records: a 4-byte location (key 0, unique, no case,
// blanks omitted) and a 4-byte category (key 1, duplicates allowed).
class KeyMaintenance : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(DataFile::open(std::make_unique<MemoryStore>(), {}, m_file), 0);
    m_tree = std::make_unique<Sdfbt>(*m_file);
    KeyDescriptor location;
    location.number = 0;
    location.flags = kKeyNoCase | kKeyOmitBlank;
    location.components = {{storage::kTypeString, 0, 4, false}};
    KeyDescriptor category;
    category.number = 1;
    category.flags = kKeyDuplicates;
    category.components = {{storage::kTypeString, 4, 4, false}};
    m_keys = {location, category};
  }
  int add(std::uint32_t record, std::string_view values) {
    return updateKeys(*m_tree, kTable, m_keys, nullptr, &values, record, false);
  }
  std::uint32_t count(std::uint8_t k) { return readCounter(*m_tree, kTable, k).value_or(Counter{}).count; }
  std::vector<std::uint32_t> recordsInKey(std::uint8_t k) {
    std::vector<std::uint32_t> out;
    std::string prefix = tablePrefix(kTable);
    prefix.push_back(static_cast<char>(k));
    for (auto e = m_tree->next(prefix); e && e->key().substr(0, prefix.size()) == prefix; e = m_tree->next(e->key()))
      out.push_back(getBe32(bytesOf(e->bytes) + e->bytes.size() - 4));
    return out;
  }

  void TearDown() override {
    ASSERT_EQ(m_file->close(), 0);
    saveSeed(std::string("keys-") + ::testing::UnitTest::GetInstance()->current_test_info()->name(),
             dynamic_cast<MemoryStore&>(m_file->store()).bytes());
  }

  static constexpr std::uint32_t kTable = 1;
  std::unique_ptr<DataFile> m_file;
  std::unique_ptr<Sdfbt> m_tree;
  std::vector<KeyDescriptor> m_keys;
};

TEST_F(KeyMaintenance, DuplicateInAUniqueKeyFailsWith40AndChangesNothing) {
  ASSERT_EQ(add(2, "AAAAnews"), 0);
  // Same location in other letters: the unique key ignores case.
  EXPECT_EQ(add(3, "aaaasite"), runtime::err::kCreatesDuplicateKey);
  EXPECT_EQ(recordsInKey(0), std::vector<std::uint32_t>{2});
  EXPECT_EQ(recordsInKey(1), std::vector<std::uint32_t>{2});
  EXPECT_EQ(count(0), 1u);
  EXPECT_EQ(count(1), 1u);
}

TEST_F(KeyMaintenance, ChangeThatCollidesInASecondKeyUndoesTheFirst) {
  // Make key 1 unique too, declared after key 0, so key 0 changes first.
  m_keys[1].flags = 0;
  ASSERT_EQ(add(2, "AAAAnews"), 0);
  ASSERT_EQ(add(3, "BBBBblog"), 0);
  const std::string_view before = "BBBBblog";
  const std::string_view after = "CCCCnews";
  EXPECT_EQ(updateKeys(*m_tree, kTable, m_keys, &before, &after, 3, false), runtime::err::kCreatesDuplicateKey);
  EXPECT_TRUE(m_tree->find(tablePrefix(kTable) + std::string(1, '\0') + "BBBB"));
  EXPECT_FALSE(m_tree->find(tablePrefix(kTable) + std::string(1, '\0') + "CCCC"));
  EXPECT_EQ(recordsInKey(0), (std::vector<std::uint32_t>{2, 3}));
  EXPECT_EQ(count(0), 2u);
  EXPECT_EQ(count(1), 2u);
}

TEST_F(KeyMaintenance, DuplicatesComeOutInRecordOrderAndBlanksAreLeftOut) {
  ASSERT_EQ(add(5, "    news"), 0);
  ASSERT_EQ(add(3, "CCCCnews"), 0);
  ASSERT_EQ(add(9, "DDDDnews"), 0);
  EXPECT_EQ(recordsInKey(1), (std::vector<std::uint32_t>{3, 5, 9}));
  EXPECT_EQ(recordsInKey(0), (std::vector<std::uint32_t>{3, 9}));
  EXPECT_EQ(count(0), 2u);
  // Deleting removes only this record's entries.
  const std::string_view gone = "CCCCnews";
  ASSERT_EQ(updateKeys(*m_tree, kTable, m_keys, &gone, nullptr, 3, false), 0);
  EXPECT_EQ(recordsInKey(1), (std::vector<std::uint32_t>{5, 9}));
  EXPECT_EQ(count(1), 2u);
}

TEST_F(KeyMaintenance, LazyMaintenanceMarksKeysOutOfDateFromTheLowestRecord) {
  const std::string_view values = "EEEEnews";
  ASSERT_EQ(updateKeys(*m_tree, kTable, m_keys, nullptr, &values, 7, true), 0);
  ASSERT_EQ(updateKeys(*m_tree, kTable, m_keys, nullptr, &values, 9, true), 0);
  EXPECT_TRUE(recordsInKey(0).empty());
  EXPECT_EQ(readCounter(*m_tree, kTable, 0)->outOfDateFrom, 7u);
  EXPECT_EQ(readCounter(*m_tree, kTable, 1)->outOfDateFrom, 7u);
  // A key not kept in the file is ignored entirely.
  m_keys[0].flags |= kKeyPrivate;
  ASSERT_EQ(add(11, "FFFFnews"), 0);
  EXPECT_TRUE(recordsInKey(0).empty());
}

TEST_F(KeyMaintenance, CollisionCheckIgnoresTheRecordItself) {
  ASSERT_EQ(add(2, "AAAAnews"), 0);
  EXPECT_FALSE(keyCollides(*m_tree, kTable, m_keys[0], "AAAAnews", 2));
  EXPECT_TRUE(keyCollides(*m_tree, kTable, m_keys[0], "aaaaxxxx", 4));
  EXPECT_FALSE(keyCollides(*m_tree, kTable, m_keys[1], "ZZZZnews", 4));
}

}  // namespace
}  // namespace linkar::keyed
