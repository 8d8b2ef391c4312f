// The built-in functions: text, number, bit and date functions, with their
// defaults for missing arguments, and AGE in days, months and years.
#include "runtime/expr_builtins.h"

#include <gtest/gtest.h>

#include "runtime/char_tables.h"
#include "runtime/date.h"
#include "runtime/expr_eval.h"
#include "runtime/expr_parser.h"
#include "runtime/expr_symbols.h"
#include "runtime/intl.h"

namespace linkar::runtime {
namespace {

class ExprBuiltinsTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSymbols();
        resetCharTables();
        resetIntl();
    }
    void TearDown() override { SetUp(); }
};

Value eval(std::string_view text) {
    ExprTree t = compileExpression(text);
    EXPECT_TRUE(t) << text;
    return t ? evaluateValue(*t) : Value::integer(-999);
}

std::string text(std::string_view expression) { return eval(expression).asText(); }

TEST_F(ExprBuiltinsTest, Substrings) {
    EXPECT_EQ(text("SUB('abcdef', 2, 3)"), "bcd");
    EXPECT_EQ(text("SUB('abcdef', 4)"), "def");
    EXPECT_EQ(text("SUB('abcdef', -2, 2)"), "ef");
    EXPECT_EQ(text("SUB('abcdef', 5, 10)"), "ef");
    EXPECT_EQ(text("SUB('abcdef', 0, 2)"), "a");
    EXPECT_EQ(text("SUB('abcdef', 9, 2)"), "");
    EXPECT_EQ(text("SUB('abcdef', 2, -1)"), "");
    EXPECT_EQ(text("SUB('abc', -10, 12)"), "abc");  // positions -6 to 5
    EXPECT_EQ(text("SUB('abc', -10, 8)"), "a");
}

TEST_F(ExprBuiltinsTest, Instring) {
    EXPECT_EQ(eval("INSTRING('c', 'abcabc')").asInteger(), 3);
    EXPECT_EQ(eval("INSTRING('c', 'abcabc', 1, 4)").asInteger(), 6);
    EXPECT_EQ(eval("INSTRING('bc', 'abcabc', 3, 1)").asInteger(), 0);  // 1, 4: no match
    EXPECT_EQ(eval("INSTRING('ca', 'abcabc', 3, 3)").asInteger(), 3);
    EXPECT_EQ(eval("INSTRING('a', 'abcabc', -1, 6)").asInteger(), 4);
    EXPECT_EQ(eval("INSTRING('', 'abc')").asInteger(), 0);
    EXPECT_EQ(eval("INSTRING('a', 'abc', 0)").asInteger(), 0);
    EXPECT_EQ(eval("INSTRING('abcd', 'abc')").asInteger(), 0);
    EXPECT_EQ(eval("INSTRING('a', 'abcabc', -2, 9)").asInteger(), 1);  // 5 and 3 hold no "a"
    EXPECT_EQ(eval("INSTRING('a', 'abcabc', -3, 10)").asInteger(), 4);  // 7 lies past the end
    EXPECT_EQ(eval("INSTRING('aab', 'aaaab')").asInteger(), 3);
    EXPECT_EQ(eval("INSTRING('aa', 'aaaa', 2, 2)").asInteger(), 2);  // overlapping matches count
    EXPECT_EQ(eval("INSTRING('aa', 'aaaa', 1, 3)").asInteger(), 3);
    // Many near matches in long texts are found quickly.
    EXPECT_EQ(eval("INSTRING(ALL('a', 30000) & 'b', ALL('a', 65000) & 'b')").asInteger(), 35001);
}

TEST_F(ExprBuiltinsTest, BlanksAndCase) {
    EXPECT_EQ(text("CLIP('  ab  ')"), "  ab");
    EXPECT_EQ(text("LEFT('  ab  ')"), "ab    ");
    EXPECT_EQ(text("LEFT('  ab', 3)"), "ab ");
    EXPECT_EQ(text("RIGHT('ab  ')"), "  ab");
    EXPECT_EQ(text("CENTER('ab', 6)"), "  ab  ");
    EXPECT_EQ(text("CENTER('ab', 5)"), " ab  ");
    EXPECT_EQ(text("CENTER(' ab   ')"), "  ab  ");
    EXPECT_EQ(text("CENTER('abcdef', 3)"), "abc");
    EXPECT_EQ(text("ALL('ab', 5)"), "ababa");
    EXPECT_EQ(text("ALL('-')").size(), 255u);
    EXPECT_EQ(text("ALL('x', 999999999)").size(), kMaxTextValue);
    EXPECT_EQ(text("UPPER('abc-xyz')"), "ABC-XYZ");
    EXPECT_EQ(text("LOWER('ABC-XYZ')"), "abc-xyz");
    EXPECT_EQ(text("UPPER('\xE9')"), "\xE9");  // ASCII letters only by default
    EXPECT_EQ(eval("LEN('abc  ')").asInteger(), 5);
    EXPECT_EQ(eval("LEN('')").asInteger(), 0);
}

