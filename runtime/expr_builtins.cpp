// The built-in functions of the expression evaluator.
#include "runtime/expr_builtins.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "runtime/char_tables.h"
#include "runtime/date.h"
#include "runtime/picture.h"
#include "runtime/picture_deformat.h"
#include "runtime/picture_format.h"

namespace linkar::runtime {
namespace {

// Length ALL fills when none is given.
constexpr std::int64_t kDefaultAllLength = 255;
// AGE: below this many days the age is told in days.
constexpr std::int32_t kAgeDaysLimit = 61;
// AGE: up to this many months the age is told in months.
constexpr int kAgeMonthsLimit = 24;
// AGE: a birth date after the base is moved back this many years first.
constexpr int kAgeCenturyBack = 100;
// AGE result when the birth date still lies after the base.
constexpr std::size_t kAgeFailureStars = 255;
// Bits in the values the bit functions work on.
constexpr int kWordBits = 32;

Value argument(std::span<const Value> args, std::size_t i) {
    return i < args.size() ? args[i] : Value::integer(0);
}
bool has(std::span<const Value> args, std::size_t i) { return i < args.size(); }
std::string textArg(std::span<const Value> args, std::size_t i) {
    return i < args.size() ? args[i].asText() : std::string();
}
double realArg(std::span<const Value> args, std::size_t i) { return argument(args, i).asReal(); }
std::int64_t intArg(std::span<const Value> args, std::size_t i) { return argument(args, i).asInteger(); }

// Results that are not numbers become 0; infinities stay.
Value safeReal(double v) { return Value::real(std::isnan(v) ? 0.0 : v); }

// A text cut to the longest value a text may hold, padded with blanks to n.
std::string padded(std::string text, std::int64_t n) {
    if (n < 0) n = 0;
    if (n > static_cast<std::int64_t>(kMaxTextValue)) n = kMaxTextValue;
    text.resize(static_cast<std::size_t>(n), ' ');
    return text;
}

Value sub(std::span<const Value> args) {
    const std::string text = textArg(args, 0);
    const auto size = static_cast<std::int64_t>(text.size());
    std::int64_t start = has(args, 1) ? intArg(args, 1) : 1;
    if (start < 0) start = size + start + 1;
    std::int64_t length = has(args, 2) ? intArg(args, 2) : size - start + 1;
    if (start < 1) {
        length += start - 1;
        start = 1;
    }
    if (length <= 0 || start > size) return Value::text({});
    if (start - 1 + length > size) length = size - start + 1;
    return Value::text(text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(length)));
}

// Where `needle` starts in `text` (from 0), found in linear time so that long
// texts with many near matches cannot stall an evaluation.
std::vector<bool> matchStarts(const std::string& needle, const std::string& text) {
    std::vector<bool> starts(text.size(), false);
    std::vector<std::size_t> border(needle.size() + 1, 0);
    for (std::size_t i = 1, k = 0; i < needle.size(); ++i) {
        while (k > 0 && needle[i] != needle[k]) k = border[k];
        if (needle[i] == needle[k]) ++k;
        border[i + 1] = k;
    }
    for (std::size_t i = 0, k = 0; i < text.size(); ++i) {
        while (k > 0 && text[i] != needle[k]) k = border[k];
        if (text[i] == needle[k]) ++k;
        if (k == needle.size()) {
            starts[i + 1 - k] = true;
            k = border[k];
        }
    }
    return starts;
}

Value instring(std::span<const Value> args) {
    const std::string needle = textArg(args, 0);
    const std::string text = textArg(args, 1);
    const std::int64_t step = has(args, 2) ? intArg(args, 2) : 1;
    std::int64_t position = has(args, 3) ? intArg(args, 3) : 1;
    if (needle.empty() || step == 0 || needle.size() > text.size()) return Value::integer(0);
    const auto last = static_cast<std::int64_t>(text.size() - needle.size()) + 1;
    if (step > 0 && position < 1) {
        // Skip to the first position of the progression inside the text.
        position += ((1 - position + step - 1) / step) * step;
    }
    if (step < 0 && position > last) {
        position -= ((position - last - step - 1) / -step) * -step;
    }
    const std::vector<bool> starts = matchStarts(needle, text);
    for (; position >= 1 && position <= last; position += step) {
        if (starts[static_cast<std::size_t>(position - 1)]) {
            return Value::integer(static_cast<std::int32_t>(position));
        }
    }
    return Value::integer(0);
}

std::string clipped(const std::string& text) {
    const std::size_t end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

Value left(std::span<const Value> args) {
    const std::string text = textArg(args, 0);
    const std::size_t first = text.find_first_not_of(' ');
    const std::string moved = first == std::string::npos ? std::string() : text.substr(first);
    const std::int64_t n = has(args, 1) ? intArg(args, 1) : static_cast<std::int64_t>(text.size());
    return Value::text(padded(moved, n));
}

Value right(std::span<const Value> args) {
    const std::string text = textArg(args, 0);
    const std::string kept = clipped(text);
    return Value::text(std::string(text.size() - kept.size(), ' ') + kept);
}

Value center(std::span<const Value> args) {
    const std::string text = textArg(args, 0);
    const std::size_t first = text.find_first_not_of(' ');
    const std::string core = first == std::string::npos ? std::string() : clipped(text.substr(first));
    std::int64_t n = has(args, 1) ? intArg(args, 1) : static_cast<std::int64_t>(text.size());
    if (n > static_cast<std::int64_t>(kMaxTextValue)) n = kMaxTextValue;
    if (n <= 0) return Value::text({});
    if (static_cast<std::int64_t>(core.size()) >= n) return Value::text(core.substr(0, static_cast<std::size_t>(n)));
    const std::size_t before = (static_cast<std::size_t>(n) - core.size()) / 2;
    return Value::text(padded(std::string(before, ' ') + core, n));
}

Value all(std::span<const Value> args) {
    const std::string text = textArg(args, 0);
    std::int64_t n = has(args, 1) ? intArg(args, 1) : kDefaultAllLength;
    if (n > static_cast<std::int64_t>(kMaxTextValue)) n = kMaxTextValue;
    if (text.empty() || n <= 0) return Value::text({});
    std::string out;
    out.reserve(static_cast<std::size_t>(n));
    while (static_cast<std::int64_t>(out.size()) < n) out += text;
    out.resize(static_cast<std::size_t>(n));
    return Value::text(std::move(out));
}

Value caseMapped(std::span<const Value> args, bool upper) {
    std::string text = textArg(args, 0);
    for (char& c : text) {
        const auto b = static_cast<std::uint8_t>(c);
        c = static_cast<char>(upper ? toUpper(b) : toLower(b));
    }
    return Value::text(std::move(text));
}

bool isNumberText(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return false;
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        std::size_t exponent = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++exponent;
        if (exponent == 0) return false;
    }
    return i == text.size();
}

Value format(std::span<const Value> args) {
    const Value value = argument(args, 0);
    const CompiledPicture picture = compilePicture(textArg(args, 1));
    if (!picture.valid()) return Value::text(value.asText());
    if (value.isText()) return Value::text(formatText(picture, value.asText()));
    return Value::text(formatNumber(picture, value.asReal()));
}

Value deformat(std::span<const Value> args) {
    const std::string text = textArg(args, 0);
    if (has(args, 1)) {
        const CompiledPicture picture = compilePicture(textArg(args, 1));
        if (picture.valid()) return Value::text(deformatText(picture, text));
    }
    std::string kept;
    for (char c : text) {
        if ((c >= '0' && c <= '9') || c == '.' || c == '-') kept += c;
    }
    return Value::text(std::move(kept));
}

Value roundTo(std::span<const Value> args) {
    const double x = realArg(args, 0);
    const double step = has(args, 1) ? realArg(args, 1) : 1.0;
    if (step == 0 || !std::isfinite(step)) return safeReal(x);
    const double steps = std::round(x / step);
    // Multiplying back can leave a binary tail (0.1 * 3); printing removes it.
    return safeReal(steps * std::fabs(step) * (step < 0 ? -1 : 1));
}

Value random(std::span<const Value> args) {
    static std::mt19937 generator{std::random_device{}()};
    std::int64_t low = intArg(args, 0);
    std::int64_t high = intArg(args, 1);
    if (low > high) std::swap(low, high);
    std::uniform_int_distribution<std::int64_t> pick(low, high);
    return Value::integer(static_cast<std::int32_t>(pick(generator)));
}

Value bshift(std::span<const Value> args) {
    const auto value = static_cast<std::uint32_t>(argument(args, 0).asInteger());
    const std::int64_t count = intArg(args, 1);
    if (count >= kWordBits || count <= -kWordBits) return Value::integer(0);
    const std::uint32_t shifted = count >= 0 ? value << count : value >> -count;
    return Value::integer(static_cast<std::int32_t>(shifted));
}

Value dateOf(std::span<const Value> args) {
    std::int64_t month = intArg(args, 0);
    const std::int64_t day = intArg(args, 1);
    std::int64_t year = intArg(args, 2);
    if (year >= 0 && year < 100) year += 1900;
    // Months outside 1..12 carry into the years.
    const std::int64_t monthIndex = month - 1;
    std::int64_t carry = monthIndex / 12;
    if (monthIndex % 12 < 0) --carry;
    year += carry;
    month = monthIndex - carry * 12 + 1;
    if (year < 1801 || year > kLastYear) return Value::integer(0);
    const std::int32_t first = composeDate(static_cast<int>(year), static_cast<int>(month), 1);
    const std::int64_t result = static_cast<std::int64_t>(first) + day - 1;
    CalendarDate check;
    if (first == kInvalidDate || result < 1 || result > std::numeric_limits<std::int32_t>::max() ||
        !decomposeDate(static_cast<std::int32_t>(result), check)) {
        return Value::integer(0);
    }
    return Value::integer(static_cast<std::int32_t>(result));
}

Value datePart(std::span<const Value> args, int part) {
    CalendarDate date;
    if (!decomposeDate(argument(args, 0).asInteger(), date)) return Value::integer(0);
    return Value::integer(part == 0 ? date.day : (part == 1 ? date.month : date.year));
}

Value memory() {
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return Value::integer(0);
    const double bytes = static_cast<double>(pages) * static_cast<double>(pageSize);
    return Value::integer(bytes > std::numeric_limits<std::int32_t>::max()
                              ? std::numeric_limits<std::int32_t>::max()
                              : static_cast<std::int32_t>(bytes));
}

Value inDomain(double x, double low, double high, double (*f)(double)) {
    if (!(x >= low && x <= high)) return Value::real(0);
    return safeReal(f(x));
}

}  // namespace

