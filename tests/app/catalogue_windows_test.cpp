// Every window and report of the program's catalogue opens headless with
// its declared title, texts, field numbers, status messages, pictures and
// initial states, and is found by the test driver by label.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/catalogue.h"
#include "ui/headless/test_driver.h"
#include "ui/statements.h"

namespace linkar::app {
namespace {

using namespace ui;

TEST(ProgramWindows, EveryWindowOpensWithItsDeclaredContent) {
  TestDriver d(programCatalogue());
  d.startFrame();
  int opened = 0;
  for (const auto& s : programCatalogue().structures()) {
    if (s->kind != StructureKind::Window) continue;
    SCOPED_TRACE(s->label);
    std::string label = s->label;
    int thread = d.start([label] {
      openWindow(label);
      while (acceptEvent()) {
      }
    }, 50000);
    ASSERT_NE(thread, 0);
    Window* w = d.find(label);
    ASSERT_NE(w, nullptr);
    ++opened;
    EXPECT_EQ(w->thread(), thread - 1);
    EXPECT_EQ(w->title(), s->title);
    EXPECT_EQ(w->place().width, s->at.width);
    EXPECT_EQ(w->place().height, s->at.height);
    EXPECT_EQ(w->fields().size(), s->controls.size());
    int expectedField = 1;
    for (const auto& c : s->controls) {
      EXPECT_EQ(c.field, expectedField++);
      EXPECT_EQ(w->text(c.field), c.text);
      EXPECT_EQ(w->state(c.field).status, c.status);
      EXPECT_EQ(w->hidden(c.field), c.hidden);
      if (c.type == ControlType::List) {
        EXPECT_GT(w->visibleRows(c.field), 0);
      }
    }
    // The focus starts on a control that can take it.
    if (w->focus() != 0) {
      ControlType t = w->control(w->focus()).type;
      EXPECT_TRUE(t == ControlType::List || t == ControlType::Button || t == ControlType::Entry ||
                  t == ControlType::Spin || t == ControlType::Text);
    }
    EXPECT_EQ(w->timer(), s->timer);
    ASSERT_TRUE(d.close(*w));
    EXPECT_EQ(d.find(label), nullptr);
  }
  EXPECT_EQ(opened, 20);
}

TEST(ProgramWindows, EveryReportOpensWithItsTextsFieldsAndPictures) {
  TestDriver d(programCatalogue());
  int opened = 0;
  for (const auto& s : programCatalogue().structures()) {
    if (s->kind != StructureKind::Report) continue;
    SCOPED_TRACE(s->label);
    std::string label = s->label;
    std::vector<std::string> shown;
    int id = 0;
    d.start([&] {
      id = openReport(label);
      Window& report = *Engine::instance()->window(id);
      EXPECT_EQ(report.kind(), WindowKind::Report);
      int expected = 1;
      for (const auto& c : report.decl().controls) {
        EXPECT_EQ(c.field, expected++);
        EXPECT_EQ(report.text(c.field), c.text);
      }
      // The page engine fills the bound fields through their pictures.
      report.bind(report.fieldOf("ReportPageNumber"), {[] { return std::string("7"); }, nullptr});
      report.display();
      shown.push_back(report.text(report.fieldOf("ReportPageNumber")));
      ++opened;
    }, 50000);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], "Page    7");
    // Reports are no windows: the driver does not find them, and the
    // thread's end closed it.
    EXPECT_EQ(d.find(label), nullptr);
    EXPECT_EQ(d.engine().window(id), nullptr);
  }
  EXPECT_EQ(opened, 6);
}

}  // namespace
}  // namespace linkar::app
