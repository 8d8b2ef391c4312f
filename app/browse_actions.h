// The buttons browses share, as actions of a BrowseConfig: insert, change
// and delete through an update form, and a lookup that chooses the range.
// Each first re-reads the highlighted record, so the form works on a
// complete, current record.
#pragma once

#include <functional>
#include <string>

#include "app/browse_config.h"

namespace linkar::app {

// "&Insert" (the Insert key; also with an empty list): the file is left
// without a current record, the record and its memos cleared and, in a
// ranged order, the range put in, then the form is called with request 1.
BrowseAction insertAction(std::function<void()> form);
// "&Change" (double click, Ctrl+Enter): the form with request 2.
BrowseAction changeAction(std::function<void()> form);
// "&Delete" (the Delete key): the form with request 3.
BrowseAction deleteAction(std::function<void()> form);
// A button that calls a lookup with request 4 to choose the range.
BrowseAction lookupAction(std::string button, std::function<void()> lookup);
// A button that re-reads the highlighted record and calls another browse
// with no request ("Locations": the highlighted category's sites); the
// list is read again afterwards.
BrowseAction callAction(std::string button, std::function<void()> procedure);

// The buttons of a lookup (a browse called with request 4 to choose a
// record): each re-reads the highlighted record into the buffer, where the
// caller finds it, and ends the lookup.
// "&Select" (double click): response 1; only with entries and request 4.
BrowseAction selectAction();
// A button that ends the lookup with response 2 ("Close"); with
// `clearFirst` the record buffer is cleared before the highlighted record
// is read ("Best Guess"), so an empty list hands back a blank record.
BrowseAction endLookupAction(std::string button, bool clearFirst);

}  // namespace linkar::app
