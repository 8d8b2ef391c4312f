// The report page engine end to end: reports of the program's catalogue and
// of a small test structure are printed through the engine, and every page
// file it writes is read back by a reader of this test's own (placeable
// header, checksum, every record's size, the texts and where they are).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/catalogue.h"
#include "reports/report.h"
#include "runtime/expr_symbols.h"
#include "runtime/expr_value.h"
#include "tests/support/temp_dir.h"
#include "ui/headless/test_driver.h"
#include "ui/printer.h"

namespace linkar::reports {
namespace {

// ---- an independent page-file reader ----

struct PageText {
  std::string text;
  int x = 0, y = 0;
};

struct ReadPage {
  bool ok = false;
  std::string why;
  int left = 0, top = 0, right = 0, bottom = 0, unitsPerInch = 0;
  int windowOrgX = 0, windowOrgY = 0, windowExtX = 0, windowExtY = 0;
  std::vector<PageText> texts;
  std::vector<std::vector<int>> comments;   // subtype, then values
  int records = 0;

  std::vector<std::string> allTexts() const {
    std::vector<std::string> out;
    for (const auto& t : texts) out.push_back(t.text);
    return out;
  }
  bool has(const std::string& text) const {
    for (const auto& t : texts)
      if (t.text == text) return true;
    return false;
  }
  std::optional<PageText> find(const std::string& text) const {
    for (const auto& t : texts)
      if (t.text == text) return t;
    return std::nullopt;
  }
};

unsigned le16(const std::string& b, size_t at) {
  return static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8;
}
int s16(const std::string& b, size_t at) { return static_cast<int16_t>(le16(b, at)); }
unsigned long le32(const std::string& b, size_t at) { return le16(b, at) | static_cast<unsigned long>(le16(b, at + 2)) << 16; }

ReadPage readPage(const std::string& path) {
  ReadPage page;
  std::string b = test::readWholeFile(path);
  auto fail = [&](std::string why) {
    page.why = path + ": " + why;
    return page;
  };
  if (b.size() < 22 + 18) return fail("too short");
  if (le32(b, 0) != 0x9AC6CDD7UL) return fail("key");
  unsigned sum = 0;
  for (size_t i = 0; i < 10; ++i) sum ^= le16(b, 2 * i);
  if (sum != le16(b, 20)) return fail("checksum");
  if (le16(b, 4) != 0 || le32(b, 16) != 0) return fail("handle or reserved not zero");
  page.left = s16(b, 6), page.top = s16(b, 8), page.right = s16(b, 10), page.bottom = s16(b, 12);
  page.unitsPerInch = static_cast<int>(le16(b, 14));
  // Metafile header record: type, header size 9 words, version, total size.
  if (le16(b, 24) != 9) return fail("metafile header size");
  if (le32(b, 28) * 2 != b.size() - 22) return fail("metafile total size");
  unsigned long maxRecord = le32(b, 34);
  size_t at = 22 + 18;
  bool ended = false;
  while (at + 6 <= b.size()) {
    unsigned long words = le32(b, at);
    unsigned function = le16(b, at + 4);
    if (words < 3 || at + words * 2 > b.size()) return fail("record size at " + std::to_string(at));
    if (words > maxRecord) return fail("record larger than the header's largest");
    ++page.records;
    size_t p = at + 6;
    if (function == 0x0000) {
      ended = at + words * 2 == b.size();
      break;
    }
    if (function == 0x020B) page.windowOrgY = s16(b, p), page.windowOrgX = s16(b, p + 2);
    if (function == 0x020C) page.windowExtY = s16(b, p), page.windowExtX = s16(b, p + 2);
    if (function == 0x0521) {  // text: length, bytes (word-padded), y, x
      size_t n = le16(b, p);
      size_t after = p + 2 + n + (n & 1);
      if (after + 4 > at + words * 2) return fail("text record overruns its size");
      page.texts.push_back({b.substr(p + 2, n), s16(b, after + 2), s16(b, after)});
    }
    if (function == 0x0626 && le16(b, p) == 15) {  // comment escape
      size_t n = le16(b, p + 2);
      if (n >= 4 && le16(b, p + 4) == 0x0527) {
        std::vector<int> c{static_cast<int>(le16(b, p + 6))};
        for (size_t i = 8; i + 1 < 4 + n && i < 16; i += 2) c.push_back(s16(b, p + i));
        page.comments.push_back(c);
      }
    }
    at += words * 2;
  }
  if (!ended) return fail("no end record at the end");
  page.ok = true;
  return page;
}

// Collapses runs of blanks and trims: how a reader of the page sees a text.
std::string squeezed(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == ' ' && (out.empty() || out.back() == ' ')) continue;
    out.push_back(c);
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

// ---- fixture ----

// The temporary folder's page files.
std::set<std::string> pageFilesIn(const std::string& dir) {
  std::set<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n.rfind("VEL", 0) == 0 && n.size() > 4 && n.substr(n.size() - 4) == ".TMP") names.insert(dir + "/" + n);
    }
    closedir(d);
  }
  return names;
}

