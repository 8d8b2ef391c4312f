// BUILD and PACK. A key whose out-of-date mark is set loses its entries for
// the records from the mark on, and gets them again record by record; each
// batch of records is committed, so a long build never holds more than a
// batch's pages in memory and an interrupted one keeps its mark.
#include "storage/keyed/strandel_build.h"

#include <algorithm>
#include <cctype>

#include "runtime/error_codes.h"
#include "storage/keyed/block_store.h"
#include "storage/keyed/key_maintenance.h"
#include "storage/keyed/sdf_format.h"
#include "storage/layer/field_list.h"

namespace linkar::keyed {

namespace err = runtime::err;
using storage::OpOutcome;

namespace {

bool hasPrefix(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && s.substr(0, prefix.size()) == prefix;
}

std::string keyPrefix(const StrandelTable& t, const TableKey& key) {
  std::string p = tablePrefix(t.m_table);
  p.push_back(static_cast<char>(key.desc.number));
  return p;
}

std::string recordsPrefix(const StrandelTable& t) {
  std::string p = tablePrefix(t.m_table);
  p.push_back(static_cast<char>(kKindRecord));
  return p;
}

std::size_t batchSize(const TableKey& key) {
  return std::max<std::size_t>(1, kBuildBatchBudget / (key.desc.valueLength() + kBuildEntryOverhead));
}

// Calls `each(number, record)` for every data record from `from` on, in
// batches; `batchDone` runs after each batch. Stops at the first non-zero.
template <typename Each, typename Done>
int forEachRecord(StrandelTable& t, std::uint32_t from, std::size_t batch, Each each, Done batchDone) {
  const std::string prefix = recordsPrefix(t);
  std::string at = recordKey(t.m_table, from);
  std::size_t inBatch = 0;
  for (auto e = t.tree().ceiling(at); e && hasPrefix(e->key(), prefix); e = t.tree().next(at)) {
    at.assign(e->key());
    if (e->keyLength != prefix.size() + kNumberBytes) continue;
    const std::uint32_t number = getBe32(bytesOf(e->key()) + prefix.size());
    std::string record(e->data());
    record.resize(t.m_recordLength, '\0');
    if (const int rc = each(number, record)) return rc;
    if (++inBatch == batch) {
      inBatch = 0;
      if (const int rc = batchDone()) return rc;
    }
  }
  return 0;
}

int buildPrivate(StrandelTable& t, TableKey& key) {
  std::unique_ptr<DataFile> data;
  if (const int rc = DataFile::open(std::make_unique<MemoryStore>(), {}, data)) return rc;
  key.privateData = std::move(data);
  key.privateTree = std::make_unique<Sdfbt>(*key.privateData);
  t.m_stepTree = nullptr;  // a hint into the old tree must not be taken for one into the new
  Sdfbt& tree = *key.privateTree;
  return forEachRecord(
      t, 0, SIZE_MAX,
      [&](std::uint32_t number, const std::string& record) {
        const auto entry = buildKeyEntry(t.m_table, key.desc, record, number);
        if (!entry) return 0;
        if (tree.find(entry->keyPart)) return err::kCreatesDuplicateKey;
        tree.insert(entry->keyPart, entry->dataPart);
        return 0;
      },
      [] { return 0; });
}

// Whether a stored key needs building, and from which record on.
std::optional<std::uint32_t> buildFrom(StrandelTable& t, const TableKey& key) {
  const auto counter = readCounter(t.tree(), t.m_table, key.desc.number);
  if (!counter) return 1;
  if (counter->outOfDateFrom != 0) return counter->outOfDateFrom;
  if (!(key.desc.flags & kKeyOmitBlank)) {
    const auto records = readCounter(t.tree(), t.m_table, kTableSubject);
    if (!records || records->count != counter->count) return 1;
  }
  return std::nullopt;
}

int buildStored(StrandelTable& t, TableKey& key) {
  const auto from = buildFrom(t, key);
  if (!from) return 0;
  Sdfbt& tree = t.tree();
  const std::string prefix = keyPrefix(t, key);
  // Entries of the records from the mark on are made again; older ones stay.
  std::string at = prefix;
  for (auto e = tree.next(at); e && hasPrefix(e->key(), prefix); e = tree.next(at)) {
    at.assign(e->key());
    if (entryRecordNumber(*e) >= *from) tree.erase(at);
  }
  // Keep the mark while building: an interrupted build is taken up again.
  Counter marked = readCounter(tree, t.m_table, key.desc.number).value_or(Counter{});
  marked.outOfDateFrom = *from;
  writeCounter(tree, t.m_table, key.desc.number, marked);
  FileAccess& access = t.m_file->access();
  const int rc = forEachRecord(
      t, *from, batchSize(key),
      [&](std::uint32_t number, const std::string& record) {
        const auto entry = buildKeyEntry(t.m_table, key.desc, record, number);
        if (!entry) return 0;
        if (const auto found = tree.find(entry->keyPart)) {
          if (entryRecordNumber(*found) == number) return 0;
          return err::kCreatesDuplicateKey;
        }
        tree.insert(entry->keyPart, entry->dataPart);
        return 0;
      },
      [&] { return t.m_file->enrolled() ? 0 : access.commit(); });
  if (rc) return rc;
  std::uint32_t count = 0;
  at = prefix;
  for (auto e = tree.next(at); e && hasPrefix(e->key(), prefix); e = tree.next(at)) {
    at.assign(e->key());
    ++count;
  }
  writeCounter(tree, t.m_table, key.desc.number, Counter{count, 0});
  return 0;
}

int buildOne(StrandelTable& t, TableKey& key) {
  if (key.desc.flags & kKeyPrivate) return buildPrivate(t, key);
  return buildStored(t, key);
}

int fieldIndexOf(const StrandelTable& t, std::string_view label) {
  auto upper = [](std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
  };
  const std::string wanted = upper(label);
  for (std::size_t i = 0; i < t.m_fields.size(); ++i)
    if (upper(t.m_fields[i].label) == wanted) return static_cast<int>(i);
  return -1;
}

// "+URL:CATEGORY,-URL:RATING": field labels, each optionally marked
// ascending (+) or descending (-), separated by commas or blanks.
bool parseComponents(const StrandelTable& t, std::string_view text, std::vector<KeyComponent>& out) {
  out.clear();
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t start = text.find_first_not_of(", ", pos);
    if (start == std::string_view::npos) break;
    const std::size_t end = std::min(text.find_first_of(", ", start), text.size());
    std::string_view item = text.substr(start, end - start);
    bool descending = false;
    if (item.front() == '+' || item.front() == '-') {
      descending = item.front() == '-';
      item.remove_prefix(1);
    }
    const int index = fieldIndexOf(t, item);
    if (index < 0) return false;
    const storage::FieldInfo& f = t.m_fields[static_cast<std::size_t>(index)];
    out.push_back(KeyComponent{f.type, f.offset, f.totalSize(), descending});
    pos = end;
  }
  return !out.empty();
}

}  // namespace

