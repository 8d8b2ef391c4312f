// The message table and its text composition.
#include "app/warning_table.h"

#include <cctype>
#include <iterator>

#include "runtime/char_tables.h"
#include "runtime/error_codes.h"
#include "runtime/error_state.h"
#include "runtime/fixed_text.h"

namespace linkar::app {

namespace {

const WarningEntry kTable[] = {
    {1, "Invalid File", kIconInformationId, kButtonOk, kButtonOk, Afterwards::kHaltAlways, "Invalid File!"},
    {2, "Invalid Key", kIconExclamationId, kButtonYes | kButtonNo, kButtonYes, Afterwards::kHaltOnNo, "Invalid Key!"},
    {3, "Key Rebuild Error", kIconInformationId, kButtonOk, kButtonOk, Afterwards::kHaltAlways, "Error Rebuilding Key!"},
    {4, "File Creation Error", kIconInformationId, kButtonOk, kButtonOk, Afterwards::kHaltAlways, "File Creation Error!"},
    {5, "File Creation Error", kIconInformationId, kButtonOk, kButtonOk, Afterwards::kHaltAlways, "File Creation Error!"},
    {14, "Record Insert Error", kIconInformationId, kButtonOk, kButtonOk, Afterwards::kReturn, ""},
    {15, "Update Operation Error", kIconInformationId, kButtonOk, kButtonOk, Afterwards::kReturn, ""},
    {16, "Record Update Error", kIconInformationId, kButtonYes | kButtonNo | kButtonCancel, kButtonCancel,
     Afterwards::kReturn, ""},
    {17, "Delete Operation Error", kIconInformationId, kButtonOk, kButtonOk, Afterwards::kReturn, ""},
    {18, "Record Update Error", kIconInformationId, kButtonYes | kButtonNo | kButtonCancel, kButtonCancel,
     Afterwards::kReturn, ""},
    {24, "Duplicate Key Error", kIconInformationId, kButtonOk, kButtonOk, Afterwards::kReturn, ""},
    {30, "File Access Error", kIconInformationId, kButtonOk, kButtonOk, Afterwards::kHaltAlways, "Disk Error"},
    {32, "Confirm Delete", kIconExclamationId, kButtonOk | kButtonCancel, kButtonCancel, Afterwards::kReturn, ""},
    {34, "Transaction Framing Error", kIconInformationId, kButtonOk, kButtonOk, Afterwards::kReturn, ""},
    {35, "Record Retrieval Error", kIconInformationId, kButtonOk, kButtonOk, Afterwards::kReturn, ""},
    {36, "View Open Error", kIconInformationId, kButtonOk, kButtonOk, Afterwards::kReturn, ""},
};

std::string trimmed(std::string_view text)
{
    return std::string(runtime::trimTrailingBlanks(text));
}

std::string lowerCase(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(runtime::toLower(static_cast<uint8_t>(c)));
    return out;
}

}  // namespace

const WarningEntry* findWarning(int number)
{
    for (const WarningEntry& entry : kTable)
        if (entry.number == number)
            return &entry;
    return nullptr;
}

std::string iconName(uint16_t iconId)
{
    std::string name;
    name.push_back(static_cast<char>(kIconNameMark));
    name.push_back(static_cast<char>(kIconNameSystem));
    name.push_back(static_cast<char>(iconId & 0xFF));
    name.push_back(static_cast<char>(iconId >> 8));
    return name;
}

std::string composeErrorText()
{
    std::string text;
    if (runtime::errorCode() == runtime::err::kDriverDescribedError)
        text = trimmed(runtime::driverErrorText()) + " (" + trimmed(runtime::driverErrorCode()) + ")";
    else
        text = trimmed(runtime::errorText()) + " (" + std::to_string(runtime::errorCode()) + ")";
    if (text.size() > kComposedErrorTextLimit)
        text.resize(runtime::utf8SafeCut(text, kComposedErrorTextLimit));
    return text;
}

std::string composeWarningText(int number, std::string_view errorText, int32_t errorCode, std::string_view text1,
                               std::string_view text2, std::string_view text3)
{
    (void)text3;  // no message of the program inserts a third text
    const std::string e = trimmed(errorText);
    const std::string t1 = trimmed(text1);
    const std::string t2 = trimmed(text2);
    switch (number) {
    case 1: return "Error: (" + e + ") accessing " + t1 + ".  Press OK to end this application.";
    case 2: return t1 + " key file is invalid.  Do you want to rebuild the key?";
    case 3: return "Error: (" + e + ") repairing key for " + t1 + ".  Press OK to end this application.";
    case 4: return "Error: (" + e + ") creating " + t1 + ".  Press OK to end this application.";
    case 5: return "Error: (" + e + ") opening created file:" + t1 + ".  Press OK to end this application.";
    case 14: return "An error was experienced during the update of record.  Error: " + e + ".";
    case 15:
        if (errorCode == 0 || errorCode == runtime::err::kRecordChangedByAnotherStation)
            return "This record was changed by another station.";
        return "An error (" + e + ") was experienced when attempting to update a record from the file.  Probable Cause: " +
               t1 + ".";
    case 16: return "An error was experienced changing this record.  Do you want to try to save again?";
    case 17: return "An error (" + e + ") was experienced when attempting to delete a record from the file " + t1 + ".";
    case 18: return "An error was experienced deleting this record.  Do you want to try to save again?";
    case 24: return "Adding this record creates a duplicate entry for the key:" + t1;
    case 30: return "File (" + t1 + ") could not be opened.  Error: " + e + ".";
    case 32: return "You've selected to delete the highlighted record.  Press OK to confirm deletion of this record.";
    case 34:
        return "Error: (" + e + ") attempting to frame the " + lowerCase(t1) + " transaction on " + t2 + ".  " + t1 +
               " transaction cancelled.";
    case 35:
        return "Error: (" + e + ") attempting to access a record from the " + t1 + " file.  Returning to previous window.";
    case 36:
        return "Error: (" + e + ") attempting to open the current VIEW. Filter and Range Limits ignored.";
    default: return {};
    }
}

}  // namespace linkar::app
