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
        while (n > 0 && text[n - 1] == ' ')
            --n;
        // A variable's buffer may hold a NUL before its declared end.
        n = strnlen(text, n);
    }
    return std::string(text, n);
}

}  // namespace linkar::storage
