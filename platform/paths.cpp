// Folder conventions of the desktop and unique temporary names.

#include "platform/paths.h"

#include <fcntl.h>
#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/file_system.h"
#include "platform/os_error.h"

namespace linkar::platform {

namespace {

// Characters mkstemps replaces with a unique part.
constexpr const char* kUniquePart = "XXXXXX";

bool usable(const char* value) { return value != nullptr && value[0] == '/'; }

std::string homeDirectory() {
  const char* home = ::getenv("HOME");
  if (usable(home)) return home;
  if (struct passwd* pw = ::getpwuid(::getuid()); pw != nullptr && usable(pw->pw_dir))
    return pw->pw_dir;
  return "/";
}

// `variable` when usable, else home + `fallback`; then our folder in it.
int appDirectory(const char* variable, const char* fallback, std::string* out) {
  const char* base = ::getenv(variable);
  std::string root = usable(base) ? std::string(base) : homeDirectory() + fallback;
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  *out = (root == "/" ? root : root + "/") + kAppFolderName;
  return makeDirectories(*out, 0700);
}

}  // namespace

int configDirectory(std::string* out) { return appDirectory("XDG_CONFIG_HOME", "/.config", out); }

int stateDirectory(std::string* out) {
  return appDirectory("XDG_STATE_HOME", "/.local/state", out);
}

int configFilePath(const std::string& name, std::string* out) {
  std::string folder;
  int rc = configDirectory(&folder);
  *out = folder + "/" + name;
  return rc;
}

std::string temporaryDirectory() {
  const char* tmp = ::getenv("TMPDIR");
  std::string dir = usable(tmp) ? std::string(tmp) : std::string("/tmp");
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
}

int makeTemporaryFile(std::string* out) {
  out->clear();
  std::string pattern = temporaryDirectory() + "/" + kTemporaryPrefix + kUniquePart + kTemporarySuffix;
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  int fd = ::mkostemps(name.data(), static_cast<int>(std::strlen(kTemporarySuffix)), O_CLOEXEC);
  if (fd < 0) return failWithPathErrno(errno, pattern);
  ::close(fd);
  *out = name.data();
  return 0;
}

}  // namespace linkar::platform
