// Key maintenance for one record, with the undo of a duplicate.
#include "storage/keyed/key_maintenance.h"

#include "runtime/error_codes.h"
#include "storage/keyed/internal_error.h"
#include "storage/keyed/sdf_format.h"
#include "storage/keyed/table_entries.h"

namespace linkar::keyed {

namespace err = runtime::err;

namespace {

std::uint32_t storedNumber(std::string_view entryBytes) {
  return getBe32(bytesOf(entryBytes.substr(entryBytes.size() - kStoredNumberBytes)));
}

// A key's net change of entries, for its counter entry.
struct CountChange {
  std::uint8_t key = 0;
  int delta = 0;
};

// Maintains keys [0, count); returns the index of a colliding key, or -1.
// The counts change by `changes`, left to the caller: the counter entries
// lie side by side, and changed together they take one descent.
int maintain(Sdfbt& tree, std::uint32_t table, const std::vector<KeyDescriptor>& keys,
             std::size_t count, const std::string_view* oldRecord,
             const std::string_view* newRecord, std::uint32_t record, bool lazy,
             std::vector<CountChange>& changes) {
  for (std::size_t i = 0; i < count; ++i) {
    const KeyDescriptor& key = keys[i];
    if (key.flags & kKeyPrivate) continue;
    const bool lazyHere = lazy || (key.flags & kKeyLazy);
    std::optional<Counter> counter;
    if (lazyHere) {
      counter = readCounter(tree, table, key.number);
      if (counter && counter->outOfDateFrom != 0 && counter->outOfDateFrom <= record) continue;
    }
    const auto oldEntry = oldRecord ? buildKeyEntry(table, key, *oldRecord, record) : std::nullopt;
    const auto newEntry = newRecord ? buildKeyEntry(table, key, *newRecord, record) : std::nullopt;
    if (oldEntry && newEntry && oldEntry->keyPart == newEntry->keyPart) continue;
    if (lazyHere) {
      Counter c = counter.value_or(Counter{});
      if (c.outOfDateFrom == 0 || c.outOfDateFrom > record) c.outOfDateFrom = record;
      writeCounter(tree, table, key.number, c);
      continue;
    }
    int delta = 0;
    if (newEntry) {
      if (!tree.insertNew(newEntry->keyPart, newEntry->dataPart)) {
        // Only a key without duplicates can meet its own key part again.
        SDFBT_CHECK(!key.duplicates());
        return static_cast<int>(i);
      }
      ++delta;
    }
    if (oldEntry) {
      const auto stored = tree.find(oldEntry->keyPart);
      if (stored && stored->bytes.size() >= kStoredNumberBytes && storedNumber(stored->bytes) == record) {
        tree.erase(oldEntry->keyPart);
        --delta;
      }
    }
    if (delta != 0) changes.push_back({key.number, delta});
  }
  return -1;
}

}  // namespace

int updateKeys(Sdfbt& tree, std::uint32_t table, const std::vector<KeyDescriptor>& keys,
               const std::string_view* oldRecord, const std::string_view* newRecord,
               std::uint32_t record, bool lazy) {
  std::vector<CountChange> changes;
  const int collided = maintain(tree, table, keys, keys.size(), oldRecord, newRecord, record, lazy, changes);
  if (collided < 0) {
    for (const CountChange& c : changes) addToCount(tree, table, c.key, c.delta);
    return 0;
  }
  // Undo the keys already changed: the same procedure with old and new
  // exchanged. Its count changes cancel those above, so neither is applied.
  std::vector<CountChange> undone;
  maintain(tree, table, keys, static_cast<std::size_t>(collided), newRecord, oldRecord, record, lazy, undone);
  return err::kCreatesDuplicateKey;
}

bool keyCollides(Sdfbt& tree, std::uint32_t table, const KeyDescriptor& key,
                 std::string_view record, std::uint32_t self) {
  if (key.duplicates() || (key.flags & kKeyPrivate)) return false;
  const auto entry = buildKeyEntry(table, key, record, self);
  if (!entry) return false;
  const auto stored = tree.find(entry->keyPart);
  return stored && stored->bytes.size() >= kStoredNumberBytes && storedNumber(stored->bytes) != self;
}

}  // namespace linkar::keyed
