// Whole-file operations by name. Removal and rename first probe the file's
// share records so that a file held exclusively by another open is left alone.

#include "platform/file_system.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>

#include "platform/file.h"
#include "platform/os_error.h"
#include "platform/share_mode.h"

namespace linkar::platform {

namespace {

// Bytes moved per read and write while copying.
constexpr std::size_t kCopyChunk = 64 * 1024;

// An open of `path` made only to look at its share records. It never
// blocks (a pipe's open would) and never records anything itself.
class Probe {
 public:
  explicit Probe(const std::string& path) {
    m_fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    m_writable = m_fd >= 0;
    if (m_fd < 0 && (errno == EACCES || errno == EROFS || errno == EPERM || errno == ETXTBSY ||
                     errno == EISDIR))
      m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    m_error = m_fd < 0 ? errno : 0;
  }
  ~Probe() { release(); }

  // Drops the guard and the descriptor before the probe ends.
  void release() {
    if (m_fd >= 0) {
      if (m_guarded) share::releaseGuard(m_fd, m_writable);
      ::close(m_fd);
    }
    m_fd = -1;
    m_guarded = false;
  }
  Probe(const Probe&) = delete;
  Probe& operator=(const Probe&) = delete;

  int error() const { return m_error; }
  bool opened() const { return m_fd >= 0; }
  // Device and inode, to order probes; zeros when not open.
  std::pair<dev_t, ino_t> identity() const {
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) return {0, 0};
    return {st.st_dev, st.st_ino};
  }
  bool isDirectory() const {
    struct stat st {};
    return m_fd >= 0 && ::fstat(m_fd, &st) == 0 && S_ISDIR(st.st_mode);
  }

  // 0 when no other open denies anything (the guard is then held until the
  // probe ends), else errno (EAGAIN for a denial).
  int checkNoDenials() {
    int rc = share::checkNoDenials(m_fd, m_writable);
    m_guarded = rc == 0;
    return rc;
  }

 private:
  int m_fd = -1;
  int m_error = 0;
  bool m_writable = false;
  bool m_guarded = false;
};

int shareError(int rc) { return failWith(rc == EAGAIN ? kErrorSharingViolation : mapErrno(rc)); }

}  // namespace

bool usablePathName(const std::string& path) {
  return !path.empty() && path.find('\0') == std::string::npos;
}

namespace {
int nameError(const std::string& path) {
  return failWith(path.empty() ? kErrorFileNotFound : kErrorPathNotFound);
}
}  // namespace

int removeFile(const std::string& path) {
  if (!usablePathName(path)) return nameError(path);
  Probe probe(path);
  if (!probe.opened()) {
    // Unreadable files have no records we could see; anything else the
    // open reported (missing file, missing folder) is the answer.
    if (probe.error() != EACCES && probe.error() != EPERM)
      return failWithPathErrno(probe.error(), path);
  } else {
    if (probe.isDirectory()) return failWith(kErrorAccessDenied);
    int rc = probe.checkNoDenials();
    if (rc != 0) return shareError(rc);
  }
  if (::unlink(path.c_str()) != 0) return failWithPathErrno(errno == EISDIR ? EACCES : errno, path);
  return 0;
}

int checkNoOtherOpen(const std::string& path) {
  // A deny-all open is refused while any other open holds the file.
  File probe;
  const int rc = probe.open(path, OpenMode{Access::Read, true, true});
  if (rc == kErrorSharingViolation) return rc;
  return 0;
}

namespace {

// True when both names lead to one file (the same device and inode).
bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa {}, sb {};
  return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

// A move between file systems: copy, then remove the original. The copy is
// complete and flushed before the original goes, so a failure leaves at
// worst both.
int moveAcrossFileSystems(const std::string& from, const std::string& to) {
  int rc = copyFile(from, to);
  if (rc != 0) return rc;
  rc = removeFile(from);
  if (rc != 0) ::unlink(to.c_str());
  return rc;
}

}  // namespace

