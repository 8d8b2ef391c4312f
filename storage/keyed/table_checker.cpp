// Recomputing a table's key entries from its records, and its memo checks.
//
// Key entries are matched through a hash of their bytes: the records are read
// once in number order and every entry they call for is hashed, then each
// key's entries are read once in key order and looked up among those hashes.
// Both readings are sequential, so a large file needs no search per entry;
// what is held is 16 bytes per expected entry and 4 per record.
#include "storage/keyed/table_checker.h"

#include <algorithm>
#include <optional>
#include <set>
#include <unordered_set>
#include <vector>

#include "storage/keyed/key_descriptor.h"
#include "storage/keyed/sdf_format.h"
#include "storage/keyed/table_entries.h"

namespace linkar::keyed {
namespace {

constexpr std::size_t kWalkChunk = 1000;  // entries per walk: the page cache evicts between walks
constexpr std::uint64_t kKeyLengthMix = 0x9E3779B97F4A7C15ull;  // spreads the key length over the hash
constexpr std::size_t kBlobLengthBytes = 4;  // a blob's total length ahead of its first segment

using Visit = std::function<void(std::string_view key, std::string_view data)>;

// Visits the entries from `from` up to, not including, `end`, in key order.
void walkRange(Sdfbt& tree, std::string from, const std::string& end, const Visit& visit) {
  for (bool more = true; more;) {
    more = false;
    std::size_t seen = 0;
    tree.walk(from, [&](std::string_view key, std::string_view data) {
      if (key >= end) return false;
      if (seen == kWalkChunk) {
        from.assign(key);
        more = true;
        return false;
      }
      ++seen;
      visit(key, data);
      return true;
    });
  }
}

std::string withKind(std::uint32_t table, std::uint8_t kind) {
  std::string k = tablePrefix(table);
  k.push_back(static_cast<char>(kind));
  return k;
}

std::uint64_t entryHash(std::string_view key, std::string_view data) {
  std::string bytes(key);
  bytes.append(data);
  return std::hash<std::string_view>{}(bytes) ^ (key.size() * kKeyLengthMix);
}

struct Expected {
  std::uint64_t hash;
  std::uint32_t record;
  std::uint8_t key;
  bool met;
};

// One memo of one record, as its segments are met.
struct MemoSeen {
  std::uint32_t record = 0;
  std::uint8_t memo = 0;
  std::vector<std::size_t> segments;  // bytes of each segment, in order
  std::optional<std::uint32_t> blobLength;  // the first segment's leading 4 bytes
};

class TableChecker {
 public:
  TableChecker(Sdfbt& tree, std::uint32_t table, std::string_view name, const TableDefinition& def,
               const FaultSink& fault)
      : m_tree(tree), m_table(table), m_name(name), m_def(def), m_keys(def.keyDescriptors()), m_fault(fault) {}

  void run() {
    readCounters();
    readRecords();
    readKeyEntries();
    reportMissingEntries();
    readMemos();
  }

 private:
  std::string table() const { return "table \"" + m_name + "\""; }
  std::string keyName(std::size_t k) const { return "key " + std::to_string(k) + " of " + table(); }
  // Whether the entries of key `k` for `record` are kept up to date.
  bool maintained(std::size_t k, std::uint32_t record) const {
    if (m_keys[k].flags & kKeyPrivate) return false;
    return m_marks[k] == 0 || record < m_marks[k];
  }
  bool recordExists(std::uint32_t record) const {
    return std::binary_search(m_records.begin(), m_records.end(), record);
  }

  void readCounters();
  void readRecords();
  void readKeyEntries();
  void keyEntry(std::string_view key, std::string_view data);
  void reportMissingEntries();
  void readMemos();
  void finishMemo(const MemoSeen& m);

