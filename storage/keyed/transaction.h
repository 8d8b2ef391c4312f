// A procedure thread's LOGOUT/COMMIT/ROLLBACK transaction over several data
// files (each thread has its own, see strandel_file.h).
// A commit that spans more than one changed file records its number in the
// transaction control file between the two phases, and each file it logs
// carries a marker naming that number, so that recovery rolls every file
// back, or every file forward, never some of each.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "storage/keyed/file_access.h"

namespace linkar::keyed {

// Name of the control file in the state folder when none was sent.
inline constexpr const char* kControlFileName = "strandel.tcf";

// The default control file: strandel.tcf in the state folder. Returns 0 or
// the error of making that folder; `*out` is set either way.
int defaultControlFile(std::string* out);

class Transaction {
 public:
  Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  // SEND "TCF=": the control file of every later commit, kept absolute.
  void setControlFile(std::string_view name);
  const std::string& controlFile() const { return m_controlFile; }

  // LOGOUT: enrols `file` (once); its operations no longer commit it.
  // The file must stay open until COMMIT, ROLLBACK or withdraw().
  void logout(FileAccess& file);
  bool enrolled(const FileAccess& file) const;
  bool active() const { return !m_files.empty(); }
  // A file closing while enrolled leaves the transaction (its changes were
  // committed or discarded by the caller).
  void withdraw(FileAccess& file);

  // COMMIT: every enrolled file with changes, atomically across files.
  // Returns 0 or the first error; the enrolment list is emptied either way
  // and changes left uncommitted are discarded.
  int commit();
  // ROLLBACK: discards the changes of every enrolled file.
  void rollback();

 private:
  int commitSeveral(const std::vector<FileAccess*>& changed);
  void finish();

  std::string m_controlFile;
  std::vector<FileAccess*> m_files;
};

}  // namespace linkar::keyed
