// The link reader: target, anchor text, the text after the anchor.
//
// Resumption: a rejected target resumes at the target text; an accepted one
// behind the anchor's "<" of "</a>", or behind its ">" or its target when
// the anchor does not close on this line. Whatever the line holds, the
// scan resumes past the examined "href", so every "href" is read once.
#include "transfer/html_anchor.h"

#include <algorithm>
#include <string>

#include "transfer/char_references.h"
#include "transfer/field_text.h"

namespace linkar::transfer {
namespace {

constexpr char kQuote = '"';
constexpr char kTagEnd = '>';
constexpr char kTagStart = '<';
constexpr char kSchemeMark = ':';
constexpr std::string_view kHref = "href";
constexpr std::string_view kAnchorClose = "</a>";

// Leading blanks removed, references decoded, cut to the width.
std::string fieldText(std::string_view raw, size_t width, bool* cut = nullptr) {
  std::string decoded = decodeCharReferences(withoutLeadingBlanks(raw));
  std::string_view kept = cutToWidth(decoded, width);
  if (cut) *cut = kept.size() < decoded.size();
  return std::string(kept);
}

// The texts after the target's closing quote at `from`; returns where the
// scan goes on.
size_t readAnchorText(std::string_view line, std::string_view lower, size_t from, FoundSite& site) {
  size_t gt = line.find(kTagEnd, from);
  // A tag that does not end on this line leaves only attribute text here:
  // the description and site information stay blank.
  if (gt == std::string_view::npos) return from;
  size_t text = gt + 1;
  size_t close = lower.find(kAnchorClose, text);
  if (close == std::string_view::npos) {
    site.description = fieldText(line.substr(text), kDescriptionWidth);
    return text;
  }
  site.description = fieldText(line.substr(text, close - text), kDescriptionWidth);
  std::string_view after = withoutLeadingBlanks(line.substr(close + kAnchorClose.size()));
  if (!after.empty() && after.front() != kTagStart) site.siteInfo = fieldText(after, kSiteInfoWidth);
  return close + 1;
}

}  // namespace

AnchorRead readAnchor(std::string_view line, std::string_view lower, size_t href) {
  AnchorRead r;
  const size_t pastHref = href + kHref.size();
  size_t open = line.find(kQuote, href);
  size_t start = open == std::string_view::npos ? href : open + 1;
  size_t close = line.find(kQuote, start);
  std::string_view target = close == std::string_view::npos ? line.substr(start) : line.substr(start, close - start);
  r.site.location = fieldText(target, kLocationWidth, &r.site.locationCut);
  if (r.site.location.find(kSchemeMark) == std::string::npos) {
    r.resume = std::max(start, pastHref);
    return r;
  }
  r.found = true;
  size_t afterTarget = close == std::string_view::npos ? start : close + 1;
  r.resume = std::max(readAnchorText(line, lower, afterTarget, r.site), pastHref);
  return r;
}

}  // namespace linkar::transfer
