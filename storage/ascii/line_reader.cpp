// Reading one record: a fast path for the common line (no TAB, no 0x1A, its
// end within the record) and a byte-by-byte path for everything else, then
// skipping the rest of a line longer than the record.
#include "storage/ascii/line_reader.h"

#include <algorithm>
#include <cstring>

namespace linkar::ascii {

namespace {

// How many bytes the skip of a long line looks at per fetch, at the least.
constexpr size_t kSkipChunk = 512;
// Bytes below this are control characters (TAB, LF, CR and 0x1A among them).
constexpr uint64_t kControlLimit = 0x20;

class LineScanner {
public:
    explicit LineScanner(const LineFormat& format)
        : m_format(format),
          m_first(static_cast<uint8_t>(format.endOfRecord[0])),
          m_controlOnly(m_first < kControlLimit)
    {
    }

    // The length of the end of the line at data[i], or 0 when none ends there.
    size_t endAt(const uint8_t* data, size_t i, size_t avail) const
    {
        const std::string& eor = m_format.endOfRecord;
        if (data[i] == m_first && i + eor.size() <= avail) {
            size_t k = 1;
            while (k < eor.size() && data[i + k] == static_cast<uint8_t>(eor[k]))
                ++k;
            if (k == eor.size())
                return eor.size();
        }
        if (m_format.lineFeedEnds && data[i] == kLineFeed)
            return 1;
        return 0;
    }

    // Bytes that may end or cut a line.
    bool special(uint8_t c) const
    {
        return c == m_first || c == kTabByte || c == kEndOfFileByte || (m_format.lineFeedEnds && c == kLineFeed);
    }

    // The place of the first special byte in data[from, to), else to. When
    // every special byte is a control character (the usual case), eight
    // bytes at a time are passed over while none of them is one.
    size_t firstSpecial(const uint8_t* data, size_t from, size_t to) const
    {
        size_t i = from;
        while (i < to) {
            if (m_controlOnly) {
                while (i + kWordBytes <= to) {
                    uint64_t word = 0;
                    std::memcpy(&word, data + i, kWordBytes);
                    if (((word - kBelowControlLimit) & ~word & kHighBits) != 0)
                        break;
                    i += kWordBytes;
                }
            }
            size_t stop = std::min(i + kWordBytes, to);
            for (; i < stop; ++i)
                if (special(data[i]))
                    return i;
        }
        return to;
    }

    // The first line end in data[0, limit), found a vector search at a time:
    // its place and length. Clean when no TAB or 0x1A stands before it.
    enum class End { Clean, NeedsCare, None };
    End findEnd(const uint8_t* data, size_t limit, size_t avail, size_t* at, size_t* length) const
    {
        size_t from = 0;
        for (;;) {
            size_t i = find(data, from, limit, m_first);
            if (m_format.lineFeedEnds && m_first != kLineFeed)
                i = find(data, from, i, kLineFeed);
            if (i >= limit)
                return End::None;
            if (size_t n = endAt(data, i, avail); n > 0) {
                *at = i;
                *length = n;
                return needsCare(data, i) ? End::NeedsCare : End::Clean;
            }
            from = i + 1;
        }
    }

    // Whether data[0, n) holds a TAB or a 0x1A.
    static bool needsCare(const uint8_t* data, size_t n)
    {
        return std::memchr(data, kTabByte, n) != nullptr || std::memchr(data, kEndOfFileByte, n) != nullptr;
    }

private:
    // Place of c in data[from, to), else to.
    static size_t find(const uint8_t* data, size_t from, size_t to, uint8_t c)
    {
        if (from >= to)
            return to;
        const void* p = std::memchr(data + from, c, to - from);
        return p == nullptr ? to : static_cast<size_t>(static_cast<const uint8_t*>(p) - data);
    }

    static constexpr size_t kWordBytes = sizeof(uint64_t);
    static constexpr uint64_t kEachByte = 0x0101010101010101ull;
    static constexpr uint64_t kHighBits = 0x80 * kEachByte;
    static constexpr uint64_t kBelowControlLimit = kControlLimit * kEachByte;

