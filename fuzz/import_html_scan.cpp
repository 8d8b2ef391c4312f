// Fuzzer: arbitrary lines through the HTML import's scan into a scratch file.
#include "fuzz/import_scan_check.h"
#include "transfer/html_scan.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  linkar::transfer::HtmlScan scan;
  linkar::fuzz::runScan(
      data, size, [&](std::string_view line, const linkar::transfer::SiteSink& sink) { scan.scanLine(line, sink); },
      linkar::transfer::CategoryRule::kChosenOrHeading);
  return 0;
}
