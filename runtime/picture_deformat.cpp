// DEFORMAT through compiled pictures: numbers, dates, times, patterns and
// key-in slots read back from text.
#include "runtime/picture_deformat.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "runtime/date.h"
#include "runtime/intl.h"
#include "runtime/picture_format.h"

namespace linkar::runtime {
namespace {

// Letters a month name must share with the input to match it.
constexpr std::size_t kMonthMatchLetters = 3;
// Longest run of digits read as one number; longer input is refused.
constexpr std::size_t kMaxDigitRun = 18;
constexpr int kHoursPerDay = 24;
constexpr int kMinutesPerHour = 60;
constexpr int kSecondsPerMinute = 60;
constexpr int kHalfDayHours = 12;

bool isDigitChar(char c) { return c >= '0' && c <= '9'; }
bool isLetterChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || static_cast<unsigned char>(c) >= 0x80;
}
char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool sameLetters(std::string_view a, std::string_view b, std::size_t count) {
    if (a.size() < count || b.size() < count) return false;
    for (std::size_t i = 0; i < count; ++i) {
        if (upperAscii(a[i]) != upperAscii(b[i])) return false;
    }
    return true;
}

bool isBlank(std::string_view text) { return text.find_first_not_of(" \t") == std::string_view::npos; }

std::optional<double> readNumeric(const CompiledPicture& picture, std::string_view text) {
    const NumericLayout& layout = picture.numeric();
    std::string cleaned(text);
    for (const std::string* currency : {&layout.leadCurrency, &layout.trailCurrency}) {
        if (currency->empty()) continue;
        const std::size_t at = cleaned.find(*currency);
        if (at != std::string::npos) cleaned.erase(at, currency->size());
    }
    const char mark = layout.mark == DecimalMark::Comma ? ',' : '.';
    bool negative = false;
    bool seenMark = false;
    bool seenExponent = false;
    std::string number;
    std::size_t digits = 0;
    for (std::size_t i = 0; i < cleaned.size(); ++i) {
        const char c = cleaned[i];
        if (isDigitChar(c)) {
            number += c;
            ++digits;
        } else if (c == mark && !seenMark && !seenExponent) {
            number += '.';
            seenMark = true;
        } else if (c == '-' || c == '(') {
            if (seenExponent && !number.empty() && (number.back() == 'e')) {
                number += '-';
            } else {
                negative = true;
            }
        } else if (c == '+' && seenExponent && !number.empty() && number.back() == 'e') {
            number += '+';
        } else if ((c == 'e' || c == 'E') && picture.kind() == PictureKind::Scientific &&
                   digits > 0 && !seenExponent) {
            number += 'e';
            seenExponent = true;
        } else if (c == ' ' || c == ')' || c == '\t' || (layout.grouping != 0 && c == layout.grouping)) {
            continue;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) return isBlank(cleaned) || cleaned.find_first_not_of(" -()") == std::string::npos
                                ? std::optional<double>(0)
                                : std::nullopt;
    double value = std::strtod(number.c_str(), nullptr);
    if (layout.mark == DecimalMark::Implied && !seenMark) value /= std::pow(10.0, layout.places);
    if (!std::isfinite(value)) return std::nullopt;
    return negative ? -value : value;
}

struct Token {
    bool letters = false;
    std::string text;
};

std::vector<Token> tokenize(std::string_view text) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        if (isDigitChar(text[i]) || isLetterChar(text[i])) {
            const bool letters = isLetterChar(text[i]);
            Token t{letters, {}};
            while (i < text.size() && (letters ? isLetterChar(text[i]) : isDigitChar(text[i]))) {
                t.text += text[i++];
            }
            tokens.push_back(std::move(t));
        } else {
            ++i;
        }
    }
    return tokens;
}

std::optional<long long> digitValue(const std::string& digits) {
    if (digits.empty() || digits.size() > kMaxDigitRun) return std::nullopt;
    return std::strtoll(digits.c_str(), nullptr, 10);
}

// The date fields in the order the picture shows them, with their digit counts.
struct Field {
    std::uint8_t code;
    std::size_t digits;
};

std::vector<Field> dateFields(const PictureTemplate& positions) {
    std::vector<Field> fields;
    for (const PicturePosition& p : positions) {
        std::uint8_t code = p.code;
        if (code == kPosMonthLetter) code = kPosMonthDigit;
        if (code != kPosMonthDigit && code != kPosDayDigit && code != kPosYearDigit) continue;
        if (!fields.empty() && fields.back().code == code) {
            ++fields.back().digits;
        } else {
            fields.push_back({code, 1});
        }
    }
    return fields;
}

std::optional<int> monthFromName(const std::string& word) {
    const IntlSettings& intl = intlSettings();
    for (int m = 0; m < kMonthCount; ++m) {
        const std::string& name = intl.monthNames[m];
        const std::string& abbrev = intl.monthAbbrevs[m];
        const std::size_t nameCount = std::min(kMonthMatchLetters, name.size());
        if (!name.empty() && sameLetters(word, name, nameCount)) return m + 1;
        if (!abbrev.empty() && sameLetters(word, abbrev, abbrev.size())) return m + 1;
    }
    return std::nullopt;
}

