// The environment-file loader and the Windows character tables it can
// select.
#include "runtime/env_file.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <tuple>

#include "runtime/char_tables.h"
#include "runtime/error_texts.h"
#include "runtime/intl.h"

namespace linkar::runtime {
namespace {

// Most bytes of an environment file that are read.
constexpr std::size_t kMaxEnvFileBytes = 1 << 20;
// Key prefix of the message overrides.
constexpr std::string_view kMessageKeyPrefix = "VELMSG";
// Highest message number an override may name.
constexpr long kMaxMessageNumber = 99999;
// Characters in a digraph item: the pair and the character it collates as.
constexpr std::size_t kDigraphItem = 3;
// First byte of the upper half of a code page.
constexpr unsigned kUpperHalf = 0x80;

// Code page 850 (upper half) to the Windows set; "?" where there is none.
constexpr std::array<std::uint8_t, 128> kOemToWindows = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xF8, 0xA3, 0xD8, 0xD7, 0x83,
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0xAE, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,
    '?',  '?',  '?',  '|',  '+',  0xC1, 0xC2, 0xC0, 0xA9, '+',  '|',  '+',  '+',  0xA2, 0xA5, '+',
    '+',  '+',  '+',  '+',  '-',  '+',  0xE3, 0xC3, '+',  '+',  '+',  '+',  '+',  '=',  '+',  0xA4,
    0xF0, 0xD0, 0xCA, 0xCB, 0xC8, 'i',  0xCD, 0xCE, 0xCF, '+',  '+',  '?',  '?',  0xA6, 0xCC, '?',
    0xD3, 0xDF, 0xD4, 0xD2, 0xF5, 0xD5, 0xB5, 0xFE, 0xDE, 0xDA, 0xDB, 0xD9, 0xFD, 0xDD, 0xAF, 0xB4,
    0xAD, 0xB1, '_',  0xBE, 0xB6, 0xA7, 0xF7, 0xB8, 0xB0, 0xA8, 0xB7, 0xB9, 0xB3, 0xB2, '?',  0xA0};

char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upperAscii(a[i]) != upperAscii(b[i])) return false;
    }
    return true;
}

std::string_view trimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string oemToWindows(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= kUpperHalf) c = static_cast<char>(kOemToWindows[b - kUpperHalf]);
    }
    return out;
}

// Windows-set letters: the base letter each one sorts with (0 for none).
// Thorn sorts after Z.
char baseLetter(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c);
    if (c >= 'a' && c <= 'z') return upperAscii(static_cast<char>(c));
    switch (c) {
        case 0x83: return 'F';
        case 0x8A: case 0x9A: case 0xDF: return 'S';
        case 0x8C: case 0x9C: case 0xBA: return 'O';
        case 0x8E: case 0x9E: return 'Z';
        case 0x9F: case 0xDD: case 0xFD: case 0xFF: return 'Y';
        case 0xAA: return 'A';
        case 0xDE: case 0xFE: return 'Z' + 1;
        default: break;
    }
    if (c >= 0xC0 && c != 0xD7 && c != 0xF7) {
        const unsigned k = c & 0x1F;  // same letter in both halves
        if (k <= 0x06) return 'A';
        if (k == 0x07) return 'C';
        if (k <= 0x0B) return 'E';
        if (k <= 0x0F) return 'I';
        if (k == 0x10) return 'D';
        if (k == 0x11) return 'N';
        if (k <= 0x18) return 'O';
        return 'U';
    }
    return 0;
}

bool isWindowsUpper(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || c == 0x8A || c == 0x8C || c == 0x8E || c == 0x9F ||
           (c >= 0xC0 && c <= 0xDE && c != 0xD7);
}

bool isWindowsLower(unsigned char c) {
    return (c >= 'a' && c <= 'z') || c == 0x83 || c == 0x9A || c == 0x9C || c == 0x9E ||
           (c >= 0xDF && c != 0xF7);
}

bool isControl(unsigned char c) {
    return c < 0x20 || c == 0x7F || c == 0x81 || c == 0x8D || c == 0x8F || c == 0x90 || c == 0x9D;
}

