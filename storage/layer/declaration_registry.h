// Declarations registered with the runtime (attribute 0x10): the runtime
// keeps each registered file's parts and their sizes, so that it can find a
// file by its record buffer or label and name the file behind an error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "storage/layer/declarations.h"

namespace linkar::storage {

struct RegisteredFile {
    const FileDecl* file = nullptr;
    std::string name;                 // the declared name at registration
    const uint8_t* record = nullptr;  // null for a threaded file
    uint32_t recordLength = 0;
    std::vector<std::string> keyLabels;
    std::vector<std::string> memoLabels;
    std::vector<int32_t> memoSizes;
};

// Records the declaration (again: a later call refreshes the entry).
void registerDeclaration(const FileDecl& file);

// Drops a declaration that goes out of existence.
void forgetDeclaration(const FileDecl* file);

// The entry of a registered declaration, or null.
const RegisteredFile* findRegistered(const FileDecl* file);

// The registered file whose record buffer holds the given address, or null.
const RegisteredFile* findRegisteredByRecord(const void* address);

}  // namespace linkar::storage
