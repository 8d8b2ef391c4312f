// The category browses: BrowseCategories ("Browse Categories"), where
// categories are added, changed and deleted through their form and a
// category's sites are opened with "Locations", and BrowseURL:K_Category
// ("Browse Location by Category"), the site list it opens: the sites of the
// category in the Categories record buffer, in any letter case, by
// location.
#pragma once

#include "app/browse_config.h"

namespace linkar::app {

// The procedure the frame's "&Browse" > "Categories" starts.
void BrowseCategories();

// Called with the category in the thread's Categories buffer; Insert
// starts the new site in that category.
void BrowseURL_K_Category();

// Their configurations.
BrowseConfig browseCategoriesConfig();
BrowseConfig categoryLocationsConfig();

// What every list of categories shares (the browse and both lookups): the
// Categories file in CAT:K_CATEGORY order, one column, no buttons yet.
BrowseConfig categoryListConfig(const char* procedure, const char* window);
// What every list of one category's sites shares ("Browse Location by
// Category" and the category form's list): the range variable `range`
// taken from CAT:Category, `filter` over it, and Insert, Change and Delete
// through UpdateLINKAR.
BrowseConfig categorySiteListConfig(const char* procedure, const char* window, const char* range,
                                    const char* filter);

}  // namespace linkar::app
