// What a backend reports about a list besides keys and clicks, and the
// characters a browse takes as its locator: scrolls from the wheel and the
// scroll bar, and the rows a list shows once its window was sized.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/ui/test_catalogue.h"
#include "ui/headless/test_driver.h"
#include "ui/statements.h"

namespace linkar::ui {
namespace {

// A browse of three groups on a thread of its own. It records each event
// with KEYCODE() and KEYCHAR(), and answers Insert with a message box.
struct GroupBrowse {
  std::vector<std::string> queue = {"Arts", "Books", "News"};
  std::vector<int> events;
  std::vector<int> codes;
  std::vector<int> characters;
  std::vector<int> alerted = {Key::kInsertKey};
  int window = 0;
  int rowsAtSized = 0;

  void run() {
    window = openWindow("GROUPS$LIST");
    Window& w = *engine().window(window);
    w.setListSource(1, {[this] { return queue.size(); }, [this](size_t r, size_t) { return queue[r]; }});
    w.state(1).alertKeys = alerted;
    display();
    selectControl(1, 1);
    while (acceptEvent()) {
      events.push_back(event());
      codes.push_back(keyCode());
      characters.push_back(keyChar());
      if (event() == Event::Sized) rowsAtSized = w.visibleRows(1);
      if (event() == Event::AlertKey && keyCode() == Key::kInsertKey) message("Insert?");
    }
  }
};

struct ListInput : ::testing::Test {
  void open() {
    d.startFrame();
    d.start([this] { browse.run(); }, 50000);
    w = d.find("Groups");
    ASSERT_NE(w, nullptr);
    browse.events.clear();
    browse.codes.clear();
    browse.characters.clear();
  }
  int count(int event) { return static_cast<int>(std::count(browse.events.begin(), browse.events.end(), event)); }

  TestDriver d{testCatalogue()};
  GroupBrowse browse;
  Window* w = nullptr;
};

TEST_F(ListInput, ABrowseTakesEveryPrintableCharacterAsAnAlertedKey) {
  open();
  ASSERT_TRUE(d.typeChar(*w, "Browse", 'b'));
  ASSERT_TRUE(d.key(*w, "Browse", Key::kShift | 'N', 'N'));
  ASSERT_TRUE(d.typeChar(*w, "Browse", '4'));
  EXPECT_EQ(browse.events, std::vector<int>(3, Event::AlertKey));
  EXPECT_EQ(browse.codes, (std::vector<int>{'B', Key::kShift | 'N', '4'}));
  EXPECT_EQ(browse.characters, (std::vector<int>{'b', 'N', '4'}));

  // Ctrl and Alt make no character; a space is blank.
  ASSERT_TRUE(d.key(*w, "Browse", Key::kCtrl | 'B', 2));
  ASSERT_TRUE(d.typeChar(*w, "Browse", ' '));
  EXPECT_EQ(browse.events.size(), 3u);
}

TEST(ListInputPlain, AListWithNoAlertedKeysLeavesCharactersAlone) {
  TestDriver d(testCatalogue());
  d.startFrame();
  GroupBrowse plain;
  plain.alerted.clear();
  d.start([&plain] { plain.run(); }, 50000);
  Window* w = d.find("Groups");
  ASSERT_NE(w, nullptr);
  plain.events.clear();
  ASSERT_TRUE(d.typeChar(*w, "Browse", 'b'));
  ASSERT_TRUE(d.key(*w, "Browse", Key::kInsertKey));
  EXPECT_TRUE(plain.events.empty());
}

TEST_F(ListInput, EveryScrollIsOneEventAndOnlyScrollsOfAReachableListAreTaken) {
  open();
  Engine& e = d.engine();
  int list = w->fieldOf("Browse");
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(e.input().scroll(w->id(), list, Event::ScrollDown));
  ASSERT_TRUE(e.input().scroll(w->id(), list, Event::PageUp));
  d.run();
  EXPECT_EQ(browse.events, (std::vector<int>{Event::ScrollDown, Event::ScrollDown, Event::ScrollDown,
                                             Event::PageUp}));
  EXPECT_FALSE(e.input().scroll(w->id(), list, Event::Accepted));
  EXPECT_FALSE(e.input().scroll(w->id(), w->fieldOf("Insert"), Event::ScrollDown));
  EXPECT_FALSE(e.input().scroll(w->id() + 100, list, Event::ScrollDown));

  // While the browse's message box is up the list takes no scrolls.
  ASSERT_TRUE(d.key(*w, "Browse", Key::kInsertKey));
  ASSERT_NE(d.messageBox(), nullptr);
  EXPECT_FALSE(e.input().scroll(w->id(), list, Event::ScrollDown));
  ASSERT_TRUE(d.answer("OK"));
  EXPECT_EQ(count(Event::ScrollDown), 3);
}

TEST_F(ListInput, ANewRowCountReachesTheModelWithOneSizedEvent) {
  open();
  Engine& e = d.engine();
  int list = w->fieldOf("Browse");
  int rows = w->visibleRows(list);
  ASSERT_GT(rows, 1);
  EXPECT_FALSE(e.input().listRows(w->id(), list, rows)) << "nothing changed";
  d.run();
  EXPECT_TRUE(browse.events.empty());

  // The list grew as the user sized its window: the procedure learns both
  // from one EVENT:Sized, and reads the new count when it comes.
  ASSERT_TRUE(e.input().listRows(w->id(), list, rows + 4));
  Rect place = w->place();
  place.height += 30;
  ASSERT_TRUE(e.input().place(w->id(), place));
  d.run();
  EXPECT_EQ(count(Event::Sized), 1);
  EXPECT_EQ(browse.rowsAtSized, rows + 4);
  EXPECT_FALSE(e.input().listRows(w->id(), w->fieldOf("Insert"), 3)) << "only lists have rows";
  EXPECT_TRUE(e.input().listRows(w->id(), list, 0)) << "a list shows one row at least";
  EXPECT_EQ(w->visibleRows(list), 1);

  // Sized while a box holds the thread: the model follows at once and the
  // procedure hears of it once the box is answered.
  ASSERT_TRUE(d.key(*w, "Browse", Key::kInsertKey));
  ASSERT_NE(d.messageBox(), nullptr);
  browse.events.clear();
  EXPECT_TRUE(e.input().listRows(w->id(), list, rows));
  EXPECT_EQ(w->visibleRows(list), rows);
  ASSERT_TRUE(d.answer("OK"));
  EXPECT_EQ(count(Event::Sized), 1);
  EXPECT_EQ(browse.rowsAtSized, rows);
}

}  // namespace
}  // namespace linkar::ui
