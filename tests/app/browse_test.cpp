// BrowseLINKAR played through the headless driver: the edge cases of paging
// (an empty file, a short file, both ends, the last page), the locator,
// tabs, the category range, the thumb, the popup, the form's follow-ups,
// two browses at once and the frame's menu.
#include "tests/app/browse_fixture.h"

#include <algorithm>

#include "app/procedure_registry.h"

namespace linkar::app::test_browse {
namespace {

char letter(int i) { return static_cast<char>('a' + i); }

// Site i of a spread file: locations "aa.example/", "ab.example/", "ac...",
// "ba..." up to "zc.example/" for 78 sites; descriptions run the other way
// ("dza" first); the rating is i; blank category.
Site spreadSite(int i) {
  return {std::string{letter(i / 3), letter(i % 3)} + ".example/",
          std::string{'d', letter(25 - i / 3), letter(i % 3)}, "", i, "k" + std::to_string(i % 7)};
}

std::vector<Site> spread(int count) {
  std::vector<Site> sites;
  for (int i = 0; i < count; ++i) sites.push_back(spreadSite(i));
  return sites;
}

constexpr int kFullSpread = 78;

template <typename T>
std::vector<Site> sortedBy(std::vector<Site> sites, T Site::*field) {
  std::stable_sort(sites.begin(), sites.end(), [&](const Site& a, const Site& b) { return a.*field < b.*field; });
  return sites;
}

std::vector<std::vector<std::string>> slice(const std::vector<Site>& sites, int from, int count) {
  std::vector<std::vector<std::string>> out;
  for (int i = from; i < from + count && i < static_cast<int>(sites.size()); ++i)
    out.push_back(rowOf(sites[static_cast<size_t>(i)]));
  return out;
}

// Column numbers of the list.
constexpr size_t kDescriptionColumn = 0, kLocationColumn = 1, kCategoryColumn = 2, kRatingColumn = 3;

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
  key(*w, ui::Key::kPgDnKey);
  m_driver.typeChar(*w, "Browse", 'a');
  EXPECT_TRUE(requests.empty());
  key(*w, ui::Key::kInsertKey);
  EXPECT_EQ(requests, std::vector<int>{kRequestInsert});
  EXPECT_TRUE(shown(*w).empty());
  EXPECT_EQ(m_driver.messageBox(), nullptr);
}

TEST_F(BrowseEnds, FewerRecordsThanRowsShowsThemAllWithoutAScrollBar) {
  const auto sites = sortedBy(writeSites(spread(3)), &Site::description);
  ui::Window* w = startBrowse();
  ASSERT_NE(w, nullptr);
  ASSERT_GT(pageRows(*w), 3);
  EXPECT_EQ(shown(*w), slice(sites, 0, 3));
  EXPECT_EQ(highlight(*w), 1);
  EXPECT_FALSE(w->state(w->fieldOf("Browse")).scrollBar);
  for (int i = 0; i < 4; ++i) key(*w, ui::Key::kDownKey);
  EXPECT_EQ(highlight(*w), 3);
  key(*w, ui::Key::kPgDnKey);
  key(*w, ui::Key::kCtrlEnd);
  EXPECT_EQ(shown(*w), slice(sites, 0, 3));
  EXPECT_EQ(highlight(*w), 3);
}

TEST_F(BrowseEnds, ScrollingPastEitherEndLeavesThePageAsItIs) {
  const auto sites = sortedBy(writeSites(spread(30)), &Site::description);
  ui::Window* w = startBrowse();
  ASSERT_NE(w, nullptr);
  const int rows = pageRows(*w);
  ASSERT_LT(rows, 30);
  EXPECT_TRUE(w->state(w->fieldOf("Browse")).scrollBar);
  key(*w, ui::Key::kUpKey);
  key(*w, ui::Key::kPgUpKey);
  EXPECT_EQ(shown(*w), slice(sites, 0, rows));
  EXPECT_EQ(highlight(*w), 1);
  key(*w, ui::Key::kCtrlEnd);
  EXPECT_EQ(shown(*w), slice(sites, 30 - rows, rows));
  EXPECT_EQ(highlight(*w), rows);
  key(*w, ui::Key::kDownKey);
  key(*w, ui::Key::kPgDnKey);
  EXPECT_EQ(shown(*w), slice(sites, 30 - rows, rows));
  EXPECT_EQ(highlight(*w), rows);
  // One row up from the top of the last page reads one record back.
  for (int i = 1; i < rows; ++i) key(*w, ui::Key::kUpKey);
  key(*w, ui::Key::kUpKey);
  EXPECT_EQ(shown(*w), slice(sites, 29 - rows, rows));
  EXPECT_EQ(highlight(*w), 1);
}

TEST_F(BrowseEnds, PageDownNearTheEndMovesTheHighlightToTheLastRow) {
  ui::Window* probe = startBrowse();
  ASSERT_NE(probe, nullptr);
  const int rows = pageRows(*probe);
  m_driver.close(*probe);
  const auto sites = sortedBy(writeSites(spread(rows + 3)), &Site::description);
  ui::Window* w = startBrowse();
  ASSERT_NE(w, nullptr);
  for (int i = 0; i < 3; ++i) key(*w, ui::Key::kDownKey);
  ASSERT_EQ(highlight(*w), 4);
  key(*w, ui::Key::kPgDnKey);
  EXPECT_EQ(shown(*w), slice(sites, 3, rows));
  EXPECT_EQ(highlight(*w), rows);
  key(*w, ui::Key::kPgUpKey);
  EXPECT_EQ(shown(*w), slice(sites, 0, rows));
  EXPECT_EQ(highlight(*w), rows - (rows - 3));
}

using BrowseLocate = BrowseFixture;

TEST_F(BrowseLocate, ALowerCaseLetterFindsTheCapitalAndBeyondTheLastShowsTheLastPage) {
  const auto sites = sortedBy(writeSites(spread(60)), &Site::location);  // aa... to tc...
  ui::Window* w = startBrowse();
  ASSERT_NE(w, nullptr);
  const int rows = pageRows(*w);
  ASSERT_TRUE(tab(*w, "Location"));
  m_driver.typeChar(*w, "Browse", 'n');
  const int n = 13 * 3;  // "na.example/"
  EXPECT_EQ(shown(*w), slice(sites, n, rows));
  EXPECT_EQ(highlight(*w), 1);
  EXPECT_EQ(highlighted(*w, kLocationColumn), "na.example/");
  m_driver.typeChar(*w, "Browse", 'B');
  EXPECT_EQ(highlighted(*w, kLocationColumn), "ba.example/");
  m_driver.typeChar(*w, "Browse", 'z');
  EXPECT_EQ(shown(*w), slice(sites, 60 - rows, rows));
  EXPECT_EQ(highlight(*w), rows);
  // Near the end the found record is highlighted further down.
  m_driver.typeChar(*w, "Browse", 't');
  EXPECT_EQ(shown(*w), slice(sites, 60 - rows, rows));
  EXPECT_EQ(highlighted(*w, kLocationColumn), "ta.example/");
  // The rating order takes a digit as the rating, from the lowest location.
  ASSERT_TRUE(tab(*w, "Rating"));
  m_driver.typeChar(*w, "Browse", '7');
  EXPECT_EQ(highlighted(*w, kRatingColumn), " 7");
  EXPECT_EQ(highlight(*w), 1);
}

TEST_F(BrowseLocate, SwitchingTabsKeepsTheHighlightedRecordAtTheTopOfAPage) {
  writeSites(spread(60));
  ui::Window* w = startBrowse();
  ASSERT_NE(w, nullptr);
  // The first description ("dga") is the third last location: the
  // Location tab shows it on the last page.
  ASSERT_TRUE(tab(*w, "Location"));
  EXPECT_EQ(highlighted(*w, kLocationColumn), "ta.example/");
  EXPECT_EQ(highlight(*w), pageRows(*w) - 2);
  key(*w, ui::Key::kCtrlHome);
  key(*w, ui::Key::kPgDnKey);
  key(*w, ui::Key::kDownKey);
  key(*w, ui::Key::kDownKey);
  const std::string location = highlighted(*w, kLocationColumn);
  ASSERT_EQ(location, "ec.example/");
  for (const char* t : {"Description", "Keyword", "Rating", "Category", "Location", "Description"}) {
    ASSERT_TRUE(tab(*w, t));
    EXPECT_EQ(highlighted(*w, kLocationColumn), location) << t;
    EXPECT_EQ(highlight(*w), 1) << t;
  }
}

TEST_F(BrowseLocate, TheCategoryTabShowsTheChosenCategoryInAnyLetterCase) {
  std::vector<Site> sites = {
      {"b.example/", "one", "news", 1, ""},        {"a.example/", "two", "Tech", 2, ""},
      {"c.example/", "three", "NEWS", 3, ""},      {"d.example/", "four", "Sport", 4, ""},
      {"an.example/", "five", "News", 5, ""},      {"e.example/", "six", "Newsletter", 6, ""},
      {"f.example/", "seven", "", 7, ""},          {"g.example/", "eight", "", 8, ""},
  };
  writeSites(sites);
  std::string chosen = "nEwS";
  int lookups = 0;
  std::string insertedCategory;
  ui::Window* w = startBrowse(
      [&] {
        if (SharedRequest == kRequestInsert) insertedCategory = runtime::fixedView(URL().CATEGORY, 15);
        SharedResponse = kResponseCancelled;
      },
      [&] {
        ++lookups;
        EXPECT_EQ(SharedRequest, kRequestSelect);
        runtime::assignFixed(CAT().Category, sizeof CAT().Category, chosen);
        SharedResponse = kResponseCompleted;
      });
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(tab(*w, "Category"));
  // No category chosen yet: the sites without one.
  EXPECT_EQ(shown(*w), (std::vector<std::vector<std::string>>{rowOf(sites[6]), rowOf(sites[7])}));
  ASSERT_TRUE(m_driver.press(*w, "Categories"));
  EXPECT_EQ(lookups, 1);
  EXPECT_EQ(shown(*w), (std::vector<std::vector<std::string>>{rowOf(sites[4]), rowOf(sites[0]), rowOf(sites[2])}));
  // The old page's highlighted record is not in the new range: the last row.
  EXPECT_EQ(highlight(*w), 3);
  key(*w, ui::Key::kInsertKey);
  EXPECT_EQ(insertedCategory, "nEwS");
  // A category that sorts before the old one: its last page.
  chosen = "Sport";
  ASSERT_TRUE(m_driver.press(*w, "Categories"));
  EXPECT_EQ(shown(*w), (std::vector<std::vector<std::string>>{rowOf(sites[3])}));
  EXPECT_EQ(highlighted(*w, kCategoryColumn), "Sport");
  chosen = "nothing";
  ASSERT_TRUE(m_driver.press(*w, "Categories"));
  EXPECT_TRUE(shown(*w).empty());
  EXPECT_FALSE(w->enabled(w->fieldOf("Change")));
}

using BrowseThumb = BrowseFixture;

TEST_F(BrowseThumb, DraggingToTopAndBottomShowsTheEndsInEveryOrder) {
  writeSites(spread(kFullSpread));
  ui::Window* w = startBrowse();
  ASSERT_NE(w, nullptr);
  const int rows = pageRows(*w);
  for (const std::string& t : kTabs) {
    ASSERT_TRUE(tab(*w, t));
    key(*w, ui::Key::kPgDnKey);
    ASSERT_TRUE(m_driver.dragThumb(*w, "Browse", 0));
    const auto top = shown(*w);
    EXPECT_EQ(highlight(*w), 1) << t;
    ASSERT_TRUE(m_driver.dragThumb(*w, "Browse", 100));
    EXPECT_EQ(highlight(*w), rows) << t;
    EXPECT_NE(shown(*w), top) << t;
    key(*w, ui::Key::kCtrlHome);
    EXPECT_EQ(shown(*w), top) << t;
  }
}

TEST_F(BrowseThumb, DraggingToTheMiddleLocatesTheGuideValue) {
  writeSites(spread(kFullSpread));
  ui::Window* w = startBrowse();
  ASSERT_NE(w, nullptr);
  // Location: lowest "aa.example/", highest "zc.example/", no common prefix;
  // "AA.E" and "ZC.E" in base 27 are 20417 and 513950, a step of 4985;
  // value 50 is 264682, spelled "MLBA": the first location not below it is
  // "na.example/". Value 53 ("NEOY") is the first not below "NA.EXAMPLE/".
  ASSERT_TRUE(tab(*w, "Location"));
  ASSERT_TRUE(m_driver.dragThumb(*w, "Browse", 50));
  EXPECT_EQ(highlighted(*w, kLocationColumn), "na.example/");
  EXPECT_EQ(highlight(*w), 1);
  EXPECT_EQ(thumb(*w), 53);
  // The category order (every site has the blank category) spreads the
  // locations within the category the same way.
  ASSERT_TRUE(tab(*w, "Category"));
  ASSERT_TRUE(m_driver.dragThumb(*w, "Browse", 50));
  EXPECT_EQ(highlighted(*w, kLocationColumn), "na.example/");
  // Description: "daa" to "dzc" share "d"; "AA" and "ZC" reaching on with
  // Z give 20412 and 514673, a step of 4992; value 50 is "dMLNO".
  ASSERT_TRUE(tab(*w, "Description"));
  ASSERT_TRUE(m_driver.dragThumb(*w, "Browse", 50));
  EXPECT_EQ(highlighted(*w, kDescriptionColumn), "dna");
  // Rating: 0 to 77; value 50 is 0 + 49 * 77 / 99 = 38.1, so 38.
  ASSERT_TRUE(tab(*w, "Rating"));
  ASSERT_TRUE(m_driver.dragThumb(*w, "Browse", 50));
  EXPECT_EQ(highlighted(*w, kRatingColumn), "38");
  // Keyword: no guide values, the page stays.
  ASSERT_TRUE(tab(*w, "Keyword"));
  const auto before = shown(*w);
  const int row = highlight(*w);
  ASSERT_TRUE(m_driver.dragThumb(*w, "Browse", 50));
  EXPECT_EQ(shown(*w), before);
  EXPECT_EQ(highlight(*w), row);
}

using BrowseForm = BrowseFixture;

TEST_F(BrowseForm, TheFormWorksOnTheHighlightedRecordAndTheBrowseFollowsItsOutcome) {
  const auto sites = sortedBy(writeSites(spread(40)), &Site::location);
  std::vector<std::pair<int, std::string>> calls;
  ui::Window* w = startBrowse([&] {
    const int request = SharedRequest;
    calls.push_back({request, std::string(runtime::fixedView(URL().LOCATION, sizeof URL().LOCATION))});
    SharedResponse = kResponseCompleted;
    if (request == kRequestInsert) {
      runtime::assignFixed(URL().LOCATION, sizeof URL().LOCATION, "bz.example/");
      storage::fileAdd(LINKAR);
    } else if (request == kRequestChange) {
      runtime::assignFixed(URL().DESCRIPTION, sizeof URL().DESCRIPTION, "changed");
      storage::filePut(LINKAR);
    } else {
      storage::fileDelete(LINKAR);
    }
    if (runtime::errorCode() != 0) SharedResponse = kResponseCancelled;
  });
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(tab(*w, "Location"));
  key(*w, ui::Key::kDownKey);
  key(*w, ui::Key::kDownKey);
  ASSERT_TRUE(m_driver.press(*w, "&Insert"));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], std::make_pair(kRequestInsert, std::string()));
  EXPECT_EQ(highlighted(*w, kLocationColumn), "bz.example/");
  EXPECT_EQ(highlight(*w), 1);

  // A double click changes the clicked record.
  ASSERT_TRUE(m_driver.chooseRow(*w, "Browse", 2, ui::Key::kMouseLeft2));
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1], std::make_pair(kRequestChange, std::string("ca.example/")));
  EXPECT_EQ(highlighted(*w, kLocationColumn), "ca.example/");
  EXPECT_EQ(highlighted(*w, kDescriptionColumn), "changed");

  // Deleting the last row of the file highlights the new last row.
  key(*w, ui::Key::kCtrlEnd);
  const int rows = pageRows(*w);
  ASSERT_EQ(highlighted(*w, kLocationColumn), sites.back().location);
  key(*w, ui::Key::kDeleteKey);
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[2], std::make_pair(kRequestDelete, sites.back().location));
  EXPECT_EQ(highlighted(*w, kLocationColumn), sites[sites.size() - 2].location);
  EXPECT_EQ(highlight(*w), rows);
  // Deleting a row in the middle highlights the row that followed it.
  key(*w, ui::Key::kUpKey);
  key(*w, ui::Key::kUpKey);
  const std::string following(
      runtime::trimTrailingBlanks(shown(*w)[static_cast<size_t>(highlight(*w))][kLocationColumn]));
  key(*w, ui::Key::kDeleteKey);
  EXPECT_EQ(highlighted(*w, kLocationColumn), following);
}

