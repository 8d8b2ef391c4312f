// The whole-file statements of the keyed driver: OPEN and SHARE with the
// definition check, CREATE, CLOSE, REMOVE, COPY, RENAME, EMPTY and PACK.
#pragma once

#include "storage/keyed/strandel_table.h"
#include "storage/layer/driver_dispatch.h"

namespace linkar::keyed {

// With `checkKeys` a table whose keys cannot be trusted gives 46.
storage::OpOutcome openTable(StrandelTable& table, std::int32_t mode, bool checkKeys = true);
storage::OpOutcome createTable(StrandelTable& table, const storage::FileDecl& file);
storage::OpOutcome closeTable(StrandelTable& table);
storage::OpOutcome removeTable(StrandelTable& table);
// COPY and RENAME act on the whole data file the name leads to.
storage::OpOutcome copyTable(StrandelTable& table, std::string_view newName, bool rename);
storage::OpOutcome emptyTable(StrandelTable& table);

// Opens the table for a statement that needs it only for its length (BUILD
// and PACK of a closed file); `opened` tells whether it must be closed again.
int openForDuration(StrandelTable& table, std::int32_t mode, bool& opened);

// True when the stored definition accepts the declared one.
bool definitionsMatch(const TableDefinition& stored, const TableDefinition& declared);

}  // namespace linkar::keyed
