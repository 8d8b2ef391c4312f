// The program's catalogue against its window and report tables: every
// structure present, with its title, size, font, controls in declaration
// order (field numbers), texts, positions, pictures and status messages.

#include "app/catalogue.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <vector>

namespace linkar::app {
namespace {

using ui::ControlDecl;
using ui::Rect;
using ui::Structure;
using ui::StructureKind;
using T = ui::ControlType;

struct Expected {
  T type;
  std::string text;
  std::optional<Rect> at = std::nullopt;
  std::string picture = "";
};

struct ExpectedStructure {
  std::string label;
  std::string title;
  int width, height;
  std::vector<Expected> controls;  // every control, in declaration order
};

Rect r(int x, int y, int w = 0, int h = 0) { return Rect{x, y, w, h}; }

const std::string kSiteFormat =
    "60L(0)|M~Location~@S60@60L(0)|M~Description~@S60@60L(0)|M~Category~@S15@8L(0)|M~Rating~@N2@40L(0)|M~Keyword~@s10@";

std::vector<Expected> progressControls() {
  return {{T::Progress, ""}, {T::String, "0% Completed"}, {T::String, ""}, {T::Button, "Cancel"}};
}

std::vector<ExpectedStructure> windowTable() {
  std::vector<ExpectedStructure> all = {
      {"BROWSELINKAR$QUICKWINDOW", "Browse Locations", 345, 198,
       {{T::List, "", r(8, 26, 328, 124)},
        {T::Button, "&Insert", r(191, 156, 45, 14)},
        {T::Button, "&Change", r(240, 156, 45, 14)},
        {T::Button, "&Delete", r(289, 156, 45, 14)},
        {T::Sheet, "", r(4, 4, 336, 172)},
        {T::Tab, "Description"}, {T::Tab, "Location"}, {T::Tab, "Category"},
        {T::Button, "Categories", r(8, 158, 45, 14)},
        {T::Tab, "Rating"}, {T::Tab, "Keyword"},
        {T::Button, "Close", r(288, 181, 45, 14)}}},
      {"BROWSECATEGORIES$QUICKWINDOW", "Browse Categories", 159, 188,
       {{T::List, ""},
        {T::Button, "&Insert", r(8, 148, 45, 14)},
        {T::Button, "&Change", r(57, 148, 45, 14)},
        {T::Button, "&Delete", r(106, 148, 45, 14)},
        {T::Sheet, ""}, {T::Tab, "Category"},
        {T::Button, "Locations", r(8, 168, 45, 14)},
        {T::Button, "Close", r(108, 168, 45, 14)}}},
      {"SELECTCATEGORIES$QUICKWINDOW", "Select a Category", 158, 188,
       {{T::List, ""}, {T::Button, "&Select"}, {T::Sheet, ""}, {T::Tab, "Category"}, {T::Button, "Close"}}},
      {"BROWSEURL:K_CATEGORY$QUICKWINDOW", "Browse Location by Category", 299, 188,
       {{T::List, ""},
        {T::Button, "&Insert", r(153, 149, 45, 14)},
        {T::Button, "&Change", r(199, 149, 45, 14)},
        {T::Button, "&Delete", r(245, 149, 45, 14)},
        {T::Sheet, ""}, {T::Tab, "Category"},
        {T::Button, "Close", r(244, 168, 45, 14)}}},
      {"SELECTCATEGORY$QUICKWINDOW", "Category Assignment", 191, 123,
       {{T::List, ""},
        {T::Button, "&Select", r(44, 99, 45, 14)},
        {T::Sheet, ""}, {T::Tab, "Select Category"},
        {T::Button, "Best Guess", r(100, 99, 45, 14)}}},
      {"UPDATELINKAR$QUICKWINDOW", "Update Location Information", 312, 112,
       {{T::Sheet, ""}, {T::Tab, "General"},
        {T::Prompt, "&Location:", r(8, 20)}, {T::Entry, "", std::nullopt, "@S60"},
        {T::Prompt, "&Description:", r(8, 34)}, {T::Entry, "", std::nullopt, "@S60"},
        {T::Prompt, "&Category:", r(8, 48)}, {T::Entry, ""},
        {T::Prompt, "&Rating:", r(8, 62)}, {T::Entry, "", std::nullopt, "@N2"},
        {T::Prompt, "&Keyword:", r(8, 76)}, {T::Entry, "", std::nullopt, "@s10"},
        {T::Tab, "SiteInfo"}, {T::Prompt, "Site Info:", r(8, 20)}, {T::Text, ""},
        {T::Button, "OK", r(214, 92, 45, 14)}, {T::Button, "Cancel", r(263, 92, 45, 14)}}},
      {"UPDATECATEGORIES$QUICKWINDOW", "Update Categories", 159, 138,
       {{T::Sheet, ""}, {T::Tab, "General"},
        {T::Prompt, "&Category:", r(8, 20)}, {T::Entry, "", std::nullopt, "@s15"},
        {T::Tab, "Locations"}, {T::List, ""},
        {T::Button, "&Insert", r(8, 98, 45, 14)},
        {T::Button, "&Change", r(57, 98, 45, 14)},
        {T::Button, "&Delete", r(106, 98, 45, 14)},
        {T::Button, "OK", r(60, 121, 45, 14)}, {T::Button, "Cancel", r(108, 121, 45, 14)}}},
      {"EXPORT$WINDOW", "Export to HTML Document", 184, 86,
       {{T::String, "This will export your entire URL location database "},
        {T::String, "to a standard HTML document.  Note that the file"},
        {T::String, "you specify will be overwritten if it exists."},
        {T::Prompt, "Export to file:", r(6, 40)},
        {T::Entry, "", std::nullopt, "@s40"},
        {T::Button, "...", r(165, 40, 12, 12)},
        {T::Button, "OK", r(52, 65, 35, 14)},
        {T::Button, "Cancel", r(97, 65, 36, 14)}}},
      {"REPORTPREVIEW$PREVIEWWINDOW", "Print Preview", 300, 180,
       {{T::Item, "&Cancel!"}, {T::Item, "&Print!"}, {T::Item, "&Zoom In!"},
        {T::Item, "&Previous Page!"}, {T::Item, "&Next Page!"}, {T::Item, "&Jump!"},
        {T::Item, "&Facing Pages!"},
        {T::Box, "", r(9, 2, 136, 176)}, {T::Image, ""}, {T::Region, ""},
        {T::Box, "", r(155, 2, 136, 176)}, {T::Image, ""}, {T::Region, ""},
        {T::Box, "", r(84, 2, 136, 176)}, {T::Image, ""}, {T::Region, ""},
        {T::Image, ""}}},
  };
  const char* progress[] = {"IMPORTASCII", "IMPORTHTML", "IMPORTOTHER", "EXPORTTOHTML",
                            "PRINTURL:K_LOCATION", "PRINTURL:K_CATEGORY", "PRINTURL:K_RATING",
                            "PRINTURL:K_KEYWORD", "PRINTURL:K_DESCRIPTION", "PRINTCAT:K_CATEGORY"};
  for (const char* p : progress)
    all.push_back({std::string(p) + "$PROGRESSWINDOW", "Progress...", 142, 59, progressControls()});
  return all;
}

void checkStructure(const Structure& s, const ExpectedStructure& e) {
  SCOPED_TRACE(e.label);
  EXPECT_EQ(s.title, e.title);
  EXPECT_EQ(s.at.width, e.width);
  EXPECT_EQ(s.at.height, e.height);
  EXPECT_EQ(s.fontFace, "MS Sans Serif");
  EXPECT_EQ(s.fontSize, 8);
  ASSERT_EQ(s.controls.size(), e.controls.size());
  for (size_t i = 0; i < e.controls.size(); ++i) {
    SCOPED_TRACE(i);
    const ControlDecl& c = s.controls[i];
    EXPECT_EQ(c.field, static_cast<int>(i) + 1);  // declaration order
    EXPECT_EQ(c.type, e.controls[i].type);
    EXPECT_EQ(c.text, e.controls[i].text);
    if (e.controls[i].at) {
      ASSERT_TRUE(c.at);
      EXPECT_EQ(c.at->x, e.controls[i].at->x);
      EXPECT_EQ(c.at->y, e.controls[i].at->y);
      if (e.controls[i].at->width) {
        EXPECT_EQ(c.at->width, e.controls[i].at->width);
        EXPECT_EQ(c.at->height, e.controls[i].at->height);
      }
    }
    if (!e.controls[i].picture.empty()) {
      EXPECT_EQ(c.picture, e.controls[i].picture);
    }
  }
}

TEST(ProgramCatalogue, EveryWindowMatchesItsDeclaredContentAndFieldOrder) {
  const ui::Catalogue& cat = programCatalogue();
  for (const auto& e : windowTable()) {
    const Structure* s = cat.find(e.label);
    ASSERT_NE(s, nullptr) << e.label;
    EXPECT_EQ(s->kind, StructureKind::Window);
    checkStructure(*s, e);
  }
}

TEST(ProgramCatalogue, NothingIsDeclaredBeyondTheProgramsWindowsAndReports) {
  std::set<std::string> expected = {"MAIN$APPFRAME", "REPORTPREVIEW$JUMPWINDOW",
                                    "PRINTURL:K_LOCATION$REPORT", "PRINTURL:K_CATEGORY$REPORT",
                                    "PRINTURL:K_RATING$REPORT", "PRINTURL:K_KEYWORD$REPORT",
                                    "PRINTURL:K_DESCRIPTION$REPORT", "PRINTCAT:K_CATEGORY$REPORT"};
  for (const auto& e : windowTable()) expected.insert(e.label);
  std::set<std::string> declared;
  for (const auto& s : programCatalogue().structures()) declared.insert(s->label);
  EXPECT_EQ(declared, expected);
}

TEST(ProgramCatalogue, BrowseListsShowTheirFormatsAndStatusMessage) {
  const ui::Catalogue& cat = programCatalogue();
  struct { const char* label; std::string format; } lists[] = {
      {"BROWSELINKAR$QUICKWINDOW",
       "107L|M~Description~@S60@89L|M~Location~@S60@60L|M~Category~@S15@25L|M~Rating~@N2@40L|M~Keyword~@s10@"},
      {"BROWSECATEGORIES$QUICKWINDOW", "60L(0)|M~Category~@s15@"},
      {"SELECTCATEGORIES$QUICKWINDOW", "60L(0)|M~Category~@s15@"},
      {"SELECTCATEGORY$QUICKWINDOW", "60L(0)|M~Category~@s15@"},
      {"BROWSEURL:K_CATEGORY$QUICKWINDOW", kSiteFormat},
      {"UPDATECATEGORIES$QUICKWINDOW", kSiteFormat},
  };
  for (const auto& l : lists) {
    SCOPED_TRACE(l.label);
    const Structure* s = cat.find(l.label);
    ASSERT_NE(s, nullptr);
    const ControlDecl* list = nullptr;
    for (const auto& c : s->controls)
      if (c.type == T::List) list = &c;
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(list->format);
    EXPECT_EQ(list->format->source, l.format);
    EXPECT_EQ(list->status, "Browsing Records");
  }
  // The browse's Insert button is field 2 in every browse window.
  for (const char* label : {"BROWSELINKAR$QUICKWINDOW", "BROWSECATEGORIES$QUICKWINDOW",
                            "BROWSEURL:K_CATEGORY$QUICKWINDOW"})
    EXPECT_EQ(cat.find(label)->byField(2)->text, "&Insert") << label;
}

TEST(ProgramCatalogue, UpdateFormsBindTheirRecordFields) {
  const Structure* s = programCatalogue().find("UPDATELINKAR$QUICKWINDOW");
  ASSERT_NE(s, nullptr);
  struct { const char* use; int length; const char* picture; } fields[] = {
      {"URL:LOCATION", 128, "@S60"}, {"URL:DESCRIPTION", 60, "@S60"}, {"URL:CATEGORY", 15, "@s15"},
      {"URL:RATING", 0, "@N2"},      {"URL:KEYWORD", 10, "@s10"},     {"URL:SiteInfo", 500, ""}};
  for (const auto& f : fields) {
    SCOPED_TRACE(f.use);
    const ControlDecl* c = s->byUse(f.use);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->length, f.length);
    EXPECT_EQ(c->picture, f.picture);
  }
  EXPECT_EQ(s->byUse("URL:SiteInfo")->status, "Information about site");
  EXPECT_EQ(programCatalogue().find("EXPORT$WINDOW")->byUse("TransferFileName")->length, 255);
}

TEST(ProgramCatalogue, ProgressWindowsAreTheOnlyOnesWithATimer) {
  for (const auto& s : programCatalogue().structures()) {
    bool progress = s->label.find("$PROGRESSWINDOW") != std::string::npos;
    EXPECT_EQ(s->timer, progress ? 1 : 0) << s->label;
  }
}

TEST(ProgramCatalogue, FrameMenuIsCompleteWithNegativeFieldNumbersInOrder) {
  const Structure* s = programCatalogue().find("MAIN$APPFRAME");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->kind, StructureKind::Application);
  EXPECT_EQ(s->title, "Linkar");
  EXPECT_EQ(s->at.width, 400);
  EXPECT_EQ(s->at.height, 220);
  EXPECT_EQ(s->icon, "LINKAR.ICO");
  struct Item { T type; const char* text; const char* status; int depth; };
  const Item items[] = {
      {T::Menu, "&File", "", 0},
      {T::Menu, "&Import", "Import URL information from various file type", 1},
      {T::Item, "from &ASCII", "", 2}, {T::Item, "from &HTML", "", 2}, {T::Item, "from &Other", "", 2},
      {T::Item, "&Export", "", 1},
      {T::Separator, "", "", 1},
      {T::Item, "&Print Setup ...", "Setup printer", 1},
      {T::Separator, "", "", 1},
      {T::Item, "E&xit", "Exit this application", 1},
      {T::Menu, "&Browse", "", 0},
      {T::Item, "Locations", "Browse LINKAR", 1}, {T::Item, "Categories", "Browse Categories", 1},
      {T::Menu, "&Reports", "Report data", 0},
      {T::Menu, "Locations", "", 1},
      {T::Item, "Print by Description", "Print ordered by Description", 2},
      {T::Item, "Print by Location", "Print ordered by Location key", 2},
      {T::Item, "Print by Category", "Print ordered by Category key", 2},
      {T::Item, "Print by Rating", "Print ordered by Rating key", 2},
      {T::Item, "Print by Keyword", "Print ordered by Keyword key", 2},
      {T::Item, "Categories", "Print ordered by Category key", 1},
      {T::Menu, "&Window", "Create and Arrange windows", 0},
      {T::Item, "T&ile", "Make all open windows visible", 1},
      {T::Item, "&Cascade", "Stack all open windows", 1},
      {T::Item, "&Arrange Icons", "Align all window icons", 1},
      {T::Menu, "&Help", "Windows Help", 0},
      {T::Item, "&About", "About This Program", 1},
  };
  ASSERT_EQ(s->controls.size(), std::size(items));
  for (size_t i = 0; i < std::size(items); ++i) {
    SCOPED_TRACE(items[i].text);
    const ControlDecl& c = s->controls[i];
    EXPECT_EQ(c.field, -static_cast<int>(i) - 1);
    EXPECT_EQ(c.type, items[i].type);
    EXPECT_EQ(c.text, items[i].text);
    EXPECT_EQ(c.status, items[i].status);
    int depth = 0;
    for (int p = c.parent; p >= 0; p = s->controls[static_cast<size_t>(p)].parent) ++depth;
    EXPECT_EQ(depth, items[i].depth);
  }
  EXPECT_EQ(s->byText("E&xit")->action, "close");
  EXPECT_EQ(s->byText("T&ile")->action, "tile");
  EXPECT_EQ(s->byText("&Print Setup ...")->action, "printsetup");
  EXPECT_TRUE(s->byText("&About")->action.empty());
}

