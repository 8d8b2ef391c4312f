// The view position text codec.
#include "storage/layer/view_descriptor.h"

#include "runtime/error_codes.h"

namespace linkar::storage {

namespace err = runtime::err;

namespace {

void putNumber(std::string& out, uint32_t v)
{
    for (size_t i = 0; i < kPositionNumberSize; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

bool getNumber(std::string_view text, size_t& at, uint32_t& v)
{
    if (text.size() - at < kPositionNumberSize)
        return false;
    v = 0;
    for (size_t i = 0; i < kPositionNumberSize; ++i)
        v |= uint32_t(static_cast<uint8_t>(text[at + i])) << (8 * i);
    at += kPositionNumberSize;
    return true;
}

}  // namespace

std::string encodeViewPosition(const ViewPosition& position)
{
    std::string out;
    putNumber(out, static_cast<uint32_t>(position.order));
    for (const std::string& part : position.parts) {
        putNumber(out, static_cast<uint32_t>(part.size()));
        out += part;
    }
    return out;
}

int decodeViewPosition(std::string_view text, int32_t keyCount, size_t fileCount, ViewPosition& out)
{
    out = {};
    size_t at = 0;
    uint32_t order;
    if (!getNumber(text, at, order))
        return err::kUnknownErrorPosted;
    if (static_cast<int32_t>(order) < 0 || static_cast<int32_t>(order) > keyCount)
        return err::kUnknownErrorPosted;
    out.order = static_cast<int32_t>(order);
    for (size_t f = 0; f < fileCount; ++f) {
        uint32_t length;
        if (!getNumber(text, at, length) || length > text.size() - at)
            return err::kUnknownErrorPosted;
        out.parts.emplace_back(text.substr(at, length));
        at += length;
    }
    return 0;
}

}  // namespace linkar::storage
