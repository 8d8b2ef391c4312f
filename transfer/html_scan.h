// The HTML import's scan of one line: headings (<h1> to <h6>, and bookmark
// folder headings "<H3 ADD...") set the current heading, every "href"
// whose target holds a ":" yields a site. Searches for "href", "<h" and
// "</a>" ignore letter case; everything else is exact.
#pragma once

#include <string>
#include <string_view>

#include "transfer/found_site.h"

namespace linkar::transfer {

class HtmlScan {
 public:
  // Hands every site of `line` (without its trailing blanks) to `sink`, in
  // order, each with the heading current where it stands.
  void scanLine(std::string_view line, const SiteSink& sink);
  // The text of the last heading seen (at most kHeadingWidth bytes); blank
  // at the start, it lives for the whole import.
  const std::string& heading() const { return m_heading; }

 private:
  void readHeading(std::string_view line, size_t at);

  std::string m_heading;
  std::string m_lower;  // the line's lower-case copy, kept for its capacity
};

// Whether the "<h" at `at` opens a heading: a digit 1 to 6 after it, then
// ">" or " ADD". A separator such as <hr> is none.
bool opensHeading(std::string_view line, size_t at);

// The line's ASCII lower-case copy into `out`.
void lowerCaseCopy(std::string_view line, std::string& out);

}  // namespace linkar::transfer
