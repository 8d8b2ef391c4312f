// Ties the entries of a form to the record they edit: every entry or text
// control whose use name is a field label of the file ("URL:LOCATION") or
// the label of one of its memos ("URL:SiteInfo") shows that field and takes
// what the user types into it. The current procedure thread's buffers are
// bound; they stay where they are for the thread's life, so the binding
// holds whichever thread the window engine runs it on.
#pragma once

#include "storage/layer/declarations.h"

namespace linkar::app {

// Binds the controls of `window` to `file`'s record buffer and memos.
void bindFormControls(int window, storage::FileDecl& file);

}  // namespace linkar::app
