// UpdateLINKAR: the site record's update form ("Update Location
// Information"), called by the site browses with request 1, 2 or 3 and the
// site in the LINKAR record buffer.
#pragma once

namespace linkar::app {

// Inserts, changes or deletes the site in the thread's LINKAR buffer as
// SharedRequest asks; SharedResponse is 1 when it did, else 2.
void UpdateLINKAR();

}  // namespace linkar::app
