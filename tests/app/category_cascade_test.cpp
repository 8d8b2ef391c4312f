// A category deleted or renamed through its form carries over to every site
// of the category, in whatever letter case the sites spell it, and to no
// other site; a rename onto another category's name is refused before any
// site is touched; two category forms each rename from their own name; and
// a failed write, a failed flush or a crash during the work leaves both
// files exactly as before or exactly as after, with the message shown only
// once no transaction holds the files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/file_transaction.h"
#include "app/referential_integrity.h"
#include "platform/fault_injection.h"
#include "runtime/char_tables.h"
#include "tests/app/update_fixture.h"

namespace linkar::app::test_browse {
namespace {

namespace faults = platform::faults;

constexpr int kSites = 200;
constexpr int kSitesUnderFaults = 40;  // fewer pages, fewer fault points to sweep

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(runtime::toUpper(static_cast<uint8_t>(c)));
  return text;
}

class CategoryCascade : public UpdateFixture {
 protected:
  void SetUp() override {
    // Letter-case variants of News interleaved in location order with
    // other categories, one of which begins with the same letters.
    const std::vector<std::string> spellings = {"News", "news", "Press", "NEWS", "Arts", "Newsletter", "nEwS"};
    std::vector<Site> sites;
    for (int i = 0; i < siteCount(); ++i) {
      char location[64];
      std::snprintf(location, sizeof location, "http://s%03d.example/", i);
      sites.push_back({location, "site " + std::to_string(i), spellings[static_cast<size_t>(i) % spellings.size()], i % 10, ""});
    }
    ASSERT_EQ(writeSites(sites).size(), sites.size());
    writeCategories({"News", "Press", "Arts", "Newsletter"});
    m_before = sitesOnDisk();
    ASSERT_EQ(m_before.size(), static_cast<size_t>(siteCount()));
  }

  virtual int siteCount() const { return kSites; }

  // The files as a cascade over News should leave them: computed from the
  // sites as they were, not by the program.
  std::vector<Stored> withNewsSites(bool deleted, const std::string& newName) const {
    std::vector<Stored> out;
    for (Stored s : m_before) {
      if (upper(s.category) == "NEWS") {
        if (deleted) continue;
        s.category = newName;
      }
      out.push_back(s);
    }
    return out;
  }

  void expectSound() {
    EXPECT_EQ(sdfcheck("LINKAR.SDF"), "sound");
    EXPECT_EQ(sdfcheck("CATEGORIES.SDF"), "sound");
  }

  // Types a new name into the open category form and presses OK.
  void renameTo(ui::Window& form, const std::string& name) {
    ASSERT_TRUE(m_driver.type(form, "CAT:Category", name));
    ASSERT_TRUE(m_driver.press(form, "OK"));
  }

