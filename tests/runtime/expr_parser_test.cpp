// Compiling expressions: precedence and associativity, the two-token
// comparison forms, argument counts, brackets, literals and picture tokens,
// and what a failed compile posts.
#include "runtime/expr_parser.h"

#include <gtest/gtest.h>

#include "runtime/error_state.h"
#include "runtime/error_texts.h"
#include "runtime/expr_eval.h"
#include "runtime/expr_symbols.h"

namespace linkar::runtime {
namespace {

class ExprParserTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetSymbols();
        clearError();
        for (const char* name : {"x", "y", "z", "URL:Category", "BRW1::Sort2:Reset:CAT:Category",
                                 "Total#", "Name$", "Quote\""}) {
            bindName(name, VariableRef{&m_long, kVarLong, 4});
        }
    }
    void TearDown() override { resetSymbols(); }

    std::int32_t m_long = 0;
};

std::string tree(std::string_view text) {
    ExprTree t = compileExpression(text);
    return t ? describeExpression(*t) : "<none>";
}

Value value(std::string_view text) {
    ExprTree t = compileExpression(text);
    EXPECT_TRUE(t) << text;
    return t ? evaluateValue(*t) : Value::integer(-999);
}

TEST_F(ExprParserTest, BinaryLevelsAssociateToTheLeft) {
    EXPECT_EQ(tree("x = y = z"), "(= (= x y) z)");
    EXPECT_EQ(tree("2 ^ 3 ^ 2"), "(^ (^ 2 3) 2)");
    EXPECT_EQ(value("2 ^ 3 ^ 2").asInteger(), 64);
    EXPECT_EQ(tree("8 - 3 - 2"), "(- (- 8 3) 2)");
    EXPECT_EQ(value("8 - 3 - 2").asInteger(), 3);
    EXPECT_EQ(value("64 / 4 / 2").asInteger(), 8);
    EXPECT_EQ(tree("x OR y XOR z"), "(XOR (OR x y) z)");
}

TEST_F(ExprParserTest, PrecedenceFromOrDownToPower) {
    EXPECT_EQ(tree("x OR y AND z"), "(OR x (AND y z))");
    EXPECT_EQ(tree("NOT x = y"), "(not (= x y))");
    EXPECT_EQ(tree("~x AND y"), "(AND (not x) y)");
    EXPECT_EQ(tree("x = y & z"), "(= x (& y z))");
    EXPECT_EQ(tree("x & y + z"), "(& x (+ y z))");
    EXPECT_EQ(tree("x + y * z"), "(+ x (* y z))");
    EXPECT_EQ(tree("x * y ^ z"), "(* x (^ y z))");
    EXPECT_EQ(tree("-x ^ 2"), "(^ (neg x) 2)");
    EXPECT_EQ(tree("(x + y) * z"), "(* (+ x y) z)");
    EXPECT_EQ(value("1 + 2 * 3").asInteger(), 7);
    EXPECT_EQ(value("1 = 1 AND 2 = 3 OR 1 < 2").asInteger(), 1);
    EXPECT_EQ(value("NOT 1 = 2").asInteger(), 1);
}

TEST_F(ExprParserTest, PrefixSigns) {
    EXPECT_EQ(value("--5").asInteger(), 5);
    EXPECT_EQ(value("---5").asInteger(), -5);
    EXPECT_EQ(value("+-+5").asInteger(), -5);
    EXPECT_EQ(value("- - 5").asInteger(), 5);
    EXPECT_EQ(tree("--5"), "5");
    EXPECT_EQ(value("2 * -3").asInteger(), -6);
    EXPECT_EQ(value("2 ^ -1").asReal(), 0.5);
}

TEST_F(ExprParserTest, TwoTokenComparisons) {
    EXPECT_EQ(tree("x ~= 1"), tree("x <> 1"));
    EXPECT_EQ(tree("x ~= 1"), "(<> x 1)");
    EXPECT_EQ(tree("x < > 1"), "(<> x 1)");
    EXPECT_EQ(tree("x =< 1"), "(<= x 1)");
    EXPECT_EQ(tree("x => 1"), "(>= x 1)");
    EXPECT_EQ(tree("x ~< 1"), "(>= x 1)");
    EXPECT_EQ(tree("x ~> 1"), "(<= x 1)");
    EXPECT_EQ(tree("x <= 1"), "(<= x 1)");
    EXPECT_EQ(tree("x >= 1"), "(>= x 1)");
    EXPECT_EQ(tree("x > -1"), "(> x (neg 1))");
    EXPECT_EQ(tree("x ~ 1"), "<none>");
}