struct Site {
  std::string location, description, category, rating, keyword;
};

Site siteNumber(int i) {
  return {"http://site" + std::to_string(i) + ".example/", "Site number " + std::to_string(i),
          "Cat" + std::to_string(i % 7), std::to_string(i % 10), "kw" + std::to_string(i)};
}

class PageEngineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("TMPDIR");
    if (old) m_oldTmp = old;
    setenv("TMPDIR", m_dir.path().c_str(), 1);
    // Unequal resolutions and margins, so the header's square units show.
    m_metrics.dpiX = 600;
    m_metrics.dpiY = 300;
    m_metrics.printableWidth = 4800;
    m_metrics.printableHeight = 3150;
    m_metrics.marginLeft = 150;
    m_metrics.marginTop = 75;
    m_printer = std::make_unique<ui::RecordingPrinter>(m_metrics);
    ui::setPrinterDevice(m_printer.get());
  }
  void TearDown() override {
    ui::setPrinterDevice(nullptr);
    if (m_oldTmp.empty()) unsetenv("TMPDIR");
    else setenv("TMPDIR", m_oldTmp.c_str(), 1);
  }

  // The values of the listing's fields for the current site.
  FieldValues siteValues() {
    return [this](std::string_view use) -> std::optional<std::string> {
      std::map<std::string, std::string, std::less<>> v{{"URL:LOCATION", m_site.location},
                                                        {"URL:DESCRIPTION", m_site.description},
                                                        {"URL:CATEGORY", m_site.category},
                                                        {"URL:RATING", m_site.rating},
                                                        {"URL:KEYWORD", m_site.keyword}};
      auto it = v.find(use);
      if (it == v.end()) return std::nullopt;
      return it->second;
    };
  }

  // Prints sites 1..n of the location listing into a preview queue.
  void printListing(Report& report, PreviewQueue& queue, int n) {
    report.setFieldValues(siteValues());
    report.open(&queue);
    for (int i = 1; i <= n; ++i) {
      m_site = siteNumber(i);
      report.print();
    }
    report.endPage();
  }

  int pixelsY(int mils) const { return mils * m_metrics.dpiY / 1000; }
  int pixelsX(int mils) const { return mils * m_metrics.dpiX / 1000; }

  test::TempDir m_dir;
  std::string m_oldTmp;
  ui::PageMetrics m_metrics;
  std::unique_ptr<ui::RecordingPrinter> m_printer;
  Site m_site;
};

constexpr const char* kListing = "PRINTURL:K_LOCATION$REPORT";

