// Packed decimal conversions. Digits are handled one nibble at a time so that
// every field size up to 31 digits converts and compares exactly.
#include "runtime/packed_decimal.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace linkar::runtime {

namespace {

constexpr uint8_t kNibbleMask = 0x0F;
constexpr uint8_t kMaxDigit = 9;
constexpr uint64_t kDecimalBase = 10;
// No field holds a magnitude of 32 digits or more.
constexpr double kMagnitudeLimit = 1e32;

bool layoutOk(size_t size, unsigned places) {
    return size != 0 && size <= kMaxPackedSize && places <= packedDigits(size);
}

// Digit i (0 = most significant) of a field of `size` bytes: the sign takes
// the first nibble, so digit i sits in nibble i + 1.
uint8_t digitAt(std::span<const uint8_t> f, size_t i) {
    const size_t nibble = i + 1;
    const uint8_t byte = f[nibble / 2];
    return (nibble % 2 == 0) ? (byte >> 4) : (byte & kNibbleMask);
}

bool negativeSign(std::span<const uint8_t> f) { return (f[0] >> 4) != 0; }

// Writes magnitude digits (most significant first, exactly packedDigits(size)
// of them) and the sign into f.
void writeField(std::span<uint8_t> f, const std::array<uint8_t, 2 * kMaxPackedSize>& digits, bool negative) {
    const size_t count = packedDigits(f.size());
    const bool allZero = std::all_of(digits.begin(), digits.begin() + count, [](uint8_t d) { return d == 0; });
    const uint8_t sign = (negative && !allZero) ? kPackedNegative : kPackedPositive;
    std::fill(f.begin(), f.end(), uint8_t{0});
    f[0] = static_cast<uint8_t>(sign << 4);
    for (size_t i = 0; i < count; ++i) {
        const size_t nibble = i + 1;
        if (nibble % 2 == 0)
            f[nibble / 2] |= static_cast<uint8_t>(digits[i] << 4);
        else
            f[nibble / 2] |= digits[i];
    }
}

// Magnitude as decimal digits into the field's digit array; false when it
// does not fit.
bool spreadMagnitude(uint64_t magnitude, size_t count, std::array<uint8_t, 2 * kMaxPackedSize>& digits) {
    digits.fill(0);
    for (size_t i = count; i-- > 0 && magnitude != 0;) {
        digits[i] = static_cast<uint8_t>(magnitude % kDecimalBase);
        magnitude /= kDecimalBase;
    }
    return magnitude == 0;
}

uint64_t magnitudeOf(int64_t v) {
    return v < 0 ? uint64_t(0) - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
}

// The digits of a field read into a wide accumulator; false on overflow of
// int64.
bool readDigits(std::span<const uint8_t> src, size_t count, int64_t& out) {
    uint64_t magnitude = 0;
    const uint64_t limit = negativeSign(src) ? uint64_t(std::numeric_limits<int64_t>::max()) + 1
                                             : uint64_t(std::numeric_limits<int64_t>::max());
    for (size_t i = 0; i < count; ++i) {
        const uint64_t d = digitAt(src, i);
        if (magnitude > (limit - d) / kDecimalBase) return false;
        magnitude = magnitude * kDecimalBase + d;
    }
    if (negativeSign(src))
        out = magnitude == 0 ? 0 : static_cast<int64_t>(uint64_t(0) - magnitude);
    else
        out = static_cast<int64_t>(magnitude);
    return true;
}

}  // namespace

bool isValidPacked(std::span<const uint8_t> src) {
    if (src.empty() || src.size() > kMaxPackedSize) return false;
    const size_t count = packedDigits(src.size());
    for (size_t i = 0; i < count; ++i)
        if (digitAt(src, i) > kMaxDigit) return false;
    return true;
}

DecimalStatus packDigits(std::span<uint8_t> dst, int64_t value) {
    if (!layoutOk(dst.size(), 0)) return DecimalStatus::kBadLayout;
    std::array<uint8_t, 2 * kMaxPackedSize> digits{};
    if (!spreadMagnitude(magnitudeOf(value), packedDigits(dst.size()), digits)) return DecimalStatus::kOverflow;
    writeField(dst, digits, value < 0);
    return DecimalStatus::kOk;
}

DecimalStatus unpackDigits(std::span<const uint8_t> src, int64_t& value) {
    if (!layoutOk(src.size(), 0)) return DecimalStatus::kBadLayout;
    if (!isValidPacked(src)) return DecimalStatus::kInvalidDigit;
    int64_t result = 0;
    if (!readDigits(src, packedDigits(src.size()), result)) return DecimalStatus::kOverflow;
    value = result;
    return DecimalStatus::kOk;
}

DecimalStatus packInteger(std::span<uint8_t> dst, unsigned places, int64_t value) {
    if (!layoutOk(dst.size(), places)) return DecimalStatus::kBadLayout;
    // Scale by appending `places` zero digits to the magnitude's digits, so
    // that no intermediate product can overflow.
    std::array<uint8_t, 2 * kMaxPackedSize> digits{};
    const size_t count = packedDigits(dst.size());
    if (!spreadMagnitude(magnitudeOf(value), count - places, digits)) return DecimalStatus::kOverflow;
    writeField(dst, digits, value < 0);
    return DecimalStatus::kOk;
}

