// The error state and its push-down list of saved states.
#include "runtime/error_state.h"

#include <array>
#include <cstring>
#include <vector>

#include "platform/os_error.h"
#include "runtime/error_texts.h"
#include "runtime/fixed_text.h"

namespace linkar::runtime {

ErrorState::ErrorState() {
    text.fill(kBlank);
    driverText.fill(kBlank);
    driverCode.fill(kBlank);
}

namespace {

// Each OS thread starts on a state of its own; procedure threads are fibers
// on one OS thread and switch through setCurrentErrorState().
thread_local ErrorState t_ownState;
thread_local ErrorState* t_current = nullptr;

using State = ErrorState;

State& state() { return t_current ? *t_current : t_ownState; }

void storeText(int code, std::string_view text) {
    State& s = state();
    s.code = code;
    s.file = nullptr;
    text = trimLeadingBlanks(text);
    assignFixed(s.text.data(), kErrorTextKept, text);
    s.text[kErrorTextSize - 1] = kBlank;
}

}  // namespace

ErrorState* setCurrentErrorState(ErrorState* current) {
    ErrorState* previous = &state();
    t_current = current;
    return previous;
}

void clearError() {
    State& s = state();
    s.code = 0;
    s.file = nullptr;
    s.text.fill(kBlank);
    s.driverText.fill(kBlank);
    s.driverCode.fill(kBlank);
}

void setErrorFromCode(int code, const void* file) {
    State& s = state();
    s.osNumber = platform::lastOsError();
    if (code == 0) code = s.osNumber + err::kOsErrorBase;
    storeText(code, errorTextFor(code));
    s.file = file;
}

void setErrorWithText(int code, std::string_view text) { storeText(code, text); }

void setDriverErrorTexts(std::string_view description, std::string_view code) {
    State& s = state();
    assignFixed(s.driverText.data(), kDriverTextSize, description);
    assignFixed(s.driverCode.data(), kDriverTextSize, code);
}

int32_t errorCode() { return state().code; }
std::string_view errorText() { return std::string_view(state().text.data(), kErrorTextSize); }
const void* errorFile() { return state().file; }
int errorOsNumber() { return state().osNumber; }
std::string_view driverErrorText() { return std::string_view(state().driverText.data(), kDriverTextSize); }
std::string_view driverErrorCode() { return std::string_view(state().driverCode.data(), kDriverTextSize); }

void saveError() {
    State& s = state();
    s.saved.push_back(ErrorState::Saved{s.code, s.osNumber, s.text, s.file});
}

bool restoreError() {
    State& s = state();
    if (s.saved.empty()) return false;
    const ErrorState::Saved& top = s.saved.back();
    s.code = top.code;
    s.osNumber = top.osNumber;
    s.text = top.text;
    s.file = top.file;
    s.saved.pop_back();
    return true;
}

size_t savedErrorDepth() { return state().saved.size(); }

}  // namespace linkar::runtime
