// The files of one procedure thread. A declaration marked `threaded` (the
// program's own files) has, in every procedure thread, its own record
// buffer, memo buffers, driver instance (the open file with its sequence,
// current record, holds and watch marks) and open counter; a driver may keep
// further per-thread state here (the keyed driver's list of open data files
// and its transaction). Statements and record accessors reach all of it
// through the current thread's ThreadFiles, so what one thread does to a
// file never shows in another thread's buffers, whatever order the threads
// run in. A declaration that is not threaded has one record buffer (the one
// it names) and one instance, shared by every thread.
//
// Procedures called on a thread run with that thread's ThreadFiles current,
// so they share the caller's files, as they must.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "storage/layer/declarations.h"
#include "storage/layer/driver_instance.h"

namespace linkar::storage {

class ThreadFiles {
public:
    // What one thread keeps of one threaded declaration.
    struct FileState {
        std::vector<uint8_t> record;            // recordLength bytes, cleared at first
        std::vector<std::vector<char>> memos;   // one buffer per memo, its declared size
        std::unique_ptr<DriverInstance> instance;
        int32_t openCount = 0;                  // procedures of the thread using the file
    };

    ThreadFiles() = default;
    // Discards every instance (a driver closes what is still open); the
    // caller makes this thread's context current first (ThreadContext does).
    ~ThreadFiles();
    ThreadFiles(const ThreadFiles&) = delete;
    ThreadFiles& operator=(const ThreadFiles&) = delete;

    // The thread's state of a threaded declaration, made on first use.
    FileState& of(const FileDecl& file);

    // Per-thread state a driver keeps under a key of its own (the address
    // of something of the driver's), made by T's default constructor on
    // first use. Lives until the ThreadFiles does, after every instance.
    template <typename T>
    T& driverState(const void* key)
    {
        std::shared_ptr<void>& slot = m_driverStates[key];
        if (!slot)
            slot = std::make_shared<T>();
        return *static_cast<T*>(slot.get());
    }
    // The same state, shared: a driver object that must outlive a switch of
    // threads (an open data file) holds on to it this way.
    template <typename T>
    std::shared_ptr<T> sharedDriverState(const void* key)
    {
        driverState<T>(key);
        return std::static_pointer_cast<T>(m_driverStates[key]);
    }

    // Discards every instance now.
    void discardAll();

private:
    // Declared first, destroyed last: instances may use driver states.
    std::map<const void*, std::shared_ptr<void>> m_driverStates;
    std::map<const FileDecl*, FileState> m_files;
};

// The current procedure thread's files (the OS thread's own outside any).
ThreadFiles& threadFiles();
// Makes `files` current and returns the ones that were (never null);
// nullptr returns to the OS thread's own. ThreadContext calls this.
ThreadFiles* setCurrentThreadFiles(ThreadFiles* files);

// The record buffer statements on `file` read and write in this thread.
uint8_t* recordOf(const FileDecl& file);
// The buffer of the file's memo number `memo` (from 1) in this thread, or
// null when the file has no such memo.
char* memoBufferOf(const FileDecl& file, int32_t memo);
// The driver instance slot of `file` in this thread.
std::unique_ptr<DriverInstance>& instanceOf(FileDecl& file);
// The open counter of `file` in this thread.
int32_t& openCountOf(const FileDecl& file);

}  // namespace linkar::storage
