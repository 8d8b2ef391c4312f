// Files with access and share modes, positioned 64-bit I/O and byte-range
// locks: the only way the runtime and its drivers reach a file's bytes.
// Every call returns 0 or an operating-system error number (os_error.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file_system.h"
#include "platform/os_error.h"

namespace linkar::platform {

// The access-mode byte of OPEN and SHARE.
inline constexpr std::uint8_t kAccessMask = 0x03;      // low two bits: the access
inline constexpr std::uint8_t kAccessRead = 0x00;      // read only
inline constexpr std::uint8_t kAccessWrite = 0x01;     // write only
inline constexpr std::uint8_t kAccessReadWrite = 0x02; // read and write
inline constexpr std::uint8_t kShareMask = 0xF0;       // high nibble: the sharing
inline constexpr std::uint8_t kShareCompatible = 0x00; // compatibility: treated as deny none
inline constexpr std::uint8_t kShareDenyAll = 0x10;    // others may neither read nor write
inline constexpr std::uint8_t kShareDenyWrite = 0x20;  // others may only read
inline constexpr std::uint8_t kShareDenyRead = 0x30;   // others may only write
inline constexpr std::uint8_t kShareDenyNone = 0x40;   // others may do anything

enum class Access { Read, Write, ReadWrite };

// What an open wants to do and what it refuses to other opens.
struct OpenMode {
  Access access = Access::Read;
  bool denyRead = false;
  bool denyWrite = false;

  // Decodes an access-mode byte. The compatibility nibble 0x00 is deny none,
  // as both file drivers read it; an unknown nibble (0x50 and up) is also
  // taken as deny none, and access bits 3 as read and write.
  static OpenMode fromAccessByte(std::uint8_t mode);

  bool reads() const { return access != Access::Write; }
  bool writes() const { return access != Access::Read; }
};

enum class Disposition {
  OpenExisting,  // the file must exist
  CreateNew,     // the file must not exist (80 otherwise)
  CreateAlways,  // create, or cut an existing file to 0 bytes
  OpenAlways,    // open, creating the file when absent
};

enum class LockKind { Shared, Exclusive };

// Share modes between opens are emulated with open-file-description locks
// in a reserved range far above any lock a caller takes:
//
//   offset              kind held                  meaning
//   kShareGuardOffset   exclusive, while opening   serialises check-and-record
//   kShareReadOffset    shared, for the open's life  this open may read
//   kShareWriteOffset   shared, for the open's life  this open may write
//   kShareDenyReadOffset  shared, for the open's life  this open denies read
//   kShareDenyWriteOffset shared, for the open's life  this open denies write
//
// An open first records its own bytes, then tests (F_OFD_GETLK with an
// exclusive probe) the bytes of the opposite meaning held by other opens:
// its reading against "denies read", its writing against "denies write",
// its denials against "may read"/"may write". Recording before testing
// means two racing conflicting opens can never both succeed; the guard byte
// (taken with a waiting exclusive lock when the descriptor allows writing)
// means they do not both fail either. Locks belong to the open file
// description, so they act between opens in one process as well, and a
// process that dies releases everything.
inline constexpr std::uint64_t kShareLockBase = std::uint64_t{1} << 62;      // reserved range start
inline constexpr std::uint64_t kShareGuardOffset = kShareLockBase + 0;       // guard byte
inline constexpr std::uint64_t kShareReadOffset = kShareLockBase + 1;        // holders may read
inline constexpr std::uint64_t kShareWriteOffset = kShareLockBase + 2;       // holders may write
inline constexpr std::uint64_t kShareDenyReadOffset = kShareLockBase + 3;    // holders deny read
inline constexpr std::uint64_t kShareDenyWriteOffset = kShareLockBase + 4;   // holders deny write
inline constexpr std::uint64_t kShareLockSpan = 5;                           // bytes in the range
// Caller locks must end at or below this offset.
inline constexpr std::uint64_t kCallerLockLimit = kShareLockBase;

// One open file. Not copyable; movable; closes itself when destroyed.
//
// A File opened for reading only refuses write() and setSize() with 5, one
// opened for writing only refuses read() with 5. Calls on a closed File fail
// with 6. Every failure also sets lastOsError().
class File {
 public:
  File() = default;
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  File(File&& other) noexcept;
  File& operator=(File&& other) noexcept;

  // Opens `path`. A conflict with another open's share mode fails with 32
  // before anything is changed: CreateAlways only cuts the file once the
  // open is admitted. A folder cannot be opened (5).
  // REQUIRES: the File is closed (an open File refuses with 87).
  int open(const std::string& path, OpenMode mode, Disposition disposition = Disposition::OpenExisting);
  int open(const std::string& path, std::uint8_t accessByte,
           Disposition disposition = Disposition::OpenExisting);

  bool isOpen() const { return m_fd >= 0; }
  const std::string& path() const { return m_path; }
  OpenMode mode() const { return m_mode; }

  // Reads up to `length` bytes at `offset` into `buffer`. Meeting the end
  // of the file is not an error: `*got` (required) tells how many were read.
  int read(std::uint64_t offset, void* buffer, std::size_t length, std::size_t* got);

  // Writes all `length` bytes at `offset`, growing the file as needed. On
  // failure (29 device fault, 39 disk full, ...) `*written`, when given,
  // tells how many bytes reached the file.
  int write(std::uint64_t offset, const void* data, std::size_t length,
            std::size_t* written = nullptr);

  int size(std::uint64_t* out) const;

  // Cuts or extends (with zero bytes) the file to `size` bytes.
  int setSize(std::uint64_t size);

  // Makes everything written so far durable (fdatasync: the data and the
  // size needed to read it back; times are not forced out).
  int flush();

  // Closes the file, releasing its share records and every lock it holds.
  // Closing does not flush. Closing a closed File is a no-op returning 0.
  int close();

  // Byte-range locks on [offset, offset + length), held by this open and
  // conflicting with every other open, in this or another process. A
  // refused try fails with 32 (a caller that retries on 32 retries on a
  // lock conflict just as on a share conflict). Locks on the same open do
  // not nest: locking a range twice and unlocking it once frees it.
  // REQUIRES: length > 0 and offset + length <= kCallerLockLimit.
  int tryLock(std::uint64_t offset, std::uint64_t length, LockKind kind);
  // Waits until the lock is granted: tries, and pauses between tries
  // (pause.h), so that while it waits the other procedure threads and the
  // window system go on, and a lock held by another open of this same
  // process can come free meanwhile.
  int lock(std::uint64_t offset, std::uint64_t length, LockKind kind);
  int unlock(std::uint64_t offset, std::uint64_t length);

 private:
  // One try at a caller lock.
  int setCallerLock(std::uint64_t offset, std::uint64_t length, LockKind kind);
  int m_fd = -1;
  bool m_canWriteLock = false;  // descriptor opened for writing (exclusive locks possible)
  bool m_canReadLock = false;   // descriptor opened for reading (shared locks possible)
  OpenMode m_mode;
  std::string m_path;
};

}  // namespace linkar::platform
