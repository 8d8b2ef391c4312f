// Open-file-description byte-range locks: the primitive under File's caller
// locks and the share-mode records. Locks belong to the open file
// description, not the process, so two opens in one process conflict.
#pragma once

#include <cstdint>

namespace linkar::platform::ofd {

enum class LockType { Shared, Exclusive, Unlock };

// Places or removes a lock on [offset, offset + length); returns 0 or errno
// (EAGAIN when `wait` is false and another open holds a conflicting lock).
int setLock(int fd, LockType type, std::uint64_t offset, std::uint64_t length, bool wait);

// Tests whether another open holds a lock on the range that conflicts with
// `probe`; sets `*held`. Returns 0 or errno.
int testLock(int fd, LockType probe, std::uint64_t offset, std::uint64_t length, bool* held);

}  // namespace linkar::platform::ofd