OpOutcome buildKeys(StrandelTable& t, const storage::KeyDecl* decl) {
  if (const int rc = t.m_file->beginAccess(true)) return OpOutcome::fail(rc);
  if (decl != nullptr) {
    TableKey* key = t.keyOf(decl);
    if (!key) return OpOutcome::fail(err::kInvalidKeyFile);
    const int rc = buildOne(t, *key);
    return rc ? OpOutcome::fail(rc) : OpOutcome::ok();
  }
  for (TableKey& key : t.m_keys)
    if (const int rc = buildOne(t, key)) return OpOutcome::fail(rc);
  return OpOutcome::ok();
}

OpOutcome buildKeyFromText(StrandelTable& t, const storage::KeyDecl* decl, std::string_view components,
                           std::string_view filter) {
  TableKey* key = t.keyOf(decl);
  if (!key) return OpOutcome::fail(err::kInvalidKeyFile);
  if (!(key->desc.flags & kKeyPrivate)) return OpOutcome::fail(err::kInvalidIndexString);
  if (filter.find_first_not_of(' ') != std::string_view::npos) return OpOutcome::fail(err::kInvalidIndexString);
  if (components.find_first_not_of(' ') != std::string_view::npos) {
    std::vector<KeyComponent> parsed;
    if (!parseComponents(t, components, parsed)) return OpOutcome::fail(err::kInvalidIndexString);
    key->desc.components = std::move(parsed);
    t.m_keyDescs[static_cast<std::size_t>(t.keyIndex(*key))] = key->desc;
  }
  if (const int rc = t.m_file->beginAccess(false)) return OpOutcome::fail(rc);
  const int rc = buildPrivate(t, *key);
  return rc ? OpOutcome::fail(rc) : OpOutcome::ok();
}

OpOutcome packTable(StrandelTable& t) {
  const OpOutcome built = buildKeys(t, nullptr);
  if (!built.success) return built;
  if (t.m_file->enrolled()) return OpOutcome::ok();
  const int rc = t.m_file->commitAndCut();
  return rc ? OpOutcome::fail(rc) : OpOutcome::ok();
}

}  // namespace linkar::keyed
