// The armed side of the I/O choke point: fault plans and crash tracking
// (the method is described in fault_injection.h).

#include "platform/fault_injection.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/raw_io.h"

namespace linkar::platform::faults {

namespace {

// Bytes of a file as they were before an unflushed write touched them.
struct SavedBytes {
  std::uint64_t offset;
  std::vector<char> bytes;
};

struct TrackedFile {
  int fd = -1;                    // our own descriptor, used to restore
  std::uint64_t durableSize = 0;  // size at the last flush
  std::vector<SavedBytes> saved;  // in the order they were taken
};

using FileId = std::pair<dev_t, ino_t>;

struct State {
  std::mutex mutex;
  Fault fault = Fault::None;
  long target = 0;
  long writes = 0;
  long flushes = 0;
  bool triggered = false;
  bool tracking = false;
  bool crashed = false;
  std::map<FileId, TrackedFile> files;
};

State& state() {
  static State s;
  return s;
}

void closeTracked(State& s) {
  for (auto& [id, file] : s.files)
    if (file.fd >= 0) ::close(file.fd);
  s.files.clear();
}

// The tracking record of the file behind `fd`, made on first use; nullptr
// when the file cannot be tracked.
TrackedFile* trackedFor(State& s, int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return nullptr;
  FileId id{st.st_dev, st.st_ino};
  auto it = s.files.find(id);
  if (it != s.files.end()) return &it->second;
  std::string self = "/proc/self/fd/" + std::to_string(fd);
  int own = ::open(self.c_str(), O_RDWR | O_CLOEXEC);
  if (own < 0) return nullptr;
  TrackedFile file;
  file.fd = own;
  file.durableSize = static_cast<std::uint64_t>(st.st_size);
  return &s.files.emplace(id, std::move(file)).first->second;
}

// Saves the durable bytes of [offset, offset + length) before they change.
void saveBefore(State& s, int fd, std::uint64_t offset, std::uint64_t length) {
  TrackedFile* file = trackedFor(s, fd);
  if (file == nullptr || offset >= file->durableSize || length == 0) return;
  std::uint64_t end = offset + length;
  if (end > file->durableSize || end < offset) end = file->durableSize;
  SavedBytes saved{offset, std::vector<char>(static_cast<std::size_t>(end - offset))};
  std::size_t got = 0;
  io::readAtDirect(file->fd, saved.bytes.data(), saved.bytes.size(), offset, &got);
  saved.bytes.resize(got);  // bytes past the current end were already cut and saved
  if (!saved.bytes.empty()) file->saved.push_back(std::move(saved));
}

void markDurable(State& s, int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return;
  auto it = s.files.find(FileId{st.st_dev, st.st_ino});
  if (it == s.files.end()) return;  // untouched since the last flush point
  ::close(it->second.fd);
  s.files.erase(it);
}

void crashLocked(State& s) {
  for (auto& [id, file] : s.files) {
    for (auto it = file.saved.rbegin(); it != file.saved.rend(); ++it)
      io::writeAtDirect(file.fd, it->bytes.data(), it->bytes.size(), it->offset, nullptr);
    io::setSizeDirect(file.fd, file.durableSize);
  }
  closeTracked(s);
  s.crashed = true;
}

bool hits(State& s, Fault fault, long count) {
  if (s.fault != fault || s.triggered || count != s.target) return false;
  s.triggered = true;
  return true;
}

void updateArmed(State& s) {
  io::detail::g_armed.store(s.fault != Fault::None || s.target != 0 || s.tracking || s.crashed,
                            std::memory_order_relaxed);
}

}  // namespace

void armFault(Fault fault, long n) {
  State& s = state();
  std::lock_guard<std::mutex> guard(s.mutex);
  s.fault = fault;
  s.target = fault == Fault::None ? -1 : n;  // -1 keeps counting armed
  s.writes = s.flushes = 0;
  s.triggered = false;
  if (fault == Fault::CrashAtWrite || fault == Fault::CrashAtFlush) s.tracking = true;
  io::detail::g_armed.store(true, std::memory_order_relaxed);
}

void trackCrashes() {
  State& s = state();
  std::lock_guard<std::mutex> guard(s.mutex);
  s.tracking = true;
  updateArmed(s);
}

void simulateCrash() {
  State& s = state();
  std::lock_guard<std::mutex> guard(s.mutex);
  crashLocked(s);
  updateArmed(s);
}

bool crashed() {
  State& s = state();
  std::lock_guard<std::mutex> guard(s.mutex);
  return s.crashed;
}

bool faultTriggered() {
  State& s = state();
  std::lock_guard<std::mutex> guard(s.mutex);
  return s.triggered;
}

long writesSinceArmed() {
  State& s = state();
  std::lock_guard<std::mutex> guard(s.mutex);
  return s.writes;
}

long flushesSinceArmed() {
  State& s = state();
  std::lock_guard<std::mutex> guard(s.mutex);
  return s.flushes;
}

void resetFaults() {
  State& s = state();
  std::lock_guard<std::mutex> guard(s.mutex);
  closeTracked(s);
  s.fault = Fault::None;
  s.target = 0;
  s.writes = s.flushes = 0;
  s.triggered = s.tracking = s.crashed = false;
  updateArmed(s);
}

}  // namespace linkar::platform::faults

