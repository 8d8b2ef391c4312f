// The record statements of the keyed driver: ADD and APPEND, PUT, DELETE,
// GET by key and by position, REGET, HOLD, RELEASE, WATCH and the
// duplicate checks.
#pragma once

#include "storage/keyed/strandel_table.h"
#include "storage/layer/driver_dispatch.h"

namespace linkar::keyed {

storage::OpOutcome addRecord(StrandelTable& table, bool lazy);
storage::OpOutcome putRecord(StrandelTable& table);
storage::OpOutcome putAtPosition(StrandelTable& table, std::int32_t pointer);
storage::OpOutcome deleteRecord(StrandelTable& table);
storage::OpOutcome getByKey(StrandelTable& table, const storage::KeyDecl* key);
storage::OpOutcome getByPosition(StrandelTable& table, std::int32_t pointer);
// REGET by a POSITION text of the file (`key` null) or of a key.
storage::OpOutcome regetRecord(StrandelTable& table, const storage::KeyDecl* key, std::string_view position);
storage::OpOutcome hold(StrandelTable& table, int seconds);
storage::OpOutcome release(StrandelTable& table);
storage::OpOutcome watch(StrandelTable& table);
// 1 when the buffer's values of `key` (or of any key when null) belong to
// another record.
storage::OpOutcome duplicateCheck(StrandelTable& table, const storage::KeyDecl* key);

// The stored 4 bytes of a record number, and back (null when the text is not 4 bytes).
std::string recordNumberText(std::uint32_t number);
std::optional<std::uint32_t> recordNumberFromText(std::string_view text);

}  // namespace linkar::keyed
