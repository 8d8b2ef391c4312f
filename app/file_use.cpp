// The open-counter bracket.
#include "app/file_use.h"

#include "app/check_open.h"
#include "storage/layer/file_statements.h"

namespace linkar::app {

FileUse::FileUse(storage::FileDecl& file, int32_t& openCount) : m_file(&file), m_openCount(&openCount) {
  if (openCount == 0) CheckOpen(file);
  ++openCount;
}

FileUse::FileUse(FileUse&& other) noexcept : m_file(other.m_file), m_openCount(other.m_openCount) {
  other.m_file = nullptr;
  other.m_openCount = nullptr;
}

void FileUse::release() {
  if (!m_file) return;
  if (--*m_openCount <= 0) {
    *m_openCount = 0;
    storage::fileClose(*m_file);
  }
  m_file = nullptr;
  m_openCount = nullptr;
}

}  // namespace linkar::app
