// Encoding and decoding of the table definition stream and its blocks.
#include "storage/keyed/table_definition.h"

#include "storage/keyed/sdf_format.h"
#include "storage/keyed/table_entries.h"
#include "storage/layer/field_list.h"

namespace linkar::keyed {
namespace {

constexpr std::uint8_t kMissingMark = 0x01;  // second byte of a missing string
constexpr std::size_t kMaxMemos = 0x100;          // a memo segment's key holds the memo number in one byte
constexpr std::size_t kMaxKeys = kKindRecord;     // key numbers sit below the entry kinds
// Every key flag a declaration may carry: those the driver acts on and the
// two it passes through (0x08, 0x10).
constexpr std::uint8_t kPassedKeyFlags = 0x08 | 0x10;
constexpr std::uint8_t kKnownKeyFlags =
    kKeyDuplicates | kKeyOmitBlank | kKeyNoCase | kPassedKeyFlags | kKeyLazy | kKeyPrivate;

bool isDecimalType(std::uint8_t t) { return t == storage::kTypeDecimal || t == storage::kTypePDecimal; }
bool isTextType(std::uint8_t t) {
  return t == storage::kTypeString || t == storage::kTypeCString || t == storage::kTypePString;
}

void putText(std::string& out, const StreamText& text) {
  if (!text) {
    out.push_back('\0');
    out.push_back(static_cast<char>(kMissingMark));
  } else if (text->empty()) {
    out.append(2, '\0');
  } else {
    // A zero byte inside would end the string early; the stream cannot hold it.
    out.append(text->substr(0, text->find('\0')));
    out.push_back('\0');
  }
}

class Reader {
 public:
  explicit Reader(std::string_view s) : m_s(s) {}
  bool u8(std::uint8_t& v) {
    if (m_pos >= m_s.size()) return false;
    v = static_cast<std::uint8_t>(m_s[m_pos++]);
    return true;
  }
  bool u16(std::uint16_t& v) {
    if (m_s.size() - m_pos < 2) return false;
    v = getLe16(bytesOf(m_s) + m_pos);
    m_pos += 2;
    return true;
  }
  bool text(StreamText& v) {
    if (m_pos >= m_s.size()) return false;
    if (m_s[m_pos] == '\0') {
      if (m_s.size() - m_pos < 2) return false;
      const auto mark = static_cast<std::uint8_t>(m_s[m_pos + 1]);
      m_pos += 2;
      if (mark == 0) {
        v = std::string();
      } else if (mark == kMissingMark) {
        v.reset();
      } else {
        return false;
      }
      return true;
    }
    const std::size_t end = m_s.find('\0', m_pos);
    if (end == std::string_view::npos) return false;
    v = std::string(m_s.substr(m_pos, end - m_pos));
    m_pos = end + 1;
    return true;
  }
  bool atEnd() const { return m_pos == m_s.size(); }

