// Open-file-description lock calls, restarted after signals.

#include "platform/range_lock.h"

#include <fcntl.h>

#include <cassert>
#include <cerrno>
#include <climits>

namespace linkar::platform::ofd {

namespace {

short typeOf(LockType type) {
  switch (type) {
    case LockType::Shared:
      return F_RDLCK;
    case LockType::Exclusive:
      return F_WRLCK;
    case LockType::Unlock:
      return F_UNLCK;
  }
  return F_UNLCK;
}

struct flock rangeOf(LockType type, std::uint64_t offset, std::uint64_t length) {
  struct flock fl {};
  fl.l_type = typeOf(type);
  fl.l_whence = SEEK_SET;
  fl.l_start = static_cast<off_t>(offset);
  fl.l_len = static_cast<off_t>(length);
  fl.l_pid = 0;  // must be 0 for open-file-description locks
  return fl;
}

bool rangeFits(std::uint64_t offset, std::uint64_t length) {
  return length > 0 && offset <= static_cast<std::uint64_t>(LLONG_MAX) &&
         length <= static_cast<std::uint64_t>(LLONG_MAX) - offset;
}

}  // namespace

int setLock(int fd, LockType type, std::uint64_t offset, std::uint64_t length, bool wait) {
  if (!rangeFits(offset, length)) return EINVAL;
  struct flock fl = rangeOf(type, offset, length);
  for (;;) {
    if (::fcntl(fd, wait ? F_OFD_SETLKW : F_OFD_SETLK, &fl) == 0) return 0;
    if (errno != EINTR) break;
  }
  // Some systems answer a refused try with EACCES instead of EAGAIN.
  if (errno == EACCES && !wait) return EAGAIN;
  return errno;
}

int testLock(int fd, LockType probe, std::uint64_t offset, std::uint64_t length, bool* held) {
  assert(probe != LockType::Unlock);
  if (!rangeFits(offset, length)) return EINVAL;
  struct flock fl = rangeOf(probe, offset, length);
  for (;;) {
    if (::fcntl(fd, F_OFD_GETLK, &fl) == 0) break;
    if (errno != EINTR) return errno;
  }
  *held = fl.l_type != F_UNLCK;
  return 0;
}

}  // namespace linkar::platform::ofd
