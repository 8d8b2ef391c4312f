// The table definition stream stored with every table: fields, memos and
// keys as the table was created, cut into 512-byte definition blocks. An open
// compares it with the declaration.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "storage/keyed/key_descriptor.h"
#include "storage/keyed/sdfbt.h"

namespace linkar::keyed {

inline constexpr std::uint16_t kDefinitionVersion = 1;      // no blob memos
inline constexpr std::uint16_t kDefinitionVersionBlob = 2;  // some memo is a blob

// Strings of the stream may be missing (written 00 01) or empty (00 00).
using StreamText = std::optional<std::string>;

struct FieldDefinition {
  std::uint8_t type = 0;
  std::uint16_t offset = 0;
  StreamText name;
  std::uint16_t descriptor1 = 0;  // descriptor values copied from the parsed field
  std::uint16_t size = 0;
  std::uint16_t descriptor2 = 0;
  std::uint16_t descriptor3 = 0;
  std::uint8_t digits = 0;        // packed-decimal types only
  std::uint8_t places = 0;        // packed-decimal types only
  std::uint16_t textValue = 0;    // text types only
  StreamText picture;             // text types only
};

struct MemoDefinition {
  StreamText externalName;
  StreamText name;
  std::uint16_t size = 0;
  std::uint16_t flags = 0;
};

inline constexpr std::uint16_t kComponentFlagDescending = 0x01;  // component flag of a descending component

struct KeyComponentDefinition {
  std::uint16_t field = 0;  // index in the field list
  std::uint16_t flags = 0;  // kComponentFlag... bits
};

struct KeyDefinition {
  StreamText externalName;
  StreamText name;
  std::uint8_t flags = 0;
  std::vector<KeyComponentDefinition> components;
};

struct TableDefinition {
  std::uint16_t version = kDefinitionVersion;
  std::uint16_t recordLength = 0;
  std::vector<FieldDefinition> fields;
  std::vector<MemoDefinition> memos;
  std::vector<KeyDefinition> keys;

  // Sets the version from the memos: 2 when any is a blob.
  void chooseVersion();
  std::string encode() const;
  // False when the stream is truncated or malformed.
  static bool decode(std::string_view stream, TableDefinition& out);

  // Empty when the definition holds together (version, fields inside the
  // record, keys over existing fields and numbered below the entry kinds);
  // otherwise what does not.
  std::string inconsistency() const;
  // The key descriptors the definition describes. REQUIRES: inconsistency() is empty.
  std::vector<KeyDescriptor> keyDescriptors() const;
};

// Stores the definition blocks of `table` (replacing any there).
void writeDefinition(Sdfbt& tree, std::uint32_t table, const TableDefinition& def);
// Reads and decodes them; nothing when absent or malformed.
std::optional<TableDefinition> readDefinition(Sdfbt& tree, std::uint32_t table);

}  // namespace linkar::keyed
