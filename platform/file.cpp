// File: opening with access and share modes, positioned I/O through the
// choke point of raw_io.h, and caller byte-range locks.

#include "platform/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cassert>
#include <cerrno>
#include <utility>

#include "platform/pause.h"
#include "platform/range_lock.h"
#include "platform/raw_io.h"
#include "platform/share_mode.h"

namespace linkar::platform {

OpenMode OpenMode::fromAccessByte(std::uint8_t byte) {
  OpenMode mode;
  switch (byte & kAccessMask) {
    case kAccessRead:
      mode.access = Access::Read;
      break;
    case kAccessWrite:
      mode.access = Access::Write;
      break;
    default:
      mode.access = Access::ReadWrite;
      break;
  }
  switch (byte & kShareMask) {
    case kShareDenyAll:
      mode.denyRead = mode.denyWrite = true;
      break;
    case kShareDenyWrite:
      mode.denyWrite = true;
      break;
    case kShareDenyRead:
      mode.denyRead = true;
      break;
    default:  // deny none, compatibility and unknown nibbles
      break;
  }
  return mode;
}

namespace {

// An I/O error on the device reads as a read or write fault; the rest map
// as usual.
int ioError(int e, int faultNumber) { return failWith(e == EIO ? faultNumber : mapErrno(e)); }

// Permissions of a file created anew, before the umask.
constexpr mode_t kNewFileMode = 0666;

int openRestarting(const std::string& path, int flags) {
  int fd;
  do {
    fd = ::open(path.c_str(), flags, kNewFileMode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

int openDescriptor(const std::string& path, OpenMode mode, Disposition disposition, bool* writable,
                   bool* readable) {
  int flags = O_CLOEXEC;
  switch (disposition) {
    case Disposition::OpenExisting:
      break;
    case Disposition::CreateNew:
      flags |= O_CREAT | O_EXCL;
      break;
    case Disposition::CreateAlways:
    case Disposition::OpenAlways:
      flags |= O_CREAT;
      break;
  }
  // Read and write when the permissions allow, whatever the access asked
  // for: locks of both kinds need it, and File itself enforces the access.
  int fd = openRestarting(path, flags | O_RDWR);
  *writable = *readable = true;
  if (fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM || errno == ETXTBSY) &&
      mode.access != Access::ReadWrite) {
    int narrow = mode.access == Access::Read ? O_RDONLY : O_WRONLY;
    fd = openRestarting(path, flags | narrow);
    *writable = mode.access == Access::Write;
    *readable = mode.access == Access::Read;
  }
  if (fd < 0) return -errno;
  return fd;
}

}  // namespace

File::~File() { close(); }

File::File(File&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)),
      m_canWriteLock(other.m_canWriteLock),
      m_canReadLock(other.m_canReadLock),
      m_mode(other.m_mode),
      m_path(std::move(other.m_path)) {}

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    close();
    m_fd = std::exchange(other.m_fd, -1);
    m_canWriteLock = other.m_canWriteLock;
    m_canReadLock = other.m_canReadLock;
    m_mode = other.m_mode;
    m_path = std::move(other.m_path);
  }
  return *this;
}

int File::open(const std::string& path, std::uint8_t accessByte, Disposition disposition) {
  return open(path, OpenMode::fromAccessByte(accessByte), disposition);
}

int File::open(const std::string& path, OpenMode mode, Disposition disposition) {
  assert(!isOpen());
  if (isOpen()) return failWith(kErrorInvalidParameter);  // would lose the open descriptor
  if (!usablePathName(path)) return failWith(path.empty() ? kErrorFileNotFound : kErrorPathNotFound);
  bool writable = false;
  bool readable = false;
  int fd = openDescriptor(path, mode, disposition, &writable, &readable);
  if (fd < 0) return failWithPathErrno(-fd == EISDIR ? EACCES : -fd, path);

  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    int e = errno;
    ::close(fd);
    return failWithErrno(e);
  }
  if (S_ISDIR(st.st_mode)) {
    ::close(fd);
    return failWith(kErrorAccessDenied);
  }

  int rc = share::admit(fd, mode, writable, readable);
  if (rc == 0 && disposition == Disposition::CreateAlways && !mode.writes()) {
    // Cutting the file is a write even when the open itself only reads.
    rc = share::checkNoDenials(fd, writable);
    if (rc == 0) share::releaseGuard(fd, writable);
  }
  if (rc != 0) {
    ::close(fd);
    return failWith(rc == EAGAIN ? kErrorSharingViolation : mapErrno(rc));
  }
  if (disposition == Disposition::CreateAlways && st.st_size != 0) {
    rc = io::setSize(fd, 0);
    if (rc != 0) {
      ::close(fd);
      return ioError(rc, kErrorWriteFault);
    }
  }

  m_fd = fd;
  m_canWriteLock = writable;
  m_canReadLock = readable;
  m_mode = mode;
  m_path = path;
  return 0;
}

