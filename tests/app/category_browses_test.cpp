// The category browse, the site list it opens, and the two category
// lookups, played through the test driver as the user plays them: the site
// list shows exactly one category's sites in any letter case, Insert starts
// a site in that category, the lookups open on the caller's category and
// hand back the choice, and a rename made in the category browse reaches an
// open site browse when it regains focus.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/browse_categories.h"
#include "app/select_categories.h"
#include "runtime/char_tables.h"
#include "tests/app/update_fixture.h"

namespace linkar::app::test_browse {
namespace {

constexpr const char* kCategoryBrowse = "Browse Categories";
constexpr const char* kSiteList = "Browse Location by Category";
constexpr int kLocationColumn = 0;  // of the category's site list
constexpr int kCategoryColumn = 2;

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(runtime::toUpper(static_cast<uint8_t>(c)));
  return text;
}

std::string trimmed(const std::string& cell) { return std::string(runtime::trimTrailingBlanks(cell)); }

class CategoryBrowses : public UpdateFixture {
 protected:
  void SetUp() override {
    // Spellings of News among other categories and sites without one,
    // written out of location order.
    const std::vector<std::string> categories = {"News", "Tools", "news", "", "NEWS", "Arts", "Newsletter"};
    for (int i = 0; i < 60; ++i) {
      char location[64];
      std::snprintf(location, sizeof location, "http://s%03d.example/", (i * 37) % 60);
      m_sites.push_back({location, "site " + std::to_string(i), categories[static_cast<size_t>(i) % categories.size()],
                         i % 10, ""});
    }
    ASSERT_EQ(writeSites(m_sites).size(), m_sites.size());
    writeCategories({"Arts", "News", "Newsletter", "Tools"});
    m_driver.startFrame();
  }

  // The locations of the sites whose category is `category` in any letter
  // case, in location order: worked out from the sites written.
  std::vector<std::string> locationsOf(const std::string& category) const {
    std::vector<std::string> out;
    for (const Site& s : m_sites)
      if (upper(s.category) == upper(category)) out.push_back(s.location);
    std::sort(out.begin(), out.end());
    return out;
  }

  // Every row of a list, from the top, paging down until nothing changes.
  std::vector<std::vector<std::string>> allRows(ui::Window& w) {
    key(w, ui::Key::kCtrlHome);
    std::vector<std::vector<std::string>> out = shown(w);
    for (;;) {
      const auto before = shown(w);
      key(w, ui::Key::kPgDnKey);
      const auto after = shown(w);
      if (after == before) break;
      for (const auto& row : after)
        if (std::find(out.begin(), out.end(), row) == out.end()) out.push_back(row);
    }
    return out;
  }

  std::vector<std::string> column(const std::vector<std::vector<std::string>>& rows, int col) {
    std::vector<std::string> out;
    for (const auto& row : rows) out.push_back(trimmed(row[static_cast<size_t>(col)]));
    return out;
  }

  // Highlights the row showing `category` in a category list.
  void highlightCategory(ui::Window& w, const std::string& category) {
    const auto rows = shown(w);
    for (size_t i = 0; i < rows.size(); ++i)
      if (trimmed(rows[i][0]) == category) {
        ASSERT_TRUE(m_driver.chooseRow(w, "Browse", static_cast<int>(i) + 1));
        return;
      }
    FAIL() << category << " is not shown";
  }

  // Calls a lookup as the imports do: request 4, then the answer read back.
  void callLookup(void (*lookup)(), const std::string& current, int* response, std::string* chosen) {
    m_driver.start(
        [=] {
          FileUse categories(Categories, CategoriesOpenCount());
          runtime::assignFixed(CAT().Category, sizeof CAT().Category, current);
          SharedRequest = kRequestSelect;
          lookup();
          *response = SharedResponse;
          *chosen = trimmedField(CAT().Category, sizeof CAT().Category);
        },
        kBrowseStack);
  }

