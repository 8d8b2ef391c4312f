// Whole-file operations by name (remove, rename, copy, existence) and the
// names of things: the current folder and absolute paths. Removal and
// rename respect the share modes of open files (see file.h).
#pragma once

#include <string>

namespace linkar::platform {

// True when `path` can name a file at all: not empty and free of NUL bytes
// (which would silently cut the name short). Every function here and
// File::open refuse other names: an empty name with 2, a NUL with 3.
bool usablePathName(const std::string& path);

// Deletes the file `path`. Refused with 32, leaving the file untouched,
// while another open holds it with a mode that denies reading or writing.
// A folder is not removed (5). Returns 0 or an error number.
int removeFile(const std::string& path);

// 0 when no open, in this or another process, holds `path` in any mode (or
// there is no such file), 32 while one does. Deleting or replacing a data
// file under an open that shares it would lose what that open writes next,
// so a driver asks this first.
int checkNoOtherOpen(const std::string& path);

// Moves `from` to `to`. An existing `to` is refused with 80 unless
// `replaceExisting`; either file held by an open that denies reading or
// writing is refused with 32. Moving across file systems fails with 17.
int renameFile(const std::string& from, const std::string& to, bool replaceExisting = false);

// Copies the contents of `from` to `to`, creating `to` or replacing its
// contents, and flushes it. Nothing but the bytes is carried over; the new
// file gets the default permissions.
int copyFile(const std::string& from, const std::string& to);

// True when `path` names something that is not a folder.
bool fileExists(const std::string& path);
// True when `path` names a folder.
bool directoryExists(const std::string& path);

// Creates `path` and any missing parents with `mode`; an existing folder is
// fine. Returns 0 or an error number.
int makeDirectories(const std::string& path, unsigned mode = 0700);

// The process's current folder.
int currentDirectory(std::string* out);
// Makes `path` the current folder. Returns 0 or an error number (3 for a
// folder that is not there); an empty path changes nothing.
int changeCurrentDirectory(const std::string& path);

// `name` made absolute against the current folder and lexically tidied
// ("." and ".." resolved, repeated slashes merged; links are not followed).
int absolutePath(const std::string& name, std::string* out);

}  // namespace linkar::platform