TEST(ProgramCatalogue, PreviewAndJumpWindowsCarryTheirStatusMessages) {
  const ui::Catalogue& cat = programCatalogue();
  const Structure* p = cat.find("REPORTPREVIEW$PREVIEWWINDOW");
  ASSERT_NE(p, nullptr);
  const char* status[] = {"Cancel the printing of this report", "Print this report",
                          "Zoom in on a page of this report", "View the previous page(s) of this report",
                          "View the next page(s) of this report", "Jump to a selected page of the report",
                          "View the report two pages at a time"};
  for (int f = 1; f <= 7; ++f) {
    EXPECT_EQ(p->byField(f)->status, status[f - 1]);
    EXPECT_TRUE(p->byField(f)->immediate);
  }
  EXPECT_TRUE(p->statusBar);
  const Structure* j = cat.find("REPORTPREVIEW$JUMPWINDOW");
  ASSERT_NE(j, nullptr);
  EXPECT_EQ(j->title, "Jump to a Report Page");
  ASSERT_EQ(j->controls.size(), 4u);
  EXPECT_EQ(j->byField(1)->text, "Page:");
  EXPECT_EQ(j->byField(2)->picture, "@n5");
  EXPECT_EQ(j->byField(2)->status, "Select a page of the report");
  EXPECT_EQ(j->byField(3)->text, "OK");
  EXPECT_EQ(j->byField(3)->status, "Jump to the selected page");
  EXPECT_EQ(j->byField(4)->text, "Cancel");
  EXPECT_EQ(j->byField(4)->status, "Cancel this selection");
}

