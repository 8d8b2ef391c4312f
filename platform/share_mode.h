// Share-mode emulation between opens: recording an open's access and
// denials in the reserved lock range and admitting or refusing opens,
// removals and renames against the records of other opens (layout in file.h).
#pragma once

#include "platform/file.h"

namespace linkar::platform::share {

// Records `mode` for the open behind `fd` and admits it, or removes the
// records again and returns EAGAIN when another open conflicts.
// `writable`: fd was opened for writing, so the guard byte can be taken;
// `readable`: fd was opened for reading, so records can be placed.
// Returns 0 or errno.
int admit(int fd, OpenMode mode, bool writable, bool readable);

// Succeeds (0) when no other open of the file behind `fd` denies reading or
// writing; EAGAIN otherwise. With the guard taken (when `writable`), the
// answer holds until releaseGuard().
int checkNoDenials(int fd, bool writable);
void releaseGuard(int fd, bool writable);

}  // namespace linkar::platform::share
