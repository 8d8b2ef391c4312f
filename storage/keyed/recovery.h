// Settling an unfinished commit found when a data file's header is read:
// rolled forward from the redo area, or rolled back when its transaction
// never reached its commit point.
#pragma once

#include <string>

#include "runtime/error_codes.h"
#include "storage/keyed/data_file.h"
#include "storage/keyed/lock_area.h"

namespace linkar::keyed {

// The unfinished commit spans several files and its transaction control
// file cannot be opened, so whether to roll it back or forward cannot be
// told: the file is refused rather than guessed at.
inline constexpr int kControlFileUnreadable = runtime::err::kUnableToRollback;

// `file` has just taken the header at offset 0, and its redo bounds differ.
// A writable file is repaired on disk (the writer range of `denyWriteLocks`,
// when given, is held while pages are copied home); a read-only file is left
// as it is and reads the committed pages from the redo area. Returns 0, 36
// when the redo area is damaged, kControlFileUnreadable, or an
// operating-system error; on failure the
// file keeps the header at offset 0 and nothing more is written.
// Repeatable: a crash part-way leaves a file this can settle again.
int recoverPendingCommit(DataFile& file, LockArea* denyWriteLocks);

// Names the file whose recovery may run next on this thread (FileAccess sets
// it), so that a marker naming that same file as its control file is not
// followed. Empty: unknown.
void setRecoveringPath(const std::string& path);

}  // namespace linkar::keyed
