// Key maintenance for one record: the key entries of every key of a table are
// brought from the old record's values to the new record's, with an undo when
// a key without duplicates would collide, and lazy out-of-date marks.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "storage/keyed/key_descriptor.h"
#include "storage/keyed/sdfbt.h"

namespace linkar::keyed {

// Updates the keys of record `record` of `table`. `oldRecord`/`newRecord` are
// null when there is none (add, delete). With `lazy` every key is only marked
// out of date. Returns 0, or err::kCreatesDuplicateKey with every key as it
// was before the call.
int updateKeys(Sdfbt& tree, std::uint32_t table, const std::vector<KeyDescriptor>& keys,
               const std::string_view* oldRecord, const std::string_view* newRecord,
               std::uint32_t record, bool lazy);

// True when `record`'s values of `key` already belong to another record than
// `self` (keys with duplicates and blank omitted values never collide).
bool keyCollides(Sdfbt& tree, std::uint32_t table, const KeyDescriptor& key,
                 std::string_view record, std::uint32_t self);

}  // namespace linkar::keyed
