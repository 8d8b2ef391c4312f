// Operating-system error numbers as the runtime's error tables know them.
// Every platform call that fails records its mapped number here, the way a
// thread's last-error value works, so the error state can capture it later.
#pragma once

#include <string>

namespace linkar::platform {

// The numbers the error tables use for operating-system failures. A driver
// passes 2 to 8 through unchanged; any other number is posted as number + 300.
inline constexpr int kErrorNone = 0;              // success
inline constexpr int kErrorInvalidFunction = 1;   // operation not possible here
inline constexpr int kErrorFileNotFound = 2;      // no such file
inline constexpr int kErrorPathNotFound = 3;      // a folder of the path is missing
inline constexpr int kErrorTooManyOpenFiles = 4;  // descriptor table full
inline constexpr int kErrorAccessDenied = 5;      // permissions, read-only media
inline constexpr int kErrorInvalidHandle = 6;     // file not open
inline constexpr int kErrorNotEnoughMemory = 8;   // allocation failed
inline constexpr int kErrorInvalidData = 13;      // data too large or malformed to handle
inline constexpr int kErrorNotSameDevice = 17;    // rename across file systems
inline constexpr int kErrorWriteFault = 29;       // a write failed on the device
inline constexpr int kErrorReadFault = 30;        // a read failed on the device
inline constexpr int kErrorGeneralFailure = 31;   // anything without a closer number
inline constexpr int kErrorSharingViolation = 32; // share mode or lock conflict
inline constexpr int kErrorLockViolation = 33;    // a waited lock was refused
inline constexpr int kErrorSharingBufferExceeded = 36;  // out of lock records
inline constexpr int kErrorHandleDiskFull = 39;   // no space left
inline constexpr int kErrorNotSupported = 50;     // the system lacks the service
inline constexpr int kErrorFileExists = 80;       // create-new on an existing file
inline constexpr int kErrorInvalidParameter = 87; // bad argument

// Maps an errno value to the numbers above:
//
//   errno                              number
//   0                                  0
//   ENOENT                             2   File Not Found
//   ENOTDIR, ENAMETOOLONG, ELOOP       3   Path Not Found (an unusable path)
//   EMFILE, ENFILE                     4   Too Many Open Files
//   EACCES, EPERM, EROFS, EISDIR       5   Access Denied
//   EBADF                              6   Invalid Handle
//   ENOMEM                             8   Insufficient Memory
//   EXDEV                              17  Not Same Device
//   EIO                                31  General Failure (File::read and
//                                          File::write report 30 and 29)
//   EAGAIN, EWOULDBLOCK, ETXTBSY,
//   EBUSY                              32  Sharing Violation
//   EDEADLK                            33  Lock Violation
//   ENOLCK                             36  Sharing Buffer Exceeded
//   ENOSPC, EDQUOT, EFBIG              39  Handle Disk Full
//   ENOSYS, EOPNOTSUPP                 50  Not Supported
//   EEXIST, ENOTEMPTY                  80  File Already Exists
//   EINVAL, EFAULT, ESPIPE, EOVERFLOW  87  Invalid Parameter
//   anything else                      31  General Failure
//
// A refused byte-range lock is reported by the lock calls themselves (File
// gives 32 for both a share-mode and a lock conflict), not through this table.
int mapErrno(int e);

// Like mapErrno for a failure naming `path`: a missing file whose folder is
// missing as well is 3 (Path Not Found) rather than 2.
int mapPathErrno(int e, const std::string& path);

// The mapped number of the last failed platform call. Procedure threads are
// fibers on one thread, so one process-wide value serves them all.
int lastOsError();
void setLastOsError(int number);

// Records `number` as the last error and returns it, for `return fail(x);`.
int failWith(int number);

// Maps errno, records it and returns it.
int failWithErrno(int e);
int failWithPathErrno(int e, const std::string& path);

}  // namespace linkar::platform
