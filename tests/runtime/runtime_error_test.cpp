// The runtime-error box: message composition, the handler, exit procedures in
// reverse order and exit code 2.
#include "runtime/runtime_error.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "runtime/error_state.h"
#include "runtime/error_texts.h"

namespace linkar::runtime {
namespace {

TEST(RuntimeErrorMessage, CodeTextThenExtraText) {
    EXPECT_EQ(composeRuntimeErrorMessage(802, "Mismatched POPSCOPE"),
              "Mismatched PUSHSCOPE/POPSCOPE : Mismatched POPSCOPE");
    EXPECT_EQ(composeRuntimeErrorMessage(537), "ACCEPT loop requires a window");
    EXPECT_EQ(composeRuntimeErrorMessage(501, "Out of memory in WSLARRAY!"),
              "Internal error 01 : Out of memory in WSLARRAY!");
    EXPECT_EQ(composeRuntimeErrorMessage(0, "plain words"), "plain words");
    EXPECT_EQ(composeRuntimeErrorMessage(0), "");
}

TEST(RuntimeErrorMessage, TrailingBlanksOfTheTextAreDropped) {
    EXPECT_EQ(composeRuntimeErrorMessage(78), "Invalid Number Of Parameters");
    EXPECT_EQ(composeRuntimeErrorMessage(78, "x"), "Invalid Number Of Parameters : x");
    EXPECT_EQ(composeRuntimeErrorMessage(999), "Unknown Error Posted : 999");
}

TEST(RuntimeErrorMessage, LongTextsAreKeptUpTo255) {
    setMessageOverride(510, std::string(100, 'm') + std::string(200, 'n'));
    const std::string message = composeRuntimeErrorMessage(510, "tail");
    clearMessageOverrides();
    EXPECT_EQ(message, std::string(100, 'm') + std::string(155, 'n') + " : tail");
}

TEST(RuntimeErrorDeathTest, DefaultHandlerWritesTheMessageAndExitsWith2) {
    EXPECT_EXIT(raiseRuntimeError(802, "Mismatched POPSCOPE"), ::testing::ExitedWithCode(2),
                "Runtime error: Mismatched PUSHSCOPE/POPSCOPE : Mismatched POPSCOPE");
}

TEST(RuntimeErrorDeathTest, ExitProceduresRunLatestFirstAfterTheBox) {
    const auto run = [] {
        registerExitProcedure([] { std::fprintf(stderr, "[first]"); });
        registerExitProcedure([] { std::fprintf(stderr, "[second:%d]", runtimeErrorHappened() ? 1 : 0); });
        setRuntimeErrorHandler([](std::string_view caption, std::string_view message) {
            std::fprintf(stderr, "[box %.*s|%.*s|%d]", int(caption.size()), caption.data(), int(message.size()),
                         message.data(), errorCode());
        });
        raiseRuntimeError(536);
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(2),
                "\\[box Runtime error\\|Window is not open\\|536\\]\\[second:1\\]\\[first\\]");
}

TEST(RuntimeErrorDeathTest, ARuntimeErrorInsideAnExitProcedureStillEndsWith2) {
    const auto run = [] {
        registerExitProcedure([] { std::fprintf(stderr, "[outer]"); });
        registerExitProcedure([] { raiseRuntimeError(501, "again"); });
        raiseRuntimeError(0, "first");
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(2), "first\n\\[outer\\]");
}

TEST(RuntimeErrorDeathTest, EndProgramRunsExitProceduresWithTheGivenCode) {
    const auto run = [] {
        registerExitProcedure([] { std::fprintf(stderr, "[a]"); });
        registerExitProcedure([] {
            std::fprintf(stderr, "[b:%d%d]", programEnding() ? 1 : 0, runtimeErrorHappened() ? 1 : 0);
        });
        endProgram(0);
    };
    EXPECT_FALSE(programEnding());
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(0), "\\[b:10\\]\\[a\\]");
}

TEST(RuntimeErrorHandler, ReplacingReturnsThePreviousOneAndEmptyRestoresTheDefault) {
    int calls = 0;
    RuntimeErrorHandler mine = [&calls](std::string_view, std::string_view) { ++calls; };
    RuntimeErrorHandler before = setRuntimeErrorHandler(mine);
    EXPECT_TRUE(static_cast<bool>(before));
    RuntimeErrorHandler back = setRuntimeErrorHandler(nullptr);
    ASSERT_TRUE(static_cast<bool>(back));
    back("c", "m");
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(runtimeErrorHappened());
}

}  // namespace
}  // namespace linkar::runtime
