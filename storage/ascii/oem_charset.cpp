// The code page 437 and Windows-1252 tables, built once from the Unicode
// character of each byte. A character the other set lacks gets its nearest
// look-alike (a box corner becomes '+', an accented letter its base letter),
// else '?'.
#include "storage/ascii/oem_charset.h"

#include <array>

namespace linkar::ascii {

namespace {

constexpr int kHighHalf = 0x80;   // first byte where the two sets differ
constexpr int kTableSize = 256;
constexpr uint8_t kUnknown = '?';

// Unicode of the OEM bytes 0x80..0xFF.
constexpr std::array<uint16_t, 128> kOemUnicode = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

// Unicode of the Windows bytes 0x80..0x9F (0 where the set has none); from
// 0xA0 on the byte is its own Unicode value.
constexpr std::array<uint16_t, 32> kAnsiUnicode80 = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};
constexpr int kAnsiLatinStart = 0xA0;  // Windows bytes equal to their Unicode from here

// Base letters of the Windows bytes 0xC0..0xFF, for letters the OEM set lacks.
constexpr char kLatinBase[] =
    "AAAAAAACEEEEIIIIDNOOOOOxOUUUUYPs"
    "aaaaaaaceeeeiiiidnooooo/ouuuuypy";
constexpr int kLatinBaseStart = 0xC0;

// Nearest Windows byte for an OEM character the Windows set lacks.
uint8_t ansiLookAlike(uint16_t u)
{
    if (u >= 0x2500 && u <= 0x257F) {  // box drawing
        if (u == 0x2500 || u == 0x2550)
            return '-';
        if (u == 0x2502 || u == 0x2551)
            return '|';
        return '+';
    }
    if (u >= 0x2580 && u <= 0x25A0)  // blocks and shades
        return '#';
    switch (u) {
    case 0x03B1: return 'a';
    case 0x0393: return 'G';
    case 0x03C0: return 'p';
    case 0x03A3: return 'S';
    case 0x03C3: return 's';
    case 0x03C4: return 't';
    case 0x03A6: return 'F';
    case 0x0398: return 'T';
    case 0x03A9: return 'O';
    case 0x03B4: return 'd';
    case 0x221E: return '8';
    case 0x03C6: return 'f';
    case 0x03B5: return 'e';
    case 0x2229: return 'n';
    case 0x2261: return '=';
    case 0x2265: return '>';
    case 0x2264: return '<';
    case 0x2320: return '(';
    case 0x2321: return ')';
    case 0x2248: return '~';
    case 0x2219: return 0xB7;
    case 0x221A: return 'v';
    case 0x207F: return 'n';
    case 0x2310: return 0xAC;
    case 0x20A7: return 'P';
    default: return kUnknown;
    }
}

uint16_t ansiUnicode(int c)
{
    if (c < kHighHalf || c >= kAnsiLatinStart)
        return static_cast<uint16_t>(c);
    return kAnsiUnicode80[c - kHighHalf];
}

struct Tables {
    std::array<uint8_t, kTableSize> toAnsi{};
    std::array<uint8_t, kTableSize> toOem{};

    Tables()
    {
        for (int c = 0; c < kTableSize; ++c) {
            toAnsi[c] = static_cast<uint8_t>(c);
            toOem[c] = c < kHighHalf ? static_cast<uint8_t>(c) : 0;
        }
        for (int o = kHighHalf; o < kTableSize; ++o) {
            uint16_t u = kOemUnicode[o - kHighHalf];
            int found = -1;
            for (int a = kHighHalf; a < kTableSize && found < 0; ++a)
                if (ansiUnicode(a) == u)
                    found = a;
            if (found >= 0) {
                toAnsi[o] = static_cast<uint8_t>(found);
                toOem[found] = static_cast<uint8_t>(o);
            } else {
                toAnsi[o] = ansiLookAlike(u);
            }
        }
        for (int a = kHighHalf; a < kTableSize; ++a) {
            if (toOem[a] != 0)
                continue;
            toOem[a] = ansiFallback(a);
        }
    }

    static uint8_t ansiFallback(int a)
    {
        if (a >= kLatinBaseStart)
            return static_cast<uint8_t>(kLatinBase[a - kLatinBaseStart]);
        switch (ansiUnicode(a)) {
        case 0x0160: return 'S';
        case 0x0161: return 's';
        case 0x017D: return 'Z';
        case 0x017E: return 'z';
        case 0x0178: return 'Y';
        case 0x0152: return 'O';
        case 0x0153: return 'o';
        case 0x2018: case 0x2019: case 0x201A: return '\'';
        case 0x201C: case 0x201D: case 0x201E: return '"';
        case 0x2013: case 0x2014: return '-';
        case 0x2022: return 0xF9;  // the OEM bullet
        case 0x2039: return '<';
        case 0x203A: return '>';
        case 0x02DC: return '~';
        case 0x02C6: return '^';
        case 0x00A9: return 'c';
        case 0x00AE: return 'R';
        case 0x00A6: return '|';
        case 0x00AD: return '-';
        case 0x00B4: return '\'';
        case 0x00B8: return ',';
        case 0x00B9: return '1';
        case 0x00B3: return '3';
        case 0x00A7: return 0x15;
        case 0x00B6: return 0x14;
        default: return kUnknown;
        }
    }
};

const Tables& tables()
{
    static const Tables t;
    return t;
}

}  // namespace

uint8_t oemToAnsi(uint8_t c)
{
    return tables().toAnsi[c];
}

uint8_t ansiToOem(uint8_t c)
{
    return tables().toOem[c];
}

void oemToAnsi(uint8_t* text, size_t size)
{
    const auto& t = tables().toAnsi;
    for (size_t i = 0; i < size; ++i)
        text[i] = t[text[i]];
}

void ansiToOem(uint8_t* text, size_t size)
{
    const auto& t = tables().toOem;
    for (size_t i = 0; i < size; ++i)
        text[i] = t[text[i]];
}

}  // namespace linkar::ascii