namespace linkar::platform::io::detail {

using faults::Fault;

int writeAtArmed(int fd, const void* data, std::size_t length, std::uint64_t offset,
                 std::size_t* written) {
  auto& s = faults::state();
  std::lock_guard<std::mutex> guard(s.mutex);
  if (written) *written = 0;
  if (s.crashed) return EIO;
  long n = ++s.writes;
  if (faults::hits(s, Fault::FailWrite, n)) return EIO;
  if (faults::hits(s, Fault::CrashAtWrite, n)) {
    faults::crashLocked(s);
    return EIO;
  }
  bool shortWrite = faults::hits(s, Fault::ShortWrite, n);
  std::size_t amount = shortWrite ? length / 2 : length;
  if (s.tracking) faults::saveBefore(s, fd, offset, amount);
  int rc = writeAtDirect(fd, data, amount, offset, written);
  if (rc == 0 && shortWrite) rc = ENOSPC;
  return rc;
}

int readAtArmed(int fd, void* data, std::size_t length, std::uint64_t offset, std::size_t* got) {
  auto& s = faults::state();
  {
    std::lock_guard<std::mutex> guard(s.mutex);
    if (s.crashed) {
      if (got) *got = 0;
      return EIO;
    }
  }
  return readAtDirect(fd, data, length, offset, got);
}

int syncDataArmed(int fd) {
  auto& s = faults::state();
  std::lock_guard<std::mutex> guard(s.mutex);
  if (s.crashed) return EIO;
  long n = ++s.flushes;
  if (faults::hits(s, Fault::FailFlush, n)) return EIO;
  if (faults::hits(s, Fault::CrashAtFlush, n)) {
    faults::crashLocked(s);
    return EIO;
  }
  int rc = syncDataDirect(fd);
  if (rc == 0 && s.tracking) faults::markDurable(s, fd);
  return rc;
}

int setSizeArmed(int fd, std::uint64_t size) {
  auto& s = faults::state();
  std::lock_guard<std::mutex> guard(s.mutex);
  if (s.crashed) return EIO;
  if (s.tracking) {
    struct stat st {};
    if (::fstat(fd, &st) == 0 && static_cast<std::uint64_t>(st.st_size) > size)
      faults::saveBefore(s, fd, size, static_cast<std::uint64_t>(st.st_size) - size);
    else
      faults::trackedFor(s, fd);  // note the durable size before growing
  }
  return setSizeDirect(fd, size);
}

}  // namespace linkar::platform::io::detail
