// Pictures: which texts compile, the templates they give, and the display and
// reading back of numbers, dates, times, patterns and texts.
#include "runtime/picture.h"

#include <gtest/gtest.h>

#include "runtime/date.h"
#include "runtime/intl.h"
#include "runtime/picture_deformat.h"
#include "runtime/picture_format.h"
#include "runtime/picture_layout.h"

namespace linkar::runtime {
namespace {

class PictureTest : public ::testing::Test {
protected:
    void SetUp() override { resetIntl(); }
    void TearDown() override { resetIntl(); }
};

std::string fmt(std::string_view picture, double value) {
    return formatNumber(compilePicture(picture), value);
}

std::optional<double> read(std::string_view picture, std::string_view text) {
    return deformatNumber(compilePicture(picture), text);
}

const std::int32_t kJan5th1997 = composeDate(1997, 1, 5);

TEST_F(PictureTest, TextPictureLengthBounds) {
    EXPECT_FALSE(compilePicture("@S0").valid());
    EXPECT_FALSE(compilePicture("@S256").valid());
    EXPECT_TRUE(compilePicture("@S255").valid());
    EXPECT_TRUE(compilePicture("@S10   ").valid());
    EXPECT_FALSE(compilePicture("@S10x").valid());
    EXPECT_FALSE(compilePicture("@S").valid());
    EXPECT_FALSE(compilePicture("").valid());
    EXPECT_FALSE(compilePicture("@").valid());
    EXPECT_FALSE(compilePicture("@Q5").valid());
    EXPECT_FALSE(compilePicture("@" + std::string(256, 'S')).valid());
    const CompiledPicture s60 = compilePicture("@S60");
    EXPECT_EQ(s60.kind(), PictureKind::Text);
    EXPECT_EQ(s60.width(), 60);
    EXPECT_EQ(s60.compiledSize(), 2u);
    EXPECT_EQ(s60.header(), (60 << 8) | 5);
    EXPECT_EQ(compilePicture("s10").width(), 10);  // at sign optional, either case
    EXPECT_EQ(compilePicture("@S0").compiledSize(), 0u);
}

TEST_F(PictureTest, TextPictureCutsAndPads) {
    const CompiledPicture s10 = compilePicture("@s10");
    EXPECT_EQ(formatText(s10, "abc"), "abc       ");
    EXPECT_EQ(formatText(s10, "abcdefghijKLM"), "abcdefghij");
    EXPECT_EQ(deformatText(s10, "abc       "), "abc");
    EXPECT_EQ(formatNumber(compilePicture("@S4"), 12), "12  ");
}

TEST_F(PictureTest, DatePicturesWithAndWithoutSeparatorChoice) {
    EXPECT_EQ(fmt("@D1", kJan5th1997), " 1/05/97");
    EXPECT_EQ(fmt("@D2", kJan5th1997), " 1/05/1997");
    EXPECT_EQ(fmt("@D6.", kJan5th1997), " 5.01.1997");
    EXPECT_EQ(fmt("@D1-", kJan5th1997), " 1-05-97");
    EXPECT_EQ(fmt("@D1_", kJan5th1997), " 1 05 97");
    EXPECT_EQ(fmt("@D1`", kJan5th1997), " 1,05,97");
    EXPECT_EQ(fmt("@D3", kJan5th1997), "Jan  5,1997");
    EXPECT_EQ(fmt("@D4", kJan5th1997), "January       5, 1997");
    EXPECT_EQ(fmt("@D8", kJan5th1997), " 5 Jan 1997");
    EXPECT_EQ(fmt("@D10", kJan5th1997), "1997/01/05");
    EXPECT_EQ(fmt("@D11", kJan5th1997), "970105");
    EXPECT_EQ(fmt("@D12", kJan5th1997), "19970105");
    EXPECT_EQ(fmt("@D14", kJan5th1997), " 1/1997");
    EXPECT_EQ(fmt("@D19", kJan5th1997), " 5 January   1997");
    EXPECT_EQ(compilePicture("@D4").width(), 21);
    EXPECT_EQ(compilePicture("@D3").width(), 11);
}

TEST_F(PictureTest, DateFillChoiceAndInvalidDateTexts) {
    EXPECT_EQ(fmt("@D01", kJan5th1997), "01/05/97");
    EXPECT_EQ(fmt("@D*1", kJan5th1997), "*1/05/97");
    EXPECT_EQ(fmt("@D_6.", kJan5th1997), " 5.01.1997");
    EXPECT_FALSE(compilePicture("@D0").valid());
    EXPECT_FALSE(compilePicture("@D21").valid());
    EXPECT_FALSE(compilePicture("@D1x").valid());
    EXPECT_FALSE(compilePicture("@D").valid());
    EXPECT_FALSE(compilePicture("@T9").valid());
    EXPECT_TRUE(compilePicture("@D1 ").valid());
    // Nothing to show: no date, or one outside the calendar.
    EXPECT_EQ(fmt("@D1", 0), "        ");
    EXPECT_EQ(fmt("@D1", -3), "        ");
    EXPECT_EQ(fmt("@D1", 1e12), "        ");
}

TEST_F(PictureTest, DateTemplateCodes) {
    const CompiledPicture d1 = compilePicture("@D1");
    const PictureTemplate& t = d1.positions();
    ASSERT_EQ(t.size(), 8u);
    EXPECT_EQ(t[0], (PicturePosition{' ', kPosMonthDigit}));
    EXPECT_EQ(t[1], (PicturePosition{'0', kPosMonthDigit}));
    EXPECT_EQ(t[2], (PicturePosition{'/', kPosSeparator}));
    EXPECT_EQ(t[6], (PicturePosition{'0', kPosYearDigit}));
    EXPECT_EQ(compilePicture("@D1").compiledSize(), 18u);
}

TEST_F(PictureTest, DatesReadBack) {
    EXPECT_EQ(read("@D1", " 1/05/97"), kJan5th1997);
    EXPECT_EQ(read("@D2", "1/5/1997"), kJan5th1997);
    EXPECT_EQ(read("@D6.", "05.01.1997"), kJan5th1997);
    EXPECT_EQ(read("@D11", "970105"), kJan5th1997);
    EXPECT_EQ(read("@D12", "19970105"), kJan5th1997);
    EXPECT_EQ(read("@D4", "January 5, 1997"), kJan5th1997);
    EXPECT_EQ(read("@D8", "5 jan 1997"), kJan5th1997);
    EXPECT_EQ(read("@D1", ""), 0);
    EXPECT_FALSE(read("@D1", "2/30/97").has_value());
    EXPECT_FALSE(read("@D1", "13/01/97").has_value());
    EXPECT_FALSE(read("@D8", "5 Foo 1997").has_value());
    EXPECT_FALSE(read("@D1", "1/2/3/4").has_value());
    for (int picture : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 17, 18, 19, 20}) {
        const CompiledPicture p = compilePicture("@D" + std::to_string(picture));
        const std::int32_t date = composeDate(1963, 11, 22);
        EXPECT_EQ(deformatNumber(p, formatNumber(p, date)), date) << "picture D" << picture;
    }
}

TEST_F(PictureTest, TimePictures) {
    const double nineThirty = 1 + (9 * 3600 + 30 * 60 + 15) * 100;
    const double afternoon = 1 + (14 * 3600 + 5 * 60) * 100;
    EXPECT_EQ(fmt("@T1", nineThirty), " 9:30");
    EXPECT_EQ(fmt("@T2", nineThirty), " 930");
    EXPECT_EQ(fmt("@T3", afternoon), " 2:05PM");
    EXPECT_EQ(fmt("@T4", nineThirty), "09:30:15");
    EXPECT_EQ(fmt("@T5", afternoon), "140500");
    EXPECT_EQ(fmt("@T6", nineThirty), " 9:30:15AM");
    EXPECT_EQ(fmt("@T4.", nineThirty), "09.30.15");
    EXPECT_EQ(fmt("@T01", nineThirty), "09:30");
    EXPECT_EQ(fmt("@T3", 1), "12:00AM");
    EXPECT_EQ(fmt("@T1", 0), "     ");
    // Windows short time by default: 12-hour clock, leading zero.
    EXPECT_EQ(fmt("@T7", afternoon), "02:05 PM");
    EXPECT_EQ(fmt("@T8", afternoon), "02:05:00 PM");
    EXPECT_EQ(read("@T1", "9:30"), 1 + (9 * 3600 + 30 * 60) * 100);
    EXPECT_EQ(read("@T4", "093015"), nineThirty);
    EXPECT_EQ(read("@T3", " 2:05PM"), afternoon);
    EXPECT_EQ(read("@T3", "12:00am"), 1);
    EXPECT_FALSE(read("@T1", "25:00").has_value());
    EXPECT_FALSE(read("@T1", "9:61").has_value());
    EXPECT_FALSE(read("@T3", "13:00 PM").has_value());
}

TEST_F(PictureTest, NumericPicturesOfTheProgram) {
    EXPECT_EQ(fmt("@N2", 7), " 7");
    EXPECT_EQ(fmt("@N2", 42), "42");
    EXPECT_EQ(fmt("@N2", 123), "##");
    EXPECT_FALSE(numberFits(compilePicture("@N2"), 123));
    EXPECT_TRUE(numberFits(compilePicture("@N2"), 99));
    EXPECT_EQ(fmt("@N3", 100), "100");
    EXPECT_EQ(fmt("@N3", 5), "  5");
    EXPECT_EQ(fmt("@n5", 12), "   12");
    EXPECT_EQ(fmt("@N2", 0), " 0");
    EXPECT_EQ(fmt("@N2B", 0), "  ");
    EXPECT_EQ(fmt("@N2", -5), "-5");
    EXPECT_EQ(fmt("@N2", -50), "##");
    EXPECT_EQ(read("@N2", " 7"), 7);
    EXPECT_EQ(read("@N2", ""), 0);
    EXPECT_FALSE(read("@N2", "7x").has_value());
}

TEST_F(PictureTest, NumericElements) {
    EXPECT_EQ(fmt("@N10.2", 1234.5), "   1234.50");
    EXPECT_EQ(fmt("@N10`2", 1234.5), "   1234,50");
    EXPECT_EQ(fmt("@N12.`2", 1234567.891), "1.234.567,89");  // grouping point, decimal comma
    EXPECT_EQ(fmt("@N10.`2", 1234567.891), "##########");   // the size counts the marks
    EXPECT_EQ(fmt("@N12`.2", 1234567.891), "1,234,567.89");
    EXPECT_EQ(fmt("@N10`", -1234567), "-1,234,567");
    EXPECT_EQ(fmt("@N9`", -1234567), "#########");
    EXPECT_EQ(fmt("@N010`", 1234), "00,001,234");
    EXPECT_EQ(fmt("@N-6", -42), "-    42");
    EXPECT_EQ(fmt("@N-6", 42), "     42");
    EXPECT_EQ(fmt("@N(6)", -42), "(    42)");
    EXPECT_EQ(fmt("@N6-", -42), "    42-");
    EXPECT_EQ(fmt("@N06", 42), "000042");
    EXPECT_EQ(fmt("@N*6", 42), "****42");
    EXPECT_EQ(fmt("@N$8.2", 3.5), "$    3.50");
    EXPECT_EQ(fmt("@N~EUR ~6", 3), "EUR      3");
    EXPECT_EQ(fmt("@N6~ kg~", 3), "     3 kg");
    EXPECT_EQ(fmt("@N5v2", 1.23), "  123");
    EXPECT_EQ(fmt("@N4.2", 0.5), "0.50");
    EXPECT_EQ(fmt("@N3.2", 0.5), ".50");
    EXPECT_EQ(fmt("@N6.2", -0.004), "  0.00");
    EXPECT_EQ(read("@N12`.2", "1,234,567.89"), 1234567.89);
    EXPECT_EQ(read("@N10.`2", "1.234,50"), 1234.5);
    EXPECT_EQ(read("@N(6)", "(   42)"), -42);
    EXPECT_EQ(read("@N5v2", "123"), 1.23);
    EXPECT_EQ(read("@N$8.2", "$  3.50"), 3.5);
    EXPECT_EQ(compilePicture("@N$8.2").width(), 9);
    EXPECT_EQ(compilePicture("@N(6)").width(), 8);
}

TEST_F(PictureTest, InvalidNumericTexts) {
    for (const char* text : {"@N", "@N0", "@N256", "@N(6", "@N-6)", "@N6x", "@N~EUR6",
                             "@N-6-", "@N3.5", "@N.2", "@N5..2", "@E"}) {
        EXPECT_FALSE(compilePicture(text).valid()) << text;
    }
    // A number of positions the header byte cannot hold.
    EXPECT_FALSE(compilePicture("@N$255").valid());
    EXPECT_TRUE(compilePicture("@N255").valid());
}

TEST_F(PictureTest, PatternsAndKeyIn) {
    EXPECT_EQ(fmt("@pPage <<<#p", 7), "Page    7");
    EXPECT_EQ(fmt("@pPage <<<#p", 1234), "Page 1234");
    EXPECT_EQ(fmt("@pPage <<<#p", 12345), "#########");
    EXPECT_EQ(fmt("@P###-##P", 1234), "012-34");
    EXPECT_EQ(fmt("@P<<<P", 0), "   ");
    EXPECT_EQ(compilePicture("@pPage <<<#p").width(), 9);
    EXPECT_FALSE(compilePicture("@pPage <<<#P").valid());  // closing letter in the other case
    EXPECT_FALSE(compilePicture("@PP").valid());
    EXPECT_EQ(read("@P###-##P", "012-34"), 1234);
    const CompiledPicture key = compilePicture("@K(###) @@@K");
    ASSERT_TRUE(key.valid());
    EXPECT_EQ(formatText(key, "555abc"), "(555) abc");
    EXPECT_EQ(deformatText(key, "(555) abc"), "555abc");
}

TEST_F(PictureTest, ScientificPictures) {
    EXPECT_EQ(fmt("@E12.2", 12345), "    1.23e+04");
    EXPECT_EQ(fmt("@E12`2", 12345), "    1,23e+04");
    EXPECT_EQ(fmt("@E4.2", 12345), "####");
    EXPECT_EQ(read("@E12.2", "1.23e+04"), 12300);
}

TEST_F(PictureTest, LayoutTexts) {
    EXPECT_EQ(dateLayoutText(1), "Mm/dd/yy");
    EXPECT_EQ(dateLayoutText(4), "NNNNNNNNN Dd, yyyy");
    EXPECT_EQ(dateLayoutText(16), "yyyy/mm");
    EXPECT_EQ(dateLayoutText(19), "Dd NNNNNNNNN yyyy");
    EXPECT_EQ(dateLayoutText(20), "NNNNNNNNN Dd yyyy");
    EXPECT_EQ(dateLayoutText(17), "mm/dd/yy");
    EXPECT_EQ(dateLayoutText(18), "NNNNNNNNN dd, yyyy");
    EXPECT_EQ(dateLayoutText(21), "");
    EXPECT_EQ(timeLayoutText(3), "Hh:mmPP");
    EXPECT_EQ(timeLayoutText(7), "hh:mm PM");
    EXPECT_EQ(timeLayoutText(8), "hh:mm:ss PM");
}

}  // namespace
}  // namespace linkar::runtime
