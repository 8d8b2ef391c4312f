// Packed decimal: byte layout, round trips, signs, overflow, bad digits and
// comparison by value.
#include "runtime/packed_decimal.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

namespace linkar::runtime {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes packedInt(size_t size, unsigned places, int64_t value) {
    Bytes b(size, 0xAA);
    EXPECT_EQ(packInteger(b, places, value), DecimalStatus::kOk) << value;
    return b;
}

TEST(PackedDecimalLayout, SignNibbleThenDigitsMostSignificantFirst) {
    // The rating field: two bytes, three digits.
    EXPECT_EQ(packedInt(2, 0, 5), (Bytes{0x00, 0x05}));
    EXPECT_EQ(packedInt(2, 0, 123), (Bytes{0x01, 0x23}));
    EXPECT_EQ(packedInt(2, 0, -42), (Bytes{0xD0, 0x42}));
    EXPECT_EQ(packedInt(3, 2, 7), (Bytes{0x00, 0x07, 0x00}));
    EXPECT_EQ(packedInt(1, 0, -9), (Bytes{0xD9}));
}

TEST(PackedDecimalLayout, ZeroIsAlwaysWrittenPositive) {
    EXPECT_EQ(packedInt(2, 0, 0), (Bytes{0x00, 0x00}));
    Bytes b(2);
    ASSERT_EQ(packDouble(b, 1, -0.01), DecimalStatus::kOk);  // rounds to -0.0
    EXPECT_EQ(b, (Bytes{0x00, 0x00}));
}

TEST(PackedDecimalRoundTrip, IntegersAcrossSizesAndPlaces) {
    for (size_t size : {1u, 2u, 5u, 9u}) {
        const int64_t maxDigits = [&] {
            int64_t m = 1;
            for (size_t i = 0; i < packedDigits(size); ++i) m *= 10;
            return m - 1;
        }();
        for (int64_t v : {int64_t{0}, int64_t{1}, int64_t{-1}, maxDigits, -maxDigits, maxDigits / 7}) {
            Bytes b(size);
            ASSERT_EQ(packDigits(b, v), DecimalStatus::kOk) << size << " " << v;
            int64_t back = 0;
            ASSERT_EQ(unpackDigits(b, back), DecimalStatus::kOk);
            EXPECT_EQ(back, v) << size;
        }
    }
    Bytes b(4);
    ASSERT_EQ(packInteger(b, 2, -12345), DecimalStatus::kOk);
    int64_t digits = 0, whole = 0;
    ASSERT_EQ(unpackDigits(b, digits), DecimalStatus::kOk);
    ASSERT_EQ(unpackInteger(b, 2, whole), DecimalStatus::kOk);
    EXPECT_EQ(digits, -1234500);
    EXPECT_EQ(whole, -12345);
}

TEST(PackedDecimalRoundTrip, WholeNumberCutsTheFractionTowardsZero) {
    Bytes b(3);
    ASSERT_EQ(packDigits(b, -1299), DecimalStatus::kOk);
    int64_t whole = 0;
    ASSERT_EQ(unpackInteger(b, 2, whole), DecimalStatus::kOk);
    EXPECT_EQ(whole, -12);
}

TEST(PackedDecimalRoundTrip, DoublesRoundHalfAwayFromZero) {
    Bytes b(4);
    double back = 0;
    // The decision follows the double's exact value: 2.675 is stored a hair
    // below the half, 12.345 a hair above it.
    ASSERT_EQ(packDouble(b, 2, 2.675), DecimalStatus::kOk);
    ASSERT_EQ(unpackDouble(b, 2, back), DecimalStatus::kOk);
    EXPECT_DOUBLE_EQ(back, 2.67);
    ASSERT_EQ(packDouble(b, 2, 12.345), DecimalStatus::kOk);
    ASSERT_EQ(unpackDouble(b, 2, back), DecimalStatus::kOk);
    EXPECT_DOUBLE_EQ(back, 12.35);
    ASSERT_EQ(packDouble(b, 2, 0.125), DecimalStatus::kOk);  // exactly half
    ASSERT_EQ(unpackDouble(b, 2, back), DecimalStatus::kOk);
    EXPECT_DOUBLE_EQ(back, 0.13);
    ASSERT_EQ(packDouble(b, 2, -0.125), DecimalStatus::kOk);
    ASSERT_EQ(unpackDouble(b, 2, back), DecimalStatus::kOk);
    EXPECT_DOUBLE_EQ(back, -0.13);
    ASSERT_EQ(packDouble(b, 0, 99.5), DecimalStatus::kOk);
    ASSERT_EQ(unpackDouble(b, 0, back), DecimalStatus::kOk);
    EXPECT_DOUBLE_EQ(back, 100);
    ASSERT_EQ(packDouble(b, 3, 1234.567), DecimalStatus::kOk);
    ASSERT_EQ(unpackDouble(b, 3, back), DecimalStatus::kOk);
    EXPECT_DOUBLE_EQ(back, 1234.567);
}

TEST(PackedDecimalOverflow, ReportedAndDestinationLeftAlone) {
    Bytes b{0x01, 0x23};
    EXPECT_EQ(packInteger(b, 0, 1000), DecimalStatus::kOverflow);
    EXPECT_EQ(packInteger(b, 0, -1000), DecimalStatus::kOverflow);
    EXPECT_EQ(packInteger(b, 1, 100), DecimalStatus::kOverflow);
    EXPECT_EQ(packDouble(b, 0, 999.5), DecimalStatus::kOverflow);  // rounds to 1000
    EXPECT_EQ(packDouble(b, 0, std::numeric_limits<double>::quiet_NaN()), DecimalStatus::kOverflow);
    EXPECT_EQ(packDouble(b, 0, std::numeric_limits<double>::infinity()), DecimalStatus::kOverflow);
    EXPECT_EQ(packDigits(b, std::numeric_limits<int64_t>::min()), DecimalStatus::kOverflow);
    EXPECT_EQ(b, (Bytes{0x01, 0x23}));
    EXPECT_EQ(packDouble(b, 0, 999.49), DecimalStatus::kOk);
    EXPECT_EQ(b, (Bytes{0x09, 0x99}));
}

TEST(PackedDecimalOverflow, WideFieldsThatExceedInt64AreReportedOnRead) {
    Bytes b(16, 0x99);
    b[0] = 0x09;  // 31 nines
    int64_t v = 0;
    EXPECT_EQ(unpackDigits(b, v), DecimalStatus::kOverflow);
    double d = 0;
    ASSERT_EQ(unpackDouble(b, 0, d), DecimalStatus::kOk);
    EXPECT_DOUBLE_EQ(d, 1e31);
    // The extremes of int64 still fit a 10-byte field both ways.
    Bytes c(10);
    for (int64_t x : {std::numeric_limits<int64_t>::max(), std::numeric_limits<int64_t>::min()}) {
        ASSERT_EQ(packDigits(c, x), DecimalStatus::kOk);
        ASSERT_EQ(unpackDigits(c, v), DecimalStatus::kOk);
        EXPECT_EQ(v, x);
    }
}

TEST(PackedDecimalDecode, BadDigitNibblesAndLayoutsAreErrors) {
    int64_t v = 77;
    double d = 0;
    EXPECT_EQ(unpackDigits(Bytes{0x00, 0x1A}, v), DecimalStatus::kInvalidDigit);
    EXPECT_EQ(unpackDigits(Bytes{0x0F, 0x00}, v), DecimalStatus::kInvalidDigit);
    EXPECT_EQ(unpackDouble(Bytes{0x00, 0xB0}, 0, d), DecimalStatus::kInvalidDigit);
    EXPECT_EQ(v, 77);
    EXPECT_FALSE(isValidPacked(Bytes{0x00, 0x0F}));
    EXPECT_TRUE(isValidPacked(Bytes{0xF9, 0x99}));
    EXPECT_EQ(unpackDigits(Bytes{}, v), DecimalStatus::kBadLayout);
    EXPECT_EQ(unpackDigits(Bytes(17, 0), v), DecimalStatus::kBadLayout);
    EXPECT_EQ(unpackInteger(Bytes{0x00, 0x00}, 4, v), DecimalStatus::kBadLayout);
}

TEST(PackedDecimalDecode, AnyNonZeroSignNibbleIsNegative) {
    int64_t v = 0;
    for (uint8_t sign : {0x1, 0x8, 0xC, 0xD, 0xF}) {
        ASSERT_EQ(unpackDigits(Bytes{static_cast<uint8_t>(sign << 4 | 0x1), 0x23}, v), DecimalStatus::kOk);
        EXPECT_EQ(v, -123) << int(sign);
    }
    ASSERT_EQ(unpackDigits(Bytes{0xD0, 0x00}, v), DecimalStatus::kOk);
    EXPECT_EQ(v, 0);
}

TEST(PackedDecimalCompare, OrdersByValueAcrossSignsSizesAndPlaces) {
    int r = 99;
    ASSERT_EQ(comparePacked(packedInt(2, 0, -1), 0, packedInt(2, 0, 0), 0, r), DecimalStatus::kOk);
    EXPECT_LT(r, 0);
    ASSERT_EQ(comparePacked(packedInt(2, 0, -5), 0, packedInt(2, 0, -50), 0, r), DecimalStatus::kOk);
    EXPECT_GT(r, 0);
    ASSERT_EQ(comparePacked(packedInt(2, 0, 7), 0, packedInt(5, 3, 7), 3, r), DecimalStatus::kOk);
    EXPECT_EQ(r, 0);
    Bytes oneFifty(3), onePointFive(2);
    ASSERT_EQ(packDigits(oneFifty, 150), DecimalStatus::kOk);     // 1.50 with 2 places
    ASSERT_EQ(packDigits(onePointFive, 15), DecimalStatus::kOk);  // 1.5 with 1 place
    ASSERT_EQ(comparePacked(oneFifty, 2, onePointFive, 1, r), DecimalStatus::kOk);
    EXPECT_EQ(r, 0);
    ASSERT_EQ(comparePacked(Bytes{0xD0, 0x00}, 0, Bytes{0x00, 0x00}, 0, r), DecimalStatus::kOk);
    EXPECT_EQ(r, 0);
    Bytes huge(16, 0x99);
    huge[0] = 0x09;
    ASSERT_EQ(comparePacked(huge, 0, packedInt(10, 0, std::numeric_limits<int64_t>::max()), 0, r),
              DecimalStatus::kOk);
    EXPECT_GT(r, 0);
    EXPECT_EQ(comparePacked(Bytes{0x00, 0xA0}, 0, Bytes{0x00, 0x00}, 0, r), DecimalStatus::kInvalidDigit);
}

}  // namespace
}  // namespace linkar::runtime
