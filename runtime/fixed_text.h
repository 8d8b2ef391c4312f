// Fixed-length, blank-padded text over byte buffers: the shape of every STRING
// field and variable. Assigning cuts or pads; comparisons ignore trailing blanks.
// Cutting never splits a valid UTF-8 sequence (stored texts are shown as UTF-8).
#pragma once

#include <cassert>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace linkar::runtime {

// The pad character of every fixed-length text.
constexpr char kBlank = ' ';

// Length of the valid UTF-8 sequence that starts at text[pos] (2 to 4), or 0
// when the byte there does not open a complete, well-formed multi-byte
// sequence (plain ASCII, a stray continuation byte, an overlong form, a
// surrogate, or a sequence cut short by the end of the text).
size_t utf8SequenceLength(std::string_view text, size_t pos);

// The longest prefix length <= limit that does not end inside a valid
// multi-byte UTF-8 sequence. Bytes that are not part of a valid sequence
// count as single characters and may be cut anywhere.
size_t utf8SafeCut(std::string_view text, size_t limit);

// Copies text into dst[0, size): cut at a UTF-8-safe point when too long,
// the rest filled with blanks. dst and text may not overlap.
void assignFixed(char* dst, size_t size, std::string_view text);

// The text without its trailing blanks.
std::string_view trimTrailingBlanks(std::string_view text);

// The text without its leading blanks.
std::string_view trimLeadingBlanks(std::string_view text);

// The content of a fixed-length buffer without its trailing blanks.
inline std::string_view fixedView(const char* buf, size_t size) {
    return trimTrailingBlanks(std::string_view(buf, size));
}

// Byte-order comparison of two texts, trailing blanks ignored: negative, 0 or
// positive. The shorter text counts as padded with blanks: "ab" and "ab   "
// are equal, "ab" sorts before "ab!" and after "ab\t".
int compareFixed(std::string_view a, std::string_view b);

inline bool equalFixed(std::string_view a, std::string_view b) {
    return compareFixed(a, b) == 0;
}

// A blank-padded text variable of N bytes, such as STRING(255).
template <size_t N>
class FixedString {
    static_assert(N > 0, "a fixed-length text has at least one byte");

public:
    FixedString() { std::memset(m_data, kBlank, N); }
    FixedString(std::string_view text) { assign(text); }  // NOLINT: implicit like the language's assignment

    FixedString& operator=(std::string_view text) {
        assign(text);
        return *this;
    }

    void assign(std::string_view text) {
        // A text taken from this very buffer may overlap it: copy it first.
        if (text.data() >= m_data && text.data() < m_data + N) {
            std::string copy(text);
            assignFixed(m_data, N, copy);
        } else {
            assignFixed(m_data, N, text);
        }
    }

    void clear() { std::memset(m_data, kBlank, N); }

    static constexpr size_t capacity() { return N; }
    char* data() { return m_data; }
    const char* data() const { return m_data; }

    // All N bytes, blanks included.
    std::string_view raw() const { return std::string_view(m_data, N); }
    // The text without trailing blanks.
    std::string_view view() const { return fixedView(m_data, N); }
    std::string str() const { return std::string(view()); }
    bool isBlank() const { return view().empty(); }

    friend bool operator==(const FixedString& a, const FixedString& b) { return equalFixed(a.raw(), b.raw()); }
    friend bool operator==(const FixedString& a, std::string_view b) { return equalFixed(a.raw(), b); }
    friend int compare(const FixedString& a, std::string_view b) { return compareFixed(a.raw(), b); }

private:
    char m_data[N];
};

}  // namespace linkar::runtime
