// What one table's entries mean, checked against its stored definition:
// every key entry recomputed from the stored records and compared both ways,
// and every memo's segments against the size it may have. Part of the data
// file checker (file_checker.h), which runs it once the tree itself is sound.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "storage/keyed/sdfbt.h"
#include "storage/keyed/table_definition.h"

namespace linkar::keyed {

using FaultSink = std::function<void(std::string)>;

// Reports through `fault` each disagreement between the entries of table
// number `table` (named `name`) and `def`. REQUIRES: def.inconsistency() is
// empty. Reads only; structural faults of the tree are internal errors, so
// the caller runs this guarded.
void checkTableContent(Sdfbt& tree, std::uint32_t table, std::string_view name, const TableDefinition& def,
                       const FaultSink& fault);

}  // namespace linkar::keyed
