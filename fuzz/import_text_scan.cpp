// Fuzzer: arbitrary lines through the plain-text import's scan into a
// scratch file.
#include "fuzz/import_scan_check.h"
#include "transfer/ascii_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  linkar::fuzz::runScan(data, size, linkar::transfer::scanAsciiLine, linkar::transfer::CategoryRule::kChosenOrNew);
  return 0;
}
