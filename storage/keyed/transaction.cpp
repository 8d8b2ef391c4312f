// LOGOUT, COMMIT and ROLLBACK, and the multi-file commit through the
// transaction control file:
//   1. enter a fresh transaction number in the control file, commit it;
//   2. mark and log (phase 0) each changed file; a failure undoes the logs;
//   3. delete the number from the control file, commit it: the commit point;
//   4. apply (phase 1) each file.
// A crash before 3 leaves markers whose number the control file still
// lists, so recovery rolls those files back; after 3 it rolls them forward.
#include "storage/keyed/transaction.h"

#include <algorithm>
#include <memory>

#include "platform/clock.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "runtime/error_codes.h"
#include "storage/keyed/sdf_format.h"
#include "storage/keyed/sdfbt.h"
#include "storage/keyed/transaction_marker.h"

namespace linkar::keyed {
namespace {

std::string absoluteName(std::string_view name) {
  std::string path;
  if (platform::absolutePath(std::string(name), &path) != 0) path.assign(name);
  return path;
}

// The folder part of an absolute name, without its last "/".
std::string_view folderOf(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

// A control file whose header at offset 0 was never written (its very first
// commit failed while the file was being made) has never held an entry: it
// is cut back to nothing, under a deny-all open so that no commit uses it
// meanwhile, to be made afresh. Anything else that is no data file is left
// as it is (36): it may hold what a recovery needs.
int remakeUnwrittenControlFile(const std::string& name) {
  platform::File file;
  if (const int rc = file.open(name, platform::OpenMode{platform::Access::ReadWrite, true, true})) return rc;
  std::string head(kHeaderSize, '\0');
  std::size_t got = 0;
  if (const int rc = file.read(0, head.data(), head.size(), &got)) return rc;
  if (std::string_view(head.data(), got).find_first_not_of('\0') != std::string_view::npos)
    return runtime::err::kInvalidDataFile;
  return file.setSize(0);
}

}  // namespace

std::string defaultControlFile(std::string_view dataFile) {
  return std::string(folderOf(absoluteName(dataFile))) + "/" + kControlFileName;
}

std::string markerControlName(std::string_view controlFile, std::string_view dataFile) {
  const std::string_view folder = folderOf(controlFile);
  if (!folder.empty() && folder == folderOf(absoluteName(dataFile))) return std::string(controlFile.substr(folder.size() + 1));
  return std::string(controlFile);
}

std::string resolveMarkerControlName(std::string_view name, std::string_view dataFile) {
  if (!name.empty() && name.front() == '/') return std::string(name);
  return std::string(folderOf(absoluteName(dataFile))) + "/" + std::string(name);
}

Transaction::Transaction() = default;

void Transaction::setControlFile(std::string_view name) { m_controlFile = absoluteName(name); }

std::string Transaction::controlFile() const {
  if (!m_controlFile.empty()) return m_controlFile;
  return m_files.empty() ? std::string() : defaultControlFile(m_files.front()->path());
}

void Transaction::logout(FileAccess& file) {
  if (!enrolled(file)) m_files.push_back(&file);
}

bool Transaction::enrolled(const FileAccess& file) const {
  return std::find(m_files.begin(), m_files.end(), &file) != m_files.end();
}

void Transaction::withdraw(FileAccess& file) {
  m_files.erase(std::remove(m_files.begin(), m_files.end(), &file), m_files.end());
}

void Transaction::finish() {
  for (FileAccess* file : m_files) {
    if (file->dirty()) file->discard();
    file->endAccess();
  }
  m_files.clear();
}

void Transaction::rollback() { finish(); }

int Transaction::commit() {
  std::vector<FileAccess*> changed;
  for (FileAccess* file : m_files)
    if (file->dirty()) changed.push_back(file);
  int rc = 0;
  if (changed.size() == 1) {
    rc = changed.front()->commit();
  } else if (changed.size() > 1) {
    rc = commitSeveral(changed);
  }
  finish();
  return rc;
}

int Transaction::commitSeveral(const std::vector<FileAccess*>& changed) {
  const std::string controlName = controlFile();
  std::unique_ptr<FileAccess> control;
  const auto openControl = [&] {
    return FileAccess::open(controlName, platform::kAccessReadWrite | platform::kShareDenyNone,
                            platform::Disposition::OpenAlways, {}, control);
  };
  int rc = openControl();
  if (rc == runtime::err::kInvalidDataFile && remakeUnwrittenControlFile(controlName) == 0) rc = openControl();
  if (rc) return rc;

  // 1. A number the control file does not hold yet.
  std::uint32_t number = static_cast<std::uint32_t>(platform::timeOfDayHundredths());
  if ((rc = control->beginWrite())) return rc;
  {
    Sdfbt tree(control->file());
    control->file().beginOperation();
    while (tree.find(controlEntryKey(number))) ++number;
    tree.insert(controlEntryKey(number), {});
  }
  if ((rc = control->flush())) return rc;

  // 2. Mark and log every changed file.
  std::vector<PendingCommit> logs(changed.size());
  for (std::size_t i = 0; i < changed.size() && !rc; ++i) {
    FileAccess& file = *changed[i];
    rc = file.beginWrite();
    if (!rc) {
      file.file().beginOperation();
      const TransactionMarker marker{number, markerControlName(controlName, file.path())};
      Sdfbt(file.file()).put(markerKey(), encodeMarker(marker));
      rc = file.logCommit(logs[i]);
    }
  }

  // 3. The commit point: the number leaves the control file.
  if (!rc && !(rc = control->beginWrite())) {
    control->file().beginOperation();
    Sdfbt(control->file()).erase(controlEntryKey(number));
    rc = control->flush();
  }
  if (rc) {
    for (std::size_t i = 0; i < changed.size(); ++i) changed[i]->undoLog(logs[i]);
    control->close();
    return rc;
  }
  control->close();

  // 4. Apply: from here every file counts as committed.
  int applied = 0;
  for (std::size_t i = 0; i < changed.size(); ++i) {
    const int one = changed[i]->applyCommit(logs[i]);
    if (one && !applied) applied = one;
  }
  return applied;
}

}  // namespace linkar::keyed