CharTable windowsCollation() {
    // Controls, then blanks and symbols, then digits, then letters by their
    // base letter, plain before accented, lower case before upper case.
    std::array<std::tuple<int, int, int, int, int>, kCharTableSize> keys{};
    for (unsigned c = 0; c < kCharTableSize; ++c) {
        const auto b = static_cast<unsigned char>(c);
        const char base = baseLetter(b);
        int group = 1;
        if (isControl(b)) group = 0;
        else if (b >= '0' && b <= '9') group = 2;
        else if (base != 0) group = 3;
        const bool plain = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
        keys[c] = {group, base, plain ? 0 : 1, isWindowsUpper(b) ? 1 : 0, static_cast<int>(c)};
    }
    std::array<int, kCharTableSize> order{};
    for (unsigned c = 0; c < kCharTableSize; ++c) order[c] = static_cast<int>(c);
    std::sort(order.begin(), order.end(), [&](int a, int b) { return keys[a] < keys[b]; });
    CharTable table{};
    for (unsigned rank = 0; rank < kCharTableSize; ++rank) {
        table[order[rank]] = static_cast<std::uint8_t>(rank);
    }
    return table;
}

void applyWindowsCase() {
    CharTable upper = defaultUpperTable();
    CharTable lower = defaultLowerTable();
    CharTable classes{};
    for (unsigned c = 0; c < kCharTableSize; ++c) {
        const auto b = static_cast<unsigned char>(c);
        if (isWindowsUpper(b)) classes[c] |= kClassUpper;
        if (isWindowsLower(b)) classes[c] |= kClassLower;
    }
    classes[0xAA] |= kClassLetter;  // feminine ordinal
    classes[0xBA] |= kClassLetter;  // masculine ordinal
    for (unsigned c = 0xC0; c <= 0xDE; ++c) {
        if (c == 0xD7) continue;
        upper[c + 0x20] = static_cast<std::uint8_t>(c);
        lower[c] = static_cast<std::uint8_t>(c + 0x20);
    }
    for (auto [u, l] : {std::pair{0x8A, 0x9A}, std::pair{0x8C, 0x9C}, std::pair{0x8E, 0x9E},
                        std::pair{0x9F, 0xFF}}) {
        upper[l] = static_cast<std::uint8_t>(u);
        lower[u] = static_cast<std::uint8_t>(l);
    }
    setUpperTable(upper);
    setLowerTable(lower);
    setClassTable(classes);
}

void applyCasePairs(const std::vector<std::string>& items) {
    std::string all;
    for (const std::string& item : items) all += item;
    CharTable upper = defaultUpperTable();
    CharTable lower = defaultLowerTable();
    CharTable classes = defaultClassTable();
    for (std::size_t i = 0; i + 1 < all.size(); i += 2) {
        const auto u = static_cast<unsigned char>(all[i]);
        const auto l = static_cast<unsigned char>(all[i + 1]);
        if (u == l) continue;
        upper[l] = u;
        upper[u] = u;
        lower[u] = l;
        lower[l] = l;
        classes[u] = (classes[u] & ~kClassLower) | kClassUpper;
        classes[l] = (classes[l] & ~kClassUpper) | kClassLower;
    }
    setUpperTable(upper);
    setLowerTable(lower);
    setClassTable(classes);
}

void applyCollationList(const std::vector<std::string>& items) {
    std::string listed;
    std::array<bool, kCharTableSize> seen{};
    for (const std::string& item : items) {
        for (char c : item) {
            const auto b = static_cast<unsigned char>(c);
            if (!seen[b]) listed += c;
            seen[b] = true;
        }
    }
    if (listed.empty()) return;
    // Characters in byte order, the listed ones cut out and put back as one
    // run where the first of them stood.
    std::string order;
    bool placed = false;
    for (unsigned c = 0; c < kCharTableSize; ++c) {
        if (seen[c]) {
            if (!placed) order += listed;
            placed = true;
        } else {
            order += static_cast<char>(c);
        }
    }
    CharTable table{};
    for (std::size_t rank = 0; rank < order.size(); ++rank) {
        table[static_cast<unsigned char>(order[rank])] = static_cast<std::uint8_t>(rank);
    }
    setCollationTable(table);
}

void applyDigraphs(const std::vector<std::string>& items) {
    IntlSettings& intl = intlSettings();
    intl.digraphs.clear();
    for (const std::string& item : items) {
        if (item.size() != kDigraphItem) continue;
        intl.digraphs.push_back(Digraph{static_cast<char>(toUpper(item[0])),
                                        static_cast<char>(toUpper(item[1])), item[2]});
    }
}

// A message number after the VELMSG prefix; -1 when the rest is not a number.
long messageNumber(std::string_view rest) {
    if (rest.empty() || rest.size() > 5) return -1;
    long n = 0;
    for (char c : rest) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n <= kMaxMessageNumber ? n : -1;
}

