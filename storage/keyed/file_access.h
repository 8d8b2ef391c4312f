// One open data file as the driver's tables share it: the data file, its
// lock area and the access state. Every operation begins an access (read or
// write), and at its end commits and ends it; between accesses of a shared
// file other processes may change it, and the header's change counter says
// when the cached pages are stale.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/file.h"
#include "storage/keyed/commit.h"
#include "storage/keyed/data_file.h"
#include "storage/keyed/lock_area.h"

namespace linkar::keyed {

enum class AccessMode { Read, Write };

// How other opens may use the file, from the share bits of the open.
enum class Sharing {
  Shared,     // deny none (share bits 0x00, 0x40): every access is locked
  DenyWrite,  // 0x20: only this open writes; readers elsewhere may read
  Exclusive,  // deny all or deny read: no other open at all
};

Sharing sharingOf(std::uint8_t accessByte);

// Operations leave at most this many dirty pages uncommitted under STREAM.
inline constexpr std::size_t kStreamCommitPages = 40;

// Wraps the store of every file FileAccess::open opens, so that a test can
// watch or damage what is written. Empty (the default): no wrapping.
using StoreWrapper =
    std::function<std::unique_ptr<BlockStore>(std::unique_ptr<BlockStore>, const std::string& path)>;
void setStoreWrapper(StoreWrapper wrapper);

class FileAccess {
 public:
  // Opens `path` with the access byte of OPEN (access and share bits) and
  // the owner string of the declaration. Returns 0, the open's error, or 36
  // when the bytes are not a data file. An unfinished commit is settled.
  static int open(const std::string& path, std::uint8_t accessByte,
                  platform::Disposition disposition, std::string_view owner,
                  std::unique_ptr<FileAccess>& out);
  // Wraps a data file held in memory (no other process can see it).
  FileAccess(std::unique_ptr<DataFile> file, Sharing sharing, platform::File* lockFile);
  ~FileAccess();
  FileAccess(const FileAccess&) = delete;
  FileAccess& operator=(const FileAccess&) = delete;

  // Begins an access; nothing when one is held.
  int beginAccess(AccessMode mode);
  // Write mode for a changing operation: a read access is ended first.
  int beginWrite();
  // Unlocks; commits nothing.
  int endAccess();
  // Both commit phases when the file is dirty. On failure the changes are
  // gone and the next access reads the file afresh.
  int commit();
  // The end of one operation: commit and end the access, unless a LOGOUT
  // transaction holds the file or STREAM has fewer than 40 dirty pages.
  int endOperation(bool inTransaction, bool streaming);
  // FLUSH: commit and end the access now.
  int flush();
  // Forgets every uncommitted change; the next access reads the file afresh.
  void discard();
  // Commits, then cuts the file to its data end under a write access.
  int close();

  // The two phases apart, for a commit over several data files.
  int logCommit(PendingCommit& commit);
  int applyCommit(PendingCommit& commit);
  int undoLog(PendingCommit& commit);

  DataFile& file() { return *m_file; }
  LockArea& locks() { return m_locks; }
  Sharing sharing() const { return m_sharing; }
  bool accessHeld() const { return m_held; }
  bool readMode() const { return m_readMode; }
  bool dirty() const { return m_file->dirty(); }
  const std::string& path() const { return m_path; }

 private:
  int refreshHeader();
  // Whether `bytes` are the committed header exactly as it is written.
  bool matchesCommitted(std::string_view bytes);
  LockArea* denyWriteLocks() { return m_sharing == Sharing::DenyWrite ? &m_locks : nullptr; }

  std::unique_ptr<DataFile> m_file;
  LockArea m_locks;
  Sharing m_sharing;
  std::string m_path;
  bool m_held = false;
  bool m_readMode = true;
  bool m_headerValid = false;
  std::string m_headerBytes;     // the header as last read, reused
  std::string m_committedBytes;  // the committed header as written, and for which version
  std::uint64_t m_committedBytesVersion = 0;
};

}  // namespace linkar::keyed
