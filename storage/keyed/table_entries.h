// The entries a table keeps in the tree besides its key entries: data
// records, counter entries, memo segments, definition blocks and name entries.
// Key builders and typed accessors over sdfbt.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "storage/keyed/sdfbt.h"

namespace linkar::keyed {

inline constexpr std::size_t kNumberBytes = kStoredNumberBytes;  // a stored table or record number
inline constexpr std::uint8_t kTableSubject = kKindRecord;  // counter subject of the table itself
inline constexpr std::string_view kUnnamedTable = "UNNAMED";
inline constexpr std::string_view kTablePartMark = "\\!";  // separates file and table name
inline constexpr std::string_view kDefaultExtension = ".SDF";

// A file name given to the driver, split into file and table parts.
struct SplitName {
  std::string file;   // with ".SDF" added when it had no extension
  std::string table;  // "UNNAMED" when none was given
};
SplitName splitFileName(std::string_view name);

std::string recordKey(std::uint32_t table, std::uint32_t record);
std::string counterKey(std::uint32_t table, std::uint8_t subject);
std::string definitionKey(std::uint32_t table, std::uint16_t block);
std::string memoKey(std::uint32_t table, std::uint32_t record, std::uint8_t memo, std::uint16_t segment);
std::string memoPrefix(std::uint32_t table, std::uint32_t record, std::uint8_t memo);
std::string nameKey(std::string_view tableName);
std::string tablePrefix(std::uint32_t table);

struct Counter {
  std::uint32_t count = 0;
  std::uint32_t outOfDateFrom = 0;  // keys only: 0, or the lowest unmaintained record number
};
std::optional<Counter> readCounter(Sdfbt& tree, std::uint32_t table, std::uint8_t subject);
void writeCounter(Sdfbt& tree, std::uint32_t table, std::uint8_t subject, const Counter& c);
// Adds `delta` to a count (wrapping is a caller error).
void addToCount(Sdfbt& tree, std::uint32_t table, std::uint8_t subject, int delta);

std::optional<std::uint32_t> findTable(Sdfbt& tree, std::string_view tableName);
void writeName(Sdfbt& tree, std::string_view tableName, std::uint32_t table);

// Memo segments. A text memo is stored without trailing spaces and read back
// padded with spaces to `declaredSize`; a blob memo carries its length.
// A `fresh` record (its number just issued) has no segments to replace.
void writeMemo(Sdfbt& tree, std::uint32_t table, std::uint32_t record, std::uint8_t memo,
               std::string_view content, bool blob, bool fresh = false);
std::string readMemo(Sdfbt& tree, std::uint32_t table, std::uint32_t record, std::uint8_t memo,
                     bool blob, std::size_t declaredSize);
void eraseMemo(Sdfbt& tree, std::uint32_t table, std::uint32_t record, std::uint8_t memo);

// Removes every entry whose key part begins with `prefix`; returns how many.
std::size_t erasePrefix(Sdfbt& tree, std::string_view prefix);

}  // namespace linkar::keyed