TEST_F(PageEngineTest, ListingPagesAreWholePageFilesWithEverySiteHeadingsAndPageNumbers) {
  const ui::Structure* s = app::programCatalogue().find(kListing);
  ASSERT_NE(s, nullptr);
  // Bands per page from the structure: the detail area over the detail band.
  const ui::ControlDecl* detail = s->byUse("Detail");
  ASSERT_NE(detail, nullptr);
  int perPage = s->at.height / detail->at->height;
  const int n = 3 * perPage + 5;
  const int expectedPages = (n + perPage - 1) / perPage;

  Report report(app::programCatalogue(), {}, kListing);
  PreviewQueue queue;
  printListing(report, queue, n);
  ASSERT_EQ(static_cast<int>(queue.size()), expectedPages);
  EXPECT_EQ(report.pageCount(), expectedPages);
  EXPECT_EQ(pageFilesIn(m_dir.path()), std::set<std::string>(queue.begin(), queue.end()));

  int site = 1;
  for (int p = 0; p < expectedPages; ++p) {
    ReadPage page = readPage(queue[static_cast<size_t>(p)]);
    ASSERT_TRUE(page.ok) << page.why;
    // The paper in square units of the larger resolution.
    EXPECT_EQ(page.unitsPerInch, 600);
    EXPECT_EQ(page.left, 0);
    EXPECT_EQ(page.top, 0);
    EXPECT_EQ(page.right, 4800 + 2 * 150);
    EXPECT_EQ(page.bottom, (3150 + 2 * 75) * 600 / 300);
    EXPECT_EQ(page.windowOrgX, -150);
    EXPECT_EQ(page.windowOrgY, -75);
    EXPECT_EQ(page.windowExtX, 4800 + 300);
    EXPECT_EQ(page.windowExtY, 3150 + 150);
    // Heading and column titles on every page; the page number in the footer.
    EXPECT_TRUE(page.has(s->title)) << p;
    EXPECT_TRUE(page.has("Description"));
    EXPECT_TRUE(page.has("Keyword"));
    bool numbered = false;
    for (const auto& t : page.texts) numbered |= squeezed(t.text) == "Page " + std::to_string(p + 1);
    EXPECT_TRUE(numbered) << "page " << p + 1;
    // The sites in order, top-down from the detail area's top.
    int onThisPage = std::min(perPage, n - site + 1);
    for (int k = 0; k < onThisPage; ++k, ++site) {
      Site want = siteNumber(site);
      std::optional<PageText> loc, key;
      for (const auto& t : page.texts) {
        if (squeezed(t.text) == want.location) loc = t;
        if (squeezed(t.text) == want.keyword) key = t;
      }
      ASSERT_TRUE(loc && key) << "site " << site << " on page " << p + 1;
      int bandTop = s->at.y + k * detail->at->height;
      EXPECT_EQ(loc->y, pixelsY(bandTop + 50));
      EXPECT_EQ(loc->x, pixelsX(s->at.x + 50));
      EXPECT_EQ(key->y, pixelsY(bandTop + 230));
    }
  }
  EXPECT_EQ(site, n + 1);

  report.close();
  EXPECT_TRUE(pageFilesIn(m_dir.path()).empty());
  EXPECT_TRUE(queue.empty());
}

TEST_F(PageEngineTest, PageFilesAreOwnerOnlyDistinctAndGoneWhenAReportIsAbandoned) {
  PreviewQueue queue;
  {
    Report report(app::programCatalogue(), {}, kListing);
    printListing(report, queue, 60);
    ASSERT_GE(queue.size(), 3u);
    std::set<std::string> distinct(queue.begin(), queue.end());
    EXPECT_EQ(distinct.size(), queue.size());
    for (const auto& path : queue) {
      struct stat st {};
      ASSERT_EQ(stat(path.c_str(), &st), 0) << path;
      EXPECT_EQ(st.st_mode & 0777, 0600u) << path;
      EXPECT_EQ(path.rfind(m_dir.path() + "/VEL", 0), 0u) << path;
    }
    // Cancelled: the report goes away without CLOSE.
  }
  EXPECT_TRUE(pageFilesIn(m_dir.path()).empty());

  // Printing directly, an abandoned report ends its document with the pages
  // it had finished; the page in progress is dropped.
  const ui::Structure* s = app::programCatalogue().find(kListing);
  int perPage = s->at.height / s->byUse("Detail")->at->height;
  {
    Report report(app::programCatalogue(), {}, kListing);
    report.setFieldValues(siteValues());
    report.open();
    for (int i = 1; i <= perPage + 3; ++i) {
      m_site = siteNumber(i);
      report.print();
    }
  }
  EXPECT_EQ(m_printer->pages().size(), 1u);
  EXPECT_EQ(m_printer->documentsEnded(), 1);
  EXPECT_TRUE(pageFilesIn(m_dir.path()).empty());
}

