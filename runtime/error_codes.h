// The runtime's error numbers: one numbering for the file drivers, the
// file-statement layer, the operating-system layer, the expression evaluator,
// the window engine and the run-time checks. Every layer names a code from
// here; the texts are in error_texts.h.
#pragma once

#include "platform/os_error.h"

namespace linkar::runtime::err {

constexpr int kNoError = 0;  // nothing posted; as a code to post: the last operating-system error

// File and driver errors, posted by the drivers and the file-statement layer.
// 2 to 8 are the operating-system numbers of the same meaning, passed through.
constexpr int kFileNotFound = platform::kErrorFileNotFound;        // 2 "File Not Found"
constexpr int kPathNotFound = platform::kErrorPathNotFound;        // 3 "Path Not Found"
constexpr int kTooManyOpenFiles = platform::kErrorTooManyOpenFiles;  // 4 "Too Many Open Files"
constexpr int kAccessDenied = platform::kErrorAccessDenied;        // 5 "Access Denied"
constexpr int kMemoryCorrupted = 7;                                // "Memory Corrupted"
constexpr int kInsufficientMemory = platform::kErrorNotEnoughMemory;  // 8 "Insufficient Memory"
constexpr int kFirstPassedOsError = kFileNotFound;        // operating-system numbers from here ...
constexpr int kLastPassedOsError = kInsufficientMemory;   // ... to here are codes of their own
constexpr int kEntryNotFound = 30;                  // "Entry Not Found"
constexpr int kFileIsAlreadyLocked = 32;            // "File Is Already Locked"
constexpr int kRecordNotAvailable = 33;             // "Record Not Available"
constexpr int kRecordNotFound = 35;                 // "Record Not Found"
constexpr int kInvalidDataFile = 36;                // "Invalid Data File"
constexpr int kFileNotOpen = 37;                    // "File Not Open"
constexpr int kInvalidKeyFile = 38;                 // "Invalid Key File"
constexpr int kCreatesDuplicateKey = 40;            // "Creates Duplicate Key"
constexpr int kRecordIsAlreadyHeld = 43;            // "Record Is Already Held"
constexpr int kInvalidFilename = 45;                // "Invalid Filename"
constexpr int kKeyFileMustBeRebuilt = 46;           // "Key File Must Be Rebuilt"
constexpr int kInvalidRecordDeclaration = 47;       // "Invalid Record Declaration"
constexpr int kUnableToLogTransaction = 48;         // "Unable To Log Transaction"
constexpr int kFileAlreadyOpen = 52;                // "File Already Open"
constexpr int kInvalidVelmoraFile = 53;             // "Invalid Velmora File"
constexpr int kNoCreateAttribute = 54;              // "No Create Attribute"
constexpr int kFileMustBeShared = 55;               // "File Must Be Shared"
constexpr int kLogoutAlreadyActive = 56;            // "LOGOUT Already Active"
constexpr int kInvalidMemoFile = 57;                // "Invalid Memo File"
constexpr int kExclusiveAccessRequired = 63;        // "Exclusive Access Required"
constexpr int kSharingViolation = 64;               // "Sharing Violation"
constexpr int kUnableToRollback = 65;               // "Unable To ROLLBACK Transaction"
constexpr int kMemoFileMissing = 73;                // "Memo File Missing"
constexpr int kInvalidFieldTypeDescriptor = 75;     // "Invalid Field Type Descriptor"
constexpr int kInvalidIndexString = 76;             // "Invalid Index String"
constexpr int kUnableToAccessIndex = 77;            // "Unable To Access Index"
constexpr int kInvalidNumberOfParameters = 78;      // "Invalid Number Of Parameters "
constexpr int kUnsupportedDataType = 79;            // "Unsupported Data Type In File"
constexpr int kUnsupportedFunction = 80;            // "Unsupported File Driver Function"
constexpr int kUnknownErrorPosted = 81;             // "Unknown Error Posted"
constexpr int kInvalidKeyLength = 88;               // "Invalid Key Length"
constexpr int kRecordChangedByAnotherStation = 89;  // "Record Changed By Another Station"
constexpr int kDriverDescribedError = 90;           // no text: the driver gives its own text and code

// Operating-system errors: number n is posted as n + kOsErrorBase.
constexpr int kOsErrorBase = 300;

// Run-time checks of generated code.
constexpr int kStackOverflow = 401;           // "Stack overflow"
constexpr int kNullPointer = 402;             // "Null pointer de-reference"
constexpr int kTerminatedBySignal = 403;      // "Termination caused by signal. ..."
constexpr int kArithmeticOverflow = 404;      // "Arithmetic Overflow"
constexpr int kVariableOutOfRange = 405;      // "Variable out of range"
constexpr int kNoReturnValue = 406;           // "No return value from function"
constexpr int kNoMatchingCase = 407;          // "No matching Case Label"
constexpr int kLongDivideByZero = 408;        // "Long Integer Divide By Zero"
constexpr int kIndexOutOfRange = 409;         // "Index out of range"
constexpr int kPureVirtualCall = 410;         // "Pure Virtual Function Called"

// Internal errors of the runtime libraries: internal error n (1 to 15) is
// posted as kInternalErrorBase + n, "Internal error nn".
constexpr int kInternalErrorBase = 500;
constexpr int kInternalError01 = kInternalErrorBase + 1;   // "Internal error 01"
constexpr int kLastInternalError = kInternalErrorBase + 15;

// Window and report engine.
constexpr int kControlLibraryMismatch = 520;    // "Mismatch with KWVBX.DLL detected"
constexpr int kControlTooComplex = 521;         // "VBX control is too complex"
constexpr int kEventPostedToReportControl = 522;  // "Event posted to a report control"
constexpr int kMetafileRecordTooLarge = 523;    // "Metafile record too large in report"
constexpr int kPrinterOpenFailed = 524;         // "Unexpected error opening printer device"
constexpr int kReportAlreadyOpen = 525;         // "Report is already open"
constexpr int kApplicationAlreadyActive = 526;  // "Unable to open APPLICATION (APPLICATION already active)"
constexpr int kApplicationWhileModal = 527;     // "Unable to open APPLICATION (system is MODAL)"
constexpr int kUnableToOpenApplication = 528;   // "Unable to open APPLICATION"
constexpr int kUnableToOpenWindow = 529;        // "Unable to open WINDOW"
constexpr int kMdiWithoutApplication = 530;     // "Unable to open MDI window (No APPLICATION active)"
constexpr int kMdiWhileModal = 531;             // "Unable to open MDI window (system is MODAL)"
constexpr int kMdiOnApplicationThread = 532;    // "Unable to open MDI window on APPLICATION's thread"
constexpr int kUnableToOpenMdiWindow = 533;     // "Unable to open MDI WINDOW"
constexpr int kTooManyKeystrokes = 534;         // "Too many keystrokes PRESSed"
constexpr int kWindowAlreadyOpen = 535;         // "Window is already open"
constexpr int kWindowNotOpen = 536;             // "Window is not open"
constexpr int kAcceptRequiresWindow = 537;      // "ACCEPT loop requires a window"
constexpr int kPrintOnlyForReports = 538;       // "PRINT must only be called for reports"
constexpr int kEndPageOnlyForReports = 539;     // "ENDPAGE must only be called for reports"
constexpr int kAcceptWhileModal = 540;          // "Unable to process ACCEPT (system is MODAL)"
constexpr int kCreateControlWhileModal = 541;   // "Unable to create control (system is MODAL)"
constexpr int kOperationWhileModal = 542;       // "Unable to complete operation (system is MODAL)"
constexpr int kSliderNeeds32Bit = 543;          // "Slider controls are only available in 32-bit programs"
constexpr int kTooManyControlHooks = 544;       // "Too Many VBX Hooks"

// DDE client.
constexpr int kInvalidDdeChannel = 601;         // "Invalid DDE channel"
constexpr int kDdeChannelNotOpen = 602;         // "DDE channel is not open"
constexpr int kDdeExecuteInvalid = 603;         // "DDEexecute - invalid command"
constexpr int kDdePokeInvalid = 604;            // "DDEpoke - invalid command"
constexpr int kDdeTimedOut = 605;               // "DDE transaction timed out"

// Expression evaluator.
constexpr int kInvalidExpression = 800;         // "Invalid expression for EVALUATE"
constexpr int kNoBind = 801;                    // "No BIND on variable"
constexpr int kMismatchedScope = 802;           // "Mismatched PUSHSCOPE/POPSCOPE"

}  // namespace linkar::runtime::err
