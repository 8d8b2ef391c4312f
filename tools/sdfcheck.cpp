// sdfcheck FILE [--owner TEXT]: verifies a keyed data file and exits 0 only
// when it is sound; prints each fault it finds.
#include <cstdio>
#include <memory>
#include <string>

#include "platform/file.h"
#include "storage/keyed/block_store.h"
#include "storage/keyed/file_checker.h"
#include "tools/data_file_arguments.h"

namespace {

constexpr int kExitSound = 0;
constexpr int kExitFaults = 1;

}  // namespace

int main(int argc, char** argv) {
  linkar::tools::DataFileArguments args;
  if (!linkar::tools::parseDataFileArguments("sdfcheck", argc, argv, args)) return linkar::tools::kExitUsage;
  const std::string& path = args.path;
  linkar::platform::File file;
  if (!linkar::tools::openReadOnly("sdfcheck", path, file)) return linkar::tools::kExitUsage;
  const linkar::keyed::CheckReport report = linkar::keyed::checkDataFile(
      std::make_unique<linkar::keyed::FileStore>(std::move(file)), args.owner, path);
  for (const std::string& fault : report.faults) std::printf("fault: %s\n", fault.c_str());
  // An empty file is a data file as the driver sees it too: it holds no
  // table yet, so OPEN of any table in it fails with "File Not Found" (2)
  // until a CREATE writes the first one.
  if (report.newFile) std::printf("%s: a new data file without any table (0 bytes)\n", path.c_str());
  std::printf("%s: %zu pages, %zu entries, %zu tables, %zu records: %s\n", path.c_str(), report.pages,
              report.entries, report.tables, report.records, report.sound() ? "sound" : "FAULTY");
  return report.sound() ? kExitSound : kExitFaults;
}
