// Per-thread record buffers, memo buffers, driver instances and counters.
#include "storage/layer/thread_files.h"

#include <algorithm>
#include <cassert>

#include "storage/layer/field_list.h"

namespace linkar::storage {

namespace {

thread_local ThreadFiles* t_current = nullptr;

ThreadFiles& ownFiles()
{
    // Never destroyed: instances left in it at exit would be closed after
    // the drivers' own statics are gone.
    thread_local ThreadFiles* own = new ThreadFiles();
    return *own;
}

// The state of a declaration without threads: only its counter, since its
// buffers and instance are the declaration's own.
std::map<const FileDecl*, int32_t>& sharedCounters()
{
    static auto* counters = new std::map<const FileDecl*, int32_t>();
    return *counters;
}

}  // namespace

ThreadFiles::~ThreadFiles() { discardAll(); }

void ThreadFiles::discardAll()
{
    // An instance's destructor may reach other files of the thread (a data
    // file shared by tables): take them out one at a time.
    for (auto& [decl, state] : m_files)
        state.instance.reset();
}

ThreadFiles::FileState& ThreadFiles::of(const FileDecl& file)
{
    assert(file.threaded);
    auto [it, made] = m_files.try_emplace(&file);
    FileState& state = it->second;
    if (made) {
        // A thread's buffer starts cleared, as CLEAR leaves it: texts blank,
        // numbers zero.
        state.record.assign(file.recordLength, 0);
        FieldList fields;
        if (parseFieldList(file.fieldList, fields) == 0)
            clearRecord(state.record.data(), file.recordLength, fields);
        for (int i = 0; i < file.memoCount && file.memos != nullptr; ++i)
            state.memos.emplace_back(static_cast<size_t>(std::max(0, file.memos[i]->size)), ' ');
    }
    return state;
}

ThreadFiles& threadFiles() { return t_current ? *t_current : ownFiles(); }

ThreadFiles* setCurrentThreadFiles(ThreadFiles* files)
{
    ThreadFiles* previous = &threadFiles();
    t_current = files;
    return previous;
}

uint8_t* recordOf(const FileDecl& file)
{
    if (!file.threaded)
        return file.record;
    std::vector<uint8_t>& record = threadFiles().of(file).record;
    return record.empty() ? nullptr : record.data();
}

char* memoBufferOf(const FileDecl& file, int32_t memo)
{
    if (memo < 1 || memo > file.memoCount || file.memos == nullptr)
        return nullptr;
    if (!file.threaded)
        return file.memos[memo - 1]->buffer;
    std::vector<char>& buffer = threadFiles().of(file).memos[static_cast<size_t>(memo - 1)];
    return buffer.empty() ? nullptr : buffer.data();
}

std::unique_ptr<DriverInstance>& instanceOf(FileDecl& file)
{
    return file.threaded ? threadFiles().of(file).instance : file.instance;
}

int32_t& openCountOf(const FileDecl& file)
{
    return file.threaded ? threadFiles().of(file).openCount : sharedCounters()[&file];
}

}  // namespace linkar::storage