TEST_F(ExprBuiltinsTest, CharacterCodesAndNumbersInText) {
    EXPECT_EQ(text("CHR(65)"), "A");
    EXPECT_EQ(text("CHR(321)"), "A");
    EXPECT_EQ(eval("VAL('A')").asInteger(), 65);
    EXPECT_EQ(eval("VAL('\xE9')").asInteger(), 0xE9);
    EXPECT_EQ(eval("VAL('')").asInteger(), 0);
    EXPECT_EQ(eval("NUMERIC(' -12.5e3 ')").asInteger(), 1);
    EXPECT_EQ(eval("NUMERIC('12a')").asInteger(), 0);
    EXPECT_EQ(eval("NUMERIC('')").asInteger(), 0);
    EXPECT_EQ(eval("NUMERIC('.')").asInteger(), 0);
    EXPECT_EQ(eval("NUMERIC('1e')").asInteger(), 0);
}

TEST_F(ExprBuiltinsTest, FormatAndDeformat) {
    EXPECT_EQ(text("FORMAT(42, '@N5')"), "   42");
    EXPECT_EQ(text("FORMAT('abc', @S5)"), "abc  ");
    EXPECT_EQ(text("FORMAT(42, 'nonsense')"), "42");
    EXPECT_EQ(text("DEFORMAT('1,234.50', @N10`.2)"), "1234.5");
    EXPECT_EQ(text("DEFORMAT(' 1/05/97', '@D1')"), std::to_string(composeDate(1997, 1, 5)));
    EXPECT_EQ(text("DEFORMAT('$1,234.50')"), "1234.50");
    EXPECT_EQ(text("DEFORMAT('abc', @N5)"), "");
}

TEST_F(ExprBuiltinsTest, NumberFunctions) {
    EXPECT_EQ(eval("INT(-3.7)").asInteger(), -3);
    EXPECT_EQ(eval("INT(3.7)").valueClass(), ValueClass::Integer);
    EXPECT_EQ(eval("ABS(-2)").asReal(), 2.0);
    EXPECT_EQ(eval("ABS(-2)").valueClass(), ValueClass::Real);
    EXPECT_EQ(eval("ROUND(3.14159, 0.01) = 3.14").asInteger(), 1);
    EXPECT_EQ(eval("ROUND(2.5)").asReal(), 3.0);
    EXPECT_EQ(eval("ROUND(-2.5)").asReal(), -3.0);
    EXPECT_EQ(eval("ROUND(1234, 100)").asReal(), 1200.0);
    EXPECT_EQ(eval("ROUND(7, 0)").asReal(), 7.0);
    EXPECT_EQ(eval("SQRT(16)").asReal(), 4.0);
    EXPECT_EQ(eval("SQRT(-1)").asReal(), 0.0);
    EXPECT_EQ(eval("LOG10(1000) = 3").asInteger(), 1);
    EXPECT_EQ(eval("LOGE(0)").asReal(), 0.0);
    EXPECT_EQ(eval("ASIN(2)").asReal(), 0.0);
    EXPECT_EQ(eval("ACOS(1)").asReal(), 0.0);
    EXPECT_EQ(eval("ATAN(1) * 4 = 3.141592653589793").asInteger(), 1);
    // Equal means equal to about 50 bits, not to 15 digits.
    EXPECT_EQ(eval("ATAN(1) * 4 = 3.14159265358979").asInteger(), 0);
    EXPECT_EQ(eval("SIN(0) + COS(0) + TAN(0)").asReal(), 1.0);
    EXPECT_EQ(eval("INRANGE(5, 1, 10)").asInteger(), 1);
    EXPECT_EQ(eval("INRANGE(11, 1, 10)").asInteger(), 0);
    EXPECT_EQ(eval("INRANGE('b', 'a', 'c')").asInteger(), 1);
    for (int i = 0; i < 50; ++i) {
        const std::int32_t r = eval("RANDOM(6, 1)").asInteger();
        ASSERT_GE(r, 1);
        ASSERT_LE(r, 6);
    }
    EXPECT_EQ(eval("RANDOM(3, 3)").asInteger(), 3);
    EXPECT_GT(eval("MEMORY(0)").asInteger(), 0);
}

