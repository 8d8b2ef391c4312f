// Compiled pictures: a picture text such as "@S60", "@N-10.2", "@D6." or
// "@pPage <<<#p" turned into a header and a template of display positions,
// from which values are formatted for display and read back from typed text.
//
// Choices made where the picture language leaves room:
//  - Date and time pictures take the same optional parts: a fill choice right
//    after the letter and a separator choice as the last character. The fill
//    choice replaces the fill of every digit position that would show its
//    leading zero as a blank: "0" zeros, "_" blanks, "*" asterisks. The
//    separator choice ("." "-" "_" or a grave accent) replaces every separator
//    position (the "/" of the date layouts, the ":" of the time layouts and
//    the separators of pictures 17, 18, 7 and 8) by ".", "-", a blank or ",".
//  - Time pictures 3 and 6 end in the two-letter AM/PM designator ("PP").
//  - Numeric pictures: the size counts every position of the number itself
//    (digits, grouping marks, decimal mark and decimal places); the sign and
//    currency positions come in addition. After the size, "." or a grave
//    accent followed by a digit is the decimal mark, otherwise a grouping
//    mark. With no sign style a negative number gets a floating "-" just
//    before its first digit, inside the size. A number that does not fit is
//    shown as "#" in every position.
//  - Scientific pictures: E, an optional fill, the size, then "." or a grave
//    accent and the number of mantissa decimals: the number in exponent form
//    right-aligned in the size.
//  - Key-in pictures: K, the pattern, K again (as pattern pictures). "#" and
//    "<" are digit positions, "@" takes any character, everything else is
//    fixed; a text fills the "#", "<" and "@" positions in order.
//  - Pattern pictures show the integer part of the absolute value.
//  - The compiled display width must fit the header byte (at most 255).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace linkar::runtime {

// Longest picture text after the at sign.
inline constexpr std::size_t kMaxPictureText = 255;
// Bytes of a compiled picture: header plus at most 255 positions of two bytes.
inline constexpr std::size_t kCompiledPictureBytes = 512;
// Widest display a compiled picture may describe (the header's high byte).
inline constexpr int kMaxPictureWidth = 255;
// Header flag: show a zero value as blanks.
inline constexpr std::uint16_t kPictureBlankWhenZero = 0x80;
// Header: the kind sits in the low three bits.
inline constexpr std::uint16_t kPictureKindMask = 0x07;

// The kind, as stored in the low three bits of the header.
enum class PictureKind : std::uint8_t {
    Numeric = 0,
    Scientific = 1,
    Date = 2,
    Time = 3,
    Pattern = 4,
    Text = 5,
    KeyIn = 6,
};

// Position codes of the template.
inline constexpr std::uint8_t kPosFixed = 0;          // the fill character itself
inline constexpr std::uint8_t kPosDigit = 1;          // digit of a number or pattern
inline constexpr std::uint8_t kPosAnyChar = 2;        // any character (key-in "@")
inline constexpr std::uint8_t kPosGroupMark = 3;      // grouping mark of a number
inline constexpr std::uint8_t kPosDecimalMark = 4;    // decimal mark of a number
inline constexpr std::uint8_t kPosSign = 5;           // sign position: fill is "-", "(" or ")"
inline constexpr std::uint8_t kPosMonthDigit = 7;     // month digit
inline constexpr std::uint8_t kPosDayDigit = 8;       // day digit
inline constexpr std::uint8_t kPosYearDigit = 9;      // year digit
inline constexpr std::uint8_t kPosMonthLetter = 10;   // letter of the month name
inline constexpr std::uint8_t kPosHourDigit = 11;     // hour digit
inline constexpr std::uint8_t kPosMinuteDigit = 12;   // minute digit
inline constexpr std::uint8_t kPosSecondDigit = 13;   // second digit
inline constexpr std::uint8_t kPosSeparator = 19;     // separator: the fill character
inline constexpr std::uint8_t kPosDesignator = 20;    // AM/PM letter; fill = letter index

// One displayed position. For digit positions the fill is what a leading zero
// shows ("0" keeps it, a blank hides it).
struct PicturePosition {
    char fill = ' ';
    std::uint8_t code = kPosFixed;
    bool operator==(const PicturePosition&) const = default;
};
using PictureTemplate = std::vector<PicturePosition>;

enum class SignStyle : std::uint8_t { Floating, Leading, Parentheses, Trailing };
enum class DecimalMark : std::uint8_t { None, Point, Comma, Implied };

// The parts of a numeric or scientific picture, kept beside the template
// because formatting works from them.
struct NumericLayout {
    std::string leadCurrency;
    std::string trailCurrency;
    SignStyle sign = SignStyle::Floating;
    char fill = ' ';      // "0", " " or "*": what stands in front of the digits
    int size = 0;         // positions of the number itself
    char grouping = 0;    // 0 for none, else the grouping character
    DecimalMark mark = DecimalMark::None;
    int places = 0;
};

class CompiledPicture {
public:
    CompiledPicture() = default;  // an invalid picture

    bool valid() const { return m_valid; }
    PictureKind kind() const { return m_kind; }
    bool blankWhenZero() const { return m_blankWhenZero; }
    int width() const { return m_width; }
    // The header word: kind, blank-when-zero flag, width in the high byte.
    std::uint16_t header() const;
    // 2 bytes of header plus 2 per template position; 0 when invalid.
    std::size_t compiledSize() const;
    const PictureTemplate& positions() const { return m_positions; }
    // The date or time picture number (1..20 or 1..8); 0 for other kinds.
    int number() const { return m_number; }
    const NumericLayout& numeric() const { return m_numeric; }

private:
    friend class PictureCompiler;
    bool m_valid = false;
    PictureKind m_kind = PictureKind::Text;
    bool m_blankWhenZero = false;
    int m_width = 0;
    int m_number = 0;
    PictureTemplate m_positions;
    NumericLayout m_numeric;
};

// Compiles a picture text, with or without its leading at sign. An invalid
// text gives an invalid picture; nothing is posted.
CompiledPicture compilePicture(std::string_view text);

// The template of a date layout such as "Mm/dd/yy" (kind Date: M/m month,
// D/d day, y year, N month letters, "/" separators) or a time layout such as
// "Hh:mmPP" (kind Time: H/h hour, m minute, s second, P designator letters,
// ":" separators). Capital letters are digits with a blank fill, small ones
// digits with zero fill; every other character is fixed.
PictureTemplate templateFromLayout(std::string_view layout, PictureKind kind);

}  // namespace linkar::runtime
