// The working-directory change.
#include "transfer/working_directory.h"

#include <cerrno>
#include <string>

#include <unistd.h>

namespace linkar::transfer {

int changeWorkingDirectory(std::string_view path) {
  if (path.empty()) return 0;
  std::string name(path);
  return ::chdir(name.c_str()) == 0 ? 0 : errno;
}

}  // namespace linkar::transfer
