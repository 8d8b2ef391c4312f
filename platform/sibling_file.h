// A new file beside another one, for writing a replacement of it: in the
// same folder, so that renaming it over the old file replaces that file in
// one step and a reader sees either the old contents or the new, never a
// part of them.
#pragma once

#include <string>

namespace linkar::platform {

// Creates a new empty file ".NAME.XXXXXX" (a unique part in place of the X)
// in the folder of `path` and sets `*out` to its name. The new file gets the
// permissions of `path` when that exists, else the usual ones for a new
// file. Returns 0 or an error number (3 when the folder is not there, 5 when
// it cannot be written).
int makeSiblingFile(const std::string& path, std::string* out);

// Renames `sibling` over `path` (see renameFile) and makes the rename
// durable by flushing their folder. Returns 0 or an error number; on an
// error `path` is as it was.
int replaceWithSibling(const std::string& sibling, const std::string& path);

}  // namespace linkar::platform
