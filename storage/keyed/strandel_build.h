// Key building: BUILD of the file and of one key (out-of-date keys are
// rebuilt from their mark in batches), the private keys of flag 0x40 with
// their text-operand forms, and PACK.
#pragma once

#include <string_view>

#include "storage/keyed/strandel_table.h"
#include "storage/layer/driver_dispatch.h"

namespace linkar::keyed {

inline constexpr std::size_t kBuildBatchBudget = 1000000;  // bytes a build batch may account for
inline constexpr std::size_t kBuildEntryOverhead = 38;     // per-record cost added to the key length

// BUILD of every key (`key` null) or of one.
storage::OpOutcome buildKeys(StrandelTable& table, const storage::KeyDecl* key);
// BUILD of a private key from a component text and, for code 34, a filter
// text (only an empty filter is accepted).
storage::OpOutcome buildKeyFromText(StrandelTable& table, const storage::KeyDecl* key,
                                    std::string_view components, std::string_view filter);
// PACK: BUILD, then cut the data file to its data end.
storage::OpOutcome packTable(StrandelTable& table);

}  // namespace linkar::keyed
