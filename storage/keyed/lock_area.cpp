// Byte-range locks of the lock area: reader slots, the writer range and the
// lock bytes of tables and records.
#include "runtime/error_codes.h"
#include "storage/keyed/lock_area.h"

#include <cassert>

#include "platform/clock.h"
#include "platform/pause.h"

namespace linkar::keyed {
namespace {
constexpr std::int64_t kMillisecondsPerHundredth = 10;  // the runtime clock counts hundredths
constexpr std::int64_t kMillisecondsPerSecond = 1000;

// Hundredths of a second since the program started: the slot picker's clock.
std::int64_t hundredthsSinceStart() {
  static const std::int64_t start = platform::monotonicMilliseconds();
  return (platform::monotonicMilliseconds() - start) / kMillisecondsPerHundredth;
}
}  // namespace

std::uint64_t itemLockOffset(std::uint32_t number) {
  const std::uint32_t swapped = ((number & 0xFFu) << 24) | ((number & 0xFF00u) << 8) |
                                ((number >> 8) & 0xFF00u) | (number >> 24);
  return kItemLockBase + swapped;
}

LockArea::LockArea(platform::File* file)
    : m_file(file), m_slot(static_cast<std::uint64_t>(hundredthsSinceStart()) % kReaderSlots) {}

int LockArea::lockReaderSlot() {
  if (!m_file) return 0;
  // A shared slot byte is refused only while a writer holds the range; the
  // slot picked at open is kept, and the wait is for that writer to finish.
  const int rc = m_file->tryLock(kLockAreaBase + m_slot, 1, platform::LockKind::Shared);
  if (rc != runtime::err::kFileIsAlreadyLocked) return rc;
  return m_file->lock(kLockAreaBase + m_slot, 1, platform::LockKind::Shared);
}

int LockArea::tryLockReaderSlot() {
  if (!m_file) return 0;
  return m_file->tryLock(kLockAreaBase + m_slot, 1, platform::LockKind::Shared);
}

int LockArea::unlockReaderSlot() {
  if (!m_file) return 0;
  return m_file->unlock(kLockAreaBase + m_slot, 1);
}

int LockArea::lockWriterRange() {
  if (!m_file) return 0;
  return m_file->lock(kLockAreaBase, kWriterRangeLength, platform::LockKind::Exclusive);
}

int LockArea::unlockWriterRange() {
  if (!m_file) return 0;
  return m_file->unlock(kLockAreaBase, kWriterRangeLength);
}

platform::LockKind LockArea::itemKind() const {
  // An open without write access cannot hold an exclusive lock; its table
  // locks still keep writers out.
  return m_file->mode().writes() ? platform::LockKind::Exclusive : platform::LockKind::Shared;
}

int LockArea::tryLockItem(std::uint32_t number) {
  if (!m_file) return 0;
  return m_file->tryLock(itemLockOffset(number), 1, itemKind());
}

int LockArea::lockTable(std::uint32_t number, int seconds) {
  const std::int64_t limit = seconds < 0 ? platform::kWaitForever : std::int64_t{seconds} * kMillisecondsPerSecond;
  return platform::retryWhileBusy([&] { return tryLockItem(number); }, runtime::err::kFileIsAlreadyLocked, limit);
}

int LockArea::unlockItem(std::uint32_t number) {
  if (!m_file) return 0;
  return m_file->unlock(itemLockOffset(number), 1);
}

}  // namespace linkar::keyed
