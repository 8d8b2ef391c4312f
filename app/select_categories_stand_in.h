// A stand-in for SelectCategories, the category lookup, until the lookup
// itself is written: it leaves the Categories record buffer as it is and
// answers "cancelled". BrowseLINKAR's "Categories" button calls it where it
// will call the lookup.
#pragma once

namespace linkar::app {

// Takes the request from SharedRequest as a lookup does and sets
// SharedResponse to 2 (cancelled).
void SelectCategoriesStandIn();

}  // namespace linkar::app