TEST_F(BrowseForm, TheRightClickPopupOffersTheButtonsOnce) {
  writeSites(spread(5));
  std::vector<std::pair<int, std::string>> calls;
  ui::Window* w = startBrowse([&] {
    calls.push_back({SharedRequest, std::string(runtime::fixedView(URL().LOCATION, sizeof URL().LOCATION))});
    SharedResponse = kResponseCancelled;
  });
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(tab(*w, "Location"));
  ASSERT_TRUE(m_driver.chooseRow(*w, "Browse", 3, ui::Key::kMouseRight));
  const ui::PopupMenu* menu = m_driver.popup();
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->items, (std::vector<std::string>{"&Insert", "&Change", "&Delete"}));
  EXPECT_EQ(menu->enabled, (std::vector<bool>{true, true, true}));
  ASSERT_TRUE(m_driver.choosePopup("&Change"));
  EXPECT_EQ(calls, (std::vector<std::pair<int, std::string>>{{kRequestChange, "ac.example/"}}));
  EXPECT_EQ(m_driver.popup(), nullptr) << "the click that opened the popup opened a second one";
  EXPECT_EQ(highlighted(*w, kLocationColumn), "ac.example/");
}

using BrowseThreads = BrowseFixture;

TEST_F(BrowseThreads, TwoBrowsesOverOneFileEachKeepTheirOwnPage) {
  const auto byDescription = sortedBy(writeSites(spread(60)), &Site::description);
  const auto byLocation = sortedBy(byDescription, &Site::location);
  ui::Window* a = startBrowse();
  ui::Window* b = startBrowse();
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  ASSERT_NE(a, b);
  ASSERT_NE(a->thread(), b->thread());
  const int rows = pageRows(*a);
  ASSERT_TRUE(tab(*b, "Location"));
  key(*b, ui::Key::kCtrlHome);
  for (int i = 0; i < 3; ++i) {
    key(*a, ui::Key::kPgDnKey);
    key(*b, ui::Key::kDownKey);
    key(*b, ui::Key::kPgDnKey);
  }
  EXPECT_EQ(shown(*a), slice(byDescription, 3 * rows, rows));
  EXPECT_EQ(highlight(*a), 1);
  EXPECT_EQ(shown(*b), slice(byLocation, 3 * rows, rows));
  EXPECT_EQ(highlight(*b), 4);
  // Each regains the focus in turn: its highlighted record heads its page.
  ASSERT_TRUE(m_driver.activate(*a));
  ASSERT_TRUE(m_driver.activate(*b));
  EXPECT_EQ(shown(*a), slice(byDescription, 3 * rows, rows));
  EXPECT_EQ(shown(*b), slice(byLocation, 3 * rows + 3, rows));
  EXPECT_EQ(m_driver.messageBox(), nullptr);
}

TEST_F(BrowseThreads, TheFramesBrowseLocationsOpensOneBrowseWindowPerChoice) {
  writeSites(spread(5));
  registerProcedures();
  m_driver.startProgram(Main);
  ASSERT_TRUE(m_driver.pressMenu("&Browse|Locations"));
  ASSERT_TRUE(m_driver.pressMenu("&Browse|Locations"));
  auto windows = m_driver.findAll("Browse Locations");
  ASSERT_EQ(windows.size(), 2u);
  EXPECT_NE(windows[0]->thread(), windows[1]->thread());
  EXPECT_EQ(ui::engine().threads().recordedStackBytes(windows[0]->thread()), kBrowseStack);
  EXPECT_EQ(shown(*windows[1]).size(), 5u);
  ASSERT_TRUE(m_driver.press(*windows[0], "Close"));
  EXPECT_EQ(m_driver.findAll("Browse Locations").size(), 1u);
  clearProcedures();
}

}  // namespace
}  // namespace linkar::app::test_browse