 private:
  std::string_view m_s;
  std::size_t m_pos = 0;
};

}  // namespace

void TableDefinition::chooseVersion() {
  version = kDefinitionVersion;
  for (const MemoDefinition& m : memos)
    if (m.flags & kMemoFlagBlob) version = kDefinitionVersionBlob;
}

std::string TableDefinition::encode() const {
  std::string out;
  appendLe16(out, version);
  appendLe16(out, recordLength);
  appendLe16(out, static_cast<std::uint32_t>(fields.size()));
  appendLe16(out, static_cast<std::uint32_t>(memos.size()));
  appendLe16(out, static_cast<std::uint32_t>(keys.size()));
  for (const FieldDefinition& f : fields) {
    out.push_back(static_cast<char>(f.type));
    appendLe16(out, f.offset);
    putText(out, f.name);
    appendLe16(out, f.descriptor1);
    appendLe16(out, f.size);
    appendLe16(out, f.descriptor2);
    appendLe16(out, f.descriptor3);
    if (isDecimalType(f.type)) {
      out.push_back(static_cast<char>(f.digits));
      out.push_back(static_cast<char>(f.places));
    }
    if (isTextType(f.type)) {
      appendLe16(out, f.textValue);
      putText(out, f.picture);
    }
  }
  for (const MemoDefinition& m : memos) {
    putText(out, m.externalName);
    putText(out, m.name);
    appendLe16(out, m.size);
    appendLe16(out, m.flags);
  }
  for (const KeyDefinition& k : keys) {
    putText(out, k.externalName);
    putText(out, k.name);
    out.push_back(static_cast<char>(k.flags));
    appendLe16(out, static_cast<std::uint32_t>(k.components.size()));
    for (const KeyComponentDefinition& c : k.components) {
      appendLe16(out, c.field);
      appendLe16(out, c.flags);
    }
  }
  return out;
}

bool TableDefinition::decode(std::string_view stream, TableDefinition& out) {
  Reader r(stream);
  out = TableDefinition{};
  std::uint16_t nFields = 0, nMemos = 0, nKeys = 0;
  if (!r.u16(out.version) || !r.u16(out.recordLength) || !r.u16(nFields) || !r.u16(nMemos) ||
      !r.u16(nKeys))
    return false;
  for (std::uint16_t i = 0; i < nFields; ++i) {
    FieldDefinition f;
    if (!r.u8(f.type) || !r.u16(f.offset) || !r.text(f.name) || !r.u16(f.descriptor1) ||
        !r.u16(f.size) || !r.u16(f.descriptor2) || !r.u16(f.descriptor3))
      return false;
    if (isDecimalType(f.type) && (!r.u8(f.digits) || !r.u8(f.places))) return false;
    if (isTextType(f.type) && (!r.u16(f.textValue) || !r.text(f.picture))) return false;
    out.fields.push_back(std::move(f));
  }
  for (std::uint16_t i = 0; i < nMemos; ++i) {
    MemoDefinition m;
    if (!r.text(m.externalName) || !r.text(m.name) || !r.u16(m.size) || !r.u16(m.flags)) return false;
    out.memos.push_back(std::move(m));
  }
  for (std::uint16_t i = 0; i < nKeys; ++i) {
    KeyDefinition k;
    std::uint16_t nComponents = 0;
    if (!r.text(k.externalName) || !r.text(k.name) || !r.u8(k.flags) || !r.u16(nComponents))
      return false;
    for (std::uint16_t j = 0; j < nComponents; ++j) {
      KeyComponentDefinition c;
      if (!r.u16(c.field) || !r.u16(c.flags)) return false;
      k.components.push_back(c);
    }
    out.keys.push_back(std::move(k));
  }
  return r.atEnd();
}

std::string TableDefinition::inconsistency() const {
  TableDefinition chosen = *this;
  chosen.chooseVersion();
  if (version != chosen.version) return "version " + std::to_string(version) + " does not fit its memos";
  if (recordLength == 0) return "the record length is 0";
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldDefinition& f = fields[i];
    const std::string field = "field " + std::to_string(i + 1);
    if (f.offset + f.size > recordLength) return field + " reaches past the record";
    // The descriptor values the driver writes: the element count and the
    // number of dimensions of an array, both 0 for a single field, then 0.
    if ((f.descriptor1 == 0) != (f.descriptor2 == 0) || f.descriptor3 != 0 ||
        (f.descriptor1 != 0 && f.size % f.descriptor1 != 0))
      return field + " has descriptor values the driver never writes";
  }
  if (memos.size() > kMaxMemos) return std::to_string(memos.size()) + " memos";
  if (keys.size() > kMaxKeys) return std::to_string(keys.size()) + " keys";
  for (std::size_t k = 0; k < keys.size(); ++k) {
    const std::string key = "key " + std::to_string(k);
    if (keys[k].components.empty()) return key + " has no components";
    if (keys[k].flags & ~kKnownKeyFlags) return key + " has flags no key has";
    for (const KeyComponentDefinition& c : keys[k].components) {
      if (c.field >= fields.size()) return key + " names a field that is not there";
      if (c.flags & ~kComponentFlagDescending) return key + " has component flags no component has";
    }
  }
  return {};
}

std::vector<KeyDescriptor> TableDefinition::keyDescriptors() const {
  std::vector<KeyDescriptor> out;
  for (std::size_t k = 0; k < keys.size(); ++k) {
    KeyDescriptor d;
    d.number = static_cast<std::uint8_t>(k);
    d.flags = keys[k].flags;
    for (const KeyComponentDefinition& c : keys[k].components) {
      const FieldDefinition& f = fields[c.field];
      d.components.push_back(KeyComponent{f.type, f.offset, f.size, (c.flags & kComponentFlagDescending) != 0});
    }
    out.push_back(std::move(d));
  }
  return out;
}

void writeDefinition(Sdfbt& tree, std::uint32_t table, const TableDefinition& def) {
  std::string prefix = tablePrefix(table);
  prefix.push_back(static_cast<char>(kKindDefinition));
  erasePrefix(tree, prefix);
  const std::string stream = def.encode();
  std::uint16_t block = 0;
  for (std::size_t pos = 0; pos < stream.size(); pos += kDefinitionBlock, ++block)
    tree.insert(definitionKey(table, block), std::string_view(stream).substr(pos, kDefinitionBlock));
}

std::optional<TableDefinition> readDefinition(Sdfbt& tree, std::uint32_t table) {
  std::string stream;
  // Block numbers are little-endian in the key, so blocks are fetched by number.
  for (std::uint32_t block = 0; block <= 0xFFFF; ++block) {
    const auto e = tree.find(definitionKey(table, static_cast<std::uint16_t>(block)));
    if (!e) break;
    stream.append(e->data());
    if (e->data().size() < kDefinitionBlock) break;
  }
  TableDefinition def;
  if (stream.empty() || !TableDefinition::decode(stream, def)) return std::nullopt;
  return def;
}

}  // namespace linkar::keyed
