// Key descriptors and the encoding of key values: each component turned into
// bytes that order correctly when compared as unsigned bytes, case folding and
// collation through the runtime tables, and the blank test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace linkar::keyed {

// Key flags.
inline constexpr std::uint8_t kKeyDuplicates = 0x01;  // the record number is part of the key
inline constexpr std::uint8_t kKeyOmitBlank = 0x02;   // all-blank values get no entry
inline constexpr std::uint8_t kKeyNoCase = 0x04;      // text upper-cased before collation
inline constexpr std::uint8_t kKeyLazy = 0x20;        // writes mark the key out of date
inline constexpr std::uint8_t kKeyPrivate = 0x40;     // not kept in the data file

inline constexpr std::uint8_t kTypeGroup = 0x16;      // a group counts as text for the blank test
inline constexpr std::size_t kKeyHeaderLength = 5;    // table number and key number
inline constexpr std::size_t kRecordNumberLength = 4; // stored record number

struct KeyComponent {
  std::uint8_t type = 0;        // field type code
  std::uint32_t offset = 0;     // in the record buffer
  std::uint32_t size = 0;       // bytes of the field, and of its encoding
  bool descending = false;
};

struct KeyDescriptor {
  std::uint8_t number = 0;      // k: 0 for the table's first declared key
  std::uint8_t flags = 0;
  std::vector<KeyComponent> components;

  bool duplicates() const { return flags & kKeyDuplicates; }
  std::size_t valueLength() const;
};

// The encoded bytes of one component of `record`.
std::string encodeComponent(const KeyComponent& c, std::string_view record, bool ignoreCase);
bool componentBlank(const KeyComponent& c, std::string_view record);
// The concatenated encoded components.
std::string encodeKeyValue(const KeyDescriptor& key, std::string_view record);
bool keyBlank(const KeyDescriptor& key, std::string_view record);

struct KeyEntry {
  std::string keyPart;
  std::string dataPart;
};

// The entry of `record` in `key`; nothing for a blank value of a key that
// omits blanks. `recordNumber` is the record's number (stored big-endian).
std::optional<KeyEntry> buildKeyEntry(std::uint32_t table, const KeyDescriptor& key,
                                      std::string_view record, std::uint32_t recordNumber);

}  // namespace linkar::keyed
