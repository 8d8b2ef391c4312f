// Everything a procedure thread owns of the runtime: its string stack, its
// evaluator bindings, its error state and its files (see thread_files.h).
// The window engine keeps one ThreadContext per procedure thread and makes
// it current, with switchThreadContext(), at every switch between threads;
// everything that works on "the current thread's" state reaches it through
// the current pointers this sets, never through a copy.
#pragma once

#include "runtime/error_state.h"
#include "runtime/expr_symbols.h"
#include "runtime/string_stack.h"
#include "storage/layer/thread_files.h"

namespace linkar::storage {

class ThreadContext {
public:
    ThreadContext() = default;
    // Closes the thread's files with this context current, so that what the
    // drivers report on the way lands in this thread's error state.
    ~ThreadContext();
    ThreadContext(const ThreadContext&) = delete;
    ThreadContext& operator=(const ThreadContext&) = delete;

    runtime::StringStack strings;
    runtime::SymbolScopes scopes;
    runtime::ErrorState errors;
    ThreadFiles files;
};

// Makes `context` current (nullptr: the OS thread's own state) and returns
// the one that was current before (nullptr for the OS thread's own).
ThreadContext* switchThreadContext(ThreadContext* context);
// The current context, nullptr outside procedure threads.
ThreadContext* currentThreadContext();

}  // namespace linkar::storage
