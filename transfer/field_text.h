// The small text steps the import scans share: leading blanks removed, a
// cut to a field's width that never ends inside a UTF-8 sequence, and the
// keyword rule (the scheme before "://", else "?").
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace linkar::transfer {

// Widths of the fields the imports fill, in bytes.
constexpr size_t kLocationWidth = 128;
constexpr size_t kDescriptionWidth = 60;
constexpr size_t kCategoryWidth = 15;
constexpr size_t kKeywordWidth = 10;
constexpr size_t kSiteInfoWidth = 500;
constexpr size_t kHeadingWidth = 20;

// The text without its leading blanks.
std::string_view withoutLeadingBlanks(std::string_view text);

// The longest start of `text` of at most `width` bytes that does not end
// inside a UTF-8 sequence.
std::string_view cutToWidth(std::string_view text, size_t width);

// The keyword of a location: the text before its first "://", cut to the
// keyword's width, or "?" when it has none.
std::string keywordOf(std::string_view location);

}  // namespace linkar::transfer
