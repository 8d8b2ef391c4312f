// The text driver's buffered file: the window, its fetches and write-backs.
#include "storage/ascii/buffered_file.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace linkar::ascii {

BufferedFile::~BufferedFile()
{
    close();
}

int BufferedFile::open(const std::string& path, platform::OpenMode mode)
{
    assert(!isOpen());
    invalidate();
    int rc = m_file.open(path, mode, platform::Disposition::OpenExisting);
    if (rc != 0)
        return rc;
    rc = refreshSize();
    if (rc != 0)
        m_file.close();
    return rc;
}

int BufferedFile::close()
{
    if (!isOpen())
        return 0;
    int rc = writeBack();
    invalidate();
    int closed = m_file.close();
    return rc != 0 ? rc : closed;
}

void BufferedFile::invalidate()
{
    m_valid = false;
    m_start = 0;
    m_fill = 0;
    m_dirtyLow = m_dirtyHigh = 0;
}

int BufferedFile::setBufferSize(size_t bytes)
{
    assert(bytes > 0);
    int rc = writeBack();
    if (rc != 0)
        return rc;
    invalidate();
    m_bufferSize = bytes;
    m_buffer.assign(bytes, 0);
    m_buffer.shrink_to_fit();
    return 0;
}

int BufferedFile::refreshSize()
{
    uint64_t size = 0;
    int rc = m_file.size(&size);
    if (rc != 0)
        return rc;
    // Bytes still waiting in the window belong to the file too.
    if (m_valid && m_dirtyHigh > m_dirtyLow)
        size = std::max<uint64_t>(size, m_start + m_dirtyHigh);
    m_knownSize = size;
    return 0;
}

int BufferedFile::writeBack()
{
    if (!m_valid || m_dirtyHigh <= m_dirtyLow)
        return 0;
    size_t low = m_dirtyLow;
    size_t high = m_dirtyHigh;
    m_dirtyLow = m_dirtyHigh = 0;
    int rc = m_file.write(m_start + low, m_buffer.data() + low, high - low);
    if (rc != 0) {
        // What the window says is no longer what the file holds; later
        // appends go where the file really ends, leaving no gap.
        invalidate();
        refreshSize();
    }
    return rc;
}

int BufferedFile::view(uint64_t offset, size_t wanted, const uint8_t** data, size_t* avail)
{
    *data = m_buffer.data();
    *avail = 0;
    if (m_quickScan && m_valid && offset >= m_start && offset <= m_start + m_fill) {
        size_t inWindow = static_cast<size_t>(m_start + m_fill - offset);
        // The window serves the request when it holds all of it, or all
        // there is up to the end of the file.
        if (inWindow >= wanted || m_start + m_fill >= m_knownSize) {
            *data = m_buffer.data() + (offset - m_start);
            *avail = std::min(inWindow, wanted);
            return 0;
        }
    }
    int rc = writeBack();
    if (rc != 0)
        return rc;
    invalidate();
    size_t fetch = m_quickScan ? std::max(wanted, m_bufferSize) : wanted;
    if (m_buffer.size() < std::max(fetch, m_bufferSize))
        m_buffer.resize(std::max(fetch, m_bufferSize));
    size_t got = 0;
    rc = m_file.read(offset, m_buffer.data(), fetch, &got);
    if (rc != 0)
        return rc;
    m_valid = true;
    m_start = offset;
    m_fill = got;
    if (got < fetch)
        m_knownSize = offset + got;
    else
        m_knownSize = std::max<uint64_t>(m_knownSize, offset + got);
    *data = m_buffer.data();
    *avail = std::min(got, wanted);
    return 0;
}

int BufferedFile::write(uint64_t offset, const uint8_t* data, size_t n)
{
    if (n == 0)
        return 0;
    if (m_buffer.size() < m_bufferSize)
        m_buffer.resize(m_bufferSize);
    size_t capacity = m_buffer.size();
    // Joins the window when it starts inside or right after it and fits.
    if (m_valid && offset >= m_start && offset <= m_start + m_fill && offset - m_start + n <= capacity) {
        size_t at = static_cast<size_t>(offset - m_start);
        std::memcpy(m_buffer.data() + at, data, n);
        m_fill = std::max(m_fill, at + n);
        if (m_dirtyHigh <= m_dirtyLow) {
            m_dirtyLow = at;
            m_dirtyHigh = at + n;
        } else {
            m_dirtyLow = std::min(m_dirtyLow, at);
            m_dirtyHigh = std::max(m_dirtyHigh, at + n);
        }
        m_knownSize = std::max<uint64_t>(m_knownSize, offset + n);
        return 0;
    }
    int rc = writeBack();
    if (rc != 0)
        return rc;
    invalidate();
    if (n <= capacity) {
        std::memcpy(m_buffer.data(), data, n);
        m_valid = true;
        m_start = offset;
        m_fill = n;
        m_dirtyLow = 0;
        m_dirtyHigh = n;
    } else {
        rc = m_file.write(offset, data, n);
        if (rc != 0)
            return rc;
    }
    m_knownSize = std::max<uint64_t>(m_knownSize, offset + n);
    return 0;
}

int BufferedFile::truncate(uint64_t size)
{
    int rc = writeBack();
    invalidate();
    if (rc != 0)
        return rc;
    rc = m_file.setSize(size);
    if (rc != 0)
        return rc;
    m_knownSize = size;
    return 0;
}

int BufferedFile::flush()
{
    int rc = writeBack();
    if (rc != 0)
        return rc;
    return m_file.flush();
}

}  // namespace linkar::ascii
