// Evaluating expressions: the comparison rules, the arithmetic and text rules,
// truth values, bound variables of every storage type read at evaluation
// time, indexing and slicing, and the browse filter over a category.
#include "runtime/expr_eval.h"

#include <gtest/gtest.h>

#include <cstring>

#include "runtime/char_tables.h"
#include "runtime/expr_symbols.h"
#include "runtime/packed_decimal.h"

namespace linkar::runtime {
namespace {

class ExprEvalTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSymbols();
        resetCharTables();
    }
    void TearDown() override {
        resetSymbols();
        resetCharTables();
    }
};

Value eval(std::string_view text) {
    ExprTree t = compileExpression(text);
    EXPECT_TRUE(t) << text;
    return t ? evaluateValue(*t) : Value::integer(-999);
}

int truth(std::string_view text) { return eval(text).asInteger(); }

void setFixed(char* field, std::size_t size, std::string_view text) {
    std::memset(field, ' ', size);
    std::memcpy(field, text.data(), std::min(size, text.size()));
}

TEST_F(ExprEvalTest, TextComparisonsIgnoreTrailingBlanksButNotCase) {
    EXPECT_EQ(truth("'abc' = 'abc   '"), 1);
    EXPECT_EQ(truth("'abc   ' = 'abc'"), 1);
    EXPECT_EQ(truth("'abc' < 'abcd'"), 1);
    EXPECT_EQ(truth("'abcd' > 'abc  '"), 1);
    EXPECT_EQ(truth("'abc' = 'ABC'"), 0);
    EXPECT_EQ(truth("'B' < 'a'"), 1);  // byte order by default
    EXPECT_EQ(truth("'' = '   '"), 1);
    // A character below the blank in the rest makes the longer text lower.
    EXPECT_EQ(truth("'abc' & CHR(9) < 'abc'"), 1);
}

TEST_F(ExprEvalTest, TextComparisonsFollowTheCollatingTable) {
    CharTable table = collationTable();
    std::swap(table['a'], table['B']);
    setCollationTable(table);
    EXPECT_EQ(truth("'B' < 'a'"), 0);
    EXPECT_EQ(truth("'a' < 'B'"), 1);
}

TEST_F(ExprEvalTest, NumericComparisons) {
    EXPECT_EQ(truth("-2147483647 - 1 < 2147483647"), 1);
    EXPECT_EQ(truth("0.1 + 0.2 = 0.3"), 1);
    EXPECT_EQ(truth("1 = 1.0000001"), 0);
    EXPECT_EQ(truth("1.5 > 1"), 1);
    // Zero counts with the exponent of 1: tiny values equal it, small ones do not.
    EXPECT_EQ(truth("0 = 1e-20"), 1);
    EXPECT_EQ(truth("0 = 1e-10"), 0);
    EXPECT_EQ(truth("1e300 = 1e300 + 1e250"), 1);
    // A text against a number compares as reals.
    EXPECT_EQ(truth("'10' = 10"), 1);
    EXPECT_EQ(truth("'10' < 9"), 0);
    EXPECT_EQ(truth("' 2.50' = 2.5"), 1);
}

TEST_F(ExprEvalTest, Arithmetic) {
    EXPECT_EQ(eval("7 / 2").asReal(), 3.5);
    EXPECT_EQ(eval("6 / 2").valueClass(), ValueClass::Integer);
    EXPECT_EQ(eval("7 % 3").asInteger(), 1);
    EXPECT_EQ(eval("-7 % 3").asInteger(), -1);
    EXPECT_EQ(eval("7.5 % 2").asReal(), 1.5);
    EXPECT_EQ(eval("1 / 0").asInteger(), 0);
    EXPECT_EQ(eval("1 % 0").asInteger(), 0);
    EXPECT_EQ(eval("2147483647 + 1").asReal(), 2147483648.0);
    EXPECT_EQ(eval("2147483647 + 1").valueClass(), ValueClass::Real);
    EXPECT_EQ(eval("65536 * 65536").asReal(), 4294967296.0);
    EXPECT_EQ(eval("-(-2147483647 - 1)").asReal(), 2147483648.0);
    EXPECT_EQ(eval("'3' + 4").asInteger(), 7);
    EXPECT_EQ(eval("'x' + 4").asInteger(), 4);
    EXPECT_EQ(eval("2 ^ 10").valueClass(), ValueClass::Integer);
    EXPECT_EQ(eval("(0 - 8) ^ 0.5").asReal(), 0.0);  // not a number: 0
    EXPECT_EQ(eval("'a' & 1 & 2.5").asText(), "a12.5");
}

TEST_F(ExprEvalTest, TruthValues) {
    EXPECT_EQ(truth("NOT ''"), 1);
    EXPECT_EQ(truth("NOT '   '"), 1);
    EXPECT_EQ(truth("NOT 'x'"), 0);
    EXPECT_EQ(truth("NOT 0.0"), 1);
    EXPECT_EQ(truth("2 AND 'x'"), 1);
    EXPECT_EQ(truth("0 OR ''"), 0);
    EXPECT_EQ(truth("1 XOR 1"), 0);
    EXPECT_EQ(truth("1 XOR 0"), 1);
    ExprTree t = compileExpression("3 > 2");
    ASSERT_TRUE(t);
    EXPECT_TRUE(evaluateTruth(*t));
}

