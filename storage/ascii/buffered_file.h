// The text driver's buffered file: one window of the file held in memory,
// served to reads while QUICKSCAN is on, and collecting written bytes until
// a read elsewhere, a change of buffer, a flush or the close writes them back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file.h"

namespace linkar::ascii {

// Every call returns 0 or an operating-system error number (platform/os_error.h).
class BufferedFile {
public:
    BufferedFile() = default;
    ~BufferedFile();
    BufferedFile(const BufferedFile&) = delete;
    BufferedFile& operator=(const BufferedFile&) = delete;

    // REQUIRES: not open.
    int open(const std::string& path, platform::OpenMode mode);
    // Writes back what is buffered, then closes; the first failure is returned
    // but the file is closed either way.
    int close();
    bool isOpen() const { return m_file.isOpen(); }
    platform::File& file() { return m_file; }

    // The window size used for fetching and collecting writes. Writes back
    // first; a failed write-back keeps the old size.
    int setBufferSize(size_t bytes);
    size_t bufferSize() const { return m_bufferSize; }
    // On: reads inside the window are served from it. Off: every read
    // fetches from the file again.
    void setQuickScan(bool on) { m_quickScan = on; }
    bool quickScan() const { return m_quickScan; }

    // The bytes [offset, offset + wanted): *data points at them, *avail tells
    // how many there are (fewer than wanted only at the end of the file).
    // The pointer stays valid until the next call on this object.
    int view(uint64_t offset, size_t wanted, const uint8_t** data, size_t* avail);

    // With QUICKSCAN on, whatever the window holds from offset on (false when
    // it holds nothing there); no fetch. Valid until the next call.
    bool peek(uint64_t offset, const uint8_t** data, size_t* avail) const
    {
        if (!m_quickScan || !m_valid || offset < m_start || offset >= m_start + m_fill)
            return false;
        *data = m_buffer.data() + (offset - m_start);
        *avail = static_cast<size_t>(m_start + m_fill - offset);
        return true;
    }

    // Writes n bytes at offset through the window.
    int write(uint64_t offset, const uint8_t* data, size_t n);
    // Writes the dirty part of the window back to the file.
    int writeBack();
    // Cuts the file to `size` bytes (what is buffered beyond it is dropped).
    int truncate(uint64_t size);
    // Writes back and makes the file durable.
    int flush();

    // The size as last seen: at open, by fetches that met the end, and by
    // our own writes and truncations.
    uint64_t knownSize() const { return m_knownSize; }
    // Asks the operating system again (another open may have written).
    int refreshSize();

private:
    void invalidate();

    platform::File m_file;
    std::vector<uint8_t> m_buffer;  // window bytes; at least m_bufferSize long
    size_t m_bufferSize = 512;
    bool m_quickScan = false;
    bool m_valid = false;           // the window holds file bytes
    uint64_t m_start = 0;           // file offset of m_buffer[0]
    size_t m_fill = 0;              // bytes of the window
    size_t m_dirtyLow = 0;          // dirty range [low, high) within the window
    size_t m_dirtyHigh = 0;
    uint64_t m_knownSize = 0;
};

}  // namespace linkar::ascii
