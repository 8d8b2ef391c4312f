// A stand-in for UpdateLINKAR, the site record's update form, until the
// form itself is written: it answers every request with "cancelled" and
// changes nothing. BrowseLINKAR calls it where it will call the form.
#pragma once

namespace linkar::app {

// Takes the request from SharedRequest as a form does and sets
// SharedResponse to 2 (cancelled).
void UpdateLINKARStandIn();

}  // namespace linkar::app