  std::vector<Site> m_sites;
};

TEST_F(CategoryBrowses, LocationsListsTheCategorysSitesInAnyLetterCaseAndInsertStartsInIt) {
  m_driver.start(BrowseCategories, kBrowseStack);
  ui::Window* categories = m_driver.find(kCategoryBrowse);
  ASSERT_NE(categories, nullptr);
  EXPECT_EQ(column(shown(*categories), 0), (std::vector<std::string>{"Arts", "News", "Newsletter", "Tools"}));

  highlightCategory(*categories, "News");
  ASSERT_TRUE(m_driver.press(*categories, "Locations"));
  ui::Window* sites = m_driver.find(kSiteList);
  ASSERT_NE(sites, nullptr);
  const auto rows = allRows(*sites);
  EXPECT_EQ(column(rows, kLocationColumn), locationsOf("News"));
  for (const std::string& category : column(rows, kCategoryColumn)) EXPECT_EQ(upper(category), "NEWS");

  ASSERT_TRUE(m_driver.press(*sites, "Insert"));
  ui::Window* form = m_driver.find("UPDATELINKAR$QUICKWINDOW");
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(trimmed(ui::TestDriver::text(*form, "URL:CATEGORY")), "News");
  ASSERT_TRUE(m_driver.type(*form, "URL:LOCATION", "http://added.example/"));
  ASSERT_TRUE(m_driver.press(*form, "OK"));
  EXPECT_EQ(m_driver.find("UPDATELINKAR$QUICKWINDOW"), nullptr);
  std::vector<std::string> expected = locationsOf("News");
  expected.push_back("http://added.example/");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(column(allRows(*sites), kLocationColumn), expected);

  // Closing the site list hands the category browse back, read again.
  ASSERT_TRUE(m_driver.press(*sites, "Close"));
  EXPECT_EQ(m_driver.find(kSiteList), nullptr);
  EXPECT_EQ(trimmed(shown(*categories)[static_cast<size_t>(highlight(*categories) - 1)][0]), "News");
}

TEST_F(CategoryBrowses, AnEmptyCategoryFileOffersOnlyInsertAndLocationsListsTheSitesWithoutACategory) {
  writeCategories({});
  m_driver.start(BrowseCategories, kBrowseStack);
  ui::Window* categories = m_driver.find(kCategoryBrowse);
  ASSERT_NE(categories, nullptr);
  EXPECT_TRUE(shown(*categories).empty());
  EXPECT_TRUE(categories->enabled(categories->fieldOf("Insert")));
  EXPECT_FALSE(categories->enabled(categories->fieldOf("Change")));
  EXPECT_FALSE(categories->enabled(categories->fieldOf("Delete")));

  ASSERT_TRUE(m_driver.press(*categories, "Locations"));
  ui::Window* sites = m_driver.find(kSiteList);
  ASSERT_NE(sites, nullptr);
  EXPECT_EQ(column(allRows(*sites), kLocationColumn), locationsOf(""));
}

TEST_F(CategoryBrowses, TheSiteBrowsesLookupOpensOnItsCategoryAndSelectSwitchesTheRange) {
  ui::Window* browse = startBrowse(UpdateLINKAR, SelectCategories);
  ASSERT_NE(browse, nullptr);
  ASSERT_TRUE(tab(*browse, "Category"));

  ASSERT_TRUE(m_driver.press(*browse, "SelectCategory"));
  ui::Window* lookup = m_driver.find("Select a Category");
  ASSERT_NE(lookup, nullptr);
  highlightCategory(*lookup, "Tools");
  // "Close" hands back the highlighted category too, and the browse takes it.
  ASSERT_TRUE(m_driver.press(*lookup, "Close"));
  EXPECT_EQ(column(allRows(*browse), 1), locationsOf("Tools"));

  ASSERT_TRUE(m_driver.press(*browse, "SelectCategory"));
  lookup = m_driver.find("Select a Category");
  ASSERT_NE(lookup, nullptr);
  EXPECT_EQ(trimmed(shown(*lookup)[static_cast<size_t>(highlight(*lookup) - 1)][0]), "Tools");
  highlightCategory(*lookup, "News");
  ASSERT_TRUE(m_driver.press(*lookup, "Select"));
  EXPECT_EQ(m_driver.find("Select a Category"), nullptr);
  EXPECT_EQ(column(allRows(*browse), 1), locationsOf("News"));
}

TEST_F(CategoryBrowses, TheLookupsHandBackTheirChoiceAndBestGuessAlwaysAnswersNoChoice) {
  struct Case {
    void (*lookup)();
    const char* title;
    const char* button;
    int key;  // a double click instead of the button when set
    int response;
    const char* chosen;
  };
  const Case cases[] = {
      {SelectCategory, "Category Assignment", "Select", 0, kResponseCompleted, "Newsletter"},
      {SelectCategory, "Category Assignment", nullptr, ui::Key::kMouseLeft2, kResponseCompleted, "Newsletter"},
      {SelectCategory, "Category Assignment", "BestGuess", 0, kResponseCancelled, "Newsletter"},
      {SelectCategories, "Select a Category", "Select", 0, kResponseCompleted, "Newsletter"},
      {SelectCategories, "Select a Category", "Close", 0, kResponseCancelled, "Newsletter"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.title) + " " + (c.button ? c.button : "double click"));
    int response = 0;
    std::string chosen = "<none>";
    callLookup(c.lookup, "Arts", &response, &chosen);
    ui::Window* lookup = m_driver.find(c.title);
    ASSERT_NE(lookup, nullptr);
    EXPECT_EQ(trimmed(shown(*lookup)[static_cast<size_t>(highlight(*lookup) - 1)][0]), "Arts");
    EXPECT_EQ(lookup->focus(), lookup->fieldOf("Browse"));
    const int row = 3;  // Newsletter
    if (c.button) {
      ASSERT_TRUE(m_driver.chooseRow(*lookup, "Browse", row));
      ASSERT_TRUE(m_driver.press(*lookup, c.button));
    } else {
      ASSERT_TRUE(m_driver.chooseRow(*lookup, "Browse", row, c.key));
    }
    EXPECT_EQ(m_driver.find(c.title), nullptr);
    EXPECT_EQ(response, c.response);
    EXPECT_EQ(chosen, c.chosen);
  }

