// The runtime-error box and the exit procedures that run before the program
// ends.
#include "runtime/runtime_error.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "runtime/error_state.h"
#include "runtime/error_texts.h"
#include "runtime/fixed_text.h"

namespace linkar::runtime {

namespace {

// Joins the error text and the extra text.
constexpr std::string_view kExtraSeparator = " : ";

void defaultHandler(std::string_view caption, std::string_view message) {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                 static_cast<int>(message.size()), message.data());
}

struct Module {
    RuntimeErrorHandler handler = defaultHandler;
    std::vector<std::function<void()>> exitProcedures;
    bool happened = false;
    bool raising = false;
    bool ending = false;
};

Module& module() {
    static Module m;
    return m;
}

}  // namespace

std::string composeRuntimeErrorMessage(int code, std::string_view extra) {
    std::string message;
    if (code != 0) {
        const std::string text = errorTextFor(code);
        const std::string_view trimmed = trimTrailingBlanks(text);
        message.assign(trimmed.substr(0, utf8SafeCut(trimmed, kRuntimeErrorTextMax)));
        if (!extra.empty()) message += kExtraSeparator;
    }
    message += extra;
    return message;
}

void raiseRuntimeError(int code, std::string_view extra) {
    Module& m = module();
    // A runtime error raised while one is being handled (by the handler or
    // an exit procedure) ends the program at once.
    if (m.raising) endProgram(kRuntimeErrorExitCode);
    m.raising = true;
    if (code != 0) setErrorFromCode(code);
    const std::string message = composeRuntimeErrorMessage(code, extra);
    if (m.handler) m.handler(kRuntimeErrorCaption, message);
    m.happened = true;
    endProgram(kRuntimeErrorExitCode);
}

RuntimeErrorHandler setRuntimeErrorHandler(RuntimeErrorHandler handler) {
    RuntimeErrorHandler previous = std::move(module().handler);
    module().handler = handler ? std::move(handler) : RuntimeErrorHandler(defaultHandler);
    return previous;
}

bool runtimeErrorHappened() { return module().happened; }

void registerExitProcedure(std::function<void()> procedure) {
    module().exitProcedures.push_back(std::move(procedure));
}

void runExitProcedures() {
    auto& list = module().exitProcedures;
    // Each is taken off the list before it runs, so one that ends the
    // program again does not run twice.
    while (!list.empty()) {
        std::function<void()> procedure = std::move(list.back());
        list.pop_back();
        if (procedure) procedure();
    }
}

bool programEnding() { return module().ending; }

void endProgram(int exitCode) {
    module().ending = true;
    runExitProcedures();
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

}  // namespace linkar::runtime