TEST(ProgramCatalogue, ReportsShareOneLayoutInThousandthsOfAnInch) {
  const ui::Catalogue& cat = programCatalogue();
  struct { const char* label; const char* title; } sites[] = {
      {"PRINTURL:K_LOCATION$REPORT", "Print Locations"},
      {"PRINTURL:K_CATEGORY$REPORT", "Print Locations by Category"},
      {"PRINTURL:K_RATING$REPORT", "Print Locations by Rating"},
      {"PRINTURL:K_KEYWORD$REPORT", "Print Locations by Keyword"},
      {"PRINTURL:K_DESCRIPTION$REPORT", "Report Locations by Description"},
  };
  auto checkBands = [](const Structure& s) {
    EXPECT_EQ(s.kind, StructureKind::Report);
    EXPECT_EQ(s.fontFace, "Arial");
    EXPECT_EQ(s.fontSize, 10);
    EXPECT_EQ(s.at.x, 1000);
    EXPECT_EQ(s.at.y, 1720);
    EXPECT_EQ(s.at.width, 6000);
    EXPECT_EQ(s.at.height, 7280);
    const ControlDecl* header = s.byUse("PageHeader");
    const ControlDecl* footer = s.byUse("PageFooter");
    ASSERT_TRUE(header && footer && header->at && footer->at);
    EXPECT_EQ(header->type, T::Header);
    EXPECT_EQ(header->at->y, 1000);
    EXPECT_EQ(header->at->height, 720);
    EXPECT_EQ(footer->type, T::Footer);
    EXPECT_EQ(footer->at->y, 9000);
    EXPECT_EQ(footer->at->height, 219);
    EXPECT_EQ(s.byUse("ReportPageNumber")->picture, "@pPage <<<#p");
    EXPECT_EQ(s.byUse("Detail")->type, T::Detail);
  };
  for (const auto& site : sites) {
    SCOPED_TRACE(site.label);
    const Structure* s = cat.find(site.label);
    ASSERT_NE(s, nullptr);
    checkBands(*s);
    EXPECT_EQ(s->title, site.title);
    EXPECT_EQ(s->byUse("ReportTitle")->text, site.title);
    struct { const char* text; int x, y; } headings[] = {
        {"Location", 50, 310}, {"Description", 1550, 310}, {"Category", 3050, 310},
        {"Rating", 4550, 310}, {"Keyword", 50, 490}};
    for (const auto& h : headings) {
      const ControlDecl* c = s->byText(h.text, T::String);
      ASSERT_NE(c, nullptr) << h.text;
      EXPECT_EQ(c->at->x, h.x);
      EXPECT_EQ(c->at->y, h.y);
    }
    struct { const char* use; const char* picture; int x, y; } detail[] = {
        {"URL:LOCATION", "@S60", 50, 50}, {"URL:DESCRIPTION", "@S60", 1550, 50},
        {"URL:CATEGORY", "@S15", 3050, 50}, {"URL:RATING", "@N2", 4550, 50},
        {"URL:KEYWORD", "@s10", 50, 230}};
    for (const auto& d : detail) {
      const ControlDecl* c = s->byUse(d.use);
      ASSERT_NE(c, nullptr) << d.use;
      EXPECT_EQ(c->picture, d.picture);
      EXPECT_EQ(c->at->x, d.x);
      EXPECT_EQ(c->at->y, d.y);
      EXPECT_EQ(s->controls[static_cast<size_t>(c->parent)].type, T::Detail);
      if (d.y == 50) {
        EXPECT_EQ(c->at->width, 1400);
        EXPECT_EQ(c->at->height, 170);
      }
    }
  }
  const Structure* cats = cat.find("PRINTCAT:K_CATEGORY$REPORT");
  ASSERT_NE(cats, nullptr);
  checkBands(*cats);
  EXPECT_EQ(cats->title, "Print Categories");
  EXPECT_EQ(cats->byUse("CAT:Category")->picture, "@s15");
  EXPECT_NE(cats->byText("Category", T::String), nullptr);
}

TEST(ProgramCatalogue, StructuresAreFoundByModuleAndLabel) {
  const ui::Catalogue& cat = programCatalogue();
  const Structure* s = cat.find("BROWSELINKAR$QUICKWINDOW");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(cat.find(s->module, "browselinkar$quickwindow"), s);
  EXPECT_EQ(cat.find("LINKAR.vel$linka001", "BROWSELINKAR$QUICKWINDOW"), nullptr);
  EXPECT_EQ(cat.find("NOSUCH$WINDOW"), nullptr);
  for (const auto& m : cat.modules()) EXPECT_EQ(m.rfind("LINKAR.vel$linka", 0), 0u) << m;
}

}  // namespace
}  // namespace linkar::app