TEST_F(PageEngineTest, APageRangeOutputsOnlyThosePagesWithTheirOwnNumbers) {
  const ui::Structure* s = app::programCatalogue().find(kListing);
  int perPage = s->at.height / s->byUse("Detail")->at->height;
  Report report(app::programCatalogue(), {}, kListing);
  report.setPageRange(2, 3);
  PreviewQueue queue;
  printListing(report, queue, 5 * perPage);
  ASSERT_EQ(queue.size(), 2u);
  EXPECT_EQ(report.pageNumber(), 6);
  for (int k = 0; k < 2; ++k) {
    ReadPage page = readPage(queue[static_cast<size_t>(k)]);
    ASSERT_TRUE(page.ok) << page.why;
    bool numbered = false;
    for (const auto& t : page.texts) numbered |= squeezed(t.text) == "Page " + std::to_string(k + 2);
    EXPECT_TRUE(numbered);
    // Page n holds the sites that follow page n-1's, as in the whole report.
    std::vector<std::string> seen;
    for (const auto& t : page.texts) seen.push_back(squeezed(t.text));
    for (int site : {(k + 1) * perPage + 1, (k + 2) * perPage})
      EXPECT_NE(std::find(seen.begin(), seen.end(), siteNumber(site).location), seen.end()) << site;
    EXPECT_EQ(std::find(seen.begin(), seen.end(), siteNumber((k + 2) * perPage + 1).location), seen.end());
  }
  report.close();
}

TEST_F(PageEngineTest, FlushPreviewPrintsTheQueueInOrderAndDirectPrintingLeavesNoFile) {
  Report report(app::programCatalogue(), {}, kListing);
  PreviewQueue queue;
  printListing(report, queue, 40);
  PreviewQueue shown = queue;
  report.setFlushPreview(1);   // still previewing: nothing is printed
  EXPECT_TRUE(m_printer->pages().empty());
  report.setPreviewing(false);
  report.setFlushPreview(1);
  EXPECT_EQ(m_printer->pages(), shown);
  ASSERT_EQ(m_printer->titles().size(), 1u);
  EXPECT_EQ(m_printer->titles()[0], "Print Locations");
  EXPECT_EQ(m_printer->documentsEnded(), 1);
  report.close();

  // Without a queue each page goes to the printer as it is finished.
  ui::RecordingPrinter direct(m_metrics);
  ui::setPrinterDevice(&direct);
  Report again(app::programCatalogue(), {}, kListing);
  again.setFieldValues(siteValues());
  again.open();
  for (int i = 1; i <= 40; ++i) {
    m_site = siteNumber(i);
    again.print();
  }
  again.close();
  EXPECT_EQ(static_cast<int>(direct.pages().size()), again.pageCount());
  EXPECT_EQ(direct.pages().size(), shown.size());
  EXPECT_EQ(direct.documentsEnded(), 1);
  EXPECT_TRUE(pageFilesIn(m_dir.path()).empty());
}

TEST_F(PageEngineTest, DetailFieldsShowTheBoundRecordFields) {
  // The listing's fields name the record's fields as the evaluator binds them.
  char location[20], keyword[10];
  runtime::VariableRef loc{location, runtime::kVarString, sizeof location};
  runtime::VariableRef key{keyword, runtime::kVarString, sizeof keyword};
  runtime::bindName("URL:LOCATION", loc);
  runtime::bindName("URL:KEYWORD", key);
  Report report(app::programCatalogue(), {}, kListing);
  PreviewQueue queue;
  report.open(&queue);
  for (std::string text : {std::string("http://a.example"), std::string("http://b.example")}) {
    std::string padded = text;
    padded.resize(sizeof location, ' ');
    std::copy(padded.begin(), padded.end(), location);
    std::string k = "kw-" + text.substr(7, 1);
    k.resize(sizeof keyword, ' ');
    std::copy(k.begin(), k.end(), keyword);
    report.print();
  }
  report.endPage();
  ASSERT_EQ(queue.size(), 1u);
  ReadPage page = readPage(queue[0]);
  ASSERT_TRUE(page.ok) << page.why;
  std::vector<std::string> seen;
  for (const auto& t : page.texts) seen.push_back(squeezed(t.text));
  for (const char* want : {"http://a.example", "http://b.example", "kw-a", "kw-b"})
    EXPECT_NE(std::find(seen.begin(), seen.end(), want), seen.end()) << want;
  report.close();
  runtime::resetSymbols();
}

