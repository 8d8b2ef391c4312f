// Share-mode records in the reserved lock range: record first, then test
// the opposite records of other opens, all under the guard byte.

#include "platform/share_mode.h"

#include <cerrno>

#include "platform/range_lock.h"

namespace linkar::platform::share {

namespace {

int takeGuard(int fd, bool writable) {
  if (!writable) return 0;  // record-then-test alone still refuses every conflict
  return ofd::setLock(fd, ofd::LockType::Exclusive, kShareGuardOffset, 1, true);
}

void dropGuard(int fd, bool writable) {
  if (writable) ofd::setLock(fd, ofd::LockType::Unlock, kShareGuardOffset, 1, false);
}

// Is any other open holding the record byte at `offset`?
int heldByOther(int fd, std::uint64_t offset, bool* held) {
  return ofd::testLock(fd, ofd::LockType::Exclusive, offset, 1, held);
}

int record(int fd, std::uint64_t offset) {
  return ofd::setLock(fd, ofd::LockType::Shared, offset, 1, false);
}

void dropRecords(int fd) {
  ofd::setLock(fd, ofd::LockType::Unlock, kShareReadOffset, kShareLockSpan - 1, false);
}

}  // namespace

int admit(int fd, OpenMode mode, bool writable, bool readable) {
  // A descriptor that can hold no shared lock cannot take part; it is
  // admitted unrecorded (only a file that is writable but not readable by
  // this user gets here).
  if (!readable) return 0;

  int rc = takeGuard(fd, writable);
  if (rc != 0) return rc;

  struct Record {
    bool wanted;
    std::uint64_t own;       // the byte this open records
    std::uint64_t opposite;  // the byte of other opens it must not meet
  };
  const Record records[] = {
      {mode.reads(), kShareReadOffset, kShareDenyReadOffset},
      {mode.writes(), kShareWriteOffset, kShareDenyWriteOffset},
      {mode.denyRead, kShareDenyReadOffset, kShareReadOffset},
      {mode.denyWrite, kShareDenyWriteOffset, kShareWriteOffset},
  };

  for (const Record& r : records) {
    if (!r.wanted) continue;
    rc = record(fd, r.own);
    if (rc != 0) break;
  }
  if (rc == 0) {
    for (const Record& r : records) {
      if (!r.wanted) continue;
      bool held = false;
      rc = heldByOther(fd, r.opposite, &held);
      if (rc != 0) break;
      if (held) {
        rc = EAGAIN;
        break;
      }
    }
  }
  if (rc != 0) dropRecords(fd);
  dropGuard(fd, writable);
  return rc;
}

int checkNoDenials(int fd, bool writable) {
  int rc = takeGuard(fd, writable);
  if (rc != 0) return rc;
  for (std::uint64_t offset : {kShareDenyReadOffset, kShareDenyWriteOffset}) {
    bool held = false;
    rc = heldByOther(fd, offset, &held);
    if (rc == 0 && held) rc = EAGAIN;
    if (rc != 0) {
      dropGuard(fd, writable);
      return rc;
    }
  }
  return 0;
}

void releaseGuard(int fd, bool writable) { dropGuard(fd, writable); }

}  // namespace linkar::platform::share
