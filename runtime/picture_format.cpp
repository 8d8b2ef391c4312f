// FORMAT through compiled pictures: numbers with sign, fill, grouping and
// decimals; dates and times through their templates; patterns and key-in
// slots; text pictures.
#include "runtime/picture_format.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "runtime/date.h"
#include "runtime/intl.h"

namespace linkar::runtime {
namespace {

// Shown in every position of a number that does not fit.
constexpr char kOverflowMark = '#';
// Largest magnitude written without an exponent by plainNumberText.
constexpr double kPlainIntegerLimit = 1e15;
// Time units in an hour, a minute and a second.
constexpr std::int32_t kUnitsPerHour = 360000;
constexpr std::int32_t kUnitsPerMinute = 6000;
constexpr std::int32_t kUnitsPerSecond = 100;
// Printed digits of a long double are capped here; further places are zeros.
constexpr int kMaxPrintedPlaces = 60;

std::string blanks(int width) { return std::string(static_cast<std::size_t>(width), ' '); }
std::string overflow(int width) { return std::string(static_cast<std::size_t>(width), kOverflowMark); }

// Fixed-point digits of |value| with `places` decimals: integer and fraction parts.
void fixedDigits(double value, int places, std::string& integer, std::string& fraction) {
    const int printed = places > kMaxPrintedPlaces ? kMaxPrintedPlaces : places;
    // Room for 309 integer digits, the point and the printed places.
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%.*f", printed, std::fabs(value));
    const std::string text = buffer;
    const std::size_t point = text.find('.');
    integer = text.substr(0, point);
    fraction = point == std::string::npos ? std::string() : text.substr(point + 1);
    fraction.resize(static_cast<std::size_t>(places), '0');
}

bool isZeroDigits(const std::string& integer, const std::string& fraction) {
    return integer.find_first_not_of('0') == std::string::npos &&
           fraction.find_first_not_of('0') == std::string::npos;
}

std::string groupDigits(const std::string& digits, char grouping) {
    if (grouping == 0) return digits;
    std::string out;
    const std::size_t n = digits.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) out += grouping;
        out += digits[i];
    }
    return out;
}

// Numeric pictures. Returns false when the number does not fit.
bool formatNumeric(const NumericLayout& layout, double value, std::string& out) {
    std::string integer;
    std::string fraction;
    fixedDigits(value, layout.places, integer, fraction);
    const bool negative = value < 0 && !isZeroDigits(integer, fraction);
    const bool pointMark = layout.mark == DecimalMark::Point || layout.mark == DecimalMark::Comma;
    const auto integerPositions =
        static_cast<std::size_t>(layout.size - (pointMark ? 1 : 0) - layout.places);
    const bool floatingSign = negative && layout.sign == SignStyle::Floating;
    auto widthOf = [&](const std::string& digits) {
        return groupDigits(digits, layout.grouping).size() + (floatingSign ? 1 : 0);
    };
    std::string digits = integer;
    if (widthOf(digits) > integerPositions) {
        // A lone zero before the decimals is left out when there is no room for it.
        if (digits != "0" || layout.places == 0) return false;
        digits.clear();
        if (widthOf(digits) > integerPositions) return false;
    }
    std::string padded;
    if (layout.fill == '0') {
        // Zeros, with the grouping marks between them, stand in front of the digits.
        while (widthOf(digits) < integerPositions) {
            digits.insert(digits.begin(), '0');
            if (widthOf(digits) > integerPositions) {
                digits.erase(digits.begin());
                break;
            }
        }
        if (floatingSign) padded += '-';
        padded.append(integerPositions - widthOf(digits), '0');
        padded += groupDigits(digits, layout.grouping);
    } else {
        padded.append(integerPositions - widthOf(digits), layout.fill);
        if (floatingSign) padded += '-';
        padded += groupDigits(digits, layout.grouping);
    }
    std::string text = layout.leadCurrency;
    if (layout.sign == SignStyle::Leading) text += negative ? '-' : ' ';
    if (layout.sign == SignStyle::Parentheses) text += negative ? '(' : ' ';
    text += padded;
    if (layout.mark == DecimalMark::Point) text += '.';
    if (layout.mark == DecimalMark::Comma) text += ',';
    text += fraction;
    if (layout.sign == SignStyle::Parentheses) text += negative ? ')' : ' ';
    if (layout.sign == SignStyle::Trailing) text += negative ? '-' : ' ';
    text += layout.trailCurrency;
    out = std::move(text);
    return true;
}

