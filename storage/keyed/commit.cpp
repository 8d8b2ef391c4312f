// The commit protocol of a data file.
//
// Design notes.
//
// A data file is [header 512][class regions ... up to the data end E0] and,
// while a commit is pending, a redo area further on. The header at offset 0
// is the commit point: its redo bounds tell whether a commit is pending.
//
// Invariants:
//  1. Committed bytes (the header and every page below E0, the data end of
//     the committed header) are overwritten only after the redo area holding
//     their new images, and the new header, have been flushed and the header
//     at offset 0 names that area (phase 0 done).
//  2. Before phase 0 is done the header at offset 0 is byte for byte the
//     committed one, so a crash leaves the committed state.
//  3. The logged header at offset 0 differs from the committed one only in
//     its redo bounds; either of the two, read whole, is a sound header.
//  4. The header at offset 0 says "nothing pending" again only after every
//     page of the redo area has reached its home and been flushed; so a
//     crash anywhere in phase 1 (or in recovery) is completed by replaying
//     the redo area again, which is repeatable.
//
// States of the header at offset 0 and the function behind each transition:
//
//   committed --commitPhase0--> logged --commitPhase1--> committed (new)
//       ^                          |
//       +-------undoPhase0---------+   (a multi-file commit that failed)
//   logged --recoverPendingCommit--> committed (new), or committed (old)
//                                    when a transaction marker says so
//
// Four flushes per commit: after the redo area, after the logged header,
// after the pages reach home, after the header is reset.
#include "storage/keyed/commit.h"

#include <algorithm>
#include <cassert>
#include <string>

#include "storage/keyed/internal_error.h"
#include "storage/keyed/page_image.h"
#include "storage/keyed/recovery.h"
#include "storage/keyed/sdf_format.h"
#include "storage/keyed/sdfbt.h"
#include "storage/keyed/transaction_marker.h"

namespace linkar::keyed {
namespace {

std::string headerBytes(const FileHeader& header) {
  std::string bytes(kHeaderSize, '\0');
  header.write(reinterpret_cast<std::uint8_t*>(bytes.data()));
  return bytes;
}

int writeHeaderAt0(DataFile& file, const FileHeader& header) {
  return file.writeBlocks(0, headerBytes(header));
}

FileHeader withBounds(FileHeader header, std::uint32_t start, std::uint32_t end) {
  header.redoStart = start;
  header.redoEnd = end;
  return header;
}

// After a failed write or flush of the logged header the disk may hold
// either header; putting the committed one back (and flushing it) makes
// the outcome certain when the device works again.
int restoreCommitted(DataFile& file, const FileHeader& committed) {
  if (const int rc = writeHeaderAt0(file, committed)) return rc;
  return file.store().flush();
}

int applyHome(DataFile& file, PendingCommit& c, const FileHeader& final) {
  for (Page* page : c.redone) {
    if (const int rc = file.writeBlocks(pageOffset(page->ref()), page->image)) return rc;
  }
  if (const int rc = file.store().flush()) return rc;
  if (const int rc = writeHeaderAt0(file, final)) return rc;
  return file.store().flush();
}

}  // namespace

int commitPhase0(DataFile& file, PendingCommit& c) {
  c = PendingCommit{};
  if (!file.dirty()) return 0;
  file.requireWritable();
  c.committed = file.committedHeader();
  assert(c.committed.redoStart == c.committed.redoEnd);
  const std::uint64_t e0 = c.committed.dataEnd();

  c.pages = file.placeDirtyPages();
  c.next = file.header();
  const std::uint64_t redo = std::max(e0, c.next.dataEnd());
  SDFBT_CHECK(redo < kLockAreaStart);
  // The counter stays 0 while the file has no tree (it says so).
  if (file.hasTree()) ++c.next.changes;
  c.redoStart = c.redoEnd = static_cast<std::uint32_t>(redo);
  c.next.redoStart = c.next.redoEnd = c.redoStart;

  int rc = 0;
  for (Page* page : c.pages) {
    finishPageImage(*page, page->image);
    const std::uint64_t home = pageOffset(page->ref());
    if (home < e0) {
      // Its home holds committed data: log it.
      SDFBT_CHECK(c.redoEnd + page->image.size() < kLockAreaStart);
      rc = file.writeBlocks(c.redoEnd, page->image);
      c.redoEnd += static_cast<std::uint32_t>(page->image.size());
      c.redone.push_back(page);
    } else {
      rc = file.writeBlocks(home, page->image);
    }
    if (rc) break;
  }
  if (!rc) {
    rc = file.writeBlocks(c.redoEnd, headerBytes(c.next));
    c.redoEnd += static_cast<std::uint32_t>(kHeaderSize);
  }
  if (!rc) rc = file.store().flush();
  if (rc) {
    file.adoptHeader(c.committed);
    return rc;
  }
  // The commit point.
  rc = writeHeaderAt0(file, withBounds(c.committed, c.redoStart, c.redoEnd));
  if (!rc) rc = file.store().flush();
  if (rc) {
    restoreCommitted(file, c.committed);
    file.adoptHeader(c.committed);
    return rc;
  }
  c.logged = true;
  return 0;
}

int commitPhase1(DataFile& file, PendingCommit& c, LockArea* denyWriteLocks) {
  if (!c.logged) return 0;
  const std::uint32_t end = static_cast<std::uint32_t>(c.next.dataEnd());
  const FileHeader final = withBounds(c.next, end, end);
  if (denyWriteLocks) {
    if (const int rc = denyWriteLocks->lockWriterRange()) {
      file.adoptHeader(c.committed);  // the next access completes the commit
      return rc;
    }
  }
  int rc = applyHome(file, c, final);
  // One more try: a passing fault should not leave the work to recovery.
  if (rc) rc = applyHome(file, c, final);
  if (denyWriteLocks) denyWriteLocks->unlockWriterRange();
  c.logged = false;
  if (rc) {
    // The redo area holds the commit; whoever next reads the header
    // completes it. Until then nothing cached may be trusted.
    file.adoptHeader(c.committed);
    return rc;
  }
  file.finishCommit(c.pages, final);
  return 0;
}

int undoPhase0(DataFile& file, PendingCommit& c) {
  if (!c.logged) return 0;
  c.logged = false;
  const int rc = restoreCommitted(file, c.committed);
  file.adoptHeader(c.committed);
  return rc;
}

int commitChanges(DataFile& file, LockArea* denyWriteLocks) {
  // A commit of one file answers for itself. A marker left by an earlier
  // commit across files would make recovery ask the control file about that
  // transaction's number, and should a later unfinished transaction have
  // drawn the same number, roll this commit back over pages already
  // rewritten in place.
  if (file.hasTree()) Sdfbt(file).erase(markerKey());
  PendingCommit commit;
  if (const int rc = commitPhase0(file, commit)) return rc;
  return commitPhase1(file, commit, denyWriteLocks);
}

}  // namespace linkar::keyed
