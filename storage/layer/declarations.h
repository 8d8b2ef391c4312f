// File, key and memo declaration records: the constant records by which the
// program declares each file to the file-statement layer, and the argument
// block that carries a statement's operands to a driver.
//
// The records keep the fields of the declaration in their order, with
// addresses at the platform's width. The field that holds the driver's
// private per-file state is owned by the driver (see driver_instance.h).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/file.h"

namespace linkar::storage {

struct Descriptor;
struct ArgBlock;
class DriverInstance;

// A driver's one entry: (operation code, descriptor, argument block) -> the
// numeric answer of the operation, else 0.
using DriverEntry = int32_t (*)(int32_t code, Descriptor* descriptor, ArgBlock* args);

// Every descriptor, of a file or of a view, begins with its entry function.
struct Descriptor {
    DriverEntry entry = nullptr;
};

// Length conventions of declared texts.
constexpr int32_t kTextNulTerminated = -1;   // a NUL-terminated text
constexpr int32_t kTextLengthPrefixed = -2;  // the first byte holds the length
// Any other length is the declared size, trailing blanks not counting.

// Attribute bits of the file declaration.
constexpr uint8_t kAttrDriverOption1 = 0x02;  // passed to the driver as its first option bit
constexpr uint8_t kAttrCreate = 0x04;         // the file may be created
constexpr uint8_t kAttrDriverOption3 = 0x08;  // passed to the driver as its third option bit
constexpr uint8_t kAttrRegister = 0x10;       // registered with the runtime before OPEN, SHARE, SEND
constexpr uint8_t kAttrOem = 0x20;            // text fields are stored in the OEM character set

// Access mode of OPEN and SHARE: the platform's access-mode byte, as the
// statements pass it (low two bits the access, high nibble the sharing).
constexpr int32_t kAccessMask = platform::kAccessMask;
constexpr int32_t kAccessRead = platform::kAccessRead;
constexpr int32_t kAccessWrite = platform::kAccessWrite;
constexpr int32_t kAccessReadWrite = platform::kAccessReadWrite;
constexpr int32_t kShareMask = platform::kShareMask;
constexpr int32_t kDenyAll = platform::kShareDenyAll;
constexpr int32_t kDenyWrite = platform::kShareDenyWrite;
constexpr int32_t kDenyRead = platform::kShareDenyRead;
constexpr int32_t kDenyNone = platform::kShareDenyNone;

// Key attribute bits.
constexpr uint32_t kKeyDuplicates = 0x01;  // duplicates allowed
constexpr uint32_t kKeyOptional = 0x02;    // blank entries left out
constexpr uint32_t kKeyNoCase = 0x04;      // case ignored
constexpr uint32_t kKeyPrimary = 0x08;     // passed through to the driver
constexpr uint32_t kKeyFlag10 = 0x10;      // passed through to the driver
constexpr uint32_t kKeyFlag4000 = 0x4000;  // passed through to the driver

struct FileDecl;

struct KeyDecl {
    const char* externalName = "";   // external key name (empty here)
    int32_t externalNameLength = 0;
    const char* label = "";          // e.g. "URL:K_LOCATION"
    int32_t driverHandle = 0;        // filled in by the driver
    uint32_t attributes = 0;         // kKey... bits
    uint8_t componentCount = 0;
    const int32_t* components = nullptr;  // field numbers from 1; negative = descending
    FileDecl* file = nullptr;
    int32_t spare = 0;
};

struct MemoDecl {
    const char* externalName = "";
    int32_t externalNameLength = 0;
    const char* label = "";          // e.g. "URL:SITEINFO"
    int32_t reserved1 = 0;
    int32_t reserved2 = 0;
    uint8_t attributes = 0;
    int32_t number = 0;              // memo number, from 1
    int32_t size = 0;                // capacity in bytes
    char* buffer = nullptr;          // the memo's variable, `size` bytes
};

struct FileDecl : Descriptor {
    const char* name = nullptr;      // file name text (a constant or a variable's buffer)
    int32_t nameLength = 0;
    const char* options = nullptr;   // driver option text, or null
    int32_t optionsLength = 0;
    const char* attributeText = nullptr;  // further attribute text, or null
    int32_t attributeTextLength = 0;
    uint8_t attributeBits = 0;       // kAttr... bits
    uint8_t keyCount = 0;
    uint8_t memoCount = 0;
    uint32_t recordLength = 0;
    const uint8_t* fieldList = nullptr;
    KeyDecl* const* keys = nullptr;
    MemoDecl* const* memos = nullptr;
    uint8_t* record = nullptr;       // the record buffer; null for a threaded file
    std::unique_ptr<DriverInstance> instance;  // the driver's private state, or none
    // Every procedure thread has its own record, memo buffers and instance
    // (thread_files.h); `record`, the memos' `buffer` and `instance` above
    // are then unused.
    bool threaded = false;
    uint16_t reserved = 0;

    FileDecl();
    ~FileDecl();
    FileDecl(const FileDecl&) = delete;
    FileDecl& operator=(const FileDecl&) = delete;
};

// Operands of one statement. Text operands travel on the string stack.
struct ArgBlock {
    KeyDecl* key = nullptr;
    KeyDecl* key2 = nullptr;
    int32_t mode = 0;        // access mode of OPEN and SHARE
    int32_t pointer = 0;     // a record pointer or position
    int32_t length = 0;      // an explicit length
    int32_t seconds = 0;     // a time limit
    int32_t count = 0;       // SKIP count
    int32_t index = 0;       // element index of a property assignment
    int32_t memo = 0;        // memo number, from 1
    int32_t first = 0;       // first and last byte of a memo slice, from 0
    int32_t last = 0;
};

// A declared text by its length convention; trailing blanks of a sized text
// do not count. A null address gives an empty text.
std::string declaredText(const char* text, int32_t length);

}  // namespace linkar::storage
