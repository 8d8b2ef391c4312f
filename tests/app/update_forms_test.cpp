// The site form as the site browse calls it: insert, change and delete with
// their titles, confirmations and refusals, and the retry questions when
// another process gets in the way: a site changed there between read and
// write, a lock held there longer than the transaction waits, a category
// deleted there.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/error_codes.h"
#include "tests/app/update_fixture.h"

namespace linkar::app::test_browse {
namespace {

class UpdateForms : public UpdateFixture {
 protected:
  void SetUp() override {
    m_sites = writeSites({{"http://alpha.example/", "Alpha", "News", 1, "a"},
                          {"http://beta.example/", "Beta", "Press", 2, "b"},
                          {"http://gamma.example/", "Gamma", "News", 3, "c"}});
    writeCategories({"News", "Press"});
    m_browse = startBrowse(UpdateLINKAR);
    ASSERT_NE(m_browse, nullptr);
    ASSERT_TRUE(tab(*m_browse, "Location"));
  }

  // Highlights the row of the location order and presses a button.
  ui::Window* pressOn(int row, const std::string& button, const std::string& formTitle) {
    EXPECT_TRUE(m_driver.chooseRow(*m_browse, "Browse", row));
    EXPECT_TRUE(m_driver.press(*m_browse, button));
    return m_driver.find(formTitle);
  }

  std::string descriptionOnDisk(const std::string& location) {
    for (const Stored& s : sitesOnDisk())
      if (s.location == location) return s.description;
    return "<gone>";
  }

  // Another process changes a site's description.
  int changeElsewhere(const std::string& location, const std::string& description) {
    return test::runInChild(
        [&] {
          storage::fileOpen(LINKAR, kCheckOpenMode);
          runtime::assignFixed(URL().LOCATION, sizeof URL().LOCATION, location);
          storage::fileGet(LINKAR, URL_K_LOCATION);
          runtime::assignFixed(URL().DESCRIPTION, sizeof URL().DESCRIPTION, description);
          storage::filePut(LINKAR);
          return runtime::errorCode();
        },
        static_cast<int>(kPatienceMs));
  }

  std::vector<Site> m_sites;
  ui::Window* m_browse = nullptr;
};

TEST_F(UpdateForms, InsertChangeAndDeleteThroughTheSiteBrowse) {
  ui::Window* form = pressOn(1, "&Insert", "Adding a LINKAR Record");
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->focus(), form->fieldOf("URL:LOCATION"));
  ASSERT_TRUE(m_driver.type(*form, "URL:LOCATION", "http://delta.example/"));
  ASSERT_TRUE(m_driver.type(*form, "URL:DESCRIPTION", "Delta"));
  ASSERT_TRUE(m_driver.type(*form, "URL:CATEGORY", "Press"));
  ASSERT_TRUE(m_driver.type(*form, "URL:RATING", "42"));
  ASSERT_TRUE(m_driver.type(*form, "URL:KEYWORD", "d"));
  ASSERT_TRUE(m_driver.chooseTab(*form, "SiteInfo"));
  ASSERT_TRUE(m_driver.type(*form, "URL:SiteInfo", "about delta"));
  ASSERT_TRUE(m_driver.press(*form, "OK"));
  EXPECT_EQ(m_driver.find("UPDATELINKAR$QUICKWINDOW"), nullptr);
  // The browse highlights the new site, read back from the file.
  EXPECT_EQ(highlighted(*m_browse, 1), "http://delta.example/");
  EXPECT_EQ(shown(*m_browse)[static_cast<size_t>(highlight(*m_browse) - 1)],
            rowOf({"http://delta.example/", "Delta", "Press", 42, "d"}));
  ASSERT_TRUE(m_driver.press(*m_browse, "&Change"));
  form = m_driver.find("Changing a LINKAR Record");
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(ui::TestDriver::text(*form, "URL:SiteInfo"), "about delta");

  // Changed, then cancelled: nothing written, the browse shows the old values.
  ASSERT_TRUE(m_driver.type(*form, "URL:DESCRIPTION", "Not kept"));
  ASSERT_TRUE(m_driver.press(*form, "Cancel"));
  EXPECT_EQ(descriptionOnDisk("http://delta.example/"), "Delta");
  EXPECT_EQ(highlighted(*m_browse, 0), "Delta");

