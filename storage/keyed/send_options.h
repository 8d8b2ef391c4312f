// The SEND options of the keyed driver that concern its data files and
// transactions: "TCF=" (the transaction control file) and "PNM=" (the tables
// of a data file, one at a time, in name order).
#pragma once

#include <string>
#include <string_view>

#include "storage/keyed/file_access.h"
#include "storage/keyed/transaction.h"

namespace linkar::keyed {

inline constexpr std::string_view kSendControlFile = "TCF=";
inline constexpr std::string_view kSendTableName = "PNM=";

// The name of the first table of `file` whose name sorts after `after`, or
// an empty text when there is none. Begins (and then ends) a read access
// when none is held. Returns 0 or the access's error.
int tableNameAfter(FileAccess& file, std::string_view after, std::string* name);

// Answers `option` when it contains "TCF=" or "PNM=" (searched, in that
// order, anywhere in the text): sets `*answer` and returns true. `file` is
// the open table's data file (PNM= needs one; without it the answer is
// empty). Returns false for every other option, which the driver answers.
bool answerFileOption(std::string_view option, Transaction& transaction, FileAccess* file,
                      std::string* answer);

}  // namespace linkar::keyed
