// How the engine shows a variable in a picture-formatted control and checks
// what the user typed against the control's picture. Numbers travel as their
// decimal text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace linkar::ui {

// The display text of value under picture; an empty or invalid picture shows
// the value unchanged.
std::string formatForDisplay(std::string_view value, std::string_view picture);

// The value to store for the text the user typed, or nullopt when the text
// does not fit the picture (the control is then rejected).
std::optional<std::string> deformatInput(std::string_view typed, std::string_view picture);

}  // namespace linkar::ui
