// Reading TransferFile line by line through a sequential view, as the
// imports do: from its start, each line's text without trailing blanks
// (and without a UTF-8 byte order mark at the start of the file), and the
// bytes it took in the file, for the progress. A read error other than the
// end of the file is reported with standard message 35 naming LINKAR; a
// view that cannot be opened with message 36.
#pragma once

#include <cstdint>
#include <string_view>

#include "storage/layer/view_descriptor.h"
#include "transfer/batch_loop.h"

namespace linkar::transfer {

class TransferLines {
 public:
  // TransferFile must be open on this thread for the object's life.
  TransferLines();
  ~TransferLines();
  TransferLines(const TransferLines&) = delete;
  TransferLines& operator=(const TransferLines&) = delete;

  // The file's size in bytes; asked before the first read.
  int64_t fileSize();
  // Sets the file to its start, opens the view and reads the first line.
  BatchRead first();
  BatchRead next();
  // The line last read, valid until the next read.
  std::string_view line() const { return m_line; }

 private:
  BatchRead read();

  storage::ViewOrder m_order;
  storage::ViewDescriptor m_view;
  std::string_view m_line;
  bool m_atStart = true;
};

}  // namespace linkar::transfer
