// The one choke point through which every byte the platform layer reads or
// writes passes, so that tests can inject faults (see fault_injection.h).
// Callers outside platform/ use File; these take and return raw errno values.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

namespace linkar::platform::io {

namespace detail {
// True while a fault plan or crash tracking is armed; read on every call, so
// the unarmed path costs one relaxed load.
extern std::atomic<bool> g_armed;

int writeAtArmed(int fd, const void* data, std::size_t length, std::uint64_t offset,
                 std::size_t* written);
int readAtArmed(int fd, void* data, std::size_t length, std::uint64_t offset, std::size_t* got);
int syncDataArmed(int fd);
int setSizeArmed(int fd, std::uint64_t size);
}  // namespace detail

// Plain system calls, restarted after EINTR and partial transfers.
int writeAtDirect(int fd, const void* data, std::size_t length, std::uint64_t offset,
                  std::size_t* written);
int readAtDirect(int fd, void* data, std::size_t length, std::uint64_t offset, std::size_t* got);
int syncDataDirect(int fd);
int setSizeDirect(int fd, std::uint64_t size);

// Writes all `length` bytes at `offset`; returns 0 or errno. `*written` gets
// the bytes that reached the file either way.
inline int writeAt(int fd, const void* data, std::size_t length, std::uint64_t offset,
                   std::size_t* written) {
  if (detail::g_armed.load(std::memory_order_relaxed))
    return detail::writeAtArmed(fd, data, length, offset, written);
  return writeAtDirect(fd, data, length, offset, written);
}

// Reads up to `length` bytes at `offset`; a read that meets the end of the
// file stops there and still returns 0, with `*got` the bytes read.
inline int readAt(int fd, void* data, std::size_t length, std::uint64_t offset, std::size_t* got) {
  if (detail::g_armed.load(std::memory_order_relaxed))
    return detail::readAtArmed(fd, data, length, offset, got);
  return readAtDirect(fd, data, length, offset, got);
}

// Makes the file's data (and the size needed to reach it) durable.
inline int syncData(int fd) {
  if (detail::g_armed.load(std::memory_order_relaxed)) return detail::syncDataArmed(fd);
  return syncDataDirect(fd);
}

// Sets the file's size, cutting or extending it with zero bytes.
inline int setSize(int fd, std::uint64_t size) {
  if (detail::g_armed.load(std::memory_order_relaxed)) return detail::setSizeArmed(fd, size);
  return setSizeDirect(fd, size);
}

}  // namespace linkar::platform::io
