// Declared texts and the declaration record's lifetime.
#include "storage/layer/declarations.h"

#include <cstring>

#include "storage/layer/declaration_registry.h"
#include "storage/layer/driver_instance.h"

namespace linkar::storage {

FileDecl::FileDecl() = default;
FileDecl::~FileDecl()
{
    forgetDeclaration(this);
}

std::string declaredText(const char* text, int32_t length)
{
    if (text == nullptr)
        return {};
    size_t n = 0;
    if (length == kTextNulTerminated) {
        n = std::strlen(text);
    } else if (length == kTextLengthPrefixed) {
        n = static_cast<uint8_t>(text[0]);
        ++text;
    } else if (length > 0) {
        n = static_cast<size_t>(length);
        // A variable's buffer may end in blanks, or in NULs after a shorter
        // text. A NUL with text after it stays: cutting the text there would
        // name another file, so the name is refused where it is used.
        while (n > 0 && (text[n - 1] == ' ' || text[n - 1] == '\0'))
            --n;
    }
    return std::string(text, n);
}

}  // namespace linkar::storage