bool formatScientific(const NumericLayout& layout, double value, std::string& out) {
    const int places = layout.places > kMaxPrintedPlaces ? kMaxPrintedPlaces : layout.places;
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "%.*e", places, value);
    std::string text = buffer;
    if (layout.mark == DecimalMark::Comma) {
        for (char& c : text) {
            if (c == '.') c = ',';
        }
    }
    if (text.size() > static_cast<std::size_t>(layout.size)) return false;
    out = std::string(static_cast<std::size_t>(layout.size) - text.size(), layout.fill) + text;
    return true;
}

// Pattern and key-in pictures: the digits of the integer part fill the digit
// positions from the right.
bool formatPattern(const PictureTemplate& positions, double value, std::string& out) {
    std::string integer;
    std::string fraction;
    fixedDigits(std::trunc(value), 0, integer, fraction);
    std::size_t digitSlots = 0;
    for (const PicturePosition& p : positions) digitSlots += p.code == kPosDigit;
    if (integer.size() > digitSlots) {
        if (integer.find_first_not_of('0') != std::string::npos) return false;
        integer.clear();
    }
    const std::string digits = std::string(digitSlots - integer.size(), '0') + integer;
    out.clear();
    std::size_t next = 0;
    bool leading = true;
    for (const PicturePosition& p : positions) {
        if (p.code == kPosDigit) {
            const char d = digits[next++];
            if (d != '0') leading = false;
            out += (leading && d == '0') ? p.fill : d;
        } else if (p.code == kPosAnyChar) {
            out += ' ';
        } else {
            out += p.fill;
        }
    }
    return true;
}

