// What the browse tests share: a site file written in the test's own
// folder, BrowseLINKAR started on a procedure thread with a form and a
// lookup the test provides, and the browse window read back as the user
// sees it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/browse.h"
#include "app/browse_linkar.h"
#include "app/catalogue.h"
#include "app/main_frame.h"
#include "app/check_open.h"
#include "app/records.h"
#include "app/shared_variables.h"
#include "runtime/error_state.h"
#include "runtime/fixed_text.h"
#include "runtime/packed_decimal.h"
#include "storage/layer/file_statements.h"
#include "tests/support/temp_dir.h"
#include "ui/headless/test_driver.h"
#include "ui/picture_field.h"
#include "ui/statements.h"

namespace linkar::app::test_browse {

struct Site {
  std::string location;
  std::string description;
  std::string category;
  int rating = 0;
  std::string keyword;
};

// Tab texts in tab order, and the list's column pictures in column order.
inline const std::vector<std::string> kTabs = {"Description", "Location", "Category", "Rating", "Keyword"};
inline const std::vector<std::string> kPictures = {"@S60", "@S60", "@S15", "@N2", "@s10"};

// Puts a site into the current thread's buffer and adds it; returns the error.
inline int32_t addSite(const Site& s) {
  putSite({s.location, s.description, s.category, s.rating, s.keyword});
  storage::fileAdd(LINKAR);
  return runtime::errorCode();
}

// The row the list shows for a site.
inline std::vector<std::string> rowOf(const Site& s) {
  const std::string values[] = {s.description, s.location, s.category, std::to_string(s.rating), s.keyword};
  std::vector<std::string> row;
  for (size_t i = 0; i < kPictures.size(); ++i) row.push_back(ui::formatForDisplay(values[i], kPictures[i]));
  return row;
}

class BrowseFixture : public ::testing::Test {
 protected:
  // Writes the sites (in this order) into a new LINKAR file; returns those
  // the file took (a location already there in any letter case is refused).
  std::vector<Site> writeSites(const std::vector<Site>& sites) {
    std::vector<Site> kept;
    storage::fileCreate(LINKAR);
    EXPECT_EQ(runtime::errorCode(), 0) << runtime::errorText();
    storage::fileOpen(LINKAR, kCheckOpenMode);
    // One transaction: one commit for the whole file.
    storage::fileLogout(LINKAR);
    EXPECT_EQ(runtime::errorCode(), 0) << runtime::errorText();
    for (const Site& s : sites)
      if (addSite(s) == 0) kept.push_back(s);
    storage::fileCommit(LINKAR);
    EXPECT_EQ(runtime::errorCode(), 0) << runtime::errorText();
    storage::fileClose(LINKAR);
    return kept;
  }

  // Starts the browse with the given form and lookup (stand-ins that cancel
  // when left out) and returns its window.
  ui::Window* startBrowse(std::function<void()> form = {}, std::function<void()> lookup = {}) {
    // Browse windows are MDI children: they need the frame.
    if (!m_driver.find("Linkar")) m_driver.startFrame();
    auto cancel = [] { SharedResponse = kResponseCancelled; };
    auto config = std::make_shared<BrowseConfig>(
        browseLinkarConfig(form ? std::move(form) : cancel, lookup ? std::move(lookup) : cancel));
    m_driver.start([config] { runBrowse(*config); }, kBrowseStack);
    auto all = m_driver.findAll("Browse Locations");
    return all.empty() ? nullptr : all.back();
  }

  static std::vector<std::vector<std::string>> shown(const ui::Window& w) { return ui::TestDriver::rows(w, "Browse"); }
  static int highlight(const ui::Window& w) { return w.state(w.fieldOf("Browse")).selection; }
  static int pageRows(const ui::Window& w) { return w.visibleRows(w.fieldOf("Browse")); }
  static int thumb(const ui::Window& w) { return w.state(w.fieldOf("Browse")).thumb; }
  // The highlighted row's cell of a column (0 Description ... 4 Keyword).
  static std::string highlighted(const ui::Window& w, size_t column) {
    int row = highlight(w);
    if (row < 1 || row > static_cast<int>(shown(w).size())) return "<none>";
    return std::string(runtime::trimTrailingBlanks(shown(w)[static_cast<size_t>(row - 1)][column]));
  }

  bool key(ui::Window& w, int code) { return m_driver.key(w, "Browse", code); }
  bool tab(ui::Window& w, const std::string& text) { return m_driver.chooseTab(w, text); }

  test::TempDir m_dir;
  test::CurrentDirectoryScope m_here{m_dir.path()};
  ui::TestDriver m_driver{programCatalogue()};
};

}  // namespace linkar::app::test_browse