std::optional<double> readDate(const CompiledPicture& picture, std::string_view text) {
    if (isBlank(text)) return 0;
    const std::vector<Field> fields = dateFields(picture.positions());
    std::vector<Token> tokens = tokenize(text);
    int year = -1;
    int month = -1;
    int day = -1;
    // One run of digits covering all the picture's digit positions is split by them.
    std::size_t totalDigits = 0;
    for (const Field& f : fields) totalDigits += f.digits;
    if (tokens.size() == 1 && !tokens[0].letters && fields.size() > 1 &&
        tokens[0].text.size() == totalDigits) {
        std::vector<Token> split;
        std::size_t at = 0;
        for (const Field& f : fields) {
            split.push_back({false, tokens[0].text.substr(at, f.digits)});
            at += f.digits;
        }
        tokens = std::move(split);
    }
    std::size_t next = 0;
    for (const Token& t : tokens) {
        if (t.letters) {
            const auto m = monthFromName(t.text);
            if (!m || month != -1) return std::nullopt;
            month = *m;
            continue;
        }
        while (next < fields.size() && fields[next].code == kPosMonthDigit && month != -1) ++next;
        if (next >= fields.size()) return std::nullopt;
        const auto value = digitValue(t.text);
        if (!value || *value > kLastYear) return std::nullopt;
        const int v = static_cast<int>(*value);
        switch (fields[next].code) {
            case kPosMonthDigit: month = v; break;
            case kPosDayDigit: day = v; break;
            default: year = v; break;
        }
        ++next;
    }
    if (month == -1) return std::nullopt;
    if (day == -1) day = 1;
    if (year == -1) {
        CalendarDate today;
        if (!decomposeDate(todayDayNumber(), today)) return std::nullopt;
        year = today.year;
    }
    const std::int32_t dayNumber = composeDate(year, month, day);
    if (dayNumber == kInvalidDate) return std::nullopt;
    return dayNumber;
}

std::optional<double> readTime(std::string_view text) {
    if (isBlank(text)) return 0;
    std::vector<Token> tokens = tokenize(text);
    std::vector<int> numbers;
    int designator = 0;  // 0 none, 1 AM, 2 PM
    const IntlSettings& intl = intlSettings();
    for (const Token& t : tokens) {
        if (t.letters) {
            if (designator != 0) return std::nullopt;
            if (!intl.am.empty() && upperAscii(t.text[0]) == upperAscii(intl.am[0])) {
                designator = 1;
            } else if (!intl.pm.empty() && upperAscii(t.text[0]) == upperAscii(intl.pm[0])) {
                designator = 2;
            } else {
                return std::nullopt;
            }
            continue;
        }
        if (designator != 0) return std::nullopt;
        if (numbers.empty() && t.text.size() > 2 && t.text.size() <= 6) {
            // A run of digits: hhmm or hhmmss, the hour possibly with one digit.
            const std::size_t hourDigits = t.text.size() % 2 == 1 ? 1 : 2;
            numbers.push_back(std::atoi(t.text.substr(0, hourDigits).c_str()));
            for (std::size_t at = hourDigits; at < t.text.size(); at += 2) {
                numbers.push_back(std::atoi(t.text.substr(at, 2).c_str()));
            }
            continue;
        }
        if (t.text.size() > 2) return std::nullopt;
        numbers.push_back(std::atoi(t.text.c_str()));
    }
    if (numbers.empty() || numbers.size() > 3) return std::nullopt;
    int hour = numbers[0];
    const int minute = numbers.size() > 1 ? numbers[1] : 0;
    const int second = numbers.size() > 2 ? numbers[2] : 0;
    if (designator != 0) {
        if (hour < 1 || hour > kHalfDayHours) return std::nullopt;
        if (designator == 1 && hour == kHalfDayHours) hour = 0;
        if (designator == 2 && hour != kHalfDayHours) hour += kHalfDayHours;
    }
    if (hour >= kHoursPerDay || minute >= kMinutesPerHour || second >= kSecondsPerMinute) {
        return std::nullopt;
    }
    return 1 + ((hour * kMinutesPerHour + minute) * kSecondsPerMinute + second) * 100;
}

// Patterns show no sign, so every character but the digits is fixed text.
std::optional<double> readPattern(std::string_view text) {
    std::string digits;
    for (char c : text) {
        if (isDigitChar(c)) digits += c;
    }
    if (digits.empty()) return 0;
    return std::strtod(digits.c_str(), nullptr);
}

}  // namespace

std::optional<double> deformatNumber(const CompiledPicture& picture, std::string_view text) {
    if (!picture.valid()) return std::nullopt;
    switch (picture.kind()) {
        case PictureKind::Numeric:
        case PictureKind::Scientific: return readNumeric(picture, text);
        case PictureKind::Date: return readDate(picture, text);
        case PictureKind::Time: return readTime(text);
        case PictureKind::Pattern:
        case PictureKind::KeyIn: return readPattern(text);
        case PictureKind::Text: return leadingNumber(text);
    }
    return std::nullopt;
}

std::string deformatText(const CompiledPicture& picture, std::string_view text) {
    if (!picture.valid()) return {};
    if (picture.kind() == PictureKind::Text) {
        const std::size_t end = text.find_last_not_of(' ');
        return std::string(end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1));
    }
    if (picture.kind() == PictureKind::KeyIn) {
        std::string out;
        const PictureTemplate& positions = picture.positions();
        for (std::size_t i = 0; i < positions.size() && i < text.size(); ++i) {
            if (positions[i].code == kPosDigit || positions[i].code == kPosAnyChar) out += text[i];
        }
        const std::size_t end = out.find_last_not_of(' ');
        out.resize(end == std::string::npos ? 0 : end + 1);
        return out;
    }
    const auto value = deformatNumber(picture, text);
    return value ? plainNumberText(*value) : std::string();
}

}  // namespace linkar::runtime
