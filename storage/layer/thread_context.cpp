// Switching every per-thread part of the runtime at once.
#include "storage/layer/thread_context.h"

namespace linkar::storage {

namespace {
thread_local ThreadContext* t_current = nullptr;
}  // namespace

ThreadContext::~ThreadContext()
{
    ThreadContext* previous = switchThreadContext(this);
    files.discardAll();
    switchThreadContext(previous == this ? nullptr : previous);
}

ThreadContext* switchThreadContext(ThreadContext* context)
{
    ThreadContext* previous = t_current;
    t_current = context;
    runtime::setCurrentStringStack(context ? &context->strings : nullptr);
    runtime::setCurrentSymbolScopes(context ? &context->scopes : nullptr);
    runtime::setCurrentErrorState(context ? &context->errors : nullptr);
    setCurrentThreadFiles(context ? &context->files : nullptr);
    return previous;
}

ThreadContext* currentThreadContext() { return t_current; }

}  // namespace linkar::storage
