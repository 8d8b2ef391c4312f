// Fixed-length text: UTF-8-safe cutting, blank padding and the comparisons
// that ignore trailing blanks.
#include "runtime/fixed_text.h"

#include <algorithm>
#include <cstdint>

namespace linkar::runtime {

namespace {

bool isContinuation(uint8_t b) { return (b & 0xC0) == 0x80; }

}  // namespace

size_t utf8SequenceLength(std::string_view text, size_t pos) {
    if (pos >= text.size()) return 0;
    const auto at = [&](size_t i) { return static_cast<uint8_t>(text[pos + i]); };
    const uint8_t lead = at(0);
    size_t length = 0;
    // Bounds of the second byte, narrower than 0x80..0xBF for the leads whose
    // ranges would otherwise admit overlong forms, surrogates or values past
    // U+10FFFF.
    uint8_t low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() - pos < length) return 0;
    if (at(1) < low || at(1) > high) return 0;
    for (size_t i = 2; i < length; ++i) {
        if (!isContinuation(at(i))) return 0;
    }
    return length;
}

size_t utf8SafeCut(std::string_view text, size_t limit) {
    if (limit >= text.size()) return text.size();
    // Only a continuation byte at the cut can be inside a sequence; its lead
    // is at most three bytes back.
    if (!isContinuation(static_cast<uint8_t>(text[limit]))) return limit;
    const size_t earliest = limit >= 3 ? limit - 3 : 0;
    for (size_t start = limit; start-- > earliest;) {
        const uint8_t b = static_cast<uint8_t>(text[start]);
        if (isContinuation(b)) continue;
        const size_t length = utf8SequenceLength(text, start);
        if (length != 0 && start + length > limit) return start;
        break;
    }
    return limit;
}

void assignFixed(char* dst, size_t size, std::string_view text) {
    assert(dst != nullptr || size == 0);
    const size_t n = utf8SafeCut(text, size);
    if (n != 0) std::memcpy(dst, text.data(), n);
    if (n < size) std::memset(dst + n, kBlank, size - n);
}

std::string_view trimTrailingBlanks(std::string_view text) {
    const size_t end = text.find_last_not_of(kBlank);
    return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

std::string_view trimLeadingBlanks(std::string_view text) {
    const size_t start = text.find_first_not_of(kBlank);
    return start == std::string_view::npos ? std::string_view() : text.substr(start);
}

int compareFixed(std::string_view a, std::string_view b) {
    // The shorter text compares as if padded with blanks, so a control
    // character below the blank sorts before the end of a text.
    const size_t length = std::max(a.size(), b.size());
    for (size_t i = 0; i < length; ++i) {
        const uint8_t x = i < a.size() ? static_cast<uint8_t>(a[i]) : uint8_t(kBlank);
        const uint8_t y = i < b.size() ? static_cast<uint8_t>(b[i]) : uint8_t(kBlank);
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

}  // namespace linkar::runtime
