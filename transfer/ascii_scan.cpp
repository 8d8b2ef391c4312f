// The plain-text line scan.
#include "transfer/ascii_scan.h"

#include <string>

#include "transfer/field_text.h"

namespace linkar::transfer {
namespace {

constexpr char kQuote = '"';
constexpr std::string_view kSeparator = "\",\"";
constexpr char kFragmentMark = '#';

// The site information: the line is cut after the next quote, and the
// text up to the quote after that is the field, when there is one.
std::string_view siteInfoField(std::string_view& rest) {
  size_t open = rest.find(kQuote);
  if (open == std::string_view::npos) return {};
  rest.remove_prefix(open + 1);
  size_t close = rest.find(kQuote);
  return close == std::string_view::npos ? std::string_view() : rest.substr(0, close);
}

}  // namespace

void scanAsciiLine(std::string_view line, const SiteSink& sink) {
  std::string_view rest = line;
  for (;;) {
    size_t p = rest.find(kQuote);
    if (p == std::string_view::npos) return;
    rest.remove_prefix(p + 1);
    size_t sep = rest.find(kSeparator);
    if (sep == std::string_view::npos) continue;
    FoundSite site;
    std::string_view location = withoutLeadingBlanks(rest.substr(0, sep));
    site.location = cutToWidth(location, kLocationWidth);
    site.locationCut = site.location.size() < location.size();
    rest.remove_prefix(sep + kSeparator.size());
    size_t end = rest.find(kQuote);
    site.description = cutToWidth(withoutLeadingBlanks(rest.substr(0, end)), kDescriptionWidth);
    if (end != std::string_view::npos) rest.remove_prefix(end + 1);
    site.siteInfo = cutToWidth(siteInfoField(rest), kSiteInfoWidth);
    if (!site.location.empty() && site.location.front() == kFragmentMark) continue;
    sink(site);
    return;
  }
}

}  // namespace linkar::transfer
