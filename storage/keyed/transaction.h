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

// Where the control file lives, and what the markers call it:
//  1. By default it is STRANDEL.TCF in the folder of the first data file
//     enrolled in the transaction: every process, of any user or machine,
//     that can open the data files can open it too, so every one of them
//     recovers an interrupted commit the same way. (A control file in a
//     per-user folder made another user's recovery take an unfinished
//     commit for a finished one and apply it to some files only.)
//  2. SEND "TCF=" names any other file; it is kept absolute.
//  3. A marker names the control file relative to its data file's folder
//     when the control file lies in that folder, else by its absolute
//     name; recovery resolves a relative name against the folder of the
//     file it recovers, so the name means the same file to everyone.
//  4. Recovery that meets an unfinished commit whose control file cannot
//     be opened refuses the open (recovery.h) rather than guess.

// Name of the default control file, beside the data files.
inline constexpr const char* kControlFileName = "STRANDEL.TCF";

// The default control file of a transaction whose first enrolled data file
// is `dataFile`: kControlFileName in its folder, absolute.
std::string defaultControlFile(std::string_view dataFile);
// The name a marker in `dataFile` records for `controlFile` (both absolute).
std::string markerControlName(std::string_view controlFile, std::string_view dataFile);
// The control file a marker's name means, for a marker found in `dataFile`.
std::string resolveMarkerControlName(std::string_view name, std::string_view dataFile);

class Transaction {
 public:
  Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  // SEND "TCF=": the control file of every later commit, kept absolute.
  void setControlFile(std::string_view name);
  // The control file a commit over several files would use now: the one
  // sent, else the default beside the first enrolled file (empty when none
  // was sent and nothing is enrolled).
  std::string controlFile() const;

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

  std::string m_controlFile;  // sent with "TCF=", absolute; empty: the default
  std::vector<FileAccess*> m_files;
};

}  // namespace linkar::keyed
