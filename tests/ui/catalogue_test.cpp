// The catalogue's text form and lookups: structures found by module and
// label, the application frame, field numbers in declaration order, and the
// parser refusing malformed definitions with the line at fault.

#include "ui/catalogue.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/ui/test_catalogue.h"

namespace linkar::ui {
namespace {

TEST(Catalogue, StructuresAreFoundByModuleAndLabelAndTheFrameByItsKind) {
  const Catalogue& cat = testCatalogue();
  const Structure* s = cat.find("ITEMS$LIST");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(cat.find(s->module, "items$list"), s);
  EXPECT_EQ(cat.find("DESK.vel$desk01", "ITEMS$LIST"), nullptr);
  EXPECT_EQ(cat.find("NOSUCH$WINDOW"), nullptr);
  EXPECT_EQ(cat.modules().size(), 5u);
  ASSERT_NE(cat.application(), nullptr);
  EXPECT_EQ(cat.application()->label, "DESK$FRAME");
  EXPECT_EQ(cat.application()->kind, StructureKind::Application);

  std::string error;
  auto framed = Catalogue::parse("module m\nwindow W$WIN \"w\"\nend\n", &error);
  ASSERT_TRUE(framed) << error;
  EXPECT_EQ(framed->application(), nullptr);
}

TEST(CatalogueText, MalformedDefinitionsAreRefusedWithTheirLine) {
  struct { const char* text; const char* reason; } bad[] = {
      {"window A$B \"t\"\nend\n", "outside a module"},
      {"module m\nwindow A$B \"t\"\n  button \"x\" at 1\nend\n", "'at' needs x and y"},
      {"module m\nwindow A$B \"t\"\n  button \"x\" colour red\nend\n", "unknown attribute"},
      {"module m\nwindow A$B \"t\"\n  gadget\nend\n", "unknown control type"},
      {"module m\nwindow A$B \"t\"\n  button \"x\n", "unterminated string"},
      {"module m\nwindow A$B \"t\"\n  button \"x\"\n", "not closed"},
      {"module m\nwindow A$B \"t\"\nend\nwindow a$b \"u\"\nend\n", "duplicate label"},
      {"module m\nwindow A$B \"t\"\n  tab \"x\"\n  end\nend\n", "tab outside a sheet"},
      {"module m\nwindow A$B \"t\"\n  item \"x\"\nend\n", "menu control outside a menubar"},
      {"module m\nwindow A$B \"t\"\n  list format \"60L(\"\nend\n", "list format"},
  };
  for (const auto& b : bad) {
    SCOPED_TRACE(b.text);
    std::string error;
    EXPECT_FALSE(Catalogue::parse(b.text, &error));
    EXPECT_NE(error.find(b.reason), std::string::npos) << error;
    EXPECT_EQ(error.rfind("line ", 0), 0u) << error;
  }
}

TEST(CatalogueText, MenusOfAnOrdinaryWindowShareThePositiveNumbering) {
  std::string error;
  auto cat = Catalogue::parse(
      "module m\n"
      "application F$APP \"f\"\n menubar\n  menu \"&A\"\n   item \"&B\"\n  end\n end\nend\n"
      "window W$WIN \"w\"\n menubar\n  item \"&X!\" immediate\n end\n button \"OK\"\nend\n",
      &error);
  ASSERT_TRUE(cat) << error;
  const Structure* app = cat->find("F$APP");
  EXPECT_EQ(app->controls[0].field, -1);
  EXPECT_EQ(app->controls[1].field, -2);
  const Structure* w = cat->find("W$WIN");
  EXPECT_EQ(w->controls[0].field, 1);
  EXPECT_EQ(w->controls[1].field, 2);
}

}  // namespace
}  // namespace linkar::ui
