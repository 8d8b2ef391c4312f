// Recovery of an unfinished commit (see the notes at the top of commit.cpp).
//
// The redo area is a run of page images, each starting with its home offset
// and stored length, the pending header last (its home is 0). When the
// pending tree holds a transaction marker whose control file still lists
// that transaction, the multi-file commit never reached its commit point and
// the redo area is dropped; otherwise the commit stands.
#include "runtime/error_codes.h"
#include "storage/keyed/recovery.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"

#include "platform/os_error.h"
#include "platform/pause.h"
#include "storage/keyed/block_store.h"
#include "storage/keyed/internal_error.h"
#include "storage/keyed/sdfbt.h"
#include "storage/keyed/transaction.h"
#include "storage/keyed/transaction_marker.h"
#include "storage/layer/thread_files.h"

namespace linkar::keyed {
namespace {

// A control file is itself a data file; one holding a marker again is not
// followed further (a loop of markers must not recurse without end).
constexpr int kMaxRecoveryDepth = 2;

// How long the control file's reader slot is tried before recovery gives
// up with 32: a process holding it in a write access keeps it only briefly.
constexpr std::int64_t kControlLockWaitMilliseconds = 3000;

// Where a recovery stands, per procedure thread: a thread may pause in the
// wait for a control file while another thread recovers a file of its own.
struct RecoveryGuard {
  int depth = 0;
  std::string recoveringPath;
};
constexpr char kGuardKey = 0;

RecoveryGuard& guard() { return storage::threadFiles().driverState<RecoveryGuard>(&kGuardKey); }

bool sameFile(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  if (a.empty() || b.empty() || ::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

struct RedoImage {
  std::uint64_t home;
  std::uint64_t position;
  std::size_t size;
};

int walkRedoArea(DataFile& file, const FileHeader& logged, std::vector<RedoImage>& images) {
  const std::uint64_t start = logged.redoStart;
  const std::uint64_t end = logged.redoEnd;
  if (start < kHeaderSize || end <= start || end >= kLockAreaStart || start % kUnit || end % kUnit)
    return runtime::err::kInvalidDataFile;
  for (std::uint64_t pos = start; pos < end;) {
    std::string head;
    std::size_t got = 0;
    if (const int rc = file.readBlocks(pos, head, kIoBlock, &got)) return rc;
    if (got != kIoBlock) return runtime::err::kInvalidDataFile;
    const auto* p = bytesOf(head);
    const std::uint64_t home = getLe32(p + kPageHome);
    const std::size_t stored = getLe16(p + kPageStored);
    const std::size_t size = roundUpUnit(stored);
    const bool isHeader = home == 0;
    if (isHeader ? stored != kHeaderSize : stored < kPageHeader) return runtime::err::kInvalidDataFile;
    if (size > kMaxPageBytes || pos + size > end) return runtime::err::kInvalidDataFile;
    if (!isHeader && (home < kHeaderSize || (home - kHeaderSize) % kUnit || home + size > start))
      return runtime::err::kInvalidDataFile;
    images.push_back({home, pos, size});
    pos += size;
  }
  return 0;
}

int readPendingHeader(DataFile& file, const std::vector<RedoImage>& images, FileHeader& out) {
  const RedoImage* found = nullptr;
  for (const RedoImage& image : images)
    if (image.home == 0) found = &image;
  if (!found) return runtime::err::kInvalidDataFile;
  std::string bytes;
  std::size_t got = 0;
  if (const int rc = file.readBlocks(found->position, bytes, kHeaderSize, &got)) return rc;
  if (got != kHeaderSize || !FileHeader::read(bytesOf(bytes), out) || !out.regionsSound())
    return runtime::err::kInvalidDataFile;
  if (out.changes != 0 && out.classOf(out.root) == 0) return runtime::err::kInvalidDataFile;
  return 0;
}

// Whether the control file `name` still lists transaction `number`. The
// reader slot is tried for a while rather than waited for without end: the
// holder might be this very process. A control file that cannot be opened
// leaves the question open: the commit may or may not have reached its
// commit point, and applying it to this file alone could split it, so the
// answer is kControlFileUnreadable and the file is not opened.
int controlFileLists(const std::string& name, std::uint32_t number, bool* listed) {
  *listed = false;
  // A data file is never its own control file.
  if (sameFile(name, guard().recoveringPath)) return 0;
  platform::File raw;
  int rc = raw.open(name, platform::kAccessRead | platform::kShareDenyNone);
  if (rc) {
    std::fprintf(stderr, "Linkar: the transaction control file %s of an unfinished commit cannot be opened (%d)\n",
                 name.c_str(), rc);
    return kControlFileUnreadable;
  }
  auto store = std::make_unique<FileStore>(std::move(raw));
  LockArea locks(&store->file());
  rc = platform::retryWhileBusy([&] { return locks.tryLockReaderSlot(); }, runtime::err::kFileIsAlreadyLocked,
                                kControlLockWaitMilliseconds);
  if (rc) return rc;
  std::unique_ptr<DataFile> control;
  bool found = false;
  guard().recoveringPath = name;
  // A control file too damaged to read lists nothing we could trust. The
  // store stays here: the reader slot is unlocked through it afterwards,
  // also when the open fails and drops what it was given.
  const int fault = runGuarded([&] {
    if (DataFile::open(std::make_unique<BorrowedStore>(*store), {}, control) != 0 || !control->hasTree()) return;
    found = Sdfbt(*control).find(controlEntryKey(number)).has_value();
  });
  locks.unlockReaderSlot();
  *listed = fault == 0 && found;
  return 0;
}

// Looks for a transaction marker in the pending tree (read through the
// replay map) and asks its control file about it.
int transactionUnfinished(DataFile& file, bool* unfinished) {
  *unfinished = false;
  std::optional<Entry> marker;
  if (file.hasTree()) {
    Sdfbt tree(file);
    marker = tree.find(markerKey());
  }
  if (!marker) return 0;
  TransactionMarker parsed;
  if (!parseMarker(marker->data(), parsed)) return runtime::err::kInvalidDataFile;
  RecoveryGuard& g = guard();
  if (g.depth >= kMaxRecoveryDepth) return runtime::err::kInvalidDataFile;
  ++g.depth;
  const std::string recovering = g.recoveringPath;
  const std::string controlFile = resolveMarkerControlName(parsed.controlFile, recovering);
  const int rc = controlFileLists(controlFile, parsed.number, unfinished);
  g.recoveringPath = recovering;
  --g.depth;
  return rc;
}

FileHeader withBounds(FileHeader header, std::uint64_t at) {
  header.redoStart = header.redoEnd = static_cast<std::uint32_t>(at);
  return header;
}

int writeHeader(DataFile& file, const FileHeader& header) {
  std::string bytes(kHeaderSize, '\0');
  header.write(reinterpret_cast<std::uint8_t*>(bytes.data()));
  if (const int rc = file.writeBlocks(0, bytes)) return rc;
  return file.store().flush();
}

int copyHome(DataFile& file, const std::vector<RedoImage>& images) {
  std::string bytes;
  for (const RedoImage& image : images) {
    if (image.home == 0) continue;
    bytes.assign(image.size, '\0');
    std::size_t got = 0;
    // Byte for byte: the images are already enciphered as their homes want them.
    if (const int rc = file.store().read(image.position, bytes.data(), image.size, &got)) return rc;
    if (got != image.size) return runtime::err::kInvalidDataFile;
    if (const int rc = file.writeRaw(image.home, bytes)) return rc;
  }
  return file.store().flush();
}

}  // namespace

void setRecoveringPath(const std::string& path) { guard().recoveringPath = path; }

int recoverPendingCommit(DataFile& file, LockArea* denyWriteLocks) {
  const FileHeader logged = file.header();
  if (logged.redoStart == logged.redoEnd) return 0;
  std::vector<RedoImage> images;
  FileHeader pending;
  if (int rc = walkRedoArea(file, logged, images)) return rc;
  if (int rc = readPendingHeader(file, images, pending)) return rc;

  std::unordered_map<std::uint64_t, std::uint64_t> replay;
  for (const RedoImage& image : images)
    if (image.home != 0) replay[image.home] = image.position;
  file.adoptHeader(pending);
  file.setReplayMap(std::move(replay));

  bool rollBack = false;
  if (const int rc = transactionUnfinished(file, &rollBack)) {
    file.adoptHeader(logged);
    return rc;
  }
  if (rollBack) {
    // The committed state is the header at offset 0 without its redo bounds.
    const FileHeader reset = withBounds(logged, logged.dataEnd());
    if (!file.writable()) {
      file.adoptHeader(reset);
      return 0;
    }
    if (const int rc = writeHeader(file, reset)) {
      file.adoptHeader(logged);
      return rc;
    }
    file.adoptHeader(reset);
    return 0;
  }
  if (!file.writable()) return 0;  // keeps reading through the replay map

  if (denyWriteLocks) {
    if (const int rc = denyWriteLocks->lockWriterRange()) {
      file.adoptHeader(logged);
      return rc;
    }
  }
  const FileHeader final = withBounds(pending, pending.dataEnd());
  int rc = copyHome(file, images);
  if (!rc) rc = writeHeader(file, final);
  if (denyWriteLocks) denyWriteLocks->unlockWriterRange();
  file.adoptHeader(rc ? logged : final);
  return rc;
}

}  // namespace linkar::keyed
