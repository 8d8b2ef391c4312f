// Recovery of an unfinished commit (see the notes at the top of commit.cpp).
//
// The redo area is a run of page images, each starting with its home offset
// and stored length, the pending header last (its home is 0). When the
// pending tree holds a transaction marker whose control file still lists
// that transaction, the multi-file commit never reached its commit point and
// the redo area is dropped; otherwise the commit stands.
#include "storage/keyed/recovery.h"

#include <cerrno>
#include <string>
#include <vector>

#include "platform/os_error.h"
#include "storage/keyed/file_access.h"
#include "storage/keyed/internal_error.h"
#include "storage/keyed/sdfbt.h"
#include "storage/keyed/transaction_marker.h"

namespace linkar::keyed {
namespace {

constexpr int kErrFileNotFound = 2;  // the control file is gone: it lists nothing
constexpr int kErrPathNotFound = 3;
// A control file is itself a data file; one holding a marker again is not
// followed further (a loop of markers must not recurse without end).
constexpr int kMaxRecoveryDepth = 2;

thread_local int t_depth = 0;

struct RedoImage {
  std::uint64_t home;
  std::uint64_t position;
  std::size_t size;
};

int walkRedoArea(DataFile& file, const FileHeader& logged, std::vector<RedoImage>& images) {
  const std::uint64_t start = logged.redoStart;
  const std::uint64_t end = logged.redoEnd;
  if (start < kHeaderSize || end <= start || end >= kLockAreaStart || start % kUnit || end % kUnit)
    return kErrInvalidDataFile;
  for (std::uint64_t pos = start; pos < end;) {
    std::string head;
    std::size_t got = 0;
    if (const int rc = file.readBlocks(pos, head, kIoBlock, &got)) return rc;
    if (got != kIoBlock) return kErrInvalidDataFile;
    const auto* p = bytesOf(head);
    const std::uint64_t home = getLe32(p + kPageHome);
    const std::size_t stored = getLe16(p + kPageStored);
    const std::size_t size = roundUpUnit(stored);
    const bool isHeader = home == 0;
    if (isHeader ? stored != kHeaderSize : stored < kPageHeader) return kErrInvalidDataFile;
    if (size > kMaxPageBytes || pos + size > end) return kErrInvalidDataFile;
    if (!isHeader && (home < kHeaderSize || (home - kHeaderSize) % kUnit || home + size > start))
      return kErrInvalidDataFile;
    images.push_back({home, pos, size});
    pos += size;
  }
  return 0;
}

int readPendingHeader(DataFile& file, const std::vector<RedoImage>& images, FileHeader& out) {
  const RedoImage* found = nullptr;
  for (const RedoImage& image : images)
    if (image.home == 0) found = &image;
  if (!found) return kErrInvalidDataFile;
  std::string bytes;
  std::size_t got = 0;
  if (const int rc = file.readBlocks(found->position, bytes, kHeaderSize, &got)) return rc;
  if (got != kHeaderSize || !FileHeader::read(bytesOf(bytes), out) || !out.regionsSound())
    return kErrInvalidDataFile;
  if (out.changes != 0 && out.classOf(out.root) == 0) return kErrInvalidDataFile;
  return 0;
}

// Whether the control file `name` still lists transaction `number`.
int controlFileLists(const std::string& name, std::uint32_t number, bool* listed) {
  *listed = false;
  std::unique_ptr<FileAccess> control;
  int rc = FileAccess::open(name, platform::kAccessRead | platform::kShareDenyNone,
                            platform::Disposition::OpenExisting, {}, control);
  if (rc == kErrFileNotFound || rc == kErrPathNotFound || rc == kErrInvalidDataFile) return 0;
  if (rc) return rc;
  if ((rc = control->beginAccess(AccessMode::Read))) {
    return rc == kErrInvalidDataFile ? 0 : rc;
  }
  bool found = false;
  const int fault = runGuarded([&] {
    Sdfbt tree(control->file());
    found = tree.find(controlEntryKey(number)).has_value();
  });
  control->endAccess();
  // A control file too damaged to read lists nothing we could trust.
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
  if (!parseMarker(marker->data(), parsed)) return kErrInvalidDataFile;
  if (t_depth >= kMaxRecoveryDepth) return kErrInvalidDataFile;
  ++t_depth;
  const int rc = controlFileLists(parsed.controlFile, parsed.number, unfinished);
  --t_depth;
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
    if (got != image.size) return kErrInvalidDataFile;
    if (const int rc = file.store().write(image.home, bytes.data(), image.size)) return rc;
  }
  return file.store().flush();
}

}  // namespace

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
