// Record operations of the text driver: reading a line at a position,
// writing the record buffer as a line (appending, over the current record,
// at a position, or cutting the file), EOF and BYTES, and the file lock.
#pragma once

#include <cstdint>

#include "storage/ascii/ascii_instance.h"
#include "storage/layer/driver_dispatch.h"

namespace linkar::ascii {

// Reads the record beginning at 0-based `offset`; 33 at or beyond the end.
storage::OpOutcome readRecord(AsciiInstance& inst, uint64_t offset);

// Writes the first n bytes of the record buffer at 1-based `pointer` (0
// appends). With `cutOnZero`, n = 0 cuts the file at the position instead.
storage::OpOutcome writeRecord(AsciiInstance& inst, uint64_t pointer, uint32_t n, bool cutOnZero);

// True when NEXT has nothing more to read.
bool atEndOfFile(AsciiInstance& inst);

// The current record's length in the file, else the file size.
int32_t recordBytes(AsciiInstance& inst);

// LOCK; seconds < 0 waits without limit.
storage::OpOutcome lockFile(AsciiInstance& inst, int32_t seconds);
storage::OpOutcome unlockFile(AsciiInstance& inst);

}  // namespace linkar::ascii
