// The site-list page the export writes, line by line: the title and dated
// heading with a link to the index, every site as a list item grouped under
// a numbered, anchored heading whenever the category changes, and at the
// end the index of those headings and the footer. Every stored text goes
// into the page through html_escape.h.
//
//   ExportPage page(lines);
//   page.header(date);
//   for (each site in category order) page.site(site);
//   page.trailer();
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace linkar::transfer {

// Where the page's lines go, one call a line, without line ends.
class PageLines {
 public:
  virtual ~PageLines() = default;
  virtual void line(std::string_view text) = 0;
};

// One site as stored, trailing blanks removed.
struct ExportSite {
  std::string_view location;
  std::string_view description;
  std::string_view category;
  std::string_view siteInfo;
  int64_t rating = 0;
};

class ExportPage {
 public:
  // `lines` must outlive the page.
  explicit ExportPage(PageLines& lines) : m_lines(lines) {}

  // The head of the page; `date` is today's date as the page shows it.
  void header(std::string_view date);
  // The site's list item, after a new category heading when its category
  // differs from the previous site's (exact comparison).
  void site(const ExportSite& site);
  // The index of the headings written (when there are any) and the end of
  // the page.
  void trailer();

  int64_t sites() const { return m_sites; }
  // The headings written so far (a category met twice, apart, counts twice).
  int64_t categories() const { return m_categories; }

 private:
  void heading(std::string_view category);

  PageLines& m_lines;
  std::string m_previous;            // the category of the last site written
  int64_t m_categories = 0;          // the counter n of the headings
  int64_t m_sites = 0;
  std::vector<std::string> m_index;  // one link a heading, in page order
  std::string m_line;
};

}  // namespace linkar::transfer
