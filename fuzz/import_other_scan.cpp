// Fuzzer: arbitrary lines through the free-text address scan into a
// scratch file.
#include "fuzz/import_scan_check.h"
#include "transfer/other_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  linkar::transfer::OtherScan scan;
  linkar::fuzz::runScan(
      data, size, [&](std::string_view line, const linkar::transfer::SiteSink& sink) { scan.scanLine(line, sink); },
      linkar::transfer::CategoryRule::kChosenOrNew);
  return 0;
}
