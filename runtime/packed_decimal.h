// Packed decimal (DECIMAL fields such as URL:RATING): a fixed number of bytes
// holding a sign nibble and decimal digits, with a declared number of decimal
// places. Conversions from and to int64 and double, and a comparison.
//
// Layout: the sign is the high nibble of the first byte, then 2 * size - 1
// digit nibbles, most significant first (a 2-byte field holds three digits).
// A sign nibble of 0 means positive and any other value negative, which is
// what the key encoding relies on; negative values are written with
// kPackedNegative, and zero is always written positive. Digit nibbles above 9
// make a value invalid.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace linkar::runtime {

// Sign nibble written for values >= 0.
constexpr uint8_t kPackedPositive = 0x0;
// Sign nibble written for values < 0 (any non-zero sign reads as negative).
constexpr uint8_t kPackedNegative = 0xD;
// Largest field: 31 digits and the sign.
constexpr size_t kMaxPackedSize = 16;

enum class DecimalStatus {
    kOk,
    kOverflow,     // the value needs more digits than the field holds
    kInvalidDigit, // a digit nibble above 9
    kBadLayout,    // size 0, above kMaxPackedSize, or more places than digits
};

// Number of digits a field of size bytes holds.
constexpr size_t packedDigits(size_t size) { return size == 0 ? 0 : size * 2 - 1; }

// The field as an integer of its digits, the decimal point ignored
// (12.34 in a field with 2 places is 1234). On any error dst is unchanged.
DecimalStatus packDigits(std::span<uint8_t> dst, int64_t digits);
DecimalStatus unpackDigits(std::span<const uint8_t> src, int64_t& digits);

// The field's value as a whole number: packed, value is scaled up by the
// places; unpacked, the fraction is cut off (towards zero).
DecimalStatus packInteger(std::span<uint8_t> dst, unsigned places, int64_t value);
DecimalStatus unpackInteger(std::span<const uint8_t> src, unsigned places, int64_t& value);

// The field's value as a real number, rounded half away from zero to the
// places when packed. NaN and infinities are overflows.
DecimalStatus packDouble(std::span<uint8_t> dst, unsigned places, double value);
DecimalStatus unpackDouble(std::span<const uint8_t> src, unsigned places, double& value);

// Whether every digit nibble is 0..9 and the size is usable.
bool isValidPacked(std::span<const uint8_t> src);

// Compares two fields by value, each with its own places (1.50 with 2 places
// equals 1.5 with 1); -0 equals 0. result is negative, 0 or positive.
// Works for every size, also values beyond int64.
DecimalStatus comparePacked(std::span<const uint8_t> a, unsigned placesA,
                            std::span<const uint8_t> b, unsigned placesB, int& result);

}  // namespace linkar::runtime