  std::vector<Stored> m_before;
};

TEST_F(CategoryCascade, DeletingACategoryTakesEverySiteOfItInAnyLetterCaseAndNoOther) {
  int response = 0;
  const int thread = startCategoryForm("News", kRequestDelete, &response);
  EXPECT_EQ(m_driver.find("UPDATECATEGORIES$QUICKWINDOW"), nullptr) << "a delete opens no window";
  ASSERT_EQ(boxTitle(thread), "Confirm Delete");
  ASSERT_TRUE(m_driver.answer("OK", thread));
  EXPECT_EQ(box(thread), nullptr);
  EXPECT_EQ(response, kResponseCompleted);
  EXPECT_EQ(sitesOnDisk(), withNewsSites(true, ""));
  EXPECT_EQ(categoriesOnDisk(), (std::vector<std::string>{"Arts", "Newsletter", "Press"}));
  expectSound();
}

TEST_F(CategoryCascade, ARenameGivesEverySiteOfTheCategoryTheNewNameAsTyped) {
  int response = 0;
  startCategoryForm("News", kRequestChange, &response);
  ui::Window* form = m_driver.find("Changing a Categories Record");
  ASSERT_NE(form, nullptr);
  renameTo(*form, "Media");
  EXPECT_EQ(m_driver.find("UPDATECATEGORIES$QUICKWINDOW"), nullptr);
  EXPECT_EQ(response, kResponseCompleted);
  EXPECT_EQ(sitesOnDisk(), withNewsSites(false, "Media"));
  EXPECT_EQ(categoriesOnDisk(), (std::vector<std::string>{"Arts", "Media", "Newsletter", "Press"}));
  expectSound();
}

TEST_F(CategoryCascade, ARenameOntoAnotherCategoryIsRefusedButALetterCaseChangeGoesThrough) {
  int response = 0;
  const int thread = startCategoryForm("News", kRequestChange, &response);
  ui::Window* form = m_driver.find("Changing a Categories Record");
  ASSERT_NE(form, nullptr);
  renameTo(*form, "PRESS");
  ASSERT_EQ(boxTitle(thread), "Duplicate Key Error");
  EXPECT_EQ(boxText(thread), "Adding this record creates a duplicate entry for the key:Category");
  EXPECT_TRUE(noTransactionOpen()) << "the box is up while a transaction holds the files";
  ASSERT_TRUE(m_driver.answer("OK", thread));
  EXPECT_EQ(box(thread), nullptr) << "a refused name is for the user to mend, not to try again";
  ASSERT_EQ(m_driver.find("UPDATECATEGORIES$QUICKWINDOW"), form);
  EXPECT_EQ(form->focus(), form->fieldOf("CAT:Category"));
  EXPECT_EQ(sitesOnDisk(), m_before);

  renameTo(*form, "NEWS");
  EXPECT_EQ(m_driver.find("UPDATECATEGORIES$QUICKWINDOW"), nullptr);
  EXPECT_EQ(response, kResponseCompleted);
  EXPECT_EQ(sitesOnDisk(), withNewsSites(false, "NEWS"));
  EXPECT_EQ(categoriesOnDisk(), (std::vector<std::string>{"Arts", "NEWS", "Newsletter", "Press"}));
  expectSound();
}

TEST_F(CategoryCascade, TwoOpenCategoryFormsEachRenameFromTheNameTheyStartedWith) {
  int first = 0;
  int second = 0;
  startCategoryForm("News", kRequestChange, &first);
  startCategoryForm("Arts", kRequestChange, &second);
  std::vector<ui::Window*> forms = m_driver.findAll("Changing a Categories Record");
  ASSERT_EQ(forms.size(), 2u);
  renameTo(*forms[0], "Media");
  EXPECT_EQ(first, kResponseCompleted);
  ASSERT_TRUE(m_driver.press(*forms[1], "Cancel"));
  EXPECT_EQ(second, kResponseCancelled);
  EXPECT_EQ(sitesOnDisk(), withNewsSites(false, "Media"));
  EXPECT_EQ(categoriesOnDisk(), (std::vector<std::string>{"Arts", "Media", "Newsletter", "Press"}));
}

// The routines straight, with a fault armed just before each runs.
class CascadeFaults : public CategoryCascade, public ::testing::WithParamInterface<faults::Fault> {
 protected:
  struct Run {
    IntegrityOutcome outcome = IntegrityOutcome::kDone;
    bool done = false;
  };

  // Starts a thread that reads News, waits at a box, then deletes it or
  // renames it to Media.
  int startRoutine(bool rename, Run& run) {
    return m_driver.start([rename, &run] {
      FileUse sites(LINKAR, LinkarOpenCount());
      FileUse categories(Categories, CategoriesOpenCount());
      runtime::assignFixed(CAT().Category, sizeof CAT().Category, "News");
      storage::fileGet(Categories, CAT_K_CATEGORY);
      ui::message("ready", "ready");
      if (rename) runtime::assignFixed(CAT().Category, sizeof CAT().Category, "Media");
      run.outcome = rename ? updateCategoryRecord("News") : deleteCategoryRecord();
      run.done = true;
    });
  }

  int siteCount() const override { return kSitesUnderFaults; }

