// Reading one record of a text file: a line cut at the record length, TABs
// expanded by the TAB setting, ended by the end-of-record bytes, by a byte
// 0x1A or by the end of the file; the rest of a longer line is skipped.
#pragma once

#include <cstdint>
#include <string>

#include "storage/ascii/buffered_file.h"

namespace linkar::ascii {

// The byte that ends a text file's data wherever it stands.
constexpr uint8_t kEndOfFileByte = 0x1A;
constexpr uint8_t kTabByte = 0x09;
constexpr uint8_t kLineFeed = 0x0A;
constexpr uint8_t kCarriageReturn = 0x0D;
constexpr uint8_t kBlank = 0x20;
// TAB setting that stores the TAB byte itself.
constexpr int32_t kTabKeep = -100;

struct LineFormat {
    uint32_t recordLength = 0;
    int32_t tab = 8;
    std::string endOfRecord = "\r\n";  // 1 to 255 bytes
    // A LF standing alone ends a record too (the default end of record on a
    // system whose text files end lines with LF).
    bool lineFeedEnds = true;
};

// Why a read produced no record.
enum class ReadStatus { Ok, NoRecord, IoError };

struct ReadResult {
    ReadStatus status = ReadStatus::NoRecord;
    int osError = 0;        // with IoError
    uint64_t consumed = 0;  // bytes of the file the record took, ends and skipped bytes included
};

// Reads the record starting at 0-based `offset` into record[0, recordLength),
// storing only the bytes of the line (the caller has cleared the record).
// NoRecord when the offset is at the end of the file or on a byte 0x1A.
ReadResult readLine(BufferedFile& file, uint64_t offset, const LineFormat& format, uint8_t* record);

}  // namespace linkar::ascii
