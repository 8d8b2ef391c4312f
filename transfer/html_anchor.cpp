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
constexpr char kSingleQuote = '\'';
constexpr char kEquals = '=';
constexpr std::string_view kBlanks = " \t";
// What ends a target written without quotes.
constexpr std::string_view kUnquotedEnd = " \t>";
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

// Where a link's target lies in the line: [start, end), end npos when it
// runs to the line's end; the anchor text is looked for from `after`.
struct TargetSpan {
  size_t start = 0;
  size_t end = std::string_view::npos;
  size_t after = 0;
};

// The target between the first pair of double quotes after "href": the way
// every browser writes it. "href=" followed by a value in single quotes or
// by one without quotes (as hand-written pages have them) gives that value,
// so that no "href=" or markup ends up in the location.
TargetSpan targetSpan(std::string_view line, size_t href) {
  size_t equals = line.find_first_not_of(kBlanks, href + kHref.size());
  if (equals != std::string_view::npos && line[equals] == kEquals) {
    size_t value = line.find_first_not_of(kBlanks, equals + 1);
    if (value != std::string_view::npos && line[value] == kSingleQuote) {
      size_t close = line.find(kSingleQuote, value + 1);
      return {value + 1, close, close == std::string_view::npos ? value + 1 : close + 1};
    }
    if (value != std::string_view::npos && line[value] != kQuote) {
      size_t end = line.find_first_of(kUnquotedEnd, value);
      return {value, end, end == std::string_view::npos ? value : end};
    }
  }
  size_t open = line.find(kQuote, href);
  size_t start = open == std::string_view::npos ? href : open + 1;
  size_t close = line.find(kQuote, start);
  return {start, close, close == std::string_view::npos ? start : close + 1};
}

}  // namespace

AnchorRead readAnchor(std::string_view line, std::string_view lower, size_t href) {
  AnchorRead r;
  const size_t pastHref = href + kHref.size();
  const TargetSpan span = targetSpan(line, href);
  std::string_view target = line.substr(span.start, span.end == std::string_view::npos ? std::string_view::npos
                                                                                       : span.end - span.start);
  r.site.location = fieldText(target, kLocationWidth, &r.site.locationCut);
  if (r.site.location.find(kSchemeMark) == std::string::npos) {
    r.resume = std::max(span.start, pastHref);
    return r;
  }
  r.found = true;
  r.resume = std::max(readAnchorText(line, lower, span.after, r.site), pastHref);
  return r;
}

}  // namespace linkar::transfer
