// "linkar report ... --pdf FILE" run as a person runs it from a shell: the
// PDF's text holds the title, the headings and every site, the summary
// names what was printed, and empty data, bad arguments and a folder that
// is not there exit 1 without leaving a PDF behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/app/browse_fixture.h"
#include "tests/support/child_process.h"

namespace linkar::reports {
namespace {

using app::test_browse::Site;
namespace fs = std::filesystem;

using test::CommandRun;

// Text without any white space, and with the typographic ligatures a PDF's
// text may carry spelled out, so that a site's text can be looked for in it.
std::string plain(const std::string& text) {
  static const std::pair<std::string, std::string> kLigatures[] = {
      {"\xEF\xAC\x80", "ff"}, {"\xEF\xAC\x81", "fi"}, {"\xEF\xAC\x82", "fl"}, {"\xEF\xAC\x83", "ffi"}, {"\xEF\xAC\x84", "ffl"}};
  std::string out;
  for (size_t i = 0; i < text.size();) {
    bool replaced = false;
    for (const auto& [from, to] : kLigatures) {
      if (text.compare(i, from.size(), from) == 0) {
        out += to;
        i += from.size();
        replaced = true;
        break;
      }
    }
    if (replaced) continue;
    if (!std::isspace(static_cast<unsigned char>(text[i]))) out += text[i];
    ++i;
  }
  return out;
}

class ReportCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    m_program = fs::path(LINKAR_TOOLS_DIR).parent_path() / "app" / "main" / "linkar";
    if (!fs::exists(m_program)) GTEST_SKIP() << "the program is not built: " << m_program;
    if (test::runInFolder("command -v pdftotext >/dev/null").status != 0) GTEST_SKIP() << "pdftotext is not installed";
  }

  CommandRun linkar(const std::string& args) {
    return test::runInFolder(test::shellQuoted(m_program.string()) + " " + args, m_dir.path());
  }

  int pdfPages(const std::string& pdf) {
    const std::string info = test::runInFolder("pdfinfo '" + m_dir.file(pdf) + "'").output;
    const size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
  }

  std::string pdfText(const std::string& pdf) { return test::runInFolder("pdftotext '" + m_dir.file(pdf) + "' -").output; }

  void writeSites(const std::string& folder, const std::vector<Site>& sites) {
    fs::create_directories(m_dir.file(folder));
    test::CurrentDirectoryScope here(m_dir.file(folder));
    storage::fileCreate(app::LINKAR);
    storage::fileOpen(app::LINKAR, app::kCheckOpenMode);
    ASSERT_EQ(runtime::errorCode(), 0) << runtime::errorText();
    for (const Site& s : sites) ASSERT_EQ(app::test_browse::addSite(s), 0) << s.location;
    storage::fileClose(app::LINKAR);
  }

  test::TempDir m_dir;
  fs::path m_program;
};

TEST_F(ReportCommand, ThePdfHoldsTheTitleTheHeadingsAndEverySite) {
  std::vector<Site> sites;
  for (int i = 0; i < 60; ++i)
    sites.push_back({"https://site" + std::to_string(i) + ".example.org/path/" + std::to_string(i * 37),
                     "Description of site " + std::to_string(i), i % 2 ? "Reading" : "Tools", i % 4,
                     i % 3 ? "https" : "web"});
  writeSites("data", sites);
  CommandRun r = linkar("report description --pdf out.pdf --data data");
  EXPECT_EQ(r.status, 0);
  // 60 two-line bands, 17 to a page.
  EXPECT_EQ(r.output, "printed 60 sites on 4 pages to out.pdf\n");
  const std::string text = plain(pdfText("out.pdf"));
  ASSERT_FALSE(text.empty());
  for (const char* wanted : {"ReportLocationsbyDescription", "Location", "Description", "Category", "Rating", "Keyword"})
    EXPECT_NE(text.find(wanted), std::string::npos) << wanted;
  for (const Site& s : sites) EXPECT_NE(text.find(plain(s.location)), std::string::npos) << s.location;
  EXPECT_EQ(pdfPages("out.pdf"), 4);
}

TEST_F(ReportCommand, TheCategoriesListingSaysCategories) {
  fs::create_directories(m_dir.file("d"));
  {
    test::CurrentDirectoryScope here(m_dir.file("d"));
    storage::fileCreate(app::Categories);
    storage::fileOpen(app::Categories, app::kCheckOpenMode);
    for (const char* name : {"Tools", "Reading"}) {
      runtime::assignFixed(app::CAT().Category, sizeof app::CAT().Category, name);
      storage::fileAdd(app::Categories);
    }
    storage::fileClose(app::Categories);
  }
  CommandRun r = linkar("report categories --data d --pdf c.pdf");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.output, "printed 2 categories on 1 page to c.pdf\n");
  const std::string text = plain(pdfText("c.pdf"));
  EXPECT_NE(text.find("PrintCategories"), std::string::npos);
  EXPECT_LT(text.find("Reading"), text.find("Tools"));
}

TEST_F(ReportCommand, NothingToPrintAndBadArgumentsExitOneWithoutAPdf) {
  writeSites("empty", {});
  EXPECT_EQ(linkar("report location --pdf e.pdf --data empty").status, 1);
  EXPECT_FALSE(fs::exists(m_dir.file("e.pdf")));
  EXPECT_EQ(linkar("report location --pdf e.pdf --data missing").status, 1);
  EXPECT_FALSE(fs::exists(m_dir.file("e.pdf")));
  EXPECT_EQ(linkar("report location").status, 1);
  EXPECT_EQ(linkar("report everything --pdf e.pdf").status, 1);
  EXPECT_EQ(linkar("report location --pdf no/such/folder/e.pdf").status, 1);
  EXPECT_FALSE(fs::exists(m_dir.file("e.pdf")));
}

}  // namespace
}  // namespace linkar::reports
