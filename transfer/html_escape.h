// Stored text made safe for a page: the characters that would be read as
// markup ("&", "<", ">" and the double quote) become character references,
// the reverse of what the imports decode, and bytes that do not form UTF-8
// are read as Windows-1252 (the text of older pages and files) and written
// as UTF-8, so the page can declare one character set and keep to it.
#pragma once

#include <string>
#include <string_view>

namespace linkar::transfer {

// Appends `stored` to `out` as page text, fit for element content and for a
// double-quoted attribute value alike.
void appendPageText(std::string& out, std::string_view stored);

std::string pageText(std::string_view stored);

}  // namespace linkar::transfer
