// Character references in bookmark text ("&amp;", "&#233;", "&#xE9;"):
// decoded to the characters they stand for, written as UTF-8. Only a
// reference closed by ";" is decoded, so the raw "&" of an address such as
// "?a=1&center=2" stays as it stands.
#pragma once

#include <string>
#include <string_view>

namespace linkar::transfer {

// The text with every numeric reference and the named references amp, lt,
// gt, quot, apos and nbsp (a blank) replaced. A reference that names no
// character (an unknown name, a surrogate, a number past U+10FFFF or 0)
// stays as written.
std::string decodeCharReferences(std::string_view text);

}  // namespace linkar::transfer