TEST_F(ExprEvalTest, VariablesOfEveryStorageTypeAreReadWhenEvaluated) {
    std::uint8_t byte = 200;
    std::int16_t shortValue = -300;
    std::int32_t longValue = 70000;
    std::uint32_t ulong = 4000000000u;
    float sreal = 1.5f;
    double real = -2.25;
    std::uint8_t rating[2];
    ASSERT_EQ(packInteger(rating, 0, 42), DecimalStatus::kOk);
    char text[10];
    setFixed(text, sizeof text, "abc");
    char ctext[8] = "hi\0xxxx";
    char ptext[6] = {3, 'x', 'y', 'z', 'q', 'q'};
    bindName("B", VariableRef{&byte, kVarByte, 1});
    bindName("S", VariableRef{&shortValue, kVarShort, 2});
    bindName("L", VariableRef{&longValue, kVarLong, 4});
    bindName("U", VariableRef{&ulong, kVarULong, 4});
    bindName("F", VariableRef{&sreal, kVarSReal, 4});
    bindName("R", VariableRef{&real, kVarReal, 8});
    bindName("URL:RATING", VariableRef{rating, kVarDecimal, 2, 0});
    bindName("T", VariableRef{text, kVarString, sizeof text});
    bindName("C", VariableRef{ctext, kVarCString, sizeof ctext});
    bindName("P", VariableRef{ptext, kVarPString, sizeof ptext});
    EXPECT_EQ(eval("B + S + L").asInteger(), 200 - 300 + 70000);
    EXPECT_EQ(eval("U").asReal(), 4000000000.0);
    EXPECT_EQ(eval("F * R").asReal(), -3.375);
    EXPECT_EQ(eval("URL:RATING + 1").asReal(), 43.0);
    EXPECT_EQ(eval("T").asText(), "abc       ");
    EXPECT_EQ(eval("LEN(T)").asInteger(), 10);
    EXPECT_EQ(eval("C & P").asText(), "hixyz");
    ExprTree t = compileExpression("L > 100000");
    ASSERT_TRUE(t);
    EXPECT_FALSE(evaluateTruth(*t));
    longValue = 100001;
    EXPECT_TRUE(evaluateTruth(*t));
    EXPECT_EQ(evaluateText(*compileExpression("URL:RATING"), "@N3"), " 42");
}

TEST_F(ExprEvalTest, IndexAndSlice) {
    char text[10];
    setFixed(text, sizeof text, "Hello");
    std::int32_t numbers[3] = {10, 20, 30};
    bindName("T", VariableRef{text, kVarString, sizeof text});
    bindName("A", VariableRef{numbers, kVarLong, 4, 0, 3});
    EXPECT_EQ(eval("T[2]").asText(), "e");
    EXPECT_EQ(eval("T[2:4]").asText(), "ell");
    EXPECT_EQ(eval("T[0]").asText(), "");
    EXPECT_EQ(eval("T[11]").asText(), "");
    EXPECT_EQ(eval("T[4:2]").asText(), "");
    EXPECT_EQ(eval("T[-5:2]").asText(), "He");
    EXPECT_EQ(eval("T[9:20]").asText(), "  ");
    EXPECT_EQ(eval("A[2] + A[3]").asInteger(), 50);
    EXPECT_EQ(eval("A[4]").asInteger(), 0);
    EXPECT_EQ(eval("A").asInteger(), 10);
}

TEST_F(ExprEvalTest, BrowseFilterMatchesTheCategoryInAnyCase) {
    char category[15];
    char resetCategory[15];
    bindName("URL:Category", VariableRef{category, kVarString, sizeof category});
    bindName("BRW1::Sort2:Reset:CAT:Category", VariableRef{resetCategory, kVarString, sizeof resetCategory});
    ExprTree filter = compileExpression("UPPER(URL:Category) = UPPER(BRW1::Sort2:Reset:CAT:Category)");
    ASSERT_TRUE(filter);
    setFixed(resetCategory, sizeof resetCategory, "News");
    setFixed(category, sizeof category, "NEWS");
    EXPECT_TRUE(evaluateTruth(*filter));
    setFixed(category, sizeof category, "news");
    EXPECT_TRUE(evaluateTruth(*filter));
    setFixed(category, sizeof category, "Newsy");
    EXPECT_FALSE(evaluateTruth(*filter));
    setFixed(category, sizeof category, "New");
    EXPECT_FALSE(evaluateTruth(*filter));
    setFixed(category, sizeof category, "");
    EXPECT_FALSE(evaluateTruth(*filter));
}

TEST_F(ExprEvalTest, TextWithAPicture) {
    ExprTree t = compileExpression("1234.5");
    ASSERT_TRUE(t);
    EXPECT_EQ(evaluateText(*t), "1234.5");
    EXPECT_EQ(evaluateText(*t, "@N10`.2"), "  1,234.50");
    EXPECT_EQ(evaluateText(*t, "N10`.2"), "  1,234.50");
    EXPECT_EQ(evaluateText(*t, "@Q"), "1234.5");
    ExprTree s = compileExpression("'abc'");
    EXPECT_EQ(evaluateText(*s, "@S5"), "abc  ");
}

}  // namespace
}  // namespace linkar::runtime
