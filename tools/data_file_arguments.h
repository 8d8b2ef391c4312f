// The command line shared by the data-file tools, "TOOL FILE [--owner TEXT]",
// and opening FILE read-only for them.
#pragma once

#include <cstdio>
#include <string>

#include "platform/file.h"

namespace linkar::tools {

constexpr int kExitUsage = 2;  // bad command line, or the file cannot be opened

struct DataFileArguments {
  std::string path;
  std::string owner;  // owner text of an enciphered file, empty for none
};

// Reads the arguments; prints the usage line and returns false when they do
// not fit.
inline bool parseDataFileArguments(const char* tool, int argc, char** argv, DataFileArguments& out) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--owner" && i + 1 < argc) {
      out.owner = argv[++i];
    } else if (arg != "--owner" && out.path.empty()) {
      out.path = arg;
    } else {
      out.path.clear();
      break;
    }
  }
  if (out.path.empty()) std::fprintf(stderr, "usage: %s FILE [--owner TEXT]\n", tool);
  return !out.path.empty();
}

// Opens the file for reading; prints why and returns false when it cannot.
inline bool openReadOnly(const char* tool, const std::string& path, platform::File& file) {
  platform::OpenMode mode;
  mode.access = platform::Access::Read;
  if (const int rc = file.open(path, mode)) {
    std::fprintf(stderr, "%s: cannot open %s (system error %d)\n", tool, path.c_str(), rc);
    return false;
  }
  return true;
}

}  // namespace linkar::tools
