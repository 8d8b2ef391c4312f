// Window places in the settings file, through procedures run on the
// headless engine: first run, maximised and minimised closes, a section
// with "XPosit" 0, a window that cannot be resized, values out of range,
// and two copies of one window started from the frame's menu.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/catalogue.h"
#include "app/main_frame.h"
#include "app/procedure_frame.h"
#include "app/procedure_registry.h"
#include "app/window_place.h"
#include "tests/support/temp_dir.h"
#include "ui/headless/test_driver.h"
#include "ui/statements.h"

namespace linkar::app {
namespace {

constexpr const char* kBrowse = "BROWSELINKAR$QUICKWINDOW";   // resizable
constexpr const char* kForm = "UPDATELINKAR$QUICKWINDOW";     // not resizable

// A procedure with the common shape and nothing else.
ui::Procedure windowProcedure(std::string name, std::string label) {
  return [name, label] {
    ProcedureFrame frame(name);
    frame.openWindow(label);
    while (ui::acceptEvent()) frame.handleCommonEvent(nullptr, nullptr);
    frame.finish();
  };
}

class WindowPlaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", m_dir.path().c_str(), 1);
    m_ini = settingsFilePath(kSettingsFileName);
    m_driver.startFrame();
  }

  ui::Window* openWindow(const std::string& name, const std::string& label) {
    m_driver.start(windowProcedure(name, label), 0);
    return m_driver.find(label);
  }

  void writeIni(const std::string& text) { ASSERT_TRUE(test::writeWholeFile(m_ini, text)); }

  test::TempDir m_dir;
  std::string m_ini;
  ui::TestDriver m_driver{programCatalogue()};
};

TEST_F(WindowPlaceTest, SettingsFileLivesInTheConfigurationFolder) {
  EXPECT_EQ(m_ini, m_dir.path() + "/linkar/LINKAR.INI");
  EXPECT_EQ(settingsFilePath("/elsewhere/OTHER.INI"), "/elsewhere/OTHER.INI");
}

TEST_F(WindowPlaceTest, FirstRunOpensAtTheDesignedPlaceAndClosingWritesTheFiveEntriesInOrder) {
  ui::Window* w = openWindow("BrowseLINKAR", kBrowse);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->place().width, 345);
  EXPECT_EQ(w->place().height, 198);
  EXPECT_FALSE(w->maximized());
  w->setPlace({12, 34, 300, 150});  // the user moved and sized it
  ASSERT_TRUE(m_driver.close(*w));
  EXPECT_EQ(m_driver.find(kBrowse), nullptr);
  EXPECT_EQ(test::readWholeFile(m_ini),
            "[BrowseLINKAR]\nMaximize=No\nXPosit=12\nYPosit=34\nWidth=300\nHeight=150\n");
}

TEST_F(WindowPlaceTest, ClosedMaximisedReopensMaximisedWithItsNormalPlace) {
  ui::Window* w = openWindow("BrowseLINKAR", kBrowse);
  ASSERT_NE(w, nullptr);
  w->setPlace({20, 30, 250, 140});
  w->setMaximized(true);
  ASSERT_TRUE(m_driver.close(*w));
  std::string saved = test::readWholeFile(m_ini);
  EXPECT_NE(saved.find("Maximize=Yes\nXPosit=20\nYPosit=30\nWidth=250\nHeight=140\n"), std::string::npos) << saved;

  ui::Window* again = openWindow("BrowseLINKAR", kBrowse);
  ASSERT_NE(again, nullptr);
  EXPECT_TRUE(again->maximized());
  EXPECT_EQ(again->place().x, 20);
  EXPECT_EQ(again->place().y, 30);
  EXPECT_EQ(again->place().width, 250);
  EXPECT_EQ(again->place().height, 140);
}

TEST_F(WindowPlaceTest, ClosedMinimisedLeavesTheSectionUnchanged) {
  const std::string before = "; kept\n[BrowseLINKAR]\nMaximize=No\nXPosit=5\nYPosit=6\nWidth=200\nHeight=100\n";
  writeIni(before);
  ui::Window* w = openWindow("BrowseLINKAR", kBrowse);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->place().x, 5);
  w->setPlace({40, 50, 60, 70});
  w->setMinimized(true);
  ASSERT_TRUE(m_driver.close(*w));
  EXPECT_EQ(test::readWholeFile(m_ini), before);
}

TEST_F(WindowPlaceTest, XPositZeroRestoresNeitherPlaceNorMaximisedState) {
  writeIni("[BrowseLINKAR]\nMaximize=Yes\nXPosit=0\nYPosit=50\nWidth=100\nHeight=100\n");
  ui::Window* w = openWindow("BrowseLINKAR", kBrowse);
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(w->maximized());
  EXPECT_EQ(w->place().y, 0);
  EXPECT_EQ(w->place().width, 345);
}

TEST_F(WindowPlaceTest, ZeroYPositSkipsTheMoveButStillMaximises) {
  writeIni("[BrowseLINKAR]\nMaximize=Yes\nXPosit=10\nYPosit=0\nWidth=100\nHeight=100\n");
  ui::Window* w = openWindow("BrowseLINKAR", kBrowse);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->maximized());
  EXPECT_EQ(w->place().x, 0);
  EXPECT_EQ(w->place().width, 345);
}