  // Leaves a sound transaction control file beside the data files, as the
  // first transaction over both files does: one commit of a change to
  // each, and one that takes the changes back.
  void prepareControlFile() {
    for (bool add : {true, false}) {
      storage::fileOpen(LINKAR, kCheckOpenMode);
      storage::fileOpen(Categories, kCheckOpenMode);
      storage::fileLogoutFiles(kTransactionLockSeconds, {&LINKAR, &Categories});
      ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();
      runtime::assignFixed(URL().LOCATION, sizeof URL().LOCATION, "http://passing.example/");
      runtime::assignFixed(CAT().Category, sizeof CAT().Category, "Passing");
      if (add) {
        storage::fileAdd(LINKAR);
        storage::fileAdd(Categories);
      } else {
        storage::fileGet(LINKAR, URL_K_LOCATION);
        storage::fileDelete(LINKAR);
        storage::fileGet(Categories, CAT_K_CATEGORY);
        storage::fileDelete(Categories);
      }
      ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();
      storage::fileEndLogoutFiles(true, {&LINKAR, &Categories});
      ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();
      storage::fileClose(LINKAR);
      storage::fileClose(Categories);
    }
    ASSERT_EQ(sitesOnDisk(), m_before);
  }

  void sweep(bool rename) {
    prepareControlFile();
    const std::string linkarBytes = test::readWholeFile(m_dir.file("LINKAR.SDF"));
    const std::string categoryBytes = test::readWholeFile(m_dir.file("CATEGORIES.SDF"));
    const std::vector<Stored> after = withNewsSites(!rename, "Media");
    const std::vector<std::string> categoriesBefore = categoriesOnDisk();
    const std::vector<std::string> categoriesAfter =
        rename ? std::vector<std::string>{"Arts", "Media", "Newsletter", "Press"}
               : std::vector<std::string>{"Arts", "Newsletter", "Press"};
    int failures = 0;
    for (long n = 1;; ++n) {
      ASSERT_LT(n, 200) << "the fault never stopped triggering";
      ASSERT_TRUE(test::writeWholeFile(m_dir.file("LINKAR.SDF"), linkarBytes));
      ASSERT_TRUE(test::writeWholeFile(m_dir.file("CATEGORIES.SDF"), categoryBytes));
      faults::FaultScope scope;
      Run run;
      const int thread = startRoutine(rename, run);
      ASSERT_EQ(boxTitle(thread), "ready");
      faults::armFault(GetParam(), n);
      ASSERT_TRUE(m_driver.answer("OK", thread));
      if (box(thread) != nullptr) {
        if (!faults::crashed()) {
          EXPECT_TRUE(noTransactionOpen()) << "fault " << n << ": a box with the files held";
        }
        m_shown = boxTitle(thread) + ": " + boxText(thread);
        ASSERT_TRUE(m_driver.answer("OK", thread));
      }
      ASSERT_TRUE(run.done);
      const bool triggered = faults::faultTriggered();
      const bool crashed = faults::crashed();
      faults::resetFaults();
      // Reading both files also completes or undoes what a crash left.
      const std::vector<Stored> now = sitesOnDisk();
      const std::vector<std::string> categoriesNow = categoriesOnDisk();
      const bool wasBefore = now == m_before && categoriesNow == categoriesBefore;
      const bool wasAfter = now == after && categoriesNow == categoriesAfter;
      EXPECT_TRUE(wasBefore || wasAfter) << "fault " << n << " left the files half done";
      // A crash ends the program; otherwise what failed must not be there.
      if (run.outcome != IntegrityOutcome::kDone && !crashed) {
        EXPECT_TRUE(wasBefore) << "fault " << n;
      }
      expectSound();
      if (!triggered) {
        EXPECT_EQ(run.outcome, IntegrityOutcome::kDone) << m_shown;
        EXPECT_EQ(now, after);
        break;
      }
      m_shown.clear();
      if (run.outcome != IntegrityOutcome::kDone) ++failures;
    }
    EXPECT_GT(failures, 0) << "no fault point made the routine fail";
  }
  std::string m_shown;
};

TEST_P(CascadeFaults, ADeleteIsWhollyDoneOrNotAtAll) { sweep(false); }
TEST_P(CascadeFaults, ARenameIsWhollyDoneOrNotAtAll) { sweep(true); }

INSTANTIATE_TEST_SUITE_P(EveryPoint, CascadeFaults,
                         ::testing::Values(faults::Fault::FailWrite, faults::Fault::FailFlush,
                                           faults::Fault::CrashAtFlush),
                         [](const auto& info) {
                           switch (info.param) {
                             case faults::Fault::FailWrite: return "FailedWrite";
                             case faults::Fault::FailFlush: return "FailedFlush";
                             default: return "CrashAtFlush";
                           }
                         });

}  // namespace
}  // namespace linkar::app::test_browse
