// The string stack: order of operands, blank-padded results, the empty-stack
// guard and the per-procedure-thread swap.
#include "runtime/string_stack.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace linkar::runtime {
namespace {

TEST(StringStack, LastPushedIsPoppedFirst) {
    StringStack s;
    s.push("first");
    s.push(std::string("second"));
    s.pushNumber(-42);
    EXPECT_EQ(s.size(), 3u);
    EXPECT_EQ(s.top(), "-42");
    EXPECT_EQ(s.pop(), "-42");
    EXPECT_EQ(s.pop(), "second");
    EXPECT_EQ(s.pop(), "first");
    EXPECT_TRUE(s.empty());
}

TEST(StringStack, KeepsBinaryTextWhole) {
    StringStack s;
    const std::string position("\x01\x00\x00\x00\x00", 5);
    s.push(position);
    EXPECT_EQ(s.pop(), position);
}

TEST(StringStack, PopIntoPadsOrCutsToTheDestination) {
    StringStack s;
    s.push("LINKAR.SDF");
    s.push("ab");
    char dst[6];
    s.popInto(dst, sizeof dst);
    EXPECT_EQ(std::string(dst, 6), "ab    ");
    s.popInto(dst, sizeof dst);
    EXPECT_EQ(std::string(dst, 6), "LINKAR");
    EXPECT_TRUE(s.empty());
}

TEST(StringStack, EmptyStackGivesEmptyTextsWithoutFailing) {
    StringStack s;
    EXPECT_EQ(s.pop(), "");
    EXPECT_EQ(s.top(), "");
    char dst[4] = {'x', 'x', 'x', 'x'};
    s.popInto(dst, sizeof dst);
    EXPECT_EQ(std::string(dst, 4), "    ");
    EXPECT_EQ(s.size(), 0u);
    s.push("a");
    s.push("b");
    s.clear();
    EXPECT_TRUE(s.empty());
}

TEST(StringStackCurrent, SwappingKeepsEachThreadsOperandsApart) {
    StringStack& home = stringStack();
    home.clear();
    home.push("main");

    StringStack fiber;
    StringStack* previous = setCurrentStringStack(&fiber);
    EXPECT_EQ(previous, &home);
    EXPECT_EQ(&stringStack(), &fiber);
    stringStack().push("fiber");

    EXPECT_EQ(setCurrentStringStack(previous), &fiber);
    EXPECT_EQ(stringStack().pop(), "main");
    EXPECT_EQ(fiber.pop(), "fiber");

    setCurrentStringStack(&fiber);
    setCurrentStringStack(nullptr);
    EXPECT_EQ(&stringStack(), &home);
}

TEST(StringStackCurrent, EachOsThreadStartsOnItsOwnStack) {
    stringStack().clear();
    stringStack().push("here");
    const StringStack* other = nullptr;
    size_t otherSize = 99;
    std::thread t([&] {
        other = &stringStack();
        otherSize = stringStack().size();
    });
    t.join();
    EXPECT_NE(other, &stringStack());
    EXPECT_EQ(otherSize, 0u);
    EXPECT_EQ(stringStack().pop(), "here");
}

}  // namespace
}  // namespace linkar::runtime
