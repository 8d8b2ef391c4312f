// CheckOpen: the open-or-create policy every procedure opens its data files
// by. A missing file is created, a file whose keys must be rebuilt is
// rebuilt when the user agrees, and anything else ends the program.
#pragma once

#include <cstdint>

#include "storage/layer/declarations.h"

namespace linkar::app {

// The access mode the program opens its files with: read and write,
// others may read and write.
constexpr int32_t kCheckOpenMode = storage::kAccessReadWrite | storage::kDenyNone;  // 0x42

// Opens `file` with kCheckOpenMode. On return the file is open; when it
// cannot be opened the program has ended (HALT) after the matching
// standard message. Runs inside a procedure thread.
void CheckOpen(storage::FileDecl& file);

}  // namespace linkar::app
