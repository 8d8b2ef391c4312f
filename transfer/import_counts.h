// What an import did, counted as it goes, and the one-line summary the
// command line prints and the desktop shows in the frame's status bar.
#pragma once

#include <cstdint>
#include <string>

namespace linkar::transfer {

struct ImportCounts {
  int64_t added = 0;          // sites stored
  int64_t duplicates = 0;     // locations already stored, passed over
  int64_t newCategories = 0;  // categories added from headings
  int64_t addressesCut = 0;   // stored sites whose address was cut to its field
  int64_t failed = 0;         // adds refused for another reason (STOP)
};

// "imported 812 sites, 37 already stored, 4 new categories, 3 addresses
// longer than 128 bytes cut"; the figure 1 takes the singular.
std::string summaryLine(const ImportCounts& counts);

}  // namespace linkar::transfer