std::string ageText(std::int32_t birth, std::int32_t base) {
    const std::string failure(kAgeFailureStars, '*');
    if (base == -1) base = todayDayNumber();
    CalendarDate b;
    CalendarDate now;
    if (!decomposeDate(base, now) || !decomposeDate(birth, b)) return failure;
    if (birth > base) {
        birth = composeDate(b.year - kAgeCenturyBack, b.month, b.day);
        if (birth == kInvalidDate || birth > base || !decomposeDate(birth, b)) return failure;
    }
    const std::int32_t days = base - birth;
    if (days < kAgeDaysLimit) return std::to_string(days) + " DAYS";
    int months = 12 * (now.year - b.year) + (now.month - b.month);
    if (now.day < b.day) --months;
    if (months <= kAgeMonthsLimit) return std::to_string(months) + " MOS";
    int years = now.year - b.year;
    if (now.month < b.month || (now.month == b.month && now.day < b.day)) --years;
    return std::to_string(years) + " YRS";
}

Value callBuiltin(int function, std::span<const Value> args) {
    switch (function) {
        case fn::kMemory: return memory();
        case fn::kSub: return sub(args);
        case fn::kInstring: return instring(args);
        case fn::kClip: return Value::text(clipped(textArg(args, 0)));
        case fn::kAll: return all(args);
        case fn::kCenter: return center(args);
        case fn::kChr: return Value::text(std::string(1, static_cast<char>(intArg(args, 0) & 0xFF)));
        case fn::kDeformat: return deformat(args);
        case fn::kFormat: return format(args);
        case fn::kLeft: return left(args);
        case fn::kLen: return Value::integer(static_cast<std::int32_t>(textArg(args, 0).size()));
        case fn::kLower: return caseMapped(args, false);
        case fn::kNumeric: return Value::integer(isNumberText(textArg(args, 0)) ? 1 : 0);
        case fn::kRight: return right(args);
        case fn::kUpper: return caseMapped(args, true);
        case fn::kVal: {
            const std::string text = textArg(args, 0);
            return Value::integer(text.empty() ? 0 : static_cast<std::uint8_t>(text[0]));
        }
        case fn::kAbs: return safeReal(std::fabs(realArg(args, 0)));
        case fn::kInrange: {
            const Value x = argument(args, 0);
            return Value::integer(compareValues(x, argument(args, 1)) >= 0 &&
                                  compareValues(x, argument(args, 2)) <= 0);
        }
        case fn::kInt: return Value::number(std::trunc(realArg(args, 0)));
        case fn::kLoge: {
            const double x = realArg(args, 0);
            return x > 0 ? safeReal(std::log(x)) : Value::real(0);
        }
        case fn::kLog10: {
            const double x = realArg(args, 0);
            return x > 0 ? safeReal(std::log10(x)) : Value::real(0);
        }
        case fn::kRandom: return random(args);
        case fn::kRound: return roundTo(args);
        case fn::kSqrt: {
            const double x = realArg(args, 0);
            return x >= 0 ? safeReal(std::sqrt(x)) : Value::real(0);
        }
        case fn::kSin: return safeReal(std::sin(realArg(args, 0)));
        case fn::kCos: return safeReal(std::cos(realArg(args, 0)));
        case fn::kTan: return safeReal(std::tan(realArg(args, 0)));
        case fn::kAsin: return inDomain(realArg(args, 0), -1, 1, [](double x) { return std::asin(x); });
        case fn::kAcos: return inDomain(realArg(args, 0), -1, 1, [](double x) { return std::acos(x); });
        case fn::kAtan: return safeReal(std::atan(realArg(args, 0)));
        case fn::kBand: return Value::integer(argument(args, 0).asInteger() & argument(args, 1).asInteger());
        case fn::kBor: return Value::integer(argument(args, 0).asInteger() | argument(args, 1).asInteger());
        case fn::kBxor: return Value::integer(argument(args, 0).asInteger() ^ argument(args, 1).asInteger());
        case fn::kBshift: return bshift(args);
        case fn::kToday: return Value::integer(todayDayNumber());
        case fn::kClock: return Value::integer(clockTimeValue());
        case fn::kDate: return dateOf(args);
        case fn::kDay: return datePart(args, 0);
        case fn::kMonth: return datePart(args, 1);
        case fn::kYear: return datePart(args, 2);
        case fn::kAge: {
            const std::int32_t base = has(args, 1) ? argument(args, 1).asInteger() : -1;
            return Value::text(ageText(argument(args, 0).asInteger(), base));
        }
        default: return Value::integer(0);
    }
}

}  // namespace linkar::runtime
