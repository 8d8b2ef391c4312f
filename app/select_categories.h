// The category lookups. Each is called with SharedRequest 4 and opens on
// the category in the thread's Categories record buffer; it hands back its
// choice in that buffer and SharedResponse.
//   SelectCategories ("Select a Category"): "&Select" (or a double click)
//     reads the highlighted category and answers 1; "Close" reads it too
//     and answers 2.
//   SelectCategory ("Category Assignment", for the HTML import): "&Select"
//     as above; "Best Guess" answers 2, the caller then choosing for
//     itself.
#pragma once

#include "app/browse_config.h"

namespace linkar::app {

void SelectCategories();
void SelectCategory();

BrowseConfig selectCategoriesConfig();
BrowseConfig selectCategoryConfig();

}  // namespace linkar::app
