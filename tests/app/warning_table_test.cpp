// The standard messages' texts as the user reads them, composed from the
// error state and the caller's texts.
#include <gtest/gtest.h>

#include <string>

#include "app/warning_table.h"
#include "runtime/error_codes.h"
#include "runtime/error_state.h"

namespace linkar::app {
namespace {

TEST(WarningText, ErrorTextComesFromTheErrorStateWithItsCode)
{
    runtime::setErrorFromCode(32);
    EXPECT_EQ(composeErrorText(), "File Is Already Locked (32)");
    runtime::setDriverErrorTexts("Disk quota exceeded   ", "122  ");
    runtime::setErrorWithText(runtime::err::kDriverDescribedError, "whatever");
    EXPECT_EQ(composeErrorText(), "Disk quota exceeded (122)");
    runtime::setErrorWithText(5, std::string(79, 'x'));
    EXPECT_EQ(composeErrorText().size(), 79u + 4);
    runtime::clearError();
}

TEST(WarningText, Message15DependsOnTheCurrentErrorCode)
{
    EXPECT_EQ(composeWarningText(15, "", 0, "cause"), "This record was changed by another station.");
    EXPECT_EQ(composeWarningText(15, "Record Changed By Another Station (89)", 89, "cause"),
              "This record was changed by another station.");
    EXPECT_EQ(composeWarningText(15, "Access Denied (5)   ", 5, "Locked   "),
              "An error (Access Denied (5)) was experienced when attempting to update a record from the file.  "
              "Probable Cause: Locked.");
}

TEST(WarningText, Message34NamesTheTransactionInLowerCaseFirst)
{
    EXPECT_EQ(composeWarningText(34, "File Not Open (37)", 37, "Delete", "Categories  "),
              "Error: (File Not Open (37)) attempting to frame the delete transaction on Categories.  "
              "Delete transaction cancelled.");
}

TEST(WarningText, InsertedTextsLoseTrailingBlanksAndOmittedOnesInsertNothing)
{
    EXPECT_EQ(composeWarningText(30, "Sharing Violation (332)  ", 332, "LINKAR.SDF      "),
              "File (LINKAR.SDF) could not be opened.  Error: Sharing Violation (332).");
    EXPECT_EQ(composeWarningText(24, "", 0, ""), "Adding this record creates a duplicate entry for the key:");
    EXPECT_EQ(composeWarningText(5, "e (1)", 1, "X"),
              "Error: (e (1)) opening created file:X.  Press OK to end this application.");
}

TEST(WarningTable, TitlesButtonsDefaultsAndStops)
{
    const WarningEntry* invalidKey = findWarning(2);
    ASSERT_NE(invalidKey, nullptr);
    EXPECT_STREQ(invalidKey->title, "Invalid Key");
    EXPECT_EQ(invalidKey->buttons, kButtonYes | kButtonNo);
    EXPECT_EQ(invalidKey->defaultButton, kButtonYes);
    EXPECT_EQ(invalidKey->afterwards, Afterwards::kHaltOnNo);
    EXPECT_STREQ(invalidKey->haltText, "Invalid Key!");
    EXPECT_EQ(invalidKey->iconId, kIconExclamationId);

    const WarningEntry* retry = findWarning(16);
    ASSERT_NE(retry, nullptr);
    EXPECT_EQ(retry->buttons, kButtonYes | kButtonNo | kButtonCancel);
    EXPECT_EQ(retry->defaultButton, kButtonCancel);

    EXPECT_STREQ(findWarning(30)->haltText, "Disk Error");
    EXPECT_EQ(findWarning(36)->afterwards, Afterwards::kReturn);
    EXPECT_EQ(findWarning(6), nullptr);
    EXPECT_EQ(iconName(kIconInformationId), std::string("\xFF\x01\x04\x7F", 4));
}

}  // namespace
}  // namespace linkar::app
