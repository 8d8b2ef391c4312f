// The open-counter bracket every procedure puts around its use of a file:
// when the thread's counter is 0 the file is opened through CheckOpen, then
// the counter goes up; on release it goes down and the file is closed when
// it reaches 0. A procedure called on the same thread finds the file open
// and only counts itself in.
//
//   FileUse sites(LINKAR, LinkarOpenCount());
//   ...
//   sites.release();   // or at the end of the scope
#pragma once

#include <cstdint>

#include "storage/layer/declarations.h"

namespace linkar::app {

class FileUse {
 public:
  // `openCount` is the current thread's counter of `file` (LinkarOpenCount()
  // and so on); it lives as long as the thread. Runs inside a procedure
  // thread; when the file cannot be opened the program has ended.
  FileUse(storage::FileDecl& file, int32_t& openCount);
  ~FileUse() { release(); }
  FileUse(FileUse&& other) noexcept;
  FileUse(const FileUse&) = delete;
  FileUse& operator=(const FileUse&) = delete;
  FileUse& operator=(FileUse&&) = delete;

  // Counts this use out; closes the file when it was the last. Runs once.
  void release();

 private:
  storage::FileDecl* m_file;
  int32_t* m_openCount;
};

}  // namespace linkar::app