// A structure of the test's own, with a form, and bands for the layout rules.
constexpr std::string_view kTestReports = R"(module TEST.vel$test01
report TEST$REPORT "Layout" at 1000 1000 6000 3000 font Arial 10
  header at 1000 500 6000 400 use PageHeader
    string "Heading" at 0 0 2000 200
  end
  detail at 0 0 6000 1000 use Detail
    string pic @s20 at 0 0 2000 200 use Name
  end
  detail at 0 0 6000 1000 use GroupStart
    string pic @s20 at 0 0 2000 200 use Name
  end
  detail at 0 0 6000 1000 use GroupEnd
    string pic @s20 at 0 0 2000 200 use Name
  end
  detail at 0 0 6000 300 use Note
    string pic @s20 at 0 0 2000 200 use Name
  end
  detail at 0 2500 6000 300 use Stamp
    string pic @s20 at 0 0 2000 200 use Name
  end
  detail at 0 0 6000 4000 use Tall
    string pic @s20 at 0 0 2000 200 use Name
  end
  footer at 1000 4200 6000 200 use PageFooter
    string pic "@pPage <<<#p" at 0 0 2000 200 use ReportPageNumber
  end
  form at 0 0 8000 5000 use PageForm
    box at 500 400 7000 4400
    string "FORM" at 600 4500 1000 200
  end
end
)";

class LayoutTest : public PageEngineTest {
 protected:
  void SetUp() override {
    PageEngineTest::SetUp();
    std::string error;
    m_catalogue = ui::Catalogue::parse(kTestReports, &error);
    ASSERT_TRUE(m_catalogue) << error;
    m_report = std::make_unique<Report>(*m_catalogue, std::string_view{}, "TEST$REPORT");
    m_report->setFieldValues([this](std::string_view) { return std::optional<std::string>(m_name); });
    BandFlags open, close, noSpace, absolute;
    open.group = GroupMark::Open;
    close.group = GroupMark::Close;
    noSpace.noSpace = true;
    absolute.absolute = true;
    m_report->setBandFlags("GroupStart", open);
    m_report->setBandFlags("GroupEnd", close);
    m_report->setBandFlags("Note", noSpace);
    m_report->setBandFlags("Stamp", absolute);
    m_report->open(&m_queue);
  }
  void TearDown() override {
    m_report.reset();
    PageEngineTest::TearDown();
  }
  void band(const std::string& use, const std::string& name) {
    m_name = name;
    m_report->print(use);
  }
  // Page (1-based) and y of each named band's text.
  std::map<std::string, std::pair<int, int>> where() {
    std::map<std::string, std::pair<int, int>> at;
    for (size_t p = 0; p < m_queue.size(); ++p) {
      ReadPage page = readPage(m_queue[p]);
      EXPECT_TRUE(page.ok) << page.why;
      for (const auto& t : page.texts) at[squeezed(t.text)] = {static_cast<int>(p) + 1, t.y};
    }
    return at;
  }
  int top(int k) const { return pixelsY(1000 + k * 1000); }   // k-th 1000-high slot of the detail area

  std::optional<ui::Catalogue> m_catalogue;
  std::unique_ptr<Report> m_report;
  PreviewQueue m_queue;
  std::string m_name;
};

TEST_F(LayoutTest, ABandThatDoesNotFitGoesToTheNextPageAndTheFormIsOnEveryPage) {
  for (int i = 1; i <= 4; ++i) band("Detail", "d" + std::to_string(i));
  m_report->endPage();
  ASSERT_EQ(m_queue.size(), 2u);
  auto at = where();
  EXPECT_EQ(at["d1"], std::make_pair(1, top(0)));
  EXPECT_EQ(at["d3"], std::make_pair(1, top(2)));
  EXPECT_EQ(at["d4"], std::make_pair(2, top(0)));
  for (const auto& path : m_queue) {
    ReadPage page = readPage(path);
    EXPECT_TRUE(page.has("FORM"));
    EXPECT_TRUE(page.has("Heading"));
  }
}

TEST_F(LayoutTest, AKeepTogetherGroupMovesWholeToTheNextPage) {
  band("Detail", "d1");
  band("Detail", "d2");
  band("GroupStart", "g1");
  band("Detail", "g2");
  band("GroupEnd", "g3");
  band("Detail", "d3");
  m_report->endPage();
  auto at = where();
  EXPECT_EQ(at["d2"], std::make_pair(1, top(1)));
  // Page 1 had room for g1 alone; the group keeps together on page 2.
  EXPECT_EQ(at["g1"], std::make_pair(2, top(0)));
  EXPECT_EQ(at["g3"], std::make_pair(2, top(2)));
  EXPECT_EQ(at["d3"], std::make_pair(3, top(0)));
}

