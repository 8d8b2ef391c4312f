// The errno mapping and the process-wide last operating-system error.

#include "platform/os_error.h"

#include <sys/stat.h>

#include <atomic>
#include <cerrno>

namespace linkar::platform {

namespace {
// Atomic only so that a stray helper thread cannot make it a data race.
std::atomic<int> g_lastOsError{kErrorNone};
}  // namespace

int mapErrno(int e) {
  switch (e) {
    case 0:
      return kErrorNone;
    case ENOENT:
      return kErrorFileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
      return kErrorPathNotFound;
    case EMFILE:
    case ENFILE:
      return kErrorTooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return kErrorAccessDenied;
    case EBADF:
      return kErrorInvalidHandle;
    case ENOMEM:
      return kErrorNotEnoughMemory;
    case EXDEV:
      return kErrorNotSameDevice;
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case ETXTBSY:
    case EBUSY:
      return kErrorSharingViolation;
    case EDEADLK:
      return kErrorLockViolation;
    case ENOLCK:
      return kErrorSharingBufferExceeded;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return kErrorHandleDiskFull;
    case ENOSYS:
    case EOPNOTSUPP:
      return kErrorNotSupported;
    case EEXIST:
    case ENOTEMPTY:
      return kErrorFileExists;
    case EINVAL:
    case EFAULT:
    case ESPIPE:
    case EOVERFLOW:
      return kErrorInvalidParameter;
    default:
      return kErrorGeneralFailure;
  }
}

int mapPathErrno(int e, const std::string& path) {
  if (e != ENOENT) return mapErrno(e);
  std::string::size_type slash = path.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return kErrorFileNotFound;  // folder is "." or "/"
  struct stat st {};
  std::string folder = path.substr(0, slash);
  if (::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return kErrorFileNotFound;
  return kErrorPathNotFound;
}

int lastOsError() { return g_lastOsError.load(std::memory_order_relaxed); }

void setLastOsError(int number) { g_lastOsError.store(number, std::memory_order_relaxed); }

int failWith(int number) {
  setLastOsError(number);
  return number;
}

int failWithErrno(int e) { return failWith(mapErrno(e)); }

int failWithPathErrno(int e, const std::string& path) { return failWith(mapPathErrno(e, path)); }

}  // namespace linkar::platform
