// Sequence states and sequential reads. The state and the cursor (a copy of
// the key part last read, or a starting key) decide where the next step
// lands; a read moves the state to file order (0) or key order (1).
#include "storage/keyed/strandel_sequence.h"

#include "runtime/error_codes.h"
#include "storage/keyed/sdf_format.h"
#include "storage/keyed/strandel_records.h"
#include "storage/layer/op_codes.h"

namespace linkar::keyed {

namespace err = runtime::err;
using storage::OpOutcome;

namespace {

const std::string kAllOnes(kNumberBytes, '\xFF');   // highest record number in a cursor key
const std::string kAllZeros(kNumberBytes, '\0');    // lowest record number in a cursor key

bool hasPrefix(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

std::string filePrefix(const StrandelTable& t) {
  std::string p = tablePrefix(t.m_table);
  p.push_back(static_cast<char>(kKindRecord));
  return p;
}

std::string keyPrefix(const StrandelTable& t, const TableKey& key) {
  std::string p = tablePrefix(t.m_table);
  p.push_back(static_cast<char>(key.desc.number));
  return p;
}

// One step of a sequence: the entry that orders it and the record it names.
struct Step {
  std::string key;
  bool keyOrder = false;
  std::uint32_t record = 0;
};

std::optional<Step> fileStep(const std::optional<Entry>& e, const std::string& prefix) {
  if (!e || !hasPrefix(e->key(), prefix) || e->keyLength != prefix.size() + kNumberBytes) return std::nullopt;
  return Step{std::string(e->key()), false, getBe32(bytesOf(e->key()) + prefix.size())};
}

std::optional<Step> keyStep(const std::optional<Entry>& e, const std::string& prefix) {
  if (!e || !hasPrefix(e->key(), prefix) || e->bytes.size() < prefix.size() + kNumberBytes) return std::nullopt;
  return Step{std::string(e->key()), true, entryRecordNumber(*e)};
}

std::optional<Entry> ceilingOrFloor(Sdfbt& tree, const std::string& at, bool forward) {
  return forward ? tree.ceiling(at) : tree.floor(at);
}

TableKey* sequenceKey(StrandelTable& t) {
  if (t.m_sequenceKey < 0 || t.m_sequenceKey >= static_cast<int>(t.m_keys.size())) return nullptr;
  return &t.m_keys[static_cast<std::size_t>(t.m_sequenceKey)];
}

// The entry after (before) the cursor in `tree`, through the stepping hint.
std::optional<Entry> stepFrom(StrandelTable& t, Sdfbt& tree, bool forward) {
  Cursor& c = t.m_step;
  const std::uint64_t generation = t.m_file->generation();
  if (t.m_stepTree != &tree || t.m_stepGeneration != generation || !c.positioned() || c.key() != t.m_cursor) {
    c.setKey(t.m_cursor);
    t.m_stepTree = &tree;
    t.m_stepGeneration = generation;
  }
  return forward ? tree.next(c) : tree.previous(c);
}

// Where the next read in this direction lands, without moving.
std::optional<Step> locate(StrandelTable& t, bool forward) {
  Sdfbt& tree = t.tree();
  const std::string fp = filePrefix(t);
  switch (t.m_sequence) {
    case Sequence::File:
      return fileStep(stepFrom(t, tree, forward), fp);
    case Sequence::FileStart:
      return fileStep(ceilingOrFloor(tree, forward ? fp : fp + kAllOnes, forward), fp);
    case Sequence::FilePointer: {
      if (auto s = fileStep(ceilingOrFloor(tree, recordKey(t.m_table, t.m_sequencePointer), forward), fp)) return s;
      return fileStep(tree.floor(fp + kAllOnes), fp);
    }
    default:
      break;
  }
  TableKey* key = sequenceKey(t);
  if (!key) return std::nullopt;
  Sdfbt& keys = t.keyTree(*key);
  const std::string kp = keyPrefix(t, *key);
  switch (t.m_sequence) {
    case Sequence::Key:
      return keyStep(stepFrom(t, keys, forward), kp);
    case Sequence::KeyStart: {
      if (forward) return keyStep(keys.ceiling(kp), kp);
      std::string after = tablePrefix(t.m_table);
      after.push_back(static_cast<char>(key->desc.number + 1));
      return keyStep(keys.previous(after), kp);
    }
    case Sequence::KeyBuffer:
    case Sequence::KeyBufferAgain: {
      std::string at = kp + encodeKeyValue(key->desc, t.record());
      if (key->desc.duplicates()) at += forward ? kAllZeros : kAllOnes;
      return keyStep(ceilingOrFloor(keys, at, forward), kp);
    }
    case Sequence::KeyValues:
      return keyStep(ceilingOrFloor(keys, t.m_cursor, forward), kp);
    case Sequence::KeyRecord: {
      const auto data = tree.find(recordKey(t.m_table, t.m_sequencePointer));
      if (!data) return std::nullopt;
      Step s;
      s.keyOrder = true;
      s.record = t.m_sequencePointer;
      const auto entry = buildKeyEntry(t.m_table, key->desc, data->data(), t.m_sequencePointer);
      s.key = entry ? entry->keyPart : kp;
      return s;
    }
    default:
      return std::nullopt;
  }
}

void moveTo(StrandelTable& t, const Step& s) {
  t.m_sequence = s.keyOrder ? Sequence::Key : Sequence::File;
  t.m_cursor = s.key;
}

}  // namespace

// The SET forms by code: 41 SET(file) and 42 (the further file form, taken
// alike) start file order; 43 starts it at a pointer; 44 SET(key) starts a
// key's order; 45 SET(key, key) and 46 start it at the buffer's values; 47
// starts it at the record whose number the pointer operand gives.
OpOutcome setSequence(StrandelTable& t, storage::OpCall& call) {
  t.m_cursor.clear();
  t.m_sequenceKey = -1;
  t.m_order = 0;
  switch (call.code) {
    case storage::op::kSetFile:
    case storage::op::kSetFurther42:
      t.m_sequence = Sequence::FileStart;
      return OpOutcome::ok();
    case storage::op::kSetFilePointer:
      t.m_sequence = Sequence::FilePointer;
      t.m_sequencePointer = static_cast<std::uint32_t>(call.args.pointer);
      return OpOutcome::ok();
    default:
      break;
  }
  TableKey* key = t.keyOf(call.args.key);
  if (!key) return OpOutcome::fail(err::kInvalidKeyFile);
  t.m_sequenceKey = t.keyIndex(*key);
  t.m_order = t.m_sequenceKey + 1;
  switch (call.code) {
    case storage::op::kSetKey:
      t.m_sequence = Sequence::KeyStart;
      break;
    case storage::op::kSetKeyValues:
      t.m_sequence = Sequence::KeyBuffer;
      break;
    case storage::op::kSetFurther46:
      t.m_sequence = Sequence::KeyBufferAgain;
      break;
    default:  // 47: key order from a record number
      t.m_sequence = Sequence::KeyRecord;
      t.m_sequencePointer = static_cast<std::uint32_t>(call.args.pointer);
      break;
  }
  return OpOutcome::ok();
}

OpOutcome resetSequence(StrandelTable& t, const storage::KeyDecl* decl, std::string_view text) {
  if (decl == nullptr) {
    const auto n = recordNumberFromText(text);
    if (!n) return OpOutcome::fail(err::kUnknownErrorPosted);
    t.m_sequence = Sequence::FilePointer;
    t.m_sequencePointer = *n;
    t.m_sequenceKey = -1;
    t.m_order = 0;
    t.m_cursor.clear();
    return OpOutcome::ok();
  }
  TableKey* key = t.keyOf(decl);
  if (!key) return OpOutcome::fail(err::kInvalidKeyFile);
  if (text.size() != key->desc.valueLength() + kNumberBytes) return OpOutcome::fail(err::kUnknownErrorPosted);
  t.m_sequence = Sequence::KeyValues;
  t.m_sequenceKey = t.keyIndex(*key);
  t.m_order = t.m_sequenceKey + 1;
  t.m_cursor = keyPrefix(t, *key);
  // Without duplicates the record number is no part of the entry's key.
  t.m_cursor.append(key->desc.duplicates() ? text : text.substr(0, text.size() - kNumberBytes));
  return OpOutcome::ok();
}

OpOutcome readSequential(StrandelTable& t, bool forward) {
  if (const int rc = t.m_file->beginAccess(false)) return OpOutcome::fail(rc);
  const Sequence savedState = t.m_sequence;
  const std::string savedCursor = t.m_cursor;
  for (;;) {
    const auto step = locate(t, forward);
    if (!step) {
      t.m_sequence = savedState;
      t.m_cursor = savedCursor;
      t.m_holdRequested = t.m_watchRequested = false;
      return OpOutcome::fail(err::kRecordNotAvailable);
    }
    const bool holdWanted = t.m_holdRequested;
    const bool watchWanted = t.m_watchRequested;
    moveTo(t, *step);
    const int rc = t.readRecord(step->record);
    if (rc == 0) return OpOutcome::ok();
    if (rc != err::kRecordNotFound) {
      t.m_sequence = savedState;
      t.m_cursor = savedCursor;
      return OpOutcome::fail(rc);
    }
    // A key entry whose record is gone: move on to the next entry.
    t.m_holdRequested = holdWanted;
    t.m_watchRequested = watchWanted;
  }
}

OpOutcome skipRecords(StrandelTable& t, std::int32_t count) {
  if (const int rc = t.m_file->beginAccess(false)) return OpOutcome::fail(rc);
  const bool forward = count >= 0;
  std::int64_t left = count < 0 ? -static_cast<std::int64_t>(count) : count;
  while (left > 0) {
    const auto step = locate(t, forward);
    if (!step) break;
    moveTo(t, *step);
    if (step->keyOrder && !t.tree().find(recordKey(t.m_table, step->record))) continue;
    --left;
  }
  return OpOutcome::ok();
}

OpOutcome atEnd(StrandelTable& t, bool forward) {
  if (const int rc = t.m_file->beginAccess(false)) return OpOutcome::fail(rc);
  return OpOutcome::ok(locate(t, forward) ? 0 : 1);
}

OpOutcome position(StrandelTable& t, const storage::KeyDecl* decl) {
  if (t.m_current == 0) return OpOutcome::fail(err::kRecordNotAvailable);
  if (decl == nullptr) return OpOutcome::okText(recordNumberText(t.m_current));
  TableKey* key = t.keyOf(decl);
  if (!key) return OpOutcome::fail(err::kInvalidKeyFile);
  // The record as read or written identifies its entry even when the
  // buffer has been changed since.
  const std::string_view source = t.m_saved.size() == t.m_recordLength ? std::string_view(t.m_saved) : t.record();
  return OpOutcome::okText(encodeKeyValue(key->desc, source) + recordNumberText(t.m_current));
}

}  // namespace linkar::keyed
