// The imports' category lookups.
#include "transfer/category_lookups.h"

#include "app/select_categories.h"

namespace linkar::transfer {

CategoryLookups& categoryLookups() {
  static CategoryLookups lookups{app::SelectCategory, app::SelectCategories};
  return lookups;
}

}  // namespace linkar::transfer
