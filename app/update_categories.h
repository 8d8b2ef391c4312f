// UpdateCategories: the category's update form ("Update Categories"),
// called with request 1, 2 or 3 and the category in the Categories record
// buffer. Its "Locations" tab lists the category's sites, where they can be
// added, changed and deleted through UpdateLINKAR while the form is open.
#pragma once

#include "app/browse_config.h"

namespace linkar::app {

// Inserts, changes or deletes the category in the thread's Categories
// buffer as SharedRequest asks; SharedResponse is 1 when it did, else 2.
// A rename or a delete carries over to the category's sites.
void UpdateCategories();

// The site list of the "Locations" tab: the sites whose category is the
// one in the Categories buffer (any letter case), by location.
BrowseConfig categorySitesConfig();

}  // namespace linkar::app
