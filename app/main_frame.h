// Main: the application frame procedure. It opens MAIN$APPFRAME, restores
// its place and starts the procedure of each menu choice on a procedure
// thread of its own; the frame does no data work itself.
#pragma once

#include <string_view>

namespace linkar::app {

// Stack sizes the frame starts its procedures with.
constexpr int kTransferStack = 25000;  // imports and the export
constexpr int kBrowseStack = 50000;    // browses and reports

// A menu item of the frame and the procedure it starts.
struct FrameChoice {
  const char* item;        // the item's use name in MAIN$APPFRAME
  const char* procedure;   // the registered procedure's name
  int stackBytes;
};

// The frame's choices, in menu order; `count` receives their number.
const FrameChoice* frameChoices(size_t* count);

// The text of the About box.
std::string_view aboutText();

// The frame procedure; returns when the frame has closed.
void Main();

// The About box: MESSAGE titled "About", no icon, the single button "OK".
void showAbout();

}  // namespace linkar::app
