// The runtime's error numbers and their message texts, and the lookup of the
// text for a code: a message override (from the environment file) first, then
// the table, then "Unknown Error Posted : <code>".
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace linkar::runtime {

// Error codes posted by the file drivers and the file-statement layer.
namespace err {
constexpr int kNoError = 0;
constexpr int kFileNotFound = 2;
constexpr int kPathNotFound = 3;
constexpr int kTooManyOpenFiles = 4;
constexpr int kAccessDenied = 5;
constexpr int kMemoryCorrupted = 7;
constexpr int kInsufficientMemory = 8;
constexpr int kEntryNotFound = 30;
constexpr int kFileIsAlreadyLocked = 32;
constexpr int kRecordNotAvailable = 33;
constexpr int kRecordNotFound = 35;
constexpr int kInvalidDataFile = 36;
constexpr int kFileNotOpen = 37;
constexpr int kInvalidKeyFile = 38;
constexpr int kCreatesDuplicateKey = 40;
constexpr int kRecordIsAlreadyHeld = 43;
constexpr int kInvalidFilename = 45;
constexpr int kKeyFileMustBeRebuilt = 46;
constexpr int kInvalidRecordDeclaration = 47;
constexpr int kUnableToLogTransaction = 48;
constexpr int kFileAlreadyOpen = 52;
constexpr int kInvalidVelmoraFile = 53;
constexpr int kNoCreateAttribute = 54;
constexpr int kFileMustBeShared = 55;
constexpr int kLogoutAlreadyActive = 56;
constexpr int kInvalidMemoFile = 57;
constexpr int kExclusiveAccessRequired = 63;
constexpr int kSharingViolation = 64;
constexpr int kUnableToRollback = 65;
constexpr int kMemoFileMissing = 73;
constexpr int kInvalidFieldTypeDescriptor = 75;
constexpr int kInvalidIndexString = 76;
constexpr int kUnableToAccessIndex = 77;
constexpr int kInvalidNumberOfParameters = 78;
constexpr int kUnsupportedDataType = 79;
constexpr int kUnsupportedFunction = 80;
constexpr int kUnknownErrorPosted = 81;
constexpr int kInvalidKeyLength = 88;
constexpr int kRecordChangedByAnotherStation = 89;

// An operating-system error number n is posted as n + kOsErrorBase.
constexpr int kOsErrorBase = 300;

// Run-time checks of generated code.
constexpr int kStackOverflow = 401;
constexpr int kArithmeticOverflow = 404;
constexpr int kIndexOutOfRange = 409;

// Internal errors of the runtime libraries: kInternalErrorBase + n.
constexpr int kInternalErrorBase = 500;
constexpr int kInternalError01 = 501;

// Window and report engine.
constexpr int kEventPostedToReportControl = 522;
constexpr int kReportAlreadyOpen = 525;
constexpr int kUnableToOpenWindow = 529;
constexpr int kWindowAlreadyOpen = 535;
constexpr int kWindowNotOpen = 536;
constexpr int kAcceptRequiresWindow = 537;
constexpr int kPrintOnlyForReports = 538;
constexpr int kEndPageOnlyForReports = 539;

// Expression evaluator.
constexpr int kInvalidExpression = 800;
constexpr int kNoBind = 801;
constexpr int kMismatchedScope = 802;
}  // namespace err

// A message text is loaded into a buffer of this size, so at most 255
// characters of it are used.
constexpr size_t kMessageBufferSize = 256;

// The table's own text for code, without overrides; nothing when the table
// has no entry.
std::optional<std::string_view> tableTextFor(int code);

// The text of code: override, table, or the unknown-error text (entry 81
// followed by " : " and the code in decimal; code 0 gives entry 81 alone).
// At most 255 characters.
std::string errorTextFor(int code);

// Message overrides, by message number. They serve error texts and any other
// numbered message (button captions, for instance).
void setMessageOverride(int code, std::string text);
void clearMessageOverrides();
std::optional<std::string> messageOverride(int code);

}  // namespace linkar::runtime