  form = pressOn(1, "&Change", "Changing a LINKAR Record");
  ASSERT_NE(form, nullptr);
  ASSERT_TRUE(m_driver.type(*form, "URL:DESCRIPTION", "Alpha changed"));
  ASSERT_TRUE(m_driver.press(*form, "OK"));
  EXPECT_EQ(m_driver.find("UPDATELINKAR$QUICKWINDOW"), nullptr);
  EXPECT_EQ(descriptionOnDisk("http://alpha.example/"), "Alpha changed");
  EXPECT_EQ(highlighted(*m_browse, 0), "Alpha changed");

  // Delete: Cancel in the confirmation keeps the site, OK takes it.
  ASSERT_TRUE(m_driver.chooseRow(*m_browse, "Browse", 2));
  ASSERT_TRUE(m_driver.press(*m_browse, "&Delete"));
  EXPECT_EQ(m_driver.find("UPDATELINKAR$QUICKWINDOW"), nullptr);
  ASSERT_EQ(boxTitle(), "Confirm Delete");
  ASSERT_TRUE(m_driver.answer("Cancel"));
  EXPECT_EQ(shown(*m_browse).size(), 4u);
  ASSERT_TRUE(m_driver.press(*m_browse, "&Delete"));
  ASSERT_TRUE(m_driver.answer("OK"));
  EXPECT_EQ(descriptionOnDisk("http://beta.example/"), "<gone>");
  EXPECT_EQ(shown(*m_browse).size(), 3u);
  EXPECT_EQ(sdfcheck("LINKAR.SDF"), "sound");
}

TEST_F(UpdateForms, AnInsertIsRefusedForATakenLocationAndAThreeDigitRatingIsNotTaken) {
  ui::Window* form = pressOn(1, "&Insert", "Adding a LINKAR Record");
  ASSERT_NE(form, nullptr);
  ASSERT_TRUE(m_driver.type(*form, "URL:LOCATION", "HTTP://BETA.EXAMPLE/"));
  ASSERT_TRUE(m_driver.press(*form, "OK"));
  ASSERT_EQ(boxTitle(), "Duplicate Key Error");
  EXPECT_EQ(boxText(), "Adding this record creates a duplicate entry for the key:Site Location");
  ASSERT_TRUE(m_driver.answer("OK"));
  ASSERT_EQ(m_driver.find("UPDATELINKAR$QUICKWINDOW"), form);
  EXPECT_EQ(form->focus(), form->fieldOf("URL:LOCATION"));

  // Three digits do not pass @N2: the entry goes back to its value and
  // keeps the focus; two digits are written.
  ASSERT_TRUE(m_driver.type(*form, "URL:LOCATION", "http://epsilon.example/"));
  ASSERT_TRUE(m_driver.type(*form, "URL:RATING", "123"));
  EXPECT_EQ(form->focus(), form->fieldOf("URL:RATING"));
  EXPECT_NE(ui::TestDriver::text(*form, "URL:RATING"), "123");
  ASSERT_TRUE(m_driver.type(*form, "URL:RATING", "12"));
  ASSERT_TRUE(m_driver.press(*form, "OK"));
  EXPECT_EQ(m_driver.find("UPDATELINKAR$QUICKWINDOW"), nullptr);
  EXPECT_EQ(shown(*m_browse)[static_cast<size_t>(highlight(*m_browse) - 1)],
            rowOf({"http://epsilon.example/", "", "", 12, ""}));
  EXPECT_EQ(sitesOnDisk().size(), m_sites.size() + 1);
}

TEST_F(UpdateForms, ASiteChangedByAnotherProcessIsNotWrittenOverAndTheUserChooses) {
  ui::Window* form = pressOn(1, "&Change", "Changing a LINKAR Record");
  ASSERT_NE(form, nullptr);
  ASSERT_EQ(changeElsewhere("http://alpha.example/", "Changed elsewhere"), 0);
  ASSERT_TRUE(m_driver.type(*form, "URL:DESCRIPTION", "Changed here"));
  ASSERT_TRUE(m_driver.press(*form, "OK"));
  // Each try: message 15, then 16; Yes tries again, Cancel goes back to
  // editing, No gives up.
  for (const char* answer : {"Yes", "Cancel", "No"}) {
    ASSERT_EQ(boxTitle(), "Update Operation Error") << answer;
    EXPECT_EQ(boxText(), "This record was changed by another station.");
    EXPECT_TRUE(noTransactionOpen());
    ASSERT_TRUE(m_driver.answer("OK"));
    ASSERT_EQ(boxTitle(), "Record Update Error");
    EXPECT_EQ(boxText(), "An error was experienced changing this record.  Do you want to try to save again?");
    ASSERT_TRUE(m_driver.answer(answer));
    if (std::string(answer) == "Cancel") {
      ASSERT_EQ(box(), nullptr);
      ASSERT_EQ(m_driver.find("UPDATELINKAR$QUICKWINDOW"), form);
      EXPECT_EQ(form->focus(), form->fieldOf("URL:LOCATION"));
      ASSERT_TRUE(m_driver.press(*form, "OK"));
    }
  }
  EXPECT_EQ(m_driver.find("UPDATELINKAR$QUICKWINDOW"), nullptr);
  EXPECT_EQ(descriptionOnDisk("http://alpha.example/"), "Changed elsewhere");
}

TEST_F(UpdateForms, ALockHeldElsewhereLongerThanTheLimitCancelsTheTransactionUntilTried) {
  test::Rendezvous meet;
  test::ChildProcess child([&] {
    meet.becomeChild();
    storage::fileOpen(LINKAR, kCheckOpenMode);
    storage::fileLock(LINKAR);
    if (runtime::errorCode() != 0) return 1;
    meet.signal();
    meet.waitFor(static_cast<int>(kPatienceMs));
    return 0;
  });
  meet.becomeParent();
  ASSERT_TRUE(meet.waitFor(static_cast<int>(kPatienceMs)));

  ui::Window* form = pressOn(1, "&Change", "Changing a LINKAR Record");
  ASSERT_NE(form, nullptr);
  ASSERT_TRUE(m_driver.type(*form, "URL:DESCRIPTION", "After the wait"));
  ASSERT_TRUE(m_driver.press(*form, "OK"));
  ASSERT_TRUE(m_driver.runUntil([&] { return box() != nullptr; }, kPatienceMs));
  EXPECT_EQ(boxTitle(), "Transaction Framing Error");
  EXPECT_EQ(boxText(), "Error: (Unable To Log Transaction (48)) attempting to frame the update transaction on "
                       "LINKAR.  Update transaction cancelled.");
  ASSERT_TRUE(m_driver.answer("OK"));
  ASSERT_EQ(boxTitle(), "Record Update Error");

  // The other process lets go; trying again writes the change.
  meet.signal();
  ASSERT_EQ(child.wait(static_cast<int>(kPatienceMs)), 0);
  ASSERT_TRUE(m_driver.answer("Yes"));
  EXPECT_EQ(box(), nullptr);
  EXPECT_EQ(m_driver.find("UPDATELINKAR$QUICKWINDOW"), nullptr);
  EXPECT_EQ(descriptionOnDisk("http://alpha.example/"), "After the wait");
}

TEST_F(UpdateForms, ACategoryDeletedByAnotherProcessIsReportedAndOfferedAgain) {
  int response = 0;
  const int thread = startCategoryForm("Press", kRequestDelete, &response);
  ASSERT_EQ(boxTitle(thread), "Confirm Delete");
  ASSERT_EQ(test::runInChild(
                [] {
                  storage::fileOpen(Categories, kCheckOpenMode);
                  runtime::assignFixed(CAT().Category, sizeof CAT().Category, "Press");
                  storage::fileGet(Categories, CAT_K_CATEGORY);
                  storage::fileDelete(Categories);
                  return runtime::errorCode();
                },
                static_cast<int>(kPatienceMs)),
            0);
  ASSERT_TRUE(m_driver.answer("OK", thread));
  for (const char* answer : {"Yes", "No"}) {
    ASSERT_EQ(boxTitle(thread), "Delete Operation Error") << answer;
    EXPECT_EQ(boxText(thread).rfind("An error (", 0), 0u) << boxText(thread);
    EXPECT_NE(boxText(thread).find("when attempting to delete a record from the file Categories."), std::string::npos);
    EXPECT_TRUE(noTransactionOpen());
    ASSERT_TRUE(m_driver.answer("OK", thread));
    ASSERT_EQ(boxTitle(thread), "Record Update Error");
    EXPECT_EQ(boxText(thread), "An error was experienced deleting this record.  Do you want to try to save again?");
    ASSERT_TRUE(m_driver.answer(answer, thread));
  }
  EXPECT_EQ(response, kResponseCancelled);
  // The sites of the category another process deleted are left alone.
  EXPECT_EQ(sitesOnDisk().size(), m_sites.size());
}

}  // namespace
}  // namespace linkar::app::test_browse
