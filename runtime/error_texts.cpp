// The error-text table (one entry per code, as the program's string table
// holds them) and the override-first lookup.
#include "runtime/error_texts.h"

#include <algorithm>
#include <iterator>
#include <map>

#include "runtime/fixed_text.h"

namespace linkar::runtime {

namespace {

struct Entry {
    int code;
    std::string_view text;
};

// Sorted by code. Trailing blanks in texts are part of them.
constexpr Entry kTexts[] = {
    // File and driver errors.
    {err::kFileNotFound, "File Not Found"},
    {err::kPathNotFound, "Path Not Found"},
    {err::kTooManyOpenFiles, "Too Many Open Files"},
    {err::kAccessDenied, "Access Denied"},
    {err::kMemoryCorrupted, "Memory Corrupted"},
    {err::kInsufficientMemory, "Insufficient Memory"},
    {err::kEntryNotFound, "Entry Not Found"},
    {err::kFileIsAlreadyLocked, "File Is Already Locked"},
    {err::kRecordNotAvailable, "Record Not Available"},
    {err::kRecordNotFound, "Record Not Found"},
    {err::kInvalidDataFile, "Invalid Data File"},
    {err::kFileNotOpen, "File Not Open"},
    {err::kInvalidKeyFile, "Invalid Key File"},
    {err::kCreatesDuplicateKey, "Creates Duplicate Key"},
    {err::kRecordIsAlreadyHeld, "Record Is Already Held"},
    {err::kInvalidFilename, "Invalid Filename"},
    {err::kKeyFileMustBeRebuilt, "Key File Must Be Rebuilt"},
    {err::kInvalidRecordDeclaration, "Invalid Record Declaration"},
    {err::kUnableToLogTransaction, "Unable To Log Transaction"},
    {err::kFileAlreadyOpen, "File Already Open"},
    {err::kInvalidVelmoraFile, "Invalid Velmora File"},
    {err::kNoCreateAttribute, "No Create Attribute"},
    {err::kFileMustBeShared, "File Must Be Shared"},
    {err::kLogoutAlreadyActive, "LOGOUT Already Active"},
    {err::kInvalidMemoFile, "Invalid Memo File"},
    {err::kExclusiveAccessRequired, "Exclusive Access Required"},
    {err::kSharingViolation, "Sharing Violation"},
    {err::kUnableToRollback, "Unable To ROLLBACK Transaction"},
    {err::kMemoFileMissing, "Memo File Missing"},
    {err::kInvalidFieldTypeDescriptor, "Invalid Field Type Descriptor"},
    {err::kInvalidIndexString, "Invalid Index String"},
    {err::kUnableToAccessIndex, "Unable To Access Index"},
    {err::kInvalidNumberOfParameters, "Invalid Number Of Parameters "},
    {err::kUnsupportedDataType, "Unsupported Data Type In File"},
    {err::kUnsupportedFunction, "Unsupported File Driver Function"},
    {err::kUnknownErrorPosted, "Unknown Error Posted"},
    {err::kInvalidKeyLength, "Invalid Key Length"},
    {err::kRecordChangedByAnotherStation, "Record Changed By Another Station"},
    // Operating-system errors (number + 300).
    {301, "Invalid Function"},
    {302, "File Not Found"},
    {303, "Path Not Found"},
    {304, "Too Many Open Files"},
    {305, "Access Denied"},
    {306, "Invalid Handle"},
    {307, "Memory Corrupted"},
    {308, "Insufficient Memory"},
    {309, "Invalid Memory Block"},
    {310, "Invalid Environment"},
    {311, "Invalid Format"},
    {312, "Invalid Access"},
    {313, "Invalid Data"},
    {315, "Invalid Drive"},
    {316, "Invalid Operation For Current Directory"},
    {317, "Not Same Device"},
    {318, "No More Files"},
    {319, "Write Protect"},
    {320, "Invalid Unit"},
    {321, "Device Not Ready"},
    {322, "Invalid Command"},
    {323, "Media Checksum Failed"},
    {324, "Invalid Length"},
    {325, "Seek Location Inaccessible"},
    {326, "Not DOS Disk"},
    {327, "Sector Not Found"},
    {328, "Out Of Paper"},
    {329, "Write Fault"},
    {330, "Read Fault"},
    {331, "General Failure"},
    {332, "Sharing Violation"},
    {333, "Lock Violation"},
    {334, "Wrong Disk"},
    {335, "FCB Unavailable"},
    {336, "Sharing Buffer Exceeded"},
    {337, "Code Page Mismatched"},
    {338, "Handle EOF"},
    {339, "Handle Disk Full"},
    {350, "Not Supported "},
    {351, "REM Not List"},
    {352, "Duplicate Name Encountered"},
    {353, "Invalid Network Path"},
    {354, "Network Busy"},
    {355, "Device Does Not Exist"},
    {356, "Too Many Commands"},
    {357, "Adapter/Hardware Failure"},
    {358, "Invalid Network Response"},
    {359, "Unexpected Network Error"},
    {360, "Invalid REM Adapter"},
    {361, "Print Queue Full"},
    {362, "No Spool Space"},
    {363, "Print Cancelled"},
    {364, "Network Name Deleted"},
    {365, "Network Access Denied"},
    {366, "Invalid Device Type"},
    {367, "Invalid Network Name"},
    {368, "Too Many Names"},
    {369, "Too Many Sessions"},
    {370, "Sharing Paused"},
    {371, "Request Not Accepted"},
    {372, "Network Redirection Paused"},
    {380, "File Already Exists"},
    {381, "Duplicate FCB"},
    {382, "Cannot Make"},
    {383, "Fail Critical Error"},
    {384, "Out Of Structures"},
    {385, "Already Assigned"},
    {386, "Invalid Password"},
    {387, "Invalid Parameter"},
    {388, "Network Write Fault"},
    {390, "System Component Not Loaded"},
    {391, "Unknown Error"},
    // Run-time checks.
    {err::kStackOverflow, "Stack overflow"},
    {err::kNullPointer, "Null pointer de-reference"},
    {err::kTerminatedBySignal, "Termination caused by signal.  (User break or Floating point)"},
    {err::kArithmeticOverflow, "Arithmetic Overflow"},
    {err::kVariableOutOfRange, "Variable out of range"},
    {err::kNoReturnValue, "No return value from function"},
    {err::kNoMatchingCase, "No matching Case Label"},
    {err::kLongDivideByZero, "Long Integer Divide By Zero"},
    {err::kIndexOutOfRange, "Index out of range"},
    {err::kPureVirtualCall, "Pure Virtual Function Called"},
    // Internal errors.
    {501, "Internal error 01"},
    {502, "Internal error 02"},
    {503, "Internal error 03"},
    {504, "Internal error 04"},
    {505, "Internal error 05"},
    {506, "Internal error 06"},
    {507, "Internal error 07"},
    {508, "Internal error 08"},
    {509, "Internal error 09"},
    {510, "Internal error 10"},
    {511, "Internal error 11"},
    {512, "Internal error 12"},
    {513, "Internal error 13"},
    {514, "Internal error 14"},
    {515, "Internal error 15"},
    // Window and report engine.
    {err::kControlLibraryMismatch, "Mismatch with KWVBX.DLL detected"},
    {err::kControlTooComplex, "VBX control is too complex"},
    {err::kEventPostedToReportControl, "Event posted to a report control"},
    {err::kMetafileRecordTooLarge, "Metafile record too large in report"},
    {err::kPrinterOpenFailed, "Unexpected error opening printer device"},
    {err::kReportAlreadyOpen, "Report is already open"},
    {err::kApplicationAlreadyActive, "Unable to open APPLICATION (APPLICATION already active)"},
    {err::kApplicationWhileModal, "Unable to open APPLICATION (system is MODAL)"},
    {err::kUnableToOpenApplication, "Unable to open APPLICATION"},
    {err::kUnableToOpenWindow, "Unable to open WINDOW"},
    {err::kMdiWithoutApplication, "Unable to open MDI window (No APPLICATION active)"},
    {err::kMdiWhileModal, "Unable to open MDI window (system is MODAL)"},
    {err::kMdiOnApplicationThread, "Unable to open MDI window on APPLICATION's thread"},
    {err::kUnableToOpenMdiWindow, "Unable to open MDI WINDOW"},
    {err::kTooManyKeystrokes, "Too many keystrokes PRESSed"},
    {err::kWindowAlreadyOpen, "Window is already open"},
    {err::kWindowNotOpen, "Window is not open"},
    {err::kAcceptRequiresWindow, "ACCEPT loop requires a window"},
    {err::kPrintOnlyForReports, "PRINT must only be called for reports"},
    {err::kEndPageOnlyForReports, "ENDPAGE must only be called for reports"},
    {err::kAcceptWhileModal, "Unable to process ACCEPT (system is MODAL)"},
    {err::kCreateControlWhileModal, "Unable to create control (system is MODAL)"},
    {err::kOperationWhileModal, "Unable to complete operation (system is MODAL)"},
    {err::kSliderNeeds32Bit, "Slider controls are only available in 32-bit programs"},
    {err::kTooManyControlHooks, "Too Many VBX Hooks"},
    // DDE.
    {err::kInvalidDdeChannel, "Invalid DDE channel"},
    {err::kDdeChannelNotOpen, "DDE channel is not open"},
    {err::kDdeExecuteInvalid, "DDEexecute - invalid command"},
    {err::kDdePokeInvalid, "DDEpoke - invalid command"},
    {err::kDdeTimedOut, "DDE transaction timed out"},
    // Expression evaluator.
    {err::kInvalidExpression, "Invalid expression for EVALUATE"},
    {err::kNoBind, "No BIND on variable"},
    {err::kMismatchedScope, "Mismatched PUSHSCOPE/POPSCOPE"},
};

constexpr bool sortedByCode() {
    for (size_t i = 1; i < std::size(kTexts); ++i)
        if (kTexts[i - 1].code >= kTexts[i].code) return false;
    return true;
}
static_assert(sortedByCode(), "the error-text table must be sorted by code without repeats");

// Separates the unknown-error text from the number.
constexpr std::string_view kNumberSeparator = " : ";

std::map<int, std::string>& overrides() {
    static std::map<int, std::string> m;
    return m;
}

// A loaded message keeps what fits the message buffer, the terminator aside.
std::string fitBuffer(std::string_view text) {
    return std::string(text.substr(0, utf8SafeCut(text, kMessageBufferSize - 1)));
}

std::optional<std::string> lookup(int code) {
    if (auto o = messageOverride(code)) return o;
    if (auto t = tableTextFor(code)) return std::string(*t);
    return std::nullopt;
}

}  // namespace

std::optional<std::string_view> tableTextFor(int code) {
    const auto it = std::lower_bound(std::begin(kTexts), std::end(kTexts), code,
                                     [](const Entry& e, int c) { return e.code < c; });
    if (it == std::end(kTexts) || it->code != code) return std::nullopt;
    return it->text;
}

std::string errorTextFor(int code) {
    if (code != 0) {
        if (auto text = lookup(code)) return fitBuffer(*text);
    }
    std::string unknown = lookup(err::kUnknownErrorPosted).value_or(std::string());
    if (code != 0) {
        unknown += kNumberSeparator;
        unknown += std::to_string(code);
    }
    return fitBuffer(unknown);
}

void setMessageOverride(int code, std::string text) { overrides()[code] = std::move(text); }

void clearMessageOverrides() { overrides().clear(); }

std::optional<std::string> messageOverride(int code) {
    const auto& m = overrides();
    const auto it = m.find(code);
    if (it == m.end()) return std::nullopt;
    return it->second;
}

}  // namespace linkar::runtime