    const LineFormat& m_format;
    uint8_t m_first;      // first byte of the end of record
    bool m_controlOnly;   // every special byte is below kControlLimit
};

// Stores a TAB at column col by the TAB setting; returns the new column.
uint32_t expandTab(uint8_t* record, uint32_t col, uint32_t length, int32_t tab)
{
    if (tab == 0)
        return col;
    if (tab == kTabKeep) {
        record[col] = kTabByte;
        return col + 1;
    }
    int64_t blanks = tab > 0 ? tab - static_cast<int64_t>(col % static_cast<uint32_t>(tab))
                             : -static_cast<int64_t>(tab);
    uint32_t n = static_cast<uint32_t>(std::min<int64_t>(blanks, length - col));
    std::memset(record + col, kBlank, n);
    return col + n;
}

// Consumes the rest of a line from `pos`: up to and including its end, a
// byte 0x1A, or the end of the file. Returns the position after it.
int skipRest(BufferedFile& file, const LineScanner& scan, size_t eorLength, uint64_t pos, uint64_t* end)
{
    size_t want = std::max(kSkipChunk, eorLength + 1);
    for (;;) {
        const uint8_t* data = nullptr;
        size_t avail = 0;
        if (int rc = file.view(pos, want, &data, &avail); rc != 0)
            return rc;
        bool atEnd = avail < want;
        // Without the end of the file in sight, stop where an end of record
        // could reach past the bytes at hand, and fetch again from there.
        size_t limit = atEnd ? avail : avail - eorLength + 1;
        for (size_t i = scan.firstSpecial(data, 0, limit); i < limit; i = scan.firstSpecial(data, i + 1, limit)) {
            if (size_t n = scan.endAt(data, i, avail); n > 0) {
                *end = pos + i + n;
                return 0;
            }
            if (data[i] == kEndOfFileByte) {
                *end = pos + i + 1;
                return 0;
            }
        }
        pos += limit;
        if (atEnd) {
            *end = pos;
            return 0;
        }
    }
}

}  // namespace

ReadResult readLine(BufferedFile& file, uint64_t offset, const LineFormat& format, uint8_t* record)
{
    ReadResult result;
    const uint32_t length = format.recordLength;
    const size_t eorLength = format.endOfRecord.size();
    const LineScanner scan(format);

    const uint8_t* data = nullptr;
    size_t avail = 0;
    // A line whose end is already in the buffered window needs no fetch,
    // even when the window stops short of a whole record's worth of bytes.
    size_t at = 0;
    size_t endLength = 0;
    if (file.peek(offset, &data, &avail) && data[0] != kEndOfFileByte &&
        scan.findEnd(data, std::min<size_t>(avail, length), avail, &at, &endLength) == LineScanner::End::Clean) {
        std::memcpy(record, data, at);
        return {ReadStatus::Ok, 0, at + endLength};
    }
    if (int rc = file.view(offset, size_t{length} + eorLength, &data, &avail); rc != 0)
        return {ReadStatus::IoError, rc, 0};
    if (avail == 0 || data[0] == kEndOfFileByte)
        return result;
    result.status = ReadStatus::Ok;

    // Fast path: the line ends within the record, with no TAB or 0x1A before.
    size_t limit = std::min<size_t>(avail, length);
    LineScanner::End found = scan.findEnd(data, limit, avail, &at, &endLength);
    if (found == LineScanner::End::Clean) {
        std::memcpy(record, data, at);
        result.consumed = at + endLength;
        return result;
    }
    if (found == LineScanner::End::None && avail < size_t{length} && !LineScanner::needsCare(data, avail)) {
        // The last line of the file, without an end of record.
        std::memcpy(record, data, avail);
        result.consumed = avail;
        return result;
    }

    // Byte by byte.
    uint32_t col = 0;
    size_t pos = 0;
    bool ended = false;
    while (pos < length && col < length) {
        if (pos >= avail) {
            ended = true;
            break;
        }
        uint8_t c = data[pos];
        if (size_t n = scan.endAt(data, pos, avail); n > 0) {
            pos += n;
            ended = true;
            break;
        }
        ++pos;
        if (c == kEndOfFileByte) {
            ended = true;
            break;
        }
        if (c == kTabByte)
            col = expandTab(record, col, length, format.tab);
        else
            record[col++] = c;
    }
    if (ended) {
        result.consumed = pos;
        return result;
    }

    // The line goes on past the record: its rest is read over.
    uint64_t end = 0;
    if (int rc = skipRest(file, scan, eorLength, offset + pos, &end); rc != 0)
        return {ReadStatus::IoError, rc, 0};
    result.consumed = end - offset;
    return result;
}

}  // namespace linkar::ascii
