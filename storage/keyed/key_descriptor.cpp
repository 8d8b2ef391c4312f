// Encoding of key components by field type, and the key entries built from them.
#include "storage/keyed/key_descriptor.h"

#include <algorithm>

#include "runtime/char_tables.h"
#include "storage/keyed/sdf_format.h"
#include "storage/layer/field_list.h"

namespace linkar::keyed {
namespace {

constexpr std::uint8_t kSignBit = 0x80;       // top bit of the first big-endian byte
constexpr std::uint8_t kDecimalSignMask = 0xF0;  // sign nibble of a packed decimal
constexpr char kBlank = ' ';

// The field's bytes, zero-filled where the record is too short.
std::string fieldBytes(const KeyComponent& c, std::string_view record) {
  std::string out(c.size, '\0');
  if (c.offset < record.size()) {
    const std::size_t n = std::min<std::size_t>(c.size, record.size() - c.offset);
    std::copy_n(record.data() + c.offset, n, out.begin());
  }
  return out;
}

bool isTextType(std::uint8_t type) {
  return type == storage::kTypeString || type == storage::kTypeCString ||
         type == storage::kTypePString;
}

}  // namespace

std::size_t KeyDescriptor::valueLength() const {
  std::size_t n = 0;
  for (const KeyComponent& c : components) n += c.size;
  return n;
}

namespace {

// Appends the encoded component to `out`: the field's bytes are copied once
// and changed where they lie.
void appendComponent(const KeyComponent& c, std::string_view record, bool ignoreCase, std::string& out) {
  const std::size_t at = out.size();
  out.resize(at + c.size, '\0');
  char* b = out.data() + at;
  const std::size_t size = c.size;
  if (c.offset < record.size())
    std::copy_n(record.data() + c.offset, std::min<std::size_t>(size, record.size() - c.offset), b);
  bool toggled = false;
  switch (c.type) {
    case storage::kTypeCString: {
      char* end = std::find(b, b + size, '\0');
      std::fill(end, b + size, '\0');
      break;
    }
    case storage::kTypePString: {
      const std::size_t count = size == 0 ? 0 : std::min<std::size_t>(static_cast<std::uint8_t>(b[0]), size - 1);
      std::copy(b + 1, b + 1 + count, b);
      std::fill(b + count, b + size, '\0');
      break;
    }
    case storage::kTypeShort:
    case storage::kTypeLong:
      std::reverse(b, b + size);
      if (size) b[0] = static_cast<char>(b[0] ^ kSignBit);
      break;
    case storage::kTypeUShort:
    case storage::kTypeULong:
      std::reverse(b, b + size);
      break;
    case storage::kTypeSReal:
    case storage::kTypeReal:
      std::reverse(b, b + size);
      if (size) {
        if (static_cast<std::uint8_t>(b[0]) & kSignBit)
          toggled = true;
        else
          b[0] = static_cast<char>(b[0] | kSignBit);
      }
      break;
    case storage::kTypeDecimal:
      if (size) {
        if (static_cast<std::uint8_t>(b[0]) & kDecimalSignMask) {
          b[0] = static_cast<char>(b[0] & ~kDecimalSignMask);
          toggled = true;
        }
        b[0] = static_cast<char>(b[0] ^ kSignBit);
      }
      break;
    default:
      break;
  }
  if (isTextType(c.type)) {
    const auto& collation = runtime::collationTable();
    if (ignoreCase) {
      const auto& upper = runtime::upperTable();
      for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<char>(collation[upper[static_cast<std::uint8_t>(b[i])]]);
    } else {
      for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<char>(collation[static_cast<std::uint8_t>(b[i])]);
    }
  }
  // A descending component that is also toggled keeps its bytes.
  if (c.descending != toggled)
    for (std::size_t i = 0; i < size; ++i) b[i] = static_cast<char>(0xFF - static_cast<std::uint8_t>(b[i]));
}

void appendKeyValue(const KeyDescriptor& key, std::string_view record, std::string& out) {
  const bool ignoreCase = key.flags & kKeyNoCase;
  for (const KeyComponent& c : key.components) appendComponent(c, record, ignoreCase, out);
}

}  // namespace

std::string encodeComponent(const KeyComponent& c, std::string_view record, bool ignoreCase) {
  std::string out;
  appendComponent(c, record, ignoreCase, out);
  return out;
}

bool componentBlank(const KeyComponent& c, std::string_view record) {
  const std::string b = fieldBytes(c, record);
  if (c.type == storage::kTypeString || c.type == kTypeGroup)
    return std::all_of(b.begin(), b.end(), [](char ch) { return ch == kBlank; });
  if (c.type == storage::kTypeCString || c.type == storage::kTypePString)
    return b.empty() || b[0] == '\0';
  return std::all_of(b.begin(), b.end(), [](char ch) { return ch == '\0'; });
}

std::string encodeKeyValue(const KeyDescriptor& key, std::string_view record) {
  std::string out;
  out.reserve(key.valueLength());
  appendKeyValue(key, record, out);
  return out;
}

bool keyBlank(const KeyDescriptor& key, std::string_view record) {
  return std::all_of(key.components.begin(), key.components.end(),
                     [&](const KeyComponent& c) { return componentBlank(c, record); });
}

std::optional<KeyEntry> buildKeyEntry(std::uint32_t table, const KeyDescriptor& key,
                                      std::string_view record, std::uint32_t recordNumber) {
  if ((key.flags & kKeyOmitBlank) && keyBlank(key, record)) return std::nullopt;
  KeyEntry e;
  e.keyPart.reserve(kKeyHeaderLength + key.valueLength() + kRecordNumberLength);
  appendBe32(e.keyPart, table);
  e.keyPart.push_back(static_cast<char>(key.number));
  appendKeyValue(key, record, e.keyPart);
  if (key.duplicates())
    appendBe32(e.keyPart, recordNumber);
  else
    appendBe32(e.dataPart, recordNumber);
  return e;
}

}  // namespace linkar::keyed
