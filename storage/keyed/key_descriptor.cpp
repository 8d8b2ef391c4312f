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

std::string encodeComponent(const KeyComponent& c, std::string_view record, bool ignoreCase) {
  std::string b = fieldBytes(c, record);
  bool toggled = false;
  switch (c.type) {
    case storage::kTypeCString: {
      const std::size_t end = b.find('\0');
      if (end != std::string::npos) std::fill(b.begin() + end, b.end(), '\0');
      break;
    }
    case storage::kTypePString: {
      const std::size_t count =
          b.empty() ? 0 : std::min<std::size_t>(static_cast<std::uint8_t>(b[0]), b.size() - 1);
      std::string text = b.substr(1, count);
      text.resize(b.size(), '\0');
      b = std::move(text);
      break;
    }
    case storage::kTypeShort:
    case storage::kTypeLong:
      std::reverse(b.begin(), b.end());
      if (!b.empty()) b[0] = static_cast<char>(b[0] ^ kSignBit);
      break;
    case storage::kTypeUShort:
    case storage::kTypeULong:
      std::reverse(b.begin(), b.end());
      break;
    case storage::kTypeSReal:
    case storage::kTypeReal:
      std::reverse(b.begin(), b.end());
      if (!b.empty()) {
        if (static_cast<std::uint8_t>(b[0]) & kSignBit)
          toggled = true;
        else
          b[0] = static_cast<char>(b[0] | kSignBit);
      }
      break;
    case storage::kTypeDecimal:
      if (!b.empty()) {
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
    const auto& upper = runtime::upperTable();
    for (char& ch : b) {
      auto u = static_cast<std::uint8_t>(ch);
      if (ignoreCase) u = upper[u];
      ch = static_cast<char>(collation[u]);
    }
  }
  // A descending component that is also toggled keeps its bytes.
  if (c.descending != toggled)
    for (char& ch : b) ch = static_cast<char>(0xFF - static_cast<std::uint8_t>(ch));
  return b;
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
  const bool ignoreCase = key.flags & kKeyNoCase;
  for (const KeyComponent& c : key.components) out += encodeComponent(c, record, ignoreCase);
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
  e.keyPart += encodeKeyValue(key, record);
  if (key.duplicates())
    appendBe32(e.keyPart, recordNumber);
  else
    appendBe32(e.dataPart, recordNumber);
  return e;
}

}  // namespace linkar::keyed
