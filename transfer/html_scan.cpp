// The HTML line scan.
#include "transfer/html_scan.h"

#include "transfer/char_references.h"
#include "transfer/field_text.h"
#include "transfer/html_anchor.h"

namespace linkar::transfer {
namespace {

constexpr std::string_view kHref = "href";
constexpr std::string_view kHeadingOpen = "<h";
constexpr std::string_view kFolderMark = " ADD";
constexpr char kTagEnd = '>';
constexpr char kTagStart = '<';
// How much of the line from "<h" on the heading is taken from.
constexpr size_t kHeadingWindow = 255;
constexpr char kFirstLevel = '1';
constexpr char kLastLevel = '6';

}  // namespace

void lowerCaseCopy(std::string_view line, std::string& out) {
  out.assign(line);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
}

bool opensHeading(std::string_view line, size_t at) {
  size_t level = at + kHeadingOpen.size();
  if (level >= line.size() || line[level] < kFirstLevel || line[level] > kLastLevel) return false;
  std::string_view rest = line.substr(level + 1);
  return (!rest.empty() && rest.front() == kTagEnd) || rest.starts_with(kFolderMark);
}

void HtmlScan::readHeading(std::string_view line, size_t at) {
  std::string_view text = cutToWidth(line.substr(at), kHeadingWindow);
  size_t gt = text.find(kTagEnd);
  if (gt != std::string_view::npos) text.remove_prefix(gt + 1);
  size_t lt = text.find(kTagStart);
  if (lt != std::string_view::npos) text = text.substr(0, lt);
  std::string decoded = decodeCharReferences(withoutLeadingBlanks(text));
  m_heading = cutToWidth(decoded, kHeadingWidth);
}

void HtmlScan::scanLine(std::string_view line, const SiteSink& sink) {
  lowerCaseCopy(line, m_lower);
  const std::string_view lower = m_lower;
  size_t pos = 0;
  // The next "<h" is looked for again only once the scan has passed it, so
  // a long line of many links is not searched to its end for each.
  size_t g = lower.find(kHeadingOpen);
  for (;;) {
    size_t h = lower.find(kHref, pos);
    if (g != std::string_view::npos && g < pos) g = lower.find(kHeadingOpen, pos);
    if (g != std::string_view::npos && (h == std::string_view::npos || g < h) && opensHeading(line, g))
      readHeading(line, g);
    if (h == std::string_view::npos) return;
    AnchorRead anchor = readAnchor(line, lower, h);
    if (anchor.found) {
      anchor.site.heading = m_heading;
      sink(anchor.site);
    }
    pos = anchor.resume;
  }
}

}  // namespace linkar::transfer
