// The string stack: text operands and results of runtime services travel on
// it. A caller pushes a text, the service pops it; a service leaves a text
// result on it for the caller to pop into a blank-padded destination.
// Each procedure thread has its own stack; the window engine makes the right
// one current at every switch between procedure threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace linkar::runtime {

class StringStack {
public:
    StringStack() = default;
    StringStack(const StringStack&) = delete;
    StringStack& operator=(const StringStack&) = delete;

    void push(std::string_view text) { m_items.emplace_back(text); }
    void push(std::string&& text) { m_items.push_back(std::move(text)); }
    void push(const char* text) { push(std::string_view(text)); }
    // A number travels as its decimal text.
    void pushNumber(int64_t value);

    // The top text, removed. An empty stack gives an empty text: a service
    // called without its operand sees a blank one instead of failing.
    std::string pop();
    // Pops the top text into dst[0, size), cut or blank-padded as a
    // fixed-length assignment.
    void popInto(char* dst, size_t size);
    // The top text, left in place; empty when the stack is empty.
    const std::string& top() const;

    size_t size() const { return m_items.size(); }
    bool empty() const { return m_items.empty(); }
    void clear() { m_items.clear(); }

private:
    std::vector<std::string> m_items;
};

// The current procedure thread's stack. Before anyone sets one, each OS
// thread has a stack of its own.
StringStack& stringStack();

// Makes stack the current one and returns the one that was current (never
// null). Passing nullptr returns to the OS thread's own stack.
StringStack* setCurrentStringStack(StringStack* stack);

}  // namespace linkar::runtime
