// The listings end to end, started from the frame's "&Reports" menu: what
// the preview's pages hold and in which order, printing or not printing
// them, an empty file, Cancel during the run, and no page file left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/procedure_registry.h"
#include "reports/listing_reports.h"
#include "tests/app/browse_fixture.h"
#include "transfer/batch_loop.h"
#include "ui/page_file.h"
#include "ui/printer.h"

namespace linkar::reports {
namespace {

using app::test_browse::Site;
namespace fs = std::filesystem;

constexpr const char* kPreview = "REPORTPREVIEW$PREVIEWWINDOW";

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// A text as a reader of the page sees it: runs of blanks as one, none at
// either end.
std::string squeezed(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    out.push_back(c);
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// The texts a page file draws, in drawing order.
std::vector<std::string> pageTexts(const std::string& path) {
  std::vector<std::string> texts;
  std::string error;
  auto page = ui::page_file::readPageFile(path, &error);
  EXPECT_TRUE(page) << path << ": " << error;
  if (!page) return texts;
  for (const auto& r : page->records) {
    if (r.function != ui::page_file::kRecordTextOut) continue;
    const size_t n = static_cast<uint16_t>(r.word(0));
    texts.push_back(squeezed(r.params.substr(2, n)));
  }
  return texts;
}

class Listing : public ::testing::Test {
 protected:
  void SetUp() override {
    app::initSharedVariables();
    app::clearProcedures();
    registerProcedures();
    ui::setPrinterDevice(&m_printer);
  }
  void TearDown() override {
    ui::setPrinterDevice(nullptr);
    transfer::setPortionBudget({});
    app::clearProcedures();
  }

  void writeSites(const std::vector<Site>& sites) {
    storage::fileCreate(app::LINKAR);
    storage::fileOpen(app::LINKAR, app::kCheckOpenMode);
    ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();
    for (const Site& s : sites) ASSERT_EQ(app::test_browse::addSite(s), 0) << s.location;
    storage::fileClose(app::LINKAR);
  }

  void writeCategories(const std::vector<std::string>& names) {
    storage::fileCreate(app::Categories);
    storage::fileOpen(app::Categories, app::kCheckOpenMode);
    for (const std::string& name : names) {
      runtime::assignFixed(app::CAT().Category, sizeof app::CAT().Category, name);
      storage::fileAdd(app::Categories);
      ASSERT_EQ(runtime::errorCode(), 0) << name;
    }
    storage::fileClose(app::Categories);
  }

  // Starts the program's frame and chooses the menu item.
  void choose(const std::string& item) {
    m_driver.startProgram(app::Main);
    app::SharedResponse = 0;
    ASSERT_TRUE(m_driver.pressMenu("&Reports|" + item));
  }

  // Every page of the open preview, read from the file its image shows,
  // paging with "&Next Page!".
  std::vector<std::vector<std::string>> previewedPages() {
    std::vector<std::vector<std::string>> pages;
    ui::Window* w = m_driver.find(kPreview);
    if (!w) return pages;
    for (;;) {
      pages.push_back(pageTexts(ui::TestDriver::text(*w, "CentreImage")));
      if (!w->reachable(w->fieldOf("NextPage"))) break;
      EXPECT_TRUE(m_driver.press(*w, "&Next Page!"));
    }
    return pages;
  }

  // The page files in the temporary folder.
  size_t pageFilesLeft() const {
    size_t n = 0;
    for (const auto& entry : fs::directory_iterator(m_tmp.path())) n += entry.path().filename().string().starts_with("VEL");
    return n;
  }

  test::TempDir m_dir;
  test::TempDir m_tmp;
  test::CurrentDirectoryScope m_here{m_dir.path()};
  test::EnvironmentScope m_tmpdir{"TMPDIR", m_tmp.path().c_str()};
  test::EnvironmentScope m_config{"XDG_CONFIG_HOME", m_dir.path().c_str()};
  ui::RecordingPrinter m_printer;
  ui::TestDriver m_driver{app::programCatalogue()};
};

// Forty sites in categories of mixed letter case, and one without a
// location: by category they come category by category without regard to
// case, by location within one, on three pages with their headings; the
// one without a location is in that listing only.
TEST_F(Listing, ByCategoryWithoutRegardToCaseThenByLocationAndPrintedWhenAsked) {
  std::vector<Site> sites;
  const char* categories[] = {"news", "Art", "NEWS", "zoo", "News", "art"};
  for (int i = 0; i < 40; ++i) {
    const std::string host(1, static_cast<char>('a' + (i * 7) % 26));
    sites.push_back({"http://" + host + std::to_string(i) + ".example/", "Site " + std::to_string(i),
                     categories[i % 6], i % 5, "http"});
  }
  sites.push_back({"", "No address", "Art", 1, "none"});
  writeSites(sites);
  std::vector<Site> expected = sites;
  std::stable_sort(expected.begin(), expected.end(), [](const Site& a, const Site& b) {
    return std::make_pair(lower(a.category), lower(a.location)) < std::make_pair(lower(b.category), lower(b.location));
  });

  choose("Locations|Print by Category");
  std::vector<std::vector<std::string>> pages = previewedPages();
  ASSERT_EQ(pages.size(), 3u);
  std::vector<std::string> printed;
  for (size_t p = 0; p < pages.size(); ++p) {
    const auto& texts = pages[p];
    EXPECT_EQ(texts.front(), "Print Locations by Category");
    for (const char* heading : {"Location", "Description", "Category", "Rating", "Keyword"})
      EXPECT_NE(std::find(texts.begin(), texts.end(), heading), texts.end()) << heading;
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Page " + std::to_string(p + 1)), texts.end()) << p;
    for (const std::string& t : texts)
      if (t.starts_with("Site ") || t == "No address") printed.push_back(t);
  }
  std::vector<std::string> wanted;
  for (const Site& s : expected) wanted.push_back(s.description);
  EXPECT_EQ(printed, wanted);
  EXPECT_EQ(lastListingCounts().records, 41);

  ASSERT_TRUE(m_driver.press(*m_driver.find(kPreview), "&Print!"));
  EXPECT_EQ(m_driver.find(kPreview), nullptr);
  EXPECT_EQ(m_printer.pages().size(), 3u);
  EXPECT_EQ(m_printer.documentsEnded(), 1);
  EXPECT_EQ(app::SharedResponse, app::kResponseCompleted);
  EXPECT_EQ(pageFilesLeft(), 0u);
  EXPECT_EQ(m_driver.windows().size(), 1u) << "only the frame stays";

  // By location the site without one is left out.
  ASSERT_TRUE(m_driver.pressMenu("&Reports|Locations|Print by Location"));
  ASSERT_NE(m_driver.find(kPreview), nullptr);
  EXPECT_EQ(lastListingCounts().records, 40);
  ASSERT_TRUE(m_driver.press(*m_driver.find(kPreview), "&Cancel!"));
}

TEST_F(Listing, NotPrintingFromThePreviewPrintsNothingAndStillCompletes) {
  writeSites({{"http://a/", "A", "x", 1, "http"}, {"http://b/", "B", "y", 2, "http"}});
  choose("Locations|Print by Rating");
  ASSERT_EQ(previewedPages().size(), 1u);
  ASSERT_TRUE(m_driver.press(*m_driver.find(kPreview), "&Cancel!"));
  EXPECT_TRUE(m_printer.pages().empty());
  EXPECT_EQ(app::SharedResponse, app::kResponseCompleted);
  EXPECT_EQ(pageFilesLeft(), 0u);
}

TEST_F(Listing, AnEmptyFileShowsNoPreviewAndCancels) {
  writeCategories({});
  choose("Categories");
  EXPECT_EQ(m_driver.find(kPreview), nullptr);
  EXPECT_EQ(m_driver.windows().size(), 1u) << "only the frame stays";
  EXPECT_EQ(app::SharedResponse, app::kResponseCancelled);
  EXPECT_TRUE(m_printer.pages().empty());
  EXPECT_EQ(pageFilesLeft(), 0u);
}

TEST_F(Listing, CancelDuringTheRunShowsNoPreviewAndLeavesNoPageFile) {
  std::vector<std::string> names;
  for (int i = 0; i < 100; ++i) names.push_back("Category " + std::to_string(100 + i));
  writeCategories(names);
  // One record a timer tick, so that the run is still going after a few.
  transfer::setPortionBudget({1, std::chrono::milliseconds(0)});
  m_driver.startProgram(app::Main);
  // The menu item chosen without running the threads to their rest.
  ui::Window* frame = m_driver.find("MAIN$APPFRAME");
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(m_driver.engine().input().press(frame->id(), frame->fieldOf("PrintCAT:K_CATEGORY")));
  EXPECT_FALSE(m_driver.run(40));
  ui::Window* progress = m_driver.find("PRINTCAT:K_CATEGORY$PROGRESSWINDOW");
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(progress->title(), "Generating Report");
  EXPECT_NE(ui::TestDriver::text(*progress, "PercentText"), "  0% Completed");
  ASSERT_TRUE(m_driver.press(*progress, "Cancel"));
  EXPECT_EQ(m_driver.find(kPreview), nullptr);
  EXPECT_EQ(m_driver.windows().size(), 1u) << "only the frame stays";
  EXPECT_EQ(app::SharedResponse, app::kResponseCancelled);
  EXPECT_TRUE(m_printer.pages().empty());
  EXPECT_EQ(pageFilesLeft(), 0u);
}

TEST_F(Listing, TheCategoriesListingPrintsEachCategoryInOrder) {
  writeCategories({"news", "Art", "zoo", "Books"});
  choose("Categories");
  std::vector<std::vector<std::string>> pages = previewedPages();
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].front(), "Print Categories");
  std::vector<std::string> printed;
  for (const std::string& t : pages[0])
    if (t == "news" || t == "Art" || t == "zoo" || t == "Books") printed.push_back(t);
  EXPECT_EQ(printed, (std::vector<std::string>{"Art", "Books", "news", "zoo"}));
  ASSERT_TRUE(m_driver.press(*m_driver.find(kPreview), "&Print!"));
  EXPECT_EQ(m_printer.pages().size(), 1u);
}

}  // namespace
}  // namespace linkar::reports