TEST_F(ExprBuiltinsTest, BitFunctions) {
    EXPECT_EQ(eval("BAND(12, 10)").asInteger(), 8);
    EXPECT_EQ(eval("BOR(12, 10)").asInteger(), 14);
    EXPECT_EQ(eval("BXOR(12, 10)").asInteger(), 6);
    EXPECT_EQ(eval("BSHIFT(1, 4)").asInteger(), 16);
    EXPECT_EQ(eval("BSHIFT(-1, -28)").asInteger(), 15);
    EXPECT_EQ(eval("BSHIFT(1, 32)").asInteger(), 0);
    EXPECT_EQ(eval("BSHIFT(1, -40)").asInteger(), 0);
}

TEST_F(ExprBuiltinsTest, DateFunctions) {
    const std::int32_t jan5 = composeDate(1997, 1, 5);
    EXPECT_EQ(eval("DATE(1, 5, 1997)").asInteger(), jan5);
    EXPECT_EQ(eval("DATE(1, 5, 97)").asInteger(), jan5);
    EXPECT_EQ(eval("DATE(13, 5, 1996)").asInteger(), jan5);
    EXPECT_EQ(eval("DATE(0, 5, 1997)").asInteger(), composeDate(1996, 12, 5));
    EXPECT_EQ(eval("DATE(2, 30, 1997)").asInteger(), composeDate(1997, 3, 2));
    EXPECT_EQ(eval("DATE(1, 1, 1700)").asInteger(), 0);
    EXPECT_EQ(eval("DAY(DATE(1, 5, 1997))").asInteger(), 5);
    EXPECT_EQ(eval("MONTH(DATE(1, 5, 1997))").asInteger(), 1);
    EXPECT_EQ(eval("YEAR(DATE(1, 5, 1997))").asInteger(), 1997);
    EXPECT_EQ(eval("YEAR(0)").asInteger(), 0);
    EXPECT_EQ(eval("TODAY()").asInteger(), todayDayNumber());
    EXPECT_GE(eval("CLOCK()").asInteger(), 1);
}

TEST_F(ExprBuiltinsTest, AgeInDaysMonthsAndYears) {
    const std::int32_t base = composeDate(2000, 6, 15);
    EXPECT_EQ(ageText(base - 10, base), "10 DAYS");
    EXPECT_EQ(ageText(base, base), "0 DAYS");
    EXPECT_EQ(ageText(base - 60, base), "60 DAYS");
    EXPECT_EQ(ageText(composeDate(2000, 4, 15), base), "2 MOS");  // 61 days
    EXPECT_EQ(ageText(composeDate(2000, 3, 16), base), "2 MOS");  // the day is not yet reached
    EXPECT_EQ(ageText(composeDate(1998, 6, 15), base), "24 MOS");
    EXPECT_EQ(ageText(composeDate(1998, 6, 16), base), "23 MOS");
    EXPECT_EQ(ageText(composeDate(1998, 5, 15), base), "2 YRS");
    EXPECT_EQ(ageText(composeDate(1950, 6, 16), base), "49 YRS");
    EXPECT_EQ(ageText(composeDate(1950, 6, 15), base), "50 YRS");
    // A birth after the base is moved back a century.
    EXPECT_EQ(ageText(composeDate(2050, 6, 15), base), "50 YRS");
    EXPECT_EQ(ageText(composeDate(2150, 6, 15), base), std::string(255, '*'));
    EXPECT_EQ(ageText(composeDate(1900, 3, 1), composeDate(1850, 1, 1)), std::string(255, '*'));
    EXPECT_EQ(ageText(0, base), std::string(255, '*'));
    const std::int32_t today = todayDayNumber();
    EXPECT_EQ(text("AGE(" + std::to_string(today - 3) + ")"), "3 DAYS");
    EXPECT_EQ(text("AGE(" + std::to_string(today - 3) + ", -1)"), "3 DAYS");
}

TEST_F(ExprBuiltinsTest, MissingArgumentsAndUnknownFunctions) {
    EXPECT_EQ(text("UPPER()"), "");
    EXPECT_EQ(text("SUB()"), "");
    // Month 0 and day 0 of year 0 (1900) carry back into 1899.
    EXPECT_EQ(eval("DATE()").asInteger(), composeDate(1899, 11, 30));
    EXPECT_EQ(callBuiltin(99, {}).asInteger(), 0);
}

}  // namespace
}  // namespace linkar::runtime
