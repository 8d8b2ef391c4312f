// What an import scan finds in a line: one site's texts, already delimited,
// decoded where the scan decodes and cut to their field widths, handed to
// the caller in the order they stand in the line.
#pragma once

#include <functional>
#include <string>

namespace linkar::transfer {

struct FoundSite {
  std::string location;     // at most kLocationWidth bytes
  std::string description;  // at most kDescriptionWidth bytes
  std::string siteInfo;     // at most kSiteInfoWidth bytes
  std::string heading;      // the HTML scan's current heading, else empty
  bool locationCut = false; // the address was longer than its field
};

using SiteSink = std::function<void(const FoundSite&)>;

}  // namespace linkar::transfer
