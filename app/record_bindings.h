// Binding a file's record for the expression evaluator: every field under
// its label ("URL:LOCATION") and every memo under its own ("URL:SITEINFO"),
// in the current binding scope, so that view filters can name them (names
// are looked up without regard to letter case). The current procedure
// thread's buffers are bound; they stay where they are for the thread's life.
#pragma once

#include "storage/layer/declarations.h"

namespace linkar::app {

void bindRecord(storage::FileDecl& file);

}  // namespace linkar::app
