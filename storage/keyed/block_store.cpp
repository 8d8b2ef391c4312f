// The in-memory block store, failing the way a file does (with the
// operating-system numbers); the file store forwards to platform::File.
#include "storage/keyed/block_store.h"

#include <algorithm>
#include <cstring>

#include "platform/os_error.h"

namespace linkar::keyed {

int MemoryStore::read(std::uint64_t offset, void* buffer, std::size_t length, std::size_t* got) {
  *got = 0;
  if (offset >= m_bytes.size()) return 0;
  const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(length, m_bytes.size() - offset));
  std::memcpy(buffer, m_bytes.data() + offset, n);
  *got = n;
  return 0;
}

int MemoryStore::write(std::uint64_t offset, const void* data, std::size_t length) {
  if (!m_writable) return platform::kErrorAccessDenied;
  if (offset + length > m_limit) return platform::kErrorHandleDiskFull;
  if (offset + length > m_bytes.size()) m_bytes.resize(offset + length);
  std::memcpy(m_bytes.data() + offset, data, length);
  return 0;
}

int MemoryStore::setSize(std::uint64_t size) {
  if (!m_writable) return platform::kErrorAccessDenied;
  if (size > m_limit) return platform::kErrorHandleDiskFull;
  m_bytes.resize(static_cast<std::size_t>(size));
  return 0;
}

}  // namespace linkar::keyed
