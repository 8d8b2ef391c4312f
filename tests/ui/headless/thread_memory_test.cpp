// Memory kept per procedure thread: two threads working in the same record
// buffer each find their own contents after the other ran, a new thread
// starts from the initial contents, and a procedure called on the same
// thread shares the caller's.

#include "ui/thread_memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "ui/headless/test_driver.h"
#include "ui/statements.h"

namespace linkar::ui {
namespace {

char g_buffer[16];

std::string contents() { return std::string(g_buffer, strnlen(g_buffer, sizeof g_buffer)); }
void fill(const char* text) {
  std::memset(g_buffer, 0, sizeof g_buffer);
  std::memcpy(g_buffer, text, std::min(std::strlen(text), sizeof g_buffer - 1));
}

TEST(ThreadSwappedMemory, EachThreadKeepsItsOwnContentsAcrossSwitches) {
  fill("initial");
  TestDriver d;
  ThreadSwappedMemory memory(d.engine().threads(), g_buffer, sizeof g_buffer);
  d.startFrame();
  std::string seen[3];
  auto worker = [&seen](int index, const char* mine) {
    return [&seen, index, mine] {
      seen[index] = contents();  // what a new thread starts from
      fill(mine);
      openWindow("BROWSECATEGORIES$QUICKWINDOW");
      while (acceptEvent()) {
        if (accepted() == 2) {
          seen[index] = contents();
          // A called procedure on the same thread sees and changes the same buffer.
          fill((std::string(mine) + "+form").c_str());
        }
        if (accepted() == 8) break;
      }
    };
  };
  d.start(worker(0, "alpha"), 50000);
  d.start(worker(1, "beta"), 50000);
  EXPECT_EQ(seen[0], "initial");
  EXPECT_EQ(seen[1], "initial");
  EXPECT_EQ(contents(), "initial");  // the home context's own copy

  auto windows = d.findAll("Browse Categories");
  ASSERT_EQ(windows.size(), 2u);
  Window* alpha = windows[0]->thread() == 1 ? windows[0] : windows[1];
  Window* beta = windows[0]->thread() == 1 ? windows[1] : windows[0];
  ASSERT_TRUE(d.press(*alpha, "&Insert"));
  EXPECT_EQ(seen[0], "alpha");
  ASSERT_TRUE(d.press(*beta, "&Insert"));
  EXPECT_EQ(seen[1], "beta");
  ASSERT_TRUE(d.press(*alpha, "&Insert"));
  EXPECT_EQ(seen[0], "alpha+form");

  // A slot freed and taken again starts from the initial contents.
  ASSERT_TRUE(d.press(*alpha, "Close"));
  d.start(worker(2, "gamma"), 50000);
  EXPECT_EQ(seen[2], "initial");
}

}  // namespace
}  // namespace linkar::ui