TEST_F(WindowPlaceTest, OnlyAnExactYesMaximisesAndNumbersAreTruncated) {
  writeIni("[BrowseLINKAR]\nMaximize=yes\nXPosit=12.9\nYPosit= 7\nWidth=199.5\nHeight=99\n");
  ui::Window* w = openWindow("BrowseLINKAR", kBrowse);
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(w->maximized());
  EXPECT_EQ(w->place().x, 12);
  EXPECT_EQ(w->place().y, 7);
  EXPECT_EQ(w->place().width, 199);
  EXPECT_EQ(w->place().height, 99);
}

TEST_F(WindowPlaceTest, AWindowThatCannotBeResizedKeepsItsDesignedSize) {
  writeIni("[UpdateLINKAR]\nMaximize=No\nXPosit=30\nYPosit=40\nWidth=500\nHeight=400\n");
  ui::Window* w = openWindow("UpdateLINKAR", kForm);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->place().x, 30);
  EXPECT_EQ(w->place().y, 40);
  EXPECT_EQ(w->place().width, 312);
  EXPECT_EQ(w->place().height, 112);
}

TEST_F(WindowPlaceTest, ABrokenSettingsFileGivesTheDesignedPlace) {
  writeIni("[BrowseLINKAR\nXPosit\n=12\n\x01\x02garbage\n[BrowseLINKAR]\nXPosit=abc\n");
  ui::Window* w = openWindow("BrowseLINKAR", kBrowse);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->place().x, 0);
  EXPECT_EQ(w->place().width, 345);
  EXPECT_FALSE(w->maximized());
}

TEST_F(WindowPlaceTest, ValuesNoWindowCanHaveCountAsMissing) {
  const std::string over = std::to_string(kMaxPlaceUnits + 1);
  struct Case {
    std::string section;
    bool maximized;  // "Maximize=Yes" is obeyed only when XPosit itself is sound
  };
  const Case cases[] = {
      {"XPosit=10\nYPosit=20\nWidth=99999999999\nHeight=100\n", true},
      {"XPosit=10\nYPosit=20\nWidth=100\nHeight=-99999999999\n", true},
      {"XPosit=10\nYPosit=20\nWidth=-50\nHeight=100\n", true},
      {"XPosit=10\nYPosit=" + over + "\nWidth=100\nHeight=100\n", true},
      {"XPosit=99999999999\nYPosit=20\nWidth=100\nHeight=100\n", false},
      {"XPosit=-" + over + "\nYPosit=20\nWidth=100\nHeight=100\n", false},
  };
  for (const Case& c : cases) {
    writeIni("[BrowseLINKAR]\nMaximize=Yes\n" + c.section);
    ui::Window* w = openWindow("BrowseLINKAR", kBrowse);
    ASSERT_NE(w, nullptr) << c.section;
    EXPECT_EQ(w->place().x, 0) << c.section;
    EXPECT_EQ(w->place().width, 345) << c.section;
    EXPECT_EQ(w->place().height, 198) << c.section;
    EXPECT_EQ(w->maximized(), c.maximized) << c.section;
    w->setMinimized(true);  // closes without rewriting the file
    ASSERT_TRUE(m_driver.close(*w));
  }

  // The extremes themselves are places a window may have.
  writeIni("[BrowseLINKAR]\nXPosit=-" + std::to_string(kMaxPlaceUnits) + "\nYPosit=1\nWidth=" +
           std::to_string(kMaxPlaceUnits) + "\nHeight=1\n");
  ui::Window* w = openWindow("BrowseLINKAR", kBrowse);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->place().x, -kMaxPlaceUnits);
  EXPECT_EQ(w->place().width, kMaxPlaceUnits);
  EXPECT_EQ(w->place().height, 1);
}

TEST_F(WindowPlaceTest, ChoosingBrowseLocationsTwiceOpensTwoIndependentWindows) {
  ui::TestDriver driver(programCatalogue());  // a program with the real frame procedure
  registerProcedure("BrowseLINKAR", windowProcedure("BrowseLINKAR", kBrowse));
  driver.startProgram(Main);
  ASSERT_TRUE(driver.pressMenu("&Browse|Locations"));
  ASSERT_TRUE(driver.pressMenu("&Browse|Locations"));
  std::vector<ui::Window*> browses;
  for (ui::Window* w : driver.windows())
    if (w->label() == kBrowse) browses.push_back(w);
  ASSERT_EQ(browses.size(), 2u);
  EXPECT_NE(browses[0]->thread(), browses[1]->thread());
  EXPECT_EQ(driver.engine().threads().recordedStackBytes(browses[0]->thread()), kBrowseStack);
  browses[0]->setPlace({100, 110, 200, 120});
  EXPECT_EQ(browses[1]->place().x, 0);
  ASSERT_TRUE(driver.close(*browses[0]));
  EXPECT_NE(driver.find(kBrowse), nullptr);
  clearProcedures();
}

}  // namespace
}  // namespace linkar::app