  // With nothing to choose from, Best Guess hands back a blank category.
  writeCategories({});
  int response = 0;
  std::string chosen = "<none>";
  callLookup(SelectCategory, "Arts", &response, &chosen);
  ui::Window* lookup = m_driver.find("Category Assignment");
  ASSERT_NE(lookup, nullptr);
  EXPECT_FALSE(lookup->enabled(lookup->fieldOf("Select")));
  ASSERT_TRUE(m_driver.press(*lookup, "BestGuess"));
  EXPECT_EQ(response, kResponseCancelled);
  EXPECT_EQ(chosen, "");
}

TEST_F(CategoryBrowses, ARenameInTheCategoryBrowseReachesAnOpenSiteBrowseWhenItRegainsFocus) {
  ui::Window* browse = startBrowse(UpdateLINKAR, SelectCategories);
  ASSERT_NE(browse, nullptr);
  const auto before = shown(*browse);
  ASSERT_NE(std::count_if(before.begin(), before.end(), [](const auto& r) { return upper(trimmed(r[2])) == "NEWS"; }),
            0);

  m_driver.start(BrowseCategories, kBrowseStack);
  ui::Window* categories = m_driver.find(kCategoryBrowse);
  ASSERT_NE(categories, nullptr);
  highlightCategory(*categories, "News");
  ASSERT_TRUE(m_driver.press(*categories, "Change"));
  ui::Window* form = m_driver.find("Changing a Categories Record");
  ASSERT_NE(form, nullptr);
  ASSERT_TRUE(m_driver.type(*form, "CAT:Category", "Journal"));
  ASSERT_TRUE(m_driver.press(*form, "OK"));
  EXPECT_EQ(column(shown(*categories), 0), (std::vector<std::string>{"Arts", "Journal", "Newsletter", "Tools"}));

  ASSERT_TRUE(m_driver.activate(*browse));
  const auto after = shown(*browse);
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) {
    const bool wasNews = upper(trimmed(before[i][2])) == "NEWS";
    EXPECT_EQ(trimmed(after[i][2]), wasNews ? "Journal" : trimmed(before[i][2])) << trimmed(before[i][1]);
  }
}

}  // namespace
}  // namespace linkar::app::test_browse