TEST_F(ExprParserTest, ArgumentCounts) {
    EXPECT_EQ(tree("UPPER('a', 'b')"), "<none>");
    EXPECT_EQ(tree("UPPER('a')"), "(UPPER 'a')");
    EXPECT_EQ(tree("INSTRING('a', 'b')"), "(INSTRING 'a' 'b')");
    EXPECT_EQ(tree("INSTRING('a', 'b', 1, 1, 1)"), "<none>");
    EXPECT_EQ(tree("TODAY()"), "(TODAY)");
    EXPECT_EQ(tree("TODAY(1)"), "<none>");
    EXPECT_EQ(tree("TODAY"), "<none>");
    EXPECT_EQ(tree("SUB('abc', 2,)"), "<none>");
    EXPECT_EQ(tree("upper(x)"), "(upper x)");
}

TEST_F(ExprParserTest, BracketsAndLeftovers) {
    EXPECT_EQ(tree("(1 + 2))"), "<none>");
    EXPECT_EQ(tree("(1 + 2"), "<none>");
    EXPECT_EQ(tree(")"), "<none>");
    EXPECT_EQ(tree(""), "<none>");
    EXPECT_EQ(tree("1 2"), "<none>");
    EXPECT_EQ(tree("1 +"), "<none>");
    EXPECT_EQ(tree("1, 2"), "<none>");
    EXPECT_EQ(tree("1 : 2"), "<none>");
    EXPECT_EQ(tree("x[1"), "<none>");
    EXPECT_EQ(tree("x[1:2]"), "(slice x 1 2)");
    EXPECT_EQ(tree("x[y + 1]"), "(index x (+ y 1))");
    EXPECT_EQ(tree("1 $ 2"), "<none>");
    EXPECT_EQ(tree(".5"), "<none>");
    EXPECT_EQ(tree(" \t(1)\t "), "1");
}

TEST_F(ExprParserTest, DeepTextsFailInsteadOfExhaustingTheStack) {
    EXPECT_EQ(tree(std::string(150, '(') + "1" + std::string(150, ')')), "<none>");
    EXPECT_EQ(value(std::string(50, '(') + "1" + std::string(50, ')')).asInteger(), 1);
    std::string chain = "1";
    for (int i = 0; i < 500; ++i) chain += "+1";
    EXPECT_EQ(tree(chain), "<none>");
    std::string shortChain = "1";
    for (int i = 0; i < 100; ++i) shortChain += "+1";
    EXPECT_EQ(value(shortChain).asInteger(), 101);
    EXPECT_EQ(value(std::string(10000, '-') + "5").asInteger(), 5);
}

TEST_F(ExprParserTest, LiteralsNamesAndPictureTokens) {
    EXPECT_EQ(value("'it''s'").asText(), "it's");
    EXPECT_EQ(tree("'open"), "<none>");
    EXPECT_EQ(value("1.5e3").asReal(), 1500.0);
    EXPECT_EQ(value("2E-1").asReal(), 0.2);
    EXPECT_EQ(value("12").valueClass(), ValueClass::Integer);
    EXPECT_EQ(value("12.").valueClass(), ValueClass::Real);
    EXPECT_EQ(value("99999999999").valueClass(), ValueClass::Real);
    EXPECT_EQ(tree("URL:Category = BRW1::Sort2:Reset:CAT:Category"),
              "(= URL:Category BRW1::Sort2:Reset:CAT:Category)");
    EXPECT_EQ(tree("Total# + Name$ + Quote\""), "(+ (+ Total# Name$) Quote\")");
    EXPECT_EQ(value("FORMAT(5, @N3)").asText(), "  5");
    EXPECT_EQ(value("FORMAT(7, @pPage <<<#p)").asText(), "Page    7");
    EXPECT_EQ(value("FORMAT(7,@N3)&'%'").asText(), "  7%");
    EXPECT_EQ(tree("@pPage"), "<none>");
}

TEST_F(ExprParserTest, UnknownNamesPost801SyntaxErrorsPostNothing) {
    EXPECT_EQ(tree("1 +"), "<none>");
    EXPECT_EQ(errorCode(), 0);
    EXPECT_EQ(tree("x + nobody"), "<none>");
    EXPECT_EQ(errorCode(), err::kNoBind);
    clearError();
    EXPECT_EQ(tree("MMMMMMM"), "<none>");  // the root is no variable
    EXPECT_EQ(errorCode(), err::kNoBind);
}

TEST_F(ExprParserTest, BindingAKeywordNameMakesItAVariable) {
    EXPECT_EQ(tree("x AND y"), "(AND x y)");
    std::int32_t andValue = 41;
    bindName("aNd", VariableRef{&andValue, kVarLong, 4});
    EXPECT_EQ(tree("x AND y"), "<none>");
    EXPECT_EQ(value("AND + 1").asInteger(), 42);
    // Only the current scope is changed.
    pushScope();
    EXPECT_EQ(tree("x AND y"), "<none>");  // x is not bound here
    EXPECT_EQ(tree("1 AND 0"), "(AND 1 0)");
    popScope();
    EXPECT_EQ(tree("1 AND 0"), "<none>");
}

}  // namespace
}  // namespace linkar::runtime
