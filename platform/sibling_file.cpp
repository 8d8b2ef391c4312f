// Creating the replacement file beside its original.
#include "platform/sibling_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "platform/file_system.h"
#include "platform/os_error.h"

namespace linkar::platform {
namespace {

constexpr int kUniqueLength = 6;
// Names tried before giving up: a clash is already unlikely at the first.
constexpr int kAttempts = 100;
constexpr mode_t kNewFileMode = 0666;  // narrowed by the process's umask
constexpr mode_t kPermissionBits = 07777;
constexpr char kHiddenMark = '.';

std::string uniquePart(std::mt19937& random) {
  static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string s(kUniqueLength, 'A');
  for (char& c : s) c = kLetters[random() % (sizeof kLetters - 1)];
  return s;
}

}  // namespace

int makeSiblingFile(const std::string& path, std::string* out) {
  out->clear();
  if (!usablePathName(path)) return failWith(path.empty() ? kErrorFileNotFound : kErrorPathNotFound);
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  struct stat original {};
  const bool replacing = ::stat(path.c_str(), &original) == 0 && S_ISREG(original.st_mode);
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    std::string candidate = folder + kHiddenMark + name + kHiddenMark + uniquePart(random);
    int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return failWithPathErrno(errno, candidate);
    }
    if (replacing) (void)::fchmod(fd, original.st_mode & kPermissionBits);
    ::close(fd);
    *out = std::move(candidate);
    return 0;
  }
  return failWith(kErrorFileExists);
}

int replaceWithSibling(const std::string& sibling, const std::string& path) {
  if (int rc = renameFile(sibling, path, true); rc != 0) return rc;
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return 0;  // renamed; only its durability could not be asked for
  ::fsync(fd);
  ::close(fd);
  return 0;
}

}  // namespace linkar::platform
