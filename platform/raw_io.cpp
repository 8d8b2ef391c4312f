// The unarmed system calls behind the I/O choke point.

#include "platform/raw_io.h"

#include <unistd.h>

#include <cerrno>
#include <climits>

namespace linkar::platform::io {

namespace detail {
std::atomic<bool> g_armed{false};
}  // namespace detail

namespace {
// One pread/pwrite never moves more than this, so counts stay within ssize_t.
constexpr std::size_t kMaxTransfer = 1u << 30;
}  // namespace

int writeAtDirect(int fd, const void* data, std::size_t length, std::uint64_t offset,
                  std::size_t* written) {
  const char* bytes = static_cast<const char*>(data);
  std::size_t done = 0;
  int result = 0;
  while (done < length) {
    if (offset + done > static_cast<std::uint64_t>(LLONG_MAX)) {
      result = EINVAL;
      break;
    }
    std::size_t chunk = length - done < kMaxTransfer ? length - done : kMaxTransfer;
    ssize_t n = ::pwrite(fd, bytes + done, chunk, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      result = errno;
      break;
    }
    if (n == 0) {
      result = ENOSPC;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (written) *written = done;
  return result;
}

int readAtDirect(int fd, void* data, std::size_t length, std::uint64_t offset, std::size_t* got) {
  char* bytes = static_cast<char*>(data);
  std::size_t done = 0;
  int result = 0;
  while (done < length) {
    if (offset + done > static_cast<std::uint64_t>(LLONG_MAX)) break;  // past any end
    std::size_t chunk = length - done < kMaxTransfer ? length - done : kMaxTransfer;
    ssize_t n = ::pread(fd, bytes + done, chunk, static_cast<off_t>(offset + done));
    if (n < 0) {
      if (errno == EINTR) continue;
      result = errno;
      break;
    }
    if (n == 0) break;  // end of file
    done += static_cast<std::size_t>(n);
  }
  if (got) *got = done;
  return result;
}

int syncDataDirect(int fd) {
  while (::fdatasync(fd) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

int setSizeDirect(int fd, std::uint64_t size) {
  if (size > static_cast<std::uint64_t>(LLONG_MAX)) return EINVAL;
  while (::ftruncate(fd, static_cast<off_t>(size)) != 0) {
    if (errno != EINTR) return errno;
  }
  return 0;
}

}  // namespace linkar::platform::io
