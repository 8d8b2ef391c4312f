// Binding a file's record for the expression evaluator: every field under
// its label ("URL:LOCATION") and every memo under its own ("URL:SITEINFO"),
// in the current binding scope, so that view filters can name them (names
// are looked up without regard to letter case). The current procedure
// thread's buffers are bound; they stay where they are for the thread's life.
#pragma once

#include <vector>

#include "app/browse_config.h"
#include "app/file_use.h"
#include "storage/layer/declarations.h"

namespace linkar::app {

void bindRecord(storage::FileDecl& file);

// Opens each file through its counter (FileUse) and binds its record: what
// a browse or a form does first. The uses are released when dropped.
std::vector<FileUse> useAndBind(const std::vector<BrowseFile>& files);

}  // namespace linkar::app
