// BrowseLINKAR: the site records in "Browse Locations", in five orders
// (Description, Location, Category limited to one category, Rating,
// Keyword), with Insert, Change and Delete through the update form and the
// category chosen through the category lookup.
#pragma once

#include <functional>

#include "app/browse_config.h"

namespace linkar::app {

// The browse's configuration, calling `form` for Insert, Change and Delete
// and `lookup` for the "Categories" button.
BrowseConfig browseLinkarConfig(std::function<void()> form, std::function<void()> lookup);

// The procedure the frame's "&Browse" > "Locations" starts.
void BrowseLINKAR();

}  // namespace linkar::app
