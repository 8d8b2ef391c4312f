// The stand-in for the category lookup.
#include "app/select_categories_stand_in.h"

#include "app/shared_variables.h"

namespace linkar::app {

void SelectCategoriesStandIn() {
  SharedRequest = 0;
  SharedResponse = kResponseCancelled;
}

}  // namespace linkar::app
