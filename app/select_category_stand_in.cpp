// The stand-in for the category-assignment lookup.
#include "app/select_category_stand_in.h"

#include "app/records.h"
#include "app/shared_variables.h"
#include "storage/layer/file_statements.h"

namespace linkar::app {

void SelectCategoryStandIn() {
  SharedRequest = 0;
  storage::fileClear(Categories);
  SharedResponse = kResponseCancelled;
}

}  // namespace linkar::app
