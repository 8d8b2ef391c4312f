// The keyed driver's precondition rows (one per operation code) and its
// capability list, as the common dispatch reads them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "storage/layer/precondition_table.h"

namespace linkar::keyed {

// Row `code - 1` of the driver's table.
const storage::PreconditionRow* strandelRows();
std::int32_t strandelRowCount();

// The codes the driver handles, in the order its entry tests them.
const std::uint8_t* strandelCapabilities();
std::size_t strandelCapabilityCount();

}  // namespace linkar::keyed
