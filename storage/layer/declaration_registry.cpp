// The process-wide list of registered declarations.
#include "storage/layer/declaration_registry.h"

#include <map>

#include "storage/layer/thread_files.h"

namespace linkar::storage {

namespace {
std::map<const FileDecl*, RegisteredFile>& registry()
{
    // Never destroyed: declarations with static lifetime forget themselves
    // during exit, after function statics would already be gone.
    static auto* files = new std::map<const FileDecl*, RegisteredFile>;
    return *files;
}
}  // namespace

void registerDeclaration(const FileDecl& file)
{
    RegisteredFile entry;
    entry.file = &file;
    entry.name = declaredText(file.name, file.nameLength);
    entry.record = file.record;
    entry.recordLength = file.recordLength;
    for (int i = 0; i < file.keyCount && file.keys != nullptr; ++i)
        entry.keyLabels.emplace_back(file.keys[i]->label);
    for (int i = 0; i < file.memoCount && file.memos != nullptr; ++i) {
        entry.memoLabels.emplace_back(file.memos[i]->label);
        entry.memoSizes.push_back(file.memos[i]->size);
    }
    registry()[&file] = std::move(entry);
}

void forgetDeclaration(const FileDecl* file)
{
    registry().erase(file);
}

const RegisteredFile* findRegistered(const FileDecl* file)
{
    auto it = registry().find(file);
    return it == registry().end() ? nullptr : &it->second;
}

const RegisteredFile* findRegisteredByRecord(const void* address)
{
    auto p = static_cast<const uint8_t*>(address);
    for (const auto& [decl, entry] : registry()) {
        // A threaded file's buffer is the current thread's own.
        const uint8_t* record = decl->threaded ? recordOf(*decl) : entry.record;
        if (record != nullptr && p >= record && p < record + entry.recordLength)
            return &entry;
    }
    return nullptr;
}

}  // namespace linkar::storage
