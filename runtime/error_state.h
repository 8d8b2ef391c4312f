// The process-wide error state that every file statement and runtime service
// reports through: code (0 = success), an 80-character text, the file that
// caused the error, the operating-system number captured with it, and a
// driver's own description and code. Callers test errorCode() right after
// each statement.
//
// Every procedure thread has an error state of its own, made current at each
// switch between threads together with its string stack: a statement of one
// thread never sees the error another thread's statement left. Procedure
// threads run one at a time, so it needs no lock.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace linkar::runtime {

// Width of the error text (ERROR), blank-padded.
constexpr size_t kErrorTextSize = 80;
// At most this many characters of a posted text are kept, the rest blanks.
constexpr size_t kErrorTextKept = 79;
// Width of each of the two driver texts, blank-padded.
constexpr size_t kDriverTextSize = 81;

// One error state. Its fields are read and changed only through the
// functions below, which work on the current one.
struct ErrorState {
    struct Saved {
        int32_t code;
        int osNumber;
        std::array<char, kErrorTextSize> text;
        const void* file;
    };
    int32_t code = 0;
    int osNumber = 0;
    const void* file = nullptr;
    std::array<char, kErrorTextSize> text;
    std::array<char, kDriverTextSize> driverText;
    std::array<char, kDriverTextSize> driverCode;
    std::vector<Saved> saved;

    ErrorState();
};

// Makes `state` current and returns the one that was (never null). Passing
// nullptr returns to the OS thread's own state.
ErrorState* setCurrentErrorState(ErrorState* state);

// Error code 0, no file, all three texts blank. The saved states stay.
void clearError();

// Posts code: captures the operating-system number of the last failed
// platform call; code 0 stands for that number + 300. The text is the
// code's text (see errorTextFor). file, when given, is recorded as the file
// that caused the error (drivers pass their declaration); otherwise none.
void setErrorFromCode(int code, const void* file = nullptr);

// Posts code with a text of the caller's: leading blanks skipped, cut to 79
// characters and blank-padded to 80. The file becomes none.
void setErrorWithText(int code, std::string_view text);

// A driver's own error description and error code, each blank-padded to 81.
void setDriverErrorTexts(std::string_view description, std::string_view code);

int32_t errorCode();
// All 80 characters, blanks included (trim with fixedView if needed).
std::string_view errorText();
const void* errorFile();
int errorOsNumber();
std::string_view driverErrorText();
std::string_view driverErrorCode();

// Pushes code, operating-system number, text and file on a list of saved
// states; restoreError() pops the latest back into the error state and
// returns false, changing nothing, when nothing is saved. Used around nested
// work that must not disturb the error the application sees.
void saveError();
bool restoreError();
size_t savedErrorDepth();

}  // namespace linkar::runtime
