// The plain-text import's scan of one line: "location","description","site
// information", each between double quotes, the first two separated by
// exactly the three characters "," with no blanks; anything before the
// first quote and after the third field is ignored. One line gives at
// most one site; nothing is decoded.
#pragma once

#include <string_view>

#include "transfer/found_site.h"

namespace linkar::transfer {

// Hands the line's site, if it has one, to `sink`. Sites whose location
// starts with "#" are passed over, and the scan goes on behind them.
void scanAsciiLine(std::string_view line, const SiteSink& sink);

}  // namespace linkar::transfer
