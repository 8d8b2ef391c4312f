// The browse against a model: random site files (duplicates, blanks and
// letter-case variants of every key) browsed with random rows, pages, ends,
// letters, tabs and categories; after every step the rows shown must be the
// slice of the file, sorted and filtered here independently, that the
// paging rules put on the page, with the highlight where they put it.
#include "tests/app/browse_fixture.h"

#include <algorithm>
#include <cctype>
#include <random>
#include <sstream>

namespace linkar::app::test_browse {
namespace {

enum Tab { kDescription = 1, kLocation, kCategory, kRating, kKeyword };

// A key value as the keyed driver orders it: text fields upper-cased and
// blank-padded to their size, the rating as three digits, the record's
// number last for the keys that allow duplicates.
std::string text(const std::string& s, size_t size) {
  std::string out(size, ' ');
  for (size_t i = 0; i < s.size() && i < size; ++i) out[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[i])));
  return out;
}

std::string number(long value, int width) {
  std::ostringstream os;
  os.width(width);
  os.fill('0');
  os << value;
  return os.str();
}

constexpr int kNoRecord = -1;  // a probe built from values, before every record of its value

std::string keyOf(int tab, const Site& s, int record) {
  const std::string loc = text(s.location, 128);
  const std::string id = record == kNoRecord ? std::string(8, '\0') : number(record, 8);
  switch (tab) {
    case kDescription: return text(s.description, 60) + id;
    case kLocation: return loc;
    case kCategory: return text(s.category, 15) + loc + id;
    case kRating: return number(s.rating, 3) + loc + id;
    default: return text(s.keyword, 10) + loc + id;
  }
}

bool blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }

struct Model {
  std::vector<Site> sites;  // in the order they were added: the record numbers
  int rows = 0;
  int tab = kDescription;
  std::string range;        // the category range (blank before one is chosen)
  std::vector<int> page;    // the sorted slice's record numbers: S
  int top = 0;              // index in S of the page's first row
  int row = 0;              // highlighted row, 0 when empty

  bool inOrder(int tab, int r, const std::string& range) const {
    const Site& s = sites[static_cast<size_t>(r)];
    if (tab == kLocation) return !blank(s.location);
    if (tab == kDescription) return !blank(s.description);
    if (tab == kCategory) return text(s.category, 15) == text(range, 15);
    return true;
  }
  std::vector<int> sorted(int tab, const std::string& range) const {
    std::vector<int> out;
    for (int r = 0; r < static_cast<int>(sites.size()); ++r)
      if (inOrder(tab, r, range)) out.push_back(r);
    std::sort(out.begin(), out.end(), [&](int a, int b) {
      return keyOf(tab, sites[static_cast<size_t>(a)], a) < keyOf(tab, sites[static_cast<size_t>(b)], b);
    });
    return out;
  }
  int size() const { return static_cast<int>(page.size()); }
  int shownRows() const { return std::min(rows, size()); }
  int highlighted() const { return page[static_cast<size_t>(top + row - 1)]; }
  // The first record of S whose key is not below `key`.
  int ceiling(const std::string& key) const {
    int i = 0;
    while (i < size() && keyOf(tab, sites[static_cast<size_t>(page[static_cast<size_t>(i)])], page[static_cast<size_t>(i)]) < key) ++i;
    return i;
  }
  // The page a locate (or a refresh from a record) shows for index i.
  void show(int i, int highlight) {
    if (size() == 0) {
      top = row = 0;
      return;
    }
    top = std::max(0, std::min(i, size() - shownRows()));
    row = highlight;
  }
  void locate(const std::string& key) {
    int i = ceiling(key);
    if (i < size())
      show(i, i - std::max(0, std::min(i, size() - shownRows())) + 1);
    else
      show(size(), shownRows());
  }

  void down() {
    if (size() == 0) return;
    if (row < shownRows()) ++row;
    else if (top + shownRows() < size()) ++top;
  }
  void up() {
    if (size() == 0) return;
    if (row > 1) --row;
    else if (top > 0) --top;
  }
  void pageDown() {
    if (size() == 0) return;
    int read = std::min(rows, size() - (top + shownRows()));
    top += read;
    row = std::min(shownRows(), row + rows - read);
  }
  void pageUp() {
    if (size() == 0) return;
    int read = std::min(rows, top);
    top -= read;
    row = std::max(1, row - (rows - read));
  }
  void end(bool first) {
    if (size() == 0) return;
    top = first ? 0 : size() - shownRows();
    row = first ? 1 : shownRows();
  }
  // The one-letter locator on the highlighted record's values.
  void letter(char c) {
    if (size() == 0) return;
    Site probe = sites[static_cast<size_t>(highlighted())];
    const std::string one(1, c);
    switch (tab) {
      case kDescription: probe.description = one; break;
      case kLocation: probe.location = one; break;
      case kCategory: probe.category = range; probe.location = one; break;
      case kRating: probe.rating = std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : 0; probe.location = ""; break;
      default: probe.keyword = one; probe.location = ""; break;
    }
    locate(keyOf(tab, probe, kNoRecord));
  }
  void chooseTab(int next, const std::string& category) {
    if (next == tab) return;
    const bool had = size() > 0;
    const int record = had ? highlighted() : kNoRecord;
    tab = next;
    if (tab == kCategory) range = category;
    page = sorted(tab, range);
    if (!had) {
      Site cleared{"", "", tab == kCategory ? range : "", 0, ""};
      locate(keyOf(tab, cleared, kNoRecord));
      return;
    }
    Site s = sites[static_cast<size_t>(record)];
    if (tab == kCategory && text(s.category, 15) != text(range, 15)) {
      s.category = range;
      locate(keyOf(tab, s, kNoRecord));
      return;
    }
    locate(keyOf(tab, s, record));
  }
  void chooseRange(const std::string& category) {
    if (category == range) return;  // compared exactly, trailing blanks aside
    const bool had = size() > 0;
    const int first = had ? page[static_cast<size_t>(top)] : kNoRecord;
    const int old = had ? highlighted() : kNoRecord;
    range = category;
    page = sorted(tab, range);
    if (!had) {
      show(0, size() ? 1 : 0);
      return;
    }
    int i = ceiling(keyOf(tab, sites[static_cast<size_t>(first)], first));
    show(i, 0);
    if (size() == 0) return;
    row = shownRows();
    for (int r = 1; r <= shownRows(); ++r)
      if (page[static_cast<size_t>(top + r - 1)] == old) row = r;
  }
  std::vector<std::vector<std::string>> expectedRows() const {
    std::vector<std::vector<std::string>> out;
    for (int r = 0; r < shownRows(); ++r) out.push_back(rowOf(sites[static_cast<size_t>(page[static_cast<size_t>(top + r)])]));
    return out;
  }
};

