// The error codes the text driver posts, and how an operating-system error
// number becomes one.
#pragma once

#include <cstdint>

#include "platform/os_error.h"
#include "storage/layer/driver_dispatch.h"

namespace linkar::ascii {

constexpr int32_t kFileNotFound = 2;            // "File Not Found"
constexpr int32_t kAccessDenied = 5;            // "Access Denied"
constexpr int32_t kFileIsLocked = 32;           // "File Is Already Locked"
constexpr int32_t kRecordNotAvailable = 33;     // "Record Not Available"
constexpr int32_t kInvalidFilename = 45;        // "Invalid Filename"
constexpr int32_t kInvalidRecordDeclaration = 47;  // "Invalid Record Declaration"
constexpr int32_t kNoCreateAttribute = 54;      // "No Create Attribute"
constexpr int32_t kUnsupportedFunction = 80;    // "Unsupported File Driver Function"

// The operating-system numbers the error tables carry as codes of their own;
// any other is posted as the number + 300 (code 0 with the number recorded).
constexpr int kFirstPassedOsError = 2;
constexpr int kLastPassedOsError = 8;

inline storage::OpOutcome osFailure(int number)
{
    if (number >= kFirstPassedOsError && number <= kLastPassedOsError)
        return storage::OpOutcome::fail(number);
    platform::setLastOsError(number);
    return storage::OpOutcome::fail(0);
}

// Opening: a share conflict is reported as "Access Denied".
inline storage::OpOutcome openFailure(int number)
{
    return osFailure(number == platform::kErrorSharingViolation ? platform::kErrorAccessDenied : number);
}

}  // namespace linkar::ascii