DecimalStatus unpackInteger(std::span<const uint8_t> src, unsigned places, int64_t& value) {
    if (!layoutOk(src.size(), places)) return DecimalStatus::kBadLayout;
    if (!isValidPacked(src)) return DecimalStatus::kInvalidDigit;
    int64_t result = 0;
    if (!readDigits(src, packedDigits(src.size()) - places, result)) return DecimalStatus::kOverflow;
    value = result;
    return DecimalStatus::kOk;
}

DecimalStatus packDouble(std::span<uint8_t> dst, unsigned places, double value) {
    if (!layoutOk(dst.size(), places)) return DecimalStatus::kBadLayout;
    if (!std::isfinite(value)) return DecimalStatus::kOverflow;
    const size_t count = packedDigits(dst.size());
    // The C library renders the double's exact binary value; 40 digits past
    // the places leave no doubt on which side of a half the value lies, and
    // the rounding (half away from zero) is then done here on the digits.
    const double magnitude = std::fabs(value);
    if (magnitude >= kMagnitudeLimit) return DecimalStatus::kOverflow;
    constexpr int kGuardDigits = 40;
    // 32 integer digits, the point, up to 31 places and the guard digits.
    char text[128];
    std::snprintf(text, sizeof text, "%.*f", static_cast<int>(places) + kGuardDigits, magnitude);
    std::string s(text);
    // s is "<int>.<places + guard digits>": round on the first guard digit.
    const size_t dot = s.find('.');
    std::string all = s.substr(0, dot) + s.substr(dot + 1);
    all.resize(all.size() - kGuardDigits + 1);
    const bool roundUp = all.back() >= '5';
    all.pop_back();
    if (roundUp) {
        size_t i = all.size();
        while (i > 0) {
            --i;
            if (all[i] == '9') {
                all[i] = '0';
            } else {
                ++all[i];
                break;
            }
            if (i == 0) all.insert(all.begin(), '1');
        }
    }
    // Leading zeros do not count against the field's digits.
    const size_t firstNonZero = all.find_first_not_of('0');
    const std::string significant = firstNonZero == std::string::npos ? std::string() : all.substr(firstNonZero);
    if (significant.size() > count) return DecimalStatus::kOverflow;
    std::array<uint8_t, 2 * kMaxPackedSize> digits{};
    const size_t offset = count - significant.size();
    for (size_t i = 0; i < significant.size(); ++i) digits[offset + i] = static_cast<uint8_t>(significant[i] - '0');
    writeField(dst, digits, value < 0);
    return DecimalStatus::kOk;
}

DecimalStatus unpackDouble(std::span<const uint8_t> src, unsigned places, double& value) {
    if (!layoutOk(src.size(), places)) return DecimalStatus::kBadLayout;
    if (!isValidPacked(src)) return DecimalStatus::kInvalidDigit;
    // Through text so that the result is the double nearest the decimal.
    std::string text = negativeSign(src) ? "-" : "";
    const size_t count = packedDigits(src.size());
    for (size_t i = 0; i < count; ++i) {
        if (i == count - places) text += '.';
        text += static_cast<char>('0' + digitAt(src, i));
    }
    value = std::strtod(text.c_str(), nullptr);
    if (value == 0) value = 0;  // no negative zero
    return DecimalStatus::kOk;
}

DecimalStatus comparePacked(std::span<const uint8_t> a, unsigned placesA,
                            std::span<const uint8_t> b, unsigned placesB, int& result) {
    if (!layoutOk(a.size(), placesA) || !layoutOk(b.size(), placesB)) return DecimalStatus::kBadLayout;
    if (!isValidPacked(a) || !isValidPacked(b)) return DecimalStatus::kInvalidDigit;
    // Align both on the decimal point: integer digits padded on the left,
    // fraction digits padded on the right, then compare magnitudes digit by
    // digit.
    const auto intDigits = [](std::span<const uint8_t> f, unsigned places) { return packedDigits(f.size()) - places; };
    const size_t intWidth = std::max(intDigits(a, placesA), intDigits(b, placesB));
    const size_t fracWidth = std::max(placesA, placesB);
    const auto digitOf = [&](std::span<const uint8_t> f, unsigned places, size_t pos) -> int {
        // pos counts from the left of the aligned form.
        const size_t lead = intWidth - intDigits(f, places);
        if (pos < lead) return 0;
        const size_t i = pos - lead;
        return i < packedDigits(f.size()) ? digitAt(f, i) : 0;
    };
    int magnitude = 0;
    bool zeroA = true, zeroB = true;
    for (size_t pos = 0; pos < intWidth + fracWidth; ++pos) {
        const int da = digitOf(a, placesA, pos);
        const int db = digitOf(b, placesB, pos);
        if (da) zeroA = false;
        if (db) zeroB = false;
        if (magnitude == 0 && da != db) magnitude = da < db ? -1 : 1;
    }
    const bool negA = negativeSign(a) && !zeroA;
    const bool negB = negativeSign(b) && !zeroB;
    if (negA != negB)
        result = negA ? -1 : 1;
    else
        result = negA ? -magnitude : magnitude;
    return DecimalStatus::kOk;
}

}  // namespace linkar::runtime