int renameFile(const std::string& from, const std::string& to, bool replaceExisting) {
  if (!usablePathName(from)) return nameError(from);
  if (!usablePathName(to)) return nameError(to);
  Probe source(from);
  if (!source.opened() && source.error() != EACCES && source.error() != EPERM)
    return failWithPathErrno(source.error(), from);
  std::unique_ptr<Probe> target;
  if (replaceExisting && fileExists(to) && !sameFile(from, to))
    target = std::make_unique<Probe>(to);
  // Both guards are taken in one global order (by file identity), so two
  // renames of the same pair in opposite directions cannot wait on each
  // other for ever.
  Probe* first = &source;
  Probe* second = target && target->opened() ? target.get() : nullptr;
  if (second && second->identity() < first->identity()) std::swap(first, second);
  for (Probe* p : {first, second}) {
    if (p == nullptr || !p->opened()) continue;
    int rc = p->checkNoDenials();
    if (rc != 0) return shareError(rc);
  }
  if (replaceExisting) {
    if (::rename(from.c_str(), to.c_str()) == 0) return 0;
  } else {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno == EINVAL || errno == ENOSYS) {
      // The file system cannot refuse a replacement itself: look first.
      struct stat st {};
      if (::lstat(to.c_str(), &st) == 0) return failWith(kErrorFileExists);
      if (::rename(from.c_str(), to.c_str()) == 0) return 0;
    }
  }
  int e = errno;
  if (e == EXDEV) {
    // The guards must not be held while the copy opens both files.
    source.release();
    target.reset();
    struct stat st {};
    if (!replaceExisting && ::lstat(to.c_str(), &st) == 0) return failWith(kErrorFileExists);
    return moveAcrossFileSystems(from, to);
  }
  return failWithPathErrno(e, to);
}

int copyFile(const std::string& from, const std::string& to) {
  if (!usablePathName(from)) return nameError(from);
  if (!usablePathName(to)) return nameError(to);
  // Cutting the target would destroy the source.
  if (sameFile(from, to)) return failWith(kErrorSharingViolation);
  File source;
  int rc = source.open(from, OpenMode{Access::Read, false, false}, Disposition::OpenExisting);
  if (rc != 0) return rc;
  File target;
  rc = target.open(to, OpenMode{Access::Write, false, true}, Disposition::CreateAlways);
  if (rc != 0) return rc;
  std::vector<char> buffer(kCopyChunk);
  std::uint64_t offset = 0;
  for (;;) {
    std::size_t got = 0;
    rc = source.read(offset, buffer.data(), buffer.size(), &got);
    if (rc != 0) return rc;
    if (got == 0) break;
    rc = target.write(offset, buffer.data(), got);
    if (rc != 0) return rc;
    offset += got;
  }
  rc = target.flush();
  if (rc != 0) return rc;
  return target.close();
}

bool fileExists(const std::string& path) {
  struct stat st {};
  return usablePathName(path) && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool directoryExists(const std::string& path) {
  struct stat st {};
  return usablePathName(path) && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int makeDirectories(const std::string& path, unsigned mode) {
  if (!usablePathName(path)) return failWith(kErrorPathNotFound);
  std::string partial;
  std::size_t pos = 0;
  while (pos <= path.size()) {
    std::size_t slash = path.find('/', pos);
    if (slash == std::string::npos) slash = path.size();
    partial = path.substr(0, slash);
    pos = slash + 1;
    if (partial.empty() || partial.back() == '/') continue;
    if (::mkdir(partial.c_str(), static_cast<mode_t>(mode)) != 0 && errno != EEXIST)
      return failWithErrno(errno);
  }
  if (!directoryExists(path)) return failWith(kErrorPathNotFound);
  return 0;
}

int changeCurrentDirectory(const std::string& path) {
  if (path.empty()) return 0;
  if (!usablePathName(path)) return nameError(path);
  if (::chdir(path.c_str()) != 0) return failWithPathErrno(errno == ENOENT ? ENOTDIR : errno, path);
  return 0;
}

int currentDirectory(std::string* out) {
  out->clear();
  std::vector<char> buffer(4096);
  for (;;) {
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
      *out = buffer.data();
      return 0;
    }
    if (errno != ERANGE || buffer.size() > (1u << 20)) return failWithErrno(errno);
    buffer.resize(buffer.size() * 2);
  }
}

int absolutePath(const std::string& name, std::string* out) {
  out->clear();
  if (!usablePathName(name)) return failWith(kErrorPathNotFound);
  std::filesystem::path p(name);
  if (!p.is_absolute()) {
    std::string cwd;
    int rc = currentDirectory(&cwd);
    if (rc != 0) return rc;
    p = std::filesystem::path(cwd) / p;
  }
  std::string tidy = p.lexically_normal().string();
  // A trailing slash after a named part is not part of the name.
  if (tidy.size() > 1 && tidy.back() == '/') tidy.pop_back();
  *out = tidy;
  return 0;
}

}  // namespace linkar::platform
