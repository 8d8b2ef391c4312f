// Error texts: the table as written, overrides first, and the
// unknown-number rule.
#include "runtime/error_texts.h"

#include <gtest/gtest.h>

#include <string>

namespace linkar::runtime {
namespace {

class ErrorTextsTest : public ::testing::Test {
protected:
    void TearDown() override { clearMessageOverrides(); }
};

TEST_F(ErrorTextsTest, TableTextsAreExactIncludingTrailingBlanks) {
    EXPECT_EQ(errorTextFor(2), "File Not Found");
    EXPECT_EQ(errorTextFor(40), "Creates Duplicate Key");
    EXPECT_EQ(errorTextFor(78), "Invalid Number Of Parameters ");
    EXPECT_EQ(errorTextFor(350), "Not Supported ");
    EXPECT_EQ(errorTextFor(332), "Sharing Violation");
    EXPECT_EQ(errorTextFor(403), "Termination caused by signal.  (User break or Floating point)");
    EXPECT_EQ(errorTextFor(532), "Unable to open MDI window on APPLICATION's thread");
    EXPECT_EQ(errorTextFor(802), "Mismatched PUSHSCOPE/POPSCOPE");
    EXPECT_EQ(errorTextFor(err::kUnsupportedFunction), "Unsupported File Driver Function");
}

TEST_F(ErrorTextsTest, CodesWithoutTextGiveTheUnknownErrorText) {
    EXPECT_EQ(errorTextFor(86), "Unknown Error Posted : 86");
    EXPECT_EQ(errorTextFor(314), "Unknown Error Posted : 314");
    EXPECT_EQ(errorTextFor(-7), "Unknown Error Posted : -7");
    EXPECT_EQ(errorTextFor(0), "Unknown Error Posted");
    EXPECT_EQ(errorTextFor(81), "Unknown Error Posted");
    EXPECT_FALSE(tableTextFor(86).has_value());
    EXPECT_FALSE(tableTextFor(300).has_value());
    EXPECT_FALSE(tableTextFor(545).has_value());
}

TEST_F(ErrorTextsTest, EveryBlockIsCompleteAtItsEnds) {
    for (int code : {2, 3, 4, 5, 7, 8, 89, 301, 339, 350, 372, 380, 388, 390, 391, 401, 410, 501, 515, 520, 544, 601,
                     605, 800, 801, 802}) {
        EXPECT_TRUE(tableTextFor(code).has_value()) << code;
    }
    for (int code : {1, 6, 9, 90, 314, 340, 389, 400, 411, 500, 516, 519, 600, 606, 799, 803}) {
        EXPECT_FALSE(tableTextFor(code).has_value()) << code;
    }
}

TEST_F(ErrorTextsTest, OverridesComeFirstAndCanBeCleared) {
    setMessageOverride(37, "Datei nicht offen");
    EXPECT_EQ(errorTextFor(37), "Datei nicht offen");
    EXPECT_EQ(tableTextFor(37), "File Not Open");
    setMessageOverride(86, "Own text");
    EXPECT_EQ(errorTextFor(86), "Own text");
    EXPECT_EQ(messageOverride(86), "Own text");
    clearMessageOverrides();
    EXPECT_EQ(errorTextFor(37), "File Not Open");
    EXPECT_FALSE(messageOverride(37).has_value());
}

TEST_F(ErrorTextsTest, UnknownRuleUsesTheOverriddenEntry81) {
    setMessageOverride(81, "Unbekannter Fehler");
    EXPECT_EQ(errorTextFor(86), "Unbekannter Fehler : 86");
    EXPECT_EQ(errorTextFor(0), "Unbekannter Fehler");
}

TEST_F(ErrorTextsTest, TextsAreCutToTheMessageBuffer) {
    setMessageOverride(5, std::string(300, 'x'));
    EXPECT_EQ(errorTextFor(5), std::string(255, 'x'));
    // The cut does not split a UTF-8 sequence.
    setMessageOverride(5, std::string(254, 'x') + "\xC3\xA9");
    EXPECT_EQ(errorTextFor(5), std::string(254, 'x'));
}

}  // namespace
}  // namespace linkar::runtime
