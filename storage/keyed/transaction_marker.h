// The transaction marker entry a multi-file commit leaves in each data file
// it logs, and the entries of the transaction control file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace linkar::keyed {

// A data file's marker: which transaction last committed it across files,
// and the control file that tells whether that transaction finished.
struct TransactionMarker {
  std::uint32_t number = 0;
  std::string controlFile;
};

// Key part of the marker entry: the single byte 0xFF.
std::string markerKey();
// Data part: the number (4 bytes, little-endian), the name, a zero byte.
std::string encodeMarker(const TransactionMarker& marker);
// False when the bytes are not a marker's data part.
bool parseMarker(std::string_view data, TransactionMarker& out);

// Key part of a control-file entry: the transaction number, big-endian so
// that entries sort by number.
std::string controlEntryKey(std::uint32_t number);

}  // namespace linkar::keyed
