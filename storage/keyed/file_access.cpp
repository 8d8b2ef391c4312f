// Beginning and ending accesses of a shared data file, the cached header and
// the change counter that tells a process its page cache is stale.
#include "runtime/error_codes.h"
#include "storage/keyed/file_access.h"

#include <cassert>
#include <cstring>

#include "storage/keyed/recovery.h"
#include "storage/keyed/sdf_format.h"

namespace linkar::keyed {
namespace {

bool sameHeader(const FileHeader& a, const FileHeader& b) {
  std::uint8_t x[kHeaderSize];
  std::uint8_t y[kHeaderSize];
  a.write(x);
  b.write(y);
  return std::memcmp(x, y, kHeaderSize) == 0;
}

StoreWrapper& storeWrapper() {
  static StoreWrapper wrapper;
  return wrapper;
}

}  // namespace

void setStoreWrapper(StoreWrapper wrapper) { storeWrapper() = std::move(wrapper); }

Sharing sharingOf(std::uint8_t accessByte) {
  switch (accessByte & platform::kShareMask) {
    case platform::kShareDenyWrite:
      return Sharing::DenyWrite;
    case platform::kShareDenyAll:
    case platform::kShareDenyRead:
      return Sharing::Exclusive;
    default:
      return Sharing::Shared;  // deny none, compatibility and unknown nibbles
  }
}

int FileAccess::open(const std::string& path, std::uint8_t accessByte,
                     platform::Disposition disposition, std::string_view owner,
                     std::unique_ptr<FileAccess>& out) {
  platform::File raw;
  if (const int rc = raw.open(path, accessByte, disposition)) return rc;
  auto store = std::make_unique<FileStore>(std::move(raw));
  platform::File* lockFile = &store->file();
  const Sharing sharing = sharingOf(accessByte);
  const bool writes = store->writable();

  // The header read and any recovery at open happen under the same locks as
  // an access of that kind.
  LockArea openLocks(lockFile);
  int rc = 0;
  const bool lockWriter = writes && sharing != Sharing::Exclusive;
  const bool lockReader = !writes && sharing == Sharing::Shared;
  if (lockWriter) rc = openLocks.lockWriterRange();
  if (lockReader) rc = openLocks.lockReaderSlot();
  if (rc) return rc;
  std::unique_ptr<BlockStore> held = std::move(store);
  if (storeWrapper()) held = storeWrapper()(std::move(held), path);
  std::unique_ptr<DataFile> file;
  setRecoveringPath(path);
  rc = DataFile::open(std::move(held), owner, file);
  setRecoveringPath({});
  // A failed open has closed the file, and its locks went with it.
  if (rc) return rc;
  if (lockWriter) openLocks.unlockWriterRange();
  if (lockReader) openLocks.unlockReaderSlot();
  out = std::make_unique<FileAccess>(std::move(file), sharing, lockFile);
  out->m_path = path;
  out->m_headerValid = true;
  return 0;
}

FileAccess::FileAccess(std::unique_ptr<DataFile> file, Sharing sharing, platform::File* lockFile)
    : m_file(std::move(file)), m_locks(lockFile), m_sharing(sharing) {}

FileAccess::~FileAccess() { endAccess(); }

int FileAccess::beginAccess(AccessMode mode) {
  if (m_held) return 0;
  if (mode == AccessMode::Write && !m_file->writable()) return runtime::err::kAccessDenied;
  if (m_sharing == Sharing::Shared) {
    const int rc = mode == AccessMode::Read ? m_locks.lockReaderSlot() : m_locks.lockWriterRange();
    if (rc) return rc;
  }
  m_held = true;
  m_readMode = mode == AccessMode::Read;
  // Nobody else writes an unshared file: its cached header stays true.
  if (m_sharing != Sharing::Shared && m_headerValid) return 0;
  if (const int rc = refreshHeader()) {
    endAccess();
    return rc;
  }
  return 0;
}

int FileAccess::refreshHeader() {
  assert(!m_file->dirty());
  std::size_t got = 0;
  if (const int rc = m_file->readBlocks(0, m_headerBytes, kHeaderSize, &got)) return rc;
  // Nothing read: an empty file, which counts as new.
  FileHeader disk;
  if (got != 0) {
    if (got != kHeaderSize) return runtime::err::kInvalidDataFile;
    // The usual case: nobody committed since this process last looked.
    if (m_headerValid && matchesCommitted(m_headerBytes)) return 0;
    if (!FileHeader::read(bytesOf(m_headerBytes), disk) || !disk.regionsSound()) return runtime::err::kInvalidDataFile;
    if (disk.changes != 0 && disk.classOf(disk.root) == 0) return runtime::err::kInvalidDataFile;
  }
  // The change counter moves with every commit; comparing the whole header
  // also catches a pending redo area left by a process that died.
  if (m_headerValid && sameHeader(disk, m_file->committedHeader())) return 0;
  m_headerValid = false;
  m_file->adoptHeader(disk);
  if (disk.redoStart != disk.redoEnd) {
    setRecoveringPath(m_path);
    const int rc = recoverPendingCommit(*m_file, denyWriteLocks());
    setRecoveringPath({});
    if (rc) return rc;
  }
  m_headerValid = true;
  return 0;
}

bool FileAccess::matchesCommitted(std::string_view bytes) {
  if (m_committedBytesVersion != m_file->committedVersion() || m_committedBytes.size() != kHeaderSize) {
    m_committedBytes.assign(kHeaderSize, '\0');
    m_file->committedHeader().write(reinterpret_cast<std::uint8_t*>(m_committedBytes.data()));
    m_committedBytesVersion = m_file->committedVersion();
  }
  return bytes == m_committedBytes;
}

int FileAccess::beginWrite() {
  if (m_held && m_readMode) {
    if (const int rc = endAccess()) return rc;
  }
  return beginAccess(AccessMode::Write);
}

int FileAccess::endAccess() {
  if (!m_held) return 0;
  int rc = 0;
  if (m_sharing == Sharing::Shared)
    rc = m_readMode ? m_locks.unlockReaderSlot() : m_locks.unlockWriterRange();
  m_held = false;
  m_readMode = true;
  return rc;
}

int FileAccess::commit() {
  if (!m_file->dirty()) return 0;
  assert(m_sharing != Sharing::Shared || (m_held && !m_readMode));
  const int rc = commitChanges(*m_file, denyWriteLocks());
  if (rc) m_headerValid = false;
  return rc;
}

int FileAccess::endOperation(bool inTransaction, bool streaming) {
  if (inTransaction) return 0;
  if (streaming && m_file->cache().dirtyCount() < kStreamCommitPages) return 0;
  return flush();
}

int FileAccess::flush() {
  const int rc = commit();
  const int unlocked = endAccess();
  return rc ? rc : unlocked;
}

void FileAccess::discard() {
  m_file->adoptHeader(m_file->committedHeader());
  m_headerValid = false;
}

int FileAccess::close() {
  int rc = flush();
  if (rc || !m_file->writable()) return rc;
  // Cut to the data end as the file stands now, not as this open last saw it.
  if ((rc = beginAccess(AccessMode::Write))) return rc;
  rc = m_file->close();
  const int unlocked = endAccess();
  return rc ? rc : unlocked;
}

int FileAccess::logCommit(PendingCommit& commit) {
  const int rc = commitPhase0(*m_file, commit);
  if (rc) m_headerValid = false;
  return rc;
}

int FileAccess::applyCommit(PendingCommit& commit) {
  const int rc = commitPhase1(*m_file, commit, denyWriteLocks());
  if (rc) m_headerValid = false;
  return rc;
}

int FileAccess::undoLog(PendingCommit& commit) {
  const int rc = undoPhase0(*m_file, commit);
  m_headerValid = false;
  return rc;
}

}  // namespace linkar::keyed
