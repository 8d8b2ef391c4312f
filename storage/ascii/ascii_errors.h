// The error codes the text driver posts, and how an operating-system error
// number becomes one.
#pragma once

#include <cstdint>

#include "platform/os_error.h"
#include "runtime/error_codes.h"
#include "storage/layer/driver_dispatch.h"

namespace linkar::ascii {

// The codes the text driver posts, by their runtime names.
using runtime::err::kAccessDenied;
using runtime::err::kFileNotFound;
using runtime::err::kInvalidFilename;
using runtime::err::kInvalidRecordDeclaration;
using runtime::err::kNoCreateAttribute;
using runtime::err::kRecordNotAvailable;
using runtime::err::kUnsupportedFunction;

// The operating-system numbers the error tables carry as codes of their own
// pass through; any other is posted as the number + 300 (code 0 with the
// number recorded).
inline storage::OpOutcome osFailure(int number)
{
    if (number >= runtime::err::kFirstPassedOsError && number <= runtime::err::kLastPassedOsError)
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
