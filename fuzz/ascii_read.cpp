// Fuzzes the text driver with arbitrary file bytes, record lengths, access
// modes and option strings: reading every line, positioned reads, writes and
// reading back. A read that succeeds without moving on is an endless loop.
//
// Input: byte 0 the record length, byte 1 the mode and switches, then the
// option text up to a NUL (options separated by '/'), then the file bytes.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/error_state.h"
#include "storage/ascii/ascii_driver.h"
#include "storage/layer/declarations.h"
#include "storage/layer/field_list.h"
#include "storage/layer/file_statements.h"

namespace {

using namespace linkar;

// Record lengths run from 0 to 3 x 255.
constexpr uint32_t kLengthScale = 3;
constexpr size_t kMaxOptionText = 256;

const std::string& scratchPath()
{
    static const std::string path = [] {
        char name[] = "/tmp/linkar-ascii-fuzz-XXXXXX";
        int fd = mkstemp(name);
        if (fd < 0)
            abort();
        close(fd);
        return std::string(name);
    }();
    return path;
}

bool writeFile(const std::string& path, const uint8_t* data, size_t size)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (f == nullptr)
        return false;
    bool ok = fwrite(data, 1, size, f) == size;
    return fclose(f) == 0 && ok;
}

void sendOptions(storage::FileDecl& decl, const std::string& text)
{
    size_t start = 0;
    while (start <= text.size()) {
        size_t slash = text.find('/', start);
        if (slash == std::string::npos)
            slash = text.size();
        storage::fileSend(decl, text.substr(start, slash - start));
        start = slash + 1;
    }
}

// Reads every line from the start; returns how many there were.
size_t readAll(storage::FileDecl& decl, size_t fileBytes)
{
    storage::fileSet(decl);
    int64_t lastPointer = 0;
    size_t lines = 0;
    for (;;) {
        storage::fileNext(decl);
        if (runtime::errorCode() != 0)
            break;
        int32_t pointer = storage::filePointer(decl);
        int32_t bytes = storage::fileBytes(decl);
        if (pointer <= lastPointer || bytes <= 0)
            abort();  // no progress: NEXT would loop for ever
        lastPointer = pointer;
        if (++lines > fileBytes + 1)
            abort();
        storage::fileEof(decl);
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    uint32_t recordLength = data[0] * kLengthScale;
    uint8_t flags = data[1];
    size_t at = 2;
    std::string options;
    while (at < size && data[at] != 0 && options.size() < kMaxOptionText)
        options.push_back(static_cast<char>(data[at++]));
    if (at < size)
        ++at;
    const uint8_t* contents = data + at;
    size_t contentSize = size - at;
    if (!writeFile(scratchPath(), contents, contentSize))
        return 0;

    static const int32_t kModes[] = {0x40, 0x20, 0x10, 0x42, 0x22, 0x12, 0x00, 0x41};
    int32_t mode = kModes[flags & 0x07];

    std::vector<uint8_t> record(recordLength, ' ');
    std::vector<uint8_t> list = storage::FieldListBuilder().text("ASC:LINE", 0, recordLength).build();
    storage::FileDecl decl;
    decl.entry = &ascii::asciiDriverEntry;
    std::string name = scratchPath();
    decl.name = name.c_str();
    decl.nameLength = storage::kTextNulTerminated;
    decl.attributeBits = (flags & 0x08) ? storage::kAttrOem : 0;
    decl.recordLength = recordLength;
    decl.fieldList = list.data();
    decl.record = record.data();

    storage::fileOpen(decl, mode);
    if (runtime::errorCode() != 0)
        return 0;
    sendOptions(decl, options);
    size_t lines = readAll(decl, contentSize);

    // Positioned reads at offsets taken from the input.
    for (size_t i = 0; i < 4 && i < contentSize; ++i) {
        storage::fileGetPosition(decl, static_cast<int32_t>(contents[i] % (contentSize + 2)));
        storage::fileSetPointer(decl, static_cast<int32_t>(contents[contentSize - 1 - i]));
        storage::fileNext(decl);
    }

    if (flags & 0x10) {
        // Writes: an append, a PUT over the first line, a positioned write,
        // then everything read again.
        storage::fileAdd(decl);
        storage::fileSet(decl);
        storage::fileNext(decl);
        storage::filePut(decl);
        storage::filePutPositionLength(decl, static_cast<int32_t>(flags >> 5) + 1,
                                       static_cast<int32_t>(recordLength / 2));
        if (flags & 0x20)
            storage::filePutPositionLength(decl, static_cast<int32_t>(contentSize / 2) + 1, 0);
        readAll(decl, contentSize + 3 * (recordLength + 255) + 2);
    }
    (void)lines;
    storage::fileClose(decl);
    return 0;
}