TEST_F(LayoutTest, AnOuterGroupTallerThanAPageStillKeepsItsInnerGroupTogether) {
  band("GroupStart", "a1");
  band("GroupStart", "b1");
  band("Detail", "b2");
  band("GroupEnd", "b3");
  band("GroupEnd", "a2");
  m_report->endPage();
  auto at = where();
  // The outer group cannot fit any page: it starts on the empty first page,
  // and its inner group, which fits a page, moves whole to the next one.
  EXPECT_EQ(at["a1"], std::make_pair(1, top(0)));
  EXPECT_EQ(at["b1"], std::make_pair(2, top(0)));
  EXPECT_EQ(at["b3"], std::make_pair(2, top(2)));
  EXPECT_EQ(at["a2"], std::make_pair(3, top(0)));
  EXPECT_EQ(m_queue.size(), 3u);
}

TEST_F(LayoutTest, NoSpaceAbsoluteAndTallBands) {
  band("Detail", "d1");
  band("Note", "n1");          // drawn where the next band goes
  band("Detail", "d2");
  band("Detail", "d3");        // the page is full now
  band("Stamp", "s1");         // absolute: not fitted, at its own place
  band("Tall", "t1");          // taller than the area: next page, still placed
  band("Detail", "d4");
  m_report->endPage();
  auto at = where();
  EXPECT_EQ(at["n1"], std::make_pair(1, top(1)));
  EXPECT_EQ(at["d2"], std::make_pair(1, top(1)));
  EXPECT_EQ(at["s1"], std::make_pair(1, pixelsY(1000 + 2500)));
  EXPECT_EQ(at["t1"], std::make_pair(2, top(0)));
  EXPECT_EQ(at["d4"], std::make_pair(3, top(0)));
  EXPECT_EQ(m_queue.size(), 3u);
}

