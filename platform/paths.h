// Where the program keeps its files outside the start-up folder: the
// configuration folder (LINKAR.INI), the state folder (the transaction
// control file) and temporary page files.
#pragma once

#include <string>

namespace linkar::platform {

// The folder under the configuration and state homes that is ours.
inline constexpr const char* kAppFolderName = "linkar";
// Temporary page files are named VELxxxxxx.TMP.
inline constexpr const char* kTemporaryPrefix = "VEL";
inline constexpr const char* kTemporarySuffix = ".TMP";

// $XDG_CONFIG_HOME/linkar, else ~/.config/linkar (a relative or empty
// XDG_CONFIG_HOME is ignored, as the convention says); created (0700) when
// missing. Returns 0 or an error number; `*out` is set either way.
int configDirectory(std::string* out);

// $XDG_STATE_HOME/linkar, else ~/.local/state/linkar; created when missing.
int stateDirectory(std::string* out);

// `name` inside the configuration folder, e.g. "LINKAR.INI".
int configFilePath(const std::string& name, std::string* out);

// $TMPDIR when it is set and absolute, else /tmp.
std::string temporaryDirectory();

// Creates a new empty file VELxxxxxx.TMP (mode 0600) in the temporary
// folder and sets `*out` to its absolute name. Returns 0 or an error number.
int makeTemporaryFile(std::string* out);

}  // namespace linkar::platform
