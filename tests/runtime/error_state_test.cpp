// The error state: posting by code and with a text, the operating-system
// number, the 80-character text, driver texts and save/restore.
#include "runtime/error_state.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/os_error.h"
#include "runtime/error_texts.h"
#include "runtime/fixed_text.h"

namespace linkar::runtime {
namespace {

class ErrorStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::setLastOsError(0);
        while (restoreError()) {
        }
        clearError();
    }
    void TearDown() override {
        clearMessageOverrides();
        platform::setLastOsError(0);
    }
};

std::string padded(std::string_view text) {
    std::string s(text);
    s.resize(kErrorTextSize, ' ');
    return s;
}

TEST_F(ErrorStateTest, StartsClearAndClearsEverything) {
    int file = 0;
    setErrorFromCode(35, &file);
    setDriverErrorTexts("driver says", "E17");
    clearError();
    EXPECT_EQ(errorCode(), 0);
    EXPECT_EQ(errorText(), std::string(kErrorTextSize, ' '));
    EXPECT_EQ(errorFile(), nullptr);
    EXPECT_EQ(driverErrorText(), std::string(kDriverTextSize, ' '));
    EXPECT_EQ(driverErrorCode(), std::string(kDriverTextSize, ' '));
}

TEST_F(ErrorStateTest, PostingACodeSetsItsTextAndTheFile) {
    int file = 0;
    setErrorFromCode(40, &file);
    EXPECT_EQ(errorCode(), 40);
    EXPECT_EQ(errorText(), padded("Creates Duplicate Key"));
    EXPECT_EQ(errorFile(), &file);
    setErrorFromCode(86);
    EXPECT_EQ(errorCode(), 86);
    EXPECT_EQ(fixedView(errorText().data(), errorText().size()), "Unknown Error Posted : 86");
    EXPECT_EQ(errorFile(), nullptr);
}

TEST_F(ErrorStateTest, CodeZeroPostsTheLastOperatingSystemError) {
    platform::setLastOsError(platform::kErrorSharingViolation);
    setErrorFromCode(0);
    EXPECT_EQ(errorCode(), 332);
    EXPECT_EQ(errorOsNumber(), 32);
    EXPECT_EQ(errorText(), padded("Sharing Violation"));
    // With no operating-system error behind it, code 0 still posts readably.
    platform::setLastOsError(0);
    setErrorFromCode(0);
    EXPECT_EQ(errorCode(), 300);
    EXPECT_EQ(fixedView(errorText().data(), errorText().size()), "Unknown Error Posted : 300");
    // The number is captured at posting time, also for other codes.
    platform::setLastOsError(platform::kErrorFileNotFound);
    setErrorFromCode(err::kFileNotFound);
    EXPECT_EQ(errorOsNumber(), 2);
}

TEST_F(ErrorStateTest, OverriddenTextsAreWhatGetsPosted) {
    setMessageOverride(37, "Nicht offen");
    setErrorFromCode(37);
    EXPECT_EQ(errorText(), padded("Nicht offen"));
}

TEST_F(ErrorStateTest, OwnTextSkipsLeadingBlanksAndKeeps79Characters) {
    int file = 0;
    setErrorFromCode(5, &file);
    const std::string longText = "   " + std::string(70, 'a') + std::string(20, 'b');
    setErrorWithText(999, longText);
    EXPECT_EQ(errorCode(), 999);
    EXPECT_EQ(errorFile(), nullptr);
    const std::string expected = std::string(70, 'a') + std::string(9, 'b') + " ";
    EXPECT_EQ(errorText(), expected);
    EXPECT_EQ(errorText().size(), 80u);
}

TEST_F(ErrorStateTest, LongTableOrOverrideTextsAreCutTo79Too) {
    setMessageOverride(36, std::string(100, 'z'));
    setErrorFromCode(36);
    EXPECT_EQ(errorText(), std::string(79, 'z') + " ");
    // A multi-byte character across the 79th byte is left out whole.
    setErrorWithText(1, std::string(78, 'y') + "\xE2\x82\xAC");
    EXPECT_EQ(errorText(), std::string(78, 'y') + "  ");
}

TEST_F(ErrorStateTest, DriverTextsArePaddedTo81AndSurvivePosting) {
    setDriverErrorTexts("lock table full", "LT-9");
    EXPECT_EQ(fixedView(driverErrorText().data(), kDriverTextSize), "lock table full");
    EXPECT_EQ(fixedView(driverErrorCode().data(), kDriverTextSize), "LT-9");
    EXPECT_EQ(driverErrorText().size(), 81u);
    setErrorFromCode(33);
    EXPECT_EQ(fixedView(driverErrorCode().data(), kDriverTextSize), "LT-9");
}

TEST_F(ErrorStateTest, SaveAndRestoreNestLastInFirstOut) {
    int file = 0;
    platform::setLastOsError(5);
    setErrorFromCode(0, &file);  // 305
    saveError();
    platform::setLastOsError(0);
    setErrorFromCode(35);
    saveError();
    clearError();
    EXPECT_EQ(savedErrorDepth(), 2u);

    ASSERT_TRUE(restoreError());
    EXPECT_EQ(errorCode(), 35);
    EXPECT_EQ(errorText(), padded("Record Not Found"));
    ASSERT_TRUE(restoreError());
    EXPECT_EQ(errorCode(), 305);
    EXPECT_EQ(errorOsNumber(), 5);
    EXPECT_EQ(errorText(), padded("Access Denied"));
    EXPECT_EQ(errorFile(), &file);

    setErrorFromCode(52);
    EXPECT_FALSE(restoreError());
    EXPECT_EQ(errorCode(), 52);
    EXPECT_EQ(savedErrorDepth(), 0u);
}

}  // namespace
}  // namespace linkar::runtime
