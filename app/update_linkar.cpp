// The site record's form.
#include "app/update_linkar.h"

#include "app/records.h"
#include "app/shared_variables.h"
#include "app/update_form.h"

namespace linkar::app {
namespace {

UpdateFormConfig updateLinkarConfig() {
  UpdateFormConfig c;
  c.procedure = "UpdateLINKAR";
  c.window = "UPDATELINKAR$QUICKWINDOW";
  c.insertTitle = "Adding a LINKAR Record";
  c.changeTitle = "Changing a LINKAR Record";
  c.firstField = "URL:LOCATION";
  c.file = &LINKAR;
  c.uniqueKey = &URL_K_LOCATION;
  c.keyText = "Site Location";
  c.files = {{&LINKAR, &LinkarOpenCount}, {&Categories, &CategoriesOpenCount}};
  c.remove = deleteSiteRecord;
  c.update = updateSiteRecord;
  return c;
}

}  // namespace

void UpdateLINKAR() {
  static const UpdateFormConfig config = updateLinkarConfig();
  runUpdateForm(config);
}

}  // namespace linkar::app
