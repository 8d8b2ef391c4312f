// A stand-in for SelectCategory, the "Category Assignment" lookup, until
// the lookup itself is written: it answers as "Best Guess" does, with the
// Categories record buffer cleared and the response "cancelled", so the
// caller picks its own category.
#pragma once

namespace linkar::app {

// Takes the request from SharedRequest as a lookup does, clears the
// Categories record buffer and sets SharedResponse to 2 (cancelled).
void SelectCategoryStandIn();

}  // namespace linkar::app
