// The program's own windows, menus and reports: the catalogue the program
// hands to the window engine when it starts (see ui/catalogue.h for what a
// catalogue holds).
#pragma once

#include "ui/catalogue.h"

namespace linkar::app {

// The program's catalogue, parsed once on first use.
const ui::Catalogue& programCatalogue();

}  // namespace linkar::app
