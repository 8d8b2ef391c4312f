// ADD, APPEND, PUT, DELETE, GET, REGET, holds, watches and duplicate checks.
// Each changing statement enters write access first; the end-of-operation
// commit is the driver entry's.
#include "storage/keyed/strandel_records.h"

#include <cstring>

#include "runtime/error_codes.h"
#include "storage/keyed/key_maintenance.h"
#include "storage/keyed/sdf_format.h"

namespace linkar::keyed {

namespace err = runtime::err;
using storage::OpOutcome;

namespace {

// The key part shared by every entry of `key` with the buffer's values.
std::string valuePrefix(const StrandelTable& table, const TableKey& key, std::string_view record) {
  std::string prefix;
  appendBe32(prefix, table.m_table);
  prefix.push_back(static_cast<char>(key.desc.number));
  prefix += encodeKeyValue(key.desc, record);
  return prefix;
}

bool hasPrefix(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

// A hold taken by a write for its own length, given back unless the
// record was held before.
class WriteHold {
 public:
  explicit WriteHold(StrandelTable& table) : m_table(table) {}
  // 0, or 32 when another process holds the record.
  int take() {
    if (m_table.m_held && m_table.m_heldRecord == m_table.m_current) return 0;
    m_table.releaseHold();
    if (const int rc = m_table.tryHold(m_table.m_current)) return rc;
    m_table.m_held = true;
    m_table.m_heldRecord = m_table.m_current;
    m_taken = true;
    return 0;
  }
  ~WriteHold() {
    if (m_taken && !m_kept) m_table.releaseHold();
  }
  void keep() { m_kept = true; }

 private:
  StrandelTable& m_table;
  bool m_taken = false;
  bool m_kept = false;
};

}  // namespace

std::string recordNumberText(std::uint32_t number) {
  std::string text;
  appendBe32(text, number);
  return text;
}

std::optional<std::uint32_t> recordNumberFromText(std::string_view text) {
  if (text.size() != kNumberBytes) return std::nullopt;
  return getBe32(bytesOf(text));
}

OpOutcome addRecord(StrandelTable& table, bool lazy) {
  StrandelFile& file = *table.m_file;
  if (const int rc = file.beginAccess(true)) return OpOutcome::fail(rc);
  // The number is used up even when the add fails below.
  const std::uint32_t number = file.data().issueNumber();
  const std::string buffer(table.record());
  const std::string_view fresh(buffer);
  if (const int rc = updateKeys(table.tree(), table.m_table, table.m_keyDescs, nullptr, &fresh, number, lazy))
    return OpOutcome::fail(rc);
  table.tree().insert(recordKey(table.m_table, number), buffer);
  table.storeMemos(number);
  addToCount(table.tree(), table.m_table, kTableSubject, 1);
  table.m_saved = buffer;
  table.m_current = number;
  table.m_watched = false;
  return OpOutcome::ok();
}

namespace {

// Whether another station changed a memo of the current record since it was
// read: a change of the memo alone changes the record too, and writing the
// memo read earlier would silently undo it.
bool memosChangedSinceRead(StrandelTable& table) {
  for (const TableMemo& memo : table.m_memos) {
    const std::string now = readMemo(table.tree(), table.m_table, table.m_current, memo.number, memo.blob(), memo.size);
    if (now != table.m_diskMemos[memo.number]) return true;
  }
  return false;
}

}  // namespace

OpOutcome putRecord(StrandelTable& table) {
  StrandelFile& file = *table.m_file;
  if (const int rc = file.beginAccess(true)) return OpOutcome::fail(rc);
  if (table.m_current == 0) return OpOutcome::fail(err::kRecordNotAvailable);
  WriteHold hold(table);
  if (hold.take()) return OpOutcome::fail(err::kAccessDenied);
  const std::string key = recordKey(table.m_table, table.m_current);
  const auto stored = table.tree().find(key);
  if (!stored) return OpOutcome::fail(err::kRecordNotAvailable);
  const std::string disk(stored->data());
  if (table.m_watched && (disk != table.m_saved || memosChangedSinceRead(table))) {
    hold.keep();
    return OpOutcome::fail(err::kRecordChangedByAnotherStation);
  }
  const std::string buffer(table.record());
  if (buffer != disk) {
    const std::string_view oldRecord(disk);
    const std::string_view newRecord(buffer);
    if (const int rc = updateKeys(table.tree(), table.m_table, table.m_keyDescs, &oldRecord, &newRecord,
                                  table.m_current, false)) {
      hold.keep();
      return OpOutcome::fail(rc);
    }
    table.tree().put(key, buffer);
  }
  if (!table.m_skipMemos) {
    for (TableMemo& memo : table.m_memos) {
      const std::string content = table.memoContent(memo);
      const std::string onDisk = readMemo(table.tree(), table.m_table, table.m_current, memo.number,
                                          memo.blob(), memo.size);
      if (content != onDisk)
        writeMemo(table.tree(), table.m_table, table.m_current, memo.number, content, memo.blob());
      table.m_savedMemos[memo.number] = content;
    }
  }
  table.m_saved = buffer;
  table.releaseHold();
  table.m_holdRequested = false;
  table.m_watched = false;
  table.m_watchRequested = false;
  return OpOutcome::ok();
}

OpOutcome putAtPosition(StrandelTable& table, std::int32_t pointer) {
  table.releaseHold();
  table.m_current = static_cast<std::uint32_t>(pointer);
  return putRecord(table);
}

OpOutcome deleteRecord(StrandelTable& table) {
  StrandelFile& file = *table.m_file;
  if (const int rc = file.beginAccess(true)) return OpOutcome::fail(rc);
  if (table.m_current == 0) return OpOutcome::fail(err::kRecordNotAvailable);
  WriteHold hold(table);
  if (hold.take()) return OpOutcome::fail(err::kRecordNotAvailable);
  const std::string key = recordKey(table.m_table, table.m_current);
  const auto stored = table.tree().find(key);
  if (!stored) return OpOutcome::fail(err::kRecordNotAvailable);
  const std::string disk(stored->data());
  const std::string_view oldRecord(disk);
  updateKeys(table.tree(), table.m_table, table.m_keyDescs, &oldRecord, nullptr, table.m_current, false);
  table.tree().erase(key);
  table.eraseMemos(table.m_current);
  addToCount(table.tree(), table.m_table, kTableSubject, -1);
  table.releaseHold();
  table.m_current = 0;
  table.m_watched = false;
  return OpOutcome::ok();
}

OpOutcome getByKey(StrandelTable& table, const storage::KeyDecl* decl) {
  TableKey* key = table.keyOf(decl);
  if (!key) return OpOutcome::fail(err::kInvalidKeyFile);
  if (const int rc = table.m_file->beginAccess(false)) return OpOutcome::fail(rc);
  const std::string_view buffer = table.record();
  if ((key->desc.flags & kKeyOmitBlank) && keyBlank(key->desc, buffer)) {
    table.m_holdRequested = table.m_watchRequested = false;
    return OpOutcome::fail(err::kRecordNotFound);
  }
  const std::string prefix = valuePrefix(table, *key, buffer);
  // With duplicates the lowest record number of the equal values comes first.
  const auto entry = table.keyTree(*key).ceiling(prefix);
  const std::size_t wanted = prefix.size() + (key->desc.duplicates() ? kNumberBytes : 0);
  if (!entry || !hasPrefix(entry->key(), prefix) || entry->keyLength != wanted) {
    table.m_holdRequested = table.m_watchRequested = false;
    return OpOutcome::fail(err::kRecordNotFound);
  }
  if (const int rc = table.readRecord(entryRecordNumber(*entry))) return OpOutcome::fail(rc);
  return OpOutcome::ok();
}

OpOutcome getByPosition(StrandelTable& table, std::int32_t pointer) {
  if (const int rc = table.m_file->beginAccess(false)) return OpOutcome::fail(rc);
  if (pointer == 0) {
    table.m_holdRequested = table.m_watchRequested = false;
    return OpOutcome::fail(err::kRecordNotFound);
  }
  if (const int rc = table.readRecord(static_cast<std::uint32_t>(pointer))) return OpOutcome::fail(rc);
  return OpOutcome::ok();
}

OpOutcome regetRecord(StrandelTable& table, const storage::KeyDecl* decl, std::string_view position) {
  std::uint32_t number = 0;
  if (decl == nullptr) {
    const auto n = recordNumberFromText(position);
    if (!n) return OpOutcome::fail(err::kUnknownErrorPosted);
    number = *n;
  } else {
    const TableKey* key = table.keyOf(decl);
    if (!key) return OpOutcome::fail(err::kInvalidKeyFile);
    if (position.size() != key->desc.valueLength() + kNumberBytes) return OpOutcome::fail(err::kUnknownErrorPosted);
    number = getBe32(bytesOf(position.substr(position.size() - kNumberBytes)));
  }
  if (const int rc = table.m_file->beginAccess(false)) return OpOutcome::fail(rc);
  if (const int rc = table.readRecord(number)) return OpOutcome::fail(rc);
  return OpOutcome::ok();
}

OpOutcome hold(StrandelTable& table, int seconds) {
  table.m_holdRequested = true;
  table.m_holdSeconds = seconds;
  return OpOutcome::ok();
}

OpOutcome release(StrandelTable& table) {
  table.releaseHold();
  table.m_holdRequested = false;
  return OpOutcome::ok();
}

OpOutcome watch(StrandelTable& table) {
  table.m_watchRequested = true;
  return OpOutcome::ok();
}

OpOutcome duplicateCheck(StrandelTable& table, const storage::KeyDecl* decl) {
  if (const int rc = table.m_file->beginAccess(false)) return OpOutcome::fail(rc);
  const std::string_view buffer = table.record();
  if (decl != nullptr) {
    TableKey* key = table.keyOf(decl);
    if (!key) return OpOutcome::fail(err::kInvalidKeyFile);
    return OpOutcome::ok(keyCollides(table.keyTree(*key), table.m_table, key->desc, buffer, table.m_current) ? 1 : 0);
  }
  for (TableKey& key : table.m_keys)
    if (keyCollides(table.keyTree(key), table.m_table, key.desc, buffer, table.m_current)) return OpOutcome::ok(1);
  return OpOutcome::ok(0);
}

}  // namespace linkar::keyed
