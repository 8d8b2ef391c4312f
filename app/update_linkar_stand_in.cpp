// The stand-in for the site record's update form.
#include "app/update_linkar_stand_in.h"

#include "app/shared_variables.h"

namespace linkar::app {

void UpdateLINKARStandIn() {
  SharedRequest = 0;
  SharedResponse = kResponseCancelled;
}

}  // namespace linkar::app