class EnvironmentLoader {
public:
    void line(std::string_view raw) {
        const std::size_t equals = raw.find('=');
        if (equals == std::string_view::npos) return;
        std::string key(trimBlanks(raw.substr(0, equals)).substr(0, kMaxEnvKey));
        for (char& c : key) c = upperAscii(c);
        std::string value(trimBlanks(raw.substr(equals + 1)).substr(0, kMaxEnvValue));
        if (m_oem) value = oemToWindows(value);
        apply(key, value);
    }

private:
    void apply(const std::string& key, const std::string& value) {
        const std::vector<std::string> items = splitEnvironmentList(value);
        const bool windows = items.size() == 1 && equalsIgnoringCase(items[0], kWindowsEnvironment);
        IntlSettings& intl = intlSettings();
        if (key == "VELCHARSET") {
            if (items.size() == 1 && equalsIgnoringCase(items[0], "OEM")) {
                m_oem = true;
                intl.charset = CharacterSet::Oem;
            } else if (windows) {
                m_oem = false;
                intl.charset = CharacterSet::Windows;
            }
        } else if (key == "VELCOLSEQ") {
            if (windows) setCollationTable(windowsCollation());
            else applyCollationList(items);
        } else if (key == "VELCASE") {
            if (windows) applyWindowsCase();
            else applyCasePairs(items);
        } else if (key == "VELMONTH") {
            for (std::size_t i = 0; i < items.size() && i < kMonthCount; ++i) {
                setMonthName(static_cast<int>(i) + 1, items[i]);
            }
        } else if (key == "VELMON") {
            for (std::size_t i = 0; i < items.size() && i < kMonthCount; ++i) {
                setMonthAbbrev(static_cast<int>(i) + 1, items[i]);
            }
        } else if (key == "VELAMPM") {
            if (windows) setDesignators(intl.windowsAm, intl.windowsPm);
            else if (items.size() >= 2) setDesignators(items[0], items[1]);
        } else if (key == "VELDIGRAPH") {
            applyDigraphs(items);
        } else if (key == "VELBUTTON") {
            for (std::size_t i = 0; i < items.size(); ++i) {
                setMessageOverride(kButtonMessageBase + static_cast<int>(i), items[i]);
            }
        } else if (key.rfind(kMessageKeyPrefix, 0) == 0) {
            const long number = messageNumber(std::string_view(key).substr(kMessageKeyPrefix.size()));
            if (number < 0) return;
            std::string_view text = value;
            if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
                text = text.substr(1, text.size() - 2);
            }
            setMessageOverride(static_cast<int>(number), std::string(text));
        }
    }

    bool m_oem = false;
};

}  // namespace

std::vector<std::string> splitEnvironmentList(std::string_view value) {
    std::vector<std::string> items;
    std::size_t i = 0;
    while (true) {
        while (i < value.size() && (value[i] == ' ' || value[i] == '\t')) ++i;
        std::string item;
        if (i < value.size() && value[i] == '"') {
            const std::size_t close = value.find('"', i + 1);
            const std::size_t end = close == std::string_view::npos ? value.size() : close;
            item = std::string(value.substr(i + 1, end - i - 1));
            i = close == std::string_view::npos ? value.size() : close + 1;
            // Anything between the closing quote and the comma is passed over.
            const std::size_t comma = value.find(',', i);
            i = comma == std::string_view::npos ? value.size() : comma;
        } else {
            const std::size_t comma = value.find(',', i);
            const std::size_t end = comma == std::string_view::npos ? value.size() : comma;
            item = std::string(trimBlanks(value.substr(i, end - i)));
            i = end;
        }
        items.push_back(std::move(item));
        if (i >= value.size()) break;
        ++i;  // the comma
    }
    if (items.size() == 1 && items[0].empty()) items.clear();
    return items;
}

void applyEnvironmentText(std::string_view text) {
    const std::size_t end = text.find(kEnvEndOfFile);
    if (end != std::string_view::npos) text = text.substr(0, end);
    EnvironmentLoader loader;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t stop = text.find_first_of("\r\n", start);
        const std::size_t lineEnd = stop == std::string_view::npos ? text.size() : stop;
        loader.line(text.substr(start, lineEnd - start));
        if (stop == std::string_view::npos) break;
        start = stop + 1;
    }
}

void applyWindowsEnvironment() {
    setCollationTable(windowsCollation());
    applyWindowsCase();
    const IntlSettings& intl = intlSettings();
    setDesignators(intl.windowsAm, intl.windowsPm);
}

bool loadEnvironmentFile(const std::string& nameOrPath) {
    if (equalsIgnoringCase(nameOrPath, kWindowsEnvironment)) {
        applyWindowsEnvironment();
        return true;
    }
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(nameOrPath.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) return false;
    std::string text(kMaxEnvFileBytes, '\0');
    const std::size_t got = std::fread(text.data(), 1, text.size(), file.get());
    text.resize(got);
    applyEnvironmentText(text);
    return true;
}

}  // namespace linkar::runtime
