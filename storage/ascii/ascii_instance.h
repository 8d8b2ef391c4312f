// The text driver's per-file state: the resolved path, the buffered file,
// the current record and next read position, the option values and the
// nesting count of the file lock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/ascii/buffered_file.h"
#include "storage/ascii/line_reader.h"
#include "storage/layer/driver_instance.h"

namespace linkar::ascii {

// The buffer sizes an open starts with.
constexpr size_t kExclusiveBufferSize = 1024;  // deny-all or deny-write opens
constexpr size_t kSharedBufferSize = 512;      // every other open
// FILEBUFFERS counts in units of this many bytes.
constexpr size_t kFileBufferUnit = 512;
// The file lock: one byte at this offset.
constexpr uint64_t kFileLockOffset = 0;
constexpr uint64_t kFileLockLength = 1;
// The most nested takings of the file lock.
constexpr uint32_t kMaxLockNesting = 255;

class AsciiInstance : public storage::DriverInstance {
public:
    std::string m_path;               // resolved full path while open
    BufferedFile m_file;
    std::vector<uint8_t> m_work;      // OEM work buffer, record-sized
    std::vector<uint8_t> m_line;      // a line being written, with its end

    uint64_t m_currentOffset = 0;     // 0-based start of the current record
    uint64_t m_currentLength = 0;     // its bytes in the file
    bool m_recordCurrent = false;
    uint64_t m_nextRead = 1;          // 1-based position NEXT reads from

    bool m_clip = true;
    LineFormat m_format;              // record length, TAB, end of record
    bool m_denyNone = false;          // opened deny none: writes take the file lock
    bool m_readOnly = false;
    bool m_exclusiveOpen = false;     // opened deny-all or deny-write
    bool m_denyRead = false;          // the open itself refuses readers
    uint32_t m_lockCount = 0;         // nesting of the file lock

    bool quickScan() const { return m_file.quickScan(); }
    bool oem() const;
};

}  // namespace linkar::ascii