  Sdfbt& m_tree;
  std::uint32_t m_table;
  std::string m_name;
  const TableDefinition& m_def;
  std::vector<KeyDescriptor> m_keys;
  const FaultSink& m_fault;
  std::vector<std::uint32_t> m_marks;     // per key: out of date from this record, 0 = up to date
  std::vector<std::uint32_t> m_records;   // record numbers, ascending
  std::vector<Expected> m_expected;       // sorted by hash once the records are read
  std::set<std::uint8_t> m_strangeKeys;   // key numbers already reported as not declared or not kept
  int m_uniqueKey = -1;                   // the key whose reached records m_reached holds
  std::unordered_set<std::uint32_t> m_reached;
};

void TableChecker::readCounters() {
  if (!readCounter(m_tree, m_table, kTableSubject)) m_fault(table() + " has no record counter");
  for (std::size_t k = 0; k < m_keys.size(); ++k) {
    const auto counter = readCounter(m_tree, m_table, static_cast<std::uint8_t>(k));
    const bool maintainedOnWrite = !(m_keys[k].flags & (kKeyLazy | kKeyPrivate));
    if (!counter && !(m_keys[k].flags & kKeyPrivate)) m_fault(keyName(k) + " has no counter entry");
    // The driver opens no table with such a key (46) until BUILD renews it.
    if (counter && counter->outOfDateFrom != 0 && maintainedOnWrite)
      m_fault(keyName(k) + " is out of date from record " + std::to_string(counter->outOfDateFrom) +
              " and must be rebuilt");
    m_marks.push_back(counter ? counter->outOfDateFrom : 0);
  }
}

void TableChecker::readRecords() {
  const std::string prefix = withKind(m_table, kKindRecord);
  walkRange(m_tree, prefix, withKind(m_table, kKindRecord + 1), [&](std::string_view key, std::string_view data) {
    if (key.size() != kRecordKeyLength) return;  // the tree walk names malformed keys
    const std::uint32_t record = getBe32(bytesOf(key) + prefix.size());
    m_records.push_back(record);
    if (data.size() != m_def.recordLength) return;  // named with the record length
    for (std::size_t k = 0; k < m_keys.size(); ++k) {
      if (!maintained(k, record)) continue;
      if (const auto e = buildKeyEntry(m_table, m_keys[k], data, record))
        m_expected.push_back({entryHash(e->keyPart, e->dataPart), record, static_cast<std::uint8_t>(k), false});
    }
  });
  std::sort(m_expected.begin(), m_expected.end(),
            [](const Expected& a, const Expected& b) { return a.hash < b.hash; });
}

void TableChecker::readKeyEntries() {
  walkRange(m_tree, tablePrefix(m_table), withKind(m_table, kKindRecord),
            [&](std::string_view key, std::string_view data) { keyEntry(key, data); });
}

void TableChecker::keyEntry(std::string_view key, std::string_view data) {
  if (key.size() < kKeyHeaderLength || key.size() + data.size() < kKeyHeaderLength + kRecordNumberLength)
    return;  // named by the tree walk
  const std::uint8_t k = bytesOf(key)[kKeyHeaderLength - 1];
  if (k >= m_keys.size() || (m_keys[k].flags & kKeyPrivate)) {
    if (m_strangeKeys.insert(k).second)
      m_fault(table() + " holds entries of key " + std::to_string(k) +
              (k >= m_keys.size() ? ", which it does not declare" : ", which is not kept in the file"));
    return;
  }
  // The entry's last 4 bytes, wherever its key part ends.
  std::uint8_t tail[kRecordNumberLength];
  for (std::size_t i = 0; i < kRecordNumberLength; ++i) {
    const std::size_t from = key.size() + data.size() - kRecordNumberLength + i;
    tail[i] = from < key.size() ? bytesOf(key)[from] : bytesOf(data)[from - key.size()];
  }
  const std::uint32_t record = getBe32(tail);
  if (!recordExists(record) || !maintained(k, record)) return;  // a missing record is named by the tree walk
  if (!m_keys[k].duplicates()) {
    if (m_uniqueKey != k) {
      m_uniqueKey = k;
      m_reached.clear();
    }
    if (!m_reached.insert(record).second) {
      m_fault("record " + std::to_string(record) + " is reached twice through " + keyName(k) +
              ", which allows no duplicates");
      return;
    }
  }
  const std::uint64_t hash = entryHash(key, data);
  auto it = std::lower_bound(m_expected.begin(), m_expected.end(), hash,
                             [](const Expected& e, std::uint64_t h) { return e.hash < h; });
  for (; it != m_expected.end() && it->hash == hash; ++it) {
    if (it->record == record && it->key == k && !it->met) {
      it->met = true;
      return;
    }
  }
  m_fault("an entry of " + keyName(k) + " leads to record " + std::to_string(record) +
          " but is not the entry that record makes");
}

void TableChecker::reportMissingEntries() {
  std::vector<const Expected*> missing;
  for (const Expected& e : m_expected)
    if (!e.met) missing.push_back(&e);
  std::sort(missing.begin(), missing.end(), [](const Expected* a, const Expected* b) {
    return a->record != b->record ? a->record < b->record : a->key < b->key;
  });
  for (const Expected* e : missing)
    m_fault("record " + std::to_string(e->record) + " of " + table() + " lacks its entry in key " +
            std::to_string(e->key));
}

void TableChecker::readMemos() {
  std::optional<MemoSeen> current;
  walkRange(m_tree, withKind(m_table, kKindMemo), withKind(m_table, kKindMemo + 1),
            [&](std::string_view key, std::string_view data) {
              if (key.size() != kMemoKeyLength) return;  // named by the tree walk
              const std::uint32_t record = getBe32(bytesOf(key) + kKeyHeaderLength);
              const std::uint8_t memo = bytesOf(key)[kKeyHeaderLength + kRecordNumberLength];
              if (!current || current->record != record || current->memo != memo) {
                if (current) finishMemo(*current);
                current = MemoSeen{record, memo, {}, std::nullopt};
                if (data.size() >= kBlobLengthBytes) current->blobLength = getLe32(bytesOf(data));
              }
              current->segments.push_back(data.size());
            });
  if (current) finishMemo(*current);
}

void TableChecker::finishMemo(const MemoSeen& m) {
  const std::string what =
      "memo " + std::to_string(m.memo) + " of record " + std::to_string(m.record) + " in " + table();
  if (m.memo >= m_def.memos.size()) {
    m_fault(what + " is not declared");
    return;
  }
  const MemoDefinition& def = m_def.memos[m.memo];
  const bool blob = def.flags & kMemoFlagBlob;
  std::size_t bytes = 0;
  for (std::size_t i = 0; i < m.segments.size(); ++i) {
    // Every segment but the last is full; a blob's first carries its length too.
    const std::size_t full = kMemoSegment + (blob && i == 0 ? kBlobLengthBytes : 0);
    if (m.segments[i] > full || (i + 1 < m.segments.size() && m.segments[i] != full)) {
      m_fault(what + " has a segment of " + std::to_string(m.segments[i]) + " bytes where " +
              std::to_string(full) + " belong");
      return;
    }
    bytes += m.segments[i];
  }
  if (!blob) {
    if (bytes > def.size)
      m_fault(what + " holds " + std::to_string(bytes) + " bytes, more than its size " + std::to_string(def.size));
  } else if (!m.blobLength) {
    m_fault(what + " lacks its stored length");
  } else if (bytes - kBlobLengthBytes != *m.blobLength) {
    m_fault(what + " declares " + std::to_string(*m.blobLength) + " bytes but holds " +
            std::to_string(bytes - kBlobLengthBytes));
  }
}

}  // namespace

void checkTableContent(Sdfbt& tree, std::uint32_t table, std::string_view name, const TableDefinition& def,
                       const FaultSink& fault) {
  TableChecker(tree, table, name, def, fault).run();
}

}  // namespace linkar::keyed
