// The export command of the program, run as a person runs it from a shell:
// each sample bookmark file imported, exported, the page read by Python's
// HTML parser and imported again into empty files; the exit codes.
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"
#include "tests/transfer/transfer_fixture.h"
#include "transfer/field_text.h"

namespace linkar::transfer::test_import {
namespace {

namespace fs = std::filesystem;

using test::CommandRun;

class ExportCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    m_program = fs::path(LINKAR_TOOLS_DIR).parent_path() / "app" / "main" / "linkar";
    if (!fs::exists(m_program)) GTEST_SKIP() << "the program is not built: " << m_program;
  }

  CommandRun shell(const std::string& command) { return test::runInFolder(command, m_dir.path()); }
  CommandRun run(const std::string& args) { return shell(test::shellQuoted(m_program.string()) + " " + args); }

  // The page's list items as Python's HTML parser reads them: target ->
  // text, each target once; `headings` gets the heading anchors.
  std::map<std::string, std::string> itemsOf(const std::string& page, int* headings) {
    CommandRun r = shell("python3 '" LINKAR_SOURCE_DIR "/tests/transfer/export_page_items.py' '" + page + "'");
    EXPECT_EQ(r.status, 0) << r.output;
    std::map<std::string, std::string> items;
    *headings = 0;
    std::istringstream lines(r.output);
    std::string line;
    bool ended = false;
    while (std::getline(lines, line)) {
      size_t tab = line.find('\t');
      size_t second = line.find('\t', tab + 1);
      std::string kind = line.substr(0, tab);
      if (kind == "ERRORS") {
        EXPECT_EQ(line, "ERRORS\t0");
        ended = true;
      } else if (kind == "HEADING") {
        ++*headings;
      } else {
        EXPECT_TRUE(items.emplace(line.substr(tab + 1, second - tab - 1), line.substr(second + 1)).second)
            << "a site listed twice: " << line;
      }
    }
    EXPECT_TRUE(ended) << "the parser did not finish";
    return items;
  }

  // Every stored site: location -> the text its list item shows.
  static std::map<std::string, std::string> shownSites(const std::vector<StoredSite>& sites) {
    std::map<std::string, std::string> out;
    for (const StoredSite& s : sites)
      out[s.location] = s.description.empty() ? std::string(cutToWidth(s.location, kDescriptionWidth)) : s.description;
    return out;
  }

  test::TempDir m_dir;
  fs::path m_program;
};

TEST_F(ExportCommand, EverySampleFileSurvivesAnExportAndAnImportOfThePage) {
  if (shell("python3 -c 'import html.parser'").status != 0) GTEST_SKIP() << "python3 is not installed";
  int samples = 0;
  for (const auto& entry : fs::directory_iterator(LINKAR_SAMPLES_DIR "/bookmarks")) {
    if (entry.path().extension() != ".html") continue;
    const std::string name = entry.path().stem().string();
    SCOPED_TRACE(name);
    ++samples;
    fs::create_directory(m_dir.file(name));
    fs::create_directory(m_dir.file(name + "/again"));
    ASSERT_EQ(run("import html '" + entry.path().string() + "' --data " + name).status, 0);
    std::vector<StoredSite> stored;
    {
      test::CurrentDirectoryScope here(m_dir.file(name));
      stored = storedSites();
    }
    ASSERT_FALSE(stored.empty());
    const std::string page = name + ".htm";
    CommandRun exported = run("export " + page + " --data " + name);
    EXPECT_EQ(exported.status, 0);
    int headings = 0;
    std::map<std::string, std::string> items = itemsOf(m_dir.file(page), &headings);
    EXPECT_EQ(items, shownSites(stored));
    EXPECT_EQ(exported.output, "exported " + std::to_string(stored.size()) + " sites in " + std::to_string(headings) +
                                (headings == 1 ? " category" : " categories") + " to " + page + "\n");

    ASSERT_EQ(run("import html " + page + " --data " + name + "/again").status, 0);
    test::CurrentDirectoryScope here(m_dir.file(name + "/again"));
    std::vector<StoredSite> again = storedSites();
    EXPECT_EQ(shownSites(again), shownSites(stored));
  }
  EXPECT_GE(samples, 3);
}

TEST_F(ExportCommand, ExitCodesAndTheSummaryLine) {
  fs::create_directory(m_dir.file("data"));
  std::string page = m_dir.file("page.htm");
  // Nothing stored: the page holds only its head and end, and the run
  // counts as not done, as an import of an empty file does.
  CommandRun empty = run("export page.htm --data data");
  EXPECT_EQ(empty.status, 1);
  EXPECT_EQ(empty.output, "exported 0 sites in 0 categories to page.htm\n");
  EXPECT_NE(test::readWholeFile(page).find("</body></html>\r\n"), std::string::npos);

  ASSERT_TRUE(test::writeWholeFile(m_dir.file("one.htm"), "<h1>Tools</h1>\n<a href=\"http://t/\">T</a>\n"));
  ASSERT_EQ(run("import html one.htm --data data").status, 0);
  CommandRun one = run("export page.htm --data data");
  EXPECT_EQ(one.status, 0);
  EXPECT_EQ(one.output, "exported 1 site in 1 category to page.htm\n");

  const std::string before = test::readWholeFile(page);
  CommandRun nowhere = run("export missing/page.htm --data data");
  EXPECT_EQ(nowhere.status, 1);
  EXPECT_EQ(nowhere.output, "");
  EXPECT_EQ(run("export --data data").status, 1);
  EXPECT_EQ(run("export a.htm b.htm --data data").status, 1);
  EXPECT_EQ(run("export page.htm --data no-such-folder").status, 1);
  EXPECT_EQ(test::readWholeFile(page), before);
}

}  // namespace
}  // namespace linkar::transfer::test_import