TEST_F(PageEngineTest, ThePageFileConvertsWithAMetafileToolAndKeepsTheSiteTexts) {
  if (std::system("command -v wmf2svg >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "wmf2svg (Debian package libwmf-bin) is not installed";
  Report report(app::programCatalogue(), {}, kListing);
  PreviewQueue queue;
  printListing(report, queue, 5);
  ASSERT_EQ(queue.size(), 1u);
  std::string svg = m_dir.file("page.svg");
  std::string command = "wmf2svg -o '" + svg + "' '" + queue[0] + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::string text = test::readWholeFile(svg);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.find("Print Locations"), std::string::npos);
  for (int i = 1; i <= 5; ++i) {
    EXPECT_NE(text.find(siteNumber(i).location), std::string::npos) << i;
    EXPECT_NE(text.find(siteNumber(i).description), std::string::npos) << i;
  }
  report.close();
}

using PageEngineDeathTest = PageEngineTest;

TEST_F(PageEngineDeathTest, ReportStatementsOnTheWrongThingAreRuntimeErrors) {
  EXPECT_EXIT(
      {
        Report report(app::programCatalogue(), {}, kListing);
        report.open();
        report.open();
      },
      ::testing::ExitedWithCode(2), "Report is already open");
  EXPECT_EXIT(printBand(12345), ::testing::ExitedWithCode(2), "PRINT must only be called for reports");
  EXPECT_EXIT(endPage(12345), ::testing::ExitedWithCode(2), "ENDPAGE must only be called for reports");
  EXPECT_EXIT(
      {
        Report window(app::programCatalogue(), {}, "BROWSELINKAR$QUICKWINDOW");
        window.print();
      },
      ::testing::ExitedWithCode(2), "PRINT must only be called for reports");
}

// Inside a procedure thread the report is a hidden window of that thread:
// the statements address it by handle, events cannot be posted to it, and a
// second open of the same report on the thread is refused.
TEST_F(PageEngineTest, AReportOpenInAProcedureIsAHiddenWindowAddressedByHandle) {
  ui::TestDriver driver(app::programCatalogue());
  PreviewQueue queue;
  int handle = 0;
  bool openWhilePrinting = false;
  driver.start([&] {
    Report report(app::programCatalogue(), {}, kListing);
    report.setFieldValues(siteValues());
    report.open(&queue);
    handle = report.handle();
    for (int i = 1; i <= 20; ++i) {
      m_site = siteNumber(i);
      printBand(handle);
    }
    endPage(handle);
    openWhilePrinting = driver.engine().window(handle) != nullptr;
    EXPECT_EQ(pageFilesIn(m_dir.path()).size(), queue.size());
    report.close();
  });
  driver.run();
  EXPECT_NE(handle, 0);
  EXPECT_TRUE(openWhilePrinting);
  EXPECT_EQ(driver.engine().window(handle), nullptr);
  EXPECT_EQ(queue.size(), 0u);
  EXPECT_TRUE(pageFilesIn(m_dir.path()).empty());
}

// Runs the procedure in the program's frame and, once everything waits,
// writes the runtime-error box's text to standard error and answers it.
void showRuntimeErrorBox(ui::Procedure procedure) {
  ui::TestDriver driver(app::programCatalogue());
  driver.startFrame();
  driver.start(std::move(procedure), 0);
  ui::Window* box = driver.messageBox();
  std::fprintf(stderr, "%s|%s\n", box ? box->title().c_str() : "no box", box ? box->text(1).c_str() : "");
  driver.answer("OK");
}

TEST_F(PageEngineDeathTest, InAProcedureASecondOpenAndAnEventPostedToTheReportAreRuntimeErrors) {
  EXPECT_EXIT(showRuntimeErrorBox([] {
                Report first(app::programCatalogue(), {}, kListing);
                Report second(app::programCatalogue(), {}, kListing);
                first.open();
                second.open();
              }),
              ::testing::ExitedWithCode(2), "Runtime error\\|Report is already open");
  EXPECT_EXIT(showRuntimeErrorBox([] {
                Report report(app::programCatalogue(), {}, kListing);
                report.open();
                ui::Engine::instance()->loop().postTo(report.handle(), ui::Event::Accepted);
              }),
              ::testing::ExitedWithCode(2), "Runtime error\\|Event posted to a report control");
}

// A system without a printer: the device takes pages only for a named file.
class NoPrinter : public ui::RecordingPrinter {
 public:
  using RecordingPrinter::RecordingPrinter;
  bool available() override { return false; }
};

TEST_F(PageEngineTest, WithNoPrinterPrintingAsksForAFileAndCancellingPrintsNothing) {
  NoPrinter none(m_metrics);
  ui::setPrinterDevice(&none);
  ui::TestDriver driver(app::programCatalogue());
  PreviewQueue queue;
  auto printReport = [&] {
    Report report(app::programCatalogue(), {}, kListing);
    report.setFieldValues(siteValues());
    report.open(&queue);
    for (int i = 1; i <= 30; ++i) {
      m_site = siteNumber(i);
      report.print();
    }
    report.endPage();
    report.setPreviewing(false);
    report.setFlushPreview(1);
    report.close();
  };
  driver.startFrame();
  driver.start(printReport, 0);
  const ui::FileDialog* asked = driver.fileDialog();
  ASSERT_NE(asked, nullptr);
  EXPECT_EQ(asked->request.title, "Print To File...");
  EXPECT_EQ(asked->request.filters, "All files (*.*)|*.*");
  EXPECT_TRUE(asked->request.save);
  std::string pdf = m_dir.file("listing.pdf");
  ASSERT_TRUE(driver.chooseFile(pdf));
  EXPECT_EQ(none.files(), std::vector<std::string>{pdf});
  EXPECT_EQ(none.pages().size(), 2u);
  EXPECT_EQ(none.documentsEnded(), 1);

  driver.start(printReport, 0);
  ASSERT_NE(driver.fileDialog(), nullptr);
  ASSERT_TRUE(driver.cancelFileDialog());
  EXPECT_EQ(none.files().size(), 1u);
  EXPECT_EQ(none.pages().size(), 2u);
  EXPECT_EQ(none.documentsEnded(), 1);
  EXPECT_TRUE(pageFilesIn(m_dir.path()).empty());
}

}  // namespace
}  // namespace linkar::reports
