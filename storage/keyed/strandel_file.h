// The data-file object the driver's table handles share: one per data file
// name in each procedure thread, over the file's access (locks, commits,
// stale caches), with the tree the statements work on and the thread's one
// LOGOUT transaction.
//
// Each procedure thread has its own list of open data files and its own
// transaction (kept in the thread's files, storage/layer/thread_files.h), so
// two threads of one process open a data file as two processes would: each
// through its own open, with its own locks and its own page cache. A LOGOUT
// on one thread therefore never takes in another thread's writes; the other
// thread waits for the file at its next access, as another process would.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "storage/keyed/file_access.h"
#include "storage/keyed/sdfbt.h"
#include "storage/keyed/transaction.h"

namespace linkar::keyed {


class StrandelFile;

// What one procedure thread has of the driver.
struct StrandelThreadState {
  // Open data files by name (compared exactly). The table handles own the
  // objects; the list only finds them.
  std::map<std::string, std::weak_ptr<StrandelFile>> openFiles;
  Transaction transaction;  // LOGOUT, COMMIT, ROLLBACK, SEND "TCF="
};

// The current thread's transaction.
Transaction& strandelTransaction();

class StrandelFile {
 public:
  // The data file `path` as the current thread has it open, or a new open
  // of it.
  // A file already open keeps the share mode of its first open; an open that
  // asks for writing switches a read-only object to read and write. With
  // `create` the file is made when absent. Returns 0, 5 for a sharing
  // refusal, 36 when the file is not a data file, or the system's error.
  static int acquire(const std::string& path, std::uint8_t accessByte, bool create,
                     std::string_view owner, std::shared_ptr<StrandelFile>& out);
  // Whether the current thread has `path` open.
  static bool isOpen(const std::string& path);

  // Commits what is left and cuts the file to its data end.
  ~StrandelFile();
  StrandelFile(const StrandelFile&) = delete;
  StrandelFile& operator=(const StrandelFile&) = delete;

  const std::string& path() const { return m_path; }
  FileAccess& access() { return *m_access; }
  DataFile& data() { return m_access->file(); }
  Sdfbt& tree() { return *m_tree; }
  LockArea& locks() { return m_access->locks(); }
  bool writable() const { return m_access && m_access->file().writable(); }
  // False only after a failed switch to writing left no open file behind.
  bool usable() const { return m_access != nullptr; }

  // Begins (or continues) the access of an operation; a read access held
  // when writing is needed is ended first. Returns 0, 36 or a system error.
  int beginAccess(bool write);
  // The end of every operation: commits and leaves the access, unless the
  // file is enrolled in the transaction or streaming with few dirty pages.
  int endOperation();
  // Commits now and leaves the access (FLUSH).
  int commitNow();
  // Commits and cuts the file to its data end (CLOSE, PACK).
  int commitAndCut();
  bool enrolled() const;
  // The transaction of the thread that opened the file.
  Transaction& transaction() { return m_thread->transaction; }

  int streamers = 0;  // tables of this file with STREAM active
  // Changes whenever the open behind the object is replaced, so that page
  // hints taken from the old one are never trusted.
  std::uint64_t generation() const { return m_generation; }

 private:
  StrandelFile() = default;
  int openAccess(std::uint8_t accessByte, bool create);

  std::shared_ptr<StrandelThreadState> m_thread;  // the thread that opened it
  std::string m_path;
  std::string m_owner;
  std::uint8_t m_shareBits = 0;
  std::unique_ptr<FileAccess> m_access;
  std::unique_ptr<Sdfbt> m_tree;
  std::uint64_t m_generation = 0;
};

}  // namespace linkar::keyed
