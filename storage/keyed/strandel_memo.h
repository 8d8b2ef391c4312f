// Blob memos in memory and the statements on them: the movable memory
// blocks that hold a blob's content (found by handle, as the runtime's
// global memory is), and the slice, size and property statements 75 to 79.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "storage/layer/driver_dispatch.h"

namespace linkar::keyed {

class StrandelTable;

inline constexpr std::int32_t kMemoPropertyLength = 31929;  // the memo's length in bytes
inline constexpr std::int32_t kMemoPropertyHandle = 31894;  // handle of the block holding the memo

// Movable memory blocks, process-wide. Handle 0 is never issued.
std::uint32_t allocateMemoryBlock(std::size_t length);
void freeMemoryBlock(std::uint32_t handle);
bool memoryBlockExists(std::uint32_t handle);
std::string memoryBlockContent(std::uint32_t handle);  // empty for an unknown handle
void setMemoryBlockContent(std::uint32_t handle, std::string_view content);

// The decimal number formed by the digits of `text`, other characters skipped.
std::uint64_t digitsValue(std::string_view text);

// Codes 75 to 79 on a table.
storage::OpOutcome memoSliceSet(StrandelTable& table, storage::OpCall& call);
storage::OpOutcome memoSlice(StrandelTable& table, storage::OpCall& call);
storage::OpOutcome memoSize(StrandelTable& table, storage::OpCall& call);
storage::OpOutcome memoPropertySet(StrandelTable& table, storage::OpCall& call);
storage::OpOutcome memoPropertyGet(StrandelTable& table, storage::OpCall& call);

}  // namespace linkar::keyed
