// The routines' transactions.
#include "app/file_transaction.h"

#include "runtime/error_state.h"
#include "storage/layer/file_statements.h"

namespace linkar::app {

FileTransaction::FileTransaction(std::vector<storage::FileDecl*> files) : m_files(std::move(files)) {
  storage::fileLogoutFiles(kTransactionLockSeconds, m_files);
  m_open = runtime::errorCode() == 0;
}

FileTransaction::~FileTransaction() { rollback(); }

bool FileTransaction::commit() {
  if (!m_open) return false;
  m_open = false;
  storage::fileEndLogoutFiles(true, m_files);
  return runtime::errorCode() == 0;
}

void FileTransaction::rollback() {
  if (!m_open) return;
  m_open = false;
  runtime::saveError();
  storage::fileEndLogoutFiles(false, m_files);
  runtime::restoreError();
}

}  // namespace linkar::app
