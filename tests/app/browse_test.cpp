// BrowseLINKAR played through the headless driver: the edge cases of paging
// (an empty file, a short file, both ends, the last page), the locator,
// tabs, the category range, the thumb, the popup, the form's follow-ups,
// two browses at once and the frame's menu.
#include "tests/app/browse_fixture.h"

#include <algorithm>

#include "app/procedure_registry.h"
#include "app/shared_variables.h"

namespace linkar::app::test_browse {
namespace {

// Sites whose orders all differ: location a..., description in reverse.
std::vector<Site> lettered(int count) {
  std::vector<Site> sites;
  for (int i = 0; i < count; ++i) {
    std::string two = {static_cast<char>('a' + i / 26 % 26), static_cast<char>('a' + i % 26)};
    sites.push_back({"http://" + two + ".example/", "site " + std::to_string(1000 - i), i % 2 ? "News" : "Tech",
                     i % 10, "k" + std::to_string(i % 7)});
  }
  return sites;
}

std::vector<Site> sortedBy(std::vector<Site> sites, std::string Site::*field) {
  std::stable_sort(sites.begin(), sites.end(), [&](const Site& a, const Site& b) { return a.*field < b.*field; });
  return sites;
}

std::vector<std::vector<std::string>> slice(const std::vector<Site>& sites, size_t from, size_t count) {
  std::vector<std::vector<std::string>> out;
  for (size_t i = from; i < from + count && i < sites.size(); ++i) out.push_back(rowOf(sites[i]));
  return out;
}

using BrowseEnds = BrowseFixture;

TEST_F(BrowseEnds, AnEmptyFileShowsNothingAndOnlyInsertReachesTheForm) {
  writeSites({});
  std::vector<int> requests;
  ui::Window* w = startBrowse([&] {
    requests.push_back(SharedRequest);
    SharedResponse = kResponseCancelled;
  });
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(shown(*w).empty());
  EXPECT_EQ(highlight(*w), 0);
  EXPECT_FALSE(w->enabled(w->fieldOf("Change")));
  EXPECT_FALSE(w->enabled(w->fieldOf("Delete")));
  EXPECT_TRUE(w->enabled(w->fieldOf("Insert")));
  EXPECT_FALSE(m_driver.press(*w, "&Change"));
  key(*w, ui::Key::kDeleteKey);
  key(*w, ui::Key::kCtrlEnter);
  m_driver.typeChar(*w, "Browse", 'a');
  EXPECT_TRUE(requests.empty());
  key(*w, ui::Key::kInsertKey);
  EXPECT_EQ(requests, std::vector<int>{kRequestInsert});
  EXPECT_TRUE(shown(*w).empty());
}

TEST_F(BrowseEnds, FewerRecordsThanRowsShowsThemAllWithoutAScrollBar) {
  const auto sites = writeSites(lettered(3));
  ui::Window* w = startBrowse();
  ASSERT_NE(w, nullptr);
  ASSERT_GT(pageRows(*w), 3);
  EXPECT_EQ(shown(*w), slice(sortedBy(sites, &Site::description), 0, 3));
  EXPECT_EQ(highlight(*w), 1);
  EXPECT_FALSE(w->state(w->fieldOf("Browse")).scrollBar);
  key(*w, ui::Key::kDownKey);
  key(*w, ui::Key::kDownKey);
  key(*w, ui::Key::kDownKey);
  EXPECT_EQ(highlight(*w), 3);
  EXPECT_EQ(shown(*w), slice(sortedBy(sites, &Site::description), 0, 3));
}

}  // namespace
}  // namespace linkar::app::test_browse
