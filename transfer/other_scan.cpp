// The free-text line scan.
//
// An "a href" is read as the HTML import reads a link (its quoted target,
// the anchor text, the text after "</a>"); a scheme prefix starts an
// address that runs to the first byte that does not continue it.
#include "transfer/other_scan.h"

#include <array>

#include "transfer/field_text.h"
#include "transfer/html_anchor.h"
#include "transfer/html_scan.h"

namespace linkar::transfer {
namespace {

constexpr std::string_view kAnchorTrigger = "a href";
// Offset of "href" inside the anchor trigger.
constexpr size_t kHrefInTrigger = 2;
constexpr std::array<std::string_view, 5> kSchemeTriggers = {"http://", "ftp://", "telnet://", "news://",
                                                              "gopher://"};
constexpr std::string_view kAddressPunctuation = ".-_~:/?#[]@!$&'()*+;=%";

struct Trigger {
  size_t at = std::string_view::npos;
  bool anchor = false;
};

// The next place of each trigger, looked for again only once the scan has
// passed it, so a line of many addresses is not searched to its end for
// each of them.
class TriggerFinder {
 public:
  TriggerFinder(std::string_view line, std::string_view lower) : m_line(line), m_lower(lower) {}

  // The first trigger at or after `from`; on a tie the earlier of the
  // fixed order ("a href" first).
  Trigger first(size_t from) {
    Trigger t;
    for (size_t i = 0; i < kTriggers; ++i) {
      if (m_next[i] == kUnknown || (m_next[i] != std::string_view::npos && m_next[i] < from)) m_next[i] = find(i, from);
      if (m_next[i] < t.at) {
        t.at = m_next[i];
        t.anchor = i == 0;
      }
    }
    return t;
  }

 private:
  static constexpr size_t kTriggers = 1 + kSchemeTriggers.size();
  static constexpr size_t kUnknown = std::string_view::npos - 1;

  size_t find(size_t i, size_t from) const {
    return i == 0 ? m_lower.find(kAnchorTrigger, from) : m_line.find(kSchemeTriggers[i - 1], from);
  }

  std::string_view m_line;
  std::string_view m_lower;
  std::array<size_t, kTriggers> m_next = [] {
    std::array<size_t, kTriggers> a{};
    a.fill(kUnknown);
    return a;
  }();
};

// Reads the address at `at`; returns where the scan goes on.
size_t readAddress(std::string_view line, size_t at, const SiteSink& sink) {
  size_t e = at;
  while (e < line.size() && continuesAddress(line[e])) ++e;
  FoundSite site;
  std::string_view address = line.substr(at, e - at);
  site.location = cutToWidth(address, kLocationWidth);
  site.locationCut = site.location.size() < address.size();
  size_t next = e < line.size() ? e + 1 : e;
  std::string_view text = withoutLeadingBlanks(line.substr(next));
  site.description = cutToWidth(text, kDescriptionWidth);
  site.siteInfo = cutToWidth(text, kSiteInfoWidth);
  sink(site);
  return next;
}

}  // namespace

bool continuesAddress(char c) {
  auto b = static_cast<unsigned char>(c);
  if (b >= 0x80) return true;
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return kAddressPunctuation.find(c) != std::string_view::npos;
}

void OtherScan::scanLine(std::string_view line, const SiteSink& sink) {
  lowerCaseCopy(line, m_lower);
  TriggerFinder triggers(line, m_lower);
  size_t pos = 0;
  for (;;) {
    Trigger t = triggers.first(pos);
    if (t.at == std::string_view::npos) return;
    if (!t.anchor) {
      pos = readAddress(line, t.at, sink);
      continue;
    }
    AnchorRead anchor = readAnchor(line, m_lower, t.at + kHrefInTrigger);
    if (anchor.found) sink(anchor.site);
    pos = anchor.resume;
  }
}

}  // namespace linkar::transfer