const char* const kDescriptions[] = {"", "alpha", "Alpha", "ALPHA", "beta", "Beta gamma", "mid", "zeta", "Omega", "9 lives"};
const char* const kCategories[] = {"", "News", "news", "NEWS", "Tech", "Sport", "Newsletter"};
const char* const kKeywords[] = {"", "web", "WEB", "news", "k1", "Z"};
const char kLocationChars[] = "abcDEFxyzMN019/-";
const char kTyped[] = "aAbmMnNxzZ0159";

std::vector<Site> randomSites(std::mt19937& rng, int count) {
  auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  std::vector<Site> sites;
  for (int i = 0; i < count; ++i) {
    Site s;
    if (pick(20) != 0) {
      int length = 1 + pick(10);
      for (int c = 0; c < length; ++c) s.location += kLocationChars[pick(sizeof kLocationChars - 1)];
    }
    s.description = kDescriptions[pick(std::size(kDescriptions))];
    s.category = kCategories[pick(std::size(kCategories))];
    s.rating = pick(12);
    s.keyword = kKeywords[pick(std::size(kKeywords))];
    sites.push_back(s);
  }
  return sites;
}

class BrowseModel : public BrowseFixture, public ::testing::WithParamInterface<std::pair<unsigned, int>> {};

TEST_P(BrowseModel, TheRowsShownAreTheSliceOfTheSortedFileTheRulesGive) {
  const auto [seed, count] = GetParam();
  std::mt19937 rng(seed);
  auto pick = [&rng](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  Model m;
  m.sites = writeSites(randomSites(rng, count));
  std::string chosen;
  ui::Window* w = startBrowse({}, [&] {
    runtime::assignFixed(CAT().Category, sizeof CAT().Category, chosen);
    SharedResponse = kResponseCompleted;
  });
  ASSERT_NE(w, nullptr);
  m.rows = pageRows(*w);
  m.page = m.sorted(kDescription, "");
  m.show(0, m.size() ? 1 : 0);

  std::string trace;
  const int steps = count > 1000 ? 150 : 250;
  for (int step = 0; step < steps; ++step) {
    const int action = pick(12);
    switch (action) {
      case 0: case 1: key(*w, ui::Key::kDownKey); m.down(); trace += " down"; break;
      case 2: key(*w, ui::Key::kUpKey); m.up(); trace += " up"; break;
      case 3: key(*w, ui::Key::kPgDnKey); m.pageDown(); trace += " pgdn"; break;
      case 4: key(*w, ui::Key::kPgUpKey); m.pageUp(); trace += " pgup"; break;
      case 5: key(*w, ui::Key::kCtrlHome); m.end(true); trace += " top"; break;
      case 6: key(*w, ui::Key::kCtrlEnd); m.end(false); trace += " bottom"; break;
      case 7: case 8: {
        const char c = kTyped[pick(sizeof kTyped - 1)];
        m_driver.typeChar(*w, "Browse", c);
        m.letter(c);
        trace += std::string(" '") + c + "'";
        break;
      }
      case 9: case 10: {
        const int next = 1 + pick(5);
        ASSERT_TRUE(tab(*w, kTabs[static_cast<size_t>(next - 1)]));
        m.chooseTab(next, chosen);
        trace += " tab" + std::to_string(next);
        break;
      }
      default: {
        if (m.tab != kCategory) break;
        chosen = kCategories[pick(std::size(kCategories))];
        ASSERT_TRUE(m_driver.press(*w, "Categories"));
        m.chooseRange(chosen);
        trace += " range(" + chosen + ")";
        break;
      }
    }
    ASSERT_EQ(shown(*w), m.expectedRows()) << "seed " << seed << " after" << trace;
    ASSERT_EQ(highlight(*w), m.row) << "seed " << seed << " after" << trace;
  }
  EXPECT_EQ(m_driver.messageBox(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(RandomFiles, BrowseModel,
                         ::testing::Values(std::make_pair(1u, 0), std::make_pair(2u, 1), std::make_pair(3u, 7),
                                           std::make_pair(4u, 13), std::make_pair(5u, 40), std::make_pair(6u, 40),
                                           std::make_pair(7u, 200), std::make_pair(8u, 200), std::make_pair(9u, 1000),
                                           std::make_pair(10u, 3000)));

}  // namespace
}  // namespace linkar::app::test_browse
