// The sample collection the screenshot walk browses: a few dozen real-looking
// sites in several categories, written as LINKAR and CATEGORIES data files
// into the current directory (the walk runs in a folder of its own).
#pragma once

#include <string>

namespace linkar::app {

// The category the walk limits the "Category" tab to.
inline constexpr const char* kScreenshotCategory = "Programming";

// Creates both files afresh in the current directory and fills them.
// Returns false, with the reason in *error, when a file cannot be written.
bool writeScreenshotSites(std::string* error);

}  // namespace linkar::app
