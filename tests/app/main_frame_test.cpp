// The frame procedure on the headless engine: its menu dispatch (procedures
// started on threads of their own with their stack sizes, standard
// actions, the About box, choices not in this build), and its end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/catalogue.h"
#include "app/main_frame.h"
#include "app/procedure_registry.h"
#include "app/program_entry.h"
#include "app/shared_variables.h"
#include "tests/support/temp_dir.h"
#include "ui/headless/test_driver.h"
#include "ui/statements.h"

namespace linkar::app {
namespace {

class MainFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", m_dir.path().c_str(), 1);
    clearProcedures();
  }
  void TearDown() override { clearProcedures(); }

  test::TempDir m_dir;
  ui::TestDriver m_driver{programCatalogue()};
};

TEST_F(MainFrameTest, ProgramEntrySetsTheSharedVariablesAndOpensTheFrame) {
  TransferFileName = "other.htm";
  m_driver.startProgram(ProgramEntry);
  EXPECT_EQ(std::string(TransferFileName.view()), "bookmark.htm");
  EXPECT_FALSE(std::string(StartupDirectory.view()).empty());
  ui::Window* frame = m_driver.find("MAIN$APPFRAME");
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->title(), "Linkar");
  EXPECT_EQ(frame->kind(), ui::WindowKind::Application);
}

TEST_F(MainFrameTest, EveryChoiceStartsItsProcedureOnANewThreadWithItsStack) {
  const char* paths[] = {
      "&File|&Import|from &ASCII", "&File|&Import|from &HTML", "&File|&Import|from &Other", "&File|&Export",
      "&Browse|Locations", "&Browse|Categories", "&Reports|Locations|Print by Description",
      "&Reports|Locations|Print by Location", "&Reports|Locations|Print by Category",
      "&Reports|Locations|Print by Rating", "&Reports|Locations|Print by Keyword", "&Reports|Categories"};
  size_t count = 0;
  const FrameChoice* choices = frameChoices(&count);
  ASSERT_EQ(count, std::size(paths));
  std::string started;
  int slot = -1;
  int stack = 0;
  for (size_t i = 0; i < count; ++i) {
    std::string name = choices[i].procedure;
    registerProcedure(name, [&started, &slot, &stack, name] {
      started = name;
      slot = ui::thread() - 1;
      stack = ui::engine().threads().recordedStackBytes(slot);
    });
  }
  m_driver.startProgram(Main);
  for (size_t i = 0; i < count; ++i) {
    started.clear();
    ASSERT_TRUE(m_driver.pressMenu(paths[i])) << paths[i];
    EXPECT_EQ(started, choices[i].procedure) << paths[i];
    EXPECT_GT(slot, 0) << "runs on a thread of its own";
    int expected = i < 4 ? kTransferStack : kBrowseStack;
    EXPECT_EQ(stack, expected) << paths[i];
  }
  EXPECT_EQ(m_driver.messageBox(), nullptr);
}

TEST_F(MainFrameTest, StandardMenuActionsNeedNoApplicationCode) {
  m_driver.startProgram(Main);
  ASSERT_TRUE(m_driver.pressMenu("&File|&Print Setup ..."));
  ASSERT_TRUE(m_driver.pressMenu("&Window|T&ile"));
  ASSERT_TRUE(m_driver.pressMenu("&Window|&Cascade"));
  ASSERT_TRUE(m_driver.pressMenu("&Window|&Arrange Icons"));
  EXPECT_EQ(m_driver.backend().actions(), (std::vector<std::string>{"printsetup", "tile", "cascade", "arrange"}));
  EXPECT_FALSE(m_driver.ended());
}

TEST_F(MainFrameTest, AboutBoxHasNoIconAndOneOkButton) {
  m_driver.startProgram(Main);
  ASSERT_TRUE(m_driver.pressMenu("&Help|&About"));
  ui::Window* box = m_driver.messageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->title(), "About");
  int buttons = 0;
  for (const auto& c : box->decl().controls) {
    EXPECT_NE(c.type, ui::ControlType::Image) << "no icon";
    if (c.type == ui::ControlType::Button) {
      ++buttons;
      EXPECT_EQ(c.text, "OK");
    }
  }
  EXPECT_EQ(buttons, 1);
  EXPECT_NE(m_driver.messageLines(*box)[0].find("Linkar"), std::string::npos);
  ASSERT_TRUE(m_driver.answerKey(ui::Key::kEnterKey));
  EXPECT_EQ(m_driver.messageBox(), nullptr);
}

TEST_F(MainFrameTest, AChoiceNotInThisBuildSaysSoAndTheFrameGoesOn) {
  m_driver.startProgram(Main);
  ASSERT_TRUE(m_driver.pressMenu("&File|&Import|from &HTML"));
  ui::Window* box = m_driver.messageBox();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->title(), "from HTML");
  ASSERT_TRUE(m_driver.answer("OK"));
  ASSERT_TRUE(m_driver.pressMenu("&Help|&About"));
  EXPECT_NE(m_driver.messageBox(), nullptr);
}

TEST_F(MainFrameTest, ExitEndsTheProgramAndRemembersTheFramePlace) {
  m_driver.startProgram(Main);
  ui::Window* frame = m_driver.find("MAIN$APPFRAME");
  ASSERT_NE(frame, nullptr);
  frame->setPlace({15, 25, 420, 230});
  ASSERT_TRUE(m_driver.pressMenu("&File|E&xit"));
  EXPECT_TRUE(m_driver.ended());
  EXPECT_EQ(m_driver.exitCode(), 0);
  EXPECT_EQ(test::readWholeFile(m_dir.path() + "/linkar/LINKAR.INI"),
            "[Main]\nMaximize=No\nXPosit=15\nYPosit=25\nWidth=420\nHeight=230\n");
}

TEST_F(MainFrameTest, ClosingTheFrameClosesTheStartedWindowsFirst) {
  registerProcedure("BrowseLINKAR", [] {
    ui::openWindow("BROWSELINKAR$QUICKWINDOW");
    while (ui::acceptEvent()) {
    }
  });
  m_driver.startProgram(Main);
  ASSERT_TRUE(m_driver.pressMenu("&Browse|Locations"));
  ASSERT_NE(m_driver.find("BROWSELINKAR$QUICKWINDOW"), nullptr);
  ASSERT_TRUE(m_driver.close(*m_driver.find("MAIN$APPFRAME")));
  EXPECT_TRUE(m_driver.ended());
  EXPECT_TRUE(m_driver.windows().empty());
}

}  // namespace
}  // namespace linkar::app
