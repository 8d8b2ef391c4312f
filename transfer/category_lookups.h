// The category lookups the imports call before they read: SelectCategory
// ("Category Assignment", the HTML import) and SelectCategories ("Select a
// Category", the plain-text import). Each is called with SharedRequest set
// to 4 and answers in SharedResponse and the Categories record buffer. The
// command line puts its own answer in their place.
#pragma once

#include <functional>

namespace linkar::transfer {

struct CategoryLookups {
  std::function<void()> selectCategory;
  std::function<void()> selectCategories;
};

// The lookups the imports call from now on; by default the program's.
CategoryLookups& categoryLookups();

}  // namespace linkar::transfer
