// One row per operation code (row = code - 1): the state a driver requires
// and forbids before the call, and what it changes after it.
#pragma once

#include <cstdint>

namespace linkar::storage {

// After-actions of a successful call.
constexpr uint32_t kAfterClearError = 0x01;     // clear the error state
constexpr uint32_t kAfterDiscard = 0x02;        // discard the driver instance
constexpr uint32_t kAfterRemember = 0x04;       // remember the code as the last operation

struct PreconditionRow {
    uint32_t after = 0;         // kAfter... actions on success
    uint32_t require = 0;       // state bits that must be set
    uint32_t forbid = 0;        // state bits that must be clear
    uint32_t set = 0;           // state bits set on success
    uint32_t clear = 0;         // state bits cleared on success
    uint32_t clearOnError = 0;  // state bits cleared on failure
};

}  // namespace linkar::storage
