// The runtime's character tables and the collated comparison built on them.
// They are process-wide and unguarded: only one procedure thread runs at a time.
#include "runtime/char_tables.h"

#include <algorithm>

#include "runtime/fixed_text.h"

namespace linkar::runtime {

namespace {

// Distance between an ASCII capital and its small letter.
constexpr uint8_t kAsciiCaseOffset = 'a' - 'A';

struct Tables {
    CharTable upper = defaultUpperTable();
    CharTable lower = defaultLowerTable();
    CharTable classes = defaultClassTable();
    CharTable collation = defaultCollationTable();
    CharTable savedCollation = defaultCollationTable();
};

Tables& tables() {
    static Tables t;
    return t;
}

CharTable identity() {
    CharTable t{};
    for (size_t i = 0; i < kCharTableSize; ++i) t[i] = static_cast<uint8_t>(i);
    return t;
}

}  // namespace

CharTable defaultUpperTable() {
    CharTable t = identity();
    for (int c = 'a'; c <= 'z'; ++c) t[c] = static_cast<uint8_t>(c - kAsciiCaseOffset);
    return t;
}

CharTable defaultLowerTable() {
    CharTable t = identity();
    for (int c = 'A'; c <= 'Z'; ++c) t[c] = static_cast<uint8_t>(c + kAsciiCaseOffset);
    return t;
}

CharTable defaultClassTable() {
    CharTable t{};
    for (int c = 'A'; c <= 'Z'; ++c) t[c] = kClassUpper;
    for (int c = 'a'; c <= 'z'; ++c) t[c] = kClassLower;
    return t;
}

CharTable defaultCollationTable() { return identity(); }

uint8_t toUpper(uint8_t c) { return tables().upper[c]; }
uint8_t toLower(uint8_t c) { return tables().lower[c]; }
bool isAlpha(uint8_t c) { return (tables().classes[c] & (kClassUpper | kClassLower | kClassLetter)) != 0; }
bool isUpper(uint8_t c) { return (tables().classes[c] & kClassUpper) != 0; }
bool isLower(uint8_t c) { return (tables().classes[c] & kClassLower) != 0; }
bool isDigit(uint8_t c) { return c >= '0' && c <= '9'; }
bool isAlnum(uint8_t c) { return isAlpha(c) || isDigit(c); }
uint8_t collationWeight(uint8_t c) { return tables().collation[c]; }

int collateCompare(std::string_view a, std::string_view b) {
    const Tables& t = tables();
    const auto weight = [&t](uint8_t c) {
        if (t.classes[c] & kClassLower) c = t.upper[c];
        return t.collation[c];
    };
    a = trimTrailingBlanks(a);
    b = trimTrailingBlanks(b);
    const size_t length = std::max(a.size(), b.size());
    for (size_t i = 0; i < length; ++i) {
        const uint8_t x = i < a.size() ? static_cast<uint8_t>(a[i]) : uint8_t(kBlank);
        const uint8_t y = i < b.size() ? static_cast<uint8_t>(b[i]) : uint8_t(kBlank);
        const int wx = weight(x);
        const int wy = weight(y);
        if (wx != wy) return wx - wy;
    }
    return 0;
}

void upperInPlace(char* text, size_t size) {
    const CharTable& upper = tables().upper;
    for (size_t i = 0; i < size; ++i) text[i] = static_cast<char>(upper[static_cast<uint8_t>(text[i])]);
}

const CharTable& upperTable() { return tables().upper; }
const CharTable& lowerTable() { return tables().lower; }
const CharTable& classTable() { return tables().classes; }
const CharTable& collationTable() { return tables().collation; }
const CharTable& savedCollationTable() { return tables().savedCollation; }

void setUpperTable(const CharTable& table) { tables().upper = table; }
void setLowerTable(const CharTable& table) { tables().lower = table; }
void setClassTable(const CharTable& table) { tables().classes = table; }
void setCollationTable(const CharTable& table) { tables().collation = table; }
void saveCollationTable() { tables().savedCollation = tables().collation; }

void resetCharTables() { tables() = Tables{}; }

}  // namespace linkar::runtime
