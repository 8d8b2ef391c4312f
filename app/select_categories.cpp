// The two category lookups.
#include "app/select_categories.h"

#include "app/browse.h"
#include "app/browse_actions.h"
#include "app/browse_categories.h"

namespace linkar::app {

BrowseConfig selectCategoriesConfig() {
  BrowseConfig c = categoryListConfig("SelectCategories", "SELECTCATEGORIES$QUICKWINDOW");
  c.closeButton.clear();  // "Close" hands back the highlighted category
  c.actions = {selectAction(), endLookupAction("Close", false)};
  return c;
}

BrowseConfig selectCategoryConfig() {
  BrowseConfig c = categoryListConfig("SelectCategory", "SELECTCATEGORY$QUICKWINDOW");
  c.closeButton.clear();
  c.actions = {selectAction(), endLookupAction("BestGuess", true)};
  return c;
}

void SelectCategories() {
  static const BrowseConfig config = selectCategoriesConfig();
  runBrowse(config);
}

void SelectCategory() {
  static const BrowseConfig config = selectCategoryConfig();
  runBrowse(config);
}

}  // namespace linkar::app
