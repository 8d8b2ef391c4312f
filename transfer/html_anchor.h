// Reading one link behind an "href" as the HTML import reads it: the target
// between the quotes after it, the anchor text up to "</a>" as description
// and the text after "</a>" as site information. The free-text scan reads
// an "a href" the same way.
#pragma once

#include <cstddef>
#include <string_view>

#include "transfer/found_site.h"

namespace linkar::transfer {

struct AnchorRead {
  bool found = false;   // the target is an absolute address (holds a ":")
  FoundSite site;       // with found
  size_t resume = 0;    // where the scan goes on, always past the "href"
};

// `line` and `lower` (its ASCII lower-case copy, same length) hold the
// line; `href` is the place of an "href" in it.
AnchorRead readAnchor(std::string_view line, std::string_view lower, size_t href);

}  // namespace linkar::transfer
