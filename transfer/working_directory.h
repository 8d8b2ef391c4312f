// Changing the process's working directory, as the file dialogs of the
// imports and the export do around themselves.
#pragma once

#include <string_view>

namespace linkar::transfer {

// Makes `path` the working directory. Returns 0 or the error number; an
// empty path changes nothing.
int changeWorkingDirectory(std::string_view path);

}  // namespace linkar::transfer
