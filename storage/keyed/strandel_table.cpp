// The table handle: parsing the declaration into keys and memos, the
// definition stream it describes, and the read, hold and memo steps that
// the record and sequence statements share.
#include "runtime/error_codes.h"
#include "storage/keyed/strandel_table.h"

#include <algorithm>
#include <cstring>

#include "storage/keyed/sdf_format.h"
#include "storage/keyed/strandel_memo.h"
#include "storage/layer/field_list.h"
#include "storage/layer/thread_files.h"

namespace linkar::keyed {
namespace {

constexpr std::uint16_t kComponentDescending = 0x01;  // component flag of a descending component
constexpr std::uint32_t kKeyFlagMask = 0xFF;          // key flags kept in the stored definition

bool isDecimal(std::uint8_t t) { return t == storage::kTypeDecimal || t == storage::kTypePDecimal; }

}  // namespace

std::uint32_t entryRecordNumber(const Entry& entry) {
  if (entry.bytes.size() < kNumberBytes) return 0;
  return getBe32(bytesOf(entry.bytes) + entry.bytes.size() - kNumberBytes);
}

int StrandelTable::prepare(const storage::FileDecl& file) {
  for (std::uint8_t k = 0; k < file.keyCount; ++k) {
    storage::KeyDecl* decl = file.keys ? file.keys[k] : nullptr;
    if (!decl || (decl->componentCount > 0 && !decl->components)) return runtime::err::kInvalidRecordDeclaration;
    TableKey key;
    key.decl = decl;
    key.desc.number = k;
    key.desc.flags = static_cast<std::uint8_t>(decl->attributes & kKeyFlagMask);
    for (std::uint8_t c = 0; c < decl->componentCount; ++c) {
      const std::int32_t n = decl->components[c];
      const std::int64_t index = (n < 0 ? -static_cast<std::int64_t>(n) : n) - 1;
      if (index < 0 || index >= static_cast<std::int64_t>(m_fields.size())) return runtime::err::kInvalidRecordDeclaration;
      const storage::FieldInfo& f = m_fields[static_cast<std::size_t>(index)];
      if (f.offset + f.totalSize() > m_recordLength) return runtime::err::kInvalidRecordDeclaration;
      key.desc.components.push_back(KeyComponent{f.type, f.offset, f.totalSize(), n < 0});
    }
    if (key.desc.components.empty()) return runtime::err::kInvalidRecordDeclaration;
    decl->driverHandle = k + 1;
    m_keyDescs.push_back(key.desc);
    m_keys.push_back(std::move(key));
  }
  for (std::uint8_t m = 0; m < file.memoCount; ++m) {
    storage::MemoDecl* decl = file.memos ? file.memos[m] : nullptr;
    if (!decl || decl->size < 0) return runtime::err::kInvalidRecordDeclaration;
    TableMemo memo;
    memo.decl = decl;
    memo.buffer = storage::memoBufferOf(file, m + 1);
    memo.number = m;
    memo.flags = decl->attributes;
    memo.size = static_cast<std::uint32_t>(decl->size);
    m_memos.push_back(memo);
  }
  m_savedMemos.assign(m_memos.size(), std::string());
  m_diskMemos.assign(m_memos.size(), std::string());
  return 0;
}

TableKey* StrandelTable::keyOf(const storage::KeyDecl* decl) {
  for (TableKey& key : m_keys)
    if (key.decl == decl) return &key;
  return nullptr;
}

TableDefinition StrandelTable::definition() const {
  TableDefinition def;
  def.recordLength = static_cast<std::uint16_t>(m_recordLength);
  for (const storage::FieldInfo& f : m_fields) {
    FieldDefinition fd;
    fd.type = f.type;
    fd.offset = static_cast<std::uint16_t>(f.offset);
    fd.name = f.label;
    fd.descriptor1 = static_cast<std::uint16_t>(f.dims.empty() ? 0 : f.totalSize() / std::max<std::uint32_t>(f.size, 1));
    fd.size = static_cast<std::uint16_t>(f.totalSize());
    fd.descriptor2 = static_cast<std::uint16_t>(f.dims.size());
    fd.descriptor3 = 0;
    if (isDecimal(f.type)) {
      fd.digits = static_cast<std::uint8_t>(f.size * 2 - 1);
      fd.places = f.places;
    }
    if (f.isText()) {
      fd.textValue = static_cast<std::uint16_t>(f.size);
      fd.picture = f.picture;
    }
    def.fields.push_back(std::move(fd));
  }
  for (const TableMemo& m : m_memos) {
    MemoDefinition md;
    md.externalName = storage::declaredText(m.decl->externalName, m.decl->externalNameLength);
    md.name = std::string(m.decl->label ? m.decl->label : "");
    md.size = static_cast<std::uint16_t>(m.size);
    md.flags = m.flags;
    def.memos.push_back(std::move(md));
  }
  for (const TableKey& k : m_keys) {
    KeyDefinition kd;
    kd.externalName = storage::declaredText(k.decl->externalName, k.decl->externalNameLength);
    kd.name = std::string(k.decl->label ? k.decl->label : "");
    kd.flags = k.desc.flags;
    for (std::uint8_t c = 0; c < k.decl->componentCount; ++c) {
      const std::int32_t n = k.decl->components[c];
      const std::int32_t index = (n < 0 ? -n : n) - 1;
      kd.components.push_back({static_cast<std::uint16_t>(index), n < 0 ? kComponentDescending : std::uint16_t{0}});
    }
    def.keys.push_back(std::move(kd));
  }
  def.chooseVersion();
  return def;
}

void StrandelTable::releaseHold() {
  if (m_held && m_file && m_file->usable()) m_file->locks().unlockItem(m_heldRecord);
  m_held = false;
  m_heldRecord = 0;
}

int StrandelTable::tryHold(std::uint32_t number) { return m_file->locks().tryLockItem(number); }

int StrandelTable::readRecord(std::uint32_t number) {
  releaseHold();
  const auto entry = tree().find(recordKey(m_table, number));
  if (!entry) {
    m_holdRequested = false;
    m_watchRequested = false;
    return runtime::err::kRecordNotFound;
  }
  if (m_holdRequested) {
    m_holdRequested = false;
    // Another open holding the record keeps this statement waiting, bounded
    // only by the HOLD's seconds; the other threads go on meanwhile.
    if (m_file->locks().lockTable(number, m_holdSeconds) != 0) {
      m_watchRequested = false;
      return runtime::err::kRecordIsAlreadyHeld;
    }
    m_held = true;
    m_heldRecord = number;
  }
  const std::string_view data = entry->data();
  std::memset(m_record, 0, m_recordLength);
  std::memcpy(m_record, data.data(), std::min<std::size_t>(data.size(), m_recordLength));
  m_saved.assign(record());
  loadMemos(number);
  m_current = number;
  m_watched = m_watchRequested;
  m_watchRequested = false;
  return 0;
}

std::string StrandelTable::memoContent(const TableMemo& memo) const {
  if (memo.blob()) return memo.block ? memoryBlockContent(memo.block) : std::string();
  if (!memo.buffer) return std::string();
  return std::string(memo.buffer, memo.size);
}

void StrandelTable::setMemoContent(TableMemo& memo, std::string_view content) {
  if (memo.blob()) {
    if (content.empty()) {
      if (memo.block) freeMemoryBlock(memo.block);
      memo.block = 0;
      return;
    }
    if (!memo.block) memo.block = allocateMemoryBlock(0);
    setMemoryBlockContent(memo.block, content);
    return;
  }
  if (!memo.buffer) return;
  const std::size_t n = std::min<std::size_t>(content.size(), memo.size);
  std::memcpy(memo.buffer, content.data(), n);
  std::memset(memo.buffer + n, ' ', memo.size - n);
}

void StrandelTable::loadMemos(std::uint32_t number) {
  for (TableMemo& memo : m_memos) {
    std::string content = readMemo(tree(), m_table, number, memo.number, memo.blob(), memo.size);
    setMemoContent(memo, content);
    m_diskMemos[memo.number] = std::move(content);
    m_savedMemos[memo.number] = memoContent(memo);
  }
}

void StrandelTable::storeMemos(std::uint32_t number) {
  for (TableMemo& memo : m_memos) {
    std::string content = memoContent(memo);
    writeMemo(tree(), m_table, number, memo.number, content, memo.blob(), true);
    m_savedMemos[memo.number] = std::move(content);
  }
}

void StrandelTable::eraseMemos(std::uint32_t number) {
  for (const TableMemo& memo : m_memos) eraseMemo(tree(), m_table, number, memo.number);
}

void StrandelTable::clearMemos() {
  for (TableMemo& memo : m_memos) setMemoContent(memo, std::string_view());
}

}  // namespace linkar::keyed
