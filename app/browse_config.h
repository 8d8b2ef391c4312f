// What makes one browse different from another: its window, file, orders
// (one per tab, each with its key, filter, locator and guide field), the
// columns of its page queue, the range an order may be limited to, the
// buttons and the keys and popup items that reach them, and the files it
// opens. The browse itself (browse.h) is written once over this.
//
// A browse over the categories, for example, is one order on CAT:K_CATEGORY
// with CAT:Category as column, locator and guide field; a site list limited
// to one category is one ranged order on URL:K_CATEGORY whose range comes
// from CAT:Category into URL:CATEGORY.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/record_field.h"
#include "storage/layer/declarations.h"

namespace linkar::app {

class Browse;

// The range value an order can be limited to: a variable of the browse,
// bound under `name` for the order's filter, taken from `source` when the
// order is chosen and put into `target` (the key's leading field) whenever
// the browse positions the key.
struct BrowseRange {
  std::string name;  // "BRW1::Sort2:Reset:CAT:Category"
  FieldRef source;   // CAT:Category
  FieldRef target;   // URL:CATEGORY
};

// One sort order; the tab of the same number chooses it.
struct BrowseOrder {
  storage::KeyDecl* key = nullptr;
  std::string filter;        // filter expression, empty for none
  bool ranged = false;       // limited to the browse's range
  FieldRef seek;             // the field the one-letter locator and a dragged thumb set
  std::vector<FieldRef> clearedBySeek;  // key fields after it, cleared first
  bool guide = true;         // thumb guide values over `seek`
};

// A button of the browse's window and the ways to reach it.
struct BrowseAction {
  std::string button;            // its use name in the window
  std::string popupText;         // "&Insert"; empty: not on the popup menu
  std::vector<int> keys;         // alerted keys of the list that press it
  bool needsEntries = true;      // only while the list has entries (else disabled)
  bool needsSelectRequest = false;  // only when the browse was called to select
  std::function<void(Browse&)> run;
};

// A file the browse opens through its open counter and binds for filters.
struct BrowseFile {
  storage::FileDecl* file = nullptr;
  int32_t& (*openCount)() = nullptr;  // the thread's counter: LinkarOpenCount ...
};

struct BrowseConfig {
  std::string procedure;          // "BrowseLINKAR": also the settings section
  std::string window;             // "BROWSELINKAR$QUICKWINDOW"
  std::string list = "Browse";    // use names of the list and the sheet
  std::string sheet = "CurrentTab";  // empty: one order, no tabs
  std::string closeButton = "Close";

  storage::FileDecl* file = nullptr;  // the file browsed
  std::string fileLabel;              // its name in message 35: "LINKAR"
  std::vector<BrowseFile> files;      // opened and bound, in order

  std::vector<FieldRef> columns;      // queue entry fields, in the list's column order
  std::vector<BrowseOrder> orders;    // by tab number from 1
  BrowseRange range;                  // when some order is ranged
  std::vector<BrowseAction> actions;
};

}  // namespace linkar::app
