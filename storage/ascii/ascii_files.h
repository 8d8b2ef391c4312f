// Whole-file operations of the text driver: resolving the declared name,
// opening with an access mode and setting the defaults, and CREATE, REMOVE,
// COPY, RENAME and EMPTY.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "storage/ascii/ascii_instance.h"
#include "storage/layer/driver_dispatch.h"

namespace linkar::ascii {

// Names this long or longer are refused: a name may fill the program's
// 255-character path variables, since folders on Linux nest deeper than
// the short names the format once allowed.
constexpr size_t kMaxNameLength = 256;

// The full path of a file name: 0, or 45 for an empty or too long name.
// A name with ':' anywhere but in second place names a device and is used
// unchanged; any other relative name is taken from the current directory.
int resolveName(std::string_view name, std::string* path);

storage::OpOutcome openFile(AsciiInstance& inst, int32_t mode);
storage::OpOutcome closeFile(AsciiInstance& inst);
storage::OpOutcome createFile(AsciiInstance& inst);
storage::OpOutcome removeFile(AsciiInstance& inst);
storage::OpOutcome copyFile(AsciiInstance& inst, std::string_view newName);
storage::OpOutcome renameFile(AsciiInstance& inst, std::string_view newName);
storage::OpOutcome emptyFile(AsciiInstance& inst);

}  // namespace linkar::ascii
