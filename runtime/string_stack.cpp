// The string stack and the per-thread choice of the current one.
#include "runtime/string_stack.h"

#include "runtime/fixed_text.h"

namespace linkar::runtime {

namespace {

const std::string kEmpty;

// Each OS thread starts on a stack of its own; procedure threads are fibers
// on one OS thread and switch through setCurrentStringStack().
thread_local StringStack t_ownStack;
thread_local StringStack* t_current = nullptr;

}  // namespace

void StringStack::pushNumber(int64_t value) { m_items.push_back(std::to_string(value)); }

std::string StringStack::pop() {
    if (m_items.empty()) return std::string();
    std::string text = std::move(m_items.back());
    m_items.pop_back();
    return text;
}

void StringStack::popInto(char* dst, size_t size) {
    if (m_items.empty()) {
        assignFixed(dst, size, std::string_view());
        return;
    }
    assignFixed(dst, size, m_items.back());
    m_items.pop_back();
}

const std::string& StringStack::top() const { return m_items.empty() ? kEmpty : m_items.back(); }

StringStack& stringStack() { return t_current ? *t_current : t_ownStack; }

StringStack* setCurrentStringStack(StringStack* stack) {
    StringStack* previous = &stringStack();
    t_current = stack;
    return previous;
}

}  // namespace linkar::runtime
