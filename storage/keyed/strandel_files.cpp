// OPEN, SHARE, CREATE, CLOSE, REMOVE, COPY, RENAME and EMPTY.
//
// OPEN reports 46 "Key File Must Be Rebuilt" when the stored keys cannot be
// trusted: a key maintained on every write (neither lazy, 0x20, nor private,
// 0x40) that is marked out of date (an APPEND not yet followed by BUILD, or
// one interrupted), whose counter entry is missing, or, for a key that keeps
// blank values, whose entry count differs from the table's record count.
// BUILD repairs each of these, so the open-or-create policy's rebuild path
// ends in a file that opens.
#include "storage/keyed/strandel_files.h"

#include "platform/file_system.h"
#include "runtime/error_codes.h"
#include "storage/keyed/sdf_format.h"

namespace linkar::keyed {

namespace err = runtime::err;
using storage::OpOutcome;

namespace {

constexpr std::uint8_t kKeyFlagIgnoredInVersion1 = 0x10;  // key flag not compared for version 1 definitions
constexpr std::uint8_t kCreateMode = platform::kAccessReadWrite | platform::kShareDenyNone;  // 0x42
// Longest table name: its name entry's key part (0xFE and the name) must
// fit the tree's longest key, or the entry could never be stored.
constexpr std::size_t kMaxTableName = kMaxKeyLength - 1;

bool isEmptyName(const std::string& name) { return name.find_first_not_of(' ') == std::string::npos; }

bool sameField(const FieldDefinition& a, const FieldDefinition& b) {
  return a.type == b.type && a.offset == b.offset && a.size == b.size && a.descriptor1 == b.descriptor1 &&
         a.descriptor2 == b.descriptor2 && a.descriptor3 == b.descriptor3;
}

int checkKeys(StrandelTable& t) {
  const auto records = readCounter(t.tree(), t.m_table, kTableSubject);
  if (!records) return err::kKeyFileMustBeRebuilt;
  for (const TableKey& key : t.m_keys) {
    if (key.desc.flags & (kKeyLazy | kKeyPrivate)) continue;
    const auto counter = readCounter(t.tree(), t.m_table, key.desc.number);
    if (!counter || counter->outOfDateFrom != 0) return err::kKeyFileMustBeRebuilt;
    if (!(key.desc.flags & kKeyOmitBlank) && counter->count != records->count) return err::kKeyFileMustBeRebuilt;
  }
  return 0;
}

// Finds the table in its data file; with `strict` its definition must
// match the declaration, and with `keys` its keys must be sound too.
int lookUpTable(StrandelTable& t, bool strict, bool keys) {
  if (const int rc = t.m_file->beginAccess(false)) return rc;
  const auto number = findTable(t.tree(), t.m_split.table);
  if (!number) return err::kFileNotFound;
  t.m_table = *number;
  if (!strict) return 0;
  const auto stored = readDefinition(t.tree(), t.m_table);
  if (!stored) return err::kInvalidDataFile;
  if (!definitionsMatch(*stored, t.definition())) return err::kInvalidRecordDeclaration;
  return keys ? checkKeys(t) : 0;
}

// Names are argument errors, refused before anything is opened or written:
// a NUL cannot be part of a path (the platform layer answers it with 3 too),
// and a table name must fit its name entry.
int splitName(StrandelTable& t) {
  if (isEmptyName(t.m_name)) return err::kInvalidFilename;
  if (t.m_name.find('\0') != std::string::npos) return err::kPathNotFound;
  t.m_split = splitFileName(t.m_name);
  if (isEmptyName(t.m_split.file) || t.m_split.table.empty()) return err::kInvalidFilename;
  if (t.m_split.table.size() > kMaxTableName) return err::kInvalidFilename;
  return 0;
}

void writeFreshTable(StrandelTable& t, const TableDefinition& def) {
  writeDefinition(t.tree(), t.m_table, def);
  writeCounter(t.tree(), t.m_table, kTableSubject, Counter{});
  for (const TableKey& key : t.m_keys) writeCounter(t.tree(), t.m_table, key.desc.number, Counter{});
}

}  // namespace

bool definitionsMatch(const TableDefinition& stored, const TableDefinition& declared) {
  if (stored.version != declared.version || stored.recordLength != declared.recordLength) return false;
  if (stored.fields.size() != declared.fields.size() || stored.memos.size() != declared.memos.size() ||
      stored.keys.size() != declared.keys.size())
    return false;
  for (std::size_t i = 0; i < stored.fields.size(); ++i)
    if (!sameField(stored.fields[i], declared.fields[i])) return false;
  const std::uint8_t ignored = stored.version == kDefinitionVersion ? kKeyFlagIgnoredInVersion1 : 0;
  for (std::size_t i = 0; i < stored.keys.size(); ++i) {
    const KeyDefinition& a = stored.keys[i];
    const KeyDefinition& b = declared.keys[i];
    if ((a.flags & ~ignored) != (b.flags & ~ignored) || a.components.size() != b.components.size()) return false;
    for (std::size_t c = 0; c < a.components.size(); ++c)
      if (a.components[c].field != b.components[c].field || a.components[c].flags != b.components[c].flags)
        return false;
  }
  return true;
}

OpOutcome openTable(StrandelTable& t, std::int32_t mode, bool checkKeys) {
  if (const int rc = splitName(t)) return OpOutcome::fail(rc);
  const auto accessByte = static_cast<std::uint8_t>(mode);
  if (const int rc = StrandelFile::acquire(t.m_split.file, accessByte, false, t.m_attributeText, t.m_file))
    return OpOutcome::fail(rc);
  if (const int rc = lookUpTable(t, true, checkKeys)) {
    t.m_file->endOperation();
    t.m_file.reset();
    return OpOutcome::fail(rc);
  }
  if ((accessByte & platform::kAccessMask) != platform::kAccessRead) t.m_state |= storage::kStateWrite;
  const std::uint8_t share = accessByte & platform::kShareMask;
  if (share == platform::kShareDenyAll || share == platform::kShareDenyWrite) t.m_state |= storage::kStateExclusive;
  t.m_current = 0;
  t.m_sequence = Sequence::FileStart;
  t.m_sequenceKey = -1;
  t.m_order = 0;
  t.m_holdRequested = t.m_watchRequested = t.m_watched = false;
  return OpOutcome::ok();
}

// Whether another open, in this or another process, holds the data file:
// removing it, renaming over it or creating it anew would lose what that
// open writes next.
bool heldElsewhere(const std::string& path) { return platform::checkNoOtherOpen(path) != 0; }

OpOutcome createTable(StrandelTable& t, const storage::FileDecl& file) {
  if (!(file.attributeBits & storage::kAttrCreate)) return OpOutcome::fail(err::kNoCreateAttribute);
  if (const int rc = splitName(t)) return OpOutcome::fail(rc);
  if (heldElsewhere(t.m_split.file)) return OpOutcome::fail(err::kAccessDenied);
  std::shared_ptr<StrandelFile> data;
  if (const int rc = StrandelFile::acquire(t.m_split.file, kCreateMode, true, t.m_attributeText, data))
    return OpOutcome::fail(rc);
  t.m_file = data;
  if (const int rc = data->beginAccess(true)) return OpOutcome::fail(rc);
  if (const auto existing = findTable(t.tree(), t.m_split.table)) erasePrefix(t.tree(), tablePrefix(*existing));
  t.m_table = data->data().issueNumber();
  writeName(t.tree(), t.m_split.table, t.m_table);
  writeFreshTable(t, t.definition());
  const int rc = data->endOperation();
  t.m_file.reset();
  return rc ? OpOutcome::fail(rc) : OpOutcome::ok();
}

OpOutcome closeTable(StrandelTable& t) {
  t.releaseHold();
  int rc = 0;
  if (t.m_file) {
    if (t.m_file->streamers > 0 && (t.m_state & storage::kStateStream)) --t.m_file->streamers;
    rc = t.m_file->enrolled() ? 0 : t.m_file->commitAndCut();
  }
  t.m_file.reset();
  t.m_state &= ~(storage::kStateWrite | storage::kStateExclusive | storage::kStateStream);
  return rc ? OpOutcome::fail(rc) : OpOutcome::ok();
}

OpOutcome removeTable(StrandelTable& t) {
  if (const int rc = splitName(t)) return OpOutcome::fail(rc);
  if (heldElsewhere(t.m_split.file)) return OpOutcome::fail(err::kAccessDenied);
  if (const int rc = StrandelFile::acquire(t.m_split.file, kCreateMode, false, t.m_attributeText, t.m_file))
    return OpOutcome::fail(rc);
  if (const int rc = lookUpTable(t, false, false)) {
    t.m_file->endOperation();
    t.m_file.reset();
    return OpOutcome::fail(rc);
  }
  if (const int rc = t.m_file->beginAccess(true)) {
    t.m_file.reset();
    return OpOutcome::fail(rc);
  }
  t.tree().erase(nameKey(t.m_split.table));
  erasePrefix(t.tree(), tablePrefix(t.m_table));
  const auto next = t.tree().ceiling(std::string(1, static_cast<char>(kNamePrefix)));
  const bool othersRemain = next && !next->key().empty() && static_cast<std::uint8_t>(next->key()[0]) == kNamePrefix;
  int rc = t.m_file->endOperation();
  const bool lastUser = t.m_file.use_count() == 1;
  t.m_file.reset();
  // The file goes when it holds no table; when another open still holds it
  // the table's entries are gone already, which is what matters.
  if (rc == 0 && !othersRemain && lastUser) platform::removeFile(t.m_split.file);
  return rc ? OpOutcome::fail(rc) : OpOutcome::ok();
}

OpOutcome copyTable(StrandelTable& t, std::string_view newName, bool rename) {
  if (const int rc = splitName(t)) return OpOutcome::fail(rc);
  const std::string target = splitFileName(newName).file;
  if (isEmptyName(target)) return OpOutcome::fail(err::kInvalidFilename);
  if (target.find('\0') != std::string::npos) return OpOutcome::fail(err::kPathNotFound);
  if (rename && (heldElsewhere(t.m_split.file) || heldElsewhere(target))) return OpOutcome::fail(err::kAccessDenied);
  const int rc = rename ? platform::renameFile(t.m_split.file, target) : platform::copyFile(t.m_split.file, target);
  return rc ? OpOutcome::fail(rc == platform::kErrorSharingViolation ? err::kAccessDenied : rc) : OpOutcome::ok();
}

OpOutcome emptyTable(StrandelTable& t) {
  if (const int rc = t.m_file->beginAccess(true)) return OpOutcome::fail(rc);
  const TableDefinition def = readDefinition(t.tree(), t.m_table).value_or(t.definition());
  erasePrefix(t.tree(), tablePrefix(t.m_table));
  writeFreshTable(t, def);
  for (TableKey& key : t.m_keys) {
    key.privateTree.reset();
    t.m_stepTree = nullptr;
    key.privateData.reset();
  }
  t.releaseHold();
  t.m_current = 0;
  return OpOutcome::ok();
}

int openForDuration(StrandelTable& t, std::int32_t mode, bool& opened) {
  opened = false;
  if (t.m_state & storage::kStateOpen) return 0;
  // BUILD is what repairs the keys, so their state is not checked here.
  const OpOutcome o = openTable(t, mode, false);
  if (!o.success) return o.code;
  opened = true;
  return 0;
}

}  // namespace linkar::keyed
