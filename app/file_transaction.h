// One transaction of the referential-integrity routines over the files they
// change: begun by one LOGOUT over all of them, each file locked first with
// a time limit of kTransactionLockSeconds, and ended by commit() or
// rollback(). A transaction still open when the object goes is rolled back,
// so no path leaves the files locked.
#pragma once

#include <cstdint>
#include <vector>

#include "storage/layer/declarations.h"

namespace linkar::app {

// How long a transaction waits for each file's lock before it gives up
// with 48 "Unable To Log Transaction".
constexpr int32_t kTransactionLockSeconds = 2;

class FileTransaction {
 public:
  // Begins the transaction; begun() tells whether it did (the error state
  // holds 48 or 56 when not). The files must be open and stay open until
  // the transaction ends.
  explicit FileTransaction(std::vector<storage::FileDecl*> files);
  ~FileTransaction();
  FileTransaction(const FileTransaction&) = delete;
  FileTransaction& operator=(const FileTransaction&) = delete;

  bool begun() const { return m_open; }
  // COMMIT. False when it failed: the changes are then discarded and the
  // error state holds the failure.
  bool commit();
  // ROLLBACK, keeping the error state as it was: the failure that led here
  // is still the one to report.
  void rollback();

 private:
  std::vector<storage::FileDecl*> m_files;
  bool m_open = false;
};

}  // namespace linkar::app
