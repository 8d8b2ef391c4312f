// The message texts of the runtime's error numbers (error_codes.h), and the
// lookup of the text for a code: a message override (from the environment
// file) first, then the table, then "Unknown Error Posted : <code>".
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/error_codes.h"

namespace linkar::runtime {

// A message text is loaded into a buffer of this size, so at most 255
// characters of it are used.
constexpr size_t kMessageBufferSize = 256;

// The table's own text for code, without overrides; nothing when the table
// has no entry.
std::optional<std::string_view> tableTextFor(int code);

// The text of code: override, table, or the unknown-error text (entry 81
// followed by " : " and the code in decimal; code 0 gives entry 81 alone).
// At most 255 characters.
std::string errorTextFor(int code);

// Message overrides, by message number. They serve error texts and any other
// numbered message (button captions, for instance).
void setMessageOverride(int code, std::string text);
void clearMessageOverrides();
std::optional<std::string> messageOverride(int code);

}  // namespace linkar::runtime
