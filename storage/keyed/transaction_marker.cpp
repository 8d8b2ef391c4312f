// Encoding of transaction marker entries and control-file keys.
#include "storage/keyed/transaction_marker.h"

#include "storage/keyed/sdf_format.h"

namespace linkar::keyed {
namespace {
constexpr std::size_t kNumberBytes = 4;  // transaction number width
}  // namespace

std::string markerKey() { return std::string(1, static_cast<char>(kMarkerKey)); }

std::string encodeMarker(const TransactionMarker& marker) {
  std::string data;
  appendLe32(data, marker.number);
  data += marker.controlFile;
  data.push_back('\0');
  return data;
}

bool parseMarker(std::string_view data, TransactionMarker& out) {
  if (data.size() < kNumberBytes + 1 || data.back() != '\0') return false;
  const std::string_view name = data.substr(kNumberBytes, data.size() - kNumberBytes - 1);
  if (name.empty() || name.find('\0') != std::string_view::npos) return false;
  out.number = getLe32(bytesOf(data));
  out.controlFile.assign(name);
  return true;
}

std::string controlEntryKey(std::uint32_t number) {
  std::string key;
  appendBe32(key, number);
  return key;
}

}  // namespace linkar::keyed