int File::read(std::uint64_t offset, void* buffer, std::size_t length, std::size_t* got) {
  assert(got != nullptr);
  *got = 0;
  if (!isOpen()) return failWith(kErrorInvalidHandle);
  if (!m_mode.reads()) return failWith(kErrorAccessDenied);
  int rc = io::readAt(m_fd, buffer, length, offset, got);
  return rc == 0 ? 0 : ioError(rc, kErrorReadFault);
}

int File::write(std::uint64_t offset, const void* data, std::size_t length, std::size_t* written) {
  if (written) *written = 0;
  if (!isOpen()) return failWith(kErrorInvalidHandle);
  if (!m_mode.writes()) return failWith(kErrorAccessDenied);
  int rc = io::writeAt(m_fd, data, length, offset, written);
  return rc == 0 ? 0 : ioError(rc, kErrorWriteFault);
}

int File::size(std::uint64_t* out) const {
  *out = 0;
  if (!isOpen()) return failWith(kErrorInvalidHandle);
  struct stat st {};
  if (::fstat(m_fd, &st) != 0) return failWithErrno(errno);
  *out = static_cast<std::uint64_t>(st.st_size);
  return 0;
}

int File::setSize(std::uint64_t size) {
  if (!isOpen()) return failWith(kErrorInvalidHandle);
  if (!m_mode.writes()) return failWith(kErrorAccessDenied);
  int rc = io::setSize(m_fd, size);
  return rc == 0 ? 0 : ioError(rc, kErrorWriteFault);
}

int File::flush() {
  if (!isOpen()) return failWith(kErrorInvalidHandle);
  int rc = io::syncData(m_fd);
  return rc == 0 ? 0 : ioError(rc, kErrorWriteFault);
}

int File::close() {
  if (!isOpen()) return 0;
  int fd = std::exchange(m_fd, -1);
  m_path.clear();
  // The descriptor is gone whatever close() answers; EINTR must not retry.
  if (::close(fd) != 0 && errno != EINTR) return ioError(errno, kErrorWriteFault);
  return 0;
}

namespace {

bool callerRange(std::uint64_t offset, std::uint64_t length) {
  return length > 0 && offset < kCallerLockLimit && length <= kCallerLockLimit - offset;
}

}  // namespace

int File::setCallerLock(std::uint64_t offset, std::uint64_t length, LockKind kind) {
  assert(callerRange(offset, length));
  if (!isOpen()) return failWith(kErrorInvalidHandle);
  if (!callerRange(offset, length)) return failWith(kErrorInvalidParameter);
  if (!(kind == LockKind::Shared ? m_canReadLock : m_canWriteLock))
    return failWith(kErrorAccessDenied);
  auto type = kind == LockKind::Shared ? ofd::LockType::Shared : ofd::LockType::Exclusive;
  int rc = ofd::setLock(m_fd, type, offset, length, false);
  if (rc == 0) return 0;
  // A refused try is a sharing violation.
  if (rc == EAGAIN) return failWith(kErrorSharingViolation);
  return failWith(mapErrno(rc));
}

int File::tryLock(std::uint64_t offset, std::uint64_t length, LockKind kind) {
  return setCallerLock(offset, length, kind);
}

int File::lock(std::uint64_t offset, std::uint64_t length, LockKind kind) {
  return retryWhileBusy([&] { return tryLock(offset, length, kind); }, kErrorSharingViolation);
}

int File::unlock(std::uint64_t offset, std::uint64_t length) {
  assert(callerRange(offset, length));
  if (!isOpen()) return failWith(kErrorInvalidHandle);
  if (!callerRange(offset, length)) return failWith(kErrorInvalidParameter);
  int rc = ofd::setLock(m_fd, ofd::LockType::Unlock, offset, length, false);
  return rc == 0 ? 0 : failWithErrno(rc);
}

}  // namespace linkar::platform
