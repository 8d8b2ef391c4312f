// The plain-text import and the free-text address scan end to end, each
// file run through the procedure under its progress window.
#include "tests/transfer/transfer_fixture.h"

namespace linkar::transfer::test_import {
namespace {

class ImportText : public ImportFixture {
 protected:
  std::vector<StoredSite> importAscii(const std::string& text) {
    EXPECT_EQ(import(ImportASCII, write("list.txt", text)), app::kResponseCompleted);
    return storedSites();
  }
  std::vector<StoredSite> importOther(const std::string& text) {
    EXPECT_EQ(import(ImportOther, write("notes.txt", text)), app::kResponseCompleted);
    return storedSites();
  }
};

TEST_F(ImportText, QuotedLinesGiveOneSiteEachAsTheFormatSays) {
  std::vector<StoredSite> sites = importAscii(
      "\"http://a.b/\",\"A B\",\"mirror of b\"\n"
      "no quotes here\n"
      "\"only one field\"\n"
      "\"a\" , \"b\"\n"
      "\"mailto:x\",\"x\"\n"
      "\"#top\",\"x\"\n"
      "\"u\",\"d\n"
      "\"v\",\"e\",\"\n"
      "junk before \"http://w/\",\"W\",\"  kept blanks\" and after\n"
      "\"\",\"blank one\"\n"
      "\"\",\"blank two\"\n"
      "\"HTTP://A.B/\",\"duplicate\"\n");
  EXPECT_EQ(sites, (std::vector<StoredSite>{
                       {"", "blank one", "NEW", "?", ""},
                       {"", "blank two", "NEW", "?", ""},
                       {"http://a.b/", "A B", "NEW", "http", "mirror of b"},
                       {"http://w/", "W", "NEW", "http", "  kept blanks"},
                       {"mailto:x", "x", "NEW", "?", ""},
                       {"u", "d", "NEW", "?", ""},
                       {"v", "e", "NEW", "?", ""},
                   }));
  EXPECT_EQ(lastImportCounts().duplicates, 1);
  EXPECT_TRUE(storedCategories().empty());
}

TEST_F(ImportText, AChosenCategoryAndLongLinesAndCuts) {
  categoryLookups().selectCategories = [] {
    runtime::assignFixed(app::CAT().Category, sizeof app::CAT().Category, "Reading");
    app::SharedResponse = app::kResponseCompleted;
  };
  std::string longInfo(700, 'i');
  std::vector<StoredSite> sites =
      importAscii("\"http://long/\",\"" + std::string(59, 'd') + "ж\",\"" + longInfo + "\"\r\n");
  ASSERT_EQ(sites.size(), 1u);
  EXPECT_EQ(sites[0].category, "Reading");
  EXPECT_EQ(sites[0].description, std::string(59, 'd'));
  EXPECT_EQ(sites[0].siteInfo, std::string(500, 'i'));
}

TEST_F(ImportText, TheScanFindsEveryAddressInTheOrderWritten) {
  std::vector<StoredSite> sites = importOther(
      "see ftp://f.example/pub, then http://h.example/a?b=1&c=%20#top for more\n"
      "HTTP://CAPS.example/ is no trigger, but A HREF=\"http://anchor.example/\">Anchor</a> after\n"
      "<a href=\"relative.html\">rel</a> gopher://g.example<end\n"
      "tab\thttp://t.example\tafter tab\n"
      "again http://h.example/a?b=1&c=%20#top\n");
  EXPECT_EQ(sites, (std::vector<StoredSite>{
                       {"ftp://f.example/pub", "then http://h.example/a?b=1&c=%20#top for more", "NEW", "ftp",
                        "then http://h.example/a?b=1&c=%20#top for more"},
                       {"gopher://g.example", "end", "NEW", "gopher", "end"},
                       {"http://anchor.example/", "Anchor", "NEW", "http", "after"},
                       {"http://h.example/a?b=1&c=%20#top", "for more", "NEW", "http", "for more"},
                       {"http://t.example", "after tab", "NEW", "http", "after tab"},
                   }));
  EXPECT_EQ(lastImportCounts().duplicates, 1);
}

TEST_F(ImportText, AddressesEndAtCharactersThatCannotContinueThem) {
  std::vector<StoredSite> sites = importOther("x http://a.example/p_q~r(s)*[t]@u!v$w'y+z;=é|next\n"
                                              "news://n.example\"quoted\"\n");
  ASSERT_EQ(sites.size(), 2u);
  EXPECT_EQ(sites[0].location, "http://a.example/p_q~r(s)*[t]@u!v$w'y+z;=é");
  EXPECT_EQ(sites[0].description, "next");
  EXPECT_EQ(sites[1].location, "news://n.example");
  EXPECT_EQ(sites[1].description, "quoted\"");
}

TEST_F(ImportText, AFileOfOnlyDuplicatesAddsNothingAndCompletes) {
  std::string text = "http://one.example/ first\nhttp://two.example/ second\n";
  importOther(text);
  std::vector<StoredSite> first = storedSites();
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(importOther("HTTP://x is none\nhttp://ONE.example/ again\nhttp://two.example/\n"), first);
  EXPECT_EQ(lastImportCounts().added, 0);
  EXPECT_EQ(lastImportCounts().duplicates, 2);
}

}  // namespace
}  // namespace linkar::transfer::test_import
