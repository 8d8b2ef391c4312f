// The HTML import end to end: started as the frame starts it, its file
// chosen in the dialog, run under its progress window on the headless
// engine, and LINKAR and Categories read back afterwards.
#include <filesystem>

#include "tests/transfer/html_reference.h"

namespace linkar::transfer::test_import {
namespace {

namespace fs = std::filesystem;

class ImportHtml : public ImportFixture {
 protected:
  int32_t importText(const std::string& text) { return import(ImportHTML, write("bookmarks.htm", text)); }
  static std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  }
};

const StoredSite* siteAt(const std::vector<StoredSite>& sites, const std::string& location) {
  for (const StoredSite& s : sites)
    if (s.location == location) return &s;
  return nullptr;
}

TEST_F(ImportHtml, EverySampleFileStoresWhatAPlainReadingOfItsLinesFinds) {
  for (const auto& entry : fs::directory_iterator(LINKAR_SAMPLES_DIR "/bookmarks")) {
    if (entry.path().extension() != ".html") continue;
    SCOPED_TRACE(entry.path().filename().string());
    fs::remove(m_dir.file("LINKAR.SDF"));
    fs::remove(m_dir.file("CATEGORIES.SDF"));
    std::string text = test::readWholeFile(entry.path().string());
    ReferenceResult expected = readHtmlByReference(text);
    ASSERT_EQ(import(ImportHTML, entry.path().string()), app::kResponseCompleted);
    EXPECT_EQ(storedSites(), expected.sites);
    EXPECT_EQ(sorted(storedCategories()), sorted(expected.categories));
    EXPECT_EQ(lastImportCounts().added, static_cast<int64_t>(expected.sites.size()));
  }
}

TEST_F(ImportHtml, ASampleExportReadsAsItsAuthorWroteIt) {
  // Checked by eye against the file: long icon lines, references, folders.
  ASSERT_EQ(import(ImportHTML, LINKAR_SAMPLES_DIR "/bookmarks/chrome-style-synthetic-utf8.html"),
            app::kResponseCompleted);
  std::vector<StoredSite> sites = storedSites();
  const StoredSite* wiki = siteAt(sites, "https://ru.wikipedia.org/wiki/Закладка");
  ASSERT_NE(wiki, nullptr);
  EXPECT_EQ(wiki->description, "Закладка — Википедия");
  EXPECT_EQ(wiki->category, "Bookmarks bar");
  EXPECT_EQ(wiki->keyword, "https");
  EXPECT_EQ(wiki->rating, 0);
  const StoredSite* quoted = siteAt(sites, "https://www.example.com/a?x=1&y=2&z=3");
  ASSERT_NE(quoted, nullptr);
  EXPECT_EQ(quoted->description, "AT&T <Home> 'quoted' \"too\"");
  EXPECT_EQ(quoted->category, "Development too");  // the heading cut to 15
  const StoredSite* mail = siteAt(sites, "mailto:someone@example.org");
  ASSERT_NE(mail, nullptr);
  EXPECT_EQ(mail->keyword, "?");
  EXPECT_EQ(mail->category, "Other bookmarks");
  EXPECT_EQ(siteAt(sites, "relative/page.html"), nullptr);
  // Two addresses that differ in letter case: the first one stays.
  ASSERT_NE(siteAt(sites, "https://doc.qt.io/qt-6/qmdiarea.html"), nullptr);
  EXPECT_EQ(siteAt(sites, "https://Doc.Qt.io/qt-6/QMdiArea.html"), nullptr);
  for (const StoredSite& s : sites) EXPECT_EQ(s.description.find("ICON="), std::string::npos) << s;
  EXPECT_EQ(sorted(storedCategories()),
            sorted({"Bookmarks bar", "Development too", "Other bookmarks"}));
}

TEST_F(ImportHtml, TheWorkedExampleAndTwoAnchorsOnALine) {
  ASSERT_EQ(importText("<DT><H3 ADD_DATE=\"2\">Tools</H3>\n"
                       "<DT><A HREF=\"http://a.b/\" ADD_DATE=\"1\">A B</A> site\n"
                       "<a href=\"http://x/\">X</a> and <a href=\"ftp://y/\">Y</a>\n"
                       "<a href=\"page.html\">rel</a><a href=\"mailto:me\">M</a>\n"),
            app::kResponseCompleted);
  EXPECT_EQ(storedSites(), (std::vector<StoredSite>{
                               {"ftp://y/", "Y", "Tools", "ftp", ""},
                               {"http://a.b/", "A B", "Tools", "http", "site"},
                               {"http://x/", "X", "Tools", "http", "and <a href=\"ftp://y/\">Y</a>"},
                               {"mailto:me", "M", "Tools", "?", ""},
                           }));
  EXPECT_EQ(storedCategories(), std::vector<std::string>{"Tools"});
}

TEST_F(ImportHtml, ReferencesAreDecodedButARawAmpersandStays) {
  ASSERT_EQ(importText("<h2>R&amp;D &#8212; &#x41;&nbsp;B</h2>\n"
                       "<a href=\"http://q/?a=1&center=2&amp;b=3\">Tom&#39;s &lt;b&gt; &copy; &#xZZ; &#0;</a>"
                       " &quot;x&quot;\n"),
            app::kResponseCompleted);
  std::vector<StoredSite> sites = storedSites();
  ASSERT_EQ(sites.size(), 1u);
  EXPECT_EQ(sites[0].location, "http://q/?a=1&center=2&b=3");
  EXPECT_EQ(sites[0].description, "Tom's <b> &copy; &#xZZ; &#0;");
  EXPECT_EQ(sites[0].siteInfo, "\"x\"");
  EXPECT_EQ(sites[0].category, "R&D \xE2\x80\x94 A B");
}

TEST_F(ImportHtml, CutsEndBeforeAnIncompleteCharacter) {
  // 59 ASCII bytes and a two-byte letter: the description keeps 59 bytes.
  std::string title = std::string(59, 'd') + "é";
  std::string heading = std::string(14, 'h') + "é" + "tail";
  std::string location = "http://x/" + std::string(118, 'p') + "€";  // 130 bytes
  ASSERT_EQ(importText("<h1>" + heading + "</h1>\n<a href=\"" + location + "\">" + title + "</a>\n"),
            app::kResponseCompleted);
  std::vector<StoredSite> sites = storedSites();
  ASSERT_EQ(sites.size(), 1u);
  EXPECT_EQ(sites[0].description, std::string(59, 'd'));
  EXPECT_EQ(sites[0].category, std::string(14, 'h'));
  EXPECT_EQ(sites[0].location, "http://x/" + std::string(118, 'p'));
  EXPECT_EQ(lastImportCounts().addressesCut, 1);
}

TEST_F(ImportHtml, SeparatorsKeepTheFolderAndOnlyRealHeadingsSetIt) {
  ASSERT_EQ(importText("<DT><H3 ADD_DATE=\"1\">Folder</H3>\n"
                       "<DT><A HREF=\"http://one/\">1</A>\n"
                       "    <HR>    <DT><A HREF=\"http://two/\">2</A>\n"
                       "<hr>\n"
                       "<h3 add_date=\"1\">lower add</h3>\n"
                       "<DT><A HREF=\"http://three/\">3</A>\n"
                       "<H7>not one</H7><a href=\"http://four/\">4</a>\n"),
            app::kResponseCompleted);
  for (const StoredSite& s : storedSites()) EXPECT_EQ(s.category, "Folder") << s;
}

TEST_F(ImportHtml, ATagThatDoesNotEndOnItsLineLeavesNoAttributeText) {
  ASSERT_EQ(importText("<DT><A HREF=\"http://wrapped/\" ADD_DATE=\"1\"\n"
                       "   TAGS=\"a,b\">Wrapped title</A>\n"
                       "<DT><A HREF=\"http://open/\">Open anchor\n"
                       "continues</A> here\n"),
            app::kResponseCompleted);
  std::vector<StoredSite> sites = storedSites();
  ASSERT_EQ(sites.size(), 2u);
  EXPECT_EQ(sites[0].location, "http://open/");
  EXPECT_EQ(sites[0].description, "Open anchor");
  EXPECT_EQ(sites[0].siteInfo, "");
  EXPECT_EQ(sites[1].location, "http://wrapped/");
  EXPECT_EQ(sites[1].description, "");
  EXPECT_EQ(sites[1].siteInfo, "");
}

// Hand-written pages leave quotes out or use single ones: the target is
// still the attribute's value, never "href=..." or the markup after it.
TEST_F(ImportHtml, TargetsWithoutQuotesOrInSingleQuotesAreTheirValues) {
  ASSERT_EQ(importText("<p><a href=http://bare.example/x?a=1&b=2>Bare</a> site one\n"
                       "<a class=x href = 'https://single.example/'>Single</a> two\n"
                       "<a href=https://end.example/\n"
                       "<a href=page.html>relative</a> <a HREF=\"http://quoted.example/\">Quoted</a>\n"),
            app::kResponseCompleted);
  std::vector<StoredSite> sites = storedSites();
  ASSERT_EQ(sites.size(), 4u);
  EXPECT_EQ(sites[0].location, "http://bare.example/x?a=1&b=2");
  EXPECT_EQ(sites[0].description, "Bare");
  EXPECT_EQ(sites[0].siteInfo, "site one");
  EXPECT_EQ(sites[1].location, "http://quoted.example/");
  EXPECT_EQ(sites[1].description, "Quoted");
  EXPECT_EQ(sites[2].location, "https://end.example/");
  EXPECT_EQ(sites[2].description, "");
  EXPECT_EQ(sites[3].location, "https://single.example/");
  EXPECT_EQ(sites[3].description, "Single");
  EXPECT_EQ(sites[3].siteInfo, "two");
}

TEST_F(ImportHtml, LineEndsByteOrderMarkLetterCaseAndLongIconLines) {
  std::string icon(20000, 'Q');
  std::string crlf = "\xEF\xBB\xBF<DT><H3 ADD_DATE=\"1\">Bar</H3>\r\n"
                     "<dt><a href=\"https://crlf/\" ICON=\"data:image/png;base64," + icon + "\">CR LF</a>\r\n"
                     "<DT><A HREF=\"https://last/\">No line end</A>";
  ASSERT_EQ(importText(crlf), app::kResponseCompleted);
  EXPECT_EQ(storedSites(), (std::vector<StoredSite>{{"https://crlf/", "CR LF", "Bar", "https", ""},
                                                   {"https://last/", "No line end", "Bar", "https", ""}}));
}

TEST_F(ImportHtml, ALineLongerThanTheRecordIsCutAndItsTagLeftBlank) {
  std::string icon(70000, 'Q');
  ASSERT_EQ(importText("<A HREF=\"https://huge/\" ICON=\"" + icon + "\">Huge</A>\n<A HREF=\"https://next/\">Next</A>\n"),
            app::kResponseCompleted);
  EXPECT_EQ(storedSites(), (std::vector<StoredSite>{{"https://huge/", "", "NEW", "https", ""},
                                                   {"https://next/", "Next", "NEW", "https", ""}}));
}

TEST_F(ImportHtml, ASecondImportOfTheSameFileAddsNothingAndCompletes) {
  std::string path = LINKAR_SAMPLES_DIR "/bookmarks/firefox-anonymized-reserialized.html";
  ASSERT_EQ(import(ImportHTML, path), app::kResponseCompleted);
  std::vector<StoredSite> first = storedSites();
  std::vector<std::string> categories = storedCategories();
  int64_t added = lastImportCounts().added;
  ASSERT_GT(added, 50);
  ASSERT_EQ(import(ImportHTML, path), app::kResponseCompleted);
  EXPECT_EQ(lastImportCounts().added, 0);
  EXPECT_EQ(lastImportCounts().duplicates, added);
  EXPECT_EQ(lastImportCounts().newCategories, 0);
  EXPECT_EQ(storedSites(), first);
  EXPECT_EQ(storedCategories(), categories);
}

TEST_F(ImportHtml, AChosenCategoryAppliesToEverySiteAndAddsNoCategory) {
  categoryLookups().selectCategory = [] {
    runtime::assignFixed(app::CAT().Category, sizeof app::CAT().Category, "Picked");
    app::SharedResponse = app::kResponseCompleted;
  };
  ASSERT_EQ(importText("<H1>Heading</H1>\n<a href=\"http://a/\">a</a>\n"), app::kResponseCompleted);
  ASSERT_EQ(storedSites().size(), 1u);
  EXPECT_EQ(storedSites()[0].category, "Picked");
  EXPECT_TRUE(storedCategories().empty());
}

TEST_F(ImportHtml, AnEmptyFileEndsAtOnceCancelled) {
  EXPECT_EQ(importText(""), app::kResponseCancelled);
  EXPECT_TRUE(storedSites().empty());
}

TEST_F(ImportHtml, ACancelledFileDialogReadsNothing) {
  app::SharedResponse = 0;
  m_driver.start(ImportHTML, app::kTransferStack);
  ASSERT_TRUE(m_driver.cancelFileDialog());
  EXPECT_EQ(app::SharedResponse, app::kResponseCancelled);
  EXPECT_TRUE(m_driver.windows().empty());
  EXPECT_FALSE(fs::exists(m_dir.file("LINKAR.SDF")));
}

TEST_F(ImportHtml, CancelInTheMiddleKeepsTheSitesSoFar) {
  std::string text;
  for (int i = 0; i < 400; ++i) text += "<DT><A HREF=\"http://site" + std::to_string(i) + "/\">Site</A>\n";
  int thread = startWith(ImportHTML, write("many.htm", text));
  (void)thread;
  EXPECT_FALSE(m_driver.run(3));  // three portions of about 1000 bytes
  ui::Window* progress = m_driver.find("IMPORTHTML$PROGRESSWINDOW");
  ASSERT_NE(progress, nullptr);
  EXPECT_EQ(progress->title(), "Processing Records");
  EXPECT_EQ(ui::TestDriver::text(*progress, "ActivityText"), "Reading File");
  std::string percent = ui::TestDriver::text(*progress, "PercentText");
  EXPECT_TRUE(percent.ends_with("% Completed")) << percent;
  ASSERT_TRUE(m_driver.press(*progress, "Cancel"));
  EXPECT_EQ(app::SharedResponse, app::kResponseCancelled);
  EXPECT_TRUE(m_driver.windows().empty());
  size_t kept = storedSites().size();
  EXPECT_GT(kept, 40u);
  EXPECT_LT(kept, 400u);
}

TEST_F(ImportHtml, TheFramesMenuStartsItAndShowsTheSummary) {
  registerProcedures();
  std::string path = write("menu.htm", "<a href=\"http://m/\">m</a>\n");
  m_driver.startProgram(app::Main);
  ASSERT_TRUE(m_driver.pressMenu("&File|&Import|from &HTML"));
  ASSERT_TRUE(m_driver.chooseFile(path));
  ui::Window* frame = m_driver.find("Linkar");
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->statusText(1), "imported 1 site, 0 already stored, 0 new categories, 0 addresses longer than "
                                  "128 bytes cut");
  EXPECT_EQ(storedSites().size(), 1u);
}

}  // namespace
}  // namespace linkar::transfer::test_import