// Writes `value` into a run of digit positions starting at `first`.
void putDigits(const PictureTemplate& positions, std::size_t first, std::size_t count,
               long long value, std::string& out) {
    std::string digits(count, '0');
    for (std::size_t i = count; i-- > 0;) {
        digits[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    bool leading = true;
    for (std::size_t i = 0; i < count; ++i) {
        const PicturePosition& p = positions[first + i];
        if (digits[i] != '0' || i + 1 == count) leading = false;
        out[first + i] = leading ? p.fill : digits[i];
    }
}

// Dates and times share the walk over runs of equal position codes.
std::string formatCalendar(const CompiledPicture& picture, const CalendarDate& date, int hour,
                           int minute, int second) {
    const PictureTemplate& positions = picture.positions();
    const IntlSettings& intl = intlSettings();
    std::string out(positions.size(), ' ');
    bool twelveHour = false;
    for (const PicturePosition& p : positions) twelveHour |= p.code == kPosDesignator;
    std::size_t i = 0;
    while (i < positions.size()) {
        const std::uint8_t code = positions[i].code;
        std::size_t run = 1;
        while (i + run < positions.size() && positions[i + run].code == code) ++run;
        switch (code) {
            case kPosMonthDigit: putDigits(positions, i, run, date.month, out); break;
            case kPosDayDigit: putDigits(positions, i, run, date.day, out); break;
            case kPosYearDigit: putDigits(positions, i, run, date.year, out); break;
            case kPosHourDigit: {
                int shown = hour;
                if (twelveHour) shown = hour % 12 == 0 ? 12 : hour % 12;
                putDigits(positions, i, run, shown, out);
                break;
            }
            case kPosMinuteDigit: putDigits(positions, i, run, minute, out); break;
            case kPosSecondDigit: putDigits(positions, i, run, second, out); break;
            case kPosMonthLetter: {
                const int m = date.month - 1;
                const std::string& name =
                    run == 3 ? intl.monthAbbrevs[m] : intl.monthNames[m];
                for (std::size_t k = 0; k < run && k < name.size(); ++k) out[i + k] = name[k];
                break;
            }
            case kPosDesignator: {
                const std::string& designator = hour < 12 ? intl.am : intl.pm;
                for (std::size_t k = 0; k < run; ++k) {
                    const auto index = static_cast<std::size_t>(positions[i + k].fill);
                    out[i + k] = index < designator.size() ? designator[index] : ' ';
                }
                break;
            }
            default:
                for (std::size_t k = 0; k < run; ++k) out[i + k] = positions[i + k].fill;
                break;
        }
        i += run;
    }
    return out;
}

std::string formatDate(const CompiledPicture& picture, double value) {
    if (!std::isfinite(value) || value < 1 || value > 1e9) return blanks(picture.width());
    CalendarDate date;
    if (!decomposeDate(static_cast<std::int32_t>(value), date)) return blanks(picture.width());
    return formatCalendar(picture, date, 0, 0, 0);
}

std::string formatTime(const CompiledPicture& picture, double value) {
    if (!std::isfinite(value) || value < 1 || value > 1e12) return blanks(picture.width());
    const std::int32_t units = static_cast<std::int32_t>(
        (static_cast<long long>(value) - 1) % kTimeUnitsPerDay);
    const int hour = units / kUnitsPerHour;
    const int minute = units % kUnitsPerHour / kUnitsPerMinute;
    const int second = units % kUnitsPerMinute / kUnitsPerSecond;
    return formatCalendar(picture, CalendarDate{1801, 1, 1}, hour, minute, second);
}

std::string fitText(std::string_view text, int width) {
    std::string out(text.substr(0, static_cast<std::size_t>(width)));
    out.resize(static_cast<std::size_t>(width), ' ');
    return out;
}

bool formatInto(const CompiledPicture& picture, double value, std::string& out) {
    if (picture.blankWhenZero() && value == 0) {
        out = blanks(picture.width());
        return true;
    }
    switch (picture.kind()) {
        case PictureKind::Numeric: return formatNumeric(picture.numeric(), value, out);
        case PictureKind::Scientific: return formatScientific(picture.numeric(), value, out);
        case PictureKind::Pattern:
        case PictureKind::KeyIn: return formatPattern(picture.positions(), std::fabs(value), out);
        case PictureKind::Date: out = formatDate(picture, value); return true;
        case PictureKind::Time: out = formatTime(picture, value); return true;
        case PictureKind::Text: out = fitText(plainNumberText(value), picture.width()); return true;
    }
    return false;
}

}  // namespace

std::string plainNumberText(double value) {
    if (std::isnan(value)) return "0";
    if (std::isinf(value)) return value > 0 ? "1e+308" : "-1e+308";
    if (value == std::trunc(value) && std::fabs(value) < kPlainIntegerLimit) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
        return std::string(buffer) == "-0" ? "0" : buffer;
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

double leadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::string number;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) number += text[i++];
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') number += text[i++], ++digits;
    if (i < text.size() && text[i] == '.') {
        number += text[i++];
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') number += text[i++], ++digits;
    }
    if (digits == 0) return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '-' || text[j] == '+')) ++j;
        if (j < text.size() && text[j] >= '0' && text[j] <= '9') {
            number += text.substr(i, j - i);
            while (j < text.size() && text[j] >= '0' && text[j] <= '9') number += text[j++];
        }
    }
    return std::strtod(number.c_str(), nullptr);
}

std::string formatNumber(const CompiledPicture& picture, double value) {
    if (!picture.valid()) return {};
    if (!std::isfinite(value)) value = 0;
    std::string out;
    if (!formatInto(picture, value, out)) return overflow(picture.width());
    return out;
}

bool numberFits(const CompiledPicture& picture, double value) {
    if (!picture.valid() || !std::isfinite(value)) return false;
    std::string out;
    return formatInto(picture, value, out);
}

std::string formatText(const CompiledPicture& picture, std::string_view text) {
    if (!picture.valid()) return {};
    if (picture.kind() == PictureKind::Text) return fitText(text, picture.width());
    if (picture.kind() == PictureKind::KeyIn) {
        std::string out;
        std::size_t next = 0;
        for (const PicturePosition& p : picture.positions()) {
            if (p.code == kPosDigit || p.code == kPosAnyChar) {
                out += next < text.size() ? text[next++] : ' ';
            } else {
                out += p.fill;
            }
        }
        return out;
    }
    return formatNumber(picture, leadingNumber(text));
}

}  // namespace linkar::runtime
