// Commits of a data file through its redo area: phase 0 logs every changed
// page and the new header where a crash cannot hurt the committed state,
// phase 1 copies them home. The protocol and its invariants are described
// at the top of commit.cpp.
#pragma once

#include <cstdint>
#include <vector>

#include "storage/keyed/data_file.h"
#include "storage/keyed/file_header.h"
#include "storage/keyed/lock_area.h"

namespace linkar::keyed {

// One commit between its phases.
struct PendingCommit {
  FileHeader committed;        // the header on disk when the commit began
  FileHeader next;             // the header the commit makes current
  std::uint32_t redoStart = 0;
  std::uint32_t redoEnd = 0;
  std::vector<Page*> pages;    // every dirty page, images built
  std::vector<Page*> redone;   // the pages whose images went to the redo area
  bool logged = false;         // phase 0 finished: the commit is durable
};

// Phase 0. Does nothing (and leaves `commit.logged` false) when the file is
// clean. On failure the changes are discarded, the header at offset 0 is as
// it was, and the error is returned.
int commitPhase0(DataFile& file, PendingCommit& commit);

// Phase 1 of a logged commit. `denyWriteLocks`, when given, is the lock area
// of a deny-write open: the writer range is held while pages are copied home.
// A failure here does not undo the commit (phase 0 made it durable); the
// file is left for the next access to complete, and the error is returned.
int commitPhase1(DataFile& file, PendingCommit& commit, LockArea* denyWriteLocks);

// Takes back a logged commit whose phase 1 has not begun (a multi-file
// commit that failed before its commit point): the committed header goes
// back to offset 0 and the changes are discarded.
int undoPhase0(DataFile& file, PendingCommit& commit);

// Both phases.
int commitChanges(DataFile& file, LockArea* denyWriteLocks);

// Flushes performed by one commit (for callers that count them).
inline constexpr int kFlushesPerCommit = 4;

}  // namespace linkar::keyed
