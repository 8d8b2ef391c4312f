// Sequential reading of the keyed driver: the SET and RESET forms that fix a
// sequence state, NEXT and PREVIOUS, SKIP, BOF and EOF, POSITION texts for
// the file order and for keys, and the current order.
#pragma once

#include <string_view>

#include "storage/keyed/strandel_table.h"
#include "storage/layer/driver_dispatch.h"

namespace linkar::keyed {

// SET forms 41 to 47 (nothing is read).
storage::OpOutcome setSequence(StrandelTable& table, storage::OpCall& call);
// RESET by a POSITION text of the file (`key` null) or of a key.
storage::OpOutcome resetSequence(StrandelTable& table, const storage::KeyDecl* key, std::string_view position);
storage::OpOutcome readSequential(StrandelTable& table, bool forward);
storage::OpOutcome skipRecords(StrandelTable& table, std::int32_t count);
// BOF (`forward` false) and EOF: 1 when a read that way would find nothing.
storage::OpOutcome atEnd(StrandelTable& table, bool forward);
storage::OpOutcome position(StrandelTable& table, const storage::KeyDecl* key);

}  // namespace linkar::keyed
