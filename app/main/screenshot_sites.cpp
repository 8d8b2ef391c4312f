// Writing the sample collection through the program's own file statements,
// outside any procedure thread, before the program starts.

#include "screenshot_sites.h"

#include <cstdint>
#include <span>

#include "app/check_open.h"
#include "app/records.h"
#include "runtime/error_state.h"
#include "runtime/fixed_text.h"
#include "runtime/packed_decimal.h"
#include "storage/layer/file_statements.h"

namespace linkar::app {
namespace {

struct SampleSite {
  const char* description;
  const char* location;
  const char* category;
  int rating;
  const char* keyword;
};

// Two of them have no category yet, as imported addresses often do.
constexpr SampleSite kSites[] = {
    {"Debian", "https://www.debian.org/", "Software", 9, "linux"},
    {"Kernel archives", "https://www.kernel.org/", "Software", 8, "kernel"},
    {"GNU Project", "https://www.gnu.org/", "Software", 8, "gnu"},
    {"LibreOffice", "https://www.libreoffice.org/", "Software", 7, "office"},
    {"Inkscape", "https://inkscape.org/", "Software", 7, "graphics"},
    {"Qt documentation", "https://doc.qt.io/", "Programming", 9, "qt"},
    {"cppreference", "https://en.cppreference.com/", "Programming", 10, "c++"},
    {"Python docs", "https://docs.python.org/3/", "Programming", 8, "python"},
    {"Rust book", "https://doc.rust-lang.org/book/", "Programming", 8, "rust"},
    {"Compiler Explorer", "https://godbolt.org/", "Programming", 9, "compilers"},
    {"SQLite", "https://www.sqlite.org/", "Programming", 8, "database"},
    {"Git reference", "https://git-scm.com/docs", "Programming", 7, "git"},
    {"Wikipedia", "https://www.wikipedia.org/", "Reference", 7, "wiki"},
    {"Wiktionary", "https://www.wiktionary.org/", "Reference", 6, "words"},
    {"Project Gutenberg", "https://www.gutenberg.org/", "Reference", 8, "books"},
    {"Internet Archive", "https://archive.org/", "Reference", 8, "archive"},
    {"OpenStreetMap", "https://www.openstreetmap.org/", "Maps", 8, "maps"},
    {"Natural Earth", "https://www.naturalearthdata.com/", "Maps", 6, "gis"},
    {"arXiv", "https://arxiv.org/", "Science", 8, "papers"},
    {"NASA", "https://www.nasa.gov/", "Science", 7, "space"},
    {"ESA", "https://www.esa.int/", "Science", 6, "space"},
    {"PubMed", "https://pubmed.ncbi.nlm.nih.gov/", "Science", 6, "medicine"},
    {"BBC News", "https://www.bbc.co.uk/news", "News", 6, "news"},
    {"Reuters", "https://www.reuters.com/", "News", 6, "news"},
    {"LWN", "https://lwn.net/", "News", 9, "linux"},
    {"Hacker News", "https://news.ycombinator.com/", "News", 5, "tech"},
    {"Met Office", "https://www.metoffice.gov.uk/", "Weather", 5, "weather"},
    {"Timeanddate", "https://www.timeanddate.com/", "", 4, "time"},
    {"Unicode charts", "https://www.unicode.org/charts/", "", 7, "unicode"},
};

constexpr const char* kCategories[] = {"Maps", "News", "Programming", "Reference", "Science", "Software", "Weather"};

bool failed(const char* what, std::string* error) {
  if (runtime::errorCode() == 0) return false;
  *error = std::string(what) + ": " + std::string(runtime::errorText());
  return true;
}

bool writeLinkar(std::string* error) {
  storage::fileCreate(LINKAR);
  if (failed("creating LINKAR", error)) return false;
  storage::fileOpen(LINKAR, kCheckOpenMode);
  if (failed("opening LINKAR", error)) return false;
  for (const SampleSite& s : kSites) {
    putSite({s.location, s.description, s.category, s.rating, s.keyword});
    storage::fileAdd(LINKAR);
    if (failed("adding a site", error)) break;
  }
  storage::fileClose(LINKAR);
  return error->empty();
}

bool writeCategories(std::string* error) {
  storage::fileCreate(Categories);
  if (failed("creating CATEGORIES", error)) return false;
  storage::fileOpen(Categories, kCheckOpenMode);
  if (failed("opening CATEGORIES", error)) return false;
  for (const char* name : kCategories) {
    storage::fileClear(Categories);
    runtime::assignFixed(CAT().Category, sizeof CAT().Category, name);
    storage::fileAdd(Categories);
    if (failed("adding a category", error)) break;
  }
  storage::fileClose(Categories);
  return error->empty();
}

}  // namespace

bool writeScreenshotSites(std::string* error) {
  error->clear();
  return writeLinkar(error) && writeCategories(error);
}

}  // namespace linkar::app
