// The shared data-file object: each thread's list of open data files,
// opening with share modes, and the begin and end of each operation's
// access with the end-of-operation commit rule.
#include "runtime/error_codes.h"
#include "storage/keyed/strandel_file.h"

#include <map>

#include "storage/layer/thread_files.h"

namespace linkar::keyed {
namespace {

// The key the driver's per-thread state is kept under.
constexpr char kThreadStateKey = 0;

std::shared_ptr<StrandelThreadState> threadState() {
  return storage::threadFiles().sharedDriverState<StrandelThreadState>(&kThreadStateKey);
}

int sharingRefusal(int rc) { return rc == platform::kErrorSharingViolation ? runtime::err::kAccessDenied : rc; }

}  // namespace

Transaction& strandelTransaction() { return threadState()->transaction; }

bool StrandelFile::isOpen(const std::string& path) {
  const auto& files = threadState()->openFiles;
  auto it = files.find(path);
  return it != files.end() && !it->second.expired();
}

int StrandelFile::openAccess(std::uint8_t accessByte, bool create) {
  const auto disposition = create ? platform::Disposition::OpenAlways : platform::Disposition::OpenExisting;
  std::unique_ptr<FileAccess> access;
  if (const int rc = FileAccess::open(m_path, accessByte, disposition, m_owner, access)) return sharingRefusal(rc);
  m_access = std::move(access);
  m_tree = std::make_unique<Sdfbt>(m_access->file());
  static std::uint64_t opens = 0;
  m_generation = ++opens;
  return 0;
}

int StrandelFile::acquire(const std::string& path, std::uint8_t accessByte, bool create,
                          std::string_view owner, std::shared_ptr<StrandelFile>& out) {
  std::shared_ptr<StrandelThreadState> thread = threadState();
  auto& files = thread->openFiles;
  auto it = files.find(path);
  if (it != files.end()) {
    if (auto existing = it->second.lock()) {
      const bool wantsWrite = (accessByte & platform::kAccessMask) != platform::kAccessRead;
      if (wantsWrite && !existing->writable()) {
        // Our own first open would refuse a second one that denies less, so
        // it is closed first; a read-only open holds no changes.
        Transaction& transaction = thread->transaction;
        const bool wasEnrolled = existing->enrolled();
        if (wasEnrolled) transaction.withdraw(existing->access());
        existing->m_tree.reset();
        existing->m_access.reset();
        const auto mode = static_cast<std::uint8_t>(existing->m_shareBits | platform::kAccessReadWrite);
        if (const int rc = existing->openAccess(mode, false)) {
          const auto readMode = static_cast<std::uint8_t>(existing->m_shareBits | platform::kAccessRead);
          existing->openAccess(readMode, false);
          if (wasEnrolled && existing->m_access) transaction.logout(existing->access());
          return rc;
        }
        if (wasEnrolled) transaction.logout(existing->access());
      }
      out = existing;
      return 0;
    }
    files.erase(it);
  }
  std::shared_ptr<StrandelFile> file(new StrandelFile());
  file->m_thread = thread;
  file->m_path = path;
  file->m_owner.assign(owner);
  file->m_shareBits = accessByte & platform::kShareMask;
  if (const int rc = file->openAccess(accessByte, create)) return rc;
  files[path] = file;
  out = std::move(file);
  return 0;
}

StrandelFile::~StrandelFile() {
  if (m_access) {
    Transaction& transaction = m_thread->transaction;
    if (transaction.enrolled(*m_access)) {
      // The transaction cannot outlive the file: what it held is committed.
      m_access->commit();
      transaction.withdraw(*m_access);
    }
    if (writable())
      m_access->close();
    else
      m_access->endAccess();
  }
  auto& files = m_thread->openFiles;
  auto it = files.find(m_path);
  if (it != files.end() && it->second.expired()) files.erase(it);
}

bool StrandelFile::enrolled() const { return m_access && m_thread->transaction.enrolled(*m_access); }

int StrandelFile::beginAccess(bool write) {
  if (!m_access) return runtime::err::kAccessDenied;  // a failed reopen left no file behind
  data().beginOperation();
  return write ? m_access->beginWrite() : m_access->beginAccess(AccessMode::Read);
}

int StrandelFile::endOperation() {
  if (!m_access) return 0;
  return m_access->endOperation(enrolled(), streamers > 0);
}

int StrandelFile::commitNow() {
  if (!m_access) return 0;
  return m_access->flush();
}

int StrandelFile::commitAndCut() {
  if (!m_access) return 0;
  if (!writable()) return m_access->endAccess();
  return m_access->close();
}

}  // namespace linkar::keyed
