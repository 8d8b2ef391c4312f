// What the import tests share: a folder of their own as the working
// directory, the program's windows on the headless engine, an import
// started as the frame starts it and its file chosen, and the stored sites
// and categories read back in key order.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "app/check_open.h"
#include "app/main_frame.h"
#include "app/records.h"
#include "app/shared_variables.h"
#include "runtime/error_state.h"
#include "runtime/fixed_text.h"
#include "runtime/packed_decimal.h"
#include "storage/layer/file_statements.h"
#include "tests/support/temp_dir.h"
#include "transfer/batch_loop.h"
#include "transfer/category_lookups.h"
#include "transfer/import_procedures.h"
#include "transfer/import_run.h"
#include "ui/headless/test_driver.h"

namespace linkar::transfer::test_import {

struct StoredSite {
  std::string location, description, category, keyword, siteInfo;
  int64_t rating = 0;
  bool operator==(const StoredSite&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const StoredSite& s) {
  return os << "{" << s.location << " | " << s.description << " | " << s.category << " | " << s.keyword << " | "
            << s.siteInfo << " | " << s.rating << "}";
}

inline std::string field(const char* buf, size_t size) { return std::string(runtime::fixedView(buf, size)); }

// Every site of LINKAR, read in file order and sorted by location bytes.
inline std::vector<StoredSite> storedSites() {
  std::vector<StoredSite> out;
  storage::fileOpen(app::LINKAR, app::kCheckOpenMode);
  if (runtime::errorCode() != 0) return out;
  storage::fileSet(app::LINKAR);
  for (;;) {
    storage::fileNext(app::LINKAR);
    if (runtime::errorCode() != 0) break;
    const app::LinkarRecord& r = app::URL();
    StoredSite s{field(r.LOCATION, sizeof r.LOCATION), field(r.DESCRIPTION, sizeof r.DESCRIPTION),
                 field(r.CATEGORY, sizeof r.CATEGORY), field(r.KEYWORD, sizeof r.KEYWORD),
                 field(app::URL_SiteInfo(), app::kSiteInfoSize)};
    runtime::unpackInteger(std::span<const uint8_t>(r.RATING, sizeof r.RATING), 0, s.rating);
    out.push_back(s);
  }
  storage::fileClose(app::LINKAR);
  std::sort(out.begin(), out.end(), [](const StoredSite& a, const StoredSite& b) { return a.location < b.location; });
  return out;
}

inline std::vector<std::string> storedCategories() {
  std::vector<std::string> out;
  storage::fileOpen(app::Categories, app::kCheckOpenMode);
  if (runtime::errorCode() != 0) return out;
  storage::fileSet(app::Categories);
  for (;;) {
    storage::fileNext(app::Categories);
    if (runtime::errorCode() != 0) break;
    out.push_back(field(app::CAT().Category, sizeof app::CAT().Category));
  }
  storage::fileClose(app::Categories);
  return out;
}

class ImportFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    app::initSharedVariables();
    // The portion of the Part: at least 1000 bytes a tick, whatever the time.
    setPortionBudget({1000, std::chrono::milliseconds(0)});
    categoryLookups() = {};
  }
  void TearDown() override { setPortionBudget({}); }

  std::string write(const std::string& name, const std::string& text) {
    std::string path = m_dir.file(name);
    EXPECT_TRUE(test::writeWholeFile(path, text));
    return path;
  }

  // Starts the import and answers its file dialog; returns the thread.
  int startWith(ui::Procedure import, const std::string& path) {
    int thread = m_driver.start(import, app::kTransferStack);
    EXPECT_NE(m_driver.fileDialog(), nullptr);
    EXPECT_TRUE(m_driver.engine().input().answerFileDialog(thread, path));
    return thread;
  }

  // Runs the import of `path` to its end; returns SharedResponse.
  int32_t import(ui::Procedure procedure, const std::string& path) {
    app::SharedResponse = 0;
    startWith(procedure, path);
    EXPECT_TRUE(m_driver.run());
    EXPECT_TRUE(m_driver.windows().empty()) << "a window is still open";
    return app::SharedResponse;
  }

  test::TempDir m_dir;
  test::CurrentDirectoryScope m_here{m_dir.path()};
  ui::TestDriver m_driver{app::programCatalogue()};
};

}  // namespace linkar::transfer::test_import
