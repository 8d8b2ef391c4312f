// sdfcheck FILE [--owner TEXT]: verifies a keyed data file and exits 0 only
// when it is sound; prints each fault it finds.
#include <cstdio>
#include <memory>
#include <string>

#include "platform/file.h"
#include "storage/keyed/block_store.h"
#include "storage/keyed/file_checker.h"

namespace {

constexpr int kExitSound = 0;
constexpr int kExitFaults = 1;
constexpr int kExitUsage = 2;

int usage() {
  std::fprintf(stderr, "usage: sdfcheck FILE [--owner TEXT]\n");
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  std::string path;
  std::string owner;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--owner") {
      if (++i >= argc) return usage();
      owner = argv[i];
    } else if (path.empty()) {
      path = arg;
    } else {
      return usage();
    }
  }
  if (path.empty()) return usage();
  linkar::platform::File file;
  linkar::platform::OpenMode mode;
  mode.access = linkar::platform::Access::Read;
  if (const int rc = file.open(path, mode)) {
    std::fprintf(stderr, "sdfcheck: cannot open %s (system error %d)\n", path.c_str(), rc);
    return kExitUsage;
  }
  const linkar::keyed::CheckReport report = linkar::keyed::checkDataFile(
      std::make_unique<linkar::keyed::FileStore>(std::move(file)), owner);
  for (const std::string& fault : report.faults) std::printf("fault: %s\n", fault.c_str());
  std::printf("%s: %zu pages, %zu entries, %zu tables, %zu records: %s\n", path.c_str(), report.pages,
              report.entries, report.tables, report.records, report.sound() ? "sound" : "FAULTY");
  return report.sound() ? kExitSound : kExitFaults;
}
