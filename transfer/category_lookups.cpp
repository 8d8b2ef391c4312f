// The imports' category lookups.
#include "transfer/category_lookups.h"

#include "app/select_categories_stand_in.h"
#include "app/select_category_stand_in.h"

namespace linkar::transfer {

CategoryLookups& categoryLookups() {
  static CategoryLookups lookups{app::SelectCategoryStandIn, app::SelectCategoriesStandIn};
  return lookups;
}

}  // namespace linkar::transfer
