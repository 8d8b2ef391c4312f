// The lock area of a data file: byte-range locks from 2 GB upwards that keep
// processes sharing one data file apart. Readers take one slot byte each,
// a writer takes the whole writer range (every slot), and tables and records
// have one lock byte each further up. No lock ever covers file data.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/file.h"
#include "storage/keyed/sdf_format.h"

namespace linkar::keyed {

inline constexpr std::uint64_t kLockAreaBase = kLockAreaStart;  // first byte of the lock area
inline constexpr std::uint64_t kReaderSlots = 1023;            // slots 0..1022, one byte each
inline constexpr std::uint64_t kWriterRangeLength = 1023;      // 0x80000000..0x800003FE
inline constexpr std::uint64_t kItemLockDistance = 0x401;     // from the lock area to the item locks
inline constexpr std::uint64_t kItemLockBase = kLockAreaStart + kItemLockDistance;  // table lock / record hold N at base + N

// The lock byte offset of a table or record number: its four stored
// (big-endian) bytes read as a little-endian value, added in 64 bits.
std::uint64_t itemLockOffset(std::uint32_t number);

// Locks on one open of a data file. `file` may be null (a data file held in
// memory): every lock then succeeds at once. The file must outlive this.
class LockArea {
 public:
  explicit LockArea(platform::File* file);
  LockArea(const LockArea&) = delete;
  LockArea& operator=(const LockArea&) = delete;

  // Reader slot, taken shared so that two readers never exclude each other;
  // only a writer (holding every slot byte) makes it wait. Waits without
  // limit, pausing between tries like every wait.
  int lockReaderSlot();
  int unlockReaderSlot();
  // One try at the reader slot: 0, or 32 while a writer holds the range.
  int tryLockReaderSlot();
  // The whole writer range, exclusive; waits without limit, pausing
  // between tries.
  int lockWriterRange();
  int unlockWriterRange();
  std::uint64_t readerSlot() const { return m_slot; }

  // One try at a table's lock byte: 0 or 32.
  int tryLockItem(std::uint32_t number);
  // LOCK of a table: seconds < 0 retries until granted; otherwise retries
  // until `seconds` have passed since the first try, then 32. Between tries
  // it pauses (platform/pause.h): the window system and the other procedure
  // threads go on meanwhile.
  int lockTable(std::uint32_t number, int seconds);
  int unlockItem(std::uint32_t number);

 private:
  platform::LockKind itemKind() const;

  platform::File* m_file;
  std::uint64_t m_slot;
};

}  // namespace linkar::keyed
